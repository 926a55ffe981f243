#include "core/online/postform.h"

#include "core/base/errors.h"

#include <QByteArray>
#include <QScopeGuard>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

// How long one wait for the network may last: the deadlines and the cancel flag are looked at least this often.
constexpr std::chrono::milliseconds kPollInterval(50);

struct Transfer
{
    QByteArray body;
    bool tooLong = false;
    std::optional<Clock::time_point> lastReceived; // the last piece of the reply: a header line or a part of the body
};

size_t appendBody(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    transfer->lastReceived = Clock::now();
    if (transfer->body.size() + qsizetype(bytes) > kMaxReplyBytes) {
        transfer->tooLong = true;
        return 0; // makes libcurl end the transfer with CURLE_WRITE_ERROR
    }
    transfer->body.append(data, qsizetype(bytes));
    return bytes;
}

size_t noteHeader(char*, size_t size, size_t count, void* user)
{
    static_cast<Transfer*>(user)->lastReceived = Clock::now();
    return size * count;
}

// Whether the whole request, its headers and its body, has gone out.
bool requestSent(CURL* curl, qsizetype bodySize)
{
    long requestBytes = 0;
    curl_off_t bodyBytes = 0;
    return curl_easy_getinfo(curl, CURLINFO_REQUEST_SIZE, &requestBytes) == CURLE_OK && requestBytes > 0 &&
           curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &bodyBytes) == CURLE_OK && bodyBytes >= bodySize;
}

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct HeaderListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MultiDeleter
{
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// Runs the transfer of curl, which must not be in use elsewhere, to its end and returns libcurl's outcome. Waits for
// the reply at most timeout from the moment the request has gone out, and again from each piece received; throws
// when that wait runs out or cancel becomes true. The connection and the whole transfer are bounded by curl's own
// options.
CURLcode perform(CURL* curl, qsizetype bodySize, const Transfer& transfer, std::chrono::milliseconds timeout,
                 const std::atomic<bool>* cancel)
{
    const std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), curl) != CURLM_OK)
        throw TagscopeError(u"Cannot start a web request."_s);
    // The handle leaves the multi stack however this ends, before either is cleaned up.
    const auto remove = qScopeGuard([&] { curl_multi_remove_handle(multi.get(), curl); });

    std::optional<Clock::time_point> sent;
    for (;;) {
        int running = 0;
        if (const CURLMcode code = curl_multi_perform(multi.get(), &running); code != CURLM_OK)
            throw TagscopeError(QString::fromUtf8(curl_multi_strerror(code)));
        if (running == 0)
            break;
        if (cancel && cancel->load(std::memory_order_relaxed))
            throw TagscopeError(u"The request was cancelled."_s);

        const Clock::time_point now = Clock::now();
        if (!sent && requestSent(curl, bodySize))
            sent = now;
        std::chrono::milliseconds wait = kPollInterval;
        if (sent) {
            const Clock::time_point since = transfer.lastReceived ? std::max(*sent, *transfer.lastReceived) : *sent;
            const Clock::time_point deadline = since + timeout;
            if (now >= deadline)
                throw TagscopeError(u"No reply from the server within %1 ms."_s.arg(timeout.count()));
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
        }
        if (const CURLMcode code = curl_multi_poll(multi.get(), nullptr, 0, int(wait.count()), nullptr);
            code != CURLM_OK)
            throw TagscopeError(QString::fromUtf8(curl_multi_strerror(code)));
    }

    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl)
            return message->data.result;
    }
    throw TagscopeError(u"The web request ended without an outcome."_s);
}

} // namespace

QByteArray FormBody(const QStringList& fields)
{
    QByteArray body;
    for (const QString& field : fields) {
        const qsizetype equals = field.indexOf(u'=');
        const QString name = equals < 0 ? field : field.left(equals);
        const QString value = equals < 0 ? QString() : field.mid(equals + 1);
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    }
    return body;
}

QString PostForm(const QString& address, const QStringList& fields, int timeoutSeconds,
                 const std::atomic<bool>* cancel)
{
    initialiseCurl();
    const std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        throw TagscopeError(u"Cannot start a web request."_s);

    const bool https = address.toLower().startsWith(u"https://"_s);
    const QByteArray url = address.toUtf8();
    const QByteArray body = FormBody(fields);
    std::unique_ptr<curl_slist, HeaderListDeleter> headers(curl_slist_append(nullptr, "Connection: close"));
    headers.reset(curl_slist_append(headers.release(), "Content-Type: application/x-www-form-urlencoded"));
    Transfer transfer;
    char errorText[CURL_ERROR_SIZE] = {};

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L); // the check runs on a worker thread
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.constData());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    // The connection (with the TLS handshake) gets the time-out, and the whole transfer twice that; the wait for the
    // reply is bounded in perform, where it can count from the moment the request has gone out.
    const std::chrono::milliseconds timeout = std::chrono::seconds(timeoutSeconds);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(timeout.count()));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(2 * timeout.count()));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, noteHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    if (!https)
        curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);

    const CURLcode result = perform(c, body.size(), transfer, timeout, cancel);
    if (result != CURLE_OK) {
        if (transfer.tooLong)
            throw TagscopeError(u"The reply is longer than %1 bytes."_s.arg(kMaxReplyBytes));
        const QString reason = errorText[0] ? QString::fromUtf8(errorText) : QString::fromUtf8(curl_easy_strerror(result));
        throw TagscopeError(reason);
    }
    return QString::fromUtf8(transfer.body);
}
