#pragma once

// A window's control collection: the fixed layout's controls in layout order,
// then run-time controls in creation order. Qt's children() order changes with
// raise()/lower(), so the order is kept here explicitly.
//
// The text boxes and lists of the fixed layout, and text boxes created hidden
// (they only carry text), wait for their widget until it is needed: until the
// control is on screen, or until something beyond its name, place, flags,
// colours and text-box text is asked of it. The captions of the fixed
// layout's labels are laid out (and the labels sized to them) the same way.
// A window thus appears without building or measuring what its first screen
// does not show; the window's own first showing settles what it shows only
// once the window is mapped, before it is drawn. Collection order, names,
// containers, stacking and keyboard order are those of creation.

#include "platform/forms/control.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QWidget>

#include <utility>

namespace forms {

class Form : public QObject {
    Q_OBJECT
  public:
    explicit Form(QWidget *window);
    ~Form() override;

    QWidget *window() const { return m_window; }

    // The live controls in collection order.
    QList<Control *> controls() const;
    int count() const { return int(controls().size()); }

    // Lookup ignores letter case ("txtFirstname" finds txtFirstName). With
    // index -1 the first control of that name is returned, array or not.
    Control *control(const QString &name, int index = -1) const;
    // Elements of a control array, in index order.
    QList<Control *> family(const QString &name) const;

    // Creates a control at run time, on the window or inside a frame; it is
    // visible and goes to the end of the collection.
    Control *create(Kind kind, const QString &name, int index = -1, Control *container = nullptr);
    // Used by the fixed layouts: the control belongs to the window's design
    // and cannot be removed at run time.
    Control *createDesign(Kind kind, const QString &name, int index = -1,
                          Control *container = nullptr);
    // A run-time control that starts hidden, as a text box that only carries
    // a setting does; like create() otherwise.
    Control *createHidden(Kind kind, const QString &name, int index = -1,
                          Control *container = nullptr);

    // Keyboard order of the fixed layout: Tab walks these in this order (those
    // that take the keyboard), whenever their widgets are built.
    void setTabOrder(const QList<Control *> &chain);

    // Removes a run-time control (and what it contains). Design-time controls
    // cannot be removed: false.
    bool remove(Control *control);

    // Client size of the window in twips, and its position on the screen.
    int width() const;
    int height() const;
    void setWidth(int twips);
    void setHeight(int twips);
    int left() const;
    int top() const;
    void move(int left, int top);
    // Outer size: the client plus the border, as dialog layouts measure it.
    static constexpr int kBorderTwips = 60;
    int outerWidth() const { return width() + 2 * kBorderTwips; }
    int outerHeight() const { return height() + 2 * kBorderTwips; }

    QString caption() const;
    void setCaption(const QString &caption);

  signals:
    // What was on screen and waiting has just been built and laid out: the
    // window is up (or a frame came on screen) and about to be drawn.
    void settled();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    friend class Control;
    Control *make(Kind kind, const QString &name, int index, Control *container, bool design,
                  bool hidden);
    // Builds the widget of a waiting control, in its place among its
    // siblings and in the keyboard order.
    void buildWidget(Control *control);
    // Builds and lays out what waits and is on screen now.
    void settle();
    qint64 nextStack() { return ++m_stackClock; }
    // Drops the entries of controls that are gone, once they outnumber the
    // live ones: removing many controls stays linear.
    void compact();
    // The control whose own widget `widget` is; nothing for any other widget
    // (the inside of a list's scroll area, a combo box's edit field). One
    // lookup, however many controls share the widget's parent.
    Control *controlOf(const QObject *widget) const;
    // The band of rows of a list box's content that holds an option placed
    // at `place` (content coordinates, made the band's), grown to hold it.
    QWidget *listBand(QWidget *content, QRect &place);

    QPointer<QWidget> m_window;
    QList<QPointer<Control>> m_controls;
    // The same controls by case-folded name, in collection order: a lookup
    // by name costs the same with two thousand page controls as with ten.
    QHash<QString, QList<QPointer<Control>>> m_byName;
    // Each built control by its widget (entries of controls gone are null).
    QHash<const QObject *, QPointer<Control>> m_byWidget;
    // The bands of list boxes, by the widget they lie in and their number.
    QHash<std::pair<const QWidget *, int>, QPointer<QWidget>> m_bands;
    int m_removed = 0;
    int m_width = 0, m_height = 0;
    qint64 m_stackClock = 0;
    QList<QPointer<Control>> m_tabChain;
    bool m_windowShown = false;
    bool m_settlePosted = false;
};

} // namespace forms
