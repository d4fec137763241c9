#pragma once

// What the dashboard asks of the stored registrations: counts over a period of
// receive time, grouped by day, language, a personal field or an answer value.
// The statements are written once (aggregates.cpp) over Storage::readRows, so
// every engine answers them with its own indexes.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>

#include <limits>
#include <variant>

namespace registrations::storage {

// A statement parameter or a result column: NULL, an integer or a text.
using Value = std::variant<std::monostate, qint64, QString>;
using Row = QList<Value>;

// A half-open range of receive times, in milliseconds since the epoch (UTC).
struct Period {
    qint64 fromMs = 0;
    qint64 toMs = std::numeric_limits<qint64>::max();
    bool operator==(const Period &) const = default;
};

// One group of a count: its key (a language, a country, an answer value, a
// day as yyyy-MM-dd) and how many registrations fell into it.
struct Tally {
    QString key;
    qint64 count = 0;
    bool operator==(const Tally &) const = default;
};

// The personal fields the latest-registrations table shows; the dashboard
// masks them before they leave the service.
struct LatestRegistration {
    qint64 number = 0;
    QDateTime receivedAt;
    QString game;
    QString language;
    QString firstName;
    QString lastName;
    QString email;
    QString country;
};

} // namespace registrations::storage
