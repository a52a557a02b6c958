#pragma once
// The program files the application server offers its clients for download,
// read from the section [Download] of the server's "MarshalS.ini":
//
//   [Download]
//   Directory=\Download       folder of the published archives: one ZIP per
//                             file, named after the file in lower case plus
//                             ".zip" (qipr07s.so.zip holds QIPR07S.so); a
//                             value starting with "\" is relative to the
//                             folder of the INI file
//   BaseUrl=http://erp-host:7212/
//                             where clients fetch those archives: slipserv's
//                             own download endpoint (HttpPort) or any web
//                             server that serves the folder
//   HttpPort=7212             slipserv serves the folder itself over HTTP on
//                             this port; 0 or missing: off
//   HttpAddress=0.0.0.0       address of that endpoint; the daemon's
//                             ListenAddress when missing
//
// Without Directory and BaseUrl the server offers nothing and clients keep
// the files they have.

#include "platform/IniFile.h"

#include <filesystem>
#include <string>

namespace slip {

struct DownloadSite {
    static constexpr const char *kSection = "Download";

    std::filesystem::path directory;
    std::string baseUrl; // ends in "/"
    int httpPort = 0;
    std::string httpAddress;

    // Throws ServerConfigError for a port that is no number from 0 to 65535
    // or a BaseUrl that is not http:// or https://.
    static DownloadSite fromIni(const kv::IniFile &ini, const std::string &baseDir);

    bool offersFiles() const { return !directory.empty() && !baseUrl.empty(); }
    // The archive published for a file, empty when the name is not a plain
    // file name (no folders, no "..") or nothing is published for it.
    std::filesystem::path archiveOf(const std::string &fileName) const;
    // The file list entry a client's new-file check reads:
    //   <Modify>YYYY-MM-DD hh:mm:ss;size=N</Modify><Path>BaseUrl + file</Path>
    // with the archive's modification time in UTC and, when the archive holds
    // the file, its unpacked size. Empty when nothing is published for it.
    std::string entryOf(const std::string &fileName) const;
};

} // namespace slip
