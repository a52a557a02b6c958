#include "objects/ValidatorServer.h"

#include "objects/ValidatorKeys.h"

namespace slip {

ValidatorServer::ValidatorServer(std::shared_ptr<Database> database, std::string companyDb)
    : HostDataObject(progId, std::move(database), std::move(companyDb))
{
    // The edition and the user's base-data limits are set before every
    // check; they are kept for the host, the reads do not depend on them.
    addProperty(
        "ProductID", [this] { return kv::Variant(m_productId); },
        [this](const kv::Variant &value) { m_productId = value.toInt(); });
    addProperty(
        "BaseLimited", [this] { return kv::Variant(m_baseLimited); },
        [this](const kv::Variant &value) { m_baseLimited = kv::varToStr(value); });
    addMethod("QueryData", 5, 5, [this](std::vector<kv::Variant> &args) { return request("QueryData", args); });
    addMethod("CheckValue", 5, 5, [this](std::vector<kv::Variant> &args) { return request("CheckValue", args); });
}

kv::Variant ValidatorServer::request(const char *operation, std::vector<kv::Variant> &args)
{
    kv::Variant result;
    const kv::Variant found = guarded(operation, false, [&] {
        return kv::Variant(read(kv::varToStr(args[0].deref()), kv::varToStr(args[1].deref()),
                                kv::varToStr(args[2].deref()), args[3], result));
    });
    args[4].assign(result);
    return found;
}

bool ValidatorServer::read(const std::string &table, const std::string &key, const std::string &companyDb,
                           const kv::Variant &args, kv::Variant &result)
{
    result = kv::Variant();
    const HostDataQuery *query = ValidatorKeys::find(table, key);
    if (!query) {
        refuse("read", "unknown table key \"" + table + "\" with function \"" + key + "\"");
        return false;
    }
    useCompany(companyDb);
    return answer(*query, args, result);
}

bool ValidatorServer::answer(const HostDataQuery &query, const kv::Variant &args, kv::Variant &result)
{
    const HostDataQuery::Statement statement = query.statement(argumentList(args), {}, {}, query.manyRows ? 0 : 1);
    const kv::ResultTable rows = this->query(statement.sql, statement.params);
    if (query.manyRows) {
        result = query.rowsOf(rows, rows.rowCount());
        return rows.rowCount() > 0;
    }
    if (rows.rowCount() == 0)
        return false;
    result = query.rowOf(rows, 0);
    return true;
}

} // namespace slip
