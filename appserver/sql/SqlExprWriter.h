#pragma once
// Writes value expressions and conditions for one engine, working out on the
// way what kind of value each part yields. That is what turns the ERP's "+"
// into "||" where it joins texts, and what lets CONVERT format a date.
// Parentheses are written where the engine's operator precedence needs them,
// not where the ERP's text had them: the tree already holds the grouping.

#include "sql/SqlDialect.h"
#include "sql/SqlNames.h"
#include "sql/SqlScope.h"
#include "sql/SqlSyntax.h"

#include <string>
#include <vector>

namespace slip {

// A written query and the columns it yields (for a sub-query in FROM).
struct SqlQueryText {
    std::string sql;
    SqlScope::Columns columns;
};

// Writes sub-queries found inside expressions; SqlWriter implements it.
class SqlSubqueryWriter {
public:
    virtual SqlQueryText writeSubquery(const SqlQuery &query, const SqlScope &outer) = 0;

protected:
    ~SqlSubqueryWriter() = default;
};

struct SqlRendered {
    std::string sql;
    SqlValueKind kind = SqlValueKind::Unknown;
    int precedence = 0;
};

class SqlExprWriter {
public:
    SqlExprWriter(SqlDialect dialect, SqlSubqueryWriter &subqueries)
        : m_dialect(dialect), m_names(dialect), m_subqueries(subqueries)
    {
    }

    SqlRendered write(const SqlExpr &expr, const SqlScope &scope);

    // Named parameters in order of first appearance, without the colon.
    const std::vector<std::string> &parameters() const { return m_parameters; }

private:
    SqlRendered leaf(const SqlExpr &expr, const SqlScope &scope);
    std::string joinedQualifier(const SqlExpr &column, const SqlScope &scope) const;
    SqlRendered function(const SqlExpr &expr, const SqlScope &scope);
    SqlRendered unary(const SqlExpr &expr, const SqlScope &scope);
    SqlRendered binary(const SqlExpr &expr, const SqlScope &scope);
    SqlRendered plus(const SqlExpr &expr, SqlRendered left, SqlRendered right);
    SqlRendered arithmetic(const std::string &op, SqlRendered left, SqlRendered right, int precedence);
    SqlRendered between(const SqlExpr &expr, const SqlScope &scope);
    SqlRendered in(const SqlExpr &expr, const SqlScope &scope);
    SqlRendered like(const SqlExpr &expr, const SqlScope &scope);
    SqlRendered caseExpr(const SqlExpr &expr, const SqlScope &scope);
    SqlRendered cast(const SqlExpr &expr, const SqlScope &scope);
    SqlRendered castToText(const SqlExpr &expr, const SqlRendered &value);
    SqlRendered subquery(const SqlExpr &expr, const SqlScope &scope);

    // The operand in parentheses when it binds less tightly than minimum.
    std::string operand(const SqlRendered &rendered, int minimum) const;
    std::string operand(const SqlExpr &expr, const SqlScope &scope, int minimum);
    std::string numeric(SqlRendered rendered, int minimum) const;
    std::string text(SqlRendered rendered, int minimum = 0) const;
    void addParameter(const std::string &name);

    SqlDialect m_dialect;
    SqlNames m_names;
    SqlSubqueryWriter &m_subqueries;
    std::vector<std::string> m_parameters;
};

} // namespace slip
