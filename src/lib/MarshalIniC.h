#pragma once
// The shell's client settings ("MarshalC.ini" in the client directory, or in
// the user's profile directory when profiles are on). Everything is read in
// the constructor; nothing is cached or written back.

#include "lib/ShellSettings.h"

namespace kv {

class TMarshalIniC : public TMarshalIniBase {
public:
    TMarshalIniC();

    std::string LangType = "ENG";
    std::string CreateGifBeforeSendZQ = "Y";
    std::string AutoCheckNewMsg = "1";
    std::string CheckInterval = "1";
    std::string PopupMsg = "1";
    std::string LoginCheck = "0";
    // Two-dimensional [0..1, 0..n-1]: [0, i] address, [1, i] port.
    Variant Servers;

    // The client directory (ends in "/").
    const std::string &ClientPath() const { return RootPath; }

private:
    void readServers(const IniFile &ini);
};

} // namespace kv
