#pragma once

// The one problem log of a run. Every configuration reader reports what it
// cannot use here, in one form that editors and CI jobs can jump to:
//   config.xml:LINE:COLUMN: <element attr="value">: what is wrong; what the wizard does instead
// A problem is reported once: a reader that runs again (the dialogs are built
// anew on each Cancel) adds nothing.

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace model {

// An error: the player meets a broken or lost behaviour. A warning: a
// choice that may well be intended (plain http://, a language without
// pictures, a text that may run long); it carries a name, printed at the end
// of its line in brackets, by which an author accepts it for good with
//   <!-- register-config: accept NAME -->
// on the line directly before the element (or before the root element, for
// every element).
enum class Severity { Error, Warning };

struct ConfigProblem {
    int line = 0;    // 1-based line in config.xml, 0 when unknown
    int column = 0;  // 1-based column, 0 when unknown
    QString element; // the element as written, e.g. <next src="NEXTT">
    QString what;    // what is wrong
    QString instead; // what the wizard does instead
    QString section; // language section (id, and country when not "else"), empty for the root
    Severity severity = Severity::Error;
    QString name = QString(); // a warning's name: "no-pictures", "plain-http"

    // "config.xml:LINE:COLUMN: <element attr="value">: what is wrong; what the wizard does instead"
    // with the section named after the element when there is one, and a
    // warning's name in brackets at the end: "... [no-pictures]".
    QString toString(const QString &fileName = QStringLiteral("config.xml")) const;

    friend bool operator==(const ConfigProblem &, const ConfigProblem &) = default;
};

size_t qHash(const ConfigProblem &problem, size_t seed = 0);

// The warnings a configuration accepts through its comments.
class AcceptedWarnings {
  public:
    // Reads the accept comments of a configuration's text (UTF-8). One
    // comment may name several warnings, separated by blanks or commas.
    static AcceptedWarnings fromText(const QByteArray &text);
    bool accepts(const ConfigProblem &problem) const;
    bool isEmpty() const { return m_everywhere.isEmpty() && m_beforeLine.isEmpty(); }

  private:
    QStringList m_everywhere;
    QList<std::pair<int, QString>> m_beforeLine; // the element's line, the name
};

class ConfigProblems {
  public:
    // Records the problem and, when echoing, writes it on standard error;
    // false when an equal problem was reported before, or it is a warning the
    // configuration accepts (it is then dropped).
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
    // The warnings to leave out from now on.
    void setAccepted(AcceptedWarnings accepted) { m_accepted = std::move(accepted); }
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
    AcceptedWarnings m_accepted;
    bool m_echo = false;
};

} // namespace model
