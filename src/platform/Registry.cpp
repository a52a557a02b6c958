#include "platform/Registry.h"

#include <cstdlib>
#include <filesystem>

namespace kv {

namespace {

std::string normalisedKey(std::string_view path)
{
    std::string key(path);
    for (char &c : key)
        if (c == '/')
            c = '\\';
    while (!key.empty() && key.front() == '\\')
        key.erase(key.begin());
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    return key;
}

} // namespace

RegistryKey::RegistryKey(std::string path, std::vector<IniFile::Entry> values)
    : m_path(std::move(path)), m_values(std::move(values))
{
}

std::string RegistryKey::readString(std::string_view name) const
{
    for (const IniFile::Entry &entry : m_values)
        if (sameName(entry.first, name))
            return entry.second;
    return {};
}

bool RegistryKey::valueExists(std::string_view name) const
{
    for (const IniFile::Entry &entry : m_values)
        if (sameName(entry.first, name))
            return true;
    return false;
}

std::string Registry::filePath()
{
    if (const char *explicitPath = std::getenv("QRM_REGISTRY"); explicitPath && *explicitPath)
        return explicitPath;
    std::string configHome;
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        configHome = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        configHome = std::string(home) + "/.config";
    if (!configHome.empty()) {
        const std::string candidate = configHome + "/qrm/registry.ini";
        std::error_code error;
        if (std::filesystem::exists(candidate, error))
            return candidate;
    }
    return "/etc/qrm/registry.ini";
}

std::optional<RegistryKey> Registry::openKey(std::string_view keyPath)
{
    const IniFile file = IniFile::load(filePath());
    const std::string wanted = normalisedKey(keyPath);
    for (const std::string &section : file.sectionNames())
        if (sameName(normalisedKey(section), wanted))
            return RegistryKey(wanted, file.sectionEntries(section));
    return std::nullopt;
}

} // namespace kv
