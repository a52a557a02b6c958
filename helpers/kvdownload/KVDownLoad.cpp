// The download of KVDownLoad.so: one file over HTTP or HTTPS with libcurl.

#include "KVDownLoad.h"
#include "KVDownLoadInternal.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

bool isUrl(const std::string &text)
{
    return text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0;
}

std::string slashes(std::string text)
{
    for (char &c : text)
        if (c == '\\')
            c = '/';
    return text;
}

// The URL of serverFile: itself when it is one, else under the source directory.
std::string downloadUrl(const char *sourceDir, const char *serverFile)
{
    const std::string file = slashes(serverFile ? serverFile : "");
    if (isUrl(file))
        return file;
    std::string base = slashes(sourceDir ? sourceDir : "");
    if (!isUrl(base) || file.empty())
        return {};
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    std::size_t start = 0;
    while (start < file.size() && file[start] == '/')
        ++start;
    return base + "/" + file.substr(start);
}

long timeoutSeconds(const char *text)
{
    char *end = nullptr;
    const long value = text ? std::strtol(text, &end, 10) : 0;
    return (text && end != text && value > 0) ? value : 60;
}

// A temporary file beside target; removed on destruction unless kept.
class PartFile {
public:
    explicit PartFile(const std::string &target) : m_name(target + ".part-XXXXXX")
    {
        const int fd = ::mkstemp(m_name.data());
        if (fd >= 0)
            m_file = ::fdopen(fd, "wb");
        if (!m_file && fd >= 0)
            ::close(fd);
    }
    ~PartFile()
    {
        if (m_file)
            std::fclose(m_file);
        if (!m_kept)
            std::remove(m_name.c_str());
    }
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    FILE *file() const { return m_file; }
    const std::string &name() const { return m_name; }
    // Flushes to disk and renames over target; false when any step fails.
    bool commit(const std::string &target)
    {
        const bool flushed = std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        if (!flushed || !closed || std::rename(m_name.c_str(), target.c_str()) != 0)
            return false;
        m_kept = true;
        return true;
    }

private:
    std::string m_name;
    FILE *m_file = nullptr;
    bool m_kept = false;
};

class CurlHandle {
public:
    CurlHandle()
    {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        m_handle = curl_easy_init();
    }
    ~CurlHandle() { curl_easy_cleanup(m_handle); }
    CurlHandle(const CurlHandle &) = delete;
    CurlHandle &operator=(const CurlHandle &) = delete;
    CURL *get() const { return m_handle; }

private:
    CURL *m_handle = nullptr;
};

size_t writeChunk(char *data, size_t size, size_t count, void *file)
{
    return std::fwrite(data, size, count, static_cast<FILE *>(file)) * size;
}

// Runs the transfer of url into part; empty on success, else the reason.
std::string transfer(const std::string &url, FILE *part, long timeout, int &status)
{
    CurlHandle curl;
    if (!curl.get())
        return "cannot start the download";
    char curlError[CURL_ERROR_SIZE] = {};
    CURL *h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, timeout);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, timeout < 15 ? timeout : 15L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeChunk);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, part);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, curlError);
    const CURLcode result = curl_easy_perform(h);
    long code = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
    status = static_cast<int>(code);
    if (result == CURLE_OK)
        return {};
    return std::string(curlError[0] ? curlError : curl_easy_strerror(result)) + " (" + url + ")";
}

} // namespace

extern "C" __attribute__((visibility("default"))) int KVDownLoadFileEx(const char *sourceDir, const char *,
                                                                      const char *timeout, const char *serverFile,
                                                                      const char *localFile, int *status,
                                                                      char *error, int)
{
    int httpStatus = 0;
    if (status)
        *status = 0;
    const std::string url = downloadUrl(sourceDir, serverFile);
    if (url.empty()) {
        kvdl::setError(error, std::string("no download location for [") + (serverFile ? serverFile : "") + "]");
        return 0;
    }
    if (!localFile || !*localFile) {
        kvdl::setError(error, "no local file name");
        return 0;
    }
    PartFile part(localFile);
    if (!part.file()) {
        kvdl::setError(error, "cannot create " + part.name());
        return 0;
    }
    const std::string failure = transfer(url, part.file(), timeoutSeconds(timeout), httpStatus);
    if (status)
        *status = httpStatus;
    if (!failure.empty()) {
        kvdl::setError(error, failure);
        return 0;
    }
    if (!part.commit(localFile)) {
        kvdl::setError(error, std::string("cannot write ") + localFile);
        return 0;
    }
    kvdl::setError(error, "");
    return 1;
}
