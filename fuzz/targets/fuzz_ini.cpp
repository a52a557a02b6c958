// The shell's settings files and the registry file: INI text as the user or
// an installer left it, possibly damaged, in UTF-8 or GB18030.
#include "FuzzSupport.h"

#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"

namespace {

void readEverything(const kv::IniFile &file)
{
    for (const std::string &section : file.sectionNames()) {
        if (!file.hasSection(section))
            fuzz::fail("a listed section is not found: " + section);
        const std::vector<kv::IniFile::Entry> entries = file.sectionEntries(section);
        for (const kv::IniFile::Entry &entry : entries) {
            // The first of duplicate keys wins, so a key reads as the first
            // entry of that name.
            const std::optional<std::string> value = file.value(section, entry.first);
            if (!value)
                fuzz::fail("a listed key is not found: " + entry.first);
            file.readInteger(section, entry.first, -1);
        }
        const kv::RegistryKey key(section, entries);
        for (const kv::IniFile::Entry &entry : entries) {
            if (!key.valueExists(entry.first))
                fuzz::fail("a registry value of the key is not found: " + entry.first);
            key.readString(entry.first);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view raw = fuzz::text(data, size);
    readEverything(kv::IniFile::parse(raw));
    if (const std::optional<std::string> decoded = kv::decodeSettingsText(raw))
        readEverything(kv::IniFile::parse(*decoded));
    return 0;
}
