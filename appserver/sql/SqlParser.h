#pragma once
// Recursive-descent parser for the ERP's SQL dialect: SELECT with TOP,
// DISTINCT, joins, UNION and ORDER BY; INSERT, UPDATE and DELETE of one
// table; the usual predicates and value expressions. It also checks that a
// condition stands where a condition belongs and a value where a value does,
// so that "SELECT a = b" is refused instead of turning into a boolean column.
// One statement per call; a trailing ";" is allowed, a second statement is not.

#include "sql/SqlSyntax.h"
#include "sql/SqlTokenizer.h"

#include <string_view>
#include <vector>

namespace slip {

class SqlParser {
public:
    // Raises SqlError for anything outside the supported forms.
    static SqlStatement parse(std::string_view sql);

private:
    explicit SqlParser(std::vector<SqlToken> tokens) : m_tokens(std::move(tokens)) {}

    SqlStatement statement();
    std::unique_ptr<SqlQuery> query();
    SqlSelect select();
    void selectHead(SqlSelect &select);
    SqlSelectItem selectItem();
    std::string optionalAlias();
    void fromClause(SqlSelect &select);
    std::string joinType();
    SqlTableRef tableRef(bool allowAlias);
    std::vector<SqlOrderItem> orderBy();
    std::vector<SqlExprPtr> valueList();
    SqlInsert insert();
    SqlUpdate update();
    SqlDelete remove();

    SqlExprPtr condition();
    SqlExprPtr value();
    SqlExprPtr orTerm();
    SqlExprPtr andTerm();
    SqlExprPtr notTerm();
    SqlExprPtr predicate();
    SqlExprPtr predicateTail(SqlExprPtr left);
    SqlExprPtr additive();
    SqlExprPtr multiplicative();
    SqlExprPtr unary();
    SqlExprPtr primary();
    SqlExprPtr wordPrimary();
    SqlExprPtr columnRef(bool starAllowed = false);
    SqlExprPtr functionCall();
    SqlExprPtr caseExpr();
    SqlExprPtr castExpr();
    SqlExprPtr convertExpr();
    SqlExprPtr subquery(SqlExprKind kind, std::size_t position);
    SqlTypeName typeName();
    long long wholeNumber(const char *what);
    std::string name(const char *what);

    SqlExprPtr node(SqlExprKind kind, const SqlToken &at, std::string text = {});
    SqlExprPtr binary(std::string op, SqlExprPtr left, SqlExprPtr right, bool logical);
    SqlExprPtr requireValue(SqlExprPtr expr);
    SqlExprPtr requireCondition(SqlExprPtr expr);

    const SqlToken &peek(std::size_t ahead = 0) const;
    const SqlToken &advance();
    bool acceptKeyword(std::string_view keyword);
    void expectKeyword(std::string_view keyword);
    bool acceptSymbol(std::string_view symbol);
    void expectSymbol(std::string_view symbol);
    [[noreturn]] void fail(const SqlToken &at, const std::string &what) const;

    class NestingGuard;

    std::vector<SqlToken> m_tokens;
    std::size_t m_index = 0;
    int m_nesting = 0;
};

} // namespace slip
