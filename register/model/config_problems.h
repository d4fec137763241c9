#pragma once

// The one problem log of a run. Every configuration reader reports what it
// cannot use here, in one form that editors and CI jobs can jump to:
//   config.xml:LINE:COLUMN: <element attr="value">: what is wrong; what the wizard does instead
// A problem is reported once: a reader that runs again (the dialogs are built
// anew on each Cancel) adds nothing.

#include <QList>
#include <QSet>
#include <QString>

#include <functional>

namespace model {

struct ConfigProblem {
    int line = 0;    // 1-based line in config.xml, 0 when unknown
    int column = 0;  // 1-based column, 0 when unknown
    QString element; // the element as written, e.g. <next src="NEXTT">
    QString what;    // what is wrong
    QString instead; // what the wizard does instead
    QString section; // language section (id, and country when not "else"), empty for the root

    // "config.xml:LINE:COLUMN: <element attr="value">: what is wrong; what the wizard does instead"
    // with the section named after the element when there is one.
    QString toString(const QString &fileName = QStringLiteral("config.xml")) const;

    friend bool operator==(const ConfigProblem &, const ConfigProblem &) = default;
};

size_t qHash(const ConfigProblem &problem, size_t seed = 0);

class ConfigProblems {
  public:
    // Records the problem and, when echoing, writes it on standard error;
    // false when an equal problem was reported before (it is then dropped).
    bool report(ConfigProblem problem);
    const QList<ConfigProblem> &all() const;
    QList<ConfigProblem> forSection(const QString &section) const;

    // A check that needs what is worked out only once the window is on screen
    // (the size of a laid-out caption) waits: it runs at runWaitingChecks(),
    // which the wizard calls when its window is up, and in any case before a
    // later problem is recorded and before the log is read, so the log reads
    // as if it had run at once. A reader about to replace what a waiting
    // check looks at runs the checks first.
    void addWaitingCheck(std::function<void()> check);
    void runWaitingChecks() const;
    // The wizard echoes each new problem as it comes; a checker only collects.
    void setEcho(bool echoToStderr) { m_echo = echoToStderr; }
    // What toString() prints as the file part of an echoed line.
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString fileName() const { return m_fileName; }
    void clear()
    {
        m_waiting.clear();
        m_problems.clear();
        m_seen.clear();
    }

  private:
    QList<ConfigProblem> m_problems;
    // The same problems again, to tell a repeat at once however long the
    // log grows (a configuration can hold tens of thousands).
    QSet<ConfigProblem> m_seen;
    mutable QList<std::function<void()>> m_waiting;
    QString m_fileName = QStringLiteral("config.xml");
    bool m_echo = false;
};

} // namespace model
