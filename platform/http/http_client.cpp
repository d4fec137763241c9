#include "platform/http/http_client.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <curl/curl.h>

#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

namespace http {

namespace {

// The URL text as libcurl gets it. Every escape of the caller stays as
// written; bytes that cannot stand in a URL at all (a blank in a configured
// address, a control character, a non-ASCII byte) are escaped, as a browser
// would.
QByteArray escapeUnsafeBytes(const QString &encodedUrl)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    QByteArray out;
    const QByteArray utf8 = encodedUrl.toUtf8();
    out.reserve(utf8.size());
    for (const char byte : utf8) {
        const auto b = static_cast<unsigned char>(byte);
        if (b > 0x20 && b < 0x7F && b != '"' && b != '<' && b != '>' && b != '\\' && b != '^' &&
            b != '`' && b != '{' && b != '|' && b != '}') {
            out += byte;
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 0x0F];
        }
    }
    return out;
}

struct UrlParts {
    QByteArray scheme; // lower case
    QByteArray host;   // IPv6 addresses in brackets
    QByteArray query;
};

// The parts of an absolute URL, or nothing when libcurl cannot read it.
std::optional<UrlParts> urlParts(const QByteArray &url)
{
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), curl_url_cleanup);
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.constData(),
                                CURLU_NON_SUPPORT_SCHEME | CURLU_PATH_AS_IS) != CURLUE_OK)
        return std::nullopt;
    const auto part = [&handle](CURLUPart which) {
        char *text = nullptr;
        QByteArray value;
        if (curl_url_get(handle.get(), which, &text, 0) == CURLUE_OK && text)
            value = text;
        curl_free(text);
        return value;
    };
    return UrlParts{part(CURLUPART_SCHEME).toLower(), part(CURLUPART_HOST), part(CURLUPART_QUERY)};
}

bool isLoopbackHost(QByteArray host)
{
    host = host.toLower();
    if (host == "localhost" || host.endsWith(".localhost"))
        return true;
    if (host.startsWith('[') && host.endsWith(']')) {
        in6_addr address{};
        return inet_pton(AF_INET6, host.mid(1, host.size() - 2).constData(), &address) == 1 &&
               IN6_IS_ADDR_LOOPBACK(&address);
    }
    in_addr address{};
    return inet_pton(AF_INET, host.constData(), &address) == 1 &&
           (ntohl(address.s_addr) >> 24) == 127;
}

// The proxy for one hop, as CURLOPT_PROXY takes it: "" for none, nothing to
// let libcurl read the environment itself. libcurl ignores an upper-case
// HTTP_PROXY (a web server's CGI sets it from a request header); a desktop
// program has no such header, and players behind a proxy set it.
std::optional<QByteArray> proxyFor(const UrlParts &url)
{
    if (isLoopbackHost(url.host))
        return QByteArray("");
    if (url.scheme == "http" && std::getenv("http_proxy") == nullptr) {
        const char *upper = std::getenv("HTTP_PROXY");
        if (upper != nullptr && *upper != '\0')
            return QByteArray(upper);
    }
    return std::nullopt;
}

bool isRedirect(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

struct Transfer {
    QByteArray body;
    qint64 maxBodyBytes = 0;
    bool overLimit = false;
    const std::atomic<bool> *abandon = nullptr;
};

size_t takeBody(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<Transfer *>(user);
    const size_t bytes = size * count;
    if (transfer->body.size() + qint64(bytes) > transfer->maxBodyBytes) {
        transfer->overLimit = true;
        return 0; // anything but `bytes` ends the transfer
    }
    transfer->body.append(data, qsizetype(bytes));
    return bytes;
}

int checkAbandon(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto *transfer = static_cast<const Transfer *>(user);
    return transfer->abandon && transfer->abandon->load() ? 1 : 0;
}

GetResult failure(const UrlParts &url, QByteArray reason)
{
    // libcurl's texts name hosts and ports, not queries; make sure of it.
    if (!url.query.isEmpty())
        reason.replace(url.query, "...");
    GetResult result;
    result.error =
        (url.host.isEmpty() ? QStringLiteral("(no host)") : QString::fromUtf8(url.host)) +
        QStringLiteral(": ") + QString::fromUtf8(reason);
    return result;
}

GetResult perform(const QByteArray &firstUrl, const GetOptions &options,
                  const std::atomic<bool> *abandon)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);

    std::optional<UrlParts> url = urlParts(firstUrl);
    if (!url)
        return failure({}, "not a URL");
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   curl_easy_cleanup);
    if (!curl)
        return failure(*url, "libcurl could not start a transfer");

    Transfer transfer;
    transfer.maxBodyBytes = std::max<qint64>(0, options.maxBodyBytes);
    transfer.abandon = abandon;
    char errorText[CURL_ERROR_SIZE] = {};

    CURL *h = curl.get();
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects are followed here, hop by hop, so that each hop gets its own
    // proxy and what is left of the time.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    // The target as written: no merging of "/./" or "/../" segments.
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    // Whatever scheme a corporate proxy asks for (Basic, Digest, NTLM,
    // Negotiate), with the credentials of the proxy address.
    curl_easy_setopt(h, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/5.0");
    // The system's certificates are trusted as they are; a publisher with a
    // private certificate authority (and a test) names its bundle as for curl:
    // CURL_CA_BUNDLE, else SSL_CERT_FILE and SSL_CERT_DIR.
    const QByteArray bundle = qgetenv("CURL_CA_BUNDLE");
    const QByteArray certFile = qgetenv("SSL_CERT_FILE");
    const QByteArray certDir = qgetenv("SSL_CERT_DIR");
    if (!bundle.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_CAINFO, bundle.constData());
    } else {
        if (!certFile.isEmpty())
            curl_easy_setopt(h, CURLOPT_CAINFO, certFile.constData());
        if (!certDir.isEmpty())
            curl_easy_setopt(h, CURLOPT_CAPATH, certDir.constData());
    }
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(transfer.maxBodyBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, takeBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, checkAbandon);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

    QByteArray current = firstUrl;
    for (int redirects = 0;; ++redirects) {
        if (url->scheme != "http" && url->scheme != "https")
            return failure(*url, "scheme \"" + url->scheme + "\" is neither http nor https");
        if (options.timeoutMs > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return failure(*url,
                               "no reply within " + QByteArray::number(options.timeoutMs) + " ms");
            curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(left.count()));
        }
        const std::optional<QByteArray> proxy = proxyFor(*url);
        curl_easy_setopt(h, CURLOPT_PROXY, proxy ? proxy->constData() : nullptr);
        curl_easy_setopt(h, CURLOPT_URL, current.constData());
        transfer.body.clear();
        errorText[0] = '\0';

        const CURLcode code = curl_easy_perform(h);
        if (transfer.overLimit || code == CURLE_FILESIZE_EXCEEDED)
            return failure(*url, "reply body over " + QByteArray::number(transfer.maxBodyBytes) +
                                     " bytes");
        if (code != CURLE_OK)
            return failure(*url, errorText[0] != '\0' ? QByteArray(errorText)
                                                      : QByteArray(curl_easy_strerror(code)));

        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        const char *location = nullptr;
        curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
        if (isRedirect(status) && location != nullptr) {
            if (redirects >= options.maxRedirects)
                return failure(*url, "more than " + QByteArray::number(options.maxRedirects) +
                                         " redirects");
            const std::optional<UrlParts> next = urlParts(location);
            if (!next)
                return failure(*url, "redirect to an address that is not a URL");
            if (next->scheme != "http" && next->scheme != "https")
                return failure(*url, "redirect to a scheme other than http or https (\"" +
                                         next->scheme + "\")");
            if (url->scheme == "https" && next->scheme == "http")
                return failure(*url, "redirect from https down to http");
            current = location;
            url = next;
            continue;
        }
        if (status < 200 || status > 299)
            return failure(*url, "HTTP status " + QByteArray::number(qlonglong(status)));
        GetResult result;
        result.ok = true;
        result.body = QString::fromUtf8(transfer.body);
        return result;
    }
}

} // namespace

GetResult get(const QString &encodedUrl, const GetOptions &options)
{
    // Before any worker thread exists: libcurl's set-up is once per process.
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK)
        return failure({}, "libcurl could not be initialised");

    const QByteArray url = escapeUnsafeBytes(encodedUrl);
    QCoreApplication *app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread())
        return perform(url, options, nullptr);

    // The transfer blocks its thread; the windows keep painting from this
    // loop meanwhile. The loop ends early only when the application quits,
    // and then the transfer is abandoned at its next progress call.
    std::atomic<bool> abandon{false};
    GetResult result;
    QEventLoop loop;
    std::thread worker([&] {
        result = perform(url, options, &abandon);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    abandon = true;
    worker.join();
    return result;
}

} // namespace http
