#pragma once
// SQL text a client sends (RunFreeSQL, SimpleSql, the providers' command
// texts): written in the ERP dialect, translated for the engine in use and
// run on the client's company database. The translator refuses what it does
// not understand and any other database than the company's, so a statement
// is never run half-translated. Errors (SqlError, DatabaseError) go to the
// caller with the engine's or translator's message.

#include "objects/CompanyStore.h"
#include "platform/ResultTable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace slip {

class ClientSql : public CompanyStore {
public:
    using CompanyStore::CompanyStore;

    kv::ResultTable select(const std::string &erpSql, const SqlParams &params = {}) const;
    // Rows changed.
    std::int64_t execute(const std::string &erpSql, const SqlParams &params = {}) const;
    // The rows a query returns, or the rows a statement changes.
    std::int64_t rowsOf(const std::string &erpSql) const;

    // The statement in the SQL of the engine in use (":NAME" parameters kept).
    std::string translated(const std::string &erpSql) const;

    // Whether the statement is a query (SELECT, possibly in parentheses).
    static bool isQuery(std::string_view erpSql);
};

} // namespace slip
