#include "lib/AlertLog.h"

#include "platform/Registry.h"
#include "platform/SystemInfo.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace kv {

namespace {

std::string asDirectory(std::string path)
{
    if (path.empty())
        return path;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    if (path.back() != '/')
        path += '/';
    return path;
}

} // namespace

std::string AlertLog::shellRootFromRegistry()
{
    const std::optional<RegistryKey> key = Registry::openKey(kMarshalKey);
    if (!key)
        return {};
    std::string root = key->readString("ClientPath");
    if (root.empty())
        root = key->readString("ServerPath");
    return asDirectory(root);
}

std::string AlertLog::directory()
{
    std::string root = shellRootFromRegistry();
    if (root.empty())
        root = SystemInfo::hostProgramDir();
    const std::string folder = root + "Log/";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error))
        return {};
    return folder;
}

bool AlertLog::appendLine(const std::string &filePath, std::string_view line)
{
    struct FileCloser {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(filePath.c_str(), "ab"));
    if (!file)
        return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size()
                         && std::fputc('\n', file.get()) != EOF;
    return std::fclose(file.release()) == 0 && written;
}

} // namespace kv
