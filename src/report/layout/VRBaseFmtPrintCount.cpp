// TfrmVRBaseFmt: print counts. The layout asks for a slip's count while the
// pages are generated; the count is raised when those pages are printed.

#include "report/layout/VRBaseFmt.h"

#include "report/layout/OutputLedger.h"

#include "lib/LibStrs.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <array>
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
    // The ledger rows of these counts give the slips' pages on these forms
    // and the output the print path noted, which ends with this print.
    struct LedgerScope {
        TfrmVRBaseFmt &layout;
        ~LedgerScope()
        {
            layout.m_countedForms = {1, 0};
            layout.m_notedOutput.reset();
        }
    } scope{*this};
    m_countedForms = {firstForm, lastForm};
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
    return output_ledger::formsOfPages(*QuickRep1->pages(), firstPage, lastPage);
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
    // Each range's counts end the noted output; the whole job went there.
    const auto noted = m_notedOutput;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        m_notedOutput = noted;
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

// ---------------------------------------------------------------- ledger

namespace {

// The fields of one send-page entry list "page,table;column;filter;...":
// (table, column, filter) of every entry that names its slip. A ";" inside
// a quoted slip key belongs to the key.
std::vector<std::array<std::string, 3>> sentSlips(const std::string &entries)
{
    std::vector<std::array<std::string, 3>> slips;
    std::size_t at = 0;
    while (at < entries.size()) {
        const std::size_t comma = entries.find(',', at);
        if (comma == std::string::npos)
            break;
        at = comma + 1;
        std::array<std::string, 3> fields;
        for (std::string &field : fields) {
            bool quoted = false;
            for (; at < entries.size() && (quoted || entries[at] != ';'); ++at) {
                if (entries[at] == '\'')
                    quoted = !quoted;
                field += entries[at];
            }
            ++at;
        }
        if (!fields[0].empty() && !fields[1].empty() && !fields[2].empty())
            slips.push_back(fields);
    }
    return slips;
}

// The receiver's line of SendTargets ("receiver=mail|fax|entries").
struct ReceiverLine {
    std::string receiver;
    std::string email;
    std::string fax;
    std::string entries;
};

ReceiverLine receiverLine(const QString &line)
{
    ReceiverLine result;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    result.receiver = line.left(equals).toStdString();
    const QStringList parts = line.mid(equals + 1).split(QLatin1Char('|'));
    result.email = parts.value(0).trimmed().toStdString();
    result.fax = parts.value(1).trimmed().toStdString();
    result.entries = parts.size() > 2 ? QStringList(parts.mid(2)).join(QLatin1Char('|')).toStdString() : std::string();
    return result;
}

} // namespace

void TfrmVRBaseFmt::NoteOutput(const QPrinter &printer)
{
    if (!printer.outputFileName().isEmpty())
        m_notedOutput = LedgerTarget{output_ledger::kPdfFile, printer.outputFileName().toStdString()};
    else
        m_notedOutput = LedgerTarget{output_ledger::kPrinter, printer.printerName().toStdString()};
}

void TfrmVRBaseFmt::NoteSendWay(int kind, const std::string &faxCaption)
{
    m_sendKind = kind;
    m_faxServer.clear();
    const std::size_t open = faxCaption.rfind('(');
    const std::size_t close = faxCaption.rfind(')');
    if (kind == 2 && open != std::string::npos && close != std::string::npos && close > open)
        m_faxServer = faxCaption.substr(open + 1, close - open - 1);
}

TfrmVRBaseFmt::LedgerTarget TfrmVRBaseFmt::printTarget() const
{
    if (m_notedOutput)
        return *m_notedOutput;
    if (!PrintFileName.isEmpty())
        return {output_ledger::kPdfFile, PrintFileName.toStdString()};
    std::string printer;
    try {
        printer = QuickRep1->printerInfo().printerName().toStdString();
    } catch (const std::exception &) {
        // No printer installed: the row keeps an empty printer name.
    }
    return {output_ledger::kPrinter, printer};
}

TfrmVRBaseFmt::LedgerTarget TfrmVRBaseFmt::sendTarget(const std::string &filter, std::string &faxServer) const
{
    faxServer = m_faxServer;
    LedgerTarget target{m_sendKind == 1 ? output_ledger::kMail : m_sendKind == 2 ? output_ledger::kFax : "", {}};
    for (const QString &line : SendTargets) {
        const ReceiverLine receiver = receiverLine(line);
        const auto slips = sentSlips(receiver.entries);
        if (std::none_of(slips.begin(), slips.end(), [&](const auto &slip) { return slip[2] == filter; }))
            continue;
        if (target.kind.empty())
            target.kind = receiver.email.empty() ? output_ledger::kFax : output_ledger::kMail;
        const std::string &address = target.kind == output_ledger::kMail ? receiver.email : receiver.fax;
        target.target = address.empty() || address == receiver.receiver ? receiver.receiver
                                                                        : receiver.receiver + " <" + address + ">";
        break;
    }
    if (target.kind.empty())
        target.kind = SendModes == 1 ? output_ledger::kMail : output_ledger::kFax;
    if (target.kind != output_ledger::kFax)
        faxServer.clear();
    return target;
}

int TfrmVRBaseFmt::slipForms(const std::string &table, const std::string &filter) const
{
    // A slip printed by warehouse asks once per part: its forms are the sum.
    const int first = m_countedForms.first;
    const int last = m_countedForms.second > 0 ? m_countedForms.second : PageCount;
    int forms = 0;
    for (std::size_t i = 0; i < m_printCounts.size(); ++i) {
        const PrintCountRequest &request = m_printCounts[i].second;
        if (request.table != table || request.filter != filter)
            continue;
        const int from = m_printCounts[i].first;
        int to = PageCount;
        for (std::size_t next = i + 1; next < m_printCounts.size(); ++next) {
            if (m_printCounts[next].first > from) {
                to = m_printCounts[next].first - 1;
                break;
            }
        }
        forms += std::max(0, std::min(to, last) - std::max(from, first) + 1);
    }
    return forms;
}

Variant TfrmVRBaseFmt::PrintCountRequestArray(const std::string &table, const std::string &column,
                                              const std::string &filter, bool success,
                                              const std::string &message) const
{
    std::string faxServer;
    const LedgerTarget target = PrintCountMode == 2 ? sendTarget(filter, faxServer) : printTarget();
    return varArrayOf({table, column, filter, target.kind, target.target, slipForms(table, filter), success,
                       faxServer, message});
}

void TfrmVRBaseFmt::RecordExport(const std::string &base, int type)
{
    static const char *const extensions[] = {".bmp", ".jpg", ".gif", ".pdf"};
    const std::string files = base + "*" + (type >= 0 && type <= 3 ? extensions[type] : "");
    output_ledger::record(*this, {output_ledger::kPictureFile, files, true, {}}, 1, PageCount);
}

void TfrmVRBaseFmt::RecordSendResult(const std::string &entry, bool failed)
{
    if (!failed)
        return; // the slips that went were recorded with their counts
    const std::size_t bar = entry.find('|');
    const QString prefix = QString::fromStdString(entry.substr(0, bar)) + QLatin1Char('=');
    const std::string message = bar == std::string::npos ? std::string() : entry.substr(bar + 1);
    for (const QString &line : SendTargets) {
        if (!line.startsWith(prefix))
            continue;
        for (const auto &[table, column, filter] : sentSlips(receiverLine(line).entries)) {
            try {
                Variant request = toDb(PrintCountRequestArray(table, column, filter, false, message));
                ProgramServer()->call("RecordPrintLedger", {Variant::ref(request)});
            } catch (const std::exception &error) {
                // The send log has the failure; only the ledger misses it.
                WriteToAlertFile("SendLog", "The ledger row of " + filter + " was not written: " + error.what(), "D");
            }
        }
    }
}

} // namespace kv
