// The words a screen reader says for pictures and list parts come from the
// table the pictures are drawn from; a language without pictures speaks
// English, and captions become names without their line breaks.
#include "register/core/spoken_words.h"

#include <gtest/gtest.h>

namespace {

struct WordRow {
    const char *language;
    const char *key;
    const char *word;
};

TEST(SpokenWords, PictureWordsByLanguageAndResourceName)
{
    const WordRow rows[] = {
        {"french", "NEXT", "Suivant"},     {" FRENCH ", "previous", "Précédent"},
        {"german", "CANCEL", "Abbrechen"}, {"dutch", "QUIT", "OK"},
        {"latin", "NEXT", "Next"},         {"", "SUBMIT", "Submit"},
        {"french", "WELCOME", ""},         {"french", "NEXTT", ""},
    };
    for (const WordRow &row : rows) {
        SCOPED_TRACE(std::string(row.language) + "/" + row.key);
        EXPECT_EQ(words::pictureWord(QString::fromUtf8(row.language), QString::fromUtf8(row.key))
                      .toStdString(),
                  row.word);
    }
}

TEST(SpokenWords, WordsThatTellListsApart)
{
    const WordRow rows[] = {
        {"spanish", "year", "Año"},          {"italian", "Month", "Mese"},
        {"french", "day", "Jour"},           {"dutch", "country", "Land"},
        {"klingon", "language", "Language"},
    };
    for (const WordRow &row : rows) {
        SCOPED_TRACE(std::string(row.language) + "/" + row.key);
        EXPECT_EQ(words::spokenWord(QString::fromUtf8(row.language), QString::fromUtf8(row.key))
                      .toStdString(),
                  row.word);
    }
}

TEST(SpokenWords, CaptionsAsNames)
{
    const struct {
        const char *caption, *word, *name;
    } rows[] = {
        {"Date of birth:", "Day", "Date of birth: Day"},
        {"Votre date de naissance :", "Jour", "Votre date de naissance: Jour"},
        {"Which devices?\r\n(click to select)", "", "Which devices? (click to select)"},
        {"  ", "Year", "Year"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.caption);
        const QString caption = QString::fromUtf8(row.caption);
        const QString name = *row.word
                                 ? words::captionWithWord(caption, QString::fromUtf8(row.word))
                                 : words::captionAsName(caption);
        EXPECT_EQ(name.toStdString(), row.name);
    }
}

} // namespace
