#include "register/submission/print_form.h"

#include "register/core/wizard_state.h"
#include "register/rules/line_breaker.h"
#include "register/submission/registration_fields.h"

#include <QHash>

namespace {

QString mergedAnswer(const QStringList &answers)
{
    QStringList parts;
    for (const QString &answer : answers) {
        const QString part = answer.trimmed();
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QLatin1String(", "));
}

} // namespace

QList<PrintedEntry> gatherPrintedEntries(const forms::Form &form, WizardState &state)
{
    QList<PrintedEntry> entries;
    qsizetype afterNames = 0;
    for (const PersonalEntry &field : visiblePersonalFields(form)) {
        entries.append({field.caption, field.value});
        if (field.key == QLatin1String("FirstName") || field.key == QLatin1String("LastName"))
            afterNames = entries.size();
    }
    // The birth date stands after the names, where the wizard asks for it.
    if (const std::optional<BirthDate> birth = birthDate(form, state))
        entries.insert(afterNames, {birth->caption, birth->date.value_or(QStringLiteral("N/A"))});

    const QuestionPages pages = readQuestionPages(form, state);
    applyProductName(pages, state);
    QStringList questionKeys;
    QHash<QString, QString> questions;
    QHash<QString, QStringList> answers;
    for (const QuestionItem &item : pages.items) {
        const QString key = item.page + u'_' + item.id;
        if (item.kind == QuestionItem::Kind::Answer) {
            answers[key].append(item.text);
        } else if (!questions.contains(key)) {
            questionKeys.append(key);
            questions.insert(key, item.text);
        }
    }
    for (const QString &key : questionKeys)
        entries.append({questions.value(key), mergedAnswer(answers.value(key))});
    return entries;
}

QList<printing::Line> printedFormLines(const QString &gameName, const QList<PrintedEntry> &entries)
{
    using printing::LineStyle;
    QList<printing::Line> lines{
        {QStringLiteral("Product Registration"), LineStyle::Title, false},
        {QString(), LineStyle::Plain, false},
        {gameName, LineStyle::Subtitle, false},
        {QString(), LineStyle::Plain, false},
        {QString(), LineStyle::Plain, false},
    };
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString question =
            QString::number(i + 1) + QLatin1String(".\t") + entries[i].question;
        lines.append({breakLines(question), LineStyle::Strong, true});
        lines.append({QString(), LineStyle::Plain, true});
        lines.append({breakLines(u'\t' + entries[i].answer), LineStyle::Plain, false});
        lines.append({QString(), LineStyle::Plain, false});
    }
    return lines;
}
