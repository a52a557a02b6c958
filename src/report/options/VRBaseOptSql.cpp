// TfrmVRBaseOpt: the report SQL kept as six parts, the send-status and
// data-permission conditions of the where part, and the data-permission
// rewrite of a whole statement.
#include "report/options/VRBaseOpt.h"

#include "lib/LibStrs.h"
#include "lib/SqlConditions.h"

#include <QString>

#include <cctype>
#include <utility>

namespace kv {

namespace {

std::string trimmed(const std::string &text)
{
    return QString::fromStdString(text).trimmed().toStdString();
}

std::string upper(const std::string &text)
{
    std::string result = text;
    for (char &c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool startsWithWord(const std::string &text, const std::string &upperKeyword)
{
    return upper(text).rfind(upperKeyword, 0) == 0;
}

// The trimmed text with its keyword in front unless it starts with it (case
// ignored), and one blank after it.
std::string withKeyword(const std::string &text, const std::string &upperKeyword, const std::string &prefix)
{
    const std::string part = trimmed(text);
    return (startsWithWord(part, upperKeyword) ? part : prefix + part) + " ";
}

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' || c == '@' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// The position of a keyword standing as a word of its own (an identifier
// such as DATEFROM or ORDERNO does not count), searched from `from`.
std::size_t findWord(const std::string &upperText, const std::string &word, std::size_t from = 0)
{
    for (std::size_t at = upperText.find(word, from); at != std::string::npos;
         at = upperText.find(word, at + 1)) {
        const bool startOk = at == 0 || !isWordChar(upperText[at - 1]);
        const std::size_t end = at + word.size();
        const bool endOk = end >= upperText.size() || !isWordChar(upperText[end]);
        if (startOk && endOk)
            return at;
    }
    return std::string::npos;
}

// A where part split into its keyword as written ("Where", "where"; empty
// when there is none) and the condition after it, both trimmed. A part that
// is only the keyword (what SetWhere("") stores) has no condition.
std::pair<std::string, std::string> splitWhere(const std::string &wherePart)
{
    const std::string text = trimmed(wherePart);
    if (findWord(upper(text), "WHERE") == 0)
        return {text.substr(0, 5), trimmed(text.substr(5))};
    return {std::string(), text};
}

} // namespace

// --- SQL parts

void TfrmVRBaseOpt::SetSelect(const std::string &text) { SelectPart = withKeyword(text, "SELECT ", "Select "); }
void TfrmVRBaseOpt::SetFrom(const std::string &text) { FromPart = withKeyword(text, "FROM ", " From "); }
void TfrmVRBaseOpt::SetWhere(const std::string &text) { WherePart = withKeyword(text, "WHERE ", " Where "); }
void TfrmVRBaseOpt::SetGroupBy(const std::string &text)
{
    GroupByPart = withKeyword(text, "GROUP BY ", " Group By ");
}
void TfrmVRBaseOpt::SetOrderBy(const std::string &text)
{
    OrderByPart = withKeyword(text, "ORDER BY ", " Order by ");
}
void TfrmVRBaseOpt::SetSQLTail(const std::string &text) { SQLTail = trimmed(text) + " "; }

void TfrmVRBaseOpt::AddCondition(std::string &where, const std::string &field, const std::string &value)
{
    if (field.empty() || value.empty())
        return;
    const std::string term = "(" + field + value + ")";
    where = where.empty() ? term : where + " and " + term;
}

// --- query hooks

void TfrmVRBaseOpt::BuildQuery(int mode, const Variant &valuesOrKey, Variant &sql)
{
    (void)sql;
    SendStatusCondition.clear();
    if (mode != 0 || !valuesOrKey.isArray())
        return;
    const int slot = OptionCount - 1;
    const VariantArray &values = valuesOrKey.array();
    if (slot >= values.lowBound() && slot <= values.highBound())
        SendStatusCondition = varToStr(valuesOrKey[slot]);
}

std::string TfrmVRBaseOpt::FinishWhere()
{
    if (SendMode != 0) {
        auto [keyword, condition] = splitWhere(WherePart);
        AddCondition(condition, SendStatusField, SendStatusCondition);
        if (condition.empty())
            WherePart.clear();
        else
            SetWhere(keyword.empty() ? condition : keyword + " " + condition);
    }
    if (MainTable.empty())
        return {};

    const auto [keyword, condition] = splitWhere(WherePart);
    std::string wrapped;
    if (!condition.empty())
        wrapped = (keyword.empty() ? "(" : keyword + " (") + condition + ")";
    std::string filter;
    if (PermissionData.isArray() && PermissionData.array().highBound() >= PermissionData.array().lowBound())
        filter = trimmed(varToStr(PermissionData[PermissionData.array().lowBound()]));

    std::string result;
    if (!wrapped.empty() && !filter.empty())
        result = wrapped + " and (" + filter + ")";
    else if (!wrapped.empty())
        result = wrapped;
    else if (!filter.empty())
        result = " Where " + filter;
    // Without any condition the where part is dropped rather than left as a
    // bare keyword, which would make the statement invalid.
    if (result.empty())
        WherePart.clear();
    else
        SetWhere(result);
    return {};
}

int TfrmVRBaseOpt::PrepareQuery()
{
    Variant params;
    if (!BuildRunParameters(params))
        return 0;
    Variant sql;
    BuildQuery(0, params[params.array().lowBound() + 2], sql);
    FinishWhere();
    return 0;
}

// --- data-permission rewrite

std::string TfrmVRBaseOpt::ApplyDataPermission(const std::string &sql)
{
    const auto element = [this](int index) -> Variant {
        if (!PermissionData.isArray())
            return Variant();
        const VariantArray &data = PermissionData.array();
        const int at = data.lowBound() + index;
        return at <= data.highBound() ? PermissionData[at] : Variant();
    };
    if (upper(trimmed(varToStr(element(4)))) != "Y")
        return sql;
    const Variant rules = element(5);
    const auto filterFor = [&](const std::string &tables) { return MakeBasePower(rules, CompanyDB, tables, ""); };

    std::string rest = sql;
    std::string output;
    for (std::size_t from; (from = findWord(upper(rest), "FROM")) != std::string::npos;) {
        output += rest.substr(0, from + 4);
        rest.erase(0, from + 4);
        const std::string upperRest = upper(rest);
        const std::size_t where = findWord(upperRest, "WHERE");
        if (where == std::string::npos) {
            // The table list ends where the ordering or grouping begins; the
            // filter must come before either.
            std::size_t end = std::min(findWord(upperRest, "ORDER"), findWord(upperRest, "GROUP"));
            const std::string tables = rest.substr(0, end);
            const std::string filter = filterFor(tables);
            if (end == std::string::npos) {
                output += " " + rest;
                rest.clear();
            } else {
                output += tables;
                rest.erase(0, end);
            }
            if (!filter.empty())
                output += " WHERE " + filter;
            continue;
        }
        const std::string tables = rest.substr(0, where);
        // A sub-query: its own FROM is handled on the next turn.
        if (findWord(upper(tables), "FROM") != std::string::npos)
            continue;
        output += " " + tables + " WHERE ";
        rest.erase(0, where + 5);
        const std::string filter = filterFor(tables);
        if (!filter.empty())
            output += filter + " AND ";
    }
    if (!rest.empty())
        output += " " + rest;
    return output;
}

} // namespace kv
