#pragma once

// One control of a window, addressed the way a form designer addresses it:
// by name (and index within a control array), kind, container, twips
// geometry and its own visibility flag. A Control lives as a child QObject of
// its widget, so it goes away with the widget.
//
// Some controls wait for their widget (see Form): until it is built, the
// control keeps what was set on it (geometry, flags, colours, a text box's
// text and length) and lives as a child QObject of the widget it will go
// into. Anything else asked of it builds the widget first, so the rules never
// see the difference.

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

#include <QWidget>
class QComboBox;
class QLineEdit;
class QPixmap;

namespace forms {

class Form;

// PictureButton is an image control that clicks; its type name is "Image".
// A ListBox holds its options as check boxes (contained controls), so each
// option can be addressed by name like any other control.
enum class Kind {
    TextBox,
    ComboBox,
    OptionButton,
    CheckBox,
    Label,
    Frame,
    Image,
    PictureButton,
    ListBox
};

// The type names the wizard's rules compare ("TextBox", "ComboBox", ...).
QString typeName(Kind kind);

// 15 twips to a logical pixel; Qt's device-pixel ratio handles dense screens.
inline constexpr int kTwipsPerPixel = 15;
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

class Control : public QObject {
    Q_OBJECT
  public:
    const QString &name() const { return m_name; }
    int index() const { return m_index; } // -1 when not part of a control array
    Kind kind() const { return m_kind; }
    QString typeName() const { return forms::typeName(m_kind); }
    // The widget; one that was still waiting is built now.
    QWidget *widget() const;
    Form *form() const { return m_form; }
    bool isDesignTime() const { return m_designTime; }

    // Free text the program may attach (the designer's Tag).
    const QString &tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    // Geometry in twips, relative to the container; read back exactly as set.
    int left() const { return m_left; }
    int top() const { return m_top; }
    int width() const
    {
        settleCaption();
        return m_width;
    }
    int height() const
    {
        settleCaption();
        return m_height;
    }
    void setLeft(int twips);
    void setTop(int twips);
    void setWidth(int twips);
    void setHeight(int twips);
    void move(int left, int top);
    void resize(int width, int height);

    // The control's own visibility flag, not whether it is on screen now (a
    // visible control inside a hidden frame is still visible here).
    bool isVisibleFlag() const { return m_visible; }
    void setVisible(bool visible);
    bool isEnabled() const;
    void setEnabled(bool enabled);

    // Text of text boxes and combo boxes, caption of labels, option buttons,
    // check boxes and frames. Line breaks may be written as CR LF.
    QString text() const;
    void setText(const QString &text);

    // Labels that size to their caption grow and shrink with it.
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    // Labels: a caption wider than this many twips is shown broken into lines
    // that fit (text() still answers the caption as set); 0, the default,
    // never breaks a line.
    int wrapWidth() const { return m_wrapWidth; }
    void setWrapWidth(int twips);

    // Check boxes: 0 or 1; option buttons: 1 when selected.
    int value() const;
    void setValue(int value);

    void setForeColor(const QColor &colour);
    void setBackColor(const QColor &colour);
    std::optional<QColor> foreColor() const { return m_fore; }
    std::optional<QColor> backColor() const { return m_back; }

    // Combo boxes: with an edit field (the default), or a choice among the
    // entries only.
    void setEditable(bool editable);

    // What assistive technology (a screen reader) says for the control: its
    // name, and a description it reads after the name and the value. Kept
    // for a widget that is still waiting.
    void setAccessibleName(const QString &name);
    const QString &accessibleName() const { return m_accessibleName; }
    void setAccessibleDescription(const QString &description);

    // Text boxes: 0 means no limit.
    void setMaxLength(int length);
    int maxLength() const;
    void setPasswordChar(const QString &mask);

    // Combo and list boxes. A selection made by code fires clicked(), as the
    // player's would; filling the list does not.
    void clearItems();
    void addItem(const QString &item);
    // The same for many entries at once (one insertion into the list's model).
    void addItems(const QStringList &items);
    int itemCount() const;
    QString item(int i) const;
    int listIndex() const;
    void setListIndex(int index);

    // Pictures (image controls). A picture button takes its picture's size.
    void setPicture(const QPixmap &picture);
    bool hasPicture() const;
    qint64 pictureKey() const; // identifies the picture shown (0 = none)

    // The frame that holds this control, or nullptr when it lies on the window.
    Control *container() const;
    // Moves into a frame (nullptr: onto the window); visibility is kept.
    void setContainer(Control *frame);
    // Where contained controls' widgets live (frames and list boxes).
    QWidget *contentWidget() const;
    // True when the control lies inside frame, at any depth.
    bool isInside(const Control *frame) const;

    void bringToFront();
    void sendToBack();
    bool setFocus();

  signals:
    void clicked();
    void changed();
    void mouseMoved();

  private:
    friend class Form;
    Control(Form *form, QWidget *parent, Kind kind, const QString &name, int index,
            bool designTime);
    // Takes the widget built for this control and gives it what was set while
    // it waited.
    void attach(QWidget *widget);
    bool exists() const { return m_widget || m_waiting; }
    QWidget *parentWidget() const;
    bool onScreen() const;
    void applyGeometry();
    void fitToCaption();
    void fitNow();
    void showCaption();
    bool captionMayWait() const;
    // A caption shown or measured late: now, because something asks for it.
    void settleCaption() const;
    QComboBox *comboBox() const;
    QLineEdit *lineEdit() const;

    Form *m_form;
    QPointer<QWidget> m_widget;
    // Waiting for the widget: where it goes, and what it will be given.
    bool m_waiting = false;
    QPointer<Control> m_waitingContainer;
    QString m_waitingText;
    int m_waitingMaxLength = 0;
    bool m_enabled = true;
    bool m_editable = true;
    QString m_accessibleName;
    QString m_accessibleDescription;
    // A fixed-layout label's caption is laid out (and the label sized to it)
    // when the label is first on screen or its size is asked for.
    bool m_captionWaiting = false;
    // Stacking among siblings: raised by creation, a move and bringToFront,
    // lowered by sendToBack; a widget built late takes its place by it.
    qint64 m_stack = 0;
    Kind m_kind;
    QString m_name;
    int m_index;
    bool m_designTime;
    QString m_tag;
    QString m_caption;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_visible = true;
    bool m_autoSize = false;
    int m_wrapWidth = 0;
    bool m_inListBox = false;        // an option inside a list box
    QPointer<QWidget> m_listContent; // that list box's scrolled content
    std::optional<QColor> m_fore, m_back;
};

} // namespace forms
