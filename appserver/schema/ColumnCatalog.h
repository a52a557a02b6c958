#pragma once

#include <optional>
#include <string_view>

namespace slip {

// What code that rewrites or checks SQL needs to know about the company
// database: which tables and columns exist, which columns hold text and how
// long a text column may be. Table and column names are matched without
// regard to letter case, as the database engines do for unquoted names.
class ColumnCatalog {
public:
    virtual ~ColumnCatalog() = default;

    virtual bool hasTable(std::string_view table) const = 0;
    virtual bool hasColumn(std::string_view table, std::string_view column) const = 0;

    // False for unknown tables or columns as well as for non-text columns.
    virtual bool isTextColumn(std::string_view table, std::string_view column) const = 0;

    // The declared length of a text column; empty for unknown columns,
    // non-text columns and text columns without a declared length.
    virtual std::optional<int> declaredLength(std::string_view table,
                                              std::string_view column) const = 0;
};

} // namespace slip
