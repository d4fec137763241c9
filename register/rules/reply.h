#pragma once

// Reading the registration server's reply.

#include <QString>
#include <QStringView>

// The server answers "ok" or an error word, then this separator, then a text.
inline constexpr QStringView replySeparator = u"`|`";

// The submission result code of a reply:
//   0 accepted: exactly two parts and the first is "ok" (exact, no trimming);
//   1 a reply of the wrong form: one part, or more than two;
//   2 no usable reply: empty, or two parts whose first is not "ok".
int submitResultFromReply(const QString &reply);
