#include "platform/http/http_client.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace http {

namespace {

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

// The request target of an encoded URL text, byte for byte: everything after
// the authority up to a fragment. QUrl would turn the escapes of unreserved
// characters ("%2D", "%5F", "%7E") back into the characters; the registration
// is sent exactly as it was encoded. Bytes that cannot stand on a request
// line at all (a blank in a configured address, a control character, a
// non-ASCII byte) are escaped, as QUrl would.
std::optional<QByteArray> requestTarget(const QString &encodedUrl)
{
    const qsizetype schemeEnd = encodedUrl.indexOf(QLatin1String("://"));
    if (schemeEnd < 0)
        return std::nullopt;
    qsizetype start = schemeEnd + 3;
    while (start < encodedUrl.size() && encodedUrl[start] != u'/' && encodedUrl[start] != u'?' &&
           encodedUrl[start] != u'#')
        ++start;
    QStringView rest = QStringView(encodedUrl).mid(start);
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0)
        rest = rest.left(hash);
    QByteArray target;
    if (!rest.startsWith(u'/'))
        target += '/';
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const char byte : rest.toUtf8()) {
        const auto b = static_cast<unsigned char>(byte);
        if (b > 0x20 && b < 0x7F && b != '"' && b != '<' && b != '>' && b != '\\' && b != '^' &&
            b != '`' && b != '{' && b != '|' && b != '}') {
            target += byte;
        } else {
            target += '%';
            target += hex[b >> 4];
            target += hex[b & 0x0F];
        }
    }
    return target;
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The body of a chunked transfer, or nothing when it is cut short or broken.
std::optional<QByteArray> dechunk(QByteArrayView data, qint64 maxBodyBytes)
{
    QByteArray body;
    qsizetype at = 0;
    for (;;) {
        const qsizetype lineEnd = data.indexOf(QByteArrayView("\r\n"), at);
        if (lineEnd < 0)
            return std::nullopt;
        QByteArrayView sizeText = data.sliced(at, lineEnd - at);
        if (const qsizetype semicolon = sizeText.indexOf(';'); semicolon >= 0)
            sizeText = sizeText.first(semicolon);
        bool ok = false;
        const qint64 size = sizeText.trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0)
            return std::nullopt;
        at = lineEnd + 2;
        if (size == 0)
            return body;
        if (body.size() + size > maxBodyBytes || at + size + 2 > data.size())
            return std::nullopt;
        body += data.sliced(at, size);
        at += size + 2;
    }
}

struct PlainReply {
    int status = 0;
    QByteArray location;
    QByteArray body;
};

// One GET over a plain connection of our own, with "Connection: close": the
// whole answer is read until the server closes. Nothing when the connection
// fails, times out, or the answer is malformed or too large.
std::optional<PlainReply> plainGet(const QUrl &url, const QByteArray &target,
                                   const GetOptions &options, const QDeadlineTimer &deadline)
{
    const QString host = url.host(QUrl::FullyEncoded);
    const quint16 port = quint16(url.port(80));
    QByteArray hostHeader = (host.contains(u':') ? u'[' + host + u']' : host).toLatin1();
    if (url.port() != -1)
        hostHeader += ':' + QByteArray::number(port);
    // Head and body together; a head beyond this allowance is no answer.
    const qint64 maxBytes = std::max<qint64>(0, options.maxBodyBytes) + 64 * 1024;

    QEventLoop loop;
    QByteArray received;
    bool failed = false;
    // Set whenever the loop is told to end: an error reported before the loop
    // runs must not leave it waiting for the time-out.
    bool done = false;
    const auto finish = [&] {
        done = true;
        loop.quit();
    };
    QTcpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    QObject::connect(&socket, &QTcpSocket::connected, &socket, [&] {
        socket.write("GET " + target + " HTTP/1.1\r\nHost: " + hostHeader +
                     "\r\nAccept: */*\r\nUser-Agent: Mozilla/5.0\r\nConnection: close\r\n\r\n");
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] {
        if (failed)
            return;
        if (received.size() + socket.bytesAvailable() > maxBytes) {
            failed = true;
            socket.abort();
            finish();
            return;
        }
        received += socket.readAll();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, finish);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop,
                     [&](QAbstractSocket::SocketError error) {
                         if (error != QAbstractSocket::RemoteHostClosedError)
                             failed = true;
                         finish();
                     });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        failed = true;
        finish();
    });
    if (!deadline.isForever())
        timer.start(std::max<qint64>(0, deadline.remainingTime()));
    socket.connectToHost(host, port);
    if (!done)
        loop.exec();
    timer.stop();
    if (!failed && socket.bytesAvailable() > 0) {
        if (received.size() + socket.bytesAvailable() > maxBytes)
            failed = true;
        else
            received += socket.readAll();
    }
    QObject::disconnect(&socket, nullptr, nullptr, nullptr);
    socket.abort();
    if (failed)
        return std::nullopt;

    const qsizetype headEnd = received.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return std::nullopt;
    const QList<QByteArray> headLines = received.left(headEnd).split('\n');
    const QList<QByteArray> statusLine = headLines.first().trimmed().split(' ');
    if (statusLine.size() < 2 || !statusLine[0].startsWith("HTTP/"))
        return std::nullopt;
    PlainReply reply;
    bool ok = false;
    reply.status = statusLine[1].toInt(&ok);
    if (!ok)
        return std::nullopt;
    std::optional<qint64> contentLength;
    bool chunked = false;
    for (qsizetype i = 1; i < headLines.size(); ++i) {
        const QByteArray line = headLines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            const qint64 length = value.toLongLong(&ok);
            if (!ok || length < 0)
                return std::nullopt;
            contentLength = length;
        } else if (name == "transfer-encoding") {
            chunked = value.toLower().contains("chunked");
        } else if (name == "location") {
            reply.location = value;
        }
    }
    const QByteArrayView rest = QByteArrayView(received).sliced(headEnd + 4);
    if (chunked) {
        const std::optional<QByteArray> body = dechunk(rest, options.maxBodyBytes);
        if (!body)
            return std::nullopt;
        reply.body = *body;
    } else if (contentLength) {
        if (rest.size() < *contentLength)
            return std::nullopt; // cut short
        reply.body = rest.first(*contentLength).toByteArray();
    } else {
        reply.body = rest.toByteArray();
    }
    if (reply.body.size() > options.maxBodyBytes)
        return std::nullopt;
    return reply;
}

// Whether a request to this address goes straight to the server: always for
// this machine, otherwise when Qt's proxy settings name no proxy for it.
bool isDirect(const QUrl &url)
{
    if (isLoopbackHost(url.host()))
        return true;
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url));
    return proxies.isEmpty() || proxies.first().type() == QNetworkProxy::NoProxy ||
           (proxies.first().type() == QNetworkProxy::DefaultProxy &&
            QNetworkProxy::applicationProxy().type() == QNetworkProxy::NoProxy);
}

} // namespace

QString get(const QUrl &url, const GetOptions &options)
{
    if (!url.isValid() || QCoreApplication::instance() == nullptr)
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return {};

    // Everything the reply's handlers touch is declared before the manager, so
    // it outlives the reply that the manager deletes.
    QEventLoop loop;
    QByteArray body;
    bool failed = false;

    QNetworkAccessManager manager;
    // A proxy taken from the environment must not swallow requests to this
    // machine (a local test or staging server); elsewhere Qt's defaults stand.
    if (isLoopbackHost(url.host()))
        manager.setProxy(QNetworkProxy::NoProxy);

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(std::max(0, options.maxRedirects));
    // Each call is a new registration: never answer it from a cache.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);

    QNetworkReply *reply = manager.get(request);

    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        if (failed)
            return;
        if (body.size() + reply->bytesAvailable() > options.maxBodyBytes) {
            failed = true;
            reply->abort();
            return;
        }
        body += reply->readAll();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply, [&] {
        failed = true;
        reply->abort();
    });
    if (options.timeoutMs > 0)
        deadline.start(options.timeoutMs);

    if (!reply->isFinished())
        loop.exec();
    deadline.stop();
    QObject::disconnect(reply, nullptr, nullptr, nullptr);

    if (failed || reply->error() != QNetworkReply::NoError)
        return {};
    // A redirect that was not followed (https to http) or any other non-2xx
    // answer carries a body that is not the server's reply to the request.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299)
        return {};
    if (body.size() + reply->bytesAvailable() > options.maxBodyBytes)
        return {};
    body += reply->readAll();
    return QString::fromUtf8(body);
}

QString get(const QString &encodedUrl, const GetOptions &options)
{
    // Tolerant parsing keeps every valid escape and only escapes what could
    // not stand in a URL at all; strict parsing would reject a configured
    // address with a stray blank instead.
    QUrl url(encodedUrl, QUrl::TolerantMode);
    if (!url.isValid() || QCoreApplication::instance() == nullptr ||
        url.scheme().toLower() != QLatin1String("http") || url.host().isEmpty() || !isDirect(url))
        return get(url, options);
    // Plain http straight to the server: the request line is written here,
    // so every escape of the caller reaches the server as written.
    const QDeadlineTimer deadline = options.timeoutMs > 0 ? QDeadlineTimer(options.timeoutMs)
                                                          : QDeadlineTimer(QDeadlineTimer::Forever);
    std::optional<QByteArray> target = requestTarget(encodedUrl);
    for (int redirects = 0; target; ++redirects) {
        const std::optional<PlainReply> reply = plainGet(url, *target, options, deadline);
        if (!reply)
            return {};
        if (!isRedirect(reply->status) || reply->location.isEmpty()) {
            if (reply->status < 200 || reply->status > 299)
                return {};
            return QString::fromUtf8(reply->body);
        }
        if (redirects >= options.maxRedirects)
            return {};
        const QString location = QString::fromLatin1(reply->location);
        url = url.resolved(QUrl(location, QUrl::TolerantMode));
        if (!url.isValid() || url.host().isEmpty())
            return {};
        if (url.scheme().toLower() != QLatin1String("http") || !isDirect(url)) {
            // Elsewhere (https, or through a proxy): Qt's client takes over,
            // with what is left of the redirects and of the time.
            GetOptions rest = options;
            rest.maxRedirects = options.maxRedirects - redirects - 1;
            if (!deadline.isForever())
                rest.timeoutMs = int(std::max<qint64>(1, deadline.remainingTime()));
            return get(url, rest);
        }
        target = requestTarget(url.toString(QUrl::FullyEncoded));
    }
    return {};
}

} // namespace http
