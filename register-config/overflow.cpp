#include "register-config/overflow.h"

#include "register/model/config_reader.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

namespace regconfig {

namespace {

// A box or a caption that shares fewer pixels than this with another is
// only touching it.
constexpr int kSlack = 2;

struct Shown {
    const QWidget *widget;
    QRect rect; // in the window's coordinates
};

QRect rectIn(const QWidget *window, const QWidget *w, QSize size)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), size);
}

// The size the text needs in the widget's font, line by line.
QSize textSize(const QWidget *w, const QString &text)
{
    const QFontMetrics metrics = w->fontMetrics();
    int width = 0;
    const QStringList lines = text.split(u'\n');
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return QSize(width, metrics.lineSpacing() * int(lines.size()));
}

// The element of the section whose src (or one of its |-separated parts)
// is the text shown; grave accents in config.xml stand for line breaks.
xml::Node elementOf(const xml::Node &section, const QString &shown)
{
    QList<xml::Node> todo{section};
    while (!todo.isEmpty()) {
        const xml::Node node = todo.takeFirst();
        todo += node.elements();
        for (const char *attribute : {"src", "src1", "src2"}) {
            const std::optional<QString> src = node.attribute(QLatin1String(attribute));
            if (!src)
                continue;
            QString text = *src;
            text.replace(u'`', u'\n');
            if (text == shown || text.split(u'|').contains(shown))
                return node;
        }
    }
    return {};
}

} // namespace

QList<model::ConfigProblem> overflowingTexts(const QWidget *window, const xml::Node &section)
{
    QList<model::ConfigProblem> problems;
    QList<Shown> inputs;
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w) ||
            qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QAbstractButton *>(w))
            inputs.append({w, rectIn(window, w, w->size())});
    }
    const auto report = [&](const QString &text, const QString &what) {
        const xml::Node node = elementOf(section, text);
        if (!node)
            return;
        model::ConfigProblem p;
        p.line = node.line();
        p.column = node.column();
        p.element = model::elementAsWritten(node, {"type", "id"});
        p.section = model::sectionName(section);
        QString shortText = QString(text).replace(u'\n', u' ');
        if (shortText.size() > 40)
            shortText = shortText.left(37) + QStringLiteral("...");
        p.what = QStringLiteral("\"%1\" %2").arg(shortText, what);
        p.instead = QStringLiteral("check it on the preview");
        p.severity = model::Severity::Warning;
        p.name = QStringLiteral("overflow");
        problems.append(p);
    };
    const auto collides = [&](const QRect &text, const QWidget *self) -> const QWidget * {
        for (const Shown &input : inputs) {
            if (input.widget == self || input.widget->isAncestorOf(self) ||
                self->isAncestorOf(input.widget))
                continue;
            const QRect both = text.intersected(input.rect);
            if (both.width() > kSlack && both.height() > kSlack)
                return input.widget;
        }
        return nullptr;
    };
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(w)) {
            if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull())
                continue;
            const QSize need = textSize(label, label->text());
            if (need.width() > label->width() + kSlack)
                report(label->text(),
                       QStringLiteral("needs %1 pixels and its box is %2 wide: the end is cut off")
                           .arg(need.width())
                           .arg(label->width()));
            else if (collides(rectIn(window, label, need), label))
                report(label->text(), QStringLiteral("runs into the control beside it"));
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
            // Check boxes and option buttons: the caption follows the
            // indicator inside the button's width.
            if (button->text().isEmpty() || qobject_cast<const QLabel *>(w))
                continue;
            const int indicator = button->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6;
            const QSize need = textSize(button, button->text());
            if (need.width() + indicator > button->width() + kSlack)
                report(button->text(),
                       QStringLiteral("needs %1 pixels and its box is %2 wide: the end is cut off")
                           .arg(need.width() + indicator)
                           .arg(button->width()));
        }
    }
    return problems;
}

} // namespace regconfig
