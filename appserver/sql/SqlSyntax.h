#pragma once
// The syntax tree of one ERP-dialect statement, as SqlParser builds it and
// SqlWriter writes it out for an engine. Only the forms the ERP's programs
// use are represented; the parser refuses everything else.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace slip {

struct SqlQuery;
struct SqlExpr;
using SqlExprPtr = std::unique_ptr<SqlExpr>;

enum class SqlExprKind {
    Text,      // text literal; text holds the value
    Number,    // numeric literal as written
    Null,
    Parameter, // :NAME; text holds NAME
    Column,    // [qualifier.]name
    Star,      // * or qualifier.*
    Function,  // text: name in upper case; args; distinct for COUNT(DISTINCT x)
    Unary,     // text: "-", "+" or "NOT"; args[0]
    Binary,    // text: first operator in upper case ("+", "<>", "AND", ...); see ops
    Between,   // args: value, low, high
    In,        // args[0] the value, then the list; or query
    Like,      // args: value, pattern and, when given, the escape character
    IsNull,    // args[0]
    Case,      // args: [operand], WHEN/THEN pairs, [ELSE]; see hasOperand/hasElse
    Cast,      // CAST(args[0] AS type) or CONVERT(type, args[0] [, style])
    Exists,    // query
    Subquery,  // scalar sub-query
};

// A type name as CAST and CONVERT take it: VARCHAR(20), NUMERIC(16, 2).
struct SqlTypeName {
    std::string name;       // upper case
    std::vector<int> sizes; // -1 stands for MAX
};

struct SqlExpr {
    SqlExprKind kind = SqlExprKind::Null;
    std::size_t position = 0;
    std::string text;
    std::string qualifier;
    bool negated = false;  // NOT BETWEEN / NOT IN / NOT LIKE / IS NOT NULL
    bool distinct = false; // aggregate over distinct values
    bool hasOperand = false;
    bool hasElse = false;
    std::vector<SqlExprPtr> args;
    // Binary: the operator between args[i] and args[i + 1]. A chain of one
    // precedence level (a + b - c, x AND y AND z) is one node, so that long
    // chains do not make the tree, and the code walking it, deep.
    std::vector<std::string> ops;
    std::unique_ptr<SqlQuery> query;
    SqlTypeName type;
    std::optional<int> style; // CONVERT style number
};

struct SqlTableRef {
    enum class Source {
        Company,  // $$NAME: a table of the company database
        Database, // DB..NAME: the client has put the database name in
        Plain,    // NAME alone: the connection's current database
        Derived,  // (SELECT ...) AS alias
    };
    Source source = Source::Plain;
    std::size_t position = 0;
    std::string database;
    std::string name;
    std::string alias;
    std::unique_ptr<SqlQuery> query;
};

struct SqlJoin {
    std::string type; // "LEFT JOIN", "INNER JOIN", ..., or "," for a plain list
    SqlTableRef table;
    SqlExprPtr on;
};

struct SqlSelectItem {
    SqlExprPtr expr;
    std::string alias;
};

struct SqlOrderItem {
    SqlExprPtr expr;
    bool descending = false;
};

struct SqlSelect {
    std::size_t position = 0;
    bool distinct = false;
    std::optional<long long> top;
    std::vector<SqlSelectItem> items;
    std::optional<SqlTableRef> from;
    std::vector<SqlJoin> joins;
    SqlExprPtr where;
    std::vector<SqlExprPtr> groupBy;
    SqlExprPtr having;
};

// SELECT branches joined by UNION, with the ORDER BY that applies to the
// whole (for a single branch, to that branch).
struct SqlQuery {
    std::vector<SqlSelect> selects;
    std::vector<bool> unionAll; // between selects[i] and selects[i + 1]
    std::vector<SqlOrderItem> orderBy;
};

struct SqlColumnName {
    std::size_t position = 0;
    std::string name;
};

struct SqlInsert {
    SqlTableRef table;
    std::vector<SqlColumnName> columns;
    std::vector<std::vector<SqlExprPtr>> rows;
    std::unique_ptr<SqlQuery> query;
};

struct SqlAssignment {
    SqlColumnName column;
    SqlExprPtr value;
};

struct SqlUpdate {
    SqlTableRef table;
    std::vector<SqlAssignment> assignments;
    SqlExprPtr where;
};

struct SqlDelete {
    SqlTableRef table;
    SqlExprPtr where;
};

using SqlStatement = std::variant<SqlQuery, SqlInsert, SqlUpdate, SqlDelete>;

} // namespace slip
