#include "lib/ShellSettings.h"

#include "lib/SettingsErrorReport.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace kv {

namespace {

bool hasDriveLetter(std::string_view value)
{
    return value.size() >= 2 && std::isalpha(static_cast<unsigned char>(value[0])) && value[1] == ':';
}

std::string systemCodePageText()
{
    const int page = SystemInfo::ansiCodePage();
    return (page == 936 || page == 950) ? std::to_string(page) : std::string("437");
}

bool directoryExists(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

} // namespace

std::uint8_t uiConvertMode(std::string_view uiCodePage, std::string_view sysCodePage)
{
    if (uiCodePage == "950")
        return 2;
    if (uiCodePage == "936" && sysCodePage == "950")
        return 4;
    return 0;
}

std::uint8_t dataConvertMode(std::string_view uiCodePage, std::string_view dbCodePage)
{
    if (uiCodePage == "950" && dbCodePage == "936")
        return 2;
    if (uiCodePage == "936" && dbCodePage == "950")
        return 1;
    return 0;
}

std::string asDirectory(std::string_view path)
{
    std::string dir(path);
    std::replace(dir.begin(), dir.end(), '\\', '/');
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

std::string resolveDirectory(const std::string &base, std::string_view value)
{
    if (hasDriveLetter(value) || (!value.empty() && value.front() == '/'))
        return asDirectory(value);
    if (!value.empty() && value.front() == '\\')
        value.remove_prefix(1);
    return asDirectory(asDirectory(base) + std::string(value));
}

std::string languageFolderOf(std::string_view codePage)
{
    if (codePage == "936")
        return "CHS";
    if (codePage == "950")
        return "CHT";
    if (codePage == "437")
        return "ENG";
    return {};
}

bool settingIsOn(std::string_view value)
{
    std::string upper(value);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper == "1" || upper == "Y" || upper == "YES" || upper == "TRUE";
}

TMarshalIniBase::TMarshalIniBase()
{
    SysCodePage = systemCodePageText();
    UICodePage = SysCodePage == "437" ? "437" : SysCodePage;
    computeConvertModes();
}

std::string TMarshalIniBase::fileText() const
{
    if (IniFileName.empty())
        return {};
    QFile in(QString::fromStdString(IniFileName));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return in.readAll().toStdString();
}

std::string TMarshalIniBase::languageDirectory() const
{
    const std::string folder = languageFolderOf(UICodePage);
    if (folder.empty() || RootPath.empty())
        return {};
    const std::string dir = RootPath + "MultiLanguage/" + folder + "/";
    return directoryExists(dir) ? dir : std::string();
}

bool TMarshalIniBase::locateSettingsFile(std::string_view registryValue, std::string_view fileName)
{
    const std::optional<RegistryKey> key = Registry::openKey(kMarshalKey);
    if (!key) {
        ErrorCode = "E;000015";
        return false;
    }
    const std::string root = key->readString(registryValue);
    ProfileType = key->readString("ProfileType");
    if (root.empty())
        return false;
    RootPath = asDirectory(root);
    ProfilePath = RootPath;
    if (!ProfileType.empty() && ProfileType != "0") {
        ProfileUser = SystemInfo::userName();
        ProfilePath = RootPath + "Profile/" + ProfileUser + "/";
    }
    IniFileName = ProfilePath + std::string(fileName);
    std::error_code error;
    if (!std::filesystem::exists(IniFileName, error)) {
        ProfilePath = RootPath;
        IniFileName = RootPath + std::string(fileName);
    }
    return true;
}

IniFile TMarshalIniBase::loadSettingsFile(std::string_view place) const
{
    IniFile ini = IniFile::load(IniFileName);
    std::error_code error;
    if (!ini.exists() && std::filesystem::exists(IniFileName, error))
        SettingsErrorReport::write(place, SettingsFileError("cannot read " + IniFileName), {});
    else if (!ini.problems().empty())
        SettingsErrorReport::write(place, SettingsFileError::fromProblems(IniFileName, ini.problems()), {});
    return ini;
}

void TMarshalIniBase::readCodePages(const IniFile &ini)
{
    UICodePage = ini.readString("CodePage", "UICodePage", SysCodePage);
    DBCodePage = ini.readString("CodePage", "DBCodePage", "936");
    Version = ini.readString("ProductVersion", "Version", "");
}

void TMarshalIniBase::readWorkDLLPaths(const IniFile &ini, std::string_view defaultSubDir)
{
    WorkDLLPaths.clear();
    for (const IniFile::Entry &entry : ini.sectionEntries("WorkDLLPath"))
        WorkDLLPaths.push_back(resolveDirectory(RootPath, entry.second));
    if (WorkDLLPaths.empty())
        WorkDLLPaths.push_back(RootPath + std::string(defaultSubDir));
}

void TMarshalIniBase::computeConvertModes()
{
    UIConvertMode = uiConvertMode(UICodePage, SysCodePage);
    DataConvertMode = dataConvertMode(UICodePage, DBCodePage);
}

} // namespace kv
