#include "sql/SqlCatalogQuery.h"

#include "sql/SqlError.h"
#include "sql/SqlNames.h"

namespace slip {

namespace {

bool isTable(const SqlTableRef &table, std::string_view name)
{
    return table.source == SqlTableRef::Source::Plain && SqlNames::sameName(table.name, name);
}

std::string aliasOf(const SqlTableRef &table)
{
    return table.alias.empty() ? table.name : table.alias;
}

bool isColumn(const SqlExpr &expr, std::string_view qualifier, std::string_view name)
{
    return expr.kind == SqlExprKind::Column && SqlNames::sameName(expr.qualifier, qualifier)
        && SqlNames::sameName(expr.text, name);
}

const SqlExpr *equality(const SqlExpr *expr)
{
    return expr && expr->kind == SqlExprKind::Binary && expr->text == "=" ? expr : nullptr;
}

// "q.column = 'text'" in either order; the text, or nullptr.
const std::string *comparedText(const SqlExpr &expr, std::string_view qualifier, std::string_view column)
{
    for (int left = 0; left < 2; ++left) {
        const SqlExpr &a = *expr.args[left];
        const SqlExpr &b = *expr.args[1 - left];
        if (isColumn(a, qualifier, column) && b.kind == SqlExprKind::Text)
            return &b.text;
    }
    return nullptr;
}

SqlExprPtr number(long long value)
{
    auto expr = std::make_unique<SqlExpr>();
    expr->kind = SqlExprKind::Number;
    expr->text = std::to_string(value);
    return expr;
}

} // namespace

bool SqlCatalogQuery::rewrite(SqlStatement &statement, const ColumnCatalog &catalog)
{
    auto *query = std::get_if<SqlQuery>(&statement);
    if (!query)
        return false;
    bool system = false;
    for (const SqlSelect &select : query->selects)
        system = system || namesSystemTable(select);
    if (!system)
        return false;
    Match found;
    if (query->selects.size() != 1 || !query->orderBy.empty() || !match(query->selects.front(), found))
        throw SqlError(query->selects.front().position, "syscolumns",
                       "only the column-length query may read syscolumns and sysobjects");
    statement = answer(found, catalog);
    return true;
}

bool SqlCatalogQuery::namesSystemTable(const SqlSelect &select)
{
    const auto system = [](const SqlTableRef &t) { return isTable(t, "syscolumns") || isTable(t, "sysobjects"); };
    if (select.from && system(*select.from))
        return true;
    for (const SqlJoin &join : select.joins)
        if (system(join.table))
            return true;
    return false;
}

bool SqlCatalogQuery::match(const SqlSelect &s, Match &found)
{
    if (s.distinct || s.top || s.items.size() != 1 || s.joins.size() != 1 || !s.groupBy.empty()
        || s.having || s.joins[0].type != "INNER JOIN")
        return false;
    const SqlTableRef *columns = &*s.from;
    const SqlTableRef *objects = &s.joins[0].table;
    if (isTable(*objects, "syscolumns"))
        std::swap(columns, objects);
    if (!isTable(*columns, "syscolumns") || !isTable(*objects, "sysobjects"))
        return false;
    const std::string col = aliasOf(*columns);
    const std::string obj = aliasOf(*objects);

    const SqlExpr *on = equality(s.joins[0].on.get());
    if (!on || !((isColumn(*on->args[0], obj, "id") && isColumn(*on->args[1], col, "id"))
                 || (isColumn(*on->args[0], col, "id") && isColumn(*on->args[1], obj, "id"))))
        return false;

    const SqlExpr *where = s.where.get();
    if (!where || where->kind != SqlExprKind::Binary || where->text != "AND")
        return false;
    const std::string *table = nullptr;
    const std::string *column = nullptr;
    for (const SqlExprPtr &term : where->args) {
        const SqlExpr *eq = equality(term.get());
        if (!eq)
            return false;
        if (const std::string *text = comparedText(*eq, obj, "name"); text && !table)
            table = text;
        else if (const std::string *other = comparedText(*eq, col, "name"); other && !column)
            column = other;
        else
            return false;
    }
    const SqlSelectItem &item = s.items.front();
    const SqlExpr &selected = *item.expr;
    if (!table || !column || selected.kind != SqlExprKind::Column
        || !SqlNames::sameName(selected.text, "length")
        || !(selected.qualifier.empty() || SqlNames::sameName(selected.qualifier, col)))
        return false;
    found = {*table, *column, item.alias.empty() ? selected.text : item.alias};
    return true;
}

SqlQuery SqlCatalogQuery::answer(const Match &found, const ColumnCatalog &catalog)
{
    const std::optional<int> length = catalog.declaredLength(found.table, found.column);
    SqlSelect select;
    select.items.push_back({number(length.value_or(0)), found.alias});
    if (!length) {
        auto never = std::make_unique<SqlExpr>();
        never->kind = SqlExprKind::Binary;
        never->text = "=";
        never->ops.push_back("=");
        never->args.push_back(number(1));
        never->args.push_back(number(0));
        select.where = std::move(never);
    }
    SqlQuery query;
    query.selects.push_back(std::move(select));
    return query;
}

} // namespace slip
