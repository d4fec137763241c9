#include "platform/forms/form.h"

#include "platform/forms/picture_button.h"

#include <QCheckBox>
#include <QComboBox>
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
}

Form::~Form() = default;

QList<Control *> Form::controls() const
{
    QList<Control *> out;
    out.reserve(m_controls.size());
    for (const QPointer<Control> &c : m_controls)
        if (c && c->widget())
            out.append(c.data());
    return out;
}

Control *Form::control(const QString &name, int index) const
{
    const auto it = m_byName.constFind(name.toCaseFolded());
    if (it == m_byName.cend())
        return nullptr;
    for (const QPointer<Control> &c : *it) {
        if (!c || !c->widget())
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
        if (c && c->widget() && c->index() >= 0)
            out.append(c.data());
    std::sort(out.begin(), out.end(),
              [](const Control *a, const Control *b) { return a->index() < b->index(); });
    return out;
}

Control *Form::create(Kind kind, const QString &name, int index, Control *container)
{
    return make(kind, name, index, container, false);
}

Control *Form::createDesign(Kind kind, const QString &name, int index, Control *container)
{
    return make(kind, name, index, container, true);
}

Control *Form::make(Kind kind, const QString &name, int index, Control *container, bool design)
{
    QWidget *parent = container ? container->contentWidget() : m_window.data();
    QWidget *w = nullptr;
    switch (kind) {
    case Kind::TextBox:
        w = new QLineEdit(parent);
        break;
    case Kind::ComboBox: {
        auto *c = new QComboBox(parent);
        // Editable as setEditable(true) makes it, but without building the
        // popup list now (the style asks setEditable for it): Qt builds it
        // when the list first opens. A window or page holds several lists
        // that are never opened.
        auto *edit = new QLineEdit(c);
        edit->setPalette(c->palette());
        c->setLineEdit(edit);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCurrentIndex(-1);
        w = c;
        break;
    }
    case Kind::OptionButton:
        w = new QRadioButton(parent);
        break;
    case Kind::CheckBox:
        w = new QCheckBox(parent);
        break;
    case Kind::Label: {
        auto *l = new QLabel(parent);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        w = l;
        break;
    }
    case Kind::Frame: {
        auto *f = new QFrame(parent);
        f->setFrameShape(QFrame::NoFrame);
        w = f;
        break;
    }
    case Kind::Image:
        w = new PictureLabel(parent);
        break;
    case Kind::PictureButton:
        w = new PictureButton(parent);
        break;
    case Kind::ListBox: {
        auto *s = new QScrollArea(parent);
        auto *inner = new QWidget;
        inner->setAutoFillBackground(false);
        // Empty until options arrive; each contained control grows it.
        inner->resize(0, 0);
        s->setWidget(inner);
        s->setWidgetResizable(false);
        s->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w = s;
        break;
    }
    }
    w->setObjectName(index >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(index) : name);
    auto *c = new Control(this, w, kind, name, index, design);
    m_controls.append(c);
    m_byName[name.toCaseFolded()].append(c);
    c->m_inListBox = container && container->kind() == Kind::ListBox;
    c->applyGeometry();
    c->setVisible(true);
    return c;
}

bool Form::remove(Control *control)
{
    if (!control || control->isDesignTime() || !control->widget())
        return false;
    // Controls inside the removed one go with it; their entries are dropped
    // together, later (every lookup passes over entries that are gone).
    QWidget *w = control->widget();
    delete w;
    ++m_removed;
    if (m_removed > m_controls.size() / 2)
        compact();
    return true;
}

void Form::compact()
{
    const auto gone = [](const QPointer<Control> &c) { return !c || !c->widget(); };
    m_controls.removeIf(gone);
    for (auto it = m_byName.begin(); it != m_byName.end();) {
        it->removeIf(gone);
        it = it->isEmpty() ? m_byName.erase(it) : std::next(it);
    }
    m_removed = 0;
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
