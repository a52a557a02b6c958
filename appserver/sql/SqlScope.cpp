#include "sql/SqlScope.h"

#include "sql/SqlNames.h"

namespace slip {

void SqlScope::addTable(std::string alias, std::string table)
{
    m_sources.push_back({std::move(alias), std::move(table), {}});
}

void SqlScope::addDerived(std::string alias, Columns columns)
{
    m_sources.push_back({std::move(alias), {}, std::move(columns)});
}

SqlValueKind SqlScope::columnKind(std::string_view qualifier, std::string_view column) const
{
    if (!qualifier.empty()) {
        for (const SqlScope *scope = this; scope; scope = scope->m_outer) {
            if (const Source *source = scope->findSource(qualifier))
                return scope->kindIn(*source, column).value_or(SqlValueKind::Unknown);
        }
        return SqlValueKind::Unknown;
    }
    for (const SqlScope *scope = this; scope; scope = scope->m_outer) {
        std::optional<SqlValueKind> found;
        for (const Source &source : scope->m_sources) {
            const std::optional<SqlValueKind> kind = scope->kindIn(source, column);
            if (!kind)
                continue;
            if (found && *found != *kind)
                return SqlValueKind::Unknown;
            found = kind;
        }
        if (found)
            return *found;
    }
    return SqlValueKind::Unknown;
}

SqlScope SqlScope::joinCondition(std::size_t first, std::size_t last) const
{
    SqlScope scope(m_catalog, m_outer);
    scope.m_sources.assign(m_sources.begin() + static_cast<std::ptrdiff_t>(first),
                           m_sources.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    scope.m_joinCondition = true;
    return scope;
}

std::vector<std::string> SqlScope::joinedHolders(std::string_view column) const
{
    for (const SqlScope *scope = this; scope; scope = scope->m_outer) {
        std::vector<std::string> holders;
        for (const Source &source : scope->m_sources)
            if (scope->kindIn(source, column))
                holders.push_back(source.alias);
        if (holders.empty())
            continue;
        if (!scope->m_joinCondition)
            return {};
        for (const SqlScope *inner = this; inner != scope; inner = inner->m_outer)
            if (inner->findSource(holders.front()))
                return {};
        return holders;
    }
    return {};
}

std::optional<SqlValueKind> SqlScope::kindIn(const Source &source, std::string_view column) const
{
    if (source.table.empty()) {
        for (const auto &[name, kind] : source.columns)
            if (SqlNames::sameName(name, column))
                return kind;
        return std::nullopt;
    }
    if (!m_catalog.hasColumn(source.table, column))
        return std::nullopt;
    return m_catalog.isTextColumn(source.table, column) ? SqlValueKind::Text : SqlValueKind::Number;
}

// An alias hides the table's own name in T-SQL, but the ERP's statements are
// not always strict about it, so the table name is tried second.
const SqlScope::Source *SqlScope::findSource(std::string_view qualifier) const
{
    for (const Source &source : m_sources)
        if (SqlNames::sameName(source.alias, qualifier))
            return &source;
    for (const Source &source : m_sources)
        if (!source.table.empty() && SqlNames::sameName(source.table, qualifier))
            return &source;
    return nullptr;
}

} // namespace slip
