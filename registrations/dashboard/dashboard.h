#pragma once

// The dashboard as the service runs it: its own connection to the database,
// the admin API and the admin listener, started together and stopped
// together.

#include "registrations/dashboard/survey.h"

#include <QString>

#include <memory>

namespace registrations::mapping {
class Questionnaire;
}

namespace registrations::dashboard {

struct DashboardOptions {
    QString database;  // the database the service stores into
    QString tokenFile; // the token, on the file's first line
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 8081;
};

class Dashboard {
  public:
    // Reads the token, opens the database a second time (reads never wait for
    // the registrations being written) and listens. Null with the reason on
    // failure. The questionnaire names the export's columns; it may be null.
    static std::unique_ptr<Dashboard> start(const DashboardOptions &options, Survey survey,
                                            const mapping::Questionnaire *questionnaire,
                                            QString *error);
    ~Dashboard();

    // HOST:PORT as listened on.
    QString address() const;

    struct Private;

  private:
    explicit Dashboard(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

// The token from a token file: its first line without surrounding blanks.
// Refused when the file cannot be read or the token is shorter than 16
// characters (a token that can be guessed guards nothing).
std::optional<QByteArray> readToken(const QString &path, QString *error);

} // namespace registrations::dashboard
