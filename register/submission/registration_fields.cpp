#include "register/submission/registration_fields.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/validation/patterns.h"

using forms::trimBlanks; // blanks only: a tab or non-breaking space is part of the text

namespace {

// Label and text box of each personal field, in the registration's order.
constexpr std::pair<const char *, const char *> personalFields[] = {
    {"lblFirstName", "txtFirstName"},
    {"lblLastName", "txtLastName"},
    {"lblAddress1", "txtAddress1"},
    {"lblAddress2", "txtAddress2"},
    {"lblCity", "txtCity"},
    {"lblState", "txtState"},
    {"lblZip", "txtZip"},
    {"lblCountry", "txtCountry"},
    {"lblPhone", "txtPhone"},
    {"lblEmail", "txtEmail"},
    {"lblLogin", "txtLogin"},
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString textOf(const forms::Form &form, const QString &name)
{
    const forms::Control *c = form.control(name);
    return c ? c->text() : QString();
}

// The question id of an option button or check box: the part before "opt".
QString idBeforeOpt(const QString &id)
{
    const qsizetype at = id.indexOf(QLatin1String("opt"));
    return at < 0 ? id : id.left(at);
}

bool isAnswerCombo(const forms::Control &c)
{
    return c.name().compare(QLatin1String("page_spe_cmb_Answer"), Qt::CaseInsensitive) == 0;
}

} // namespace

QList<PersonalEntry> visiblePersonalFields(const forms::Form &form)
{
    QList<PersonalEntry> entries;
    for (const auto &[labelName, boxName] : personalFields) {
        const forms::Control *label = form.control(QString::fromLatin1(labelName));
        const forms::Control *box = form.control(QString::fromLatin1(boxName));
        if (!label || !box || !label->isVisibleFlag())
            continue;
        entries.append({QString::fromLatin1(boxName).mid(3), label->text(), box->text()});
    }
    return entries;
}

std::optional<BirthDate> birthDate(const forms::Form &form, const WizardState &state)
{
    const QString page = QStringLiteral("page_%1_").arg(int(state.pageCount) + 1);
    const forms::Control *label = form.control(page + QLatin1String("lbl_0"));
    if (!label || !label->isVisibleFlag())
        return std::nullopt;
    // The composed text is trimmed as a whole, at its ends only: what the
    // player typed inside the lists is sent and printed as typed.
    const QString text = trimBlanks(textOf(form, page + QLatin1String("dat_0y")) + u'/' +
                                    textOf(form, page + QLatin1String("dat_0m")) + u'/' +
                                    textOf(form, page + QLatin1String("dat_0d")));
    BirthDate birth{label->text(), std::nullopt};
    if (parseYmdDate(text))
        birth.date = text;
    return birth;
}

QuestionPages readQuestionPages(const forms::Form &form)
{
    const forms::Control *welcome = form.control(QStringLiteral("frmWelcome"));
    const forms::Control *personal = form.control(QStringLiteral("frmPages"), 0);

    QuestionPages pages;
    for (const forms::Control *c : form.controls()) {
        const QStringList parts = c->name().split(u'_');
        if (parts.size() != 4)
            continue;
        // The welcome page's and the personal page's own objects belong to
        // other parts of the registration. Only the direct container counts.
        const forms::Control *container = c->container();
        if (container && (container == welcome || container == personal))
            continue;
        const QString &page = parts[1];
        QString id = parts[3];

        // Every answer combo shares one name whose id is no number; the
        // question it answers is recorded in its Tag. Element 0 is the
        // design-time template.
        if (isAnswerCombo(*c)) {
            if (c->kind() != forms::Kind::ComboBox || c->index() <= 0)
                continue;
            const QStringList tag = c->tag().split(u'_');
            if (tag.size() != 4 || tag[3].isEmpty() || !isDigit(tag[3][0]))
                continue;
            pages.items.append({QuestionItem::Kind::Answer, tag[1], tag[3], c->text()});
            continue;
        }

        if (id.isEmpty() || !isDigit(id[0]))
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
                const QString object = c->name().chopped(1);
                const QString ymd = textOf(form, object + u'y').trimmed() + u'/' +
                                    textOf(form, object + u'm').trimmed() + u'/' +
                                    textOf(form, object + u'd').trimmed();
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
                pages.items.append({QuestionItem::Kind::Answer, page, idBeforeOpt(id), c->text()});
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
