#pragma once
// A result table as the application server hands it out: named, typed
// columns and rows, stored column by column so that large reports stay small
// in memory (texts of a column share one buffer, repeated texts are stored
// once, numbers are plain arrays, nulls are bits). Read-only once built.
//
// It travels between server and client as a "data packet": a byte string
// (carried in a text variant, as the shell's data packets were byte arrays).

#include "platform/Variant.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

enum class FieldType {
    Text,    // codes, names, 8-character "YYYYMMDD" dates
    Integer, // 64-bit whole numbers
    Float,   // quantities, amounts, prices
    Boolean,
    Blob,    // raw bytes (stored layouts)
};

// Raised for a malformed data packet or a misuse of the builder.
class ResultTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ResultTable {
public:
    ResultTable();
    ResultTable(const ResultTable &);
    ResultTable(ResultTable &&) noexcept;
    ResultTable &operator=(const ResultTable &);
    ResultTable &operator=(ResultTable &&) noexcept;
    ~ResultTable();

    int columnCount() const;
    int rowCount() const;
    const std::string &columnName(int column) const;
    FieldType columnType(int column) const;
    // Index of a column by name, case ignored; -1 when there is none.
    int columnIndex(std::string_view name) const;

    bool isNull(int row, int column) const;
    // Typed reads; a null reads as "" / 0 / false. Reading a column as another
    // type converts (number to text, text to number) as the variant casts do;
    // a text that is no number throws VariantError. A row or column out of
    // range throws ResultTableError.
    // text() of a text or blob column views the table's own storage (valid as
    // long as the table); the converted text of another column's cell lives
    // in a per-thread buffer that the next such read overwrites.
    std::string_view text(int row, int column) const;
    std::int64_t integer(int row, int column) const;
    double number(int row, int column) const;
    // The cell as a variant: Null for a null cell.
    Variant value(int row, int column) const;

    // Bytes held by the table's storage, for the benchmarks.
    std::size_t memoryUsage() const;

    // Serialised form for the wire; decoding checks every length against
    // the bytes present and throws ResultTableError on malformed input.
    std::string toDataPacket() const;
    static ResultTable fromDataPacket(std::string_view packet);

    class Builder;
    struct Storage;

private:
    const Storage &storage() const;
    std::unique_ptr<Storage> m_storage;
};

// Builds a table row by row: declare the columns, then for each row set the
// cells in column order (or leave them null) and end the row.
class ResultTable::Builder {
public:
    Builder();
    ~Builder();
    Builder(const Builder &) = delete;
    Builder &operator=(const Builder &) = delete;

    void addColumn(std::string name, FieldType type);
    void setNull(int column);
    void setText(int column, std::string_view value);
    void setInteger(int column, std::int64_t value);
    void setNumber(int column, double value);
    void setBoolean(int column, bool value);
    // Converts the variant to the column's type (Null/Empty → null).
    void setValue(int column, const Variant &value);
    // Closes the current row; cells not set are null.
    void endRow();
    ResultTable finish();

private:
    std::unique_ptr<ResultTable::Storage> m_storage;
};

} // namespace kv
