// The two baselines of the registrations load benchmark, on the service's own
// HTTP stack (registrations_http) and request path:
//   registrations_baseline ceiling        answers ok`|`1 at once, stores nothing
//   registrations_baseline per-request DB commits and flushes once per request
// Prints "listening on HOST:PORT" like the service and stops on SIGTERM.
#include "registrations/http/http_server.h"
#include "registrations/receive/service.h"
#include "registrations/storage/group_committer.h"
#include "registrations/storage/storage.h"

#include <QCoreApplication>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <pthread.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool ceiling = args.value(1) == QLatin1String("ceiling");
    if (!ceiling && (args.value(1) != QLatin1String("per-request") || args.size() < 3)) {
        std::fputs("usage: registrations_baseline ceiling | per-request DB\n", stderr);
        return 2;
    }
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    QString error;
    std::unique_ptr<registrations::storage::Storage> storage;
    std::unique_ptr<registrations::storage::GroupCommitter> committer;
    std::unique_ptr<registrations::receive::Service> service;
    if (!ceiling) {
        storage = registrations::storage::openStorage(args[2], &error);
        if (!storage) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        // One registration per transaction: every request waits for its own flush.
        committer = std::make_unique<registrations::storage::GroupCommitter>(*storage, 1);
        service = std::make_unique<registrations::receive::Service>(*committer);
    }
    registrations::http::ServerOptions options;
    options.port = 0;
    options.threads = std::max(2, QThread::idealThreadCount());
    options.logRequests = false;
    // The benchmark's clients all come from one address, as the service's do
    // when it is given --per-address-limit 4000.
    options.perAddressLimit = options.connectionLimit;
    registrations::http::Server server(options, [&](const registrations::http::Request &request,
                                                    registrations::http::Respond respond) {
        if (ceiling)
            respond({200, "ok`|`1", {}});
        else
            service->handle(request, std::move(respond));
    });
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("listening on %s\n", qPrintable(server.listenAddress()));
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    server.quiesce();
    committer.reset();
    server.stop();
    return 0;
}
