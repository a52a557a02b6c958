#pragma once
// "PowerData": a user's rights on a program and the data-permission package,
// from USER_RIGHT and PERMISSION_RULE. One variant array serves both uses
// the client makes of the reply:
//
//   [0] the filter on the program's main table (a condition the client adds
//       to its where text), empty for none
//   [1] "user,program,company,rights": the fourth comma field is the rights
//       string, one character per right, "Y" granting it
//   [2] the user's base-data limits, handed on to the validator
//   [3] the main table named at Connect
//   [4] "Y" when the permission rules below are to be applied, else "N"
//   [5] the permission rules: [n, rule 1, …, rule n], each rule the table
//       code, one blank and a condition on that table's columns
//
// A user without a rights row gets an empty rights string (no right
// granted), no filter and no rules.

#include "objects/CompanyStore.h"
#include "platform/Variant.h"

#include <string>

namespace slip {

struct ProgramSession;

class RightsData : public CompanyStore {
public:
    using CompanyStore::CompanyStore;

    kv::Variant powerData(const ProgramSession &session) const;

private:
    kv::Variant rules(const std::string &user, const std::string &program) const;
};

} // namespace slip
