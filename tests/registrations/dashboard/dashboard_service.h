#pragma once

// Runs the built `registrations serve` for a test on loopback ports the
// system picks, reads the addresses it announces and stops it when the test
// ends. Every wait is bounded.

#include "tests/support/test_support.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace testsupport {

class DashboardService {
  public:
    explicit DashboardService(const QStringList &arguments, int announcedLines = 1)
    {
        m_process.setProgram(binDir() + QStringLiteral("/registrations"));
        m_process.setArguments(QStringList{QStringLiteral("serve")} + arguments);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return;
        while (m_lines.size() < announcedLines) {
            while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
            }
            if (!m_process.canReadLine())
                break;
            m_lines.append(QString::fromUtf8(m_process.readLine()).trimmed());
        }
    }
    ~DashboardService()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(10000))
                m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    DashboardService(const DashboardService &) = delete;
    DashboardService &operator=(const DashboardService &) = delete;

    const QStringList &lines() const { return m_lines; }
    // "http://HOST:PORT" from the line that starts with prefix, empty when none.
    QString base(const QString &prefix) const
    {
        for (const QString &line : m_lines)
            if (line.startsWith(prefix))
                return QStringLiteral("http://") + line.mid(prefix.size());
        return {};
    }
    QProcess &process() { return m_process; }

  private:
    QProcess m_process;
    QStringList m_lines;
};

struct HttpAnswer {
    int status = 0; // 0: no answer
    QByteArray body;
};

// One GET with an optional Authorization header, given up after 10 seconds.
inline HttpAnswer httpGet(const QString &url, const QByteArray &authorization = {})
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    if (!authorization.isEmpty())
        request.setRawHeader("Authorization", authorization);
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    HttpAnswer answer;
    if (reply->isFinished()) {
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.body = reply->readAll();
    } else {
        reply->abort();
    }
    reply->deleteLater();
    return answer;
}

} // namespace testsupport
