#include "registrations/receive/decode_registration.h"

#include "register/rules/query_decoding.h"

#include <QSet>

namespace registrations::receive {

namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The wizard escapes every "%" it sends, so in the URL layer each "%" opens a
// complete escape.
bool wellFormedEscapes(QByteArrayView query)
{
    for (qsizetype i = 0; i < query.size(); ++i) {
        if (query[i] != '%')
            continue;
        if (i + 2 >= query.size() || !isHex(query[i + 1]) || !isHex(query[i + 2]))
            return false;
        i += 2;
    }
    return true;
}

bool acceptable(const QString &text)
{
    return text.size() <= kMaxValueChars && !text.contains(QChar(0));
}

} // namespace

std::variant<storage::Registration, Refusal> decodeRegistration(QByteArrayView target,
                                                                const QDateTime &receivedAt)
{
    const qsizetype question = target.indexOf('?');
    if (question < 0)
        return Refusal{QStringLiteral("No answers in the request")};
    const QByteArrayView query = target.sliced(question + 1);
    if (!wellFormedEscapes(query))
        return Refusal{QStringLiteral("Malformed escape in the request")};

    storage::Registration registration;
    registration.target = target.toByteArray();
    registration.receivedAt = receivedAt.toUTC();
    bool answered = false;
    QSet<QString> keys;
    for (const registration::Field &field : registration::decodeQuery(query)) {
        if (keys.contains(field.key))
            return Refusal{QStringLiteral("A field is repeated in the request")};
        keys.insert(field.key);
        const QString tooLong = QStringLiteral("A value is too long or holds a NUL character");
        if (field.key == QLatin1String("ans")) {
            // The limit is each answer's, not the list's: several long text
            // boxes together can be longer than one may be.
            answered = true;
            for (const registration::Answer &answer : registration::splitAnswers(field.value)) {
                if (!acceptable(answer.id) || !acceptable(answer.value))
                    return Refusal{tooLong};
                registration.answers.append({answer.id, answer.value, 0});
            }
            continue;
        }
        if (!acceptable(field.key) || !acceptable(field.value))
            return Refusal{tooLong};
        if (field.key == QLatin1String("pname"))
            registration.game = field.value;
        else if (field.key == QLatin1String("lang"))
            registration.language = field.value;
        else if (field.key == QLatin1String("Email"))
            registration.email = field.value;
        registration.fields.append({field.key, field.value});
    }
    if (!answered)
        return Refusal{QStringLiteral("No answers in the request")};
    return registration;
}

} // namespace registrations::receive
