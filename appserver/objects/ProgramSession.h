#pragma once
// What "Connect" tells the program server about its client: the program,
// the user, the company and its database, and the report's main table.

#include <string>

namespace slip {

struct ProgramSession {
    std::string program;
    std::string user;
    std::string company;
    std::string companyDb;
    std::string mainTable;

    bool connected() const { return !companyDb.empty(); }
};

} // namespace slip
