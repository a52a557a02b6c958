#pragma once
// The rows of an executed statement as the result reader walks them. Every
// source can hand a cell out as the Qt driver would (a QVariant), which the
// reader uses to type computed columns and for values of an unexpected
// kind; a source may also write the common cells straight into the table,
// without the QVariant and its UTF-16 round trip.

#include "platform/ResultTable.h"

#include <QSqlQuery>
#include <QVariant>

#include <optional>
#include <string>
#include <vector>

namespace slip {

class RowSource {
public:
    virtual ~RowSource() = default;

    virtual int columnCount() const = 0;
    // The name as the engine reports it.
    virtual std::string columnName(int column) const = 0;
    // Per column: its type when the engine knows it from the table
    // definition or the expression, nothing when only the values can tell.
    virtual std::vector<std::optional<kv::FieldType>> declaredTypes() const = 0;
    // Moves to the next row; false after the last. Throws DatabaseError when
    // the engine fails on the way.
    virtual bool next() = 0;
    // The cell of the current row as the Qt driver hands it out.
    virtual QVariant value(int column) const = 0;
    // Writes the cell into `builder` as a value of `type` when it is null or
    // holds a value of that kind; false leaves it to the caller.
    virtual bool writeDirect(int column, kv::FieldType type, kv::ResultTable::Builder &builder) const;
};

// The rows of a QSqlQuery (the engines reached through QtSql).
class QueryRowSource : public RowSource {
public:
    QueryRowSource(QSqlQuery query, std::vector<std::optional<kv::FieldType>> declared);

    int columnCount() const override { return m_columns; }
    std::string columnName(int column) const override { return m_names[std::size_t(column)]; }
    std::vector<std::optional<kv::FieldType>> declaredTypes() const override { return m_declared; }
    bool next() override;
    QVariant value(int column) const override;

private:
    QSqlQuery m_query;
    int m_columns = 0;
    std::vector<std::string> m_names;
    std::vector<std::optional<kv::FieldType>> m_declared;
};

} // namespace slip
