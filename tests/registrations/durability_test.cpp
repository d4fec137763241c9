#include "tests/registrations/service_process.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

namespace {

using testsupport::ServiceProcess;

// Killed with SIGKILL while clients are registering: after a restart every
// registration that was answered ok is in the export, once, under its number.
TEST(Durability, EveryAcknowledgedRegistrationSurvivesAKill)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("registrations.db"));
    auto service = std::make_unique<ServiceProcess>(db);
    ASSERT_NE(service->port(), 0) << service->errors().toStdString();
    const quint16 port = service->port();

    std::mutex mutex;
    std::condition_variable acknowledgedMore;
    QHash<QString, qint64> acknowledged; // e-mail address -> number
    std::atomic<bool> stop = false;
    std::vector<std::thread> clients;
    for (int c = 0; c < 8; ++c) {
        clients.emplace_back([&, c] {
            for (int n = 0; !stop; ++n) {
                const QString email = QStringLiteral("p%1-%2@example.org").arg(c).arg(n);
                const QByteArray target =
                    "/register.asp?ans=1%60A%20distinct%20answer%7C2%60" + QByteArray::number(n) +
                    "&FirstName=Ann&Email=" +
                    QUrl::toPercentEncoding(QString(email).replace(u'.', QLatin1String("%2E"))) +
                    "&pname=Demo&lang=English";
                const auto reply = testsupport::get(port, target);
                if (!reply)
                    return; // the service is gone
                if (!reply->body.startsWith("ok`|`"))
                    continue;
                std::lock_guard lock(mutex);
                acknowledged.insert(email, reply->body.mid(5).toLongLong());
                acknowledgedMore.notify_all();
            }
        });
    }
    {
        std::unique_lock lock(mutex);
        acknowledgedMore.wait_for(lock, std::chrono::seconds(60),
                                  [&] { return acknowledged.size() >= 300; });
    }
    ::kill(pid_t(service->pid()), SIGKILL);
    service->kill();
    stop = true;
    for (std::thread &t : clients)
        t.join();
    ASSERT_GE(acknowledged.size(), 300) << "the load did not get going";

    // The database opens again after the kill, and takes new registrations.
    service = std::make_unique<ServiceProcess>(db);
    ASSERT_NE(service->port(), 0) << service->errors().toStdString();
    EXPECT_TRUE(testsupport::get(service->port(), "/r?ans=&lang=English")->body.startsWith("ok"));
    EXPECT_EQ(service->stop(), 0);

    const auto exported =
        testsupport::runRegistrations({QStringLiteral("export"), QStringLiteral("--db"), db,
                                       QStringLiteral("--format"), QStringLiteral("jsonl")});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    QHash<QString, QList<qint64>> stored;
    for (const QByteArray &line : exported.out.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject row = QJsonDocument::fromJson(line).object();
        stored[row[QStringLiteral("fields")][QStringLiteral("Email")].toString()].append(
            row[QStringLiteral("number")].toInteger());
    }
    int missing = 0;
    for (auto it = acknowledged.cbegin(); it != acknowledged.cend(); ++it) {
        if (stored.value(it.key()) != QList<qint64>{it.value()})
            ++missing;
    }
    EXPECT_EQ(missing, 0) << "of " << acknowledged.size() << " acknowledged";
}

} // namespace
