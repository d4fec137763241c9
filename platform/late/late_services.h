#pragma once

// The host services the wizard's first window does not need: the HTTP client
// and printing. Together with the libraries under them (libcurl or QtNetwork,
// QtPrintSupport, and what those pull in) they cost the start of the program
// a good part of its time and memory before the window shows, and most runs
// never send or print anything.
//
// The program therefore loads them from a module beside it the first time one
// is used (late_loaded.cpp). Every other user of the wizard's code (the tests,
// the tools, the benchmarks) links them in directly (late_linked.cpp); which
// one a target gets is decided in the build (platform/late/CMakeLists.txt).

#include "platform/http/http_client.h"
#include "platform/printing/print_job.h"

#include <QString>

#include <cstdio>

namespace late {

struct Services {
    decltype(&http::get) httpGet;
    decltype(&printing::printDocument) printDocument;
};

// The services, or nullptr when they cannot be had; error (when given) then
// says why. The first call loads them; later calls answer at once.
const Services *services(QString *error = nullptr);

// The services of the module at modulePath, loaded now and kept loaded, or
// nullptr with the reason in error. Only the loading build has it.
const Services *loadServices(const QString &modulePath, QString *error);

// http::get through the services. When they cannot be had the request
// fails as one that reached no server, and the error says why.
inline http::GetResult httpGet(const QString &encodedUrl, const http::GetOptions &options)
{
    QString error;
    if (const Services *s = services(&error))
        return s->httpGet(encodedUrl, options);
    http::GetResult failed;
    failed.error = QStringLiteral("the network module cannot be loaded: %1").arg(error);
    return failed;
}

// printing::printDocument through the services. When they cannot be had
// nothing is printed and the outcome is Failed, with the reason on standard
// error.
inline printing::PrintOutcome printDocument(const QString &docName,
                                            const QList<printing::Line> &lines,
                                            const printing::PrinterChooser &choose, QWidget *parent)
{
    QString error;
    if (const Services *s = services(&error))
        return s->printDocument(docName, lines, choose, parent);
    std::fprintf(stderr, "register: printing is not available: %s\n",
                 error.toLocal8Bit().constData());
    return printing::PrintOutcome::Failed;
}

} // namespace late
