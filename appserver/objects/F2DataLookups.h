#pragma once
// The lookups the program windows open through the host's lookup window
// (F2), by lookup name and key text: the candidate rows' columns with their
// captions, how the caller's conditions restrict them and which columns a
// search text looks in. Element 0 of a row is the code the window takes
// over; docs/host-data.md lists each lookup with its row layout.

#include "objects/HostDataQuery.h"

#include <string_view>
#include <vector>

namespace slip {

class F2DataLookups {
public:
    static const std::vector<HostDataQuery> &all();
    // See HostDataQuery::find; nullptr when unknown.
    static const HostDataQuery *find(std::string_view name, std::string_view key);
};

} // namespace slip
