#pragma once
// What the client and the server settings readers share: the code pages of
// interface, database and system, the two conversion modes derived from them,
// the profile handling, and the resolution of directories named in the files.

#include "platform/IniFile.h"
#include "platform/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Interface conversion mode: 2 for a traditional interface, 4 for a
// simplified interface on a traditional system, else 0.
std::uint8_t uiConvertMode(std::string_view uiCodePage, std::string_view sysCodePage);
// Data conversion mode: 2 when a traditional interface meets a simplified
// database, 1 for the reverse, else 0.
std::uint8_t dataConvertMode(std::string_view uiCodePage, std::string_view dbCodePage);

// A directory named in a settings file, made native and absolute: a value
// starting with "\" is relative to base, one starting with "/" or a drive
// letter stays as it is, anything else is appended to base. Backslashes
// become "/" and the result ends in "/".
std::string resolveDirectory(const std::string &base, std::string_view value);

// Ensures a trailing "/" (and turns stored backslashes into "/").
std::string asDirectory(std::string_view path);

// "936" → "CHS", "950" → "CHT", "437" → "ENG"; empty for any other page.
std::string languageFolderOf(std::string_view codePage);

// True for "1", "Y", "YES" and "TRUE" in any case.
bool settingIsOn(std::string_view value);

class TMarshalIniBase {
public:
    virtual ~TMarshalIniBase() = default;

    std::string RootPath;          // client or server directory, ending in "/"
    std::string ProfilePath;       // directory that holds the settings file
    std::string ProfileType = "0"; // "0" or empty: one file for all users
    std::string ProfileUser = "Default";
    std::string UICodePage = "936";
    std::string DBCodePage = "936";
    std::string SysCodePage;       // "936", "950" or "437"
    std::uint8_t UIConvertMode = 0;
    std::uint8_t DataConvertMode = 0;
    bool SupportCallBack = false;
    std::string IniFileName;       // full name of the settings file
    std::string ErrorCode;         // "E;000015" / "E;000016" when reading failed
    std::string Version;
    std::vector<std::string> WorkDLLPaths;

    // True when the registry key, the directory and (client) a server were found.
    bool isRead() const { return m_read; }

    // The settings file as it stands, for readers of sections of their own
    // (mail, fax servers); empty when there is none or it cannot be read.
    std::string fileText() const;

    // Root + "MultiLanguage/" + folder of the interface code page + "/";
    // empty when the page has no folder or the folder does not exist.
    std::string languageDirectory() const;

protected:
    TMarshalIniBase();
    // Steps shared by both readers; false when the reading has to stop.
    bool locateSettingsFile(std::string_view registryValue, std::string_view fileName);
    // Loads the settings file; an unreadable file or skipped lines are
    // written to the settings error report under the given place.
    IniFile loadSettingsFile(std::string_view place) const;
    void readCodePages(const IniFile &ini);
    void readWorkDLLPaths(const IniFile &ini, std::string_view defaultSubDir);
    void computeConvertModes();

    bool m_read = false;
};

} // namespace kv
