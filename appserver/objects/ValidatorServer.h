#pragma once
// The validator the host hands out as Com_Validator: reads one record (or a
// list) of a company table by a table key and function, for lookups and
// validity checks of the program windows.
//
// QueryData and CheckValue (table, key, company database, argument array,
// result) answer true with the row in result: a 1-D array in the key's row
// layout, or for list keys a 1-D array of such rows. Not found, an unknown
// key or a failure answer false with result unassigned (an empty array for
// list keys that found nothing); the reason is in LastError and the alert log.

#include "objects/HostDataObject.h"
#include "objects/HostDataQuery.h"

namespace slip {

class ValidatorServer : public HostDataObject {
public:
    static constexpr const char *progId = "QRM.Validator";

    explicit ValidatorServer(std::shared_ptr<Database> database, std::string companyDb = {});

    // The request behind QueryData and CheckValue; throws on a failure of
    // the database (the automation methods turn that into false).
    bool read(const std::string &table, const std::string &key, const std::string &companyDb,
              const kv::Variant &args, kv::Variant &result);

    int productId() const { return m_productId; }
    const std::string &baseLimited() const { return m_baseLimited; }

private:
    kv::Variant request(const char *operation, std::vector<kv::Variant> &args);
    bool answer(const HostDataQuery &query, const kv::Variant &args, kv::Variant &result);

    int m_productId = 0;
    std::string m_baseLimited;
};

} // namespace slip
