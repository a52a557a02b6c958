#pragma once
// SQL text built from what the user chose: the WHERE fragment of one report
// condition, and the data-permission filter that limits a query to the rows
// the user may see.

#include "platform/Variant.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace kv {

// Raised when a condition value cannot be written into SQL safely, such as a
// numeric bound that is not a number.
class SqlConditionError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The text in single quotes with embedded single quotes doubled.
std::string QuotedSql(std::string_view text);

// Builds the condition on field from one condition value of a selection
// panel and appends it to where ("Where " before the first condition, " and "
// between conditions). The value is a scalar (lower bound), a plain array
// [from, to], a marked range [chr(4), from, to] or a marked list
// [chr(5), row, row, ...] whose rows are values or arrays led by the value.
// kind is 1 (text, quoted) or 2 and 3 (numbers, trimmed and unquoted); a
// range of another kind gives nothing, a list is quoted whatever the kind.
// Returns the fragment; empty when the value sets no bound. A numeric bound
// that is not a plain number raises SqlConditionError: written unquoted it
// could change the statement around it.
std::string SPSQLStr(std::string &where, std::string_view field, const Variant &value, int kind);

// The alias under which a table appears, from the SQL text that follows its
// name in a FROM list: "AS x" gives x, a single word before a join keyword,
// a comma or the end gives that word in upper case, otherwise the table code.
std::string FindTableAlias(std::string_view table, std::string_view rest);

// Data-permission condition for every occurrence of a rule's table in sql.
// rules: [n, "TABLE condition", ...] with the condition's columns written as
// TABLE.COLUMN; database: company database name, the table prefix when sql
// has no "$$"; excluded: upper-case aliases separated by ";" that get no
// condition. Returns "(cond or (A.XX001 is null)) and ..." without the final
// " and "; empty when no rule's table occurs.
std::string MakeBasePower(const Variant &rules, std::string_view database, std::string_view sql,
                          std::string_view excluded);

} // namespace kv
