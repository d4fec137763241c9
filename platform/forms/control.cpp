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

} // namespace

Control::Control(Form *form, QWidget *widget, Kind kind, const QString &name, int index,
                 bool designTime)
    : QObject(widget), m_form(form), m_widget(widget), m_kind(kind), m_name(name), m_index(index),
      m_designTime(designTime)
{
    const QSize px = widget->size();
    m_width = pixelsToTwips(px.width());
    m_height = pixelsToTwips(px.height());

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
    m_widget->setGeometry(pixels);
    // A list box scrolls over its options: its content grows to hold each one.
    if (m_inListBox) {
        if (QWidget *content = m_widget->parentWidget()) {
            const QRect g = m_widget->geometry();
            content->resize(std::max(content->width(), g.right() + 1),
                            std::max(content->height(), g.bottom() + 1));
        }
    }
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
    if (m_widget)
        m_widget->setVisible(visible);
}

bool Control::isEnabled() const
{
    return m_widget && m_widget->isEnabled();
}
void Control::setEnabled(bool enabled)
{
    if (m_widget)
        m_widget->setEnabled(enabled);
}

QString Control::text() const
{
    if (!m_widget)
        return {};
    switch (m_kind) {
    case Kind::TextBox:
        return static_cast<QLineEdit *>(m_widget.data())->text();
    case Kind::ComboBox:
        return static_cast<QComboBox *>(m_widget.data())->currentText();
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
    if (!m_widget)
        return;
    switch (m_kind) {
    case Kind::TextBox: {
        // Setting the text a box already has changes nothing the player sees;
        // skipping it spares the line's layout (most holders start empty).
        auto *e = static_cast<QLineEdit *>(m_widget.data());
        if (e->text() != text)
            e->setText(text);
        break;
    }
    case Kind::ComboBox: {
        auto *c = static_cast<QComboBox *>(m_widget.data());
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

void Control::showCaption()
{
    auto *l = qobject_cast<QLabel *>(m_widget.data());
    if (!l)
        return;
    const QString text = forDisplay(m_caption);
    const int limit = twipsToPixels(m_wrapWidth);
    l->setText(m_wrapWidth > 0 &&
                       QFontMetrics(l->font()).boundingRect(QRect(), 0, text).width() > limit
                   ? wrappedToWidth(text, l->font(), limit)
                   : text);
    if (m_autoSize)
        fitToCaption();
}

void Control::fitToCaption()
{
    auto *l = qobject_cast<QLabel *>(m_widget.data());
    if (!l)
        return;
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
    if (auto *e = qobject_cast<QLineEdit *>(m_widget.data()))
        e->setMaxLength(length > 0 ? length : 32767);
}

int Control::maxLength() const
{
    auto *e = qobject_cast<QLineEdit *>(m_widget.data());
    if (!e)
        return 0;
    return e->maxLength() == 32767 ? 0 : e->maxLength();
}

void Control::setPasswordChar(const QString &mask)
{
    auto *e = qobject_cast<QLineEdit *>(m_widget.data());
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
    if (auto *c = qobject_cast<QComboBox *>(m_widget.data())) {
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
    if (auto *c = qobject_cast<QComboBox *>(m_widget.data())) {
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
    auto *c = qobject_cast<QComboBox *>(m_widget.data());
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
    auto *c = qobject_cast<QComboBox *>(m_widget.data());
    return c ? c->count() : 0;
}

QString Control::item(int i) const
{
    auto *c = qobject_cast<QComboBox *>(m_widget.data());
    return c ? c->itemText(i) : QString();
}

int Control::listIndex() const
{
    auto *c = qobject_cast<QComboBox *>(m_widget.data());
    return c ? c->currentIndex() : -1;
}

void Control::setListIndex(int index)
{
    auto *c = qobject_cast<QComboBox *>(m_widget.data());
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
    if (auto *s = qobject_cast<QScrollArea *>(m_widget.data()))
        return s->widget();
    return m_widget;
}

Control *Control::container() const
{
    if (!m_widget || !m_form)
        return nullptr;
    for (QWidget *p = m_widget->parentWidget(); p && p != m_form->window(); p = p->parentWidget()) {
        for (QObject *o : p->children())
            if (auto *c = qobject_cast<Control *>(o))
                return c;
        // A list box's options live in its scroll area's inner widgets.
    }
    return nullptr;
}

void Control::setContainer(Control *frame)
{
    if (!m_widget || !m_form)
        return;
    QWidget *target = frame ? frame->contentWidget() : m_form->window();
    if (!target || target == m_widget->parentWidget())
        return;
    // setParent() hides a widget; the control keeps its own flag.
    m_widget->setParent(target);
    m_inListBox = frame && frame->kind() == Kind::ListBox;
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
    if (m_widget)
        m_widget->raise();
}

void Control::sendToBack()
{
    if (m_widget)
        m_widget->lower();
}

bool Control::setFocus()
{
    if (!m_widget || !m_widget->isEnabled() || m_widget->focusPolicy() == Qt::NoFocus)
        return false;
    m_widget->setFocus(Qt::OtherFocusReason);
    return true;
}

} // namespace forms
