#include "HostSettings.h"

#include "lib/MarshalIniC.h"
#include "platform/IniFile.h"

#include <QUrl>

namespace erphost {

namespace {

std::string withSlash(std::string url)
{
    if (!url.empty() && url.back() != '/')
        url += '/';
    return url;
}

} // namespace

HostSettings HostSettings::load()
{
    HostSettings settings;
    const kv::TMarshalIniC shell;
    settings.read = shell.isRead();
    settings.errorCode = shell.ErrorCode;
    settings.clientDir = shell.ClientPath();
    if (shell.Servers.isArray() && shell.Servers.array().dimCount() == 2 &&
        shell.Servers.array().highBound(2) >= 0) {
        // Only the first configured server is used, as the windows do.
        settings.serverAddress = kv::varToStr(shell.Servers.array().at(0, 0));
        settings.serverPort = shell.Servers.array().at(1, 0).toInt();
    }
    const kv::IniFile ini = kv::IniFile::load(shell.IniFileName);
    settings.accessToken = ini.readString("Server Information", "AccessToken", "");
    if (!settings.accessToken.empty()) {
        if (const std::string exposed = ini.secretExposure("the server's access token"); !exposed.empty()) {
            settings.read = false;
            settings.errorCode = exposed;
        }
    }
    settings.productId = ini.readInteger("ProductVersion", "ProductID", 3);
    settings.versionType = ini.readInteger("ProductVersion", "VersionType", 0);
    const std::string defaultHelp =
        settings.clientDir.empty() ? std::string()
                                   : QUrl::fromLocalFile(QString::fromStdString(settings.clientDir + "Help/"))
                                         .toString()
                                         .toStdString();
    settings.helpBaseUrl = withSlash(ini.readString("Help", "BaseURL", defaultHelp));
    return settings;
}

} // namespace erphost
