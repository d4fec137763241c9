#include "platform/http/http_client.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>

namespace http {

namespace {

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
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
    // Tolerant parsing keeps every valid escape byte for byte and only escapes
    // what could not stand in a URL at all; strict parsing would reject a
    // configured address with a stray blank instead.
    return get(QUrl(encodedUrl, QUrl::TolerantMode), options);
}

} // namespace http
