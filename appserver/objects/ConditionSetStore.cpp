#include "objects/ConditionSetStore.h"

#include "db/Transaction.h"
#include "platform/TextUtil.h"

namespace slip {

namespace {

SqlParams keyParams(const std::string &user, const std::string &program, const std::string &name)
{
    return {{"USER", user}, {"PROGRAM", program}, {"NAME", name}};
}

const char *kKeyCondition = " WHERE CREATOR = :USER AND PROGRAMME = :PROGRAM AND NCONDITION = :NAME";

} // namespace

kv::ResultTable ConditionSetStore::list(const std::string &user, const std::string &program) const
{
    return db().query("SELECT NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, SCONDITION, VCONDITION FROM " +
                          table("GENES") + " WHERE CREATOR = :USER AND PROGRAMME = :PROGRAM ORDER BY NCONDITION",
                      {{"USER", user}, {"PROGRAM", program}});
}

bool ConditionSetStore::exists(const std::string &user, const std::string &program, const std::string &name) const
{
    const kv::ResultTable found =
        db().query("SELECT NCONDITION FROM " + table("GENES") + kKeyCondition, keyParams(user, program, name));
    return found.rowCount() > 0;
}

void ConditionSetStore::checkName(const std::string &name)
{
    if (kv::trimBlanks(name).empty())
        throw StoreError("方案名不可空白!");
    requireFits("GENES", "NCONDITION", name, "方案名");
}

void ConditionSetStore::checkOwner(const std::string &user, const std::string &program)
{
    if (user.empty() || program.empty())
        throw StoreError("条件方案缺少用户或程序代号");
    requireFits("GENES", "CREATOR", user, "用户代号");
    requireFits("GENES", "PROGRAMME", program, "程序代号");
}

void ConditionSetStore::checkDate(const std::string &date)
{
    const bool digits = date.size() == 8 && date.find_first_not_of("0123456789") == std::string::npos;
    if (!digits)
        throw StoreError("条件方案的日期不是YYYYMMDD: " + date);
}

void ConditionSetStore::save(const ConditionSet &set, bool replace)
{
    checkOwner(set.user, set.program);
    checkName(set.name);
    checkDate(set.date);
    SqlParams params = keyParams(set.user, set.program, set.name);
    params.insert(params.end(), {{"DATE", set.date}, {"SPECS", set.specs}, {"VALS", set.values}});

    Transaction transaction(db());
    if (!exists(set.user, set.program, set.name)) {
        db().execute("INSERT INTO " + table("GENES") +
                         " (NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, SCONDITION, VCONDITION)"
                         " VALUES (:NAME, :USER, :PROGRAM, :DATE, :SPECS, :VALS)",
                     params);
    } else if (replace) {
        db().execute("UPDATE " + table("GENES") +
                         " SET CREATE_DATE = :DATE, SCONDITION = :SPECS, VCONDITION = :VALS" + kKeyCondition,
                     params);
    } else {
        throw StoreError("此方案名称已经存在！" + set.name);
    }
    transaction.commit();
}

void ConditionSetStore::rename(const std::string &user, const std::string &program, const std::string &oldName,
                               const std::string &newName)
{
    checkOwner(user, program);
    checkName(newName);
    Transaction transaction(db());
    if (!exists(user, program, oldName))
        throw StoreError("条件方案不存在: " + oldName);
    if (oldName != newName && exists(user, program, newName))
        throw StoreError("此方案名称已经存在！" + newName);
    SqlParams params = keyParams(user, program, oldName);
    params.push_back({"NEWNAME", newName});
    db().execute("UPDATE " + table("GENES") + " SET NCONDITION = :NEWNAME" + kKeyCondition, params);
    transaction.commit();
}

void ConditionSetStore::remove(const std::string &user, const std::string &program, const std::string &name)
{
    checkOwner(user, program);
    Transaction transaction(db());
    const std::int64_t removed =
        db().execute("DELETE FROM " + table("GENES") + kKeyCondition, keyParams(user, program, name));
    if (removed == 0)
        throw StoreError("条件方案不存在: " + name);
    transaction.commit();
}

} // namespace slip
