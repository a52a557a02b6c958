#pragma once
// Runs a program's server-side library in this process: "<program code>S.so"
// from the server's library directories ("WorkDLLPath" of the server
// settings). The library exports
//
//     extern "C" kv::Dispatch *GetSvrController();
//
// returning a new controller object that the caller owns. The caller passes
// the run's arguments as one variant array to its method "Execute" and reads
// its "Message" property afterwards (shown with ReportText), also when the
// run failed.
//
// Arguments: run mode other than "B": 12 elements [program code, text 1..4,
// value, number, run mode (upper case), text 5, edition, running flag,
// interface code page]; run mode "B": 7 elements [program code, text 1,
// text 2, value, text 3, text 4, edition].
//
// Before it runs, the library is brought up to date from the server by the
// new-file check (KVDownLoadNewFile.h); a library that is not there yet is
// downloaded into the first "S_PKG" directory, else the first directory.

#include "platform/Variant.h"

#include <functional>
#include <string>
#include <vector>

namespace kv {

class ServerProgramRunner {
public:
    struct Request {
        std::string programCode;
        std::string runMode;
        std::vector<std::string> texts; // up to five caller strings
        Variant value;
        int number = 0;
        int productId = 3;
        bool running = false;
        std::string uiCodePage = "936";
    };

    // The server's file list entry of a file (name in lower case).
    using FileListEntry = std::function<std::string(const std::string &)>;
    // The library to run: the first directory whose copy passes the new-file
    // check, else the "S_PKG" (or first) directory once the check has
    // fetched it there; empty when none, with the check's message.
    static std::string SelectLibrary(const std::vector<std::string> &directories, const std::string &fileName,
                                     const FileListEntry &entryOf, std::string &message);
    // The argument array of a request.
    static Variant Arguments(const Request &request);

    // Loads and runs the library; false when it cannot be found or loaded,
    // or the run raised (error receives the reason). message receives the
    // controller's message.
    static bool Run(const std::string &libraryPath, const Request &request, std::string &message,
                    std::string &error);
};

} // namespace kv
