#include "registrations/storage/postgresql_connection.h"
#include "tests/support/postgres.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using registrations::storage::postgresql::Backoff;
using registrations::storage::postgresql::Connection;

namespace {

struct FakeClock {
    std::chrono::steady_clock::time_point now{};
    Connection::Clock clock()
    {
        return [this] { return now; };
    }
};

TEST(PostgresqlConnection, AnAbsentServerIsTriedAgainOnlyAfterADoublingWait)
{
    FakeClock time;
    Connection connection("postgresql:///none?host=/nonexistent-velmora-socket-dir",
                          Backoff{100ms, 400ms}, time.clock());
    // Each step: how far the clock moves, then how many connects have been tried.
    const struct {
        std::chrono::milliseconds advance;
        int attempts;
    } steps[] = {{0ms, 1}, {0ms, 1},   {99ms, 1}, {1ms, 2},   {199ms, 2},
                 {1ms, 3}, {399ms, 3}, {1ms, 4},  {399ms, 4}, {1ms, 5}};
    int step = 0;
    for (const auto &s : steps) {
        time.now += s.advance;
        EXPECT_EQ(connection.get(), nullptr) << "step " << step;
        EXPECT_EQ(connection.attempts(), s.attempts) << "step " << step;
        ++step;
    }
    EXPECT_NE(connection.lastError().find("nonexistent-velmora-socket-dir"), std::string::npos)
        << connection.lastError();
}

TEST(PostgresqlConnection, ALostConnectionIsDroppedAndMadeAgainAtOnce)
{
    testsupport::TestDatabase database;
    ASSERT_FALSE(database.uri().empty()) << database.error();
    Connection connection(database.uri());
    PGconn *conn = connection.get();
    ASSERT_NE(conn, nullptr) << connection.lastError();
    const int pid = PQbackendPID(conn);
    // The server ends this session, as a restart or a fail-over would.
    EXPECT_EQ(testsupport::postgresQuery(database.uri(), "SELECT pg_terminate_backend(" +
                                                             std::to_string(pid) + ")"),
              "t");
    auto result = registrations::storage::postgresql::exec(conn, "SELECT 1");
    EXPECT_FALSE(registrations::storage::postgresql::succeeded(result.get()));
    EXPECT_TRUE(connection.dropIfBroken());
    conn = connection.get();
    ASSERT_NE(conn, nullptr) << connection.lastError();
    EXPECT_NE(PQbackendPID(conn), pid);
    result = registrations::storage::postgresql::exec(conn, "SELECT 1");
    EXPECT_TRUE(registrations::storage::postgresql::succeeded(result.get()));
    EXPECT_FALSE(connection.dropIfBroken());
}

} // namespace
