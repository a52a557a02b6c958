#pragma once
// The print and send ledger $$ADMPL: one row per slip and output (a print on
// a printer, a print into a PDF file, a picture file, an e-mail or a fax),
// with the clerk, the time, where it went, the slip's pages and whether it
// succeeded. Rows are written by the print-count update in its own
// transaction (PrintCounter::record), so a raised count always has its row;
// a failed output, and an output that is no print (a picture file), are
// recorded on their own (RecordPrintLedger) without raising it.
//
// Reads filter by slip, user, date range and kind; every value is bound.

#include "objects/CompanyStore.h"
#include "platform/ResultTable.h"

#include <cstdint>
#include <string>

namespace slip {

// What the client says about one output of one slip.
struct LedgerOutput {
    // "1" printer, "2" PDF file, "3" picture file, "4" e-mail, "5" fax.
    std::string kind;
    std::string target;    // printer name, file name, receiver and address
    std::string faxServer; // only for a fax
    std::int64_t pages = 0;
    bool success = true;
    std::string message;   // why a failed output failed
};

// Who asked: the session's program, user and company.
struct LedgerClerk {
    std::string program;
    std::string user;
    std::string company;
};

// One row as it is stored.
struct LedgerRow {
    std::string table;
    std::string keyPart1;
    std::string keyPart2;
    std::string countColumn;
    std::int64_t countAfter = 0;
    LedgerOutput output;
};

// Which rows a read returns; empty members do not restrict.
struct LedgerFilter {
    std::string slipType;
    std::string slipNumber;
    std::string user;
    std::string dateFrom; // YYYYMMDD, inclusive
    std::string dateTo;
    std::string kind;
};

class PrintLedger : public CompanyStore {
public:
    using CompanyStore::CompanyStore;

    // Kinds a client may name.
    static bool isKind(const std::string &kind);
    // StoreError for an unknown kind or a negative page count; the texts are
    // cut to their columns (a long printer or file name must not cost the
    // row of a slip that was printed).
    static LedgerOutput checked(LedgerOutput output);

    // Appends one row, dated now, in the caller's transaction.
    void append(const LedgerClerk &clerk, const LedgerRow &row);

    // Rows of the filter, newest first, at most `limit`.
    kv::ResultTable rows(const LedgerFilter &filter, int limit = 5000) const;
};

} // namespace slip
