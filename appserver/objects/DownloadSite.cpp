#include "objects/DownloadSite.h"

#include "lib/ShellSettings.h"
#include "objects/ServerConfig.h"
#include "platform/TextUtil.h"

#include <QDateTime>
#include <QFileInfo>

#include <zip.h>

#include <charconv>
#include <optional>

namespace slip {

namespace {

std::string setting(const kv::IniFile &ini, const char *key)
{
    return std::string(kv::trimBlanks(ini.readString(DownloadSite::kSection, key, "")));
}

int portFrom(const std::string &text)
{
    if (text.empty())
        return 0;
    int value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < 0 || value > 65535)
        throw ServerConfigError("[Download] HttpPort=" + text + " is not a port number");
    return value;
}

bool isPlainFileName(const std::string &name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// The unpacked size of the archive's entry for the file (name compared
// without case); none when the archive cannot be read or lacks it.
std::optional<zip_uint64_t> entrySize(const std::filesystem::path &archive, const std::string &fileName)
{
    int error = 0;
    zip_t *zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    if (!zip)
        return std::nullopt;
    std::optional<zip_uint64_t> size;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(zip, fileName.c_str(), ZIP_FL_NOCASE, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE))
        size = stat.size;
    zip_discard(zip);
    return size;
}

} // namespace

DownloadSite DownloadSite::fromIni(const kv::IniFile &ini, const std::string &baseDir)
{
    DownloadSite site;
    const std::string directory = setting(ini, "Directory");
    if (!directory.empty())
        site.directory = kv::resolveDirectory(kv::asDirectory(baseDir), directory);
    site.baseUrl = setting(ini, "BaseUrl");
    if (!site.baseUrl.empty()) {
        const std::string lower = kv::lowerAscii(site.baseUrl);
        if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0)
            throw ServerConfigError("[Download] BaseUrl=" + site.baseUrl + " is no http:// or https:// address");
        if (site.baseUrl.back() != '/')
            site.baseUrl += '/';
    }
    site.httpPort = portFrom(setting(ini, "HttpPort"));
    site.httpAddress = setting(ini, "HttpAddress");
    return site;
}

std::filesystem::path DownloadSite::archiveOf(const std::string &fileName) const
{
    if (directory.empty() || !isPlainFileName(fileName))
        return {};
    const std::filesystem::path archive = directory / (kv::lowerAscii(fileName) + ".zip");
    std::error_code error;
    return std::filesystem::is_regular_file(archive, error) ? archive : std::filesystem::path();
}

std::string DownloadSite::entryOf(const std::string &fileName) const
{
    if (!offersFiles())
        return {};
    const std::filesystem::path archive = archiveOf(fileName);
    if (archive.empty())
        return {};
    const QDateTime modified = QFileInfo(QString::fromStdString(archive.string())).lastModified();
    std::string stamp = modified.toUTC().toString("yyyy-MM-dd hh:mm:ss").toStdString();
    if (const std::optional<zip_uint64_t> size = entrySize(archive, fileName))
        stamp += ";size=" + std::to_string(*size);
    return "<Modify>" + stamp + "</Modify><Path>" + baseUrl + fileName + "</Path>";
}

} // namespace slip
