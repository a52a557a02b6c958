#include "platform/SystemInfo.h"

#include <QDir>
#include <QLocale>

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace kv {

namespace {

std::string withTrailingSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

int codePageOfLocale(const QLocale &locale)
{
    if (locale.language() != QLocale::Chinese)
        return 1252;
    if (locale.script() == QLocale::TraditionalChineseScript)
        return 950;
    switch (locale.territory()) {
    case QLocale::Taiwan:
    case QLocale::HongKong:
    case QLocale::Macau:
        return 950;
    default:
        return 936;
    }
}

} // namespace

int SystemInfo::ansiCodePage()
{
    if (const char *explicitPage = std::getenv("QRM_ACP"); explicitPage && *explicitPage) {
        char *end = nullptr;
        const long page = std::strtol(explicitPage, &end, 10);
        if (end && *end == '\0' && page > 0 && page < 65536)
            return static_cast<int>(page);
    }
    return codePageOfLocale(QLocale::system());
}

std::string SystemInfo::userName()
{
    std::string name;
    if (const passwd *entry = getpwuid(geteuid()); entry && entry->pw_name)
        name = entry->pw_name;
    else if (const char *env = std::getenv("USER"); env)
        name = env;
    if (name.size() > 31)
        name.resize(31);
    return name;
}

std::string SystemInfo::hostProgramDir()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return withTrailingSlash(std::filesystem::current_path(error).string());
    return withTrailingSlash(exe.parent_path().string());
}

std::string SystemInfo::tempDir()
{
    return withTrailingSlash(QDir::tempPath().toStdString());
}

} // namespace kv
