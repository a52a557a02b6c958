#pragma once
// The ERP-dialect functions the translator accepts and how each engine
// writes them. A function missing from this table is refused by name: its
// meaning on the engines could differ in ways nobody has checked.

#include "sql/SqlDialect.h"
#include "sql/SqlValueKind.h"

#include <string>
#include <string_view>
#include <vector>

namespace slip {

struct SqlFunction {
    enum class Result { Text, Number, DateTime, FirstKnownArgument };

    std::string_view name; // upper case, as the ERP writes it
    int minArgs;
    int maxArgs; // -1: no upper limit
    bool aggregate;
    Result result;
    // Bit i set: argument i is read as text. The ERP's engine turns a number
    // there into text by itself; PostgreSQL needs a cast.
    unsigned textArgs;
    // Patterns: {0}, {1}, ... stand for the arguments, {*} for all of them
    // separated by ", ".
    std::string_view sqlite;
    std::string_view postgres;

    // nullptr when the function is not supported.
    static const SqlFunction *find(std::string_view upperName);

    bool readsText(std::size_t arg) const { return arg < 32 && (textArgs >> arg & 1u) != 0; }
    std::string write(SqlDialect dialect, const std::vector<std::string> &args) const;
    SqlValueKind resultKind(const std::vector<SqlValueKind> &argKinds) const;
};

} // namespace slip
