#pragma once
// Plain descriptions of the company database's tables and columns. The one
// list of them lives in CompanySchema.cpp; everything else (DDL for both
// engines, the column catalogue, the schema document, result typing) is
// derived from it.

#include <string>
#include <vector>

namespace slip {

enum class ColumnType {
    Text,    // codes, names, remarks: VARCHAR with a declared length
    Date,    // 8-character "YYYYMMDD" text
    Memo,    // text without a length limit (stored layouts, condition values)
    Numeric, // quantities and amounts: exact decimals with precision and scale
    Integer, // counts and sequence numbers
    Blob,    // raw bytes
};

struct ColumnDef {
    std::string name;
    ColumnType type = ColumnType::Text;
    int length = 0;       // Text: declared length; Date: 8; Numeric: precision
    int scale = 0;        // Numeric only
    std::string comment;  // one line
    int keyPosition = 0;  // 1-based position in the primary key, 0 outside it
};

struct TableDef {
    std::string name;
    std::string comment;
    std::vector<ColumnDef> columns;
    bool hasPrimaryKey() const
    {
        for (const auto &column : columns) {
            if (column.keyPosition > 0)
                return true;
        }
        return false;
    }
};

} // namespace slip
