#pragma once
// What a program window derives from its module file: whether the module is
// a library, the program code, the server class name, and the help topic of
// the program code.

#include <string>
#include <string_view>

namespace kv {

class ProgramIdentity {
public:
    // True for a file name ending in ".so" or ".dll" (case ignored).
    static bool IsLibraryFile(std::string_view path);

    // The upper-case program code: the first max(n, 6) characters of the file
    // name, n being its length less the extension (with the dot) less one
    // for a library (the trailing "C" of "QIPR07C.so") or two for a program.
    // "QIPR07C.so" gives "QIPR07"; a shorter name gives its first six
    // characters, extension included.
    static std::string ProgramCodeOf(std::string_view path);

    static std::string ServerClassOf(std::string_view programCode) { return std::string(programCode) + "S.Class1"; }

    // The context-help topic of a program code ("QIPR07" -> "12070000");
    // empty when the code names no report ("R") or batch ("B") program.
    static std::string HelpTopicOf(std::string_view programCode);
};

} // namespace kv
