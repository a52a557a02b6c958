#include "lib/UserDefIni.h"

#include "lib/MarshalIniC.h"

namespace kv {

namespace {

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TUserDefIni::TUserDefIni() : TUserDefIni(TMarshalIniC().ClientPath())
{
}

TUserDefIni::TUserDefIni(const std::string &clientDirectory)
{
    if (clientDirectory.empty())
        return;
    FileName = asDirectory(clientDirectory) + "UserDef.ini";
    const IniFile ini = IniFile::load(FileName);
    if (ini.exists())
        Styles = ini.sectionEntries("VoucherFormatDef");
}

std::string TUserDefIni::DefaultStyle(std::string_view programCode, std::string_view key) const
{
    const std::string wanted = std::string(programCode) + "_" + replaceAll(std::string(key), "=", "$EQUAL$");
    for (const IniFile::Entry &entry : Styles)
        if (sameName(entry.first, wanted))
            return entry.second;
    return "<New>";
}

} // namespace kv
