#pragma once
// Facts about the machine and the process that the described code asked the
// operating system for: the ANSI code page, the user name, the program and
// temporary directories.

#include <string>

namespace kv {

class SystemInfo {
public:
    // The system's ANSI code page: QRM_ACP when set, else derived from the
    // locale (simplified Chinese 936, traditional Chinese 950, otherwise 1252).
    static int ansiCodePage();
    // The user's login name (at most 31 characters, as the described buffer).
    static std::string userName();
    // Directory of the running program, ending in "/".
    static std::string hostProgramDir();
    // The temporary directory, ending in "/".
    static std::string tempDir();
};

} // namespace kv
