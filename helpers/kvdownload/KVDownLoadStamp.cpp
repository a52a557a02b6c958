// The stamp comparison of KVDownLoad.so and the error-buffer helper.

#include "KVDownLoad.h"
#include "KVDownLoadInternal.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <sys/stat.h>

namespace kvdl {

void setError(char *error, const std::string &text)
{
    if (!error)
        return;
    const std::size_t length = text.size() < KVDL_ERROR_SIZE - 1 ? text.size() : KVDL_ERROR_SIZE - 1;
    std::memcpy(error, text.data(), length);
    error[length] = '\0';
}

namespace {

struct Stamp {
    std::time_t modified = 0;
    std::optional<long long> size;
};

std::optional<Stamp> parseStamp(const char *text)
{
    if (!text)
        return std::nullopt;
    std::tm parts{};
    char dateSep1 = 0, dateSep2 = 0, timeSep = 0;
    int consumed = 0;
    if (std::sscanf(text, " %4d%c%2d%c%2d%c%2d:%2d:%2d%n", &parts.tm_year, &dateSep1, &parts.tm_mon, &dateSep2,
                    &parts.tm_mday, &timeSep, &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &consumed)
        != 9)
        return std::nullopt;
    const bool dashes = (dateSep1 == '-' || dateSep1 == '/') && dateSep2 == dateSep1;
    if (!dashes || (timeSep != ' ' && timeSep != 'T') || parts.tm_mon < 1 || parts.tm_mon > 12 || parts.tm_mday < 1
        || parts.tm_mday > 31 || parts.tm_hour > 23 || parts.tm_min > 59 || parts.tm_sec > 60)
        return std::nullopt;
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    Stamp stamp;
    stamp.modified = timegm(&parts);
    const char *rest = text + consumed;
    if (*rest == 'Z')
        ++rest;
    long long size = 0;
    int sizeLength = 0;
    if (std::sscanf(rest, " ;size=%lld%n", &size, &sizeLength) == 1 && size >= 0) {
        stamp.size = size;
        rest += sizeLength;
    }
    while (*rest == ' ')
        ++rest;
    if (*rest != '\0')
        return std::nullopt;
    return stamp;
}

} // namespace
} // namespace kvdl

extern "C" __attribute__((visibility("default"))) int CompareFileToDown(const char *stamp, const char *localFile)
{
    struct stat info {};
    if (!localFile || !*localFile || ::stat(localFile, &info) != 0 || !S_ISREG(info.st_mode))
        return 1;
    const std::optional<kvdl::Stamp> server = kvdl::parseStamp(stamp);
    if (!server)
        return 0;
    if (server->size && *server->size != static_cast<long long>(info.st_size))
        return 1;
    // Two seconds: ZIP and FAT stamps carry no finer time.
    return server->modified > info.st_mtime + 2 ? 1 : 0;
}
