#include "lib/SqlConditions.h"

#include "platform/TextUtil.h"

#include "lib/LibStrs.h"

#include <array>
#include <vector>

namespace kv {

namespace {

// Marks in element 0 of a condition value that say how to read the rest.
constexpr std::string_view kRangeMark = "\x04";
constexpr std::string_view kListMark = "\x05";



// An element that cannot be read (out of bounds, not text-like) reads as an
// empty value: a broken row must not stop the whole report.
std::string elementText(const Variant &value, int index)
{
    try {
        return varToStr(value.array().at(index));
    } catch (const VariantError &) {
        return {};
    }
}

std::string valueText(const Variant &value)
{
    try {
        return varToStr(value);
    } catch (const VariantError &) {
        return {};
    }
}

// A numeric bound is written unquoted, so it must be a plain decimal number:
// anything else could change the statement around it.
bool isSqlNumber(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == start)
            return false;
    }
    return i == text.size();
}

std::string listFragment(std::string_view field, const Variant &value)
{
    const VariantArray &rows = value.array();
    std::string list;
    for (int i = 1; i <= rows.highBound(1); ++i) {
        const Variant &row = rows.at(i).deref();
        const std::string text = row.isArray() ? elementText(row, 0) : valueText(row);
        if (text.empty())
            continue;
        if (!list.empty())
            list += ", ";
        list += QuotedSql(text);
    }
    if (list.empty())
        return {};
    return "(" + std::string(field) + " IN (" + list + "))";
}

std::string rangeFragment(std::string_view field, std::string from, std::string to, int kind)
{
    const std::string f(field);
    if (kind == 1) {
        if (!from.empty() && !to.empty())
            return from == to ? " (" + f + "=" + QuotedSql(from) + ") "
                              : " (" + f + " Between " + QuotedSql(from) + " and " + QuotedSql(to) + ") ";
        if (!from.empty())
            return " (" + f + ">= " + QuotedSql(from) + ")";
        if (!to.empty())
            return " (" + f + "<= " + QuotedSql(to) + " OR " + f + " IS NULL )";
        return {};
    }
    from = std::string(trimBlanks(from));
    to = std::string(trimBlanks(to));
    for (const std::string *bound : {&from, &to})
        if (!bound->empty() && !isSqlNumber(*bound))
            throw SqlConditionError("The value '" + *bound + "' of the condition on " + f + " is not a number");
    if (!from.empty() && !to.empty())
        return from == to ? " (" + f + "=" + from + ") " : " (" + f + " Between " + from + " and " + to + ") ";
    if (!from.empty())
        return " (" + f + ">=" + from + ")";
    if (!to.empty())
        return " (" + f + "<=" + to + " OR " + f + " IS NULL )";
    return {};
}

std::string conditionFragment(std::string_view field, const Variant &value, int kind)
{
    if (!value.isArray()) {
        if (kind < 1 || kind > 3)
            return {};
        return rangeFragment(field, valueText(value), {}, kind);
    }
    const std::string mark = elementText(value, 0);
    if (mark == kListMark)
        return listFragment(field, value);
    if (kind < 1 || kind > 3)
        return {};
    if (mark == kRangeMark)
        return rangeFragment(field, elementText(value, 1), elementText(value, 2), kind);
    return rangeFragment(field, elementText(value, 0), elementText(value, 1), kind);
}

// Words of the text after a table name. Blanks separate words; a comma or a
// closing parenthesis ends a table reference and is a word of its own, so
// "WH,$$MOCTE" reads as "WH" followed by ",".
std::vector<std::string_view> leadingWords(std::string_view text, std::size_t wanted)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (words.size() < wanted) {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
            ++i;
        if (i == text.size())
            break;
        std::size_t end = i + 1;
        if (text[i] != ',' && text[i] != ')')
            while (end < text.size() && static_cast<unsigned char>(text[end]) > ' ' && text[end] != ','
                   && text[end] != ')')
                ++end;
        words.push_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

// Words that can follow a table reference but are never its alias.
bool endsTableReference(std::string_view upperWord)
{
    static const std::array<std::string_view, 14> keywords = {
        "LEFT",  "RIGHT", "INNER", "WHERE", "ON",    "JOIN",   "FULL", "CROSS",
        "OUTER", "GROUP", "ORDER", "UNION", "HAVING", ","};
    if (upperWord.empty() || upperWord == ")" || upperWord.substr(0, 4) == "WITH")
        return true;
    for (std::string_view keyword : keywords)
        if (upperWord == keyword)
            return true;
    return false;
}

bool isIdentifierChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The work text: one line, so that words split at blanks only.
std::string oneLine(std::string_view sql)
{
    std::string text(sql);
    for (char &c : text)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return std::string(trimBlanks(text));
}

std::string tablePrefix(const std::string &work, std::string_view database)
{
    if (work.find("$$") != std::string::npos)
        return "$$";
    std::string prefix(database);
    if (prefix.size() < 2 || prefix.compare(prefix.size() - 2, 2, "..") != 0)
        prefix += "..";
    return prefix;
}

// The permission conditions of one rule, for every place its table occurs.
std::string ruleConditions(const std::string &rule, const std::string &work, const std::string &prefix,
                           std::string_view excluded)
{
    std::string rest(trimBlanks(rule));
    const std::string table = CutToken(rest, " ");
    if (table.empty())
        return {};
    const std::string condition = " ( " + rest + " ) ";
    const std::string key = table.substr(table.size() < 2 ? 0 : table.size() - 2) + "001";
    const std::string needle = prefix + table;
    const std::string exclusions = ";" + std::string(excluded) + ";";
    std::string result;
    for (std::size_t at = work.find(needle); at != std::string::npos; at = work.find(needle, at + 1)) {
        const std::size_t end = at + needle.size();
        // "$$INVMB" must not match the longer table name "$$INVMBA".
        if (end < work.size() && isIdentifierChar(work[end]))
            continue;
        const std::string alias = FindTableAlias(table, std::string_view(work).substr(end));
        if (exclusions.find(";" + upperAscii(alias) + ";") != std::string::npos)
            continue;
        result += "(" + SwapStr(condition, table + ".", alias + ".", true) + " or (" + alias + "." + key
                  + " is null)) and ";
    }
    return result;
}

} // namespace

std::string QuotedSql(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

std::string SPSQLStr(std::string &where, std::string_view field, const Variant &value, int kind)
{
    const std::string fragment = conditionFragment(field, value.deref(), kind);
    if (!fragment.empty())
        where = where.empty() ? "Where " + fragment : where + " and " + fragment;
    return fragment;
}

std::string FindTableAlias(std::string_view table, std::string_view rest)
{
    const std::vector<std::string_view> words = leadingWords(rest, 2);
    const std::string first = words.empty() ? std::string() : upperAscii(words[0]);
    if (first == "AS")
        return words.size() > 1 && words[1] != "," && words[1] != ")" ? std::string(words[1]) : std::string(table);
    if (endsTableReference(first))
        return std::string(table);
    const std::string second = words.size() > 1 ? upperAscii(words[1]) : std::string();
    return endsTableReference(second) ? first : std::string(table);
}

std::string MakeBasePower(const Variant &rules, std::string_view database, std::string_view sql,
                          std::string_view excluded)
{
    const Variant &list = rules.deref();
    if (list.isEmptyOrNull())
        return {};
    std::vector<std::string> ruleTexts;
    try {
        const int count = list[0].toInt();
        for (int i = 1; i <= count; ++i)
            ruleTexts.push_back(varToStr(list[i]));
    } catch (const VariantError &error) {
        // Leaving the filter out would show the user rows they may not see.
        throw SqlConditionError(std::string("The data-permission rules cannot be read: ") + error.what());
    }
    const std::string work = oneLine(sql);
    const std::string prefix = tablePrefix(work, database);
    std::string result;
    for (const std::string &rule : ruleTexts)
        result += ruleConditions(rule, work, prefix, excluded);
    if (!result.empty())
        result.resize(result.size() - 5); // the final " and "
    return result;
}

} // namespace kv
