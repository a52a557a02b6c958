#include "schema/CompanySchema.h"

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace slip {
namespace {

// Lengths shared by many tables, so that a code joined from one table to
// another always fits.
constexpr int kSlipType = 4;
constexpr int kSlipNo = 11;
constexpr int kSeq = 4;
constexpr int kItem = 40;
constexpr int kItemName = 120;
constexpr int kCode = 10;
constexpr int kName = 60;
constexpr int kUser = 20;
constexpr int kLot = 20;
constexpr int kUnit = 4;
constexpr int kRemark = 255;
constexpr int kFlag = 1;

ColumnDef text(const char *name, int length, const char *comment)
{
    return {name, ColumnType::Text, length, 0, comment, 0};
}

ColumnDef date(const char *name, const char *comment)
{
    return {name, ColumnType::Date, 8, 0, comment, 0};
}

ColumnDef memo(const char *name, const char *comment)
{
    return {name, ColumnType::Memo, 0, 0, comment, 0};
}

ColumnDef number(const char *name, int precision, int scale, const char *comment)
{
    return {name, ColumnType::Numeric, precision, scale, comment, 0};
}

// Quantities carry three decimals, as the ERP's quantity columns do.
ColumnDef qty(const char *name, const char *comment)
{
    return number(name, 16, 3, comment);
}

ColumnDef integer(const char *name, const char *comment)
{
    return {name, ColumnType::Integer, 0, 0, comment, 0};
}

// Columns every ERP table carries in front of its own: who created and
// changed the row and when, and a change counter.
std::vector<ColumnDef> auditColumns()
{
    return {
        text("COMPANY", kCode, "company code of the row's owner"),
        text("CREATOR", kUser, "user code of the creator"),
        text("USR_GROUP", kCode, "user group of the creator"),
        date("CREATE_DATE", "creation date"),
        text("MODIFIER", kUser, "user code of the last change"),
        date("MODI_DATE", "date of the last change"),
        integer("FLAG", "change counter; 1 for a new row"),
    };
}

// The twelve user-defined fields of slip headers and lines: six texts and
// six numbers.
std::vector<ColumnDef> userFields(const char *owner)
{
    std::vector<ColumnDef> fields;
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "UDF0" + std::to_string(i);
        fields.push_back({name, ColumnType::Text, kRemark, 0,
                          std::string("user-defined text ") + std::to_string(i) + " of the " + owner, 0});
    }
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "UDF5" + std::to_string(i);
        fields.push_back({name, ColumnType::Numeric, 16, 4,
                          std::string("user-defined number ") + std::to_string(i) + " of the " + owner, 0});
    }
    return fields;
}

struct TableOptions {
    bool audit = false;
    const char *userFieldsOwner = nullptr;
};

TableDef table(const char *name, const char *comment, std::initializer_list<const char *> keys,
               std::vector<ColumnDef> columns, TableOptions options = {})
{
    TableDef def{name, comment, {}};
    if (options.audit)
        def.columns = auditColumns();
    def.columns.insert(def.columns.end(), columns.begin(), columns.end());
    if (options.userFieldsOwner) {
        auto udf = userFields(options.userFieldsOwner);
        def.columns.insert(def.columns.end(), udf.begin(), udf.end());
    }
    int position = 0;
    for (const char *key : keys) {
        ++position;
        bool found = false;
        for (auto &column : def.columns) {
            if (column.name == key) {
                column.keyPosition = position;
                found = true;
            }
        }
        if (!found)
            throw std::logic_error(std::string("key column ") + key + " missing in " + name);
    }
    return def;
}

constexpr TableOptions kErp{true, nullptr};

TableDef issueSlipHeader()
{
    return table("MOCTC", "material-issue slip header", {"TC001", "TC002"},
        {
            text("TC001", kSlipType, "slip type (CMSMQ)"),
            text("TC002", kSlipNo, "slip number"),
            date("TC003", "issue date"),
            text("TC004", kCode, "factory code (CMSMB)"),
            text("TC005", kCode, "work centre code (CMSMD)"),
            text("TC006", kCode, "outsourcing supplier code (PURMA)"),
            text("TC007", kRemark, "remark"),
            text("TC008", 2, "slip nature: 54 issue, 55 return"),
            text("TC009", kFlag, "approval code: Y approved, N not approved, V void"),
            integer("TC010", "print count; 0 = not printed"),
            text("TC011", kFlag, "cost entries generated (Y/N)"),
            text("TC012", kFlag, "generated in line order (Y/N)"),
            text("TC013", kFlag, "issue despite short stock (Y/N)"),
            date("TC014", "slip date"),
            text("TC015", kUser, "approver user code (ADMMF)"),
            text("TC016", kFlag, "sign-off status: 0 open, S sending, 1 signing, 2 returned, 3 approved, "
                                 "4 revoking, 5 void, 6 void revoked, N no electronic sign-off"),
            integer("TC017", "fax/e-mail send count; 0 = not sent"),
            text("TC018", kFlag, "source kind: 0 typed, 1 work order, 2-7 automatic issues"),
            text("TC019", kSlipType, "source slip type"),
            text("TC020", kSlipNo, "source slip number"),
            text("TC021", kCode, "department code (CMSME)"),
            text("TC028", kCode, "pick-up person code (CMSMV)"),
            qty("TC029", "total issue quantity of the slip"),
            qty("TC030", "total packing quantity of the slip"),
            text("TC031", kLot, "project code (CMSNO)"),
        },
        {true, "slip header"});
}

TableDef issueSlipLines()
{
    return table("MOCTE", "material-issue slip lines", {"TE001", "TE002", "TE003"},
        {
            text("TE001", kSlipType, "slip type"),
            text("TE002", kSlipNo, "slip number"),
            text("TE003", kSeq, "line number within the slip"),
            text("TE004", kItem, "material item code (INVMB)"),
            qty("TE005", "issue quantity"),
            text("TE006", kUnit, "unit"),
            text("TE008", kCode, "warehouse code (CMSMC)"),
            text("TE009", kUnit, "process code (CMSMW)"),
            text("TE010", kLot, "lot number"),
            text("TE011", kSlipType, "work-order type (MOCTA)"),
            text("TE012", kSlipNo, "work-order number (MOCTA)"),
            text("TE013", kRemark, "issue description"),
            text("TE014", kRemark, "remark"),
            text("TE015", kLot, "reserved field"),
            text("TE016", kFlag, "material type"),
            text("TE017", kItemName, "item name as issued"),
            text("TE018", kItemName, "item model and size as issued"),
            text("TE019", kFlag, "approval code: Y, N or V"),
            text("TE020", kLot, "project code"),
            qty("TE021", "packing quantity"),
            text("TE022", kUnit, "packing unit"),
            text("TE023", kRemark, "lot description"),
            number("TE024", 16, 6, "conversion rate of the packing unit"),
            text("TE025", kLot, "storage location"),
            text("TE026", kUnit, "stock unit"),
            qty("TE027", "quantity in the stock unit"),
            text("TEC01", kFlag, "item kind: 1 engineering item, 2 formal item"),
        },
        {true, "slip line"});
}

std::vector<TableDef> slipTables()
{
    return {
        issueSlipHeader(),
        issueSlipLines(),
        table("MOCTA", "work orders", {"TA001", "TA002"},
              {
                  text("TA001", kSlipType, "work-order type"),
                  text("TA002", kSlipNo, "work-order number"),
                  date("TA003", "order date"),
                  text("TA006", kItem, "product item code (INVMB)"),
                  qty("TA015", "planned output"),
                  qty("TA016", "sets issued so far"),
                  text("TA034", kItemName, "product name"),
                  text("TA035", kItemName, "product model and size"),
                  text("TA057", kLot, "production lot"),
                  text("TA058", kRemark, "production lot description"),
              },
              kErp),
        table("MOCTB", "materials required by work orders", {"TB001", "TB002", "TB003", "TB006"},
              {
                  text("TB001", kSlipType, "work-order type"),
                  text("TB002", kSlipNo, "work-order number"),
                  text("TB003", kItem, "material item code"),
                  qty("TB004", "required quantity"),
                  qty("TB005", "issued quantity"),
                  text("TB006", kUnit, "process code"),
                  qty("TB019", "required packing quantity"),
                  qty("TB020", "issued packing quantity"),
              },
              kErp),
        table("MOCTD", "work orders served by an issue slip", {"TD001", "TD002", "TD003", "TD004"},
              {
                  text("TD001", kSlipType, "issue slip type"),
                  text("TD002", kSlipNo, "issue slip number"),
                  text("TD003", kSlipType, "work-order type"),
                  text("TD004", kSlipNo, "work-order number"),
                  qty("TD006", "sets issued by the slip"),
              },
              kErp),
    };
}

TableDef codeNameTable(const char *name, const char *comment, const char *codeColumn, int codeLength,
                       const char *nameColumn, int nameLength, std::vector<ColumnDef> more = {})
{
    std::vector<ColumnDef> columns{text(codeColumn, codeLength, "code"), text(nameColumn, nameLength, "name")};
    columns.insert(columns.end(), more.begin(), more.end());
    return table(name, comment, {codeColumn}, columns, kErp);
}

TableDef slipTypes()
{
    return table("CMSMQ", "slip types and their print settings", {"MQ001"},
        {
            text("MQ001", kSlipType, "slip type code"),
            text("MQ002", kName, "slip type name"),
            text("MQ003", 2, "slip nature: 54 material issue, 55 material return"),
            text("MQ004", 6, "footer code (CMSMS kind 1)"),
            text("MQ005", kFlag, "footer editable on the condition window (Y/N)"),
            text("MQ006", 6, "sign-off code (CMSMS kind 2)"),
            text("MQ007", kFlag, "sign-off editable on the condition window (Y/N)"),
            text("MQ008", kFlag, "footer on every page (Y/N)"),
            text("MQ009", kFlag, "sign-off on every page (Y/N)"),
            text("MQ010", 20, "default format style"),
            text("MQ011", kFlag, "format style changeable (Y/N)"),
            text("MQ012", kName, "slip title printed on the slip"),
            text("MQ013", kFlag, "totals on every page (N = last page only)"),
        },
        kErp);
}

std::vector<TableDef> masterTables()
{
    return {
        slipTypes(),
        codeNameTable("CMSMB", "factories", "MB001", kCode, "MB002", kName),
        codeNameTable("CMSMD", "work centres", "MD001", kCode, "MD002", kName),
        codeNameTable("CMSME", "departments", "ME001", kCode, "ME002", kName),
        codeNameTable("CMSNO", "projects", "NO001", kLot, "NO002", kName),
        codeNameTable("CMSMV", "employees", "MV001", kCode, "MV002", kUser,
                      {text("MV004", kCode, "department code (CMSME)")}),
        codeNameTable("CMSMW", "processes", "MW001", kUnit, "MW002", kName),
        codeNameTable("CMSMC", "warehouses", "MC001", kCode, "MC002", kName),
        table("INVMB", "items", {"MB001"},
              {
                  text("MB001", kItem, "item code"),
                  text("MB002", kItemName, "item name"),
                  text("MB003", kItemName, "item model and size"),
                  text("MB004", kUnit, "stock unit"),
              },
              kErp),
        table("INVMC", "items per warehouse", {"MC001", "MC002"},
              {
                  text("MC001", kItem, "item code"),
                  text("MC002", kCode, "warehouse code"),
                  text("MC003", kLot, "storage location"),
                  qty("MC007", "quantity on hand"),
              },
              kErp),
        table("INVME", "item lots", {"ME001", "ME002"},
              {
                  text("ME001", kItem, "item code"),
                  text("ME002", kLot, "lot number"),
                  text("ME017", kSlipType, "receipt slip type that brought the lot in"),
                  text("ME018", kSlipNo, "receipt slip number"),
                  text("ME019", kSeq, "receipt slip line"),
                  text("ME020", kCode, "work centre or supplier code"),
                  text("ME021", kName, "work centre or supplier short name"),
              },
              kErp),
        table("PURMA", "suppliers", {"MA001"},
              {
                  text("MA001", kCode, "supplier code"),
                  text("MA002", kName, "short name"),
                  text("MA003", kItemName, "full name"),
                  text("MA010", 40, "fax number"),
                  text("MA011", 80, "e-mail address"),
              },
              kErp),
        table("ADMMF", "users", {"MF001"},
              {
                  text("MF001", kUser, "user code"),
                  text("MF002", kUser, "user name"),
                  text("MF004", kCode, "user group"),
                  text("MF005", 80, "e-mail address"),
              },
              kErp),
    };
}

TableDef inspectionTable(const char *name, const char *comment, const std::string &p)
{
    const auto col = [&p](const char *suffix) { return p + suffix; };
    std::vector<ColumnDef> columns{
        {col("001"), ColumnType::Text, kSlipType, 0, "receipt slip type", 0},
        {col("002"), ColumnType::Text, kSlipNo, 0, "receipt slip number", 0},
        {col("003"), ColumnType::Text, kSeq, 0, "receipt slip line", 0},
        {col("026"), ColumnType::Date, 8, 0, "inspection date", 0},
        {col("027"), ColumnType::Text, kRemark, 0, "inspection verdict remark", 0},
    };
    const std::string k1 = col("001"), k2 = col("002"), k3 = col("003");
    return table(name, comment, {k1.c_str(), k2.c_str(), k3.c_str()}, columns, kErp);
}

std::vector<TableDef> inspectionTables()
{
    return {
        inspectionTable("QMSTA", "incoming inspection of purchase receipts", "TA"),
        inspectionTable("QMSTD", "inspection of production receipts", "TD"),
        inspectionTable("QMSTG", "inspection of outsourcing receipts", "TG"),
    };
}

std::vector<TableDef> workflowTables()
{
    return {
        table("ADMMQ", "forms registered for workflow sign-off", {"MQ001", "MQ002"},
              {
                  text("MQ001", kCode, "program code"),
                  text("MQ002", kLot, "workflow form code (the slip type)"),
                  text("MQ003", kName, "form name"),
              },
              kErp),
        table("ZQSMC", "forms registered for web-service workflow sign-off", {"MC001", "MC002"},
              {
                  text("MC001", kCode, "program code"),
                  text("MC002", kLot, "workflow form code (the slip type)"),
                  text("MC003", kName, "form name"),
                  text("MC004", kRemark, "address of the workflow web service"),
              },
              kErp),
        table("SIGNOFF_HISTORY", "workflow sign-off steps of each form sheet",
              {"FORM_TYPE", "SHEET_NO", "PARAM3", "PARAM4", "LEVEL_NO", "BRANCH_NO", "SERIAL_NO"},
              {
                  text("FORM_TYPE", kSlipType, "form type (slip type)"),
                  text("SHEET_NO", kSlipNo, "sheet number (slip number)"),
                  text("PARAM3", kLot, "third key part of the form; empty when unused"),
                  text("PARAM4", kLot, "fourth key part of the form; empty when unused"),
                  integer("LEVEL_NO", "level number of the step"),
                  integer("BRANCH_NO", "branch number within the level"),
                  integer("SERIAL_NO", "serial number within the branch"),
                  text("ROLE", kName, "process role"),
                  text("RECEIVED_AT", 19, "time received, YYYY/MM/DD hh:nn:ss"),
                  text("SIGNED_AT", 19, "time signed, YYYY/MM/DD hh:nn:ss; empty while open"),
                  text("STATUS", kUser, "sign-off status"),
                  text("RECIPIENT_ID", kUser, "recipient user code"),
                  text("RECIPIENT_NAME", kUser, "recipient name"),
                  text("APPROVER_ID", kUser, "approver user code"),
                  text("APPROVER_NAME", kUser, "approver name"),
                  text("POSITION_CODE", kCode, "department position code"),
                  text("APPROVER_TITLE", kUser, "approver title"),
                  text("OPINION", kRemark, "approver's opinion"),
              }),
        table("ADMTA", "fax and e-mail send log, one row per receiver and send", {},
              {
                  text("TA001", kCode, "program code"),
                  text("TA002", 80, "receiver"),
                  text("TA003", kFlag, "sent successfully (Y/N)"),
                  text("TA004", kRemark, "message"),
                  text("TA005", 8, "time of the send, hh:nn:ss"),
                  date("TA006", "date of the send"),
              },
              kErp),
        table("ADMPL", "print and send ledger, one row per slip and output (print, PDF file, picture, send)", {},
              {
                  text("PL001", kCode, "program code"),
                  text("PL002", kCode, "table of the slip (MOCTC)"),
                  text("PL003", kUser, "slip key part 1 (slip type)"),
                  text("PL004", kUser, "slip key part 2 (slip number)"),
                  text("PL005", kUser, "user code of the clerk"),
                  date("PL006", "date of the output"),
                  text("PL007", 12, "time of the output, hh:mm:ss.zzz"),
                  text("PL008", kFlag, "kind: 1 printer, 2 PDF file, 3 picture file, 4 e-mail, 5 fax"),
                  text("PL009", kRemark, "printer name, file name, or receiver and address"),
                  text("PL010", kName, "fax server of a fax"),
                  integer("PL011", "pages of the slip that went out"),
                  text("PL012", kFlag, "output succeeded (Y/N)"),
                  integer("PL013", "the count column after this output (0 for a failed one; a picture file leaves it as it was)"),
                  text("PL014", kCode, "count column raised: TC010 printed, TC017 sent"),
                  text("PL015", kRemark, "message of a failed output"),
              },
              kErp),
    };
}

std::vector<TableDef> programTables()
{
    return {
        table("ADMMB", "programs", {"MB001"},
              {
                  text("MB001", kCode, "program code"),
                  text("MB002", kName, "program name"),
                  text("MB003", 3, "system code"),
                  text("MB004", kFlag, "program kind: R report, B batch, M maintenance"),
                  text("MB005", kUser, "version"),
                  text("MB006", kFlag, "write alert logs (Y/N)"),
                  text("MB007", 40, "application-server class name"),
                  text("MB008", kName, "program name in traditional Chinese"),
                  text("MB009", kName, "program name in English"),
              },
              kErp),
        table("CMSML", "companies", {"ML001"},
              {
                  text("ML001", kCode, "company code"),
                  text("ML002", kName, "company name"),
                  text("ML003", kItemName, "full company name"),
                  text("ML004", kRemark, "address"),
                  text("ML005", 40, "telephone"),
                  text("ML006", 40, "fax number"),
                  text("ML007", kUser, "tax number"),
                  text("ML008", 80, "e-mail address"),
              },
              kErp),
        table("CMSMT", "print settings of programs", {"MT001"},
              {
                  text("MT001", kCode, "program code"),
                  text("MT002", 6, "footer code (CMSMS kind 1)"),
                  text("MT003", kFlag, "footer editable (Y/N)"),
                  text("MT004", 6, "sign-off code (CMSMS kind 2)"),
                  text("MT005", kFlag, "sign-off editable (Y/N)"),
                  text("MT006", 20, "default format style"),
                  text("MT007", kFlag, "footer on every page (Y/N)"),
                  text("MT008", kFlag, "sign-off on every page (Y/N)"),
              },
              kErp),
        table("CMSMS", "footer and sign-off lines", {"MS001", "MS002"},
              {
                  text("MS001", kFlag, "kind: 1 footer, 2 sign-off"),
                  text("MS002", 6, "code"),
                  text("MS003", kName, "description"),
                  text("MS004", kRemark, "line 1"),
                  text("MS005", kRemark, "line 2"),
                  text("MS006", kRemark, "line 3"),
              },
              kErp),
        table("WARRANT", "stored layouts (format styles)", {"NT001", "NT002"},
              {
                  text("NT001", 40, "layout window class name"),
                  text("NT002", 20, "layout (format style) name"),
                  text("NT003", 3, "version, 1 to 999 then 1 again"),
                  memo("NT004", "layout text: the layout's differences from the built-in one"),
                  memo("NT005", "option state: component:class=value lines"),
                  integer("NT006", "size of the layout text in KB"),
              },
              kErp),
        table("GENES", "saved condition sets", {"CREATOR", "PROGRAMME", "NCONDITION"},
              {
                  text("NCONDITION", 20, "condition set name"),
                  text("CREATOR", kUser, "user code of the owner"),
                  text("PROGRAMME", kCode, "program code"),
                  date("CREATE_DATE", "date saved"),
                  memo("SCONDITION", "list of the saved controls: name.property;..."),
                  memo("VCONDITION", "control values, one line each"),
              }),
    };
}

std::vector<TableDef> hostTables()
{
    return {
        table("SYSINFO", "system settings of the company", {"SETTING_NAME"},
              {
                  text("SETTING_NAME", kUser, "setting name (Sys001, QRM002, ...)"),
                  text("SETTING_VALUE", kRemark, "setting value"),
                  text("DESCRIPTION", kName, "what the setting controls"),
              }),
        table("USER_RIGHT", "rights of users on programs", {"USER_ID", "PROGRAM_CODE"},
              {
                  text("USER_ID", kUser, "user code"),
                  text("PROGRAM_CODE", kCode, "program code"),
                  text("RIGHTS", kUser, "rights string, one character per right, Y grants it"),
                  text("BASE_LIMITS", kRemark, "base-data limits handed to the validator"),
                  text("DATA_FILTER", kRemark, "filter condition on the program's main table"),
                  text("APPLY_RULES", kFlag, "apply the data-permission rules (Y/N)"),
              }),
        table("PERMISSION_RULE", "data-permission rules per user and program",
              {"USER_ID", "PROGRAM_CODE", "RULE_NO"},
              {
                  text("USER_ID", kUser, "user code"),
                  text("PROGRAM_CODE", kCode, "program code"),
                  integer("RULE_NO", "rule number, 1 upwards"),
                  text("TABLE_CODE", kCode, "table the rule restricts"),
                  text("RULE_CONDITION", kRemark, "condition with columns qualified by the table code"),
              }),
        table("HOST_MESSAGE", "message catalogue of the host", {"MSG_KIND", "MSG_NO"},
              {
                  text("MSG_KIND", kFlag, "kind letter: C, D, W, E, I, Q or R"),
                  text("MSG_NO", 6, "six-digit message number"),
                  text("MSG_TEXT", kRemark, "text with format placeholders"),
                  text("MSG_TEXT_EN", kRemark, "English text"),
              }),
        table("HOST_PHRASE", "phrases offered by the host's phrase window", {"USER_ID", "PHRASE_NO"},
              {
                  text("USER_ID", kUser, "user code; empty for phrases of every user"),
                  integer("PHRASE_NO", "phrase number"),
                  text("PHRASE_TEXT", kRemark, "phrase text"),
              }),
        table("HOST_COUNTER", "counters handed out by the host's counter object", {"COUNTER_NAME"},
              {
                  text("COUNTER_NAME", 40, "counter name in upper case"),
                  integer("COUNTER_VALUE", "last value handed out"),
              }),
    };
}

std::vector<TableDef> catalogueTables()
{
    return {
        table(CompanySchema::tableCatalogue, "catalogue of the tables of this company database", {"TABLE_NAME"},
              {
                  text("TABLE_NAME", 40, "table name"),
                  text("DESCRIPTION", kRemark, "what the table holds"),
              }),
        table(CompanySchema::columnCatalogue, "catalogue of the columns of this company database",
              {"TABLE_NAME", "COLUMN_NAME"},
              {
                  text("TABLE_NAME", 40, "table name"),
                  text("COLUMN_NAME", 40, "column name"),
                  integer("ORDINAL", "position of the column in its table, 1 upwards"),
                  text("DATA_TYPE", kUser, "text, date, memo, numeric, integer or blob"),
                  integer("LENGTH", "declared length of text columns, precision of numbers, else 0"),
                  integer("SCALE", "decimals of numeric columns, else 0"),
                  integer("KEY_POSITION", "position in the primary key, 0 outside it"),
                  text("DESCRIPTION", kRemark, "what the column holds"),
              }),
    };
}

std::vector<TableDef> buildTables()
{
    std::vector<TableDef> all;
    for (auto part : {slipTables(), masterTables(), inspectionTables(), workflowTables(), programTables(),
                      hostTables(), catalogueTables()})
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

const std::vector<TableDef> &CompanySchema::tables()
{
    static const std::vector<TableDef> all = buildTables();
    return all;
}

} // namespace slip
