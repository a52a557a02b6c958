#include "objects/HostDataQuery.h"

#include "platform/TextUtil.h"
#include "schema/SchemaInfo.h"

#include <stdexcept>

namespace slip {

namespace {

// Collects the WHERE terms and the values they bind.
class Conditions {
public:
    void equal(const std::string &column, const kv::Variant &value)
    {
        m_terms.push_back(column + " = " + bind(value));
    }

    void equalOrBlank(const std::string &column, const kv::Variant &value)
    {
        m_terms.push_back("(" + column + " = " + bind(value) + " OR " + column + " = '')");
    }

    void anyOf(const std::string &column, const std::vector<kv::Variant> &values)
    {
        std::string list;
        for (const auto &value : values)
            list += (list.empty() ? "" : ", ") + bind(value);
        m_terms.push_back(column + " IN (" + list + ")");
    }

    void search(const std::vector<std::string> &columns, const std::string &pattern)
    {
        const std::string name = bind(kv::Variant(pattern));
        std::string any;
        for (const auto &column : columns)
            any += (any.empty() ? "" : " OR ") + column + " LIKE " + name + " ESCAPE '!'";
        m_terms.push_back("(" + any + ")");
    }

    std::string whereText() const
    {
        std::string text;
        for (const auto &term : m_terms)
            text += (text.empty() ? " WHERE " : " AND ") + term;
        return text;
    }

    SqlParams takeParams() { return std::move(m_params); }

private:
    std::string bind(const kv::Variant &value)
    {
        const std::string name = "P" + std::to_string(m_params.size() + 1);
        m_params.emplace_back(name, kv::Variant(kv::varToStr(value)));
        return ":" + name;
    }

    std::vector<std::string> m_terms;
    SqlParams m_params;
};

bool given(const kv::Variant &value)
{
    return !value.isEmptyOrNull() && !kv::trimBlanks(kv::varToStr(value)).empty();
}

const kv::Variant &present(const kv::Variant &value, std::size_t index, const HostDataQuery::Binding &binding)
{
    if (value.isEmptyOrNull())
        throw std::invalid_argument("argument " + std::to_string(index) + " (" + binding.column + ") is missing");
    return value;
}

kv::Variant textArray(const std::vector<HostDataQuery::Column> &columns, bool captions)
{
    std::vector<kv::Variant> texts;
    for (const auto &column : columns)
        texts.emplace_back(captions ? column.caption : column.name);
    return kv::varArrayOf(std::move(texts));
}

} // namespace

HostDataQuery::Statement HostDataQuery::statement(const std::vector<kv::Variant> &args,
                                                  const std::vector<Filter> &filters, std::string_view search,
                                                  int limit) const
{
    Conditions conditions;
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        const Binding &binding = bindings[i];
        const kv::Variant value = i < args.size() ? args[i] : kv::Variant();
        switch (binding.match) {
        case Match::Required:
            conditions.equal(binding.column, present(value, i, binding));
            break;
        case Match::OrBlank:
            conditions.equalOrBlank(binding.column, present(value, i, binding));
            break;
        case Match::IfGiven:
            if (given(value))
                conditions.equal(binding.column, value);
            break;
        case Match::AnyOfRest: {
            std::vector<kv::Variant> values;
            for (std::size_t j = i; j < args.size(); ++j) {
                if (given(args[j]))
                    values.push_back(args[j]);
            }
            if (!values.empty())
                conditions.anyOf(binding.column, values);
            break;
        }
        }
    }
    for (const auto &[name, value] : filters) {
        // The client names the column: only a column of this table is taken,
        // and it is written as the schema spells it.
        const ColumnDef *column = SchemaInfo::company().column(table, kv::trimBlanks(name));
        if (!column)
            throw std::invalid_argument("the lookup " + table + " has no column \"" + name + "\" to filter on");
        conditions.equal(column->name, value);
    }
    const std::string text(kv::trimBlanks(search));
    if (!text.empty() && !searchColumns.empty())
        conditions.search(searchColumns, containsPattern(text));

    std::string select;
    for (const auto &column : columns) {
        if (!column.name.empty())
            select += (select.empty() ? "" : ", ") + column.name;
    }
    std::string sql = "SELECT " + (limit > 0 ? "TOP " + std::to_string(limit) + " " : std::string()) + select
                      + " FROM $$" + table + conditions.whereText();
    std::string order;
    for (const auto &column : orderBy)
        order += (order.empty() ? " ORDER BY " : ", ") + column;
    return {sql + order, conditions.takeParams()};
}

kv::Variant HostDataQuery::rowOf(const kv::ResultTable &result, int row) const
{
    std::vector<kv::Variant> values;
    int source = 0;
    for (const auto &column : columns)
        values.push_back(column.name.empty() ? kv::Variant(std::string()) : result.value(row, source++));
    return kv::varArrayOf(std::move(values));
}

kv::Variant HostDataQuery::rowsOf(const kv::ResultTable &result, int count) const
{
    std::vector<kv::Variant> rows;
    for (int row = 0; row < count && row < result.rowCount(); ++row)
        rows.push_back(rowOf(result, row));
    return kv::varArrayOf(std::move(rows));
}

kv::Variant HostDataQuery::columnNames() const
{
    return textArray(columns, false);
}

kv::Variant HostDataQuery::columnCaptions() const
{
    return textArray(columns, true);
}

const HostDataQuery *HostDataQuery::find(const std::vector<HostDataQuery> &queries, std::string_view table,
                                         std::string_view key)
{
    const std::string wantedTable = kv::upperAscii(kv::trimBlanks(table));
    const std::string_view wantedKey = kv::trimBlanks(key);
    const HostDataQuery *onlyOne = nullptr;
    int count = 0;
    for (const auto &query : queries) {
        if (query.table != wantedTable)
            continue;
        if (query.key == wantedKey)
            return &query;
        onlyOne = &query;
        ++count;
    }
    return wantedKey.empty() && count == 1 ? onlyOne : nullptr;
}

std::string HostDataQuery::containsPattern(std::string_view text)
{
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '!')
            pattern += '!';
        pattern += c;
    }
    return pattern + "%";
}

} // namespace slip
