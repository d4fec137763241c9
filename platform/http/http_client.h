#pragma once

#include <QString>
#include <QtGlobal>

namespace http {

struct GetOptions {
    // Whole exchange, from the first connection attempt to the last body
    // byte, redirects included. Zero or less means no limit.
    int timeoutMs = 60000;
    // Redirects followed before the request counts as failed. Only http and
    // https targets are followed, and never from https down to http.
    int maxRedirects = 5;
    // A reply body longer than this is not a valid reply: the transfer stops
    // as soon as the limit is passed and the request fails, so a hostile or
    // broken server cannot make the caller hold an unbounded body.
    qint64 maxBodyBytes = 1 << 20;
};

struct GetResult {
    // A 2xx final status with a complete body within the limit.
    bool ok = false;
    // The body of that reply as text (UTF-8); empty when the request failed.
    QString body;
    // Why the request failed: the host and the reason, never the path or the
    // query (they carry the player's answers).
    QString error;
};

// Performs one HTTP GET of a URL text whose query is already percent-encoded,
// through libcurl: http and https, straight or through the proxy that the
// environment names (http_proxy, https_proxy, all_proxy, no_proxy, each in
// either letter case; requests to this machine never go through a proxy).
// The request target reaches the server byte for byte as written ("%2D"
// stays "%2D", "/./" stays "/./"); only bytes that cannot stand on a request
// line at all (a blank in a configured address, a non-ASCII byte) are
// escaped.
//
// With a QCoreApplication and called from its thread, the transfer runs on a
// worker thread while a local event loop keeps windows painting; the caller
// keeps its windows from reacting to input for the duration, because the
// loop also delivers input events. Elsewhere the call simply blocks.
GetResult get(const QString &encodedUrl, const GetOptions &options = {});

} // namespace http
