#pragma once
// The command line of erp-host (kept stable: outside checks drive it):
//   erp-host --user USER --company COMPANY --db COMPANYDB [--module PATH]
//            [--registry FILE] [--show] [--grab FILE] [--conditions JSON]
//            [--print-to-pdf FILE] [--pages-json FILE]
//            [--layout-style NAME] [--dump-layout FILE]
//            [--store-layout NAME --layout-file FILE]
//            [--execute 5 --preview true|false]
//            [--execute 6 --key TYPE,NUMBER,SETTING --preview true|false]
//            [--execute 11 --key TYPE,NUMBER,SETTING --picture-kind 0..3
//                          --prefix PATH [--dpi N]]
//            [--execute 5|6|11 --params JSON] ...
//            [--send mail|fax [--fax-server NAME] [--subject TEXT]]
//            [--smtp URL] [--fax-spool DIR]       (HostSendOptions.h)
//            [--export-pdf FILE [--per-slip]]     (HostExportOptions.h)
// The options after an --execute build that command's parameter array:
//   5   [preview]
//   6   [preview, [type, number, setting]]
//   11  [[type, number, setting], picture kind, prefix, dpi] (without --dpi
//       the array ends after the prefix and the module uses 96 dpi)
// --params gives the array itself instead. --conditions and --params take
// JSON (or @FILE holding it); arrays become variant arrays.
//
// Settings for the module travel in environment variables that erp-host sets
// before it loads the module (the module reads them when it runs a report):
//   QIPR07_PRINT_PDF   --print-to-pdf: direct prints go into this PDF file instead of a printer.
//   QIPR07_PAGES_JSON  --pages-json: after each page generation the pages' texts are written here.
//   QIPR07_HEADLESS    1 when there is no screen: a preview generates its pages and shows no window.
//   QIPR07_LAYOUT_STYLE  --layout-style: the format style a run's layout window is created with.
//   QIPR07_DUMP_LAYOUT   --dump-layout: the layout text of a run's layout window, style applied, goes here.
// --store-layout is no module setting: once the window is open the host
// asks it (by name, StoreLayoutText) to store the text of --layout-file.

#include "HostExportOptions.h"
#include "HostSendOptions.h"
#include "platform/Variant.h"

#include <QStringList>

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace erphost {

class HostUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ExecuteCommand {
    int kind = 0;
    kv::Variant params; // unassigned when no parameters were given
};

struct HostOptions {
    std::string user;
    std::string company;
    std::string companyDb;
    std::string module;   // the module file
    std::string registry; // empty: the registry file in effect
    bool show = false;
    std::string grabFile; // --grab: a picture of the shown window goes here
    std::optional<kv::Variant> conditions;
    std::vector<ExecuteCommand> executes;
    std::string printToPdf; // absolute path, empty when not asked for
    std::string pagesJson;  // absolute path, empty when not asked for
    std::optional<std::string> layoutStyle; // --layout-style
    std::string dumpLayout;  // absolute path, empty when not asked for
    std::string storeLayout; // --store-layout: the style name, empty when not asked for
    std::string layoutFile;  // --layout-file: absolute path of the text to store
    bool helpShown = false; // --help: nothing else to do
    SendOptions send;       // --send and the mail and fax settings of the run
    ExportOptions exportPdf; // --export-pdf: the run as vector PDF after the preview

    // The start-up array handed to Open: [user, company, company database,
    // host window, host options].
    kv::Variant startupParams() const;
    // The environment variables the module is to find (see above); headless:
    // the run has no screen.
    std::vector<std::pair<std::string, std::string>> moduleEnvironment(bool headless) const;
};

// Parses the arguments (the program name first). defaultModule is used
// without --module; displayPresent decides whether the window is shown when
// neither --show nor --execute is given. Throws HostUsageError.
HostOptions parseHostOptions(const QStringList &arguments, const std::string &defaultModule, bool displayPresent);

// The usage text.
std::string hostUsage();

} // namespace erphost
