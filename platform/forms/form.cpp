#include "platform/forms/form.h"

#include "platform/forms/accessibility.h"
#include "platform/forms/picture_button.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QWidget>

#include <algorithm>

namespace forms {

Form::Form(QWidget *window) : QObject(window), m_window(window)
{
    m_width = pixelsToTwips(window->width());
    m_height = pixelsToTwips(window->height());
    window->installEventFilter(this);
}

Form::~Form() = default;

QList<Control *> Form::controls() const
{
    QList<Control *> out;
    out.reserve(m_controls.size());
    for (const QPointer<Control> &c : m_controls)
        if (c && c->exists())
            out.append(c.data());
    return out;
}

Control *Form::control(const QString &name, int index) const
{
    const auto it = m_byName.constFind(name.toCaseFolded());
    if (it == m_byName.cend())
        return nullptr;
    for (const QPointer<Control> &c : *it) {
        if (!c || !c->exists())
            continue;
        if (index < 0 || c->index() == index)
            return c.data();
    }
    return nullptr;
}

QList<Control *> Form::family(const QString &name) const
{
    QList<Control *> out;
    const auto it = m_byName.constFind(name.toCaseFolded());
    if (it == m_byName.cend())
        return out;
    for (const QPointer<Control> &c : *it)
        if (c && c->exists() && c->index() >= 0)
            out.append(c.data());
    std::sort(out.begin(), out.end(),
              [](const Control *a, const Control *b) { return a->index() < b->index(); });
    return out;
}

Control *Form::create(Kind kind, const QString &name, int index, Control *container)
{
    return make(kind, name, index, container, false, false);
}

Control *Form::createDesign(Kind kind, const QString &name, int index, Control *container)
{
    return make(kind, name, index, container, true, false);
}

Control *Form::createHidden(Kind kind, const QString &name, int index, Control *container)
{
    return make(kind, name, index, container, false, true);
}

namespace {

// The one place where each kind of control gets its widget.
QWidget *newWidget(Kind kind, QWidget *parent, bool editable)
{
    switch (kind) {
    case Kind::TextBox:
        return new QLineEdit(parent);
    case Kind::ComboBox: {
        auto *c = new ComboBox(parent);
        if (!editable)
            return c;
        // Editable as setEditable(true) makes it, but without building the
        // popup list now (the style asks setEditable for it): Qt builds it
        // when the list first opens. A window or page holds several lists
        // that are never opened.
        auto *edit = new QLineEdit(c);
        edit->setPalette(c->palette());
        c->setLineEdit(edit);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCurrentIndex(-1);
        return c;
    }
    case Kind::OptionButton:
        return new QRadioButton(parent);
    case Kind::CheckBox:
        return new QCheckBox(parent);
    case Kind::Label: {
        auto *l = new QLabel(parent);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        return l;
    }
    case Kind::Frame: {
        auto *f = new QFrame(parent);
        f->setFrameShape(QFrame::NoFrame);
        return f;
    }
    case Kind::Image:
        return new PictureLabel(parent);
    case Kind::PictureButton:
        return new PictureButton(parent);
    case Kind::ListBox: {
        auto *s = new QScrollArea(parent);
        auto *inner = new QWidget;
        inner->setAutoFillBackground(false);
        // Empty until options arrive; each contained control grows it.
        inner->resize(0, 0);
        s->setWidget(inner);
        s->setWidgetResizable(false);
        s->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return s;
    }
    }
    return nullptr;
}

} // namespace

Control *Form::make(Kind kind, const QString &name, int index, Control *container, bool design,
                    bool hidden)
{
    QWidget *parent = container ? container->contentWidget() : m_window.data();
    auto *c = new Control(this, parent, kind, name, index, design);
    c->m_stack = nextStack();
    c->m_visible = !hidden;
    c->m_inListBox = container && container->kind() == Kind::ListBox;
    c->m_listContent = c->m_inListBox ? parent : nullptr;
    m_controls.append(c);
    m_byName[name.toCaseFolded()].append(c);
    const bool waits = (kind == Kind::TextBox || kind == Kind::ComboBox) && (design || hidden);
    if (waits) {
        c->m_waiting = true;
        c->m_waitingContainer = container;
        return c;
    }
    QWidget *w = newWidget(kind, parent, true);
    w->setObjectName(index >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(index) : name);
    c->attach(w);
    c->applyGeometry();
    w->setVisible(c->m_visible);
    // The fixed layout's frames tell when they come on screen.
    if (design && kind == Kind::Frame)
        w->installEventFilter(this);
    return c;
}

void Form::buildWidget(Control *c)
{
    QWidget *parent = c->parentWidget();
    QWidget *w = newWidget(c->kind(), parent, c->m_editable);
    const QString &name = c->name();
    w->setObjectName(c->index() >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(c->index()) : name);
    // Stacked as if built at creation: under the first sibling that has come
    // up since (created, moved in or raised later), above the rest.
    Control *above = nullptr;
    for (QObject *o : parent->children()) {
        if (o == w || !o->isWidgetType())
            continue;
        Control *s = controlOf(o);
        if (s && s->m_stack > c->m_stack && (!above || s->m_stack < above->m_stack))
            above = s;
    }
    if (above)
        w->stackUnder(above->m_widget);
    c->m_waiting = false;
    c->attach(w);
    c->applyGeometry();
    w->setVisible(c->m_visible);

    // Keyboard order: after the nearest built control before it in the
    // fixed layout's order, or else before the nearest one after it.
    const qsizetype at = m_tabChain.indexOf(c);
    if (at < 0)
        return;
    auto built = [](const QPointer<Control> &p) {
        return p && p->m_widget && p->m_widget->focusPolicy() != Qt::NoFocus;
    };
    for (qsizetype i = at - 1; i >= 0; --i) {
        if (built(m_tabChain[i])) {
            QWidget::setTabOrder(m_tabChain[i]->m_widget, w);
            return;
        }
    }
    for (qsizetype i = at + 1; i < m_tabChain.size(); ++i) {
        if (built(m_tabChain[i])) {
            QWidget *next = m_tabChain[i]->m_widget;
            if (QWidget *before = next->previousInFocusChain(); before && before != w)
                QWidget::setTabOrder(before, w);
            return;
        }
    }
}

void Form::setTabOrder(const QList<Control *> &chain)
{
    m_tabChain.clear();
    QWidget *previous = nullptr;
    for (Control *c : chain) {
        m_tabChain.append(c);
        // A waiting text box or list takes the keyboard; it joins when built.
        if (!c->m_widget || c->m_widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, c->m_widget);
        previous = c->m_widget;
    }
}

void Form::settle()
{
    m_settlePosted = false;
    for (const QPointer<Control> &c : std::as_const(m_controls)) {
        if (!c || !c->exists())
            continue;
        if (c->m_waiting && c->m_visible && c->onScreen())
            buildWidget(c);
        if (c->m_captionWaiting && c->m_widget && c->m_widget->isVisible())
            c->settleCaption();
    }
    emit settled();
}

bool Form::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show)
        return false;
    if (watched == m_window) {
        // The window is about to be mapped: what it shows is built and laid
        // out right after, before it is first drawn.
        m_windowShown = true;
        if (!m_settlePosted) {
            m_settlePosted = true;
            QMetaObject::invokeMethod(this, &Form::settle, Qt::QueuedConnection);
        }
    } else if (m_windowShown) {
        // A frame comes on screen: its controls are there before it is drawn.
        settle();
    }
    return false;
}

bool Form::remove(Control *control)
{
    if (!control || control->isDesignTime() || !control->exists())
        return false;
    // Controls inside the removed one go with it; their entries are dropped
    // together, later (every lookup passes over entries that are gone).
    if (QWidget *w = control->m_widget)
        delete w;
    else
        delete control;
    ++m_removed;
    if (m_removed > m_controls.size() / 2)
        compact();
    return true;
}

void Form::compact()
{
    const auto gone = [](const QPointer<Control> &c) { return !c || !c->exists(); };
    m_controls.removeIf(gone);
    for (auto it = m_byName.begin(); it != m_byName.end();) {
        it->removeIf(gone);
        it = it->isEmpty() ? m_byName.erase(it) : std::next(it);
    }
    m_byWidget.removeIf([](const auto &entry) { return !entry.value(); });
    m_bands.removeIf([](const auto &entry) { return !entry.value(); });
    m_removed = 0;
}

namespace {

// Heights in pixels of the three levels of bands: about 25 rows, 32 of
// those, 32 of those.
constexpr int kBandSpans[] = {512 * 32 * 32, 512 * 32, 512};

int floorDivide(int a, int b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

} // namespace

QWidget *Form::listBand(QWidget *content, QRect &place)
{
    // Qt takes time for each widget it paints that grows with the number of
    // widgets beside it: a list's thousands of options side by side would
    // make showing their page quadratic. Kept in nested bands of rows, each
    // option has a few dozen neighbours at every level.
    QWidget *parent = content;
    int parentTop = 0;
    for (const int span : kBandSpans) {
        const int index = floorDivide(place.top(), span);
        const int top = index * span;
        QPointer<QWidget> &band = m_bands[{parent, index}];
        if (!band) {
            band = new QWidget(parent);
            band->setGeometry(0, top - parentTop, 0, 0);
            band->show();
        }
        const QRect inBand = place.translated(0, -top);
        band->resize(std::max(band->width(), inBand.right() + 1),
                     std::max(band->height(), inBand.bottom() + 1));
        parent = band;
        parentTop = top;
    }
    place.translate(0, -parentTop);
    return parent;
}

Control *Form::controlOf(const QObject *widget) const
{
    const auto it = m_byWidget.constFind(widget);
    if (it == m_byWidget.cend())
        return nullptr;
    // A widget freed and another made at its address: only the control that
    // holds this very widget now answers.
    Control *c = it->data();
    return c && c->m_widget == widget ? c : nullptr;
}

int Form::width() const
{
    return m_width;
}
int Form::height() const
{
    return m_height;
}

void Form::setWidth(int twips)
{
    m_width = twips;
    m_window->setFixedSize(twipsToPixels(m_width), twipsToPixels(m_height));
}

void Form::setHeight(int twips)
{
    m_height = twips;
    m_window->setFixedSize(twipsToPixels(m_width), twipsToPixels(m_height));
}

int Form::left() const
{
    return pixelsToTwips(m_window->x());
}
int Form::top() const
{
    return pixelsToTwips(m_window->y());
}
void Form::move(int left, int top)
{
    m_window->move(twipsToPixels(left), twipsToPixels(top));
}

QString Form::caption() const
{
    return m_window->windowTitle();
}
void Form::setCaption(const QString &caption)
{
    m_window->setWindowTitle(caption);
}

} // namespace forms
