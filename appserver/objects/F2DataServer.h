#pragma once
// The data behind the host's lookup window (F2GetData) and phrase window
// (GetPhrase). The host's window shows the candidate rows and hands the
// picked row back to the program window; this object only finds them.
//
// F2GetData takes the 19-element lookup request of the program windows and
// uses: [0] lookup name, [1] key text, [2] conditions, [4] search text,
// [6] company database. Conditions are one value or an array of values, in
// the order the lookup's arguments take them; an element that is itself a
// pair [column, value] restricts a column of the lookup's table to a value.
//
// GetPhrase (user code, company database[, window handle]) answers the
// phrases of the user.
//
// Both answer a 1-D array of five elements: [0] title, [1] column names,
// [2] column captions, [3] the rows (a 1-D array of 1-D row arrays, at most
// RowLimit of them), [4] true when more rows matched than were sent (the
// user should narrow the search). A failure or an unknown lookup answers
// unassigned, with the reason in LastError and the alert log.

#include "objects/HostDataObject.h"
#include "objects/HostDataQuery.h"

namespace slip {

class F2DataServer : public HostDataObject {
public:
    static constexpr const char *progId = "QRM.F2Data";
    static constexpr int kDefaultRowLimit = 1000;

    // Positions in the reply.
    enum ReplyElement { Title = 0, ColumnNames = 1, ColumnCaptions = 2, Rows = 3, MoreRows = 4 };

    explicit F2DataServer(std::shared_ptr<Database> database, std::string companyDb = {});

    // Throw on bad requests and database failures (the automation methods
    // turn that into an unassigned reply).
    kv::Variant lookupRows(const kv::Variant &request);
    kv::Variant phraseRows(const std::string &userId, const std::string &companyDb);

    int rowLimit() const { return m_rowLimit; }
    void setRowLimit(int limit);

private:
    kv::Variant rowsFor(const HostDataQuery &query, const std::vector<kv::Variant> &args,
                        const std::vector<HostDataQuery::Filter> &filters, const std::string &search);

    int m_rowLimit = kDefaultRowLimit;
};

} // namespace slip
