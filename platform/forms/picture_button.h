#pragma once

// The widgets behind the image controls. A picture label shows its pixmap at
// its natural size in the top-left corner and reports mouse moves (the hover
// rule listens to them). A picture button is a picture label that clicks,
// shows the custom pointer, and can be reached and pressed from the keyboard.
// A picture button without a picture (its picture was never found) draws a
// plain button with its caption, or else its accessible name, so that it
// stays where it is, visible and pressable.
//
// To assistive technology a picture button is a push button (not the image
// its label would be) with a press action; its name is the caller's
// (setAccessibleName), since only the caller knows what the picture says.

#include <QLabel>

namespace forms {

class PictureLabel : public QLabel {
    Q_OBJECT
  public:
    explicit PictureLabel(QWidget *parent = nullptr);

  signals:
    void mouseMoved();

  protected:
    void mouseMoveEvent(QMouseEvent *event) override;
};

class PictureButton : public PictureLabel {
    Q_OBJECT
  public:
    explicit PictureButton(QWidget *parent = nullptr);

    // The pointer shown over every picture button: 32 x 32, hot spot (12, 1).
    // Taken from the resource ":/cursor/pointer.png" when the program carries it.
    static QCursor pointer();
    // What a button without a picture shows: its caption, else its name.
    QString plainCaption() const;
    // Presses the button as a click, Enter or Space would.
    void click();

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

  private:
    bool m_pressed = false;
};

} // namespace forms
