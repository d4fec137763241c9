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
// The URL's percent escapes are sent as they are: "%252E" stays "%252E",
// "%E9" stays "%E9". The only rewriting is Qt's normalisation of escapes of
// unreserved characters (letters, digits, "-", ".", "_", "~"), which are sent
// as the characters themselves; by RFC 3986 the two forms are equivalent.
QString get(const QUrl &url, const GetOptions &options = {});

// Same, for a URL text whose query is already percent-encoded: the text is
// parsed without decoding or re-encoding its escapes. Characters that cannot
// appear in a URL at all (a blank in a configured address) are escaped.
QString get(const QString &encodedUrl, const GetOptions &options = {});

} // namespace http
