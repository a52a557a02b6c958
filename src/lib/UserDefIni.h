#pragma once
// The user's default format style per report, section "VoucherFormatDef" of
// "UserDef.ini" in the client directory.

#include "platform/IniFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace kv {

class TUserDefIni {
public:
    // Reads the file below the client directory named by the shell registry.
    TUserDefIni();
    // Reads "UserDef.ini" below the given client directory.
    explicit TUserDefIni(const std::string &clientDirectory);

    std::string FileName;
    std::vector<IniFile::Entry> Styles; // key, style name, in file order

    // The style stored for program + "_" + key ("=" in the key written as
    // "$EQUAL$"); "<New>" when there is none.
    std::string DefaultStyle(std::string_view programCode, std::string_view key) const;
};

} // namespace kv
