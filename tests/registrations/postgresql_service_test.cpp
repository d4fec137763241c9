// Several service instances on one PostgreSQL database, as a publisher runs
// them behind a load balancer: one killed under load, the database stopped
// and started again under load. What was acknowledged must be stored exactly
// once with the number it was acknowledged with, whatever happened around it.
#include "tests/registrations/service_process.h"
#include "tests/support/postgres.h"

#include <gtest/gtest.h>

#include <QHash>

#include <libpq-fe.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

using testsupport::ServiceProcess;

QByteArray target(const QByteArray &key)
{
    return "/register?FirstName=Ann&LastName=Lee&Email=" + key +
           "%40example.org&pname=Velmora%20Racing&lang=English&ans=1%60Yes%7C2%60" + key;
}

// What the clients were told, by target: the number of every "ok".
class Ledger {
  public:
    void acknowledged(const QByteArray &target, qint64 number)
    {
        std::lock_guard lock(m_mutex);
        m_acks.insert(target, number);
        if (m_numbers.contains(target) && m_numbers[target] != number)
            m_conflicts.append(target);
        m_numbers.insert(target, number);
        ++m_count;
        m_changed.notify_all();
    }
    void refused()
    {
        std::lock_guard lock(m_mutex);
        ++m_refusals;
        m_changed.notify_all();
    }
    // Waits (at most a minute) until at least `acks` acknowledgements and
    // `refusals` refusals were counted.
    bool waitFor(int acks, int refusals = 0)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::minutes(1),
                                  [&] { return m_count >= acks && m_refusals >= refusals; });
    }
    int count() const
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }
    int refusals() const
    {
        std::lock_guard lock(m_mutex);
        return m_refusals;
    }
    QHash<QByteArray, qint64> numbers() const
    {
        std::lock_guard lock(m_mutex);
        return m_numbers;
    }
    QList<QByteArray> conflicts() const
    {
        std::lock_guard lock(m_mutex);
        return m_conflicts;
    }

  private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QMultiHash<QByteArray, qint64> m_acks;
    QHash<QByteArray, qint64> m_numbers;
    QList<QByteArray> m_conflicts;
    int m_count = 0;
    int m_refusals = 0;
};

// Sends one registration the way the wizard does: refused or unanswered, it
// is sent again (Retry), to the next instance when there are several, until
// an instance acknowledges it or `tries` are used up.
void registerOnce(const QByteArray &t, const std::vector<quint16> &ports, size_t first,
                  Ledger &ledger, int tries = 50)
{
    for (int i = 0; i < tries; ++i) {
        const auto reply = testsupport::get(ports[(first + size_t(i)) % ports.size()], t);
        if (reply && reply->body.startsWith("ok`|`")) {
            ledger.acknowledged(t, reply->body.mid(5).toLongLong());
            return;
        }
        ledger.refused();
    }
}

// Every stored registration, by target: its number and repeat count, and how
// many rows the target has.
struct Row {
    qint64 number;
    int repeats;
    int copies;
};
QHash<QByteArray, Row> storedRows(const std::string &uri)
{
    QHash<QByteArray, Row> rows;
    PGconn *conn = PQconnectdb(uri.c_str());
    PGresult *result = PQexec(conn, "SELECT convert_from(target, 'UTF8'), min(number),"
                                    " sum(repeats), count(*) FROM registrations GROUP BY target");
    for (int i = 0; i < PQntuples(result); ++i)
        rows.insert(QByteArray(PQgetvalue(result, i, 0)),
                    {QByteArray(PQgetvalue(result, i, 1)).toLongLong(),
                     QByteArray(PQgetvalue(result, i, 2)).toInt(),
                     QByteArray(PQgetvalue(result, i, 3)).toInt()});
    PQclear(result);
    PQfinish(conn);
    return rows;
}

// Every acknowledged registration is stored once, under its number.
void expectStoredOnce(const std::string &uri, const Ledger &ledger)
{
    const auto rows = storedRows(uri);
    EXPECT_TRUE(ledger.conflicts().isEmpty())
        << "one target acknowledged with two numbers: " << ledger.conflicts().value(0).data();
    int checked = 0;
    const auto numbers = ledger.numbers();
    for (auto it = numbers.cbegin(); it != numbers.cend(); ++it) {
        const auto row = rows.constFind(it.key());
        ASSERT_NE(row, rows.cend()) << "acknowledged, not stored: " << it.key().data();
        EXPECT_EQ(row->copies, 1) << it.key().data();
        EXPECT_EQ(row->number, it.value()) << it.key().data();
        ++checked;
    }
    EXPECT_EQ(checked, numbers.size());
}

TEST(PostgresqlInstances, TwoShareTheWorkAndAKilledOneLosesAndDoublesNothing)
{
    testsupport::TestDatabase database;
    ASSERT_FALSE(database.uri().empty()) << database.error();
    const QString uri = QString::fromStdString(database.uri());
    ServiceProcess a(uri);
    ServiceProcess b(uri);
    ASSERT_NE(a.port(), 0) << a.errors().toStdString();
    ASSERT_NE(b.port(), 0) << b.errors().toStdString();

    // Pairs of clients: one starts at each instance; every other registration
    // of a pair is the same request sent by both at once, so the two
    // instances race to store it.
    Ledger ledger;
    constexpr int kPairs = 2;
    constexpr int kPerClient = 120;
    std::vector<std::thread> clients;
    const std::vector<quint16> ports{a.port(), b.port()};
    for (int pair = 0; pair < kPairs; ++pair) {
        for (size_t side = 0; side < 2; ++side) {
            clients.emplace_back([&, pair, side] {
                for (int i = 0; i < kPerClient; ++i) {
                    QByteArray key = "p" + QByteArray::number(pair) + "n" + QByteArray::number(i);
                    if (i % 2)
                        key += side ? "b" : "a";
                    registerOnce(target(key), ports, side, ledger);
                }
            });
        }
    }
    ASSERT_TRUE(ledger.waitFor(kPairs * kPerClient / 2));
    ::kill(pid_t(b.pid()), SIGKILL);
    for (auto &client : clients)
        client.join();
    // The surviving instance took over every request the killed one left.
    EXPECT_EQ(ledger.count(), kPairs * 2 * kPerClient);
    EXPECT_TRUE(a.running());
    expectStoredOnce(database.uri(), ledger);

    // Repeats were counted, not stored: a request both clients of a pair
    // sent is one row, its second arrival one repeat (or more, for a request
    // the killed instance stored without answering and the survivor got again).
    const auto rows = storedRows(database.uri());
    int repeats = 0;
    for (const Row &row : rows)
        repeats += row.repeats;
    EXPECT_GE(repeats, kPairs * kPerClient / 2);
    EXPECT_EQ(rows.size(), kPairs * (kPerClient / 2 + kPerClient));
    std::printf("%d acknowledged, %d refused or unanswered and sent again, %d repeats\n",
                ledger.count(), ledger.refusals(), repeats);

    // The export of either instance's database sees every row.
    const auto exported =
        testsupport::runRegistrations({QStringLiteral("export"), QStringLiteral("--db"), uri,
                                       QStringLiteral("--format"), QStringLiteral("jsonl")});
    EXPECT_EQ(exported.exitCode, 0) << exported.err.data();
    EXPECT_EQ(exported.out.count('\n'), rows.size());
}

TEST(PostgresqlInstances, WhileTheDatabaseIsAwayRequestsAreRefusedAndServedAgainAfter)
{
    testsupport::PrivateCluster cluster;
    ASSERT_FALSE(cluster.uri().empty());
    ServiceProcess service(QString::fromStdString(cluster.uri()));
    ASSERT_NE(service.port(), 0) << service.errors().toStdString();
    const std::vector<quint16> ports{service.port()};

    enum Phase { Up, Down, Restarting };
    std::atomic<int> phase{Up};
    std::atomic<int> acknowledgedWhileDown{0};
    std::atomic<bool> stop{false};
    Ledger ledger;
    std::thread client([&] {
        for (int i = 0; !stop; ++i) {
            const QByteArray t = target("o" + QByteArray::number(i));
            // Sent and answered while the database was down: must be refused.
            for (int tries = 0; tries < 100000 && !stop; ++tries) {
                const int before = phase;
                const auto reply = testsupport::get(service.port(), t);
                const bool ok = reply && reply->body.startsWith("ok`|`");
                if (ok && before == Down && phase == Down)
                    ++acknowledgedWhileDown;
                if (ok) {
                    ledger.acknowledged(t, reply->body.mid(5).toLongLong());
                    break;
                }
                if (reply)
                    ledger.refused();
            }
        }
    });
    ASSERT_TRUE(ledger.waitFor(20));
    ASSERT_TRUE(cluster.down());
    phase = Down;
    const int acksBefore = ledger.count();
    EXPECT_TRUE(ledger.waitFor(0, 20));
    phase = Restarting;
    ASSERT_TRUE(cluster.up());
    // The same process serves again once the database is back.
    EXPECT_TRUE(ledger.waitFor(acksBefore + 20));
    stop = true;
    client.join();
    EXPECT_EQ(acknowledgedWhileDown, 0);
    std::printf("%d acknowledged, %d refused\n", ledger.count(), ledger.refusals());
    EXPECT_TRUE(service.running());
    EXPECT_TRUE(service.errors().contains(QStringLiteral("database connection was lost")))
        << service.errors().toStdString();
    expectStoredOnce(cluster.uri(), ledger);
}

} // namespace
