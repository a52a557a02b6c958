#include "report/layout/OutputLedger.h"

#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "platform/Dispatch.h"
#include "platform/Variant.h"
#include "platform/report/PageStore.h"
#include "report/layout/VRBaseFmt.h"

#include <algorithm>
#include <climits>
#include <map>
#include <vector>

namespace kv::output_ledger {

void record(TfrmVRBaseFmt &layout, const Output &output, int firstForm, int lastForm)
{
    if (lastForm < firstForm)
        return;
    // A slip's pages in this output: its forms among first..last (a slip
    // printed by warehouse asks once per part, so its parts add up).
    using Request = TfrmVRBaseFmt::PrintCountRequest;
    std::vector<Request> order;
    std::map<std::string, int> forms; // by filter, within its table
    for (int form = firstForm; form <= lastForm; ++form) {
        for (const Request &request : layout.PrintCountRequests(form, form)) {
            const std::string key = request.table + '\n' + request.filter;
            if (forms[key]++ == 0)
                order.push_back(request);
        }
    }
    for (const Request &request : order) {
        try {
            const Variant entry =
                varArrayOf({request.table, request.column, request.filter, output.kind, output.target,
                            forms[request.table + '\n' + request.filter], output.success, std::string(),
                            output.message});
            Variant converted = layout.KvConverter()->RecoverDataString(entry);
            layout.ProgramServer()->call("RecordPrintLedger", {Variant::ref(converted)});
        } catch (const std::exception &error) {
            WriteToAlertFile("QIPR07", "The ledger row of " + request.filter + " was not written: " + error.what(),
                             "D");
        }
    }
}

std::pair<int, int> formsOfPages(const PageStore &pages, int firstPage, int lastPage)
{
    int first = INT_MAX;
    int last = 0;
    for (int form = 1; form <= pages.formCount(); ++form) {
        const int page = pages.pageOfForm(form);
        if (page >= firstPage && page <= lastPage) {
            first = std::min(first, form);
            last = std::max(last, form);
        }
    }
    return last == 0 ? std::pair{1, 0} : std::pair{first, last};
}

} // namespace kv::output_ledger
