#include "register/submission/registration_fields.h"

#include "register/core/control_names.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/rules/patterns.h"

using forms::trimBlanks; // blanks only: a tab or non-breaking space is part of the text

namespace {

// Label and text box of each personal field, in the registration's order,
// with the key the request sends it under: the keys belong to the wire
// format and stay as they are whatever the controls are called.
struct PersonalFieldControls {
    QLatin1String label;
    QLatin1String box;
    QLatin1String key;
};
const PersonalFieldControls personalFields[] = {
    {names::lblFirstName, names::txtFirstName, QLatin1String("FirstName")},
    {names::lblLastName, names::txtLastName, QLatin1String("LastName")},
    {names::lblAddress1, names::txtAddress1, QLatin1String("Address1")},
    {names::lblAddress2, names::txtAddress2, QLatin1String("Address2")},
    {names::lblCity, names::txtCity, QLatin1String("City")},
    {names::lblState, names::txtState, QLatin1String("State")},
    {names::lblZip, names::txtZip, QLatin1String("Zip")},
    {names::lblCountry, names::txtCountry, QLatin1String("Country")},
    {names::lblPhone, names::txtPhone, QLatin1String("Phone")},
    {names::lblEmail, names::txtEmail, QLatin1String("Email")},
    {names::lblLogin, names::txtLogin, QLatin1String("Login")},
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString textOf(const forms::Control *c)
{
    return c ? c->text() : QString();
}

// The ids the registration sends: one that begins with a digit and holds no
// "_" (the controls of other ids never counted as answers).
bool isSentId(const QString &id)
{
    return !id.isEmpty() && isDigit(id[0]) && !id.contains(u'_');
}

} // namespace

QList<PersonalEntry> visiblePersonalFields(const forms::Form &form)
{
    QList<PersonalEntry> entries;
    for (const auto &[labelName, boxName, key] : personalFields) {
        const forms::Control *label = form.control(labelName);
        const forms::Control *box = form.control(boxName);
        if (!label || !box || !label->isVisibleFlag())
            continue;
        entries.append({key, label->text(), box->text()});
    }
    return entries;
}

std::optional<BirthDate> birthDate(const forms::Form &, const WizardState &state)
{
    // The welcome page is numbered after the last question page; its label
    // and date 0 ask for the birth date.
    const int welcomePage = int(state.pageCount) + 1;
    const built::Question *caption =
        state.pageQuestions.find(welcomePage, names::code::label, QStringLiteral("0"));
    const forms::Control *label = caption ? caption->input.data() : nullptr;
    if (!label || !label->isVisibleFlag())
        return std::nullopt;
    const built::Question *date =
        state.pageQuestions.find(welcomePage, names::code::date, QStringLiteral("0"));
    auto part = [date](QStringView p) { return date ? textOf(date->dateList(p)) : QString(); };
    // The composed text is trimmed as a whole, at its ends only: what the
    // player typed inside the lists is sent and printed as typed.
    const QString text = trimBlanks(part(u"y") + u'/' + part(u"m") + u'/' + part(u"d"));
    BirthDate birth{label->text(), std::nullopt};
    if (parseYmdDate(text))
        birth.date = text;
    return birth;
}

QuestionPages readQuestionPages(const forms::Form &form, const WizardState &state)
{
    const forms::Control *welcome = form.control(names::frmWelcome);
    const forms::Control *personal = form.control(names::frmPages, 0);
    const built::Questions &record = state.pageQuestions;

    QuestionPages pages;
    for (const forms::Control *c : form.controls()) {
        const built::Part *part = record.partOf(c);
        if (!part)
            continue;
        // The welcome page's and the personal page's own objects belong to
        // other parts of the registration. Only the direct container counts.
        const forms::Control *container = c->container();
        if (container && (container == welcome || container == personal))
            continue;
        const built::Question &question = record.question(*part);
        const QString page = QString::number(question.page);

        // An answer list answers for its object.
        if (part->role == built::Role::AnswerList) {
            if (c->kind() != forms::Kind::ComboBox || !isSentId(question.id))
                continue;
            pages.items.append({QuestionItem::Kind::Answer, page, question.id, c->text()});
            continue;
        }

        // The id as the control carries it: a date list adds its part, an
        // option "opt" and its number.
        QString id = question.id + part->suffix;
        if (!isSentId(id))
            continue;
        switch (c->kind()) {
        case forms::Kind::Label:
            if (isDigit(id.back()))
                pages.items.append({QuestionItem::Kind::Question, page, id, c->text()});
            break;
        case forms::Kind::TextBox:
        case forms::Kind::ComboBox:
            // The lists of a date ("<id>y", "<id>m", "<id>d") answer like the
            // boxes of one question: each its own entry under the shared id.
            if (c->kind() == forms::Kind::TextBox && id == QLatin1String("1"))
                pages.productName = c->text();
            // A date that is not filled in (still showing its starting texts,
            // or partly chosen) is no answer: its words are not sent.
            if (c->kind() == forms::Kind::ComboBox) {
                const QString ymd = textOf(question.dateList(u"y")).trimmed() + u'/' +
                                    textOf(question.dateList(u"m")).trimmed() + u'/' +
                                    textOf(question.dateList(u"d")).trimmed();
                if (!parseYmdDate(ymd))
                    continue;
            }
            if (!isDigit(id.back()))
                id.chop(1);
            pages.items.append({QuestionItem::Kind::Answer, page, id, c->text()});
            break;
        case forms::Kind::OptionButton:
        case forms::Kind::CheckBox:
            if (c->value() != 0)
                pages.items.append(
                    {QuestionItem::Kind::Answer, page, names::idBeforeOption(id), c->text()});
            break;
        default:
            break;
        }
    }
    return pages;
}

void applyProductName(const QuestionPages &pages, WizardState &state)
{
    if (pages.productName && !pages.productName->trimmed().isEmpty())
        state.gameName = *pages.productName;
}
