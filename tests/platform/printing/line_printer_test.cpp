#include "platform/printing/line_printer.h"
#include "platform/printing/print_job.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << text.toStdString();
}

namespace {

using printing::Line;
using printing::LineStyle;

// Prints into a PDF file and returns the number of pages printed.
int printToPdf(const QString &path, const QList<Line> &lines)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return printing::printLines(printer, lines);
}

// The text of some pages of a PDF file, one entry per printed line, with the
// layout's runs of blanks (tab stops) made single blanks. Empty lines are
// dropped: pdftotext renders vertical space only approximately.
QStringList pdfLines(const QString &path, int firstPage = 1, int lastPage = 0)
{
    QStringList args{"-layout", "-f", QString::number(firstPage)};
    if (lastPage > 0)
        args << "-l" << QString::number(lastPage);
    args << path << "-";
    QProcess p;
    p.start("pdftotext", args);
    EXPECT_TRUE(p.waitForFinished(30000));
    QStringList out;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            out << simple;
    }
    return out;
}

int pdfPages(const QString &path)
{
    QProcess p;
    p.start("pdfinfo", {path});
    EXPECT_TRUE(p.waitForFinished(30000));
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

TEST(PrintLines, PrintsEveryLineInOrderWithTabsAndEmbeddedBreaks)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("lines.pdf");
    const QList<Line> lines{
        {"Product Registration", LineStyle::Title},
        {"", LineStyle::Plain},
        {"Ember Reach", LineStyle::Subtitle},
        {"1.\tFirst name", LineStyle::Strong, true},
        {"\tAnn\r\n", LineStyle::Plain},
        {"2.\tTwo lines\r\nof caption", LineStyle::Strong},
        {"\tAnswer \u00e9\u20ac\nContinued", LineStyle::Plain},
    };
    EXPECT_EQ(printToPdf(pdf, lines), 1);
    EXPECT_EQ(pdfLines(pdf),
              QStringList({"Product Registration", "Ember Reach", "1. First name", "Ann",
                           "2. Two lines", "of caption", "Answer \u00e9\u20ac", "Continued"}));
}

TEST(PrintLines, ALineThatDoesNotFitStartsTheNextPage)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("long.pdf");
    QList<Line> lines;
    for (int i = 1; i <= 150; ++i)
        lines.append({QStringLiteral("Line %1").arg(i), LineStyle::Plain});
    const int pages = printToPdf(pdf, lines);
    ASSERT_GE(pages, 2);
    EXPECT_EQ(pdfPages(pdf), pages);

    // Every line once, in order, none cut between pages.
    QStringList all;
    for (int p = 1; p <= pages; ++p)
        all += pdfLines(pdf, p, p);
    QStringList expected;
    for (int i = 1; i <= 150; ++i)
        expected << QStringLiteral("Line %1").arg(i);
    EXPECT_EQ(all, expected);
    EXPECT_EQ(pdfLines(pdf, 2, 2).first(),
              QStringLiteral("Line %1").arg(pdfLines(pdf, 1, 1).size() + 1));
}

TEST(PrintLines, LinesKeptTogetherMoveToTheNextPageTogether)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("kept.pdf");
    // Fill the first page to its last row, then a kept pair.
    QList<Line> filler;
    for (int i = 1; i <= 100; ++i)
        filler.append({QStringLiteral("Row %1").arg(i), LineStyle::Plain});
    const QString probe = dir.filePath("probe.pdf");
    ASSERT_GE(printToPdf(probe, filler), 2);
    const qsizetype perPage = pdfLines(probe, 1, 1).size();

    QList<Line> lines = filler.mid(0, perPage - 1);
    lines.append({"Question", LineStyle::Plain, true});
    lines.append({"", LineStyle::Plain, true});
    lines.append({"Answer", LineStyle::Plain});
    ASSERT_EQ(printToPdf(pdf, lines), 2);
    EXPECT_EQ(pdfLines(pdf, 2, 2), QStringList({"Question", "Answer"}));
    EXPECT_FALSE(pdfLines(pdf, 1, 1).contains("Question"));
}

TEST(PrintLines, LongLinesStayWholeAtTheLineBreakersWidthAndWiderOnesWrap)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("wide.pdf");
    // 120 characters, the line breaker's limit, fit across the page; a line
    // far wider continues on the next line at its indent.
    const QString breakerLine =
        QString("Which kinds of games, consoles and computers do you play on most weeks? ")
            .repeated(2)
            .left(120);
    const QString words = QString("word ").repeated(80).trimmed();
    EXPECT_EQ(printToPdf(pdf, {{"1.\t" + breakerLine, LineStyle::Strong}, {"\t" + words}}), 1);
    const QStringList out = pdfLines(pdf);
    ASSERT_GE(out.size(), 3);
    EXPECT_EQ(out[0], ("1. " + breakerLine).simplified());
    EXPECT_EQ(out.mid(1).join(' '), words);
}

TEST(PrintLines, APrinterThatCannotStartPrintsNothing)
{
    QTemporaryDir dir;
    EXPECT_EQ(printToPdf(dir.filePath("missing/folder/form.pdf"), {{"text"}}), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/folder/form.pdf")));
}

TEST(PrintDocument, TheChoiceOfPrinterDecidesTheOutcome)
{
    QTemporaryDir dir;
    struct Case {
        const char *name;
        bool chosen;
        QString output;
        printing::PrintOutcome outcome;
    };
    const Case cases[] = {
        {"cancelled", false, dir.filePath("cancelled.pdf"), printing::PrintOutcome::Cancelled},
        {"a file that cannot be written", true, dir.filePath("missing/folder/form.pdf"),
         printing::PrintOutcome::Failed},
        {"printed", true, dir.filePath("form.pdf"), printing::PrintOutcome::Printed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString docName;
        const printing::PrintOutcome outcome = printing::printDocument(
            "Product Registration", {{"one line"}, {"another line"}},
            [&](QPrinter &printer, QWidget *) {
                docName = printer.docName();
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(c.output);
                return c.chosen;
            },
            nullptr);
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(docName, "Product Registration");
        EXPECT_EQ(QFile::exists(c.output), c.outcome == printing::PrintOutcome::Printed);
    }
    EXPECT_EQ(pdfLines(dir.filePath("form.pdf")), QStringList({"one line", "another line"}));
}

} // namespace
