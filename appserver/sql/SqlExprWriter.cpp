#include "sql/SqlExprWriter.h"

#include "sql/SqlError.h"
#include "sql/SqlFunctions.h"

#include <algorithm>

namespace slip {

namespace {

// Binding strength of what a written expression ends in, loosest first.
constexpr int kOr = 20;
constexpr int kAnd = 30;
constexpr int kNot = 40;
constexpr int kPredicate = 50;
constexpr int kConcat = 65; // the engines' "||"; see plus()
constexpr int kAdditive = 70;
constexpr int kMultiplicative = 80;
constexpr int kUnary = 90;
constexpr int kAtom = 100;

std::string textLiteral(std::string_view text)
{
    std::string literal = "'";
    for (char c : text) {
        literal += c;
        if (c == '\'')
            literal += '\'';
    }
    return literal + "'";
}

[[noreturn]] void refuse(const SqlExpr &expr, const std::string &what)
{
    throw SqlError(expr.position, expr.text, what);
}

struct DateStyle {
    int style;
    const char *sqlite;
    const char *postgres;
};

// CONVERT styles that turn a date and time into text.
constexpr DateStyle kDateStyles[] = {
    {23, "%Y-%m-%d", "YYYY-MM-DD"},
    {108, "%H:%M:%S", "HH24:MI:SS"},
    {111, "%Y/%m/%d", "YYYY/MM/DD"},
    {112, "%Y%m%d", "YYYYMMDD"},
    {120, "%Y-%m-%d %H:%M:%S", "YYYY-MM-DD HH24:MI:SS"},
};

bool isOneOf(const std::string &name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

SqlRendered SqlExprWriter::write(const SqlExpr &expr, const SqlScope &scope)
{
    switch (expr.kind) {
    case SqlExprKind::Function:
        return function(expr, scope);
    case SqlExprKind::Unary:
        return unary(expr, scope);
    case SqlExprKind::Binary:
        return binary(expr, scope);
    case SqlExprKind::Between:
        return between(expr, scope);
    case SqlExprKind::In:
        return in(expr, scope);
    case SqlExprKind::Like:
        return like(expr, scope);
    case SqlExprKind::IsNull:
        return {operand(*expr.args[0], scope, kPredicate + 1)
                    + (expr.negated ? " IS NOT NULL" : " IS NULL"),
                SqlValueKind::Unknown, kPredicate};
    case SqlExprKind::Case:
        return caseExpr(expr, scope);
    case SqlExprKind::Cast:
        return cast(expr, scope);
    case SqlExprKind::Exists:
    case SqlExprKind::Subquery:
        return subquery(expr, scope);
    default:
        return leaf(expr, scope);
    }
}

SqlRendered SqlExprWriter::leaf(const SqlExpr &expr, const SqlScope &scope)
{
    const std::string qualifier = expr.qualifier.empty() ? std::string() : m_names.name(expr.qualifier) + ".";
    switch (expr.kind) {
    case SqlExprKind::Text:
        return {textLiteral(expr.text), SqlValueKind::Text, kAtom};
    case SqlExprKind::Number:
        return {expr.text, SqlValueKind::Number, kAtom};
    case SqlExprKind::Null:
        return {"NULL", SqlValueKind::Null, kAtom};
    case SqlExprKind::Parameter:
        addParameter(expr.text);
        return {":" + expr.text, SqlValueKind::Unknown, kAtom};
    case SqlExprKind::Star:
        return {qualifier + "*", SqlValueKind::Unknown, kAtom};
    case SqlExprKind::Column:
        return {(qualifier.empty() ? joinedQualifier(expr, scope) : qualifier) + m_names.name(expr.text),
                scope.columnKind(expr.qualifier, expr.text), kAtom};
    default:
        refuse(expr, "unsupported expression");
    }
}

// SQLite would look for a column of an ON condition in every table of the
// FROM clause; written with its table, it means what the ERP's engine reads.
std::string SqlExprWriter::joinedQualifier(const SqlExpr &column, const SqlScope &scope) const
{
    const std::vector<std::string> holders = scope.joinedHolders(column.text);
    if (holders.size() > 1)
        refuse(column, "ambiguous column name " + column.text + ": " + holders[0] + " and " + holders[1] + " have it");
    return holders.empty() ? std::string() : m_names.name(holders.front()) + ".";
}

SqlRendered SqlExprWriter::function(const SqlExpr &expr, const SqlScope &scope)
{
    const SqlFunction *function = SqlFunction::find(expr.text);
    if (!function)
        refuse(expr, "function " + expr.text + " is not supported");
    const int count = static_cast<int>(expr.args.size());
    if (count < function->minArgs || (function->maxArgs >= 0 && count > function->maxArgs))
        refuse(expr, "wrong number of arguments for " + expr.text);
    if (expr.distinct && !function->aggregate)
        refuse(expr, "DISTINCT is allowed only in aggregates");
    std::vector<std::string> args;
    std::vector<SqlValueKind> kinds;
    for (const SqlExprPtr &arg : expr.args) {
        if (arg->kind == SqlExprKind::Star && (expr.text != "COUNT" || arg->qualifier.size()))
            refuse(expr, "* is allowed only in COUNT(*)");
        SqlRendered rendered = write(*arg, scope);
        kinds.push_back(rendered.kind);
        args.push_back(function->readsText(args.size()) ? text(std::move(rendered)) : std::move(rendered.sql));
    }
    if (expr.distinct)
        args.front() = "DISTINCT " + args.front();
    return {function->write(m_dialect, args), function->resultKind(kinds), kAtom};
}

SqlRendered SqlExprWriter::unary(const SqlExpr &expr, const SqlScope &scope)
{
    if (expr.text == "NOT")
        return {"NOT " + operand(*expr.args[0], scope, kNot), SqlValueKind::Unknown, kNot};
    const SqlRendered value = write(*expr.args[0], scope);
    if (value.kind == SqlValueKind::DateTime)
        refuse(expr, "arithmetic on dates is not supported");
    // "- -1" must not become the comment "--1".
    return {expr.text + operand(value, kUnary + 1), SqlValueKind::Number, kUnary};
}

SqlRendered SqlExprWriter::binary(const SqlExpr &expr, const SqlScope &scope)
{
    const std::string &op = expr.text;
    if (op == "AND" || op == "OR") {
        // Left to right: parameters are listed in the order they appear.
        const int precedence = op == "AND" ? kAnd : kOr;
        std::string sql = operand(*expr.args[0], scope, precedence);
        for (std::size_t i = 1; i < expr.args.size(); ++i)
            sql += " " + op + " " + operand(*expr.args[i], scope, precedence + 1);
        return {sql, SqlValueKind::Unknown, precedence};
    }
    SqlRendered result = write(*expr.args[0], scope);
    if (isOneOf(op, {"=", "<>", "<", ">", "<=", ">="})) {
        std::string sql = operand(result, kPredicate + 1) + " " + op + " ";
        sql += operand(*expr.args[1], scope, kPredicate + 1);
        return {sql, SqlValueKind::Unknown, kPredicate};
    }
    for (std::size_t i = 1; i < expr.args.size(); ++i) {
        const std::string &step = expr.ops[i - 1];
        SqlRendered right = write(*expr.args[i], scope);
        if (step == "+") {
            result = plus(expr, std::move(result), std::move(right));
            continue;
        }
        if (result.kind == SqlValueKind::DateTime || right.kind == SqlValueKind::DateTime)
            refuse(expr, "arithmetic on dates is not supported");
        result = arithmetic(step, std::move(result), std::move(right), step == "-" ? kAdditive : kMultiplicative);
    }
    return result;
}

// The ERP's engine adds when either side is a number (a text side is then
// read as a number) and joins texts when both sides are texts. Which one the
// statement meant can only be told from the operands' kinds; when neither
// side's kind is known the statement is refused rather than guessed at.
SqlRendered SqlExprWriter::plus(const SqlExpr &expr, SqlRendered left, SqlRendered right)
{
    const auto is = [&](SqlValueKind kind) { return left.kind == kind || right.kind == kind; };
    if (is(SqlValueKind::DateTime))
        refuse(expr, "arithmetic on dates is not supported");
    if (is(SqlValueKind::Number))
        return arithmetic("+", std::move(left), std::move(right), kAdditive);
    if (!is(SqlValueKind::Text))
        refuse(expr, "cannot tell whether + adds numbers or joins texts: neither side is known");
    // SQLite binds "||" more tightly than any arithmetic, PostgreSQL more
    // loosely than "+" and "-": only plain operands and other joins go bare.
    const auto bare = [](const SqlRendered &r) { return r.precedence == kAtom || r.precedence == kConcat; };
    if (!bare(left))
        left.sql = "(" + left.sql + ")";
    // Appended in place: a long chain is written in linear time.
    left.sql += " || ";
    left.sql += bare(right) ? right.sql : "(" + right.sql + ")";
    return {std::move(left.sql), SqlValueKind::Text, kConcat};
}

SqlRendered SqlExprWriter::arithmetic(const std::string &op, SqlRendered left, SqlRendered right,
                                      int precedence)
{
    std::string sql = numeric(std::move(left), precedence);
    sql += " " + op + " ";
    sql += numeric(std::move(right), precedence + 1);
    return {std::move(sql), SqlValueKind::Number, precedence};
}

SqlRendered SqlExprWriter::between(const SqlExpr &expr, const SqlScope &scope)
{
    std::string sql = operand(*expr.args[0], scope, kPredicate + 1);
    sql += expr.negated ? " NOT BETWEEN " : " BETWEEN ";
    sql += operand(*expr.args[1], scope, kPredicate + 1) + " AND ";
    sql += operand(*expr.args[2], scope, kPredicate + 1);
    return {sql, SqlValueKind::Unknown, kPredicate};
}

SqlRendered SqlExprWriter::in(const SqlExpr &expr, const SqlScope &scope)
{
    std::string sql = operand(*expr.args[0], scope, kPredicate + 1);
    sql += expr.negated ? " NOT IN (" : " IN (";
    if (expr.query) {
        sql += m_subqueries.writeSubquery(*expr.query, scope).sql;
    } else {
        for (std::size_t i = 1; i < expr.args.size(); ++i)
            sql += (i > 1 ? ", " : "") + write(*expr.args[i], scope).sql;
    }
    return {sql + ")", SqlValueKind::Unknown, kPredicate};
}

// The ERP's LIKE ignores case and knows no escape character unless one is
// named; PostgreSQL's ILIKE with ESCAPE '' matches that. Character classes
// ("[a-c]") exist only in the ERP's engine and are refused.
SqlRendered SqlExprWriter::like(const SqlExpr &expr, const SqlScope &scope)
{
    const SqlExpr &pattern = *expr.args[1];
    if (pattern.kind == SqlExprKind::Text && pattern.text.find('[') != std::string::npos)
        refuse(pattern, "character classes in LIKE patterns are not supported");
    const bool postgres = m_dialect == SqlDialect::PostgreSQL;
    std::string sql = text(write(*expr.args[0], scope), kPredicate + 1);
    sql += std::string(expr.negated ? " NOT" : "") + (postgres ? " ILIKE " : " LIKE ");
    sql += text(write(pattern, scope), kPredicate + 1);
    if (expr.args.size() > 2)
        sql += " ESCAPE " + operand(*expr.args[2], scope, kPredicate + 1);
    else if (postgres)
        sql += " ESCAPE ''";
    return {sql, SqlValueKind::Unknown, kPredicate};
}

SqlRendered SqlExprWriter::caseExpr(const SqlExpr &expr, const SqlScope &scope)
{
    std::string sql = "CASE";
    SqlValueKind kind = SqlValueKind::Unknown;
    std::size_t i = 0;
    if (expr.hasOperand)
        sql += " " + write(*expr.args[i++], scope).sql;
    const std::size_t whenEnd = expr.args.size() - (expr.hasElse ? 1 : 0);
    const auto result = [&](const SqlExpr &value) {
        SqlRendered rendered = write(value, scope);
        if (kind == SqlValueKind::Unknown || kind == SqlValueKind::Null)
            kind = rendered.kind;
        return rendered.sql;
    };
    for (; i < whenEnd; i += 2) {
        sql += " WHEN " + write(*expr.args[i], scope).sql;
        sql += " THEN " + result(*expr.args[i + 1]);
    }
    if (expr.hasElse)
        sql += " ELSE " + result(*expr.args.back());
    return {sql + " END", kind, kAtom};
}

SqlRendered SqlExprWriter::cast(const SqlExpr &expr, const SqlScope &scope)
{
    const SqlRendered value = write(*expr.args[0], scope);
    const std::string &type = expr.type.name;
    const bool postgres = m_dialect == SqlDialect::PostgreSQL;
    if (isOneOf(type, {"VARCHAR", "NVARCHAR", "CHAR", "NCHAR"}))
        return castToText(expr, value);
    if (value.kind == SqlValueKind::DateTime)
        refuse(expr, "a date can only be converted to text");
    if (expr.style)
        refuse(expr, "CONVERT styles apply only to dates turned into text");
    if (isOneOf(type, {"INT", "INTEGER", "SMALLINT", "TINYINT", "BIGINT"})) {
        const char *target = type == "BIGINT" ? "bigint" : type == "INT" || type == "INTEGER" ? "integer" : "smallint";
        return {"CAST(" + value.sql + " AS " + (postgres ? target : "INTEGER") + ")", SqlValueKind::Number, kAtom};
    }
    if (isOneOf(type, {"NUMERIC", "DECIMAL"})) {
        const int precision = expr.type.sizes.empty() ? 18 : expr.type.sizes[0];
        const int scale = expr.type.sizes.size() > 1 ? expr.type.sizes[1] : 0;
        if (precision < 1 || precision > 38 || scale > precision || expr.type.sizes.size() > 2)
            refuse(expr, "bad precision or scale");
        const std::string sql = postgres
            ? "CAST(" + value.sql + " AS numeric(" + std::to_string(precision) + ", " + std::to_string(scale) + "))"
            : "round(CAST(" + value.sql + " AS REAL), " + std::to_string(scale) + ")";
        return {sql, SqlValueKind::Number, kAtom};
    }
    if (isOneOf(type, {"FLOAT", "REAL"})) {
        const char *target = postgres ? (type == "REAL" ? "real" : "double precision") : "REAL";
        return {"CAST(" + value.sql + " AS " + target + ")", SqlValueKind::Number, kAtom};
    }
    refuse(expr, "conversion to " + type + " is not supported");
}

// VARCHAR(n) cuts the text to n characters, CHAR(n) also pads it with blanks
// to n; without a length the ERP's engine takes 30.
SqlRendered SqlExprWriter::castToText(const SqlExpr &expr, const SqlRendered &value)
{
    const std::vector<int> &sizes = expr.type.sizes;
    if (sizes.size() > 1)
        refuse(expr, "a text type takes one length");
    const int length = sizes.empty() ? 30 : sizes[0];
    const bool padded = expr.type.name == "CHAR" || expr.type.name == "NCHAR";
    if (length == 0 || length > 8000 || (padded && length < 0))
        refuse(expr, "a text length is 1 to 8000, or MAX for VARCHAR");
    const bool postgres = m_dialect == SqlDialect::PostgreSQL;
    std::string text = postgres ? "CAST(" + value.sql + " AS text)" : "CAST(" + value.sql + " AS TEXT)";
    if (value.kind == SqlValueKind::DateTime) {
        const auto found = std::find_if(std::begin(kDateStyles), std::end(kDateStyles),
                                        [&](const DateStyle &s) { return expr.style == s.style; });
        if (found == std::end(kDateStyles))
            refuse(expr, "a date turned into text needs CONVERT style 23, 108, 111, 112 or 120");
        text = postgres ? "to_char(" + value.sql + ", '" + found->postgres + "')"
                        : "strftime('" + std::string(found->sqlite) + "', " + value.sql + ")";
    } else if (expr.style && value.kind == SqlValueKind::Number) {
        refuse(expr, "CONVERT styles apply only to dates turned into text");
    }
    if (length < 0)
        return {text, SqlValueKind::Text, kAtom};
    const std::string n = std::to_string(length);
    if (padded)
        text = postgres ? "rpad(" + text + ", " + n + ")"
                        : "substr(" + text + " || " + textLiteral(std::string(length, ' ')) + ", 1, " + n + ")";
    else
        text = postgres ? "CAST(" + text + " AS varchar(" + n + "))" : "substr(" + text + ", 1, " + n + ")";
    return {text, SqlValueKind::Text, kAtom};
}

SqlRendered SqlExprWriter::subquery(const SqlExpr &expr, const SqlScope &scope)
{
    SqlQueryText query = m_subqueries.writeSubquery(*expr.query, scope);
    if (expr.kind == SqlExprKind::Exists)
        return {"EXISTS (" + query.sql + ")", SqlValueKind::Unknown, kPredicate};
    const SqlValueKind kind = query.columns.empty() ? SqlValueKind::Unknown : query.columns.front().second;
    return {"(" + query.sql + ")", kind, kAtom};
}

std::string SqlExprWriter::operand(const SqlRendered &rendered, int minimum) const
{
    return rendered.precedence < minimum ? "(" + rendered.sql + ")" : rendered.sql;
}

std::string SqlExprWriter::operand(const SqlExpr &expr, const SqlScope &scope, int minimum)
{
    return operand(write(expr, scope), minimum);
}

// PostgreSQL does no arithmetic on text columns; the ERP's engine reads the
// text as a number, so the text side is cast first.
std::string SqlExprWriter::numeric(SqlRendered rendered, int minimum) const
{
    if (m_dialect == SqlDialect::PostgreSQL && rendered.kind == SqlValueKind::Text)
        return "CAST(" + rendered.sql + " AS numeric)";
    return rendered.precedence < minimum ? "(" + rendered.sql + ")" : std::move(rendered.sql);
}

// The value where text is read; PostgreSQL does not turn numbers into text
// by itself.
std::string SqlExprWriter::text(SqlRendered rendered, int minimum) const
{
    if (m_dialect == SqlDialect::PostgreSQL && rendered.kind == SqlValueKind::Number)
        return "CAST(" + rendered.sql + " AS text)";
    return rendered.precedence < minimum ? "(" + rendered.sql + ")" : std::move(rendered.sql);
}

void SqlExprWriter::addParameter(const std::string &name)
{
    if (std::find(m_parameters.begin(), m_parameters.end(), name) == m_parameters.end())
        m_parameters.push_back(name);
}

} // namespace slip
