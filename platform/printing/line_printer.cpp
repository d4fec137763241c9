#include "platform/printing/line_printer.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace printing {

namespace {

constexpr double kMarginMm = 18.0;
constexpr double kBodyPoints = 10.5;
constexpr double kMinScale = 0.6;
constexpr double kTabStopMm = 10.0;

struct Row {
    QString text;
    LineStyle style;
    bool keepWithNext;
};

QList<Row> splitRows(const QList<Line> &lines)
{
    QList<Row> rows;
    for (const Line &line : lines) {
        QString text = line.text;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(u'\r', u'\n');
        if (text.endsWith(u'\n'))
            text.chop(1);
        const QStringList pieces = text.split(u'\n');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            // Within one line every row stays with the next; the line's own
            // flag decides for its last row.
            const bool last = i + 1 == pieces.size();
            rows.append({pieces[i], line.style, last ? line.keepWithNext : true});
        }
    }
    return rows;
}

// Fonts and measures of one printer at one scale of the body text.
class Typesetter {
  public:
    Typesetter(QPaintDevice *device, double bodyScale, double tabStop)
        : m_tabStop(tabStop * bodyScale)
    {
        const std::array<std::pair<double, bool>, 4> styles{{
            {16.0, true},                     // Title
            {13.0, true},                     // Subtitle
            {kBodyPoints * bodyScale, true},  // Strong
            {kBodyPoints * bodyScale, false}, // Plain
        }};
        for (std::size_t i = 0; i < styles.size(); ++i) {
            QFont font(QStringLiteral("Sans Serif"));
            font.setStyleHint(QFont::SansSerif);
            font.setPointSizeF(styles[i].first);
            font.setBold(styles[i].second);
            m_fonts[i] = QFont(font, device);
            m_metrics[i].emplace(m_fonts[i], device);
        }
    }

    const QFont &font(LineStyle style) const { return m_fonts[std::size_t(style)]; }
    const QFontMetricsF &metrics(LineStyle style) const { return *m_metrics[std::size_t(style)]; }

    // Width of a text whose tabs advance to the next tab stop.
    double width(QStringView text, LineStyle style) const
    {
        double x = 0;
        bool first = true;
        for (QStringView segment : text.split(u'\t')) {
            if (!first)
                x = nextTabStop(x);
            x += metrics(style).horizontalAdvance(segment.toString());
            first = false;
        }
        return x;
    }

    void draw(QPainter &painter, double left, double baseline, const Row &row) const
    {
        painter.setFont(font(row.style));
        double x = 0;
        bool first = true;
        for (QStringView segment : QStringView(row.text).split(u'\t')) {
            if (!first)
                x = nextTabStop(x);
            const QString text = segment.toString();
            painter.drawText(QPointF(left + x, baseline), text);
            x += metrics(row.style).horizontalAdvance(text);
            first = false;
        }
    }

  private:
    double nextTabStop(double x) const
    {
        return (std::floor(x / m_tabStop + 1e-9) + 1) * m_tabStop;
    }

    double m_tabStop;
    std::array<QFont, 4> m_fonts;
    std::array<std::optional<QFontMetricsF>, 4> m_metrics;
};

// A row wider than the page continues on further rows, broken at the last
// blank that fits (or, in a word longer than the page, at the last character
// that fits). Continuations keep the row's leading tabs, so an indented answer
// stays indented.
QList<Row> wrapRow(const Row &row, double width, const Typesetter &type)
{
    if (type.width(row.text, row.style) <= width)
        return {row};
    qsizetype indentLength = 0;
    while (indentLength < row.text.size() && row.text[indentLength] == u'\t')
        ++indentLength;
    const QString indent = row.text.left(indentLength);

    QList<Row> out;
    QString rest = row.text;
    while (type.width(rest, row.style) > width && rest.size() > indentLength + 1) {
        // The longest prefix that fits, at least one character past the indent.
        qsizetype lo = indentLength + 1, hi = rest.size() - 1;
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (type.width(QStringView(rest).left(mid), row.style) <= width)
                lo = mid;
            else
                hi = mid - 1;
        }
        qsizetype cut = lo;
        if (rest[cut - 1].isHighSurrogate() && cut - 1 > indentLength)
            --cut;
        qsizetype next = cut;
        const qsizetype blank = rest.lastIndexOf(u' ', cut);
        if (blank > indentLength) {
            cut = blank;
            next = blank + 1;
        }
        out.append({rest.left(cut), row.style, true});
        rest = indent + rest.mid(next);
    }
    out.append({rest, row.style, row.keepWithNext});
    return out;
}

double millimetres(double mm, int dpi)
{
    return mm * dpi / 25.4;
}

// A printer without an output file hands the document to the print system,
// whose state the caller has. A file must be a regular file that ends with
// the PDF end-of-file marker (Qt writes PDF files only): a cut file lacks it,
// and a device such as /dev/full is no regular file.
bool outputFileComplete(const QPrinter &printer)
{
    const QString path = printer.outputFileName();
    if (path.isEmpty())
        return true;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kTail = 1024;
    if (file.size() > kTail && !file.seek(file.size() - kTail))
        return false;
    return file.readAll().trimmed().endsWith("%%EOF");
}

} // namespace

int printLines(QPrinter &printer, const QList<Line> &lines)
{
    // Margins are our own, measured from the paper's edge.
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;

    const int dpi = printer.resolution();
    const QRectF paper = printer.pageLayout().fullRectPixels(dpi);
    const double margin = millimetres(kMarginMm, dpi);
    const QRectF area = paper.adjusted(margin, margin, -margin, -margin);
    const double tabStop = millimetres(kTabStopMm, dpi);

    QList<Row> rows = splitRows(lines);

    // One body size for the whole document, small enough for its widest line
    // (the line breaker's 120 characters) where that stays readable.
    double widest = 0;
    {
        const Typesetter full(&printer, 1.0, tabStop);
        for (const Row &row : rows)
            if (row.style == LineStyle::Strong || row.style == LineStyle::Plain)
                widest = std::max(widest, full.width(row.text, row.style));
    }
    double scale = widest > area.width() ? std::max(kMinScale, area.width() / widest) : 1.0;
    // Font sizes do not scale quite in proportion (the glyphs are fitted to
    // the device's pixels), so the widest line may still be a hair too wide
    // at the computed size: step down until it fits or the floor is reached.
    const auto widestAt = [&](double s) {
        const Typesetter type(&printer, s, tabStop);
        double w = 0;
        for (const Row &row : rows)
            if (row.style == LineStyle::Strong || row.style == LineStyle::Plain)
                w = std::max(w, type.width(row.text, row.style));
        return w;
    };
    while (scale < 1.0 && scale > kMinScale && widestAt(scale) > area.width())
        scale = std::max(kMinScale, scale * 0.99);
    const Typesetter type(&printer, scale, tabStop);

    QList<Row> wrapped;
    for (const Row &row : rows)
        wrapped.append(wrapRow(row, area.width(), type));

    int pages = 1;
    double y = area.top();
    for (qsizetype i = 0; i < wrapped.size(); ++i) {
        const Row &row = wrapped[i];
        const bool atTop = y <= area.top();
        if (atTop && row.text.isEmpty() && pages > 1)
            continue;
        // The row and the rows kept with it, as far as they fit on one page.
        double needed = 0;
        for (qsizetype j = i; j < wrapped.size(); ++j) {
            needed += type.metrics(wrapped[j].style).lineSpacing();
            if (!wrapped[j].keepWithNext)
                break;
        }
        needed = std::min(needed, area.height());
        needed = std::max(needed, type.metrics(row.style).lineSpacing());
        if (!atTop && y + needed > area.bottom()) {
            printer.newPage();
            ++pages;
            y = area.top();
            if (row.text.isEmpty())
                continue;
        }
        type.draw(painter, area.left(), y + type.metrics(row.style).ascent(), row);
        y += type.metrics(row.style).lineSpacing();
    }
    // A device that fails while writing (a full disk, a file-size limit, a
    // printer that went away) still lets the painter end quietly, and leaves
    // a cut file that no reader opens: the end state and the file decide.
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error || !outputFileComplete(printer))
        return 0;
    return pages;
}

} // namespace printing
