#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>

namespace http {

struct GetOptions {
    // Whole request, from the first connection attempt to the last body byte,
    // redirects included. Zero or less means no limit.
    int timeoutMs = 60000;
    // Redirects followed before the request counts as failed. A redirect from
    // https to http is never followed.
    int maxRedirects = 5;
    // A reply body longer than this is not a valid reply: the transfer is
    // aborted as soon as the limit is passed and the request fails, so a
    // hostile or broken server cannot make the caller hold an unbounded body.
    qint64 maxBodyBytes = 1 << 20;
};

// Performs one HTTP GET and returns the response body as text (UTF-8).
//
// Returns an empty text on any failure: invalid URL or scheme other than http
// and https, no network, connection refused, time-out, too many redirects, a
// final status other than 2xx, a body over the limit. An empty body is also
// returned as an empty text; callers treat both alike.
//
// Blocks the caller while a local event loop runs, so windows keep painting;
// the caller disables its windows for the duration, because the loop also
// delivers input events. Needs a QCoreApplication.
//
// Through QUrl, escapes of unreserved characters (letters, digits, "-", ".",
// "_", "~") are normalised to the characters themselves; every other escape is
// sent as it is.
QString get(const QUrl &url, const GetOptions &options = {});

// Same, for a URL text whose query is already percent-encoded. A plain http
// request that goes straight to the server (no proxy) is written on the
// connection by this client itself, so the request line carries the text's
// escapes byte for byte: "%2D" stays "%2D", "%252E" stays "%252E", "%E9"
// stays "%E9". Characters that cannot appear on a request line at all (a
// blank in a configured address) are escaped. https and proxied requests go
// through Qt's client, as get(QUrl) above.
QString get(const QString &encodedUrl, const GetOptions &options = {});

} // namespace http
