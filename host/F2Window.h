#pragma once
// Com_F2Window: the host's lookup, calendar and phrase windows as one
// automation object. The rows come from the lookup data object ("QRM.F2Data");
// this object shows them modally (through kv::Prompter, so tests can answer)
// and hands back what the user picked:
//   F2GetData (request)                 → the picked row, unassigned when
//                                         cancelled or nothing was found
//   ShowInputDay ([minguo, start, db])  → "YYYYMMDD", empty when cancelled
//   GetPhrase (user, db, window handle) → the phrase text, empty when
//                                         cancelled or none exists

#include "platform/DispatchObject.h"

#include <functional>

namespace erphost {

class F2Window : public kv::DispatchObject {
public:
    static constexpr const char *progId = "QRM.F2Window";
    // Position of the search text in the 19-element lookup request.
    static constexpr int kSearchElement = 4;

    // The lookup data object is created on first use.
    explicit F2Window(std::function<kv::DispatchPtr()> lookupData);

    kv::Variant lookup(const kv::Variant &request);
    std::string pickDay(const kv::Variant &args);
    std::string pickPhrase(const kv::Variant &userId, const kv::Variant &companyDb);

private:
    kv::DispatchPtr data();
    // Runs the lookup dialog over a reply; the picked row or unassigned.
    kv::Variant pickRow(const kv::Variant &reply, const std::function<kv::Variant(const std::string &)> &searcher,
                        const std::string &searchText);

    std::function<kv::DispatchPtr()> m_makeData;
    kv::DispatchPtr m_data;
};

} // namespace erphost
