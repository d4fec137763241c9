#include "registrations/export/export.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>

#include <algorithm>

namespace registrations::exporting {

namespace {

using mapping::Question;

// The personal fields in the order the wizard sends them.
const QStringList &personalKeys()
{
    static const QStringList keys = {
        QStringLiteral("FirstName"), QStringLiteral("LastName"), QStringLiteral("dob"),
        QStringLiteral("Address1"),  QStringLiteral("Address2"), QStringLiteral("City"),
        QStringLiteral("State"),     QStringLiteral("Zip"),      QStringLiteral("Country"),
        QStringLiteral("Phone"),     QStringLiteral("Email"),    QStringLiteral("Login")};
    return keys;
}

bool isTrailingKey(const QString &key)
{
    return key == QLatin1String("pname") || key == QLatin1String("lang");
}

// A question column: where its answers come from and what it is called.
struct Column {
    int page = 0;
    QString id;
    QString title;
    Question::Kind kind = Question::Kind::Text;
    std::array<QString, 3> dateParts;
};

QString fallbackTitle(int page, const QString &id)
{
    return page > 0 ? QStringLiteral("page %1 question %2").arg(page).arg(id)
                    : QStringLiteral("question %1").arg(id);
}

// Ids are numbers on the wire; they sort as numbers, any other text after them.
bool idLess(const QString &a, const QString &b)
{
    bool aNumber = false;
    bool bNumber = false;
    const int x = a.toInt(&aNumber);
    const int y = b.toInt(&bNumber);
    if (aNumber && bNumber)
        return x < y;
    if (aNumber != bNumber)
        return aNumber;
    return a < b;
}

// The columns of one export: first pass over the stored registrations.
struct Layout {
    QStringList fields; // personal fields first, in wire order, then any other key
    QList<Column> questions;
    QHash<QPair<int, QString>, qsizetype> questionIndex;

    void addQuestion(const Column &column)
    {
        const auto key = qMakePair(column.page, column.id);
        if (questionIndex.contains(key))
            return;
        questionIndex.insert(key, questions.size());
        questions.append(column);
    }
};

Layout planLayout(storage::Storage &storage, const std::optional<QDateTime> &since,
                  const mapping::Questionnaire *questionnaire, bool *ok, QString *error)
{
    Layout layout;
    QSet<QString> seenFields;
    QStringList otherFields;
    QList<QPair<int, QString>> extra;
    QSet<QPair<int, QString>> seenExtra;
    if (questionnaire) {
        for (const Question &q : questionnaire->columns)
            layout.addQuestion({q.page, q.id,
                                q.title.isEmpty() ? fallbackTitle(q.page, q.id) : q.title, q.kind,
                                q.dateParts});
    }
    *ok = storage.forEach(
        since,
        [&](const storage::StoredRegistration &stored) {
            for (const storage::Field &f : stored.registration.fields) {
                if (isTrailingKey(f.key) || seenFields.contains(f.key))
                    continue;
                seenFields.insert(f.key);
                if (!personalKeys().contains(f.key))
                    otherFields.append(f.key);
            }
            for (const storage::Answer &a : stored.registration.answers) {
                const auto key = qMakePair(a.page, a.id);
                if (!layout.questionIndex.contains(key) && !seenExtra.contains(key)) {
                    seenExtra.insert(key);
                    extra.append(key);
                }
            }
            return true;
        },
        error);
    for (const QString &key : personalKeys()) {
        if (seenFields.contains(key) ||
            (questionnaire && questionnaire->personalKeys.contains(key)))
            layout.fields.append(key);
    }
    layout.fields += otherFields;
    // Answers no configured question takes, in page and id order.
    std::stable_sort(extra.begin(), extra.end(), [](const auto &a, const auto &b) {
        if (a.first != b.first)
            return a.first < b.first;
        return idLess(a.second, b.second);
    });
    for (const auto &[page, id] : extra)
        layout.addQuestion({page, id, fallbackTitle(page, id), Question::Kind::Choice, {}});
    return layout;
}

// The values of each question column of one registration, in wire order.
QList<QStringList> answerValues(const Layout &layout, const storage::Registration &r)
{
    QList<QStringList> values(layout.questions.size());
    for (const storage::Answer &a : r.answers) {
        const qsizetype column = layout.questionIndex.value(qMakePair(a.page, a.id), -1);
        if (column >= 0)
            values[column].append(a.value);
    }
    return values;
}

// A date is written year/month/day whatever order its lists stand in; the
// boxes of one question are joined by "; ".
QString joined(const Column &column, const QStringList &values)
{
    if (column.kind != Question::Kind::Date)
        return values.join(QStringLiteral("; "));
    if (values.size() != 3)
        return values.join(u'/');
    QStringList ymd;
    for (const QLatin1String part : {QLatin1String("y"), QLatin1String("m"), QLatin1String("d")}) {
        const auto at = std::find(column.dateParts.begin(), column.dateParts.end(), part);
        if (at == column.dateParts.end())
            return values.join(u'/');
        ymd.append(values[at - column.dateParts.begin()]);
    }
    return ymd.join(u'/');
}

QString fieldValue(const storage::Registration &r, const QString &key)
{
    for (const storage::Field &f : r.fields) {
        if (f.key == key)
            return f.value;
    }
    return QString();
}

QString receivedText(const QDateTime &moment)
{
    return moment.toUTC().toString(Qt::ISODate);
}

bool put(std::FILE *out, const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out) == size_t(bytes.size());
}

} // namespace

QByteArray csvCell(const QString &text)
{
    QString cell = text;
    // A leading "=" or "@", or a sign that does not open a number, makes a
    // spreadsheet evaluate the cell; the apostrophe keeps it text.
    static const QString numberish = QStringLiteral("0123456789 +-()/.");
    const bool formula =
        !cell.isEmpty() &&
        (cell[0] == u'=' || cell[0] == u'@' || cell[0] == u'\t' || cell[0] == u'\r' ||
         ((cell[0] == u'+' || cell[0] == u'-') &&
          std::any_of(cell.begin(), cell.end(), [](QChar c) { return !numberish.contains(c); })));
    if (formula)
        cell.prepend(u'\'');
    if (cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') ||
        cell.contains(u'\r')) {
        cell.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        cell = u'"' + cell + u'"';
    }
    return cell.toUtf8();
}

bool writeExport(storage::Storage &storage, const std::optional<QDateTime> &since, Format format,
                 const mapping::Questionnaire *questionnaire, std::FILE *out, QString *error)
{
    return writeExport(storage, since, std::nullopt, format, questionnaire, out, error);
}

bool writeExport(storage::Storage &storage, const std::optional<QDateTime> &since,
                 const std::optional<QDateTime> &until, Format format,
                 const mapping::Questionnaire *questionnaire, std::FILE *out, QString *error)
{
    bool ok = false;
    const Layout layout = planLayout(storage, since, questionnaire, &ok, error);
    if (!ok)
        return false;
    bool written = true;
    if (format == Format::Csv) {
        QList<QByteArray> header;
        for (const QString &key : layout.fields)
            header.append(csvCell(key));
        for (const Column &c : layout.questions)
            header.append(csvCell(c.title));
        for (const char *name : {"received", "game", "language", "number"})
            header.append(name);
        written = put(out, header.join(',') + "\r\n");
    }
    ok = storage.forEach(
        since,
        [&](const storage::StoredRegistration &stored) {
            const storage::Registration &r = stored.registration;
            if (until && r.receivedAt >= *until)
                return true;
            const QList<QStringList> values = answerValues(layout, r);
            QByteArray line;
            if (format == Format::Csv) {
                QList<QByteArray> cells;
                for (const QString &key : layout.fields)
                    cells.append(csvCell(fieldValue(r, key)));
                for (qsizetype i = 0; i < layout.questions.size(); ++i)
                    cells.append(csvCell(joined(layout.questions[i], values[i])));
                cells.append(csvCell(receivedText(r.receivedAt)));
                cells.append(csvCell(r.game));
                cells.append(csvCell(r.language));
                cells.append(QByteArray::number(stored.number));
                line = cells.join(',') + "\r\n";
            } else {
                QJsonObject fields;
                for (const storage::Field &f : r.fields) {
                    if (!isTrailingKey(f.key))
                        fields.insert(f.key, f.value);
                }
                QJsonArray answers;
                for (qsizetype i = 0; i < layout.questions.size(); ++i) {
                    if (values[i].isEmpty())
                        continue;
                    const Column &c = layout.questions[i];
                    QJsonObject answer{
                        {QStringLiteral("page"), c.page},
                        {QStringLiteral("question"), c.id},
                        {QStringLiteral("values"), QJsonArray::fromStringList(values[i])}};
                    if (questionnaire && c.title != fallbackTitle(c.page, c.id))
                        answer.insert(QStringLiteral("title"), c.title);
                    answers.append(answer);
                }
                const QJsonObject object{{QStringLiteral("number"), stored.number},
                                         {QStringLiteral("received"), receivedText(r.receivedAt)},
                                         {QStringLiteral("game"), r.game},
                                         {QStringLiteral("language"), r.language},
                                         {QStringLiteral("repeats"), stored.repeats},
                                         {QStringLiteral("fields"), fields},
                                         {QStringLiteral("answers"), answers}};
                line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
            }
            written = written && put(out, line);
            return written;
        },
        error);
    if (!ok)
        return false;
    if (!written || std::fflush(out) != 0) {
        if (error)
            *error = QStringLiteral("cannot write the export: %1").arg(qt_error_string(errno));
        return false;
    }
    return true;
}

} // namespace registrations::exporting
