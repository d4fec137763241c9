#pragma once

// Replies of broken, lying or hostile servers, each with the verdict the
// client owes it. Used by the client's own test and by the wizard's
// submission test, which must show the matching page for each.

#include "tests/support/hostile_server.h"

#include <QByteArray>
#include <QList>

namespace testsupport {

// An accepting registration reply, 15 bytes.
inline const QByteArray kAccepted = "ok`|`VLM-000001";

struct HostileReply {
    const char *name;
    QList<Script> answers;
    // The verdict: a successful reply whose body starts with kAccepted and
    // has bodyBytes bytes, or a failed request for this reason (a part of
    // its diagnosis).
    bool ok;
    const char *reason = "";
    qint64 bodyBytes = kAccepted.size();
    // Requests the server must have received; the second one's target when
    // there is one (a followed redirect).
    int requests = 1;
    QByteArray secondTarget = {};
    int timeoutMs = 10000;
    // The verdict comes between these (a reply is never waited out).
    int minElapsedMs = 0;
    int maxElapsedMs = 5000;
    // The server is the proxy that http_proxy names, for a server elsewhere.
    bool viaProxy = false;
};

inline void PrintTo(const HostileReply &row, std::ostream *os)
{
    *os << row.name;
}

inline QByteArray withLength(const QByteArray &body, const char *status = "200 OK")
{
    return "HTTP/1.1 " + QByteArray(status) +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

inline QByteArray redirectTo(const QByteArray &location)
{
    return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

inline QList<HostileReply> hostileReplies()
{
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const QByteArray oneMiB = kAccepted + QByteArray((1 << 20) - kAccepted.size(), 'x');
    const QByteArray lengthHead = "HTTP/1.1 200 OK\r\nContent-Length: 15\r\n\r\n";
    return {
        {.name = "chunkSizeNear2To63",
         .answers = {replyAndClose(chunked + "1\r\na\r\n7FFFFFFFFFFFFFFF\r\nbcdefgh\r\n0\r\n\r\n")},
         .ok = false,
         .reason = "outstanding read data"},
        {.name = "chunkSizeBeyond64Bits",
         .answers = {replyAndClose(chunked +
                                   "1\r\na\r\n1FFFFFFFFFFFFFFFF\r\nbcdefgh\r\n0\r\n\r\n")},
         .ok = false,
         .reason = "chunked"},
        {.name = "chunkedWithExtension",
         .answers = {replyAndClose(chunked + "5\r\nok`|`\r\nA;x=y\r\nVLM-000001\r\n0\r\n\r\n")},
         .ok = true},
        // Complete replies on a connection the server keeps open end at their
        // last byte, not at the time-out.
        {.name = "keepAliveContentLength",
         .answers = {replyKeepOpen(withLength(kAccepted))},
         .ok = true,
         .timeoutMs = 20000,
         .maxElapsedMs = 3000},
        {.name = "keepAliveChunked",
         .answers = {replyKeepOpen(chunked + "5\r\nok`|`\r\nA\r\nVLM-000001\r\n0\r\n\r\n")},
         .ok = true,
         .timeoutMs = 20000,
         .maxElapsedMs = 3000},
        {.name = "interim100And103",
         .answers = {replyAndClose(
             "HTTP/1.1 100 Continue\r\n\r\n"
             "HTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\n\r\n" +
             withLength(kAccepted))},
         .ok = true},
        {.name = "bareLineFeeds",
         .answers = {replyAndClose("HTTP/1.1 200 OK\nContent-Length: 15\n\n" + kAccepted)},
         .ok = true},
        {.name = "contentLengthLonger",
         .answers = {replyAndClose("HTTP/1.1 200 OK\r\nContent-Length: 40\r\n\r\n" + kAccepted)},
         .ok = false,
         .reason = "25 bytes remaining"},
        // The reply ends where its length says; what follows is not its body.
        {.name = "contentLengthShorter",
         .answers = {replyAndClose(lengthHead + kAccepted + "GARBAGE")},
         .ok = true},
        {.name = "exactly1MiB",
         .answers = {replyAndClose(withLength(oneMiB))},
         .ok = true,
         .bodyBytes = 1 << 20},
        {.name = "oneByteOver1MiB",
         .answers = {replyAndClose(withLength(oneMiB + "x"))},
         .ok = false,
         .reason = "over 1048576 bytes"},
        // No length announced: the transfer stops at the limit, not at the end.
        {.name = "oneByteOver1MiBUnannounced",
         .answers = {replyAndClose("HTTP/1.1 200 OK\r\n\r\n" + oneMiB + "x")},
         .ok = false,
         .reason = "over 1048576 bytes"},
        {.name = "slowDripWithinBudget",
         .answers = {drip(lengthHead, kAccepted, 5, 150)},
         .ok = true,
         .timeoutMs = 3000,
         .minElapsedMs = 600,
         .maxElapsedMs = 2500},
        {.name = "slowDripOverBudget",
         .answers = {drip(lengthHead, kAccepted, 15, 200)},
         .ok = false,
         .reason = "timed out",
         .timeoutMs = 800,
         .minElapsedMs = 700,
         .maxElapsedMs = 2500},
        {.name = "redirectLoop",
         .answers = {replyAndClose(redirectTo("/loop"))},
         .ok = false,
         .reason = "more than 5 redirects",
         .requests = 6,
         .secondTarget = "/loop"},
        {.name = "redirectToFtp",
         .answers = {replyAndClose(redirectTo("ftp://127.0.0.1/register.asp"))},
         .ok = false,
         .reason = "(\"ftp\")"},
        {.name = "redirectToFile",
         .answers = {replyAndClose(redirectTo("file:///etc/hostname"))},
         .ok = false,
         .reason = "(\"file\")"},
        {.name = "relativeRedirect",
         .answers = {replyAndClose(redirectTo("done.asp?id=%2D7")),
                     replyAndClose(withLength(kAccepted))},
         .ok = true,
         .requests = 2,
         .secondTarget = "/site/done.asp?id=%2D7"},
        {.name = "status500WithAcceptingBody",
         .answers = {replyAndClose(withLength(kAccepted, "500 Internal Server Error"))},
         .ok = false,
         .reason = "HTTP status 500"},
        {.name = "proxyFromHttpProxy",
         .answers = {replyAndClose(withLength(kAccepted))},
         .ok = true,
         .viaProxy = true},
    };
}

} // namespace testsupport
