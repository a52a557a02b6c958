#pragma once
// The command line of erp-host (kept stable; later commands add to it):
//   erp-host --user USER --company COMPANY --db COMPANYDB [--module PATH]
//            [--registry FILE] [--show] [--conditions JSON]
//            [--execute 5|6|11 [--params JSON]] ...
// --conditions and --params take JSON (or @FILE holding it); arrays become
// variant arrays. The n-th --params belongs to the n-th --execute.

#include "platform/Variant.h"

#include <QStringList>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace erphost {

class HostUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ExecuteCommand {
    int kind = 0;
    kv::Variant params; // unassigned when no --params was given
};

struct HostOptions {
    std::string user;
    std::string company;
    std::string companyDb;
    std::string module;   // the module file
    std::string registry; // empty: the registry file in effect
    bool show = false;
    std::optional<kv::Variant> conditions;
    std::vector<ExecuteCommand> executes;
    bool helpShown = false; // --help: nothing else to do

    // The start-up array handed to Open: [user, company, company database,
    // host window, host options].
    kv::Variant startupParams() const;
};

// Parses the arguments (the program name first). defaultModule is used
// without --module; displayPresent decides whether the window is shown when
// neither --show nor --execute is given. Throws HostUsageError.
HostOptions parseHostOptions(const QStringList &arguments, const std::string &defaultModule, bool displayPresent);

// The usage text.
std::string hostUsage();

} // namespace erphost
