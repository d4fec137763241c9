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
body { font-family: sans-serif; margin: 12px; background: #f4f4f4; color: #222; }
h1 { font-size: 20px; }
section { display: flex; gap: 12px; background: #fff; margin: 12px 0; padding: 10px;
          border: 1px solid #ccc; }
.side { flex: 0 0 320px; font-size: 12px; }
h2 { font-size: 16px; margin: 0 0 4px 0; }
.note { color: #555; margin: 0 0 8px 0; }
.screens { display: flex; flex-wrap: nowrap; gap: 8px; overflow-x: auto; align-items: flex-start; }
figure { margin: 0; }
figure img { width: 240px; border: 1px solid #999; display: block; }
figcaption { font-size: 12px; margin-top: 2px; }
.problems { padding-left: 16px; margin: 0; }
.problems li { margin-bottom: 4px; color: #a00; word-break: break-word; }
.ok { color: #070; }
)";

// A page opened from the disk may not fetch files beside it, but it may load
// scripts: the version script is loaded afresh every second, and calls back
// with the version the folder now holds.
const char kReload[] = R"(<script>
const shownVersion = %1;
function sheetVersion(version) {
  if (version !== shownVersion)
    location.reload();
}
setInterval(() => {
  const s = document.createElement('script');
  s.src = 'sheet-version.js?' + Date.now();
  s.onload = s.onerror = () => s.remove();
  document.head.appendChild(s);
}, 1000);
</script>
)";

} // namespace

QString contactSheet(const QString &configName, const QStringList &fileProblems,
                     const QList<SheetRow> &rows, int version)
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta "
                                  "charset=\"utf-8\">\n<title>%1: every screen</title>\n"
                                  "<style>%2</style>\n")
                       .arg(configName.toHtmlEscaped(), QLatin1String(kStyle));
    if (version > 0)
        html += QString::fromLatin1(kReload).arg(version);
    html += QStringLiteral("</head>\n<body>\n<h1>%1</h1>\n").arg(configName.toHtmlEscaped());
    html += QStringLiteral("<section>\n<div class=\"side\">\n<h2>The whole file</h2>\n") +
            problemList(fileProblems) + QStringLiteral("</div>\n</section>\n");
    for (const SheetRow &row : rows) {
        html += QStringLiteral("<section>\n<div class=\"side\">\n<h2>%1</h2>\n"
                               "<p class=\"note\">%2</p>\n")
                    .arg(row.title.toHtmlEscaped(), row.note.toHtmlEscaped()) +
                problemList(row.problems) + QStringLiteral("</div>\n<div class=\"screens\">\n");
        for (const SheetScreen &s : row.screens) {
            html += QStringLiteral("<figure><a href=\"%1\"><img src=\"%1\" alt=\"%2\"></a>"
                                   "<figcaption>%2</figcaption></figure>\n")
                        .arg(s.file.toHtmlEscaped(), s.caption.toHtmlEscaped());
        }
        html += QStringLiteral("</div>\n</section>\n");
    }
    return html + QStringLiteral("</body>\n</html>\n");
}

} // namespace regconfig
