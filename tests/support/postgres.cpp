#include "tests/support/postgres.h"

#include <QFile>
#include <QProcess>
#include <QString>

#include <libpq-fe.h>

#include <atomic>
#include <unistd.h>

#ifndef VELMORA_TEST_POSTGRES_STATE
#define VELMORA_TEST_POSTGRES_STATE ""
#endif
#ifndef VELMORA_SOURCE_DIR
#define VELMORA_SOURCE_DIR ""
#endif

namespace testsupport {

namespace {

QString clusterScript()
{
    return QStringLiteral(VELMORA_SOURCE_DIR "/tools/pg-cluster.sh");
}

} // namespace

std::string sharedPostgresUri()
{
    QFile file(QStringLiteral(VELMORA_TEST_POSTGRES_STATE "/uri"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed().toStdString();
}

std::string postgresDatabaseUri(const std::string &uri, const std::string &database)
{
    // The cluster's URIs are postgresql:///postgres?host=...; swap the name.
    const auto slash = uri.find(":///");
    const auto query = uri.find('?');
    if (slash == std::string::npos || query == std::string::npos)
        return {};
    return uri.substr(0, slash + 4) + database + uri.substr(query);
}

std::string postgresQuery(const std::string &uri, const std::string &sql)
{
    PGconn *conn = PQconnectdb(uri.c_str());
    std::string out;
    if (PQstatus(conn) != CONNECTION_OK) {
        out = std::string("ERROR: ") + PQerrorMessage(conn);
    } else {
        PGresult *result = PQexec(conn, sql.c_str());
        const auto status = PQresultStatus(result);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
            out = std::string("ERROR: ") + PQresultErrorMessage(result);
        else if (status == PGRES_TUPLES_OK && PQntuples(result) > 0)
            out = PQgetvalue(result, 0, 0);
        PQclear(result);
    }
    PQfinish(conn);
    return out;
}

TestDatabase::TestDatabase(bool create)
{
    if (!create)
        return;
    m_admin = sharedPostgresUri();
    if (m_admin.empty()) {
        m_error = "no test cluster: run through ctest (fixture \"postgres\") or start one with "
                  "tools/pg-cluster.sh create " VELMORA_TEST_POSTGRES_STATE;
        return;
    }
    static std::atomic<int> counter{0};
    m_name = "velmora_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    const std::string result = postgresQuery(m_admin, "CREATE DATABASE " + m_name);
    if (result.rfind("ERROR", 0) == 0) {
        m_error = result;
        return;
    }
    m_uri = postgresDatabaseUri(m_admin, m_name);
}

TestDatabase::~TestDatabase()
{
    if (!m_uri.empty())
        postgresQuery(m_admin, "DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
}

PrivateCluster::PrivateCluster()
{
    if (!m_state.isValid() || !run("create"))
        return;
    QFile file(m_state.filePath(QStringLiteral("uri")));
    if (file.open(QIODevice::ReadOnly))
        m_uri = file.readAll().trimmed().toStdString();
}

PrivateCluster::~PrivateCluster()
{
    run("destroy");
}

bool PrivateCluster::down()
{
    return run("down");
}

bool PrivateCluster::up()
{
    return run("up");
}

bool PrivateCluster::run(const char *action)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("bash"),
                  {clusterScript(), QString::fromLatin1(action), m_state.path()});
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(10000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace testsupport
