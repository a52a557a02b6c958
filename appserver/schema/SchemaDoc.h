#pragma once
// The company schema as a Markdown page (docs/schema.md), written from the
// schema definition so that the page cannot drift from the tables.

#include "schema/TableDef.h"

#include <string>
#include <vector>

namespace slip {

class SchemaDoc {
public:
    static std::string markdown(const std::vector<TableDef> &tables);
};

} // namespace slip
