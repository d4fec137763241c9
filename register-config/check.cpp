#include "register-config/check.h"

#include "register-config/walk.h"

#include <QTextStream>

#include <algorithm>

namespace regconfig {

int check(const QString &configPath, QTextStream &out, QTextStream &err)
{
    WizardFolder folder;
    QString error;
    if (!folder.prepare(configPath, &error)) {
        err << "register-config: " << error << Qt::endl;
        return 2;
    }
    // One log for the run: a problem of the whole file, met again in every
    // section's walk, is kept once.
    model::ConfigProblems log;
    for (const Visit &visit : visitsFor(folder.config(), QString(), QString()))
        for (const model::ConfigProblem &problem :
             walk(folder.path(), visit, [](const Screen &) {}).problems)
            log.report(problem);

    // In file order, as a compiler lists its diagnostics; problems without a
    // place come first.
    QList<model::ConfigProblem> problems = log.all();
    std::stable_sort(problems.begin(), problems.end(), [](const auto &a, const auto &b) {
        return std::pair(a.line, a.column) < std::pair(b.line, b.column);
    });
    for (const model::ConfigProblem &problem : problems)
        out << problem.toString(configPath) << '\n';
    out.flush();
    return problems.isEmpty() ? 0 : 1;
}

} // namespace regconfig
