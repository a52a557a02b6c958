#include "objects/F2DataLookups.h"

namespace slip {

namespace {

using Match = HostDataQuery::Match;
using Columns = std::vector<HostDataQuery::Column>;

// Searched in the first two columns (code and name) and ordered by the
// first unless told otherwise.
HostDataQuery lookup(const char *table, const char *key, const char *title, Columns columns,
                     std::vector<HostDataQuery::Binding> bindings = {}, std::vector<std::string> search = {},
                     std::vector<std::string> order = {})
{
    HostDataQuery query;
    query.table = table;
    query.key = key;
    query.title = title;
    query.columns = std::move(columns);
    query.bindings = std::move(bindings);
    query.manyRows = true;
    query.searchColumns = std::move(search);
    if (query.searchColumns.empty()) {
        for (std::size_t i = 0; i < query.columns.size() && i < 2; ++i)
            query.searchColumns.push_back(query.columns[i].name);
    }
    query.orderBy = order.empty() ? std::vector<std::string>{query.columns.front().name} : std::move(order);
    return query;
}

std::vector<HostDataQuery> buildLookups()
{
    return {
        // Slip types of the natures given as conditions ("54", "55").
        lookup("CMSMQ", "19", "单据性质信息",
               {{"MQ001", "单别"}, {"MQ002", "单据名称"}, {"MQ003", "单据性质"}},
               {{"MQ003", Match::AnyOfRest}}),
        // Footers (condition "1") or sign-offs ("2"): 2-4 the three lines.
        lookup("CMSMS", "01", "页脚/签核信息",
               {{"MS002", "编号"}, {"MS003", "说明"}, {"MS004", "第一行"}, {"MS005", "第二行"}, {"MS006", "第三行"}},
               {{"MS001", Match::Required}}),
        // Issue slips of the slip type given as condition (all types without one).
        lookup("MOCTC", "60", "领料单号查询",
               {{"TC002", "领料单号"}, {"TC007", "备注"}, {"TC003", "领料日期"}, {"TC014", "单据日期"},
                {"TC009", "审核码"}, {"TC010", "打印次数"}, {"TC001", "领料单别"}},
               {{"TC001", Match::IfGiven}}, {}, {"TC001", "TC002"}),
        lookup("CMSMB", "01", "工厂信息", {{"MB001", "工厂编号"}, {"MB002", "工厂名称"}}),
        lookup("CMSMD", "01", "工作中心信息", {{"MD001", "工作中心编号"}, {"MD002", "工作中心名称"}}),
        lookup("CMSME", "01", "部门信息", {{"ME001", "部门编号"}, {"ME002", "部门名称"}}),
        lookup("CMSMC", "01", "仓库信息", {{"MC001", "仓库编号"}, {"MC002", "仓库名称"}}),
        lookup("CMSMW", "01", "工艺信息", {{"MW001", "工艺编号"}, {"MW002", "工艺名称"}}),
        lookup("CMSNO", "01", "项目信息", {{"NO001", "项目编号"}, {"NO002", "项目名称"}}),
        lookup("CMSMV", "01", "员工信息", {{"MV001", "员工编号"}, {"MV002", "姓名"}, {"MV004", "部门编号"}}),
        lookup("PURMA", "01", "供应商信息",
               {{"MA001", "供应商编号"}, {"MA002", "简称"}, {"MA003", "全称"}, {"MA010", "传真号码"},
                {"MA011", "E-Mail"}}),
        lookup("INVMB", "01", "品号信息",
               {{"MB001", "品号"}, {"MB002", "品名"}, {"MB003", "规格"}, {"MB004", "库存单位"}}),
        // Work orders: 0 type and 1 number together name one; searched by
        // number, product and its name.
        lookup("MOCTA", "01", "工单信息",
               {{"TA001", "工单单别"}, {"TA002", "工单单号"}, {"TA003", "开单日期"}, {"TA006", "产品品号"},
                {"TA034", "品名"}, {"TA035", "规格"}},
               {{"TA001", Match::IfGiven}}, {"TA002", "TA006", "TA034"}, {"TA001", "TA002"}),
        lookup("ADMMF", "01", "用户信息", {{"MF001", "用户编号"}, {"MF002", "用户名称"}, {"MF004", "用户组"}}),
        // Format styles of the layout class given as condition.
        lookup("WARRANT", "01", "凭证格式", {{"NT002", "格式名称"}, {"NT003", "版本"}, {"NT001", "格式类别"}},
               {{"NT001", Match::Required}}),
    };
}

} // namespace

const std::vector<HostDataQuery> &F2DataLookups::all()
{
    static const std::vector<HostDataQuery> lookups = buildLookups();
    return lookups;
}

const HostDataQuery *F2DataLookups::find(std::string_view name, std::string_view key)
{
    return HostDataQuery::find(all(), name, key);
}

} // namespace slip
