#pragma once
// The fax server object as the module sees it ("QRMFAX.APP"):
//   RefreshFaxServerInfo        reads the server list from the client settings
//   FaxServerCount              number of servers
//   GetFaxServerInfo(i, &name, &server)
//   SendFax                     a new job object:
//     ConnectFaxServer(server)  true when the server is known ("" or
//                               "127.0.0.1": the local server)
//     AddFaxFile(file)          a page picture (true when the file exists)
//     SendFax(number, receiver, sender, flags)  hands the job on; raises
//                               a DispatchError saying why it could not
//     DisconnectFaxServer       forgets server and files

#include "faxserver/FaxJob.h"
#include "faxserver/FaxSettings.h"
#include "platform/DispatchObject.h"

#include <optional>

namespace kvfax {

inline constexpr const char *kFaxProgId = "QRMFAX.APP";

// Registers the class under kFaxProgId (again replaces an earlier one).
void registerFaxServer();

class FaxSender : public kv::DispatchObject {
public:
    FaxSender();

private:
    bool connect(const std::string &address);
    void send(FaxJob job);

    std::optional<FaxServer> m_server;
    std::vector<std::string> m_files;
};

} // namespace kvfax
