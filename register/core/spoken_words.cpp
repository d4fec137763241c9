#include "register/core/spoken_words.h"

#include "register/core/spoken_words_table.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

using Table = QHash<QString, QHash<QString, QString>>; // section -> key -> word

struct Tables {
    Table pictures; // keys upper-case, as the resources are named
    Table spoken;   // keys lower-case
};

// The table is a few hundred bytes of JSON, read on first use.
const Tables &tables()
{
    static const Tables t = [] {
        Tables result;
        const QJsonObject root =
            QJsonDocument::fromJson(QByteArray::fromRawData(kWordsJson, sizeof(kWordsJson) - 1))
                .object();
        for (auto section = root.begin(); section != root.end(); ++section) {
            const QJsonObject entry = section->toObject();
            // Only the buttons: a title's word is not what a picture of that
            // name says (WELCOME is the emblem, and says nothing).
            const QJsonObject pictures = entry.value(QStringLiteral("buttons")).toObject();
            for (auto w = pictures.begin(); w != pictures.end(); ++w)
                result.pictures[section.key()][w.key().toUpper()] = w->toString();
            const QJsonObject spoken = entry.value(QStringLiteral("spoken")).toObject();
            for (auto w = spoken.begin(); w != spoken.end(); ++w)
                result.spoken[section.key()][w.key().toLower()] = w->toString();
        }
        return result;
    }();
    return t;
}

const QString kEnglish = QStringLiteral("ENGLISH");

QString lookUp(const Table &table, const QString &language, const QString &key)
{
    auto section = table.constFind(language.trimmed().toUpper());
    if (section == table.constEnd())
        section = table.constFind(kEnglish);
    return section == table.constEnd() ? QString() : section->value(key);
}

} // namespace

namespace words {

QString pictureWord(const QString &language, const QString &picture)
{
    return lookUp(tables().pictures, language, picture.trimmed().toUpper());
}

QString spokenWord(const QString &language, const QString &key)
{
    return lookUp(tables().spoken, language, key.trimmed().toLower());
}

QString captionAsName(const QString &caption)
{
    static const QRegularExpression lineBreaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return QString(caption).replace(lineBreaks, QStringLiteral(" ")).trimmed();
}

QString captionWithWord(const QString &caption, const QString &word)
{
    QString name = captionAsName(caption);
    while (name.endsWith(u':'))
        name = name.chopped(1).trimmed();
    if (name.isEmpty())
        return word;
    return name + QStringLiteral(": ") + word;
}

} // namespace words
