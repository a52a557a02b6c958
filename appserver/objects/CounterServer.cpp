#include "objects/CounterServer.h"

#include "db/DatabaseError.h"
#include "db/Transaction.h"
#include "platform/TextUtil.h"
#include "schema/SchemaInfo.h"

#include <stdexcept>

namespace slip {

namespace {

// A counter created by two connections at once makes one of the inserts
// fail; the retry then finds the row the other one made.
constexpr int kAttempts = 3;

} // namespace

CounterServer::CounterServer(std::shared_ptr<Database> database, std::string companyDb)
    : HostDataObject(progId, std::move(database), std::move(companyDb))
{
    addMethod("GetSysInfo", 0, 1, [this](std::vector<kv::Variant> &) {
        return guarded("GetSysInfo", kv::Variant(), [this] { return systemSettings(); });
    });
    addMethod("GetCounter", 2, 3, [this](std::vector<kv::Variant> &args) { return getCounter(args); });
}

kv::Variant CounterServer::systemSettings()
{
    const kv::ResultTable rows =
        query("SELECT SETTING_NAME, SETTING_VALUE FROM $$SYSINFO ORDER BY SETTING_NAME", {});
    kv::VariantArray settings(kv::ArrayBounds{0, 1}, kv::ArrayBounds{0, rows.rowCount() - 1});
    for (int i = 0; i < rows.rowCount(); ++i) {
        settings.at(0, i) = kv::Variant(std::string(rows.text(i, 0)));
        settings.at(1, i) = kv::Variant(std::string(rows.text(i, 1)));
    }
    return kv::Variant(std::move(settings));
}

kv::Variant CounterServer::getCounter(std::vector<kv::Variant> &args)
{
    return guarded("GetCounter", kv::Variant(), [&] {
        if (args.size() > 2) {
            const std::vector<kv::Variant> company = argumentList(args[2]);
            if (company.size() > 1)
                useCompany(kv::varToStr(company[1]));
        }
        const std::int64_t value = nextValue(kv::varToStr(args[0].deref()), stepOf(args[1].deref()));
        args[1].assign(kv::Variant(value));
        return kv::Variant(value);
    });
}

std::int64_t CounterServer::stepOf(const kv::Variant &value)
{
    if (value.isEmptyOrNull())
        return 1;
    const std::int64_t step = value.toInt64();
    if (step < 0)
        throw std::invalid_argument("a counter cannot step by " + std::to_string(step));
    return step == 0 ? 1 : step;
}

std::int64_t CounterServer::nextValue(const std::string &name, std::int64_t step)
{
    const std::string key = kv::upperAscii(kv::trimBlanks(name));
    if (key.empty())
        throw std::invalid_argument("a counter needs a name");
    const auto length = SchemaInfo::company().declaredLength("HOST_COUNTER", "COUNTER_NAME");
    if (length && int(key.size()) > *length)
        throw std::invalid_argument("the counter name \"" + key + "\" is longer than " + std::to_string(*length)
                                    + " characters");
    requireCompany();
    for (int attempt = 1;; ++attempt) {
        try {
            return advance(key, step);
        } catch (const DatabaseError &) {
            if (attempt == kAttempts)
                throw;
        }
    }
}

std::int64_t CounterServer::advance(const std::string &name, std::int64_t step)
{
    const SqlParams params{{"NAME", name}, {"STEP", step}};
    Transaction transaction(database());
    if (execute("UPDATE $$HOST_COUNTER SET COUNTER_VALUE = COUNTER_VALUE + :STEP WHERE COUNTER_NAME = :NAME",
                params) == 0)
        execute("INSERT INTO $$HOST_COUNTER (COUNTER_NAME, COUNTER_VALUE) VALUES (:NAME, :STEP)", params);
    const kv::ResultTable rows =
        query("SELECT COUNTER_VALUE FROM $$HOST_COUNTER WHERE COUNTER_NAME = :NAME", {{"NAME", name}});
    const std::int64_t value = rows.integer(0, 0);
    transaction.commit();
    return value;
}

} // namespace slip
