#include "objects/ValidatorKeys.h"

namespace slip {

namespace {

using Match = HostDataQuery::Match;

std::vector<HostDataQuery::Column> row(std::initializer_list<const char *> names)
{
    std::vector<HostDataQuery::Column> columns;
    for (const char *name : names)
        columns.push_back({name, {}});
    return columns;
}

// The print settings of a slip type, in the positions the condition window
// reads: 0 name, 1-4 footer and sign-off codes with their editable flags,
// 7-8 every-page flags, 9-10 default style and whether it may change,
// 11 slip title, 12 totals on every page.
std::vector<HostDataQuery::Column> slipTypePrintRow()
{
    return row({"MQ002", "MQ004", "MQ005", "MQ006", "MQ007", "MQ001", "MQ003", "MQ008", "MQ009", "MQ010",
                "MQ011", "MQ012", "MQ013"});
}

std::vector<HostDataQuery> buildKeys()
{
    std::vector<HostDataQuery> keys;
    const auto add = [&keys](const char *table, const char *key, std::vector<HostDataQuery::Column> columns,
                             std::vector<HostDataQuery::Binding> bindings, bool many = false,
                             std::vector<std::string> order = {}) {
        HostDataQuery query;
        query.table = table;
        query.key = key;
        query.columns = std::move(columns);
        query.bindings = std::move(bindings);
        query.manyRows = many;
        query.orderBy = std::move(order);
        keys.push_back(std::move(query));
    };
    // Program: 0 name, 4 alert-log flag, 7 English name (read under code page 437).
    add("ADMMB", "01", row({"MB002", "MB003", "MB004", "MB005", "MB006", "MB007", "MB008", "MB009", "MB001"}),
        {{"MB001", Match::Required}});
    // Company: 0 code, 1 name (the report title), then full name and contacts.
    add("CMSML", "01", row({"ML001", "ML002", "ML003", "ML004", "ML005", "ML006", "ML007", "ML008"}),
        {{"ML001", Match::Required}});
    // Program print settings: 0-1 footer code and editable, 6-7 sign-off code
    // and editable, 12 default style; the table has nothing for 4, 5, 8-10.
    add("CMSMT", "01", row({"MT002", "MT003", "MT007", "MT008", "", "", "MT004", "MT005", "", "", "", "MT001", "MT006"}),
        {{"MT001", Match::Required}});
    // Slip-type print settings for a slip type of a given nature, or (08)
    // whatever its nature.
    add("CMSMQ", "38", slipTypePrintRow(), {{"MQ001", Match::Required}, {"MQ003", Match::IfGiven}});
    add("CMSMQ", "08", slipTypePrintRow(), {{"MQ001", Match::Required}});
    // A slip type whose nature is one of the further arguments: 1 its nature.
    add("CMSMQ", "22", row({"MQ001", "MQ003", "MQ002"}), {{"MQ001", Match::Required}, {"MQ003", Match::AnyOfRest}});
    // Every slip type of the given natures.
    add("CMSMQ", "19", row({"MQ001", "MQ002", "MQ003"}), {{"MQ003", Match::AnyOfRest}}, true, {"MQ001"});
    // Footer (kind 1) or sign-off (kind 2) lines: 1-3 the lines.
    add("CMSMS", "01", row({"MS002", "MS004", "MS005", "MS006", "MS003", "MS001"}),
        {{"MS001", Match::Required}, {"MS002", Match::Required}});
    // Format styles of a layout class: per row 0 name, 1 option-state text.
    add("WARRANT", "01", row({"NT002", "NT005", "NT003"}), {{"NT001", Match::Required}}, true, {"NT002"});
    // One format style of a layout class.
    add("WARRANT", "03", row({"NT002", "NT005", "NT003", "NT006", "NT001"}),
        {{"NT001", Match::Required}, {"NT002", Match::Required}});
    // A user's condition set of a program (set name, user, program).
    add("GENES", "01", row({"NCONDITION", "CREATOR", "PROGRAMME", "CREATE_DATE"}),
        {{"NCONDITION", Match::Required}, {"CREATOR", Match::Required}, {"PROGRAMME", Match::Required}});
    // An issue slip by slip type and number: 0 number, 1 issue date, 2 slip date.
    add("MOCTC", "60", row({"TC002", "TC003", "TC014", "TC009", "TC010", "TC001", "TC007", "TC021"}),
        {{"TC001", Match::Required}, {"TC002", Match::Required}});
    return keys;
}

} // namespace

const std::vector<HostDataQuery> &ValidatorKeys::all()
{
    static const std::vector<HostDataQuery> keys = buildKeys();
    return keys;
}

const HostDataQuery *ValidatorKeys::find(std::string_view table, std::string_view key)
{
    return HostDataQuery::find(all(), table, key);
}

} // namespace slip
