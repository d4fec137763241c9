#pragma once

// How a registration is kept: one row whose fields and answers are one encoded
// column, and the counts the dashboard reads, kept up to date as rows come and
// go instead of being counted over every answer each time they are asked for.

#include "registrations/storage/storage.h"

#include <QByteArray>
#include <QByteArrayView>

#include <compare>
#include <map>

namespace registrations::storage {

// The fields and answers as one JSON text, in wire order:
//   {"f":[[key,value],...],"a":[[page,id,value],...]}
// (the schema migration writes the same shape from the older tables in SQL).
QByteArray encodeContent(const QList<Field> &fields, const QList<Answer> &answers);
// False when the text is not of that shape; the lists are then left empty.
bool decodeContent(QByteArrayView content, QList<Field> *fields, QList<Answer> *answers);

// The content a registration is stored with: the one made when it was
// received (see prepareForStorage) or, failing that, made now.
QByteArray contentOf(const Registration &registration);
QByteArray targetHashOf(const Registration &registration);

// Encodes what the writer would otherwise encode, so that it is done on the
// request's own thread and the single writer only binds bytes.
void prepareForStorage(Registration &registration);

// What a counter counts; the numbers are stored, so they never change.
enum class CountKind : int {
    Received = 0, // registrations (page 0, id and value empty)
    Language = 1, // registrations by language (the value)
    Country = 2,  // Country fields by value
    Answer = 3,   // answer entries of a question (page, id) by value
    Answered = 4, // registrations with a non-empty answer to a question (page, id)
};

// One counter: a UTC day (days since the epoch), a kind, and the question and
// value where the kind has them.
struct CounterKey {
    qint64 day = 0;
    int kind = 0;
    int page = 0;
    QString id;
    QString value;
    auto operator<=>(const CounterKey &other) const
    {
        if (auto c = std::tie(kind, page, day) <=> std::tie(other.kind, other.page, other.day);
            c != 0)
            return c;
        if (int c = id.compare(other.id); c != 0)
            return c <=> 0;
        return value.compare(other.value) <=> 0;
    }
    bool operator==(const CounterKey &) const = default;
};

// Counter changes, one entry per key (a batch's changes gathered in memory
// are written with one statement per key).
using CounterChanges = std::map<CounterKey, qint64>;

// Adds (sign 1) or takes out (sign -1) one registration's counts.
void countRegistration(CounterChanges &changes, qint64 receivedMs, const QString &language,
                       const QList<Field> &fields, const QList<Answer> &answers, qint64 sign);

// The day a receive time falls on (UTC, days since the epoch).
qint64 dayOf(qint64 receivedMs);

} // namespace registrations::storage
