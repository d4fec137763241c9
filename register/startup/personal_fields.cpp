#include "register/startup/personal_fields.h"

#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/startup/config_values.h"
#include "register/startup/language.h"

using config::applyNumber;

namespace {

struct FieldSpec {
    const char *element;
    const char *label;
    const char *input;
    const char *holderStem; // as validation names it: "txtFirstname" for txtFirstName
    const char *list;       // city and state: the list that may replace the text box
};

// In processing order.
const FieldSpec kFields[] = {
    {"firstname", "lblFirstName", "txtFirstName", "txtFirstname", nullptr},
    {"lastname", "lblLastName", "txtLastName", "txtLastname", nullptr},
    {"address1", "lblAddress1", "txtAddress1", "txtAddress1", nullptr},
    {"address2", "lblAddress2", "txtAddress2", "txtAddress2", nullptr},
    {"zip", "lblZip", "txtZip", "txtZip", nullptr},
    {"phone", "lblPhone", "txtPhone", "txtPhone", nullptr},
    {"login", "lblLogin", "txtLogin", "txtLogin", nullptr},
    {"email", "lblEmail", "txtEmail", "txtEmail", nullptr},
    {"city", "lblCity", "txtCity", "txtCity", "cmbCity"},
    {"state", "lblState", "txtState", "txtState", "cmbState"},
};

// A hidden holder text box on the personal page; an existing one (from an
// earlier pass) keeps its place and takes the new text.
void setHolder(forms::Form &form, const QString &name, const QString &text)
{
    forms::Control *holder = form.control(name);
    if (!holder) {
        holder = form.create(forms::Kind::TextBox, name, -1,
                             form.control(QStringLiteral("frmPages"), 0));
        holder->setVisible(false);
    }
    holder->setText(text);
}

QString trimmedAttribute(const xml::Node &node, const char *name)
{
    return forms::trimBlanks(node.attribute(QLatin1String(name)).value_or(QString()));
}

void applyLabel(const core::ConfigReader &reader, forms::Control *label, const xml::Node &node,
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

void applyInputBox(const core::ConfigReader &reader, forms::Control *input, const xml::Node &node,
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
xml::Node fieldElement(const core::ConfigReader &reader, const char *element)
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
    auto ctl = [&form](const char *name) { return form.control(QLatin1String(name)); };
    const core::ConfigReader reader = sectionReader(state);
    core::Placement placement(reader, QSize(form.width(), form.height()), QStringLiteral("window"));

    for (const FieldSpec &f : kFields) {
        const xml::Node node = fieldElement(reader, f.element);
        forms::Control *label = ctl(f.label);
        forms::Control *input = ctl(f.input);
        forms::Control *list = f.list ? ctl(f.list) : nullptr;

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

        const QString stem = QLatin1String(f.holderStem);
        // A missing type counts as a text box, the common case.
        const QString type =
            node.attribute(QStringLiteral("type")).value_or(QStringLiteral("text"));
        if (!list || type == QLatin1String("text")) {
            applyInputBox(reader, input, node, state);
            applyNumber(reader, node, "maxlength", [input](int v) { input->setMaxLength(v); });
            placement.add(node, {"x2", "y2"}, rectOf(input), true);
            setHolder(form, stem + QStringLiteral("_patten"), trimmedAttribute(node, "patten"));
            setHolder(form, stem + QStringLiteral("_optional"), trimmedAttribute(node, "optional"));
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
            setHolder(form, QLatin1String(f.list) + QStringLiteral("_optional"),
                      trimmedAttribute(node, "optional"));
        } else {
            // Any other type shows the caption only.
            input->setVisible(false);
            list->setVisible(false);
        }
    }

    // The country: label and field, no holders.
    const xml::Node country = fieldElement(reader, "country");
    const auto visible = country.attribute(QStringLiteral("visible"));
    forms::Control *label = ctl("lblCountry");
    forms::Control *input = ctl("txtCountry");
    if (!country || (visible && *visible != QLatin1String("1"))) {
        label->setVisible(false);
        input->setVisible(false);
    } else {
        applyLabel(reader, label, country, state);
        applyInputBox(reader, input, country, state);
        input->setVisible(true);
        placement.add(country, {"x1", "y1"}, rectOf(label), false);
        placement.add(country, {"x2", "y2"}, rectOf(input), true);
    }
    placement.check();
}
