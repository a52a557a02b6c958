#pragma once
// The PostgreSQL role a client is given when it opens the company database
// itself (the summary slip's line query). The server's own connection
// grants the role what that query reads (USAGE on the company's schema,
// SELECT on the tables below) and checks that the role can do nothing more
// there: a role that can write, create objects, administer roles or act as
// the server's own role is refused and never handed to a client.
//
// Creating the role takes rights the server's role need not have; the
// site's set-up creates it (LOGIN, no other attribute) and names it in
// [Slipserv] ReaderConnInfo.

#include "db/Database.h"
#include "db/PgConnInfo.h"

#include <stdexcept>
#include <string>

namespace slip {

// The role cannot be handed out; the message says why.
class ReaderRoleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ReadOnlyRole {
public:
    // The tables a client reads directly (the summary's line query).
    static constexpr const char *kTables[] = {"MOCTE"};

    ReadOnlyRole(Database &database, const std::string &conninfo);

    const PgConnInfo &connInfo() const { return m_info; }
    // Grants what is missing for the company and checks the role; throws
    // ReaderRoleError when it does not exist or could do more than read.
    void prepare(const std::string &companyDb);

private:
    void checkAttributes();
    void grantReading(const std::string &companyDb);
    void checkNothingElse(const std::string &companyDb);
    bool holds(const std::string &check, const SqlParams &params);
    // Runs a GRANT unless `check` shows the right is held already; a grant
    // that another client's request made at the same time counts.
    void grantUnlessHeld(const std::string &check, const SqlParams &params, const std::string &grant);

    Database &m_database;
    PgConnInfo m_info;
    std::string m_role;
};

} // namespace slip
