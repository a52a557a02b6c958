#include "sql/SqlParser.h"

#include "sql/SqlError.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <limits>

namespace slip {

namespace {

// Words that end or structure a clause and so can never be a bare alias or a
// column name without brackets.
constexpr std::string_view kReserved[] = {
    "ALL",   "AND",    "AS",     "ASC",    "BETWEEN", "BY",     "CASE",      "CROSS",  "DELETE",
    "DESC",  "DISTINCT", "ELSE", "END",    "ESCAPE",  "EXCEPT", "EXISTS",    "FOR",    "FROM",
    "FULL",  "GROUP",  "HAVING", "IN",     "INNER",   "INSERT", "INTERSECT", "INTO",   "IS",
    "JOIN",  "LEFT",   "LIKE",   "NOT",    "NULL",    "ON",     "OPTION",    "OR",     "ORDER",
    "OUTER", "PERCENT", "RIGHT", "SELECT", "SET",     "THEN",   "TOP",       "UNION",  "UPDATE",
    "VALUES", "WHEN",  "WHERE",  "WITH"};

bool isReserved(const SqlToken &token)
{
    return std::any_of(std::begin(kReserved), std::end(kReserved),
                       [&](std::string_view word) { return token.isKeyword(word); });
}

bool isName(const SqlToken &token)
{
    return token.kind == SqlTokenKind::QuotedName
        || (token.kind == SqlTokenKind::Word && !isReserved(token));
}

bool isComparison(const SqlToken &token)
{
    static constexpr std::array<std::string_view, 7> ops = {"=", "<>", "!=", "<", ">", "<=", ">="};
    return token.kind == SqlTokenKind::Symbol
        && std::find(ops.begin(), ops.end(), token.text) != ops.end();
}

// T-SQL has no boolean values: a condition is a comparison, a predicate or a
// logical combination of them, and only conditions may stand in WHERE, ON,
// HAVING and WHEN.
bool isCondition(const SqlExpr &expr)
{
    switch (expr.kind) {
    case SqlExprKind::Between:
    case SqlExprKind::In:
    case SqlExprKind::Like:
    case SqlExprKind::IsNull:
    case SqlExprKind::Exists:
        return true;
    case SqlExprKind::Unary:
        return expr.text == "NOT";
    case SqlExprKind::Binary:
        return expr.text == "AND" || expr.text == "OR" || expr.text == "=" || expr.text == "<>"
            || expr.text == "<" || expr.text == ">" || expr.text == "<=" || expr.text == ">=";
    default:
        return false;
    }
}

// Operators that chain left to right at one precedence level; 0 for others.
int chainLevel(const std::string &op)
{
    if (op == "+" || op == "-")
        return 1;
    if (op == "*" || op == "/" || op == "%")
        return 2;
    if (op == "AND")
        return 3;
    return op == "OR" ? 4 : 0;
}

// Nesting (parentheses, sub-queries, NOT NOT ..., - - ...) is refused beyond
// this depth: recursion on hostile input must end in an error, not a crash.
constexpr int kMaxNesting = 64;

} // namespace

class SqlParser::NestingGuard {
public:
    explicit NestingGuard(SqlParser &parser) : m_parser(parser)
    {
        if (++m_parser.m_nesting > kMaxNesting)
            m_parser.fail(m_parser.peek(), "the statement is nested too deeply");
    }
    ~NestingGuard() { --m_parser.m_nesting; }
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;

private:
    SqlParser &m_parser;
};

SqlStatement SqlParser::parse(std::string_view sql)
{
    SqlParser parser(SqlTokenizer::tokenize(sql));
    return parser.statement();
}

SqlStatement SqlParser::statement()
{
    SqlStatement result;
    const SqlToken &first = peek();
    if (first.isKeyword("SELECT"))
        result = std::move(*query());
    else if (first.isKeyword("INSERT"))
        result = insert();
    else if (first.isKeyword("UPDATE"))
        result = update();
    else if (first.isKeyword("DELETE"))
        result = remove();
    else
        fail(first, "expected SELECT, INSERT, UPDATE or DELETE");
    acceptSymbol(";");
    if (peek().kind != SqlTokenKind::End)
        fail(peek(), m_index > 0 && m_tokens[m_index - 1].isSymbol(";")
                         ? "only one statement may be sent at a time"
                         : "unexpected text after the end of the statement");
    return result;
}

std::unique_ptr<SqlQuery> SqlParser::query()
{
    const NestingGuard guard(*this);
    auto result = std::make_unique<SqlQuery>();
    result->selects.push_back(select());
    while (acceptKeyword("UNION")) {
        result->unionAll.push_back(acceptKeyword("ALL"));
        result->selects.push_back(select());
    }
    if (peek().isKeyword("EXCEPT") || peek().isKeyword("INTERSECT"))
        fail(peek(), "EXCEPT and INTERSECT are not supported");
    if (peek().isKeyword("ORDER"))
        result->orderBy = orderBy();
    return result;
}

SqlSelect SqlParser::select()
{
    SqlSelect result;
    result.position = peek().position;
    expectKeyword("SELECT");
    selectHead(result);
    do
        result.items.push_back(selectItem());
    while (acceptSymbol(","));
    if (peek().isKeyword("INTO"))
        fail(peek(), "SELECT INTO is not supported");
    if (acceptKeyword("FROM"))
        fromClause(result);
    if (acceptKeyword("WHERE"))
        result.where = condition();
    if (acceptKeyword("GROUP")) {
        expectKeyword("BY");
        result.groupBy = valueList();
    }
    if (acceptKeyword("HAVING"))
        result.having = condition();
    return result;
}

// [ALL | DISTINCT] [TOP n | TOP (n)]
void SqlParser::selectHead(SqlSelect &select)
{
    if (!acceptKeyword("ALL"))
        select.distinct = acceptKeyword("DISTINCT");
    if (!acceptKeyword("TOP"))
        return;
    const bool parenthesised = acceptSymbol("(");
    select.top = wholeNumber("TOP needs a whole number of rows");
    if (parenthesised)
        expectSymbol(")");
    if (peek().isKeyword("PERCENT") || peek().isKeyword("WITH"))
        fail(peek(), "TOP ... PERCENT and WITH TIES are not supported");
}

SqlSelectItem SqlParser::selectItem()
{
    SqlSelectItem item;
    if (peek().isSymbol("*")) {
        item.expr = node(SqlExprKind::Star, advance());
        return item;
    }
    // qualifier.* is a select item of its own, never an operand.
    if (peek(1).isSymbol(".") && peek(2).isSymbol("*")) {
        item.expr = columnRef(true);
        return item;
    }
    item.expr = value();
    item.alias = optionalAlias();
    return item;
}

// AS name, or a bare name; T-SQL also takes a text literal as a column alias.
std::string SqlParser::optionalAlias()
{
    if (acceptKeyword("AS")) {
        if (peek().kind == SqlTokenKind::String)
            return advance().text;
        return name("alias");
    }
    if (isName(peek()) || peek().kind == SqlTokenKind::String)
        return advance().text;
    return {};
}

void SqlParser::fromClause(SqlSelect &select)
{
    select.from = tableRef(true);
    for (std::string type = joinType(); !type.empty(); type = joinType()) {
        SqlJoin join;
        join.type = type;
        join.table = tableRef(true);
        if (type != "," && type != "CROSS JOIN") {
            expectKeyword("ON");
            join.on = condition();
        }
        select.joins.push_back(std::move(join));
    }
}

// Reads the join keywords in front of the next table; empty when none follow.
std::string SqlParser::joinType()
{
    if (acceptSymbol(","))
        return ",";
    for (std::string_view side : {"LEFT", "RIGHT", "FULL"}) {
        if (acceptKeyword(side)) {
            acceptKeyword("OUTER");
            expectKeyword("JOIN");
            return std::string(side) + " JOIN";
        }
    }
    if (acceptKeyword("INNER") || peek().isKeyword("JOIN")) {
        expectKeyword("JOIN");
        return "INNER JOIN";
    }
    if (acceptKeyword("CROSS")) {
        expectKeyword("JOIN");
        return "CROSS JOIN";
    }
    return {};
}

SqlTableRef SqlParser::tableRef(bool allowAlias)
{
    SqlTableRef table;
    const SqlToken &first = peek();
    table.position = first.position;
    if (first.kind == SqlTokenKind::CompanyTable) {
        table.source = SqlTableRef::Source::Company;
        table.name = advance().text;
    } else if (first.isSymbol("(") && allowAlias) {
        advance();
        if (!peek().isKeyword("SELECT"))
            fail(peek(), "expected SELECT");
        table.source = SqlTableRef::Source::Derived;
        table.query = query();
        expectSymbol(")");
    } else {
        table.name = name("table name");
        if (acceptSymbol(".")) {
            if (!acceptSymbol("."))
                fail(peek(), "only $$TABLE or DATABASE..TABLE may qualify a table");
            table.source = SqlTableRef::Source::Database;
            table.database = std::move(table.name);
            table.name = name("table name");
        }
    }
    if (peek().isSymbol("."))
        fail(peek(), "only $$TABLE or DATABASE..TABLE may qualify a table");
    if (allowAlias)
        table.alias = optionalAlias();
    if (table.source == SqlTableRef::Source::Derived && table.alias.empty())
        fail(peek(), "a sub-query in FROM needs an alias");
    return table;
}

std::vector<SqlOrderItem> SqlParser::orderBy()
{
    expectKeyword("ORDER");
    expectKeyword("BY");
    std::vector<SqlOrderItem> items;
    do {
        SqlOrderItem item;
        item.expr = value();
        if (!acceptKeyword("ASC"))
            item.descending = acceptKeyword("DESC");
        items.push_back(std::move(item));
    } while (acceptSymbol(","));
    return items;
}

std::vector<SqlExprPtr> SqlParser::valueList()
{
    std::vector<SqlExprPtr> values;
    do
        values.push_back(value());
    while (acceptSymbol(","));
    return values;
}

SqlInsert SqlParser::insert()
{
    expectKeyword("INSERT");
    acceptKeyword("INTO");
    SqlInsert result;
    result.table = tableRef(false);
    if (acceptSymbol("(")) {
        do
            result.columns.push_back({peek().position, name("column name")});
        while (acceptSymbol(","));
        expectSymbol(")");
    }
    if (peek().isKeyword("SELECT")) {
        result.query = query();
        return result;
    }
    expectKeyword("VALUES");
    do {
        expectSymbol("(");
        result.rows.push_back(valueList());
        expectSymbol(")");
    } while (acceptSymbol(","));
    return result;
}

SqlUpdate SqlParser::update()
{
    expectKeyword("UPDATE");
    SqlUpdate result;
    result.table = tableRef(false);
    expectKeyword("SET");
    do {
        SqlAssignment assignment;
        assignment.column = {peek().position, name("column name")};
        // T-SQL allows the table in front of the column; the engines do not.
        if (acceptSymbol("."))
            assignment.column = {peek().position, name("column name")};
        expectSymbol("=");
        assignment.value = value();
        result.assignments.push_back(std::move(assignment));
    } while (acceptSymbol(","));
    if (acceptKeyword("WHERE"))
        result.where = condition();
    return result;
}

SqlDelete SqlParser::remove()
{
    expectKeyword("DELETE");
    acceptKeyword("FROM");
    SqlDelete result;
    result.table = tableRef(false);
    if (acceptKeyword("WHERE"))
        result.where = condition();
    return result;
}

SqlExprPtr SqlParser::condition()
{
    return requireCondition(orTerm());
}

SqlExprPtr SqlParser::value()
{
    return requireValue(orTerm());
}

SqlExprPtr SqlParser::orTerm()
{
    const NestingGuard guard(*this);
    SqlExprPtr left = andTerm();
    while (acceptKeyword("OR"))
        left = binary("OR", std::move(left), andTerm(), true);
    return left;
}

SqlExprPtr SqlParser::andTerm()
{
    SqlExprPtr left = notTerm();
    while (acceptKeyword("AND"))
        left = binary("AND", std::move(left), notTerm(), true);
    return left;
}

SqlExprPtr SqlParser::notTerm()
{
    if (!peek().isKeyword("NOT"))
        return predicate();
    const NestingGuard guard(*this);
    SqlExprPtr result = node(SqlExprKind::Unary, advance(), "NOT");
    result->args.push_back(requireCondition(notTerm()));
    return result;
}

SqlExprPtr SqlParser::predicate()
{
    if (peek().isKeyword("EXISTS")) {
        const std::size_t position = advance().position;
        expectSymbol("(");
        return subquery(SqlExprKind::Exists, position);
    }
    SqlExprPtr left = additive();
    if (isComparison(peek())) {
        std::string op = advance().text;
        return binary(op == "!=" ? "<>" : op, std::move(left), additive(), false);
    }
    return predicateTail(std::move(left));
}

// [NOT] BETWEEN / IN / LIKE and IS [NOT] NULL after the first operand.
SqlExprPtr SqlParser::predicateTail(SqlExprPtr left)
{
    const bool negated = peek().isKeyword("NOT")
        && (peek(1).isKeyword("BETWEEN") || peek(1).isKeyword("IN") || peek(1).isKeyword("LIKE"));
    if (negated)
        advance();
    const SqlToken &op = peek();
    SqlExprPtr result;
    if (acceptKeyword("BETWEEN")) {
        result = node(SqlExprKind::Between, op);
        result->args.push_back(requireValue(std::move(left)));
        result->args.push_back(requireValue(additive()));
        expectKeyword("AND");
        result->args.push_back(requireValue(additive()));
    } else if (acceptKeyword("IN")) {
        expectSymbol("(");
        if (peek().isKeyword("SELECT")) {
            result = subquery(SqlExprKind::In, op.position);
        } else {
            result = node(SqlExprKind::In, op);
            result->args = valueList();
            expectSymbol(")");
        }
        result->args.insert(result->args.begin(), requireValue(std::move(left)));
    } else if (acceptKeyword("LIKE")) {
        result = node(SqlExprKind::Like, op);
        result->args.push_back(requireValue(std::move(left)));
        result->args.push_back(requireValue(additive()));
        if (acceptKeyword("ESCAPE"))
            result->args.push_back(requireValue(additive()));
    } else if (acceptKeyword("IS")) {
        result = node(SqlExprKind::IsNull, op);
        result->negated = acceptKeyword("NOT");
        expectKeyword("NULL");
        result->args.push_back(requireValue(std::move(left)));
        return result;
    } else {
        return left;
    }
    result->negated = negated;
    return result;
}

SqlExprPtr SqlParser::additive()
{
    SqlExprPtr left = multiplicative();
    while (peek().isSymbol("+") || peek().isSymbol("-")) {
        std::string op = advance().text;
        left = binary(op, std::move(left), multiplicative(), false);
    }
    return left;
}

SqlExprPtr SqlParser::multiplicative()
{
    SqlExprPtr left = unary();
    while (peek().isSymbol("*") || peek().isSymbol("/") || peek().isSymbol("%")) {
        std::string op = advance().text;
        left = binary(op, std::move(left), unary(), false);
    }
    return left;
}

SqlExprPtr SqlParser::unary()
{
    if (!peek().isSymbol("-") && !peek().isSymbol("+"))
        return primary();
    const NestingGuard guard(*this);
    const SqlToken &sign = advance();
    SqlExprPtr result = node(SqlExprKind::Unary, sign, sign.text);
    result->args.push_back(requireValue(unary()));
    return result;
}

SqlExprPtr SqlParser::primary()
{
    const SqlToken &token = peek();
    switch (token.kind) {
    case SqlTokenKind::String:
        return node(SqlExprKind::Text, advance(), token.text);
    case SqlTokenKind::Number:
        return node(SqlExprKind::Number, advance(), token.text);
    case SqlTokenKind::Parameter:
        return node(SqlExprKind::Parameter, advance(), token.text);
    case SqlTokenKind::QuotedName:
        return columnRef();
    case SqlTokenKind::Word:
        return wordPrimary();
    case SqlTokenKind::CompanyTable:
        fail(token, "a table name where a value is expected");
    default:
        break;
    }
    if (!acceptSymbol("("))
        fail(token, "expected a value");
    if (peek().isKeyword("SELECT"))
        return subquery(SqlExprKind::Subquery, token.position);
    SqlExprPtr inner = orTerm();
    expectSymbol(")");
    return inner;
}

SqlExprPtr SqlParser::wordPrimary()
{
    const SqlToken &token = peek();
    const bool call = peek(1).isSymbol("(");
    if (token.isKeyword("NULL"))
        return node(SqlExprKind::Null, advance());
    if (token.isKeyword("CASE"))
        return caseExpr();
    if (token.isKeyword("CAST") && call)
        return castExpr();
    if (token.isKeyword("CONVERT") && call)
        return convertExpr();
    if (token.isKeyword("CURRENT_TIMESTAMP"))
        return node(SqlExprKind::Function, advance(), "GETDATE");
    // LEFT and RIGHT are join words as well as functions.
    if (call && (token.isKeyword("LEFT") || token.isKeyword("RIGHT")))
        return functionCall();
    if (isReserved(token))
        fail(token, "expected a value");
    if (call && peek(2).isSymbol("+") && peek(3).isSymbol(")"))
        fail(peek(1), "the (+) outer-join mark is not supported; write LEFT JOIN");
    return call ? functionCall() : columnRef();
}

// name, qualifier.name or, as a whole select item, qualifier.*
SqlExprPtr SqlParser::columnRef(bool starAllowed)
{
    const SqlToken &first = peek();
    std::string column = name("column name");
    if (!acceptSymbol("."))
        return node(SqlExprKind::Column, first, std::move(column));
    SqlExprPtr result;
    if (peek().isSymbol("*")) {
        if (!starAllowed)
            fail(peek(), "qualifier.* stands only as a whole select item");
        result = node(SqlExprKind::Star, advance());
    } else {
        result = node(SqlExprKind::Column, first, name("column name"));
        if (peek().isSymbol("."))
            fail(peek(), "column names take at most one qualifier");
    }
    result->position = first.position;
    result->qualifier = std::move(column);
    return result;
}

SqlExprPtr SqlParser::functionCall()
{
    const SqlToken &function = advance();
    SqlExprPtr result = node(SqlExprKind::Function, function, kv::upperAscii(function.text));
    expectSymbol("(");
    if (acceptSymbol(")"))
        return result;
    if (peek().isSymbol("*")) {
        result->args.push_back(node(SqlExprKind::Star, advance()));
    } else {
        if (!acceptKeyword("ALL"))
            result->distinct = acceptKeyword("DISTINCT");
        result->args = valueList();
    }
    expectSymbol(")");
    return result;
}

SqlExprPtr SqlParser::caseExpr()
{
    SqlExprPtr result = node(SqlExprKind::Case, advance());
    if (!peek().isKeyword("WHEN")) {
        result->hasOperand = true;
        result->args.push_back(value());
    }
    if (!peek().isKeyword("WHEN"))
        fail(peek(), "expected WHEN");
    while (acceptKeyword("WHEN")) {
        result->args.push_back(result->hasOperand ? value() : condition());
        expectKeyword("THEN");
        result->args.push_back(value());
    }
    if (acceptKeyword("ELSE")) {
        result->hasElse = true;
        result->args.push_back(value());
    }
    expectKeyword("END");
    return result;
}

SqlExprPtr SqlParser::castExpr()
{
    SqlExprPtr result = node(SqlExprKind::Cast, advance());
    expectSymbol("(");
    result->args.push_back(value());
    expectKeyword("AS");
    result->type = typeName();
    expectSymbol(")");
    return result;
}

// CONVERT(type, value [, style])
SqlExprPtr SqlParser::convertExpr()
{
    SqlExprPtr result = node(SqlExprKind::Cast, advance());
    expectSymbol("(");
    result->type = typeName();
    expectSymbol(",");
    result->args.push_back(value());
    if (acceptSymbol(",")) {
        result->style = static_cast<int>(wholeNumber("CONVERT style must be a whole number"));
    }
    expectSymbol(")");
    return result;
}

// The opening parenthesis has been read.
SqlExprPtr SqlParser::subquery(SqlExprKind kind, std::size_t position)
{
    auto result = std::make_unique<SqlExpr>();
    result->kind = kind;
    result->position = position;
    result->query = query();
    expectSymbol(")");
    return result;
}

SqlTypeName SqlParser::typeName()
{
    SqlTypeName type;
    const SqlToken &token = advance();
    if (token.kind != SqlTokenKind::Word)
        fail(token, "expected a type name");
    type.name = kv::upperAscii(token.text);
    if (!acceptSymbol("("))
        return type;
    do {
        if (acceptKeyword("MAX"))
            type.sizes.push_back(-1);
        else
            type.sizes.push_back(static_cast<int>(wholeNumber("expected a type size")));
    } while (acceptSymbol(","));
    expectSymbol(")");
    return type;
}

// A whole number that fits an int: row counts, styles and type sizes.
long long SqlParser::wholeNumber(const char *what)
{
    const SqlToken &token = advance();
    long long number = -1;
    const char *end = token.text.data() + token.text.size();
    if (token.kind != SqlTokenKind::Number || std::from_chars(token.text.data(), end, number).ptr != end
        || number > std::numeric_limits<int>::max())
        fail(token, what);
    return number;
}

std::string SqlParser::name(const char *what)
{
    if (!isName(peek()))
        fail(peek(), std::string("expected a ") + what);
    return advance().text;
}

SqlExprPtr SqlParser::node(SqlExprKind kind, const SqlToken &at, std::string text)
{
    auto result = std::make_unique<SqlExpr>();
    result->kind = kind;
    result->position = at.position;
    result->text = std::move(text);
    return result;
}

SqlExprPtr SqlParser::binary(std::string op, SqlExprPtr left, SqlExprPtr right, bool logical)
{
    right = logical ? requireCondition(std::move(right)) : requireValue(std::move(right));
    const int level = chainLevel(op);
    if (level && left->kind == SqlExprKind::Binary && chainLevel(left->text) == level) {
        left->ops.push_back(std::move(op));
        left->args.push_back(std::move(right));
        return left;
    }
    auto result = std::make_unique<SqlExpr>();
    result->kind = SqlExprKind::Binary;
    result->position = left->position;
    result->text = op;
    result->ops.push_back(std::move(op));
    result->args.push_back(logical ? requireCondition(std::move(left)) : requireValue(std::move(left)));
    result->args.push_back(std::move(right));
    return result;
}

SqlExprPtr SqlParser::requireValue(SqlExprPtr expr)
{
    if (isCondition(*expr)) {
        SqlToken at;
        at.position = expr->position;
        at.text = expr->kind == SqlExprKind::Binary ? expr->text : std::string("condition");
        fail(at, "a condition stands where a value is expected");
    }
    return expr;
}

SqlExprPtr SqlParser::requireCondition(SqlExprPtr expr)
{
    if (!isCondition(*expr)) {
        SqlToken at;
        at.position = expr->position;
        at.text = expr->text;
        fail(at, "a value stands where a condition is expected");
    }
    return expr;
}

const SqlToken &SqlParser::peek(std::size_t ahead) const
{
    return m_tokens[std::min(m_index + ahead, m_tokens.size() - 1)];
}

const SqlToken &SqlParser::advance()
{
    const SqlToken &token = peek();
    if (token.kind != SqlTokenKind::End)
        ++m_index;
    return token;
}

bool SqlParser::acceptKeyword(std::string_view keyword)
{
    if (!peek().isKeyword(keyword))
        return false;
    advance();
    return true;
}

void SqlParser::expectKeyword(std::string_view keyword)
{
    if (!acceptKeyword(keyword))
        fail(peek(), "expected " + std::string(keyword));
}

bool SqlParser::acceptSymbol(std::string_view symbol)
{
    if (!peek().isSymbol(symbol))
        return false;
    advance();
    return true;
}

void SqlParser::expectSymbol(std::string_view symbol)
{
    if (!acceptSymbol(symbol))
        fail(peek(), "expected '" + std::string(symbol) + "'");
}

void SqlParser::fail(const SqlToken &at, const std::string &what) const
{
    throw SqlError(at.position, at.display(), what);
}

} // namespace slip
