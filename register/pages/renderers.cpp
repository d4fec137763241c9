#include "register/pages/renderers.h"

#include "platform/forms/colours.h"
#include "platform/forms/form.h"
#include "register/core/control_names.h"
#include "register/core/skin.h"
#include "register/core/wizard_state.h"
#include "register/pages/containers.h"

#include <QPixmapCache>

#include <algorithm>

using built::Role;
using forms::Control;
using forms::Kind;
using pages::ColourSetting;

namespace {

constexpr int kDateListWidth = 1000;
constexpr int kDateListStep = 1200;
constexpr int kDateSeparatorOffset = 1100;
constexpr int kYearsListed = 100;
constexpr int kOptionHeight = 300;

// List boxes: each option is one row; the rows leave room on the right for
// the scroll bar, so no caption hides under it.
constexpr int kListRowHeight = 300;
constexpr int kListPadding = 45;
constexpr int kListScrollBarRoom = 300;

// A control of that name on the window, or a new one inside the container.
// Creating it in place spares moving a fresh widget between parents.
Control *findOrCreate(forms::Form &form, Kind kind, const QString &name, Control *container)
{
    if (Control *c = form.control(name))
        return c;
    return form.create(kind, name, -1, container);
}

void applyFore(Control *c, const ColourSetting &colour, const WizardState &state)
{
    if (!colour.present)
        c->setForeColor(state.defaultForeColor);
    else if (colour.value)
        c->setForeColor(forms::colourFromBgr(colour.value->bgr));
}

void applyBack(Control *c, const ColourSetting &colour, const WizardState &state)
{
    if (!colour.present)
        c->setBackColor(state.defaultBackColor);
    else if (colour.value)
        c->setBackColor(forms::colourFromBgr(colour.value->bgr));
}

void fillDateList(Control *list, const QString &part, int currentYear)
{
    list->clearItems();
    QStringList entries;
    if (part == QLatin1String("m")) {
        for (int m = 1; m <= 12; ++m)
            entries.append(QString::number(m));
    } else if (part == QLatin1String("d")) {
        for (int d = 1; d <= 31; ++d)
            entries.append(QString::number(d));
    } else if (part == QLatin1String("y")) {
        for (int y = currentYear; y >= currentYear - kYearsListed; --y)
            entries.append(QString::number(y));
    }
    list->addItems(entries);
}

// What option k adds to its object's id in its name: "opt" and k.
QString optionSuffix(int k)
{
    return names::optionName(QString(), k);
}

// The hidden boxes validation reads a typed object's rules from: its
// pattern and whether it may stay empty.
void addRuleHolders(Rendered &rendered, forms::Form &form, const QString &name,
                    const QString &pattern, const QString &optional, Control *container)
{
    rendered.add(
        setHolder(form, names::holderName(name, names::Holder::Pattern), pattern, container),
        Role::PatternHolder);
    rendered.add(
        setHolder(form, names::holderName(name, names::Holder::Optional), optional, container),
        Role::OptionalHolder);
}

} // namespace

bool Render_Image(forms::Form &form, const WizardState &state, const pages::ImageObject &object,
                  Control *container)
{
    Control *c = findOrCreate(form, Kind::Image, object.name, container);
    // Pages often repeat a picture, and every pass through the region screen
    // builds them again: decode each picture of a language once.
    const QString key = QStringLiteral("page-picture/") + state.appPath + u'/' +
                        state.currentLanguage.trimmed().toLower() + u'/' +
                        object.src.trimmed().toLower();
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = languagePicture(state, object.src);
        if (!picture.isNull())
            QPixmapCache::insert(key, picture);
    }
    if (!picture.isNull())
        c->setPicture(picture);
    c->move(object.x, object.y);
    c->resize(object.width, object.height);
    c->setContainer(container);
    c->setVisible(true);
    c->sendToBack();
    return !picture.isNull();
}

Rendered Render_Label(forms::Form &form, const WizardState &state, const pages::LabelObject &object,
                      Control *container)
{
    Control *c = findOrCreate(form, Kind::Label, object.name, container);
    c->setAutoSize(true);
    c->move(object.x, object.y);
    c->setText(graveToLineBreaks(object.src));
    applyFore(c, object.fore, state);
    c->setContainer(container);
    c->setVisible(true);
    c->bringToFront();
    Rendered rendered;
    rendered.add(c, Role::Own);
    return rendered;
}

Rendered Render_TextBox(forms::Form &form, const WizardState &state,
                        const pages::TextObject &object, Control *container)
{
    Control *c = findOrCreate(form, Kind::TextBox, object.name, container);
    c->move(object.x, object.y);
    c->setText(object.src);
    c->resize(object.width, object.height);
    c->setMaxLength(object.maxLength);
    c->setPasswordChar(object.password.left(1));
    // The id up to a "_" it holds, as the box's name carries it.
    if (object.id.section(u'_', 0, 0) == QLatin1String("1")) {
        c->setText(state.gameName);
        c->setEnabled(state.gameName.isEmpty());
    }
    c->setVisible(true);
    applyFore(c, object.fore, state);
    applyBack(c, object.back, state);
    c->setContainer(container);
    Rendered rendered;
    rendered.add(c, Role::Own);
    addRuleHolders(rendered, form, object.name, object.patten, object.optional, container);
    return rendered;
}

Rendered Render_Date(forms::Form &form, const WizardState &state, const pages::DateObject &object,
                     Control *container, int currentYear)
{
    Rendered rendered;
    for (int k = 0; k < 3; ++k) {
        Control *list = findOrCreate(form, Kind::ComboBox,
                                     names::datePartName(object.name, object.parts[k]), container);
        list->setWidth(kDateListWidth);
        list->move(object.x + kDateListStep * k, object.y);
        list->setVisible(true);
        list->bringToFront();
        list->setText(object.texts[k]);
        list->setContainer(container);
        applyFore(list, object.fore, state);
        applyBack(list, object.back, state);
        rendered.add(list, Role::DateList, object.parts[k]);

        if (k < 2) {
            Control *separator =
                findOrCreate(form, Kind::Label,
                             names::dateSeparatorName(object.name, object.parts[k]), container);
            applyFore(separator, object.fore, state);
            separator->setAutoSize(true);
            separator->setText(QString(object.separator));
            separator->setContainer(container);
            separator->move(list->left() + kDateSeparatorOffset, object.y);
            separator->setVisible(true);
            separator->bringToFront();
            rendered.add(separator, Role::DateSeparator, names::code::label + object.parts[k]);
        }
        fillDateList(list, object.parts[k], currentYear);
    }
    addRuleHolders(rendered, form, object.name, object.patten, object.optional, container);
    return rendered;
}

Rendered Render_Combo(forms::Form &form, const WizardState &state, const pages::ComboObject &object,
                      Control *container)
{
    const QList<Control *> family = form.family(names::answerFamily);
    Control *c = nullptr;
    for (qsizetype i = 1; i < family.size() && !c; ++i) {
        if (family[i]->tag() == object.name) {
            c = family[i];
            c->clearItems();
        }
    }
    if (!c) {
        // The next index after the family's last element; with the family
        // kept contiguous this is its count.
        const int index = family.isEmpty() ? 1 : family.last()->index() + 1;
        c = form.create(Kind::ComboBox, names::answerFamily, index, container);
        c->setTag(object.name);
    }
    c->addItem(object.defaultText);
    c->move(object.x, object.y);
    QStringList others;
    for (const QString &value : object.values)
        if (value != object.defaultText)
            others.append(value);
    c->addItems(others);
    applyFore(c, object.fore, state);
    applyBack(c, object.back, state);
    c->setWidth(object.width);
    c->setContainer(container);
    c->setVisible(true);
    Rendered rendered;
    rendered.add(c, Role::AnswerList);
    return rendered;
}

Rendered Render_ListBox(forms::Form &form, const WizardState &state,
                        const pages::ListObject &object, Control *container)
{
    // The list is a real multiple-selection list: a bordered scroll box whose
    // options are check boxes inside it, named N + "opt" + k. A click toggles
    // one option, and validation counts the chosen options exactly as it does
    // for a check-box question. Its optional holder N + "_optional"
    // follows the same contract: "0" when the list may stay empty, otherwise
    // the number of options.
    Control *list = findOrCreate(form, Kind::ListBox, object.name, container);
    list->move(object.x, object.y);
    list->resize(object.width, object.height);
    applyFore(list, object.fore, state);
    applyBack(list, object.back, state);
    list->setContainer(container);
    list->setVisible(true);
    Rendered rendered;
    rendered.add(list, Role::Own);

    const int rowWidth = std::max(0, object.width - 2 * kListPadding - kListScrollBarRoom);
    for (int k = 0; k < object.values.size(); ++k) {
        Control *option =
            findOrCreate(form, Kind::CheckBox, names::optionName(object.name, k), list);
        option->move(kListPadding, kListPadding + k * kListRowHeight);
        option->resize(rowWidth, kListRowHeight);
        option->setText(object.values[k]);
        applyFore(option, object.fore, state);
        applyBack(option, object.back, state);
        option->setContainer(list);
        option->setVisible(true);
        rendered.add(option, Role::Option, optionSuffix(k));
    }
    rendered.add(setHolder(form, names::holderName(object.name, names::Holder::Optional),
                           object.optional == QLatin1String("1")
                               ? QStringLiteral("0")
                               : QString::number(object.values.size()),
                           container),
                 Role::OptionalHolder);
    return rendered;
}

Rendered Render_CheckBox(forms::Form &form, const WizardState &state,
                         const pages::CheckObject &object, Control *container)
{
    Rendered rendered;
    for (int k = 0; k < object.captions.size(); ++k) {
        Control *box =
            findOrCreate(form, Kind::CheckBox, names::optionName(object.name, k), container);
        box->move(object.xs[k], object.ys[k]);
        box->setText(object.captions[k]);
        box->setWidth(object.width);
        box->setContainer(container);
        box->setVisible(true);
        applyFore(box, object.fore, state);
        applyBack(box, object.back, state);
        rendered.add(box, Role::Option, optionSuffix(k));
    }
    Control *holder =
        setHolder(form, names::holderName(object.name, names::Holder::Optional),
                  object.optional == QLatin1String("1") ? QStringLiteral("0")
                                                        : QString::number(object.captions.size()),
                  container);
    if (object.error)
        holder->setTag(*object.error);
    rendered.add(holder, Role::OptionalHolder);
    return rendered;
}

Rendered Render_RadioBox(forms::Form &form, const WizardState &state,
                         const pages::RadioObject &object, Control *container)
{
    // The group frame spans the options' positions. With positions in
    // ascending order (as configurations write them) this is the first to the
    // last value; taking the extremes keeps every option inside the frame,
    // and so answerable, whatever the order.
    const auto [minX, maxX] = std::minmax_element(object.xs.begin(), object.xs.end());
    const auto [minY, maxY] = std::minmax_element(object.ys.begin(), object.ys.end());

    Control *frame = findOrCreate(form, Kind::Frame, names::groupFrameName(object.name), container);
    frame->move(*minX, *minY);
    frame->resize(object.width + (*maxX - *minX), *maxY - *minY + kOptionHeight);
    frame->setContainer(container);
    frame->setVisible(true);
    frame->bringToFront();
    frame->setBackColor(state.defaultBackColor);
    Rendered rendered;
    rendered.add(frame, Role::Group);

    for (int k = 0; k < object.captions.size(); ++k) {
        Control *option =
            findOrCreate(form, Kind::OptionButton, names::optionName(object.name, k), frame);
        option->move(object.xs[k] - frame->left(), object.ys[k] - frame->top());
        option->resize(object.width, kOptionHeight);
        option->setText(object.captions[k]);
        option->setValue(object.defaultIndex == k ? 1 : 0);
        applyFore(option, object.fore, state);
        applyBack(option, object.back, state);
        // No raising: an option created in (or moved into) the frame is its
        // front-most child already, so creation order is the stacking order.
        // Raising each one would search the frame's children every time and
        // make a box of many options quadratic to build.
        option->setContainer(frame);
        option->setVisible(true);
        rendered.add(option, Role::Option, optionSuffix(k));
    }
    return rendered;
}
