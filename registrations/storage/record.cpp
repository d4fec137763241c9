#include "registrations/storage/record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace registrations::storage {

namespace {

constexpr qint64 kDayMs = 24LL * 60 * 60 * 1000;

// A JSON string: quotes, backslashes and control characters escaped, every
// other character as its UTF-8 bytes.
void appendString(QByteArray &out, const QString &text)
{
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    qsizetype plain = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(utf8.constData() + plain, i - plain);
        plain = i + 1;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    out.append(utf8.constData() + plain, utf8.size() - plain);
    out += '"';
}

} // namespace

QByteArray encodeContent(const QList<Field> &fields, const QList<Answer> &answers)
{
    QByteArray out;
    out.reserve(64 + 24 * (fields.size() + answers.size()));
    out += "{\"f\":[";
    for (qsizetype i = 0; i < fields.size(); ++i) {
        out += i ? ",[" : "[";
        appendString(out, fields[i].key);
        out += ',';
        appendString(out, fields[i].value);
        out += ']';
    }
    out += "],\"a\":[";
    for (qsizetype i = 0; i < answers.size(); ++i) {
        out += i ? ",[" : "[";
        out += QByteArray::number(answers[i].page);
        out += ',';
        appendString(out, answers[i].id);
        out += ',';
        appendString(out, answers[i].value);
        out += ']';
    }
    out += "]}";
    return out;
}

bool decodeContent(QByteArrayView content, QList<Field> *fields, QList<Answer> *answers)
{
    fields->clear();
    answers->clear();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject object = document.object();
    const QJsonValue f = object.value(QLatin1String("f"));
    const QJsonValue a = object.value(QLatin1String("a"));
    if (!f.isArray() || !a.isArray())
        return false;
    for (const QJsonValue &entry : f.toArray()) {
        const QJsonArray pair = entry.toArray();
        if (pair.size() != 2 || !pair[0].isString() || !pair[1].isString())
            return false;
        fields->append({pair[0].toString(), pair[1].toString()});
    }
    for (const QJsonValue &entry : a.toArray()) {
        const QJsonArray triple = entry.toArray();
        if (triple.size() != 3 || !triple[0].isDouble() || !triple[1].isString() ||
            !triple[2].isString())
            return false;
        answers->append({triple[1].toString(), triple[2].toString(), triple[0].toInt()});
    }
    return true;
}

QByteArray contentOf(const Registration &registration)
{
    return registration.content.isEmpty() ? encodeContent(registration.fields, registration.answers)
                                          : registration.content;
}

QByteArray targetHashOf(const Registration &registration)
{
    return registration.hash.isEmpty() ? targetHash(registration.target) : registration.hash;
}

void prepareForStorage(Registration &registration)
{
    registration.content = encodeContent(registration.fields, registration.answers);
    registration.hash = targetHash(registration.target);
}

qint64 dayOf(qint64 receivedMs)
{
    // Floor, also before the epoch (the engines' integer division truncates,
    // but no receive time the service records is that old).
    return receivedMs >= 0 ? receivedMs / kDayMs : -((-receivedMs + kDayMs - 1) / kDayMs);
}

void countRegistration(CounterChanges &changes, qint64 receivedMs, const QString &language,
                       const QList<Field> &fields, const QList<Answer> &answers, qint64 sign)
{
    const qint64 day = dayOf(receivedMs);
    changes[{day, int(CountKind::Received), 0, {}, {}}] += sign;
    changes[{day, int(CountKind::Language), 0, {}, language}] += sign;
    for (const Field &field : fields) {
        if (field.key == QLatin1String("Country"))
            changes[{day, int(CountKind::Country), 0, {}, field.value}] += sign;
    }
    // A question counts as answered once per registration, however many of
    // its entries (check boxes, a date's parts) carry a value.
    QSet<std::pair<int, QString>> answered;
    for (const Answer &answer : answers) {
        changes[{day, int(CountKind::Answer), answer.page, answer.id, answer.value}] += sign;
        if (!answer.value.isEmpty())
            answered.insert({answer.page, answer.id});
    }
    for (const auto &[page, id] : answered)
        changes[{day, int(CountKind::Answered), page, id, {}}] += sign;
}

} // namespace registrations::storage
