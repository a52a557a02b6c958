#include "db/DemoData.h"

#include "db/BulkInserter.h"
#include "db/Database.h"
#include "db/DatabaseError.h"
#include "db/DemoNames.h"
#include "db/Transaction.h"
#include "platform/Variant.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace slip {
namespace {

using Row = std::vector<kv::Variant>;

const char *const kProgram = "QIPR07";
const char *const kWorkflowSignOff = "TESSWF";

std::string zeroPadded(int value, int width)
{
    std::string text = std::to_string(value);
    return std::string(std::size_t(std::max(0, width - int(text.size()))), '0') + text;
}

double round3(double value)
{
    return std::round(value * 1000.0) / 1000.0;
}

} // namespace

// One issue slip while it is being written.
struct DemoData::Slip {
    const SlipType *type = nullptr;
    std::string number, issueDate, slipDate, approval, creator, project, supplier, signOffStatus;
    const WorkOrder *workOrder = nullptr;
    int lines = 0;
    double quantity = 0, packQuantity = 0;
};

// Inserters of the slip tables, open while all slips are written.
struct DemoData::SlipWriters {
    BulkInserter headers, lines, workOrders, signOffs;
};

DemoData::DemoData(Database &db, DemoDataOptions options)
    : m_db(db)
    , m_options(std::move(options))
    , m_random(m_options.seed)
    , m_start(2024, 1, 2)
    , m_setupDate("20231201")
{
    if (m_options.slips < 0)
        throw DatabaseError("the slip count must not be negative");
}

std::string DemoData::ymd(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toStdString();
}

std::map<std::string, std::int64_t> DemoData::generate()
{
    m_db.openCompany(m_options.companyDb, OpenMode::CreateNew);
    try {
        Transaction transaction(m_db);
        fill();
        transaction.commit();
    } catch (...) {
        try {
            m_db.dropCompany(m_options.companyDb);
        } catch (const DatabaseError &) {
            // The original failure is the one worth reporting.
        }
        throw;
    }
    return m_rows;
}

void DemoData::fill()
{
    writeCompany();
    writeUsers();
    writeSettings();
    writeRights();
    writeCodeTables();
    writeSuppliers();
    writeItems();
    writeLots();
    writeWorkOrders();
    writeSlipTypes();
    writeFooters();
    writeWorkflowForms();
    writeSlips();
    writePhrasesAndCounters();
}

std::vector<std::string> DemoData::withAudit(std::vector<std::string> columns) const
{
    columns.insert(columns.begin(), {"COMPANY", "CREATOR", "USR_GROUP", "CREATE_DATE", "FLAG"});
    return columns;
}

std::vector<kv::Variant> DemoData::audit(const std::string &user, const std::string &date) const
{
    return {m_options.company, user, userOf(user).group, date, 1};
}

const DemoData::User &DemoData::userOf(const std::string &code) const
{
    for (const auto &user : m_users) {
        if (user.code == code)
            return user;
    }
    return m_users.front();
}

void DemoData::finish(BulkInserter &rows, const std::string &table)
{
    rows.finish();
    m_rows[table] += rows.rowsAdded();
}

void DemoData::writeCompany()
{
    m_users.push_back({"DS", "系统管理员", "ADMIN"});
    BulkInserter company(m_db, m_options.companyDb, "CMSML",
                         withAudit({"ML001", "ML002", "ML003", "ML004", "ML005", "ML006", "ML007", "ML008"}));
    Row row = audit("DS", m_setupDate);
    row.insert(row.end(), {m_options.company, "恒信精密", "苏州恒信精密机械有限公司", "江苏省苏州市工业园区星湖街328号",
                           "0512-62880001", "0512-62880002", "91320594MA1X8Y2K3P", "service@hengxin-demo.cn"});
    company.add(row);
    finish(company, "CMSML");

    BulkInserter program(m_db, m_options.companyDb, "ADMMB",
                         withAudit({"MB001", "MB002", "MB003", "MB004", "MB005", "MB006", "MB007", "MB008", "MB009"}));
    row = audit("DS", m_setupDate);
    row.insert(row.end(), {kProgram, "领料单打印", "MOC", "R", "890830-1.4.1.0", "N", "QIPR07S.Class1", "領料單列印",
                           "Material Issue Slip Printing"});
    program.add(row);
    finish(program, "ADMMB");

    BulkInserter print(m_db, m_options.companyDb, "CMSMT",
                       withAudit({"MT001", "MT002", "MT003", "MT004", "MT005", "MT006", "MT007", "MT008"}));
    row = audit("DS", m_setupDate);
    row.insert(row.end(), {kProgram, "F01", "Y", "S01", "Y", "", "N", "N"});
    print.add(row);
    finish(print, "CMSMT");
}

void DemoData::writeUsers()
{
    static const char *const groups[] = {"MOC", "WH", "WH", "MOC", "QC", "PUR", "MOC", "WH", "ACC"};
    for (int i = 0; i < 9; ++i)
        m_users.push_back({zeroPadded(i + 1, 4), DemoNames::personName(m_random), groups[i]});
    BulkInserter users(m_db, m_options.companyDb, "ADMMF", withAudit({"MF001", "MF002", "MF004", "MF005"}));
    for (const auto &user : m_users) {
        Row row = audit("DS", m_setupDate);
        row.insert(row.end(), {user.code, user.name, user.group, "u" + user.code + "@hengxin-demo.cn"});
        users.add(row);
    }
    finish(users, "ADMMF");
}

void DemoData::writeSettings()
{
    static const std::vector<std::pair<std::string, std::string>> settings{
        {"Sys001", "1"}, {"Sys002", "/"}, {"Sys026", "1"}, {"Sys042", "Y"},
        {"Sys060", "Y"}, {"Sys174", "N"}, {"QRM002", "正式账套"}};
    static const char *const descriptions[] = {"日期显示方式", "日期分隔符", "日期类型（2 = 只用公历）",
                                               "启用传真/邮件传送", "启用电子签核", "电子签核使用 Web Service",
                                               "账套标记"};
    BulkInserter rows(m_db, m_options.companyDb, "SYSINFO", {"SETTING_NAME", "SETTING_VALUE", "DESCRIPTION"});
    for (std::size_t i = 0; i < settings.size(); ++i)
        rows.add({settings[i].first, settings[i].second, descriptions[i]});
    finish(rows, "SYSINFO");
}

// Rights strings: one character per right; 2 design, 3 delete format styles,
// 6 print and preview, 7 and 8 the lookup window's two switches.
void DemoData::writeRights()
{
    static const char *const rights[] = {"YYYYYYYY", "YYNYYYYY", "YNNYYYNN", "YNNYYYNN", "YYYYYYYY",
                                         "YNNYYYYN", "YNNYYNNN", "YYNYYYYY", "YNNYYYNN", "YNNNNNNN"};
    BulkInserter rows(m_db, m_options.companyDb, "USER_RIGHT",
                      {"USER_ID", "PROGRAM_CODE", "RIGHTS", "BASE_LIMITS", "DATA_FILTER", "APPLY_RULES"});
    for (std::size_t i = 0; i < m_users.size(); ++i) {
        const std::string &code = m_users[i].code;
        // Warehouse clerks see their own warehouses; one planner sees only
        // the slips of the production departments.
        const bool warehouse = m_users[i].group == "WH";
        const std::string filter = code == "0004" ? "MOCTC.TC021 IN ('D01','D02')" : "";
        rows.add({code, kProgram, rights[i], "", filter, warehouse ? "Y" : "N"});
    }
    finish(rows, "USER_RIGHT");

    BulkInserter rules(m_db, m_options.companyDb, "PERMISSION_RULE",
                       {"USER_ID", "PROGRAM_CODE", "RULE_NO", "TABLE_CODE", "RULE_CONDITION"});
    rules.add({"0002", kProgram, 1, "CMSMC", "CMSMC.MC001 IN ('W01','W02')"});
    rules.add({"0003", kProgram, 1, "CMSMC", "CMSMC.MC001 IN ('W03','W04')"});
    rules.add({"0003", kProgram, 2, "CMSMQ", "CMSMQ.MQ003 = '54'"});
    rules.add({"0008", kProgram, 1, "CMSMC", "CMSMC.MC001 = 'W05'"});
    finish(rules, "PERMISSION_RULE");
}

void DemoData::writeCodeTables()
{
    const auto codeNames = [this](const char *table, const char *code, const char *name,
                                  const std::vector<DemoNames::CodeName> &list) {
        BulkInserter rows(m_db, m_options.companyDb, table, withAudit({code, name}));
        for (const auto &entry : list) {
            Row row = audit("DS", m_setupDate);
            row.insert(row.end(), {entry.code, entry.name});
            rows.add(row);
        }
        finish(rows, table);
    };
    codeNames("CMSMB", "MB001", "MB002", DemoNames::factories());
    codeNames("CMSMD", "MD001", "MD002", DemoNames::workCentres());
    codeNames("CMSME", "ME001", "ME002", DemoNames::departments());
    codeNames("CMSNO", "NO001", "NO002", DemoNames::projects());
    codeNames("CMSMW", "MW001", "MW002", DemoNames::processes());
    codeNames("CMSMC", "MC001", "MC002", DemoNames::warehouses());

    BulkInserter employees(m_db, m_options.companyDb, "CMSMV", withAudit({"MV001", "MV002", "MV004"}));
    for (int i = 1; i <= 12; ++i) {
        Row row = audit("DS", m_setupDate);
        row.insert(row.end(), {"E" + zeroPadded(i, 3), DemoNames::personName(m_random),
                               m_random.pick(DemoNames::departments()).code});
        employees.add(row);
    }
    finish(employees, "CMSMV");
}

void DemoData::writeSuppliers()
{
    const int count = std::clamp(6 + m_options.slips / 100, 6, 200);
    BulkInserter rows(m_db, m_options.companyDb, "PURMA", withAudit({"MA001", "MA002", "MA003", "MA010", "MA011"}));
    for (int i = 1; i <= count; ++i) {
        const std::string code = "S" + zeroPadded(i, 4);
        const auto [full, brief] = DemoNames::supplierNames(m_random);
        // Some suppliers lack a fax number or an e-mail address, as real ones
        // do; sending to them must report it.
        const std::string fax = i % 7 == 0 ? "" : "0512-6" + zeroPadded(m_random.between(0, 9999999), 7);
        const std::string mail = i % 5 == 0 ? "" : "sales" + zeroPadded(i, 4) + "@supplier-demo.cn";
        Row row = audit("DS", m_setupDate);
        row.insert(row.end(), {code, brief, full, fax, mail});
        rows.add(row);
        m_suppliers.push_back(code);
        m_supplierNames[code] = brief;
    }
    finish(rows, "PURMA");
}

void DemoData::writeItems()
{
    const int count = std::clamp(40 + m_options.slips / 10, 40, 3000);
    const auto &kinds = DemoNames::itemKinds();
    const auto &warehouses = DemoNames::warehouses();
    BulkInserter items(m_db, m_options.companyDb, "INVMB", withAudit({"MB001", "MB002", "MB003", "MB004"}));
    BulkInserter stock(m_db, m_options.companyDb, "INVMC", withAudit({"MC001", "MC002", "MC003", "MC007"}));
    for (int i = 0; i < count; ++i) {
        const std::size_t kindIndex = std::size_t(i) % kinds.size();
        const auto &kind = kinds[kindIndex];
        Item item;
        item.code = zeroPadded(int(kindIndex) + 10, 2) + "-" + zeroPadded(i + 1, 5);
        item.name = kind.name;
        item.spec = m_random.pick(kind.specs);
        item.unit = kind.unit;
        item.warehouse = warehouses[std::size_t(m_random.between(0, 3))].code;
        item.location = item.warehouse + "-" + zeroPadded(m_random.between(1, 30), 2) + "-" + zeroPadded(m_random.between(1, 5), 2);
        if (m_random.chance(0.3)) {
            item.packUnit = "箱";
            item.packSize = m_random.pick(std::vector<double>{10, 20, 50, 100});
        }
        item.engineering = m_random.chance(0.1);
        Row row = audit("DS", m_setupDate);
        row.insert(row.end(), {item.code, item.name, item.spec, item.unit});
        items.add(row);
        row = audit("DS", m_setupDate);
        row.insert(row.end(), {item.code, item.warehouse, item.location, m_random.amount(0, 5000, 0)});
        stock.add(row);
        m_items.push_back(std::move(item));
    }
    finish(items, "INVMB");
    finish(stock, "INVMC");
}

// Lots of a third of the items, each with the receipt that brought it in and
// that receipt's inspection remark: purchase receipts are inspected in QMSTA,
// production receipts in QMSTD, outsourcing receipts in QMSTG.
void DemoData::writeLots()
{
    struct Receipt {
        const char *slipType, *table;
    };
    static const Receipt receipts[] = {{"3401", "QMSTA"}, {"5801", "QMSTD"}, {"5901", "QMSTG"}};
    BulkInserter lots(m_db, m_options.companyDb, "INVME",
                      withAudit({"ME001", "ME002", "ME017", "ME018", "ME019", "ME020", "ME021"}));
    std::map<std::string, std::unique_ptr<BulkInserter>> inspections;
    for (const auto &receipt : receipts) {
        const std::string p = std::string(receipt.table).substr(3, 2);
        inspections[receipt.table] = std::make_unique<BulkInserter>(
            m_db, m_options.companyDb, receipt.table, withAudit({p + "001", p + "002", p + "003", p + "026", p + "027"}));
    }
    std::map<std::string, int> receiptsPerDay;
    for (auto &item : m_items) {
        if (!m_random.chance(0.35))
            continue;
        const int count = m_random.between(1, 3);
        for (int i = 0; i < count; ++i) {
            const QDate received = m_start.addDays(-m_random.between(5, 120));
            const std::string lot = "L" + ymd(received).substr(2) + zeroPadded(i + 1, 2);
            const Receipt &receipt = receipts[m_random.between(0, 2)];
            const std::string number = ymd(received) + zeroPadded(++receiptsPerDay[ymd(received)], 3);
            const std::string line = zeroPadded(m_random.between(1, 5), 4);
            const bool bySupplier = receipt.table != std::string("QMSTD");
            const std::string partner = bySupplier ? m_random.pick(m_suppliers) : DemoNames::workCentres()[0].code;
            Row row = audit("0005", ymd(received));
            row.insert(row.end(), {item.code, lot, receipt.slipType, number, line, partner,
                                   bySupplier ? m_supplierNames[partner] : DemoNames::workCentres()[0].name});
            lots.add(row);
            item.lots.push_back(lot);
            if (m_random.chance(0.8)) {
                row = audit("0005", ymd(received));
                row.insert(row.end(), {receipt.slipType, number, line, ymd(received.addDays(1)),
                                       m_random.pick(DemoNames::inspectionRemarks())});
                inspections[receipt.table]->add(row);
            }
        }
    }
    finish(lots, "INVME");
    for (auto &[table, rows] : inspections)
        finish(*rows, table);
}

void DemoData::writeWorkOrders()
{
    const int count = std::clamp(m_options.slips / 4, 5, 20000);
    BulkInserter orders(m_db, m_options.companyDb, "MOCTA",
                        withAudit({"TA001", "TA002", "TA003", "TA006", "TA015", "TA016", "TA034", "TA035", "TA057",
                                   "TA058"}));
    BulkInserter materials(m_db, m_options.companyDb, "MOCTB",
                           withAudit({"TB001", "TB002", "TB003", "TB004", "TB005", "TB006", "TB019", "TB020"}));
    for (int i = 0; i < count; ++i) {
        WorkOrder order;
        order.type = i % 5 == 4 ? "5102" : "5101";
        const QDate opened = m_start.addDays(i * 365 / count - 10);
        order.number = ymd(opened) + zeroPadded(i % 1000, 3);
        const Item &product = m_random.pick(m_items);
        const double planned = m_random.between(10, 200) * 10.0;
        Row row = audit("0001", ymd(opened));
        row.insert(row.end(), {order.type, order.number, ymd(opened), product.code, planned,
                               m_random.amount(0, planned, 0), product.name, product.spec,
                               "PL" + ymd(opened).substr(2) + zeroPadded(i % 100, 2), "生产批次说明"});
        orders.add(row);
        std::set<std::size_t> used;
        const int parts = m_random.between(2, 6);
        for (int p = 0; p < parts; ++p) {
            const std::size_t item = std::size_t(m_random.between(0, int(m_items.size()) - 1));
            if (!used.insert(item).second)
                continue;
            const std::string process = m_random.pick(DemoNames::processes()).code;
            const double required = round3(planned * m_random.amount(0.5, 4, 1));
            const double issued = round3(required * m_random.amount(0, 1, 2));
            const double packSize = m_items[item].packSize;
            row = audit("0001", ymd(opened));
            row.insert(row.end(), {order.type, order.number, m_items[item].code, required, issued, process,
                                   round3(required / packSize), round3(issued / packSize)});
            materials.add(row);
            order.materials.push_back({item, process});
        }
        m_workOrders.push_back(std::move(order));
    }
    finish(orders, "MOCTA");
    finish(materials, "MOCTB");
}

void DemoData::writeSlipTypes()
{
    m_slipTypes = {{"5401", "厂内领料单", "54", 35}, {"5402", "委外领料单", "54", 20}, {"5403", "工单领料单", "54", 25},
                   {"5501", "厂内退料单", "55", 12}, {"5502", "委外退料单", "55", 8}};
    BulkInserter rows(m_db, m_options.companyDb, "CMSMQ",
                      withAudit({"MQ001", "MQ002", "MQ003", "MQ004", "MQ005", "MQ006", "MQ007", "MQ008", "MQ009",
                                 "MQ010", "MQ011", "MQ012", "MQ013"}));
    for (const auto &type : m_slipTypes) {
        const bool outsourced = type.code == "5402" || type.code == "5502";
        const bool workflow = type.code == "5403";
        Row row = audit("DS", m_setupDate);
        row.insert(row.end(), {type.code, type.name, type.nature, outsourced ? "F02" : "F01",
                               type.nature == "55" ? "N" : "Y", workflow ? kWorkflowSignOff : outsourced ? "S02" : "S01",
                               "Y", "N", workflow ? "Y" : "N", "", "Y", "恒信精密 " + type.name,
                               type.code == "5401" ? "N" : "Y"});
        rows.add(row);
    }
    finish(rows, "CMSMQ");
}

void DemoData::writeFooters()
{
    struct Lines {
        const char *kind, *code, *name, *line1, *line2, *line3;
    };
    static const Lines lines[] = {
        {"1", "F01", "标准页脚", "1. 领料时请当面核对品号、数量，如有差异当场提出。",
         "2. 本单一式三联：白联仓库、红联生管、黄联领料单位。", "3. 退料请另开退料单，注明原因。"},
        {"1", "F02", "委外页脚", "1. 委外加工材料请供应商签收后带回回执。", "2. 加工损耗超过 2% 须书面说明。",
         "3. 本单据作为对账依据，请妥善保管。"},
        {"2", "S01", "标准签核", "核准：____________", "审核：____________", "领料人：____________"},
        {"2", "S02", "委外签核", "核准：____________", "采购：____________", "供应商签收：____________"},
        {"2", kWorkflowSignOff, "电子签核", "", "", ""},
    };
    BulkInserter rows(m_db, m_options.companyDb, "CMSMS",
                      withAudit({"MS001", "MS002", "MS003", "MS004", "MS005", "MS006"}));
    for (const auto &entry : lines) {
        Row row = audit("DS", m_setupDate);
        row.insert(row.end(), {entry.kind, entry.code, entry.name, entry.line1, entry.line2, entry.line3});
        rows.add(row);
    }
    finish(rows, "CMSMS");
}

void DemoData::writeWorkflowForms()
{
    BulkInserter forms(m_db, m_options.companyDb, "ADMMQ", withAudit({"MQ001", "MQ002", "MQ003"}));
    Row row = audit("DS", m_setupDate);
    row.insert(row.end(), {kProgram, "5403", "工单领料单"});
    forms.add(row);
    finish(forms, "ADMMQ");
    BulkInserter services(m_db, m_options.companyDb, "ZQSMC", withAudit({"MC001", "MC002", "MC003", "MC004"}));
    row = audit("DS", m_setupDate);
    row.insert(row.end(), {kProgram, "5403", "工单领料单", "http://127.0.0.1:8090/ZQService"});
    services.add(row);
    finish(services, "ZQSMC");
}

void DemoData::writeSlips()
{
    const std::string db = m_options.companyDb;
    SlipWriters out{
        BulkInserter(m_db, db, "MOCTC",
                     withAudit({"TC001", "TC002", "TC003", "TC004", "TC005", "TC006", "TC007", "TC008", "TC009",
                                "TC010", "TC011", "TC012", "TC013", "TC014", "TC015", "TC016", "TC017", "TC018",
                                "TC021", "TC028", "TC029", "TC030", "TC031", "UDF01", "UDF51"})),
        BulkInserter(m_db, db, "MOCTE",
                     withAudit({"TE001", "TE002", "TE003", "TE004", "TE005", "TE006", "TE008", "TE009", "TE010",
                                "TE011", "TE012", "TE013", "TE014", "TE016", "TE017", "TE018", "TE019", "TE020",
                                "TE021", "TE022", "TE023", "TE024", "TE025", "TE026", "TE027", "TEC01"})),
        BulkInserter(m_db, db, "MOCTD", withAudit({"TD001", "TD002", "TD003", "TD004", "TD006"})),
        BulkInserter(m_db, db, "SIGNOFF_HISTORY",
                     {"FORM_TYPE", "SHEET_NO", "PARAM3", "PARAM4", "LEVEL_NO", "BRANCH_NO", "SERIAL_NO", "ROLE",
                      "RECEIVED_AT", "SIGNED_AT", "STATUS", "RECIPIENT_ID", "RECIPIENT_NAME", "APPROVER_ID",
                      "APPROVER_NAME", "POSITION_CODE", "APPROVER_TITLE", "OPINION"}),
    };
    int totalWeight = 0;
    for (const auto &type : m_slipTypes)
        totalWeight += type.weight;
    // About 100 slips a day at most, so a day's numbers never run out.
    const int days = std::max(365, m_options.slips / 100 + 1);
    std::map<std::string, int> perDay;
    for (int i = 0; i < m_options.slips; ++i) {
        Slip slip;
        int roll = m_random.between(1, totalWeight);
        for (const auto &type : m_slipTypes) {
            if ((roll -= type.weight) <= 0) {
                slip.type = &type;
                break;
            }
        }
        const QDate issued = m_start.addDays(qint64(i) * days / std::max(1, m_options.slips));
        slip.issueDate = ymd(issued);
        slip.slipDate = ymd(m_random.chance(0.2) ? issued.addDays(-1) : issued);
        const int seq = ++perDay[slip.type->code + slip.issueDate];
        slip.number = slip.issueDate + zeroPadded(seq, 3);
        ++m_lastNumber[slip.type->code];
        writeSlip(out, slip);
    }
    finish(out.headers, "MOCTC");
    finish(out.lines, "MOCTE");
    finish(out.workOrders, "MOCTD");
    finish(out.signOffs, "SIGNOFF_HISTORY");
}

void DemoData::writeSlip(SlipWriters &out, Slip &slip)
{
    const std::string &code = slip.type->code;
    const double approvalRoll = m_random.amount(0, 1, 3);
    slip.approval = approvalRoll < 0.7 ? "Y" : approvalRoll < 0.95 ? "N" : "V";
    slip.creator = m_users[std::size_t(m_random.between(1, int(m_users.size()) - 1))].code;
    slip.supplier = code == "5402" || code == "5502" ? m_random.pick(m_suppliers) : "";
    slip.project = m_random.chance(0.3) ? m_random.pick(DemoNames::projects()).code : "";
    if (code == "5403" || (code == "5401" && m_random.chance(0.5)))
        slip.workOrder = &m_random.pick(m_workOrders);
    slip.lines = m_random.chance(0.05) ? 0 : m_random.between(1, maxLinesPerSlip);
    slip.signOffStatus = code != "5403" ? "N"
                         : slip.approval == "Y" ? "3"
                         : slip.approval == "V" ? "5"
                                                : m_random.pick(std::vector<std::string>{"0", "S", "1", "2"});
    writeSlipLines(out, slip);
    if (code == "5403")
        writeSignOffs(out, slip);

    const int printCount = slip.approval == "Y" && m_random.chance(0.5) ? m_random.between(1, 3)
                           : slip.approval == "N" && m_random.chance(0.2) ? 1
                                                                          : 0;
    const bool sent = !slip.supplier.empty() && m_random.chance(0.3);
    Row row = audit(slip.creator, slip.slipDate);
    row.insert(row.end(),
               {code, slip.number, slip.issueDate, m_random.pick(DemoNames::factories()).code,
                slip.supplier.empty() ? m_random.pick(DemoNames::workCentres()).code : "", slip.supplier,
                m_random.chance(0.3) ? m_random.pick(DemoNames::phrases()) : "", slip.type->nature, slip.approval,
                printCount, "N", "N", m_random.chance(0.1) ? "Y" : "N", slip.slipDate,
                slip.approval == "N" ? "" : m_users[1].code, slip.signOffStatus, sent ? 1 : 0,
                slip.workOrder ? "1" : "0", m_random.pick(DemoNames::departments()).code,
                "E" + zeroPadded(m_random.between(1, 12), 3), round3(slip.quantity), round3(slip.packQuantity),
                slip.project, m_random.chance(0.2) ? "加急" : "", m_random.chance(0.2) ? m_random.amount(0, 100, 2) : 0.0});
    out.headers.add(row);
}

void DemoData::writeSlipLines(SlipWriters &out, Slip &slip)
{
    std::map<std::string, double> sets;
    for (int line = 1; line <= slip.lines; ++line) {
        const Material *material = nullptr;
        if (slip.workOrder && !slip.workOrder->materials.empty() && m_random.chance(0.85))
            material = &m_random.pick(slip.workOrder->materials);
        const Item &item = material ? m_items[material->item] : m_random.pick(m_items);
        const double quantity = m_random.chance(0.2) ? m_random.amount(0.5, 200, 1) : m_random.between(1, 500);
        const double pack = item.packUnit.empty() ? 0.0 : round3(quantity / item.packSize);
        const std::string lot = item.lots.empty() ? "" : m_random.pick(item.lots);
        slip.quantity += quantity;
        slip.packQuantity += pack;
        Row row = audit(slip.creator, slip.slipDate);
        row.insert(row.end(),
                   {slip.type->code, slip.number, zeroPadded(line, 4), item.code, quantity, item.unit, item.warehouse,
                    material ? material->process : "", lot, material ? slip.workOrder->type : "",
                    material ? slip.workOrder->number : "",
                    m_random.chance(0.25) ? m_random.pick(DemoNames::issueNotes()) : "",
                    m_random.chance(0.1) ? "注意防潮" : "", std::to_string(m_random.between(1, 4)), item.name, item.spec,
                    slip.approval, slip.project, pack, item.packUnit, lot.empty() ? "" : "批次 " + lot,
                    item.packSize, item.location, item.unit, quantity, item.engineering ? "1" : "2"});
        out.lines.add(row);
        if (material)
            sets[slip.workOrder->number] += 1;
    }
    for (const auto &[number, count] : sets) {
        Row row = audit(slip.creator, slip.slipDate);
        row.insert(row.end(), {slip.type->code, slip.number, slip.workOrder->type, number, count});
        out.workOrders.add(row);
    }
}

// Workflow slips carry the sign-off steps the workflow system recorded: the
// applicant, the section chief and, once approved, the manager.
void DemoData::writeSignOffs(SlipWriters &out, const Slip &slip)
{
    const std::string &status = slip.signOffStatus;
    if (status == "0" || status == "S")
        return;
    struct Step {
        const char *role, *title, *position;
    };
    static const Step steps[] = {{"申请人", "组长", "MOC01"}, {"部门主管", "课长", "MOC02"}, {"生管经理", "经理", "MOC03"}};
    const int done = status == "3" || status == "5" ? 3 : status == "2" ? 2 : 1;
    const int shown = std::min(3, done + (status == "1" ? 1 : 0));
    const QDate day = QDate::fromString(QString::fromStdString(slip.slipDate), QStringLiteral("yyyyMMdd"));
    const std::string date = day.toString(QStringLiteral("yyyy/MM/dd")).toStdString();
    for (int level = 1; level <= shown; ++level) {
        const Step &step = steps[level - 1];
        const User &who = level == 1 ? userOf(slip.creator) : m_users[std::size_t(level == 2 ? 1 : 0)];
        const bool signedOff = level <= done;
        const bool returned = status == "2" && level == done;
        const std::string received = date + " " + zeroPadded(8 + level, 2) + ":" + zeroPadded(level * 7, 2) + ":00";
        const std::string signedAt = signedOff ? date + " " + zeroPadded(9 + level, 2) + ":15:00" : "";
        out.signOffs.add({slip.type->code, slip.number, "", "", level, 1, 1, step.role, received, signedAt,
                          !signedOff ? "待签核" : returned ? "退回" : "同意", who.code, who.name,
                          signedOff ? who.code : "", signedOff ? who.name : "", step.position, step.title,
                          returned ? "数量有误，请修改后重送" : signedOff ? "同意" : ""});
    }
}

void DemoData::writePhrasesAndCounters()
{
    BulkInserter phrases(m_db, m_options.companyDb, "HOST_PHRASE", {"USER_ID", "PHRASE_NO", "PHRASE_TEXT"});
    int number = 0;
    for (const auto &phrase : DemoNames::phrases())
        phrases.add({"", ++number, phrase});
    finish(phrases, "HOST_PHRASE");
    BulkInserter counters(m_db, m_options.companyDb, "HOST_COUNTER", {"COUNTER_NAME", "COUNTER_VALUE"});
    for (const auto &type : m_slipTypes)
        counters.add({"MOCTC" + type.code, m_lastNumber[type.code]});
    finish(counters, "HOST_COUNTER");
}

} // namespace slip
