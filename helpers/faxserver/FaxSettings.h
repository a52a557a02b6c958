#pragma once
// The fax servers a clerk may choose, from the client settings
// ("MarshalC.ini", section [Fax Servers]):
//
//   [Fax Servers]
//   Count=2
//   Name1=本机传真        shown in the preview's fax menu as "name(server)"
//   Server1=127.0.0.1
//   Type1=spool           spool (default) or hylafax
//   Spool1=/srv/faxjobs   spool: where the job folders go
//   Name2=总公司传真
//   Server2=fax.example.com
//   Type2=hylafax         hylafax: the job goes to sendfax -h Modem2@Server2
//   Modem2=ttyS0
//
// Without a configured server at "127.0.0.1" the list ends with the local
// default server of that address, spooling into <client>/C_DATA/C_FAX/.
// QIPR07_FAX_SPOOL in the environment (erp-host --fax-spool) sends the
// local server's jobs into that directory for one run.

#include <string>
#include <vector>

namespace kvfax {

inline constexpr const char *kLocalServer = "127.0.0.1";

struct FaxServer {
    enum class Kind { Spool, HylaFax };
    std::string name;
    std::string address;
    Kind kind = Kind::Spool;
    std::string spoolDir;   // spool: ends in "/"
    std::string modem;      // hylafax: empty for any modem
};

struct FaxSettings {
    std::vector<FaxServer> servers;

    // The servers in effect (client settings and environment).
    static FaxSettings load();
    // From a settings file's text; clientRoot ends in "/".
    static FaxSettings fromIni(const std::string &iniText, const std::string &clientRoot, const std::string &spoolOverride);

    // The server of that address; empty means the local server. Null when none.
    const FaxServer *find(const std::string &address) const;
};

} // namespace kvfax
