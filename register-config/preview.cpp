#include "register-config/preview.h"

#include "register-config/contact_sheet.h"
#include "register-config/walk.h"

#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <QTextStream>

namespace regconfig {

int preview(const PreviewOptions &options, QTextStream &err)
{
    WizardFolder folder;
    QString error;
    if (!folder.prepare(options.configPath, &error)) {
        err << "register-config: " << error << Qt::endl;
        return 2;
    }
    const QList<Visit> visits = visitsFor(folder.config(), options.language, options.country);
    if (visits.isEmpty() && (!options.language.isEmpty() || !options.country.isEmpty())) {
        err << "register-config: " << options.configPath
            << " has no language section for the language and country asked for" << Qt::endl;
        return 2;
    }
    const QDir out(options.outDir);
    if (!QDir().mkpath(out.absolutePath())) {
        err << "register-config: cannot make the folder " << options.outDir << Qt::endl;
        return 2;
    }

    QList<SheetRow> rows;
    core::ConfigProblems fileProblems;
    for (const Visit &visit : visits) {
        SheetRow row;
        row.title = visit.section.title();
        bool written = true;
        const VisitResult result = walk(folder.path(), visit, [&](const Screen &screen) {
            const QString file = visit.section.slug() + u'-' + screen.key + QStringLiteral(".png");
            if (!picture(screen).save(out.filePath(file), "PNG")) {
                err << "register-config: cannot write " << out.filePath(file) << Qt::endl;
                written = false;
            }
            row.screens.append(SheetScreen{file, screen.caption});
        });
        if (!written)
            return 2;
        for (const core::ConfigProblem &problem : result.problems) {
            if (problem.section.isEmpty())
                fileProblems.report(problem);
            else
                row.problems.append(problem.toString(options.configPath));
        }
        row.note = result.unreachable
                       ? QStringLiteral("The language list does not offer \"%1\" (it has no "
                                        "section for every other country), so no player sees "
                                        "this section; it is drawn as if it were offered.")
                             .arg(visit.section.id)
                       : QStringLiteral("Line %1. Chosen on the region screen: %2, %3.")
                             .arg(visit.section.line)
                             .arg(visit.country, visit.section.id);
        rows.append(row);
    }

    QSaveFile sheet(out.filePath(QStringLiteral("index.html")));
    if (!sheet.open(QIODevice::WriteOnly)) {
        err << "register-config: cannot write " << sheet.fileName() << Qt::endl;
        return 2;
    }
    QStringList fileLines;
    for (const core::ConfigProblem &problem : fileProblems.all())
        fileLines.append(problem.toString(options.configPath));
    sheet.write(contactSheet(options.configPath, fileLines, rows).toUtf8());
    if (!sheet.commit()) {
        err << "register-config: cannot write " << sheet.fileName() << Qt::endl;
        return 2;
    }
    return 0;
}

} // namespace regconfig
