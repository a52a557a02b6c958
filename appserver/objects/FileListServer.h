#pragma once
// The host's GetFileList on the server side: the entry of a program file the
// server publishes for download (DownloadSite), which the client's new-file
// check compares with its copy. A file nothing is published for answers an
// empty text, so the client keeps what it has.

#include "objects/DownloadSite.h"
#include "platform/DispatchObject.h"

namespace slip {

class FileListServer : public kv::DispatchObject {
public:
    static constexpr const char *progId = "QRM.FileList";

    explicit FileListServer(DownloadSite site);

private:
    DownloadSite m_site;
    std::string m_companyDb; // set by the host like on its other objects; files are the same for all
};

// Makes QRM.FileList answer from site (replacing an earlier registration).
void registerFileList(const DownloadSite &site);

} // namespace slip
