// The wizard's own messages: which language's words a message comes in.
#include "register/rules/messages.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

// The language is named as a section id ("french") or as the list shows it
// ("French"), and a relaunch may carry it with blanks; whatever is not one of
// the six languages gets English, never an empty message.
TEST(Messages, TheLanguageIsFoundHoweverItIsWritten)
{
    const struct {
        const char *language;
        Message message;
        const char *opening;
    } rows[] = {
        {"english", Message::ConfigurationUnreadable, "The registration wizard cannot"},
        {"French", Message::ConfigurationUnreadable, "L'assistant d'enregistrement"},
        {"  GERMAN ", Message::ConfigurationUnreadable, "Der Registrierungsassistent"},
        {"italian", Message::FormNotPrinted, "Non è stato possibile stampare"},
        {"Spanish", Message::FormNotPrinted, "No se ha podido imprimir"},
        {"dutch", Message::ReminderNotSaved, "Uw herinnering"},
        {"klingon", Message::ReminderNotSaved, "Your reminder could not be saved"},
        {"", Message::FormNotPrinted, "The registration form could not"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.language);
        const QString text = messageText(r.message, QString::fromUtf8(r.language));
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(r.opening))) << text.toStdString();
    }
}

// Each language has its own words for each message: a column shifted by one
// would show a player another language's text.
TEST(Messages, EveryLanguageHasItsOwnWords)
{
    const char *const languages[] = {"english", "french", "german", "italian", "spanish", "dutch"};
    for (Message m :
         {Message::ConfigurationUnreadable, Message::FormNotPrinted, Message::ReminderNotSaved}) {
        QSet<QString> seen;
        for (const char *language : languages) {
            const QString text = messageText(m, QString::fromLatin1(language));
            EXPECT_FALSE(text.isEmpty()) << language;
            EXPECT_FALSE(seen.contains(text)) << language;
            seen.insert(text);
        }
    }
    // The printed-form message breaks into two lines at its grave accent.
    EXPECT_EQ(messageText(Message::FormNotPrinted, QStringLiteral("german")).count(u'`'), 1);
}

} // namespace
