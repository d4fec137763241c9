#include "register/model/config_problems.h"

#include <QRegularExpression>

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
    if (severity == Severity::Warning && !name.isEmpty())
        out += QStringLiteral(" [%1]").arg(name);
    return out;
}

size_t qHash(const ConfigProblem &problem, size_t seed)
{
    return qHashMulti(seed, problem.line, problem.column, problem.element, problem.what,
                      problem.instead, problem.section);
}

AcceptedWarnings AcceptedWarnings::fromText(const QByteArray &text)
{
    AcceptedWarnings accepted;
    // Before the first start tag stands the prolog: a comment there accepts
    // its warnings for every element.
    qsizetype root = 0;
    while ((root = text.indexOf('<', root)) >= 0 && root + 1 < text.size() &&
           (text[root + 1] == '?' || text[root + 1] == '!')) {
        const QByteArray closer = text[root + 1] == '?'         ? "?>"
                                  : text.mid(root, 4) == "<!--" ? "-->"
                                                                : ">";
        const qsizetype end = text.indexOf(closer, root);
        root = end < 0 ? text.size() : end + closer.size();
    }
    if (root < 0)
        root = text.size();
    static const QByteArray kOpening = "<!--";
    for (qsizetype at = text.indexOf(kOpening); at >= 0; at = text.indexOf(kOpening, at + 4)) {
        const qsizetype end = text.indexOf("-->", at);
        if (end < 0)
            break;
        const QString body = QString::fromUtf8(text.mid(at + 4, end - at - 4)).simplified();
        static const QString kKey = QStringLiteral("register-config: accept ");
        if (!body.startsWith(kKey))
            continue;
        const QStringList names =
            body.mid(kKey.size())
                .split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
        if (at < root) {
            accepted.m_everywhere += names;
            continue;
        }
        // The element the comment stands before: the line after the one the
        // comment ends on.
        const int elementLine = int(text.left(end).count('\n')) + 2;
        for (const QString &name : names)
            accepted.m_beforeLine.append({elementLine, name});
    }
    return accepted;
}

bool AcceptedWarnings::accepts(const ConfigProblem &problem) const
{
    if (problem.severity != Severity::Warning || problem.name.isEmpty())
        return false;
    return m_everywhere.contains(problem.name) ||
           m_beforeLine.contains(std::pair(problem.line, problem.name));
}

bool ConfigProblems::report(ConfigProblem problem)
{
    runWaitingChecks();
    if (m_seen.contains(problem) || m_accepted.accepts(problem))
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
