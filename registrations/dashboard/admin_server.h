#pragma once

// The admin listener: an HTTP server of its own, on its own address, that
// carries the dashboard's routes (AdminApi) and nothing else. The public
// listener never serves them.

#include <QString>

struct MHD_Daemon;

namespace registrations::dashboard {

class AdminApi;

class AdminServer {
  public:
    explicit AdminServer(const AdminApi &api);
    ~AdminServer();
    AdminServer(const AdminServer &) = delete;
    AdminServer &operator=(const AdminServer &) = delete;

    // Listens on host (a numeric IPv4 or IPv6 address, or "localhost") and
    // port; port 0 takes a free one. False with the reason on failure.
    bool start(const QString &host, quint16 port, QString *error);
    void stop();

    // The address actually listened on, as HOST:PORT ([HOST]:PORT for IPv6).
    QString address() const;
    quint16 port() const { return m_port; }

  private:
    const AdminApi &m_api;
    MHD_Daemon *m_daemon = nullptr;
    QString m_host;
    quint16 m_port = 0;
};

} // namespace registrations::dashboard
