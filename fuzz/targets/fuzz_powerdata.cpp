// The data-permission package of PowerData and the report conditions
// written into SQL: the rules the server sends ("TABLE condition" texts)
// applied to a statement's table list, and the condition values of the
// selection panels written as WHERE fragments.
//
// The input is lines. For the rules: the first line is the SQL (its table
// list), the others the rules. For the conditions: the first byte picks the
// shape of the value (scalar, range, marked range, marked list) and the
// kind (text or number), the lines are the value's parts. A fragment that
// was written must leave the statement around it intact: its quotes pair
// up and nothing outside them ends the statement or starts a comment.
#include "FuzzSupport.h"

#include "lib/SqlConditions.h"

#include <QString>

#include <vector>

namespace {

std::vector<std::string> lines(std::string_view text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= text.size() && result.size() < 64) {
        const std::size_t end = text.find('\n', start);
        result.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return result;
}

void checkContained(const std::string &fragment, const std::string &what)
{
    bool quoted = false;
    for (std::size_t i = 0; i < fragment.size(); ++i) {
        const char c = fragment[i];
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == ';' || (c == '-' && i + 1 < fragment.size() && fragment[i + 1] == '-') ||
            (c == '/' && i + 1 < fragment.size() && fragment[i + 1] == '*'))
            fuzz::fail(what + " breaks out of its statement: [" + fragment + "]");
    }
    if (quoted)
        fuzz::fail(what + " leaves a quote open: [" + fragment + "]");
}

void permissionRules(const std::vector<std::string> &parts)
{
    std::vector<kv::Variant> rules{int(parts.size() - 1)};
    for (std::size_t i = 1; i < parts.size(); ++i)
        rules.emplace_back(parts[i]);
    try {
        kv::MakeBasePower(kv::varArrayOf(std::move(rules)), "Demo", parts[0], "TE;X");
    } catch (const kv::SqlConditionError &) {
    }
}

void conditionValue(std::uint8_t pick, const std::vector<std::string> &parts)
{
    const int kind = 1 + pick % 3;
    kv::Variant value;
    switch ((pick / 3) % 4) {
    case 0: value = parts[0]; break;
    case 1: value = kv::varArrayOf({parts[0], parts.size() > 1 ? parts[1] : std::string()}); break;
    case 2:
        value = kv::varArrayOf({std::string("\x04"), parts[0], parts.size() > 1 ? parts[1] : std::string()});
        break;
    default: {
        std::vector<kv::Variant> list{std::string("\x05")};
        for (const std::string &row : parts)
            list.push_back(row.size() % 2 ? kv::Variant(row) : kv::varArrayOf({row, std::string("x")}));
        value = kv::varArrayOf(std::move(list));
    }
    }
    std::string where;
    try {
        const std::string fragment = kv::SPSQLStr(where, "TC001", value, kind);
        checkContained(fragment, "the condition of kind " + std::to_string(kind));
    } catch (const kv::SqlConditionError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::vector<std::string> parts = lines(fuzz::text(data + 1, size - 1));
    permissionRules(parts);
    conditionValue(data[0], parts);
    return 0;
}
