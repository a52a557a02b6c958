#pragma once
// Base of the program server's stores: SQL of the server's own on one
// company database. The server writes its statements itself (portable SQL
// with ":NAME" parameters), so every value a client sends is bound, never
// pasted, and table names come from the schema, never from the client.

#include "db/Database.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace slip {

// A request the store refuses, with a text for the user.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CompanyStore {
public:
    CompanyStore(Database &database, std::string companyDb);

protected:
    Database &db() const { return m_database; }
    const std::string &companyDb() const { return m_companyDb; }
    // "<namespace>.<TABLE>" of the company database.
    std::string table(std::string_view name) const;

    // Throws StoreError (what + the limit) when value has more characters
    // than the schema declares for the column: nothing is cut silently.
    static void requireFits(std::string_view table, std::string_view column, std::string_view value,
                            const std::string &what);
    // Number of characters (code points) of UTF-8 text.
    static std::size_t characterCount(std::string_view text);

private:
    Database &m_database;
    std::string m_companyDb;
};

} // namespace slip
