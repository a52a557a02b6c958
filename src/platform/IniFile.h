#pragma once
// Read-only INI file with the semantics of the shell's profile files: section
// and key names compare without case, the first of duplicate keys wins, keys
// of a section keep their file order, and a missing file or key reads as the
// caller's default. Lines that are not understood are skipped and reported in
// problems(), so a damaged file still yields everything that is readable.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kv {

class IniFile {
public:
    using Entry = std::pair<std::string, std::string>; // key, value

    IniFile() = default;
    // Reads the file; a missing or unreadable file gives an empty IniFile.
    static IniFile load(const std::string &path);
    static IniFile parse(std::string_view text);

    bool exists() const { return m_exists; }
    const std::string &path() const { return m_path; }

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // A value that is not a whole number reads as the default.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool hasSection(std::string_view section) const;
    // All keys of a section with their values, in file order.
    std::vector<Entry> sectionEntries(std::string_view section) const;
    std::vector<std::string> sectionNames() const;

    // "line N: reason" for every line that was skipped.
    const std::vector<std::string> &problems() const { return m_problems; }

    // A settings file that holds a secret (what: "the access token") must be
    // readable by its owner only. The refusal to use it when users other than
    // the owner may read it, naming the file and the remedy; empty when it
    // is private or not there.
    std::string secretExposure(std::string_view what) const;

private:
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section *findSection(std::string_view name) const;
    Section &sectionFor(std::string_view name);

    std::string m_path;
    bool m_exists = false;
    std::vector<Section> m_sections;
    std::vector<std::string> m_problems;
};

// Case-insensitive comparison of ASCII names (section, key, property names).
bool sameName(std::string_view a, std::string_view b);

} // namespace kv
