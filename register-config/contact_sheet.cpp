#include "register-config/contact_sheet.h"

namespace regconfig {

namespace {

QString problemList(const QStringList &problems)
{
    if (problems.isEmpty())
        return QStringLiteral("<p class=\"ok\">No problem.</p>\n");
    QString html = QStringLiteral("<ul class=\"problems\">\n");
    for (const QString &p : problems)
        html += QStringLiteral("<li><code>%1</code></li>\n").arg(p.toHtmlEscaped());
    return html + QStringLiteral("</ul>\n");
}

// Kept small and self-contained: the sheet is opened straight from the disk,
// often on a machine without network.
const char kStyle[] = R"(
body { font-family: sans-serif; margin: 16px; background: #f4f4f4; color: #222; }
h1 { font-size: 20px; }
section { background: #fff; margin: 16px 0; padding: 12px; border: 1px solid #ccc; }
h2 { font-size: 16px; margin: 0 0 4px 0; }
.note { color: #555; margin: 0 0 8px 0; }
.row { display: flex; gap: 16px; align-items: flex-start; }
.screens { display: flex; flex-wrap: wrap; gap: 10px; flex: 1; }
figure { margin: 0; }
figure img { width: 326px; border: 1px solid #999; display: block; }
figcaption { font-size: 12px; margin-top: 2px; }
.side { width: 360px; font-size: 12px; }
.problems { padding-left: 16px; margin: 0; }
.problems li { margin-bottom: 4px; color: #a00; }
.ok { color: #070; }
)";

} // namespace

QString contactSheet(const QString &configName, const QStringList &fileProblems,
                     const QList<SheetRow> &rows)
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta "
                                  "charset=\"utf-8\">\n<title>%1: every screen</title>\n"
                                  "<style>%2</style>\n</head>\n<body>\n<h1>%1</h1>\n")
                       .arg(configName.toHtmlEscaped(), QLatin1String(kStyle));
    html += QStringLiteral("<section>\n<h2>The whole file</h2>\n") + problemList(fileProblems) +
            QStringLiteral("</section>\n");
    for (const SheetRow &row : rows) {
        html += QStringLiteral("<section>\n<h2>%1</h2>\n<p class=\"note\">%2</p>\n"
                               "<div class=\"row\">\n<div class=\"screens\">\n")
                    .arg(row.title.toHtmlEscaped(), row.note.toHtmlEscaped());
        for (const SheetScreen &s : row.screens) {
            html += QStringLiteral("<figure><a href=\"%1\"><img src=\"%1\" alt=\"%2\"></a>"
                                   "<figcaption>%2</figcaption></figure>\n")
                        .arg(s.file.toHtmlEscaped(), s.caption.toHtmlEscaped());
        }
        html += QStringLiteral("</div>\n<div class=\"side\">\n") + problemList(row.problems) +
                QStringLiteral("</div>\n</div>\n</section>\n");
    }
    return html + QStringLiteral("</body>\n</html>\n");
}

} // namespace regconfig
