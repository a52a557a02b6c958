#pragma once
// One read the host's objects offer on a company table: which columns make
// up a returned row (in the positions the callers read them), how the
// caller's arguments restrict the rows, which columns a search text looks
// in, and the order. The validator keys and the lookup definitions are
// tables of these.
//
// Every value from a caller is bound as a parameter; column names come from
// the definition or, for a caller's extra filter, must be a column of the
// definition's table in the schema.

#include "db/Database.h"
#include "platform/ResultTable.h"
#include "platform/Variant.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace slip {

struct HostDataQuery {
    // How argument i of the caller restricts the rows.
    enum class Match {
        Required,  // column = argument; a missing argument is refused
        IfGiven,   // column = argument when it is given and not blank
        AnyOfRest, // column IN (this and every later argument that is given)
        OrBlank,   // column = argument or column blank (rows shared by everyone)
    };
    struct Binding {
        std::string column;
        Match match = Match::Required;
    };
    // One position of a returned row; an empty name keeps the position empty
    // (a slot the callers number but this table has no column for).
    struct Column {
        std::string name;
        std::string caption;
    };
    // A caller's extra restriction: column = value.
    using Filter = std::pair<std::string, kv::Variant>;

    struct Statement {
        std::string sql; // ERP dialect
        SqlParams params;
    };

    std::string table;
    std::string key;
    std::string title;
    std::vector<Column> columns;
    std::vector<Binding> bindings;
    std::vector<std::string> orderBy;
    std::vector<std::string> searchColumns;
    bool manyRows = false;

    // The SELECT for the arguments, filters and search text (a blank text
    // searches nothing); limit > 0 caps the rows. Throws std::invalid_argument
    // for a missing required argument or a filter column the table lacks.
    Statement statement(const std::vector<kv::Variant> &args, const std::vector<Filter> &filters = {},
                        std::string_view search = {}, int limit = 0) const;

    // Row `row` of a result of statement() in the row layout (a 1-D array).
    kv::Variant rowOf(const kv::ResultTable &result, int row) const;
    // The first `count` rows as a 1-D array of rows.
    kv::Variant rowsOf(const kv::ResultTable &result, int count) const;

    // The names and captions of the row layout as 1-D text arrays.
    kv::Variant columnNames() const;
    kv::Variant columnCaptions() const;

    // The query of a table (compared without case) and key (as given, "01")
    // in a list; a blank key finds a table that has one query only.
    static const HostDataQuery *find(const std::vector<HostDataQuery> &queries, std::string_view table,
                                     std::string_view key);

    // A LIKE pattern matching text anywhere, with the pattern characters of
    // text escaped by "!".
    static std::string containsPattern(std::string_view text);
};

} // namespace slip
