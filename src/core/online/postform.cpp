#include "core/online/postform.h"

#include "core/base/errors.h"

#include <QByteArray>
#include <QUrl>

#include <curl/curl.h>

#include <memory>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Transfer
{
    QByteArray body;
    bool tooLong = false;
    const std::atomic<bool>* cancel = nullptr;
};

size_t appendBody(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->body.size() + qsizetype(bytes) > kMaxReplyBytes) {
        transfer->tooLong = true;
        return 0; // makes libcurl end the transfer with CURLE_WRITE_ERROR
    }
    transfer->body.append(data, qsizetype(bytes));
    return bytes;
}

int checkCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<const Transfer*>(user);
    return transfer->cancel && transfer->cancel->load(std::memory_order_relaxed) ? 1 : 0;
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
    transfer.cancel = cancel;
    char errorText[CURL_ERROR_SIZE] = {};

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L); // the check runs on a worker thread
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.constData());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, long(timeoutSeconds));
    // A server that stops sending for the time-out ends the transfer; one that trickles is stopped by the total.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, long(timeoutSeconds));
    curl_easy_setopt(c, CURLOPT_TIMEOUT, long(2 * timeoutSeconds));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    if (!https)
        curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);

    const CURLcode result = curl_easy_perform(c);
    if (result != CURLE_OK) {
        if (transfer.tooLong)
            throw TagscopeError(u"The reply is longer than %1 bytes."_s.arg(kMaxReplyBytes));
        if (result == CURLE_ABORTED_BY_CALLBACK)
            throw TagscopeError(u"The request was cancelled."_s);
        const QString reason = errorText[0] ? QString::fromUtf8(errorText) : QString::fromUtf8(curl_easy_strerror(result));
        throw TagscopeError(reason);
    }
    return QString::fromUtf8(transfer.body);
}
