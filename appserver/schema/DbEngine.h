#pragma once

namespace slip {

// The database engines a company database can live in.
enum class DbEngine {
    SQLite,     // embedded default: one file per company database, attached under its name
    PostgreSQL, // multi-user sites: one schema per company database
};

} // namespace slip
