#pragma once
// The alert log: plain text files in the "Log" folder below the shell's
// client directory, one line per event. Every diagnostic of the module ends
// up here; writing never raises, a failure only shows in the result.

#include <string>
#include <string_view>

namespace kv {

class AlertLog {
public:
    // The shell's root folder from the registry ("ClientPath", else
    // "ServerPath" of the shell key), ending in "/"; empty when neither is set
    // or the registry cannot be read.
    static std::string shellRootFromRegistry();

    // The log folder: the shell root, else the host program's folder, plus
    // "Log/". The folder is created with its parents; empty when that fails.
    static std::string directory();

    // Appends one line (a newline is added) to the file, creating it when
    // missing. False when the file cannot be opened or written.
    static bool appendLine(const std::string &filePath, std::string_view line);
};

} // namespace kv
