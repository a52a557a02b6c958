#include "platform/IniFile.h"

#include "platform/TextCodec.h"

#include <sys/stat.h>

#include <charconv>
#include <fstream>
#include <iterator>

namespace kv {

namespace {

std::string_view trim(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The shell's profile reader drops one pair of matching quotes around a value.
std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

IniFile IniFile::load(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        IniFile empty;
        empty.m_path = path;
        return empty;
    }
    const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    std::optional<std::string> text = decodeSettingsText(bytes);
    IniFile ini = parse(text ? *text : std::string());
    if (!text)
        ini.m_problems.insert(ini.m_problems.begin(), "file is neither UTF-8 nor GB18030 text");
    ini.m_path = path;
    ini.m_exists = true;
    return ini;
}

IniFile IniFile::parse(std::string_view text)
{
    IniFile ini;
    ini.m_exists = true;
    Section *current = nullptr;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) {
                ini.m_problems.push_back("line " + std::to_string(lineNumber) + ": section name without ']'");
                current = nullptr; // keys up to the next good header belong nowhere
                continue;
            }
            current = &ini.sectionFor(trim(line.substr(1, close - 1)));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            ini.m_problems.push_back("line " + std::to_string(lineNumber) + ": no '=' in a key line");
            continue;
        }
        if (!current) {
            ini.m_problems.push_back("line " + std::to_string(lineNumber) + ": key outside any section");
            continue;
        }
        const std::string_view key = trim(line.substr(0, equals));
        if (key.empty()) {
            ini.m_problems.push_back("line " + std::to_string(lineNumber) + ": empty key name");
            continue;
        }
        bool duplicate = false;
        for (const Entry &entry : current->entries)
            duplicate = duplicate || sameName(entry.first, key);
        if (!duplicate)
            current->entries.emplace_back(std::string(key), std::string(unquote(trim(line.substr(equals + 1)))));
    }
    return ini;
}

const IniFile::Section *IniFile::findSection(std::string_view name) const
{
    for (const Section &section : m_sections)
        if (sameName(section.name, name))
            return &section;
    return nullptr;
}

IniFile::Section &IniFile::sectionFor(std::string_view name)
{
    for (Section &section : m_sections)
        if (sameName(section.name, name))
            return section;
    m_sections.push_back(Section{std::string(name), {}});
    return m_sections.back();
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    if (const Section *found = findSection(section))
        for (const Entry &entry : found->entries)
            if (sameName(entry.first, key))
                return entry.second;
    return std::nullopt;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    std::optional<std::string> found = value(section, key);
    return found ? *found : std::string(defaultValue);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    const std::optional<std::string> found = value(section, key);
    if (!found)
        return defaultValue;
    std::string_view text = trim(*found);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return defaultValue;
    return number;
}

bool IniFile::hasSection(std::string_view section) const
{
    return findSection(section) != nullptr;
}

std::vector<IniFile::Entry> IniFile::sectionEntries(std::string_view section) const
{
    const Section *found = findSection(section);
    return found ? found->entries : std::vector<Entry>{};
}

std::vector<std::string> IniFile::sectionNames() const
{
    std::vector<std::string> names;
    for (const Section &section : m_sections)
        names.push_back(section.name);
    return names;
}

std::string IniFile::secretExposure(std::string_view what) const
{
    struct stat info;
    if (m_path.empty() || ::stat(m_path.c_str(), &info) != 0 || (info.st_mode & (S_IRWXG | S_IRWXO)) == 0)
        return {};
    return m_path + " holds " + std::string(what) +
           " but users other than its owner may read it; allow only its owner (chmod 600 " + m_path + ")";
}

} // namespace kv
