#include "platform/forms/control.h"

#include "platform/forms/form.h"
#include "platform/forms/picture_button.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QScrollArea>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace forms {

QString typeName(Kind kind)
{
    switch (kind) {
    case Kind::TextBox:
        return QStringLiteral("TextBox");
    case Kind::ComboBox:
        return QStringLiteral("ComboBox");
    case Kind::OptionButton:
        return QStringLiteral("OptionButton");
    case Kind::CheckBox:
        return QStringLiteral("CheckBox");
    case Kind::Label:
        return QStringLiteral("Label");
    case Kind::Frame:
        return QStringLiteral("Frame");
    case Kind::Image:
    case Kind::PictureButton:
        return QStringLiteral("Image");
    case Kind::ListBox:
        return QStringLiteral("ListBox");
    }
    return {};
}

int twipsToPixels(int twips)
{
    return int(std::lround(double(twips) / kTwipsPerPixel));
}
int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

namespace {

// Captions keep CR LF as written; widgets want a plain line feed.
QString forDisplay(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

// Breaks each line of text into lines no wider than widthPx: at a blank
// where there is one, anywhere in a word longer than a whole line (a path, a
// long address). Qt's text layout knows the line-breaking rules of every
// script; the label's own word wrap would let such a word run out.
QString wrappedToWidth(const QString &text, const QFont &font, int widthPx)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList lines;
    for (const QString &paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(widthPx);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (part.endsWith(u' ')) // the blank the line broke at
                part.chop(1);
            lines.append(part);
        }
        layout.endLayout();
    }
    return lines.join(u'\n');
}

void nameWidget(QWidget *widget, const QString &name)
{
    widget->setAccessibleName(name);
    // Typing into a list goes to its edit field, which is then what a screen
    // reader announces.
    if (auto *c = qobject_cast<QComboBox *>(widget); c && c->lineEdit())
        c->lineEdit()->setAccessibleName(name);
}

} // namespace

Control::Control(Form *form, QWidget *parent, Kind kind, const QString &name, int index,
                 bool designTime)
    : QObject(parent), m_form(form), m_kind(kind), m_name(name), m_index(index),
      m_designTime(designTime)
{
    // The size Qt gives a child widget until it is given one.
    m_width = pixelsToTwips(100);
    m_height = pixelsToTwips(30);
}

void Control::attach(QWidget *widget)
{
    m_widget = widget;
    setParent(widget);
    m_form->m_byWidget.insert(widget, this);
    // What was set while the widget waited; no signal tells of it again.
    if (!m_enabled)
        widget->setEnabled(false);
    if (!m_accessibleName.isEmpty())
        nameWidget(widget, m_accessibleName);
    if (!m_accessibleDescription.isEmpty())
        widget->setAccessibleDescription(m_accessibleDescription);
    if (auto *e = qobject_cast<QLineEdit *>(widget)) {
        if (m_waitingMaxLength > 0)
            e->setMaxLength(m_waitingMaxLength);
        e->setText(m_waitingText);
        m_waitingText.clear();
    }
    if (m_fore)
        setForeColor(*m_fore);
    if (m_back)
        setBackColor(*m_back);

    if (auto *b = qobject_cast<PictureButton *>(widget))
        connect(b, &PictureButton::clicked, this, &Control::clicked);
    if (auto *l = qobject_cast<PictureLabel *>(widget))
        connect(l, &PictureLabel::mouseMoved, this, &Control::mouseMoved);
    if (auto *b = qobject_cast<QAbstractButton *>(widget))
        connect(b, &QAbstractButton::clicked, this, &Control::clicked);
    if (auto *e = qobject_cast<QLineEdit *>(widget))
        connect(e, &QLineEdit::textChanged, this, &Control::changed);
    if (auto *c = qobject_cast<QComboBox *>(widget)) {
        connect(c, &QComboBox::activated, this, &Control::clicked);
        connect(c, &QComboBox::editTextChanged, this, &Control::changed);
    }
}

QWidget *Control::widget() const
{
    if (m_waiting)
        m_form->buildWidget(const_cast<Control *>(this));
    settleCaption();
    return m_widget;
}

QWidget *Control::parentWidget() const
{
    return m_widget ? m_widget->parentWidget() : qobject_cast<QWidget *>(parent());
}

bool Control::onScreen() const
{
    const QWidget *p = parentWidget();
    return p && p->isVisible() && m_form->m_windowShown;
}

QComboBox *Control::comboBox() const
{
    return m_kind == Kind::ComboBox ? static_cast<QComboBox *>(widget()) : nullptr;
}

QLineEdit *Control::lineEdit() const
{
    return m_kind == Kind::TextBox ? static_cast<QLineEdit *>(widget()) : nullptr;
}

void Control::applyGeometry()
{
    if (!m_widget)
        return;
    const QRect pixels(twipsToPixels(m_left), twipsToPixels(m_top), twipsToPixels(m_width),
                       twipsToPixels(m_height));
    // A frame keeps exactly the size the code gives it. The fixed size goes
    // first: set afterwards from the widget's size, it would pin the frame to
    // its first size and clamp every later resize.
    if (m_kind == Kind::Frame)
        m_widget->setFixedSize(pixels.size());
    if (!m_inListBox || !m_listContent) {
        m_widget->setGeometry(pixels);
        return;
    }
    // A list box scrolls over its options, each in the band of rows where
    // it stands (see Form::listBand); the content grows to hold each one.
    QRect place = pixels;
    QWidget *band = m_form->listBand(m_listContent, place);
    if (m_widget->parentWidget() != band) {
        // setParent() hides a widget; the control keeps its own flag.
        m_widget->setParent(band);
        m_widget->setVisible(m_visible);
    }
    m_widget->setGeometry(place);
    const QRect g = m_widget->geometry().translated(pixels.topLeft() - place.topLeft());
    m_listContent->resize(std::max(m_listContent->width(), g.right() + 1),
                          std::max(m_listContent->height(), g.bottom() + 1));
}

void Control::setLeft(int twips)
{
    m_left = twips;
    applyGeometry();
}
void Control::setTop(int twips)
{
    m_top = twips;
    applyGeometry();
}
void Control::setWidth(int twips)
{
    m_width = twips;
    applyGeometry();
}
void Control::setHeight(int twips)
{
    // A combo box keeps the height of its edit field, as list controls do.
    if (m_kind == Kind::ComboBox)
        return;
    m_height = twips;
    applyGeometry();
}
void Control::move(int left, int top)
{
    m_left = left;
    m_top = top;
    applyGeometry();
}
void Control::resize(int width, int height)
{
    m_width = width;
    if (m_kind != Kind::ComboBox)
        m_height = height;
    applyGeometry();
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    if (m_waiting) {
        if (visible && onScreen())
            m_form->buildWidget(this);
        return;
    }
    if (m_widget)
        m_widget->setVisible(visible);
    if (visible && m_captionWaiting && m_widget && m_widget->isVisible() && m_form->m_windowShown)
        settleCaption();
}

bool Control::isEnabled() const
{
    if (m_waiting) {
        // As Qt answers: off when disabled itself or inside something disabled.
        const QWidget *p = parentWidget();
        return m_enabled && (!p || p->isEnabled());
    }
    return m_widget && m_widget->isEnabled();
}
void Control::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_widget)
        m_widget->setEnabled(enabled);
}

void Control::setEditable(bool editable)
{
    if (m_kind != Kind::ComboBox)
        return;
    m_editable = editable;
    if (m_widget) {
        static_cast<QComboBox *>(m_widget.data())->setEditable(editable);
        nameWidget(m_widget, m_accessibleName);
    }
}

void Control::setAccessibleName(const QString &name)
{
    m_accessibleName = name;
    if (m_widget)
        nameWidget(m_widget, name);
}

void Control::setAccessibleDescription(const QString &description)
{
    m_accessibleDescription = description;
    if (m_widget)
        m_widget->setAccessibleDescription(description);
}

namespace {

// What a line edit keeps of a text: the first maxLength characters (its
// default limit is 32767).
QString cutToLength(const QString &text, int maxLength)
{
    return text.left(maxLength > 0 ? maxLength : 32767);
}

} // namespace

QString Control::text() const
{
    if (m_waiting && m_kind == Kind::TextBox)
        return m_waitingText;
    if (!exists())
        return {};
    switch (m_kind) {
    case Kind::TextBox:
        return lineEdit()->text();
    case Kind::ComboBox:
        return comboBox()->currentText();
    case Kind::Label:
    case Kind::OptionButton:
    case Kind::CheckBox:
    case Kind::Frame:
        return m_caption;
    default:
        return {};
    }
}

void Control::setText(const QString &text)
{
    if (!exists())
        return;
    if (m_waiting && m_kind == Kind::TextBox) {
        const QString kept = cutToLength(text, m_waitingMaxLength);
        if (kept != m_waitingText) {
            m_waitingText = kept;
            emit changed();
        }
        return;
    }
    switch (m_kind) {
    case Kind::TextBox: {
        // Setting the text a box already has changes nothing the player sees;
        // skipping it spares the line's layout (most holders start empty).
        auto *e = lineEdit();
        if (e->text() != text)
            e->setText(text);
        break;
    }
    case Kind::ComboBox: {
        auto *c = comboBox();
        if (c->isEditable()) {
            c->setEditText(text);
        } else {
            // A list without an edit field can only show one of its entries.
            const int i = c->findText(text, Qt::MatchFixedString);
            if (i >= 0 || text.isEmpty())
                setListIndex(i);
        }
        break;
    }
    case Kind::Label:
        m_caption = text;
        showCaption();
        break;
    case Kind::OptionButton:
    case Kind::CheckBox:
        m_caption = text;
        static_cast<QAbstractButton *>(m_widget.data())->setText(forDisplay(text));
        break;
    case Kind::Frame:
        m_caption = text;
        break;
    default:
        break;
    }
}

void Control::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on)
        fitToCaption();
}

void Control::setWrapWidth(int twips)
{
    m_wrapWidth = std::max(twips, 0);
    if (m_kind == Kind::Label)
        showCaption();
}

bool Control::captionMayWait() const
{
    // Laying out a caption needs the fonts: a fixed-layout label that is not
    // on screen yet waits (and is laid out the moment its size is asked for).
    return m_designTime && !(m_widget->isVisible() && m_form->m_windowShown);
}

void Control::showCaption()
{
    if (!qobject_cast<QLabel *>(m_widget.data()))
        return;
    m_captionWaiting = true;
    if (!captionMayWait())
        settleCaption();
}

void Control::settleCaption() const
{
    if (!m_captionWaiting)
        return;
    auto *self = const_cast<Control *>(this);
    self->m_captionWaiting = false;
    auto *l = static_cast<QLabel *>(m_widget.data());
    const QString text = forDisplay(m_caption);
    const int limit = twipsToPixels(m_wrapWidth);
    l->setText(m_wrapWidth > 0 &&
                       QFontMetrics(l->font()).boundingRect(QRect(), 0, text).width() > limit
                   ? wrappedToWidth(text, l->font(), limit)
                   : text);
    if (m_autoSize)
        self->fitNow();
}

void Control::fitToCaption()
{
    if (!qobject_cast<QLabel *>(m_widget.data()))
        return;
    if (m_captionWaiting || captionMayWait())
        m_captionWaiting = true;
    else
        fitNow();
}

void Control::fitNow()
{
    auto *l = static_cast<QLabel *>(m_widget.data());
    const QSize hint = l->sizeHint();
    m_width = pixelsToTwips(hint.width());
    m_height = pixelsToTwips(hint.height());
    applyGeometry();
}

int Control::value() const
{
    auto *b = qobject_cast<QAbstractButton *>(m_widget.data());
    return b && b->isChecked() ? 1 : 0;
}

void Control::setValue(int value)
{
    if (auto *b = qobject_cast<QAbstractButton *>(m_widget.data()))
        b->setChecked(value != 0);
}

void Control::setForeColor(const QColor &colour)
{
    m_fore = colour;
    if (!m_widget)
        return;
    QPalette pal = m_widget->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, colour);
    m_widget->setPalette(pal);
}

void Control::setBackColor(const QColor &colour)
{
    m_back = colour;
    if (!m_widget)
        return;
    QPalette pal = m_widget->palette();
    switch (m_kind) {
    case Kind::TextBox:
    case Kind::ComboBox:
    case Kind::ListBox:
        pal.setColor(QPalette::Base, colour);
        break;
    case Kind::Label:
        // Labels stay transparent over the skinned background.
        return;
    default:
        pal.setColor(QPalette::Window, colour);
        pal.setColor(QPalette::Button, colour);
        m_widget->setAutoFillBackground(true);
        break;
    }
    m_widget->setPalette(pal);
}

void Control::setMaxLength(int length)
{
    if (m_waiting && m_kind == Kind::TextBox) {
        // A shorter limit cuts the text already there, as the box would.
        m_waitingMaxLength = std::max(length, 0);
        setText(m_waitingText);
        return;
    }
    if (auto *e = lineEdit())
        e->setMaxLength(length > 0 ? length : 32767);
}

int Control::maxLength() const
{
    if (m_waiting && m_kind == Kind::TextBox)
        return m_waitingMaxLength;
    auto *e = lineEdit();
    if (!e)
        return 0;
    return e->maxLength() == 32767 ? 0 : e->maxLength();
}

void Control::setPasswordChar(const QString &mask)
{
    auto *e = lineEdit();
    if (!e)
        return;
    if (mask.isEmpty()) {
        e->setEchoMode(QLineEdit::Normal);
        return;
    }
    // Each typed character shows as the configured mask character, not as
    // the style's own bullet; the style sheet is the one place Qt takes it.
    e->setStyleSheet(
        QStringLiteral("QLineEdit { lineedit-password-character: %1; }").arg(mask.at(0).unicode()));
    e->setEchoMode(QLineEdit::Password);
}

void Control::clearItems()
{
    if (auto *c = comboBox()) {
        const QSignalBlocker block(c);
        const QString text = c->isEditable() ? c->currentText() : QString();
        c->clear();
        // Clearing the entries of an editable list leaves its edit field alone.
        if (c->isEditable())
            c->setEditText(text);
    }
}

void Control::addItem(const QString &item)
{
    if (auto *c = comboBox()) {
        const QSignalBlocker block(c);
        const bool wasEmpty = c->count() == 0;
        const QString text = c->currentText();
        c->addItem(item);
        // Adding entries never selects one: Qt would select the first.
        if (wasEmpty) {
            c->setCurrentIndex(-1);
            if (c->isEditable())
                c->setEditText(text);
        }
    }
}

void Control::addItems(const QStringList &items)
{
    auto *c = comboBox();
    if (!c || items.isEmpty())
        return;
    const QSignalBlocker block(c);
    const bool wasEmpty = c->count() == 0;
    const QString text = c->currentText();
    c->addItems(items);
    if (wasEmpty) {
        c->setCurrentIndex(-1);
        if (c->isEditable())
            c->setEditText(text);
    }
}

int Control::itemCount() const
{
    auto *c = comboBox();
    return c ? c->count() : 0;
}

QString Control::item(int i) const
{
    auto *c = comboBox();
    return c ? c->itemText(i) : QString();
}

int Control::listIndex() const
{
    auto *c = comboBox();
    return c ? c->currentIndex() : -1;
}

void Control::setListIndex(int index)
{
    auto *c = comboBox();
    if (!c || index < -1 || index >= c->count())
        return;
    {
        const QSignalBlocker block(c);
        c->setCurrentIndex(index);
    }
    emit changed();
    emit clicked();
}

void Control::setPicture(const QPixmap &picture)
{
    auto *l = qobject_cast<PictureLabel *>(m_widget.data());
    if (!l)
        return;
    l->setPixmap(picture);
    if (m_kind == Kind::PictureButton && !picture.isNull()) {
        const QSize s = picture.deviceIndependentSize().toSize();
        m_width = pixelsToTwips(s.width());
        m_height = pixelsToTwips(s.height());
        applyGeometry();
    }
}

bool Control::hasPicture() const
{
    auto *l = qobject_cast<PictureLabel *>(m_widget.data());
    return l && !l->pixmap().isNull();
}

qint64 Control::pictureKey() const
{
    auto *l = qobject_cast<PictureLabel *>(m_widget.data());
    return l && !l->pixmap().isNull() ? l->pixmap().cacheKey() : 0;
}

QWidget *Control::contentWidget() const
{
    QWidget *w = widget();
    if (auto *s = qobject_cast<QScrollArea *>(w))
        return s->widget();
    return w;
}

Control *Control::container() const
{
    if (m_waiting)
        return m_waitingContainer;
    if (!m_widget || !m_form)
        return nullptr;
    // The first widget up the parent chain that is a control's own (a list
    // box's options live in its scroll area's inner widgets; controls that
    // wait for their widget are children of the widget they will go into).
    for (QWidget *p = m_widget->parentWidget(); p && p != m_form->window(); p = p->parentWidget())
        if (Control *c = m_form->controlOf(p))
            return c;
    return nullptr;
}

void Control::setContainer(Control *frame)
{
    if (!exists() || !m_form)
        return;
    QWidget *target = frame ? frame->contentWidget() : m_form->window();
    if (!target || target == parentWidget())
        return;
    m_stack = m_form->nextStack();
    if (m_waiting) {
        setParent(target);
        m_waitingContainer = frame;
        m_inListBox = frame && frame->kind() == Kind::ListBox;
        m_listContent = m_inListBox ? target : nullptr;
        if (m_visible && onScreen())
            m_form->buildWidget(this);
        return;
    }
    // setParent() hides a widget; the control keeps its own flag.
    m_widget->setParent(target);
    m_inListBox = frame && frame->kind() == Kind::ListBox;
    m_listContent = m_inListBox ? target : nullptr;
    applyGeometry();
    m_widget->setVisible(m_visible);
}

bool Control::isInside(const Control *frame) const
{
    for (const Control *c = container(); c; c = c->container())
        if (c == frame)
            return true;
    return false;
}

void Control::bringToFront()
{
    if (m_form)
        m_stack = m_form->nextStack();
    if (m_widget)
        m_widget->raise();
}

void Control::sendToBack()
{
    if (m_form)
        m_stack = -m_form->nextStack();
    if (m_widget)
        m_widget->lower();
}

bool Control::setFocus()
{
    QWidget *w = exists() ? widget() : nullptr;
    if (!w || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus)
        return false;
    w->setFocus(Qt::OtherFocusReason);
    return true;
}

} // namespace forms
