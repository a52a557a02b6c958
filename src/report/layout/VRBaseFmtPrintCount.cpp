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

std::pair<int, int> TfrmVRBaseFmt::formsOfPages(int firstPage, int lastPage) const
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
    return {firstForm, lastForm};
}

int TfrmVRBaseFmt::lastWholeSlipForm(int lastForm) const
{
    if (lastForm >= QuickRep1->pages()->formCount())
        return lastForm;
    // The request of the slip lastForm belongs to: the last one at or before it.
    std::size_t at = m_printCounts.size();
    for (std::size_t i = 0; i < m_printCounts.size() && m_printCounts[i].first <= lastForm; ++i)
        at = i;
    if (at == m_printCounts.size())
        return lastForm;
    // A slip printed in parts (by warehouse) asks once a part: its parts
    // are the requests around it that name the same slip.
    const PrintCountRequest &slip = m_printCounts[at].second;
    std::size_t begin = at;
    while (begin > 0 && m_printCounts[begin - 1].second == slip)
        --begin;
    std::size_t end = at;
    while (end + 1 < m_printCounts.size() && m_printCounts[end + 1].second == slip)
        ++end;
    // Whole when the next slip starts right after lastForm; a slip that
    // goes on (a later part, or forms up to a later slip) was cut.
    const bool whole = end == at && end + 1 < m_printCounts.size() && m_printCounts[end + 1].first == lastForm + 1;
    return whole ? lastForm : m_printCounts[begin].first - 1;
}

void TfrmVRBaseFmt::CountPrintedPages(int firstPage, int lastPage)
{
    const auto [firstForm, lastForm] = formsOfPages(firstPage, lastPage);
    if (lastForm > 0)
        CountPrintedForms(firstForm, lastForm);
}

void TfrmVRBaseFmt::CountPrintedRanges(const std::vector<std::pair<int, int>> &printed, bool cutShort)
{
    std::string firstError;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        auto [firstForm, lastForm] = formsOfPages(printed[i].first, printed[i].second);
        // A job stopped in the middle of a slip printed only part of it:
        // that slip is not counted as printed.
        if (cutShort && i + 1 == printed.size())
            lastForm = lastWholeSlipForm(lastForm);
        if (lastForm < firstForm || lastForm <= 0)
            continue;
        try {
            CountPrintedForms(firstForm, lastForm);
        } catch (const std::exception &error) {
            // The other ranges were printed too: they still get their count.
            if (firstError.empty())
                firstError = error.what();
        }
    }
    if (!firstError.empty())
        throw std::runtime_error(firstError);
}

} // namespace kv
