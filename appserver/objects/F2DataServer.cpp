#include "objects/F2DataServer.h"

#include "objects/F2DataLookups.h"
#include "objects/PhraseBook.h"

#include <stdexcept>

namespace slip {

namespace {

// The request elements this object reads.
enum RequestElement { LookupName = 0, KeyText = 1, Conditions = 2, SearchText = 4, CompanyDb = 6 };
constexpr int kMinRequestSize = SearchText + 1;

class LookupRequest {
public:
    explicit LookupRequest(const kv::Variant &request)
    {
        const kv::Variant &value = request.deref();
        if (!value.isArray() || value.array().dimCount() != 1 || value.array().elementCount() < kMinRequestSize)
            throw std::invalid_argument("a lookup request is an array of at least " + std::to_string(kMinRequestSize)
                                        + " elements");
        m_array = &value.array();
    }

    kv::Variant element(int index) const
    {
        const int at = m_array->lowBound() + index;
        return at <= m_array->highBound() ? m_array->at(at).deref() : kv::Variant();
    }

    std::string text(int index) const { return kv::varToStr(element(index)); }

private:
    const kv::VariantArray *m_array = nullptr;
};

bool isFilter(const kv::Variant &condition)
{
    return condition.isArray() && condition.array().dimCount() == 1 && condition.array().elementCount() == 2;
}

} // namespace

F2DataServer::F2DataServer(std::shared_ptr<Database> database, std::string companyDb)
    : HostDataObject(progId, std::move(database), std::move(companyDb))
{
    addProperty(
        "RowLimit", [this] { return kv::Variant(m_rowLimit); },
        [this](const kv::Variant &value) { setRowLimit(value.toInt()); });
    addMethod("F2GetData", 1, 1, [this](std::vector<kv::Variant> &args) {
        return guarded("F2GetData", kv::Variant(), [&] { return lookupRows(args[0]); });
    });
    addMethod("GetPhrase", 2, 3, [this](std::vector<kv::Variant> &args) {
        return guarded("GetPhrase", kv::Variant(), [&] {
            return phraseRows(kv::varToStr(args[0].deref()), kv::varToStr(args[1].deref()));
        });
    });
}

void F2DataServer::setRowLimit(int limit)
{
    if (limit < 1)
        throw std::invalid_argument("the row limit must be at least 1, not " + std::to_string(limit));
    m_rowLimit = limit;
}

kv::Variant F2DataServer::lookupRows(const kv::Variant &request)
{
    const LookupRequest lookup(request);
    const HostDataQuery *query = F2DataLookups::find(lookup.text(LookupName), lookup.text(KeyText));
    if (!query)
        throw std::invalid_argument("unknown lookup \"" + lookup.text(LookupName) + "\" with key \""
                                    + lookup.text(KeyText) + "\"");
    std::vector<kv::Variant> args;
    std::vector<HostDataQuery::Filter> filters;
    for (const auto &condition : argumentList(lookup.element(Conditions))) {
        if (isFilter(condition)) {
            const kv::VariantArray &pair = condition.array();
            filters.emplace_back(kv::varToStr(pair.at(pair.lowBound())), pair.at(pair.highBound()).deref());
        } else {
            args.push_back(condition);
        }
    }
    useCompany(lookup.text(CompanyDb));
    return rowsFor(*query, args, filters, lookup.text(SearchText));
}

kv::Variant F2DataServer::phraseRows(const std::string &userId, const std::string &companyDb)
{
    useCompany(companyDb);
    return rowsFor(PhraseBook::query(), {kv::Variant(userId)}, {}, {});
}

kv::Variant F2DataServer::rowsFor(const HostDataQuery &query, const std::vector<kv::Variant> &args,
                                  const std::vector<HostDataQuery::Filter> &filters, const std::string &search)
{
    // One row more than sent tells whether the list was cut.
    const HostDataQuery::Statement statement = query.statement(args, filters, search, m_rowLimit + 1);
    const kv::ResultTable result = this->query(statement.sql, statement.params);
    return kv::varArrayOf({kv::Variant(query.title), query.columnNames(), query.columnCaptions(),
                           query.rowsOf(result, m_rowLimit), kv::Variant(result.rowCount() > m_rowLimit)});
}

} // namespace slip
