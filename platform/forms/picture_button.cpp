#include "platform/forms/picture_button.h"

#include "platform/forms/accessibility.h"

#include <QBitmap>
#include <QCursor>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

namespace forms {

PictureLabel::PictureLabel(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground, false);
}

void PictureLabel::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    // Handled here: passed on, the move would also reach the window behind
    // and count as a move over its background.
    event->accept();
}

PictureButton::PictureButton(QWidget *parent) : PictureLabel(parent)
{
    setCursor(pointer());
    setFocusPolicy(Qt::StrongFocus);
    installAccessibility();
}

void PictureButton::click()
{
    emit clicked();
}

QCursor PictureButton::pointer()
{
    static const QCursor cursor = [] {
        // Read as PNG by name: left to find the format itself, the reader
        // would load every image-format plugin first to ask each one.
        QImageReader reader(QStringLiteral(":/cursor/pointer.png"), QByteArrayLiteral("png"));
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (image.isNull())
            return QCursor(Qt::PointingHandCursor);
        return QCursor(QPixmap::fromImage(image), 12, 1);
    }();
    return cursor;
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    update();
    PictureLabel::mousePressEvent(event);
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    update();
    if (event->button() == Qt::LeftButton && wasPressed &&
        rect().contains(event->position().toPoint()))
        emit clicked();
    PictureLabel::mouseReleaseEvent(event);
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            click();
        return;
    default:
        PictureLabel::keyPressEvent(event);
    }
}

QString PictureButton::plainCaption() const
{
    return text().isEmpty() ? accessibleName() : text();
}

void PictureButton::paintEvent(QPaintEvent *event)
{
    if (pixmap().isNull()) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.text = plainCaption();
        if (m_pressed)
            option.state |= QStyle::State_Sunken;
        QPainter p(this);
        style()->drawControl(QStyle::CE_PushButton, &option, &p, this);
    } else {
        PictureLabel::paintEvent(event);
    }
    if (!hasFocus())
        return;
    // A keyboard user must see which button Enter or Space will press.
    QPainter p(this);
    QPen pen(palette().color(QPalette::Highlight));
    pen.setWidth(2);
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(1, 1, -2, -2));
}

} // namespace forms
