#pragma once
// A statement run on an SQLite connection through the SQLite API itself:
// the rows go from SQLite's UTF-8 straight into the result table. Cells of
// an unexpected kind (a number in a text column, text that is not valid
// UTF-8) are handed out as the Qt driver would have, so results are the
// same as through QtSql.

#include "db/RowSource.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace slip {

class SqliteRowSource : public RowSource {
public:
    // Prepares `sql` (one statement, "?" placeholders), binds `values` as
    // the Qt driver binds them and runs it up to its first row. Throws
    // DatabaseError with the engine's message; `sqlForErrors` is quoted.
    SqliteRowSource(sqlite3 *connection, const std::string &sql, const std::vector<QVariant> &values,
                    std::string_view sqlForErrors);
    SqliteRowSource(const SqliteRowSource &) = delete;
    SqliteRowSource &operator=(const SqliteRowSource &) = delete;

    int columnCount() const override { return m_columns; }
    std::string columnName(int column) const override;
    std::vector<std::optional<kv::FieldType>> declaredTypes() const override;
    bool next() override;
    QVariant value(int column) const override;
    bool writeDirect(int column, kv::FieldType type, kv::ResultTable::Builder &builder) const override;

    // The type of a column by its declared type, with SQLite's affinity
    // rules; nothing for computed columns and for declared types that allow
    // numbers and texts alike.
    static std::optional<kv::FieldType> typeOfDeclared(const char *declared);

private:
    [[noreturn]] void fail(const char *what) const;
    void bind(const std::vector<QVariant> &values);
    int step();

    // A statement left unfinalised would keep its read lock and keep the
    // connection from closing, also when the constructor throws.
    struct Finalize {
        void operator()(sqlite3_stmt *statement) const;
    };

    sqlite3 *m_connection;
    std::unique_ptr<sqlite3_stmt, Finalize> m_holder;
    sqlite3_stmt *m_statement = nullptr;
    std::string m_sqlForErrors;
    int m_columns = 0;
    // The first step is taken when the statement runs (a statement that
    // writes writes then, and errors show at once); next() hands its row out.
    bool m_pendingRow = false;
    bool m_done = false;
};

} // namespace slip
