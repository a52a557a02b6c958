#include "objects/ReadOnlyRole.h"

#include "db/DatabaseError.h"
#include "platform/TextUtil.h"
#include "schema/SchemaDdl.h"

namespace slip {

namespace {

// The schema of a company database as the catalogue names it.
std::string schemaOf(const std::string &companyDb)
{
    const std::string quoted = SchemaDdl::companyNamespace(DbEngine::PostgreSQL, companyDb);
    return quoted.substr(1, quoted.size() - 2);
}

std::string tableList()
{
    std::string list;
    for (const char *table : ReadOnlyRole::kTables)
        list += std::string(list.empty() ? "'" : ",'") + SchemaDdl::lowerAscii(table) + "'";
    return list;
}

} // namespace

ReadOnlyRole::ReadOnlyRole(Database &database, const std::string &conninfo)
    : m_database(database), m_info(conninfo), m_role(m_info.user())
{
    if (database.engine() != DbEngine::PostgreSQL)
        throw std::logic_error("a read-only role is a PostgreSQL role");
    if (m_role.empty())
        throw ReaderRoleError("[Slipserv] ReaderConnInfo names no user");
}

void ReadOnlyRole::prepare(const std::string &companyDb)
{
    checkAttributes();
    grantReading(companyDb);
    checkNothingElse(companyDb);
}

bool ReadOnlyRole::holds(const std::string &check, const SqlParams &params)
{
    const kv::ResultTable result = m_database.query(check, params);
    return result.rowCount() > 0 && result.value(0, 0).toBool();
}

void ReadOnlyRole::checkAttributes()
{
    const kv::ResultTable role = m_database.query(
        "SELECT rolsuper OR rolcreaterole OR rolcreatedb OR rolreplication OR rolbypassrls, "
        "pg_has_role(rolname, current_user, 'MEMBER') FROM pg_roles WHERE rolname = :role",
        {{"role", m_role}});
    if (role.rowCount() == 0)
        throw ReaderRoleError("the read-only role " + m_role + " does not exist");
    if (role.value(0, 0).toBool())
        throw ReaderRoleError("the role " + m_role + " has administrative rights and is not handed to clients");
    if (role.value(0, 1).toBool())
        throw ReaderRoleError("the role " + m_role +
                              " is (or may act as) the server's own role and is not handed to clients");
}

void ReadOnlyRole::grantUnlessHeld(const std::string &check, const SqlParams &params, const std::string &grant)
{
    if (holds(check, params))
        return;
    try {
        m_database.execute(grant);
    } catch (const DatabaseError &) {
        // Two grants of one object at once fail in PostgreSQL; the other
        // one's grant does the same.
        if (!holds(check, params))
            throw;
    }
}

void ReadOnlyRole::grantReading(const std::string &companyDb)
{
    const std::string schema = schemaOf(companyDb);
    const std::string grantee = kv::quotedWith(m_role, '"');
    grantUnlessHeld("SELECT has_schema_privilege(:role, :schema, 'USAGE')", {{"role", m_role}, {"schema", schema}},
                    "GRANT USAGE ON SCHEMA " + kv::quotedWith(schema, '"') + " TO " + grantee);
    for (const char *table : kTables) {
        const std::string qualified = m_database.qualifiedTable(companyDb, table);
        grantUnlessHeld("SELECT has_table_privilege(:role, :table, 'SELECT')", {{"role", m_role}, {"table", qualified}},
                        "GRANT SELECT ON " + qualified + " TO " + grantee);
    }
}

void ReadOnlyRole::checkNothingElse(const std::string &companyDb)
{
    const SqlParams params{{"role", m_role}, {"schema", schemaOf(companyDb)}};
    if (holds("SELECT has_schema_privilege(:role, :schema, 'CREATE') OR "
              "has_database_privilege(:role, current_database(), 'CREATE')",
              params))
        throw ReaderRoleError("the role " + m_role + " may create objects and is not handed to clients");
    const kv::ResultTable more = m_database.query(
        "SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname = :schema AND c.relkind IN ('r', 'p', 'v', 'm', 'S', 'f') AND ("
        "has_table_privilege(:role, c.oid, 'INSERT, UPDATE, DELETE, TRUNCATE, REFERENCES, TRIGGER') OR "
        "(has_table_privilege(:role, c.oid, 'SELECT') AND c.relname NOT IN (" +
            tableList() + "))) ORDER BY c.relname LIMIT 1",
        params);
    if (more.rowCount() > 0)
        throw ReaderRoleError("the role " + m_role + " may do more than read the line query's tables (table " +
                              std::string(more.text(0, 0)) + ") and is not handed to clients");
}

} // namespace slip
