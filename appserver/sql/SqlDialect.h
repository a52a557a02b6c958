#pragma once

namespace slip {

// The database engines the application server runs the ERP's SQL on.
enum class SqlDialect {
    SQLite,     // embedded default: each company database is an attached file
    PostgreSQL, // multi-user sites: each company database is a schema
};

} // namespace slip
