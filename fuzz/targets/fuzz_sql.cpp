// The SQL translator: statements the ERP's programs (and whoever talks to
// slipserv) send, translated for SQLite and for PostgreSQL.
//
// Checks beyond "no crash":
// - both engines refuse the same statements (the translator's refusals do
//   not depend on the engine);
// - what is accepted for SQLite is one statement SQLite can parse. SQLite
//   prepares it against an in-memory company database created from the
//   company schema. A prepare error about names or arity (no such table,
//   column or function, ambiguous names, wrong argument counts, misplaced
//   aggregates, mismatched compound selects) is the statement's own fault
//   and passes: the translator keeps unknown names as written, by design.
//   A syntax error, incomplete input or an unrecognised token means the
//   translator wrote text that is not SQL and fails the run, as does text
//   after the first statement (one statement per call) and a parameter the
//   translator lists that the statement does not have.
#include "FuzzSupport.h"

#include "schema/CompanySchema.h"
#include "schema/SchemaDdl.h"
#include "schema/SchemaInfo.h"
#include "sql/SqlTranslator.h"

#include <sqlite3.h>

#include <optional>

namespace {

constexpr const char *kCompany = "Demo";

sqlite3 *companyDatabase()
{
    static sqlite3 *db = [] {
        sqlite3 *handle = nullptr;
        if (sqlite3_open(":memory:", &handle) != SQLITE_OK)
            fuzz::fail("no in-memory SQLite database");
        auto run = [handle](const std::string &sql) {
            char *message = nullptr;
            if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
                fuzz::fail("company schema: " + std::string(message ? message : "?") + " in " + sql);
        };
        run(std::string("ATTACH DATABASE ':memory:' AS \"") + kCompany + "\"");
        for (const slip::TableDef &table : slip::CompanySchema::tables()) {
            for (const std::string &ddl : slip::SchemaDdl::createTable(slip::DbEngine::SQLite, kCompany, table))
                run(ddl);
        }
        return handle;
    }();
    return db;
}

std::optional<slip::TranslatedSql> translate(slip::SqlDialect dialect, std::string_view sql)
{
    try {
        return slip::SqlTranslator(dialect, slip::SchemaInfo::company()).translate(sql, kCompany);
    } catch (const slip::SqlError &) {
        return std::nullopt;
    }
}

// SQLite's own wording; matched at the start of the message, since names
// the statement quotes (and SQLite repeats) may hold any text.
bool isSyntaxError(const std::string &message)
{
    return (message.starts_with("near \"") && message.ends_with("\": syntax error")) ||
           message == "incomplete input" || message.starts_with("unrecognized token: ");
}

void prepareOnSqlite(const std::string &erpSql, const slip::TranslatedSql &translated)
{
    sqlite3 *db = companyDatabase();
    sqlite3_stmt *statement = nullptr;
    const char *tail = nullptr;
    const int status = sqlite3_prepare_v2(db, translated.text.c_str(), int(translated.text.size()), &statement, &tail);
    const std::string message = sqlite3_errmsg(db);
    if (status != SQLITE_OK) {
        if (isSyntaxError(message))
            fuzz::fail("SQLite cannot parse the translation of [" + erpSql + "]: " + message + " in [" +
                       translated.text + "]");
        return;
    }
    if (!statement)
        fuzz::fail("the translation of [" + erpSql + "] holds no statement: [" + translated.text + "]");
    const std::string rest(tail, translated.text.c_str() + translated.text.size());
    if (rest.find_first_not_of(" \t\r\n;") != std::string::npos)
        fuzz::fail("the translation of [" + erpSql + "] holds more than one statement: [" + translated.text + "]");
    for (const std::string &name : translated.parameters) {
        if (sqlite3_bind_parameter_index(statement, (":" + name).c_str()) == 0)
            fuzz::fail("parameter " + name + " is listed but not in [" + translated.text + "]");
    }
    sqlite3_finalize(statement);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    companyDatabase();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A statement is text: the translator gets the bytes up to the first NUL,
    // as it would from a C string.
    const std::string sql(fuzz::text(data, size).substr(0, fuzz::text(data, size).find('\0')));
    const std::optional<slip::TranslatedSql> lite = translate(slip::SqlDialect::SQLite, sql);
    const std::optional<slip::TranslatedSql> pg = translate(slip::SqlDialect::PostgreSQL, sql);
    if (lite.has_value() != pg.has_value())
        fuzz::fail("only one engine refuses [" + sql + "]");
    if (lite)
        prepareOnSqlite(sql, *lite);
    return 0;
}
