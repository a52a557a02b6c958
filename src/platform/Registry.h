#pragma once
// The read-only registry of the shell, kept as an INI file whose section names
// are key paths ("[Software\QRM\Marshal]"). The file is found through
// QRM_REGISTRY, else $XDG_CONFIG_HOME/qrm/registry.ini (~/.config when the
// variable is unset), else /etc/qrm/registry.ini.

#include "platform/IniFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace kv {

class RegistryKey {
public:
    RegistryKey(std::string path, std::vector<IniFile::Entry> values);
    const std::string &path() const { return m_path; }
    // The value's text; empty when the key has no such value.
    std::string readString(std::string_view name) const;
    bool valueExists(std::string_view name) const;

private:
    std::string m_path;
    std::vector<IniFile::Entry> m_values;
};

class Registry {
public:
    // The registry file in effect for this process.
    static std::string filePath();
    // Opens a key of the local-machine root read-only; nothing when the
    // registry file or the key does not exist.
    static std::optional<RegistryKey> openKey(std::string_view keyPath);
};

// The shell's own key, the one every settings reader starts from.
inline constexpr std::string_view kMarshalKey = "Software\\QRM\\Marshal";

} // namespace kv
