#pragma once

// From a request target to a registration, or the reason it cannot be one
// from our wizard. Nothing of a refused request is kept.

#include "registrations/storage/storage.h"

#include <QByteArrayView>
#include <QDateTime>

#include <variant>

namespace registrations::receive {

// The longest value a wizard can send: its text boxes hold at most 32,767
// characters.
inline constexpr qsizetype kMaxValueChars = 32767;

struct Refusal {
    QString reason; // for the reply; says what is wrong, never repeats the data
};

// Decodes the query of target (the path is not looked at) exactly as the
// wizard encodes it. The answers are left unmapped (page 0).
std::variant<storage::Registration, Refusal> decodeRegistration(QByteArrayView target,
                                                                const QDateTime &receivedAt);

} // namespace registrations::receive
