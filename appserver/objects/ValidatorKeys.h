#pragma once
// The table keys and functions the validator answers: for each, the row it
// returns (element positions as the callers read them) and how the argument
// array restricts it. docs/host-data.md lists them.

#include "objects/HostDataQuery.h"

#include <string_view>
#include <vector>

namespace slip {

class ValidatorKeys {
public:
    static const std::vector<HostDataQuery> &all();
    // See HostDataQuery::find; nullptr when unknown.
    static const HostDataQuery *find(std::string_view table, std::string_view key);
};

} // namespace slip
