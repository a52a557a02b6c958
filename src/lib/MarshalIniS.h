#pragma once
// The shell's server settings ("MarshalS.ini" in the server directory).
// Read in the constructor, never written back. The stored database passwords
// are kept as they are read: nothing in the module uses them.

#include "lib/ShellSettings.h"

namespace kv {

class TMarshalIniS : public TMarshalIniBase {
public:
    TMarshalIniS();

    // Two-dimensional [0..3, 0..7]: main, temporary, server and exchange
    // database settings; unused cells are empty.
    Variant DBSettings;
    // 1 for an ORACLE main database, 2 for DB2, else 0.
    std::uint8_t DBKind = 0;
    std::string SystemControlAddress;
    std::string OtherSystemControlAddress;

    const std::string &ServerPath() const { return RootPath; }

private:
    void readDatabaseSettings(const IniFile &ini);
};

} // namespace kv
