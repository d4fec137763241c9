#include "register/model/config_problems.h"

#include <cstdio>
#include <utility>

namespace model {

QString ConfigProblem::toString(const QString &fileName) const
{
    QString out = fileName;
    // Editors take "file:line:column:"; an unknown place leaves the numbers out
    // rather than pointing at line 0.
    if (line > 0) {
        out += u':' + QString::number(line);
        if (column > 0)
            out += u':' + QString::number(column);
    }
    out += QStringLiteral(": ");
    if (!element.isEmpty())
        out += element;
    if (!section.isEmpty())
        out += (element.isEmpty() ? QString() : QStringLiteral(" ")) +
               QStringLiteral("in the section \"%1\"").arg(section);
    if (!element.isEmpty() || !section.isEmpty())
        out += QStringLiteral(": ");
    out += what;
    if (!instead.isEmpty())
        out += QStringLiteral("; ") + instead;
    return out;
}

size_t qHash(const ConfigProblem &problem, size_t seed)
{
    return qHashMulti(seed, problem.line, problem.column, problem.element, problem.what,
                      problem.instead, problem.section);
}

bool ConfigProblems::report(ConfigProblem problem)
{
    runWaitingChecks();
    if (m_seen.contains(problem))
        return false;
    m_seen.insert(problem);
    if (m_echo)
        std::fprintf(stderr, "%s\n", problem.toString(m_fileName).toLocal8Bit().constData());
    m_problems.append(std::move(problem));
    return true;
}

const QList<ConfigProblem> &ConfigProblems::all() const
{
    runWaitingChecks();
    return m_problems;
}

void ConfigProblems::addWaitingCheck(std::function<void()> check)
{
    m_waiting.append(std::move(check));
}

void ConfigProblems::runWaitingChecks() const
{
    // Taken out first: a check reports, and reporting runs what waits.
    while (!m_waiting.isEmpty()) {
        const QList<std::function<void()>> checks = std::exchange(m_waiting, {});
        for (const std::function<void()> &check : checks)
            check();
    }
}

QList<ConfigProblem> ConfigProblems::forSection(const QString &section) const
{
    runWaitingChecks();
    QList<ConfigProblem> out;
    for (const ConfigProblem &p : m_problems)
        if (p.section == section)
            out.append(p);
    return out;
}

} // namespace model
