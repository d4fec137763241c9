#include "register-config/check.h"

#include "register-config/authoring.h"
#include "register-config/walk.h"

#include "register/model/configuration.h"

#include <QTextStream>
#include <QUrl>

#include <algorithm>

namespace regconfig {

int check(const QString &configPath, bool strict, QTextStream &out, QTextStream &err)
{
    WizardFolder folder;
    QString error;
    if (!folder.prepare(configPath, &error)) {
        // Text that is not well-formed is a located problem like the others,
        // where an editor or a CI job looks for them.
        if (folder.malformed())
            out << error << Qt::endl;
        else
            err << "register-config: " << error << Qt::endl;
        return 2;
    }
    // One log for the run: a problem of the whole file, met again in every
    // section's walk, is kept once.
    model::ConfigProblems log;
    log.setAccepted(model::AcceptedWarnings::fromText(folder.document().text()));
    for (const model::ConfigProblem &problem : folder.fileProblems())
        log.report(problem);
    for (const model::ConfigProblem &problem : authoringProblems(folder.document()))
        log.report(problem);
    for (const Visit &visit : visitsFor(folder.config(), QString(), QString()))
        for (const model::ConfigProblem &problem :
             walk(folder.path(), visit, [](const Screen &) {}).problems)
            log.report(problem);

    // A registration sent over plain HTTP carries the player's name, address
    // and birth date readable to anyone on the way: said once, at the address.
    // An address on this machine (a local test) sends nothing over a network.
    const model::Configuration &config = folder.config();
    const QString url = config.defaultUrl.text.trimmed();
    const QUrl parsed(url);
    const QString host = parsed.host();
    const bool loopback = host == QLatin1String("localhost") || host == QLatin1String("::1") ||
                          host.startsWith(QLatin1String("127."));
    // A warning: a server without TLS may be the publisher's choice.
    if (config.defaultUrl.present && !loopback &&
        url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        log.report({config.defaultUrl.place.line, config.defaultUrl.place.column,
                    QStringLiteral("<default_url>%1</default_url>").arg(url),
                    QStringLiteral("the registration address is plain http://, so the player's "
                                   "personal data travels unencrypted"),
                    QStringLiteral("the wizard sends it so; an https:// address protects it"),
                    QString(), model::Severity::Warning, QStringLiteral("plain-http")});

    // In file order, as a compiler lists its diagnostics; problems without a
    // place come first.
    QList<model::ConfigProblem> problems = log.all();
    std::stable_sort(problems.begin(), problems.end(), [](const auto &a, const auto &b) {
        return std::pair(a.line, a.column) < std::pair(b.line, b.column);
    });
    for (const model::ConfigProblem &problem : problems)
        out << problem.toString(configPath) << '\n';
    out.flush();
    const bool failed = std::any_of(problems.begin(), problems.end(), [&](const auto &p) {
        return strict || p.severity == model::Severity::Error;
    });
    return failed ? 1 : 0;
}

} // namespace regconfig
