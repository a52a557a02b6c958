#include "sql/SqlWriter.h"

#include "sql/SqlError.h"

namespace slip {

namespace {

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

std::string SqlWriter::write(const SqlStatement &statement)
{
    return std::visit(Overloaded{[&](const SqlQuery &q) { return query(q, nullptr).sql; },
                                 [&](const SqlInsert &i) { return insert(i); },
                                 [&](const SqlUpdate &u) { return update(u); },
                                 [&](const SqlDelete &d) { return remove(d); }},
                      statement);
}

SqlQueryText SqlWriter::writeSubquery(const SqlQuery &q, const SqlScope &outer)
{
    return query(q, &outer);
}

SqlQueryText SqlWriter::query(const SqlQuery &q, const SqlScope *outer)
{
    if (q.selects.size() == 1)
        return select(q.selects.front(), outer, &q.orderBy);
    SqlQueryText result;
    for (std::size_t i = 0; i < q.selects.size(); ++i) {
        const SqlSelect &branch = q.selects[i];
        SqlQueryText text = select(branch, outer, nullptr);
        // LIMIT may not stand inside a UNION branch; as a sub-query it keeps
        // the TOP to this branch alone.
        if (branch.top)
            text.sql = "SELECT * FROM (" + text.sql + ") AS " + m_names.name("top_" + std::to_string(++m_wrapped));
        if (i == 0)
            result.columns = std::move(text.columns);
        else
            result.sql += q.unionAll[i - 1] ? " UNION ALL " : " UNION ";
        result.sql += text.sql;
    }
    if (!q.orderBy.empty()) {
        SqlScope scope(m_catalog, outer);
        scope.addDerived({}, result.columns);
        result.sql += orderBy(q.orderBy, scope);
    }
    return result;
}

SqlQueryText SqlWriter::select(const SqlSelect &s, const SqlScope *outer,
                               const std::vector<SqlOrderItem> *orderItems)
{
    SqlScope scope(m_catalog, outer);
    const std::string fromText = s.from ? " FROM " + from(s, scope, outer) : std::string();
    SqlQueryText result;
    result.sql = s.distinct ? "SELECT DISTINCT " : "SELECT ";
    for (std::size_t i = 0; i < s.items.size(); ++i) {
        const SqlSelectItem &item = s.items[i];
        SqlRendered rendered = m_exprs.write(*item.expr, scope);
        result.sql += (i ? ", " : "") + rendered.sql;
        if (!item.alias.empty())
            result.sql += " AS " + m_names.name(item.alias);
        const std::string &name = item.alias.empty() && item.expr->kind == SqlExprKind::Column
            ? item.expr->text : item.alias;
        result.columns.emplace_back(name, rendered.kind);
    }
    result.sql += fromText + condition(" WHERE ", s.where, scope);
    if (!s.groupBy.empty())
        result.sql += " GROUP BY " + list(s.groupBy, scope);
    result.sql += condition(" HAVING ", s.having, scope);
    if (orderItems && !orderItems->empty())
        result.sql += orderBy(*orderItems, scope);
    if (s.top)
        result.sql += " LIMIT " + std::to_string(*s.top);
    return result;
}

// Every table enters the statement's scope first: the select list, WHERE and
// ORDER BY see all of them. An ON condition sees only the tables of its own
// join chain up to and including the table it joins, as in the ERP's engine;
// a comma starts a new chain.
std::string SqlWriter::from(const SqlSelect &s, SqlScope &scope, const SqlScope *outer)
{
    std::vector<std::string> tables{table(*s.from, scope, outer)};
    for (const SqlJoin &join : s.joins)
        tables.push_back(table(join.table, scope, outer));
    std::string text = tables.front();
    std::size_t chain = 0; // the first table of the current join chain
    for (std::size_t i = 0; i < s.joins.size(); ++i) {
        const SqlJoin &join = s.joins[i];
        if (join.type == ",")
            chain = i + 1;
        text += (join.type == "," ? ", " : " " + join.type + " ") + tables[i + 1];
        if (join.on)
            text += condition(" ON ", join.on, scope.joinCondition(chain, i + 1));
    }
    return text;
}

std::string SqlWriter::table(const SqlTableRef &t, SqlScope &scope, const SqlScope *outer)
{
    const std::string alias = t.alias.empty() ? std::string() : " AS " + m_names.name(t.alias);
    if (t.source == SqlTableRef::Source::Derived) {
        SqlQueryText inner = query(*t.query, outer);
        scope.addDerived(t.alias, std::move(inner.columns));
        return "(" + inner.sql + ")" + alias;
    }
    scope.addTable(t.alias.empty() ? t.name : t.alias, t.name);
    return tableName(t) + alias;
}

// A table named without a database is in the connection's current database,
// which for the ERP's programs is always the company database.
std::string SqlWriter::tableName(const SqlTableRef &t) const
{
    if (t.source == SqlTableRef::Source::Database && !SqlNames::sameName(t.database, m_companyDb))
        throw SqlError(t.position, t.database + ".." + t.name,
                       "only the company database " + m_companyDb + " may be named");
    if (!m_catalog.hasTable(t.name))
        throw SqlError(t.position, t.name, "unknown table " + t.name);
    return m_names.database(m_companyDb) + "." + m_names.name(t.name);
}

std::string SqlWriter::orderBy(const std::vector<SqlOrderItem> &items, const SqlScope &scope)
{
    std::string text = " ORDER BY ";
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i ? ", " : "") + m_exprs.write(*items[i].expr, scope).sql;
        if (items[i].descending)
            text += " DESC";
    }
    return text;
}

std::string SqlWriter::list(const std::vector<SqlExprPtr> &values, const SqlScope &scope)
{
    std::string text;
    for (const SqlExprPtr &value : values)
        text += (text.empty() ? "" : ", ") + m_exprs.write(*value, scope).sql;
    return text;
}

std::string SqlWriter::condition(const char *keyword, const SqlExprPtr &expr, const SqlScope &scope)
{
    return expr ? keyword + m_exprs.write(*expr, scope).sql : std::string();
}

std::string SqlWriter::insert(const SqlInsert &i)
{
    std::string text = "INSERT INTO " + tableName(i.table);
    if (!i.columns.empty()) {
        text += " (";
        for (std::size_t c = 0; c < i.columns.size(); ++c)
            text += (c ? ", " : "") + m_names.name(i.columns[c].name);
        text += ")";
    }
    if (i.query)
        return text + " " + query(*i.query, nullptr).sql;
    const SqlScope scope(m_catalog, nullptr);
    text += " VALUES ";
    for (std::size_t r = 0; r < i.rows.size(); ++r)
        text += (r ? ", (" : "(") + list(i.rows[r], scope) + ")";
    return text;
}

std::string SqlWriter::update(const SqlUpdate &u)
{
    SqlScope scope(m_catalog, nullptr);
    scope.addTable(u.table.name, u.table.name);
    std::string text = "UPDATE " + tableName(u.table) + " SET ";
    for (std::size_t a = 0; a < u.assignments.size(); ++a) {
        const SqlAssignment &assignment = u.assignments[a];
        text += (a ? ", " : "") + m_names.name(assignment.column.name) + " = "
            + m_exprs.write(*assignment.value, scope).sql;
    }
    return text + condition(" WHERE ", u.where, scope);
}

std::string SqlWriter::remove(const SqlDelete &d)
{
    SqlScope scope(m_catalog, nullptr);
    scope.addTable(d.table.name, d.table.name);
    return "DELETE FROM " + tableName(d.table) + condition(" WHERE ", d.where, scope);
}

} // namespace slip
