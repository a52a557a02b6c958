// TfrmVRBaseFmt: print counts. The layout asks for a slip's count while the
// pages are generated; the count is raised when those pages are printed.

#include "report/layout/VRBaseFmt.h"

#include "platform/report/PageStore.h"
#include "platform/report/Report.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace kv {

void TfrmVRBaseFmt::RequestPrintCount(const std::string &table, const std::string &column,
                                      const std::string &filter)
{
    if (table.empty() || column.empty() || filter.empty())
        return; // a count without its slip would raise every row of the table
    m_printCounts.emplace_back(PageCount, PrintCountRequest{table, column, filter});
}

std::vector<TfrmVRBaseFmt::PrintCountRequest> TfrmVRBaseFmt::PrintCountRequests(int firstForm,
                                                                                 int lastForm) const
{
    std::vector<PrintCountRequest> requests;
    for (std::size_t i = 0; i < m_printCounts.size(); ++i) {
        const int first = m_printCounts[i].first;
        // The slip goes on until the next form that asks for a count.
        int last = INT_MAX;
        for (std::size_t next = i + 1; next < m_printCounts.size(); ++next) {
            if (m_printCounts[next].first > first) {
                last = m_printCounts[next].first - 1;
                break;
            }
        }
        const PrintCountRequest &request = m_printCounts[i].second;
        if (first <= lastForm && last >= firstForm &&
            std::find(requests.begin(), requests.end(), request) == requests.end())
            requests.push_back(request);
    }
    return requests;
}

void TfrmVRBaseFmt::CountPrintedForms(int firstForm, int lastForm)
{
    if (PrintCountMode == 0)
        return;
    std::string firstError;
    for (const PrintCountRequest &request : PrintCountRequests(firstForm, lastForm)) {
        try {
            UpdatePrintCount(request.table, request.column, request.filter);
        } catch (const std::exception &error) {
            // The other slips were printed too: they still get their count.
            if (firstError.empty())
                firstError = error.what();
        }
    }
    if (!firstError.empty())
        throw std::runtime_error(firstError);
}

void TfrmVRBaseFmt::CountPrintedPages(int firstPage, int lastPage)
{
    const PageStore *pages = QuickRep1->pages();
    int firstForm = INT_MAX;
    int lastForm = 0;
    for (int form = 1; form <= pages->formCount(); ++form) {
        const int page = pages->pageOfForm(form);
        if (page >= firstPage && page <= lastPage) {
            firstForm = std::min(firstForm, form);
            lastForm = std::max(lastForm, form);
        }
    }
    if (lastForm > 0)
        CountPrintedForms(firstForm, lastForm);
}

} // namespace kv
