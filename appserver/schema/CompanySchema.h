#pragma once
// The company database: every table and column that the report module, the
// host's server objects and slipserv read or write, in one list.

#include "schema/TableDef.h"

#include <vector>

namespace slip {

class CompanySchema {
public:
    // All tables in creation order; the two catalogue tables come last.
    static const std::vector<TableDef> &tables();

    // Names of the catalogue tables that describe the others (filled when a
    // company database is created, read by the column-length query).
    static constexpr const char *tableCatalogue = "SLIP_TABLES";
    static constexpr const char *columnCatalogue = "SLIP_COLUMNS";
};

} // namespace slip
