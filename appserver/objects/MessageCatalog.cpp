#include "objects/MessageCatalog.h"

#include "db/Transaction.h"
#include "platform/TextUtil.h"

#include <set>

#include <cctype>

namespace slip {

namespace {

constexpr std::size_t kNumberWidth = 6;

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Each row: kind, number, text. The arguments the callers pass are listed in
// the comment after a row when there are any.
const std::vector<CatalogMessage> kMessages = {
    // A failure recorded without a number of its own ("E;-1") is looked up
    // as number 1 once the sign is taken off.
    {"E", "000001", "程序执行时发生错误！"},
    {"E", "000003", "%s 不可空白，请输入！"},                       // caption of the input
    {"E", "000005", "日期输入错误，请输入正确的日期！"},
    {"E", "000006", "无法连接应用服务器，程序不能执行！"},
    {"E", "000015", "读取系统注册信息失败，请检查客户端的安装！"},
    {"E", "000016", "没有设置应用服务器的地址，请检查客户端设置！"},
    {"E", "000025", "读取资料时发生错误！应用服务器：%s，主机：%s"},  // address, host
    {"E", "000030", "执行参数打包失败：%s"},                         // reason
    {"E", "000036", "程序名称与程序代码不符，程序不能执行！"},
    {"E", "000037", "必须输入的栏位不可空白，请输入！"},
    {"E", "000038", "启动参数不完整，程序不能执行！"},
    {"E", "100007", "单别不存在，或不是本作业可用的单据性质！"},
    {"E", "100319", "格式名称的长度不可超过 20 个字符！"},
    {"I", "000003", "没有可执行的环境设置或选择条件！"},
    {"I", "000011", "制表日期不正确"},
    {"I", "000012", "纸张格式：%s\n纸张长度：%s\n纸张宽度：%s\n度量单位：%s"}, // paper, length, width, unit
    {"R", "100235", "页脚信息编号"},
    {"R", "100236", "签核信息编号"},
    {"R", "200235", "条件方案恢复失败，方案内容可能已经损坏！"},
    {"W", "000002", "%s 的项数应为 %d，实际为 %d！"},               // what, expected, found
    {"W", "000003", "%s 共 %d 项，第 %d 项为空白！"},               // what, count, position
    {"W", "000004", "%s 不存在，请重新输入！"},                     // what
    {"W", "000006", "没有符合条件的资料！"},
    {"W", "000014", "条件中指定的元件不存在或不能接受条件值！"},
};

} // namespace

const std::vector<CatalogMessage> &MessageCatalog::defaultMessages()
{
    return kMessages;
}

std::string MessageCatalog::normalisedKind(std::string_view kind)
{
    return kv::upperAscii(kv::trimBlanks(kind));
}

std::string MessageCatalog::normalisedNumber(std::string_view number)
{
    std::string result(kv::trimBlanks(number));
    if (allDigits(result) && result.size() < kNumberWidth)
        result.insert(0, kNumberWidth - result.size(), '0');
    return result;
}

std::optional<std::string> MessageCatalog::defaultText(std::string_view kind, std::string_view number)
{
    const std::string k = normalisedKind(kind);
    const std::string n = normalisedNumber(number);
    for (const auto &message : kMessages) {
        if (message.kind == k && message.number == n)
            return message.text;
    }
    return std::nullopt;
}

int MessageCatalog::seed(Database &database, const std::string &companyDb)
{
    const std::string table = database.qualifiedTable(companyDb, "HOST_MESSAGE");
    Transaction transaction(database);
    std::set<std::pair<std::string, std::string>> present;
    const kv::ResultTable rows = database.query("SELECT MSG_KIND, MSG_NO FROM " + table);
    for (int row = 0; row < rows.rowCount(); ++row)
        present.emplace(normalisedKind(rows.text(row, 0)), normalisedNumber(rows.text(row, 1)));
    int added = 0;
    for (const auto &message : kMessages) {
        if (present.count({message.kind, message.number}))
            continue;
        database.execute("INSERT INTO " + table + " (MSG_KIND, MSG_NO, MSG_TEXT) VALUES (:KIND, :NO, :TEXT)",
                         {{"KIND", message.kind}, {"NO", message.number}, {"TEXT", message.text}});
        ++added;
    }
    transaction.commit();
    return added;
}

std::string MessageCatalog::missingText(std::string_view kind, std::string_view number)
{
    return "Can not Get Message\rType= " + std::string(kind) + ", ID= " + std::string(number) + " ";
}

} // namespace slip
