#include "mailclient/SmtpSender.h"

#include "mailclient/MailError.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace kvmail {

namespace {

struct Upload {
    const QByteArray *data = nullptr;
    qsizetype offset = 0;
};

size_t readUpload(char *buffer, size_t size, size_t count, void *user)
{
    auto *upload = static_cast<Upload *>(user);
    const qsizetype left = upload->data->size() - upload->offset;
    const qsizetype chunk = std::min<qsizetype>(left, qsizetype(size * count));
    std::memcpy(buffer, upload->data->constData() + upload->offset, size_t(chunk));
    upload->offset += chunk;
    return size_t(chunk);
}

// The server's replies as libcurl sees them; the last one explains a refusal.
struct Replies {
    QByteArray current;
    QByteArray last;
    QByteArray refusal; // the last 4xx or 5xx reply
};

int collectReplies(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    auto *replies = static_cast<Replies *>(user);
    const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
    // "250-..." continues a reply; "250 ..." ends it.
    replies->current += (replies->current.isEmpty() ? "" : " ") + line;
    if (line.size() <= 3 || line[3] != '-') {
        replies->last = replies->current;
        if (line.startsWith('4') || line.startsWith('5'))
            replies->refusal = replies->current;
        replies->current.clear();
    }
    return 0;
}

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlFree {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

std::string angle(const std::string &address)
{
    return "<" + address + ">";
}

} // namespace

void SmtpSender::send(const QStringList &recipients, const QByteArray &message) const
{
    globalInit();
    std::unique_ptr<CURL, CurlFree> curl(curl_easy_init());
    if (!curl)
        throw MailError("The mail transfer cannot be started");
    curl_slist *list = nullptr;
    for (const QString &recipient : recipients)
        list = curl_slist_append(list, angle(recipient.toStdString()).c_str());
    std::unique_ptr<curl_slist, CurlFree> rcpt(list);
    Upload upload{&message, 0};
    Replies replies;
    char error[CURL_ERROR_SIZE] = {};
    CURL *h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, m_settings.url.c_str());
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, angle(m_settings.from).c_str());
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(h, CURLOPT_READFUNCTION, &readUpload);
    curl_easy_setopt(h, CURLOPT_READDATA, &upload);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, m_settings.timeoutSeconds);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, &collectReplies);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &replies);
    if (m_settings.security == Security::StartTls)
        curl_easy_setopt(h, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!m_settings.user.empty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, m_settings.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, m_settings.password.c_str());
    }
    const CURLcode result = curl_easy_perform(h);
    if (result == CURLE_OK)
        return;
    const QByteArray lastReply = replies.refusal.isEmpty() ? replies.last : replies.refusal;
    std::string text = error[0] ? error : curl_easy_strerror(result);
    if (!lastReply.isEmpty())
        text += ": " + lastReply.toStdString();
    throw MailError(text);
}

} // namespace kvmail
