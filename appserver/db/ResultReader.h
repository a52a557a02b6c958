#pragma once
// Turns the rows of an executed statement into a result table. Columns whose
// type is known up front are written as they come; a column whose type only
// its values can tell (a computed column on SQLite) takes the type of its
// first non-null value, and rows are held back until every such column has
// one. A later value that does not fit that type is a conflict: read() then
// gives nothing and widenedTypes() says which types to run again with.

#include "db/RowSource.h"
#include "platform/ResultTable.h"

#include <QVariant>

#include <optional>
#include <string>
#include <vector>

namespace slip {

class ResultReader {
public:
    // `declared`: the types the engine reports; `widened`: the types an
    // earlier run of the same statement found the values need.
    ResultReader(RowSource &rows, const std::vector<std::optional<kv::FieldType>> &declared,
                 const std::vector<std::optional<kv::FieldType>> &widened = {});

    std::optional<kv::ResultTable> read();

    // The field type for values of a Qt type (how the drivers hand values out).
    static kv::FieldType fieldTypeOf(QMetaType type);

    // After a conflict: the types to use, widened where values did not fit.
    std::vector<std::optional<kv::FieldType>> widenedTypes() const { return m_widened; }
    // After a conflict: which column and value.
    const std::string &conflict() const { return m_conflict; }

private:
    bool decideFromRow(const std::vector<QVariant> &row);
    void startTable();
    bool writeRow(const std::vector<QVariant> &row);
    bool writeCurrentRow();
    bool writeCell(int column, const QVariant &value);
    void noteConflict(int column, const QVariant &value, kv::FieldType wider);

    RowSource &m_rows;
    int m_columns = 0;
    std::vector<std::string> m_names;
    std::vector<std::optional<kv::FieldType>> m_types;
    std::vector<bool> m_declared;
    std::vector<std::optional<kv::FieldType>> m_widened;
    std::optional<kv::ResultTable::Builder> m_builder;
    std::string m_conflict;
};

} // namespace slip
