#include "objects/PrintLedger.h"

#include "platform/Clock.h"
#include "schema/SchemaInfo.h"

#include <QString>

#include <algorithm>

namespace slip {

namespace {

constexpr const char *kLedger = "ADMPL";

// The text cut to the declared length of a ledger column (in characters).
std::string fitted(const char *column, const std::string &value)
{
    const std::optional<int> length = SchemaInfo::company().declaredLength(kLedger, column);
    if (!length)
        return value;
    const QString text = QString::fromStdString(value);
    return text.size() <= *length ? value : text.left(*length).toStdString();
}

} // namespace

bool PrintLedger::isKind(const std::string &kind)
{
    return kind.size() == 1 && kind[0] >= '1' && kind[0] <= '5';
}

LedgerOutput PrintLedger::checked(LedgerOutput output)
{
    if (!isKind(output.kind))
        throw StoreError("列印记录的输出方式无法接受: " + output.kind);
    if (output.pages < 0)
        throw StoreError("列印记录的页数不可为负: " + std::to_string(output.pages));
    output.target = fitted("PL009", output.target);
    output.faxServer = fitted("PL010", output.faxServer);
    output.message = fitted("PL015", output.message);
    return output;
}

void PrintLedger::append(const LedgerClerk &clerk, const LedgerRow &row)
{
    const LedgerOutput output = checked(row.output);
    const QDateTime now = kv::Clock::now();
    const std::string date = now.toString(QStringLiteral("yyyyMMdd")).toStdString();
    const std::string time = now.toString(QStringLiteral("hh:mm:ss.zzz")).toStdString();
    db().execute("INSERT INTO " + table(kLedger) +
                     " (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, FLAG, PL001, PL002, PL003, PL004, PL005, PL006,"
                     " PL007, PL008, PL009, PL010, PL011, PL012, PL013, PL014, PL015)"
                     " VALUES (:COMPANY, :CREATOR, '', :CREATED, 1, :PROGRAM, :TABLE, :KEY1, :KEY2, :USER, :DATE,"
                     " :TIME, :KIND, :TARGET, :FAXSERVER, :PAGES, :SUCCESS, :COUNT, :COLUMN, :MESSAGE)",
                 {{"COMPANY", fitted("COMPANY", clerk.company)},
                  {"CREATOR", fitted("CREATOR", clerk.user)},
                  {"CREATED", date},
                  {"PROGRAM", fitted("PL001", clerk.program)},
                  {"TABLE", row.table},
                  {"KEY1", fitted("PL003", row.keyPart1)},
                  {"KEY2", fitted("PL004", row.keyPart2)},
                  {"USER", fitted("PL005", clerk.user)},
                  {"DATE", date},
                  {"TIME", time},
                  {"KIND", output.kind},
                  {"TARGET", output.target},
                  {"FAXSERVER", output.faxServer},
                  {"PAGES", output.pages},
                  {"SUCCESS", std::string(output.success ? "Y" : "N")},
                  {"COUNT", row.countAfter},
                  {"COLUMN", fitted("PL014", row.countColumn)},
                  {"MESSAGE", output.message}});
}

kv::ResultTable PrintLedger::rows(const LedgerFilter &filter, int limit) const
{
    std::string where;
    SqlParams params;
    const auto restrict = [&](const std::string &value, const char *condition, const char *param) {
        if (value.empty())
            return;
        where += (where.empty() ? " WHERE " : " AND ") + std::string(condition);
        params.push_back({param, value});
    };
    restrict(filter.slipType, "PL003 = :SLIPTYPE", "SLIPTYPE");
    restrict(filter.slipNumber, "PL004 = :SLIPNO", "SLIPNO");
    restrict(filter.user, "PL005 = :USER", "USER");
    restrict(filter.dateFrom, "PL006 >= :DATEFROM", "DATEFROM");
    restrict(filter.dateTo, "PL006 <= :DATETO", "DATETO");
    restrict(filter.kind, "PL008 = :KIND", "KIND");
    return db().query("SELECT PL002, PL003, PL004, PL005, PL006, PL007, PL008, PL009, PL010, PL011, PL012, PL013,"
                      " PL014, PL015 FROM " +
                          table(kLedger) + where + " ORDER BY PL006 DESC, PL007 DESC LIMIT " +
                          std::to_string(std::max(1, limit)),
                      params);
}

} // namespace slip
