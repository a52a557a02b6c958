#include "objects/HostDataObject.h"

#include "lib/LibStrs.h"
#include "platform/TextUtil.h"
#include "schema/SchemaInfo.h"
#include "sql/SqlTranslator.h"

#include <stdexcept>

namespace slip {

namespace {

constexpr const char *kAlertLog = "HostData";

SqlDialect dialectOf(DbEngine engine)
{
    return engine == DbEngine::PostgreSQL ? SqlDialect::PostgreSQL : SqlDialect::SQLite;
}

} // namespace

HostDataObject::HostDataObject(std::string className, std::shared_ptr<Database> database, std::string companyDb)
    : kv::DispatchObject(std::move(className))
    , m_database(std::move(database))
{
    if (!m_database)
        throw std::invalid_argument(this->className() + " needs a database");
    useCompany(companyDb);
    addProperty(
        "CompanyDB", [this] { return kv::Variant(m_companyDb); },
        [this](const kv::Variant &value) { useCompany(kv::varToStr(value)); });
    addProperty("LastError", [this] { return kv::Variant(m_lastError); });
}

void HostDataObject::useCompany(const std::string &companyDb)
{
    const std::string name(kv::trimBlanks(companyDb));
    if (name.empty())
        return;
    const std::string key = kv::upperAscii(name);
    if (!m_openedCompanies.count(key)) {
        // Opening checks the name and attaches the company on every
        // connection of the database; it is needed once per company.
        m_database->openCompany(name, OpenMode::Existing);
        m_openedCompanies.insert(key);
    }
    m_companyDb = name;
}

std::vector<kv::Variant> HostDataObject::argumentList(const kv::Variant &args)
{
    const kv::Variant &value = args.deref();
    if (value.isEmptyOrNull())
        return {};
    if (!value.isArray())
        return {value};
    const kv::VariantArray &array = value.array();
    if (array.dimCount() != 1)
        throw std::invalid_argument("the argument array must have one dimension");
    std::vector<kv::Variant> list;
    for (int i = array.lowBound(); i <= array.highBound(); ++i)
        list.push_back(array.at(i).deref());
    return list;
}

void HostDataObject::requireCompany() const
{
    if (m_companyDb.empty())
        throw std::runtime_error("no company database is set (property CompanyDB)");
}

std::string HostDataObject::translated(const std::string &erpSql) const
{
    requireCompany();
    const SqlTranslator translator(dialectOf(m_database->engine()), SchemaInfo::company());
    return translator.translate(erpSql, m_companyDb).text;
}

kv::ResultTable HostDataObject::query(const std::string &erpSql, const SqlParams &params)
{
    return m_database->query(translated(erpSql), params);
}

std::int64_t HostDataObject::execute(const std::string &erpSql, const SqlParams &params)
{
    return m_database->execute(translated(erpSql), params);
}

kv::Variant HostDataObject::guarded(const char *operation, const kv::Variant &fallback,
                                    const std::function<kv::Variant()> &body)
{
    m_lastError.clear();
    try {
        return body();
    } catch (const std::exception &error) {
        refuse(operation, error.what());
    } catch (...) {
        refuse(operation, "unknown failure");
    }
    return fallback;
}

void HostDataObject::refuse(const std::string &operation, const std::string &reason)
{
    m_lastError = className() + "." + operation + ": " + reason;
    kv::WriteToAlertFile(kAlertLog, m_lastError, "D");
}

} // namespace slip
