#include "objects/RightsData.h"

#include "objects/ProgramSession.h"

namespace slip {

kv::Variant RightsData::powerData(const ProgramSession &session) const
{
    const kv::ResultTable rights =
        db().query("SELECT RIGHTS, BASE_LIMITS, DATA_FILTER, APPLY_RULES FROM " + table("USER_RIGHT") +
                       " WHERE USER_ID = :USER AND PROGRAM_CODE = :PROGRAM",
                   {{"USER", session.user}, {"PROGRAM", session.program}});
    const bool found = rights.rowCount() > 0;
    const auto cell = [&](int column) { return found ? std::string(rights.text(0, column)) : std::string(); };
    const bool applyRules = cell(3) == "Y";
    return kv::varArrayOf({
        cell(2),
        session.user + "," + session.program + "," + session.company + "," + cell(0),
        cell(1),
        session.mainTable,
        applyRules ? "Y" : "N",
        rules(session.user, session.program),
    });
}

kv::Variant RightsData::rules(const std::string &user, const std::string &program) const
{
    const kv::ResultTable rows = db().query("SELECT TABLE_CODE, RULE_CONDITION FROM " + table("PERMISSION_RULE") +
                                                " WHERE USER_ID = :USER AND PROGRAM_CODE = :PROGRAM ORDER BY RULE_NO",
                                            {{"USER", user}, {"PROGRAM", program}});
    std::vector<kv::Variant> list;
    list.push_back(rows.rowCount());
    for (int row = 0; row < rows.rowCount(); ++row)
        list.push_back(std::string(rows.text(row, 0)) + " " + std::string(rows.text(row, 1)));
    return kv::varArrayOf(std::move(list));
}

} // namespace slip
