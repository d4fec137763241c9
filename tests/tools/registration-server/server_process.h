#pragma once

// Runs the built registration-server for a test: an ephemeral loopback port,
// a log file in a private folder, and termination when the test ends.

#include "tests/support/test_support.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

class RegistrationServerProcess {
  public:
    explicit RegistrationServerProcess(const QStringList &arguments = {})
    {
        m_logPath = m_dir.filePath(QStringLiteral("registrations.log"));
        m_process.setProgram(binDir() + QStringLiteral("/registration-server"));
        // A test that names its own log gets that one.
        m_process.setArguments(arguments.contains(QStringLiteral("--log"))
                                   ? arguments
                                   : arguments + QStringList{QStringLiteral("--log"), m_logPath});
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        m_firstLine = QString::fromUtf8(m_process.readLine()).trimmed();
        const auto match =
            QRegularExpression(QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)$"))
                .match(m_firstLine);
        if (match.hasMatch())
            m_port = match.captured(1).toUShort();
    }

    ~RegistrationServerProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(10000))
                m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    RegistrationServerProcess(const RegistrationServerProcess &) = delete;
    RegistrationServerProcess &operator=(const RegistrationServerProcess &) = delete;

    // Zero when the server did not start or did not announce its port.
    quint16 port() const { return m_port; }
    QString firstLine() const { return m_firstLine; }
    QString url(const QString &pathAndQuery) const
    {
        return QStringLiteral("http://127.0.0.1:") + QString::number(m_port) + pathAndQuery;
    }
    // Everything the server has printed after its first line; the server writes
    // the log before it answers, so a client holding its answer finds it here.
    QString log() const { return readFile(m_logPath); }
    QProcess &process() { return m_process; }

  private:
    QTemporaryDir m_dir;
    QString m_logPath;
    QProcess m_process;
    QString m_firstLine;
    quint16 m_port = 0;
};

} // namespace testsupport
