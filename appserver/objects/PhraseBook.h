#pragma once
// The phrases a user may pick in the host's phrase window: the user's own
// and those kept for every user (blank user code), the user's first. A row
// is [0] phrase number, [1] phrase text, [2] owner (blank: every user).

#include "objects/HostDataQuery.h"

namespace slip {

class PhraseBook {
public:
    static const HostDataQuery &query();
};

} // namespace slip
