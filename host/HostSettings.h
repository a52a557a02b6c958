#pragma once
// What the host takes from the shell's client settings ("MarshalC.ini"
// through kv::TMarshalIniC): where the application server is, and the
// host's own answers to the program windows (edition, version type, help).
//
// Host keys beyond the shell's own:
//   [Server Information] AccessToken   token sent to a remote slipserv
//   [ProductVersion]     ProductID     edition number (default 3)
//   [ProductVersion]     VersionType   version type (default 0)
//   [Help]               BaseURL       where help pages live (default the
//                                      client directory's "Help/" folder)

#include <string>

namespace erphost {

struct HostSettings {
    bool read = false;        // the shell's client settings were found
    std::string errorCode;    // "E;000015" / "E;000016" when not
    std::string clientDir;    // ends in "/"
    std::string serverAddress;
    int serverPort = 0;
    std::string accessToken;
    int productId = 3;
    int versionType = 0;
    std::string helpBaseUrl;  // ends in "/"

    // The loop-back address runs the application server in this process.
    bool localServer() const { return serverAddress == "127.0.0.1"; }

    // Reads the settings in effect (registry file, then MarshalC.ini).
    static HostSettings load();
};

} // namespace erphost
