#pragma once

// PostgreSQL for tests: a fresh database per test on the cluster that ctest
// starts once for the run (the fixture "postgres", tools/pg-cluster.sh), or a
// cluster of the test's own when the test stops the server.

#include <QTemporaryDir>

#include <string>

namespace testsupport {

// The URI of the run's shared cluster (its "postgres" database), or empty
// when the fixture did not start one.
std::string sharedPostgresUri();

// The URI of another database on the cluster `uri` points to.
std::string postgresDatabaseUri(const std::string &uri, const std::string &database);

// A database of its own for one test on the shared cluster, dropped after it
// (together with any connection the test left open).
class TestDatabase {
  public:
    // Without `create` it stands empty (for a table whose other rows need none).
    explicit TestDatabase(bool create = true);
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    // Empty when the database could not be made; error() says why.
    const std::string &uri() const { return m_uri; }
    const std::string &error() const { return m_error; }

  private:
    std::string m_admin;
    std::string m_name;
    std::string m_uri;
    std::string m_error;
};

// A cluster started for one test, which may stop and start it again; removed
// when the object goes.
class PrivateCluster {
  public:
    PrivateCluster();
    ~PrivateCluster();
    PrivateCluster(const PrivateCluster &) = delete;
    PrivateCluster &operator=(const PrivateCluster &) = delete;

    // Its "postgres" database; empty when it did not start.
    const std::string &uri() const { return m_uri; }
    bool down();
    bool up();

  private:
    bool run(const char *action);
    QTemporaryDir m_state;
    std::string m_uri;
};

// Runs one statement without parameters and returns the first column of the
// first row ("" when there is none, "ERROR: ..." when it failed).
std::string postgresQuery(const std::string &uri, const std::string &sql);

} // namespace testsupport
