#pragma once
// Base of the objects that answer the host's data requests (counter,
// validator, lookup data, messages). Each works on one company database of a
// shared slip::Database: the one given at creation, set through the
// "CompanyDB" property, or named by a call that carries a company database.
//
// Requests run ERP-dialect SQL ($$TABLE, :NAME parameters) through the
// translator, so the same text serves SQLite and PostgreSQL. A request that
// fails never raises across the automation boundary: the object answers
// false or an empty value, keeps the reason in "LastError" and writes it to
// the alert log "HostData".

#include "db/Database.h"
#include "platform/DispatchObject.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace slip {

class HostDataObject : public kv::DispatchObject {
public:
    HostDataObject(std::string className, std::shared_ptr<Database> database, std::string companyDb);

    const std::string &companyDb() const { return m_companyDb; }
    // Binds the object to another company database; an empty name keeps the
    // current one. Throws when the company database does not exist.
    void useCompany(const std::string &companyDb);

    const std::string &lastError() const { return m_lastError; }

    // The elements of an argument array (any lower bound), or the value
    // itself as the only argument; none for an empty or null value.
    static std::vector<kv::Variant> argumentList(const kv::Variant &args);

protected:
    Database &database() { return *m_database; }

    // Runs an ERP-dialect statement on the bound company database.
    kv::ResultTable query(const std::string &erpSql, const SqlParams &params);
    std::int64_t execute(const std::string &erpSql, const SqlParams &params);

    // Runs body; an exception becomes fallback, with its reason kept and
    // logged under the operation's name. LastError is cleared first.
    kv::Variant guarded(const char *operation, const kv::Variant &fallback, const std::function<kv::Variant()> &body);
    // Records a refusal that is no exception (unknown key, bad argument).
    void refuse(const std::string &operation, const std::string &reason);

    // Throws when no company database is bound.
    void requireCompany() const;

private:
    std::string translated(const std::string &erpSql) const;

    std::shared_ptr<Database> m_database;
    std::string m_companyDb;
    std::set<std::string> m_openedCompanies; // upper case
    std::string m_lastError;
};

} // namespace slip
