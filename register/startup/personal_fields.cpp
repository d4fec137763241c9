#include "register/startup/personal_fields.h"

#include "register/core/control_names.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/spoken_words.h"
#include "register/core/wizard_state.h"
#include "register/pages/containers.h"
#include "register/startup/config_values.h"
#include "register/startup/language.h"

using config::applyNumber;

namespace {

struct FieldSpec {
    const char *element;
    QLatin1String label;
    QLatin1String input;
    QLatin1String holderStem; // what its holders are named after: "txtFirstname" for txtFirstName
    QLatin1String list;       // city and state: the list that may replace the text box
};

// In processing order.
const FieldSpec kFields[] = {
    {"firstname", names::lblFirstName, names::txtFirstName, QLatin1String("txtFirstname"), {}},
    {"lastname", names::lblLastName, names::txtLastName, QLatin1String("txtLastname"), {}},
    {"address1", names::lblAddress1, names::txtAddress1, names::txtAddress1, {}},
    {"address2", names::lblAddress2, names::txtAddress2, names::txtAddress2, {}},
    {"zip", names::lblZip, names::txtZip, names::txtZip, {}},
    {"phone", names::lblPhone, names::txtPhone, names::txtPhone, {}},
    {"login", names::lblLogin, names::txtLogin, names::txtLogin, {}},
    {"email", names::lblEmail, names::txtEmail, names::txtEmail, {}},
    {"city", names::lblCity, names::txtCity, names::txtCity, names::cmbCity},
    {"state", names::lblState, names::txtState, names::txtState, names::cmbState},
};

QString trimmedAttribute(const xml::Node &node, const char *name)
{
    return forms::trimBlanks(node.attribute(QLatin1String(name)).value_or(QString()));
}

void applyLabel(const model::ConfigReader &reader, forms::Control *label, const xml::Node &node,
                const WizardState &state)
{
    if (const auto src = node.attribute(QStringLiteral("src")))
        label->setText(*src);
    applyNumber(reader, node, "x1", [label](int v) { label->setLeft(v); });
    applyNumber(reader, node, "y1", [label](int v) { label->setTop(v); });
    applyNumber(reader, node, "height1", [label](int v) { label->setHeight(v); });
    applyNumber(reader, node, "width1", [label](int v) { label->setWidth(v); });
    config::applyForeColor(reader, label, node, state.defaultForeColor);
    label->setVisible(true);
}

void applyInputBox(const model::ConfigReader &reader, forms::Control *input, const xml::Node &node,
                   const WizardState &state)
{
    applyNumber(reader, node, "x2", [input](int v) { input->setLeft(v); });
    applyNumber(reader, node, "y2", [input](int v) { input->setTop(v); });
    applyNumber(reader, node, "height2", [input](int v) { input->setHeight(v); });
    applyNumber(reader, node, "width2", [input](int v) { input->setWidth(v); });
    config::applyForeColor(reader, input, node, state.defaultForeColor);
    config::applyBackColor(reader, input, node, state.defaultBackColor);
}

// The element of a field. A section without it would leave the design's
// placeholder caption and an unconfigured box on the page, required and
// perhaps hidden under another control: such a field is hidden instead,
// exactly like one configured invisible.
xml::Node fieldElement(const model::ConfigReader &reader, const char *element)
{
    return reader.require(QStringLiteral("//userinfo/") + QLatin1String(element),
                          QStringLiteral("the field and its label are hidden; it is neither "
                                         "required nor sent"));
}

QRect rectOf(const forms::Control *c)
{
    return QRect(c->left(), c->top(), c->width(), c->height());
}

} // namespace

void LoadPersonalFields(forms::Form &form, WizardState &state)
{
    auto ctl = [&form](QLatin1String name) { return form.control(name); };
    // The holders live on the personal page; an existing one (from an
    // earlier pass) takes the new text.
    forms::Control *personalPage = form.control(names::frmPages, 0);
    const model::ConfigReader reader = sectionReader(state);
    model::Placement placement(reader, QSize(form.width(), form.height()),
                               QStringLiteral("window"));
    // Validation finds each field's rules through the record of its controls.
    built::Questions &record = state.personalFields;
    record.clear();

    for (const FieldSpec &f : kFields) {
        const xml::Node node = fieldElement(reader, f.element);
        forms::Control *label = ctl(f.label);
        forms::Control *input = ctl(f.input);
        forms::Control *list = f.list.isNull() ? nullptr : ctl(f.list);

        // Only "1" shows a field.
        const auto visible = node.attribute(QStringLiteral("visible"));
        if (!node || (visible && *visible != QLatin1String("1"))) {
            label->setVisible(false);
            input->setVisible(false);
            if (list)
                list->setVisible(false);
            continue;
        }
        applyLabel(reader, label, node, state);
        placement.add(node, {"x1", "y1"}, rectOf(label), false);
        // A screen reader names the field by its caption, whichever of the
        // text box and the list shows it.
        const QString spokenName = words::captionAsName(label->text());
        input->setAccessibleName(spokenName);
        if (list)
            list->setAccessibleName(spokenName);

        const QString stem = f.holderStem;
        // A missing type counts as a text box, the common case.
        const QString type =
            node.attribute(QStringLiteral("type")).value_or(QStringLiteral("text"));
        if (!list || type == QLatin1String("text")) {
            applyInputBox(reader, input, node, state);
            applyNumber(reader, node, "maxlength", [input](int v) { input->setMaxLength(v); });
            placement.add(node, {"x2", "y2"}, rectOf(input), true);
            built::Question &question = record.personalField(f.holderStem);
            record.add(input, question, built::Role::Own);
            record.add(setHolder(form, names::holderName(stem, names::Holder::Pattern),
                                 trimmedAttribute(node, "patten"), personalPage),
                       question, built::Role::PatternHolder);
            record.add(setHolder(form, names::holderName(stem, names::Holder::Optional),
                                 trimmedAttribute(node, "optional"), personalPage),
                       question, built::Role::OptionalHolder);
            input->setVisible(true);
            // The list of the pair is not used: it would stand as a stray control.
            if (list)
                list->setVisible(false);
        } else if (type == QLatin1String("combo")) {
            applyNumber(reader, node, "x2", [list](int v) { list->setLeft(v); });
            applyNumber(reader, node, "y2", [list](int v) { list->setTop(v); });
            applyNumber(reader, node, "width2", [list](int v) { list->setWidth(v); });
            config::applyForeColor(reader, list, node, state.defaultForeColor);
            config::applyBackColor(reader, list, node, state.defaultBackColor);
            placement.add(node, {"x2", "y2"}, rectOf(list), true);
            list->clearItems();
            if (const auto values = node.attribute(QStringLiteral("value")))
                for (const QString &v : values->split(u'|'))
                    list->addItem(v);
            if (const auto def = node.attribute(QStringLiteral("default"))) {
                list->setText(*def);
                input->setText(*def);
            }
            list->setVisible(true);
            // The text box carries the value (the list copies into it) but is
            // not shown beside the list.
            input->setVisible(false);
            // The list's holder is kept for what it says; a list is not
            // checked, so its question has no input to check.
            record.add(setHolder(form, names::holderName(f.list, names::Holder::Optional),
                                 trimmedAttribute(node, "optional"), personalPage),
                       record.personalField(f.list), built::Role::OptionalHolder);
        } else {
            // Any other type shows the caption only.
            input->setVisible(false);
            list->setVisible(false);
        }
    }

    // The country: label and field, no holders.
    const xml::Node country = fieldElement(reader, "country");
    const auto visible = country.attribute(QStringLiteral("visible"));
    forms::Control *label = ctl(names::lblCountry);
    forms::Control *input = ctl(names::txtCountry);
    if (!country || (visible && *visible != QLatin1String("1"))) {
        label->setVisible(false);
        input->setVisible(false);
    } else {
        applyLabel(reader, label, country, state);
        applyInputBox(reader, input, country, state);
        input->setAccessibleName(words::captionAsName(label->text()));
        input->setVisible(true);
        placement.add(country, {"x1", "y1"}, rectOf(label), false);
        placement.add(country, {"x2", "y2"}, rectOf(input), true);
    }
    placement.check();
}
