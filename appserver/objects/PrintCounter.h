#pragma once
// "UpdatePrintCount": adds one to a slip's print count. The client names the
// table, the count column and the slip by a filter text such as
//   TC001='5401' and TC002='20240301001'
// None of the three is pasted into SQL: the table and column must be in the
// schema (the column a number), and the filter must be a conjunction of
// "column = literal" terms on that table, whose literals are bound as
// parameters. Anything else is refused with a message naming the problem.

#include "objects/CompanyStore.h"
#include "objects/PrintLedger.h"

#include <cstdint>
#include <string>
#include <vector>

namespace slip {

struct SqlToken;

class PrintCounter : public CompanyStore {
public:
    using CompanyStore::CompanyStore;

    // Rows changed. StoreError for a refused table, column or filter.
    std::int64_t addOne(const std::string &table, const std::string &column, const std::string &filter);
    // addOne (when raise is set and the output succeeded) and one ledger
    // row per slip the filter names, in one transaction. Rows changed.
    std::int64_t record(const std::string &table, const std::string &column, const std::string &filter,
                        const LedgerClerk &clerk, const LedgerOutput &output, bool raise = true);

    struct Term {
        std::string column;
        std::string value;
        bool number = false;
    };
    // The terms of a filter on table; StoreError when it is not a
    // conjunction of column = literal on columns of that table.
    static std::vector<Term> parseFilter(const std::string &table, const std::string &filter);

    // The table a client names as "$$TABLE", "<company>..TABLE" or "TABLE";
    // StoreError for another database or a table outside the schema.
    std::string tableNamed(const std::string &text) const;

private:
    class FilterParser;
    struct Update {
        std::string table;   // as in the schema
        std::string column;  // as in the schema
        std::string where;   // " WHERE ..." with bound parameters
        SqlParams params;
        std::vector<Term> terms;
    };
    Update prepare(const std::string &table, const std::string &column, const std::string &filter) const;
    // The slip key of a filter: its terms on the table's first two key
    // columns (slip type and number).
    static std::pair<std::string, std::string> slipKey(const std::string &table, const std::vector<Term> &terms);
};

} // namespace slip
