#include "sql/SqlFunctions.h"

#include <algorithm>
#include <iterator>

namespace slip {

namespace {

using R = SqlFunction::Result;

// LEN ignores trailing blanks, as the ERP's engine does; CHARINDEX takes the
// needle first, the engines' functions the haystack first.
constexpr SqlFunction kFunctions[] = {
    {"ABS", 1, 1, false, R::Number, 0, "abs({0})", "abs({0})"},
    {"AVG", 1, 1, true, R::Number, 0, "avg({0})", "avg({0})"},
    {"CHARINDEX", 2, 2, false, R::Number, 0b11, "instr({1}, {0})", "strpos({1}, {0})"},
    {"COALESCE", 2, -1, false, R::FirstKnownArgument, 0, "coalesce({*})", "coalesce({*})"},
    {"COUNT", 1, 1, true, R::Number, 0, "count({0})", "count({0})"},
    {"GETDATE", 0, 0, false, R::DateTime, 0, "datetime('now', 'localtime')", "localtimestamp(0)"},
    {"ISNULL", 2, 2, false, R::FirstKnownArgument, 0, "coalesce({0}, {1})", "coalesce({0}, {1})"},
    {"LEFT", 2, 2, false, R::Text, 0b1, "substr({0}, 1, {1})", "left({0}, {1})"},
    {"LEN", 1, 1, false, R::Number, 0b1, "length(rtrim({0}))", "length(rtrim({0}))"},
    {"LOWER", 1, 1, false, R::Text, 0b1, "lower({0})", "lower({0})"},
    {"LTRIM", 1, 1, false, R::Text, 0b1, "ltrim({0})", "ltrim({0})"},
    {"MAX", 1, 1, true, R::FirstKnownArgument, 0, "max({0})", "max({0})"},
    {"MIN", 1, 1, true, R::FirstKnownArgument, 0, "min({0})", "min({0})"},
    {"NULLIF", 2, 2, false, R::FirstKnownArgument, 0, "nullif({0}, {1})", "nullif({0}, {1})"},
    {"REPLACE", 3, 3, false, R::Text, 0b111, "replace({0}, {1}, {2})", "replace({0}, {1}, {2})"},
    {"RIGHT", 2, 2, false, R::Text, 0b1, "substr({0}, max(length({0}) - ({1}) + 1, 1))", "right({0}, {1})"},
    {"ROUND", 2, 2, false, R::Number, 0, "round({0}, {1})", "round({0}, {1})"},
    {"RTRIM", 1, 1, false, R::Text, 0b1, "rtrim({0})", "rtrim({0})"},
    {"SUBSTRING", 3, 3, false, R::Text, 0b1, "substr({0}, {1}, {2})", "substr({0}, {1}, {2})"},
    {"SUM", 1, 1, true, R::Number, 0, "sum({0})", "sum({0})"},
    {"UPPER", 1, 1, false, R::Text, 0b1, "upper({0})", "upper({0})"},
};

std::string joined(const std::vector<std::string> &args)
{
    std::string text;
    for (const std::string &arg : args)
        text += (text.empty() ? "" : ", ") + arg;
    return text;
}

} // namespace

const SqlFunction *SqlFunction::find(std::string_view upperName)
{
    const auto found = std::find_if(std::begin(kFunctions), std::end(kFunctions),
                                    [&](const SqlFunction &f) { return f.name == upperName; });
    return found == std::end(kFunctions) ? nullptr : &*found;
}

std::string SqlFunction::write(SqlDialect dialect, const std::vector<std::string> &args) const
{
    const std::string_view pattern = dialect == SqlDialect::SQLite ? sqlite : postgres;
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t close = pattern.find('}', i);
        if (pattern[i] != '{' || close == std::string_view::npos) {
            text += pattern[i];
            continue;
        }
        const std::string_view slot = pattern.substr(i + 1, close - i - 1);
        text += slot == "*" ? joined(args) : args.at(static_cast<std::size_t>(slot[0] - '0'));
        i = close;
    }
    return text;
}

SqlValueKind SqlFunction::resultKind(const std::vector<SqlValueKind> &argKinds) const
{
    switch (result) {
    case Result::Text:
        return SqlValueKind::Text;
    case Result::Number:
        return SqlValueKind::Number;
    case Result::DateTime:
        return SqlValueKind::DateTime;
    case Result::FirstKnownArgument:
        break;
    }
    for (SqlValueKind kind : argKinds)
        if (kind != SqlValueKind::Unknown && kind != SqlValueKind::Null)
            return kind;
    return SqlValueKind::Unknown;
}

} // namespace slip
