#pragma once
// What the relation wizard edits: the tables related to the report, each
// joined on one report column = one column of the related table, with the
// fields the layout may print from it. Read from and written back to the
// layout's SQL builder; a field a component already prints keeps its mark.

#include "report/layout/VRSQLBuilder.h"

#include <string>
#include <vector>

namespace relationwizard {

struct RelationField {
    std::string name;
    std::string hint;
    int kind = 0; // 1 prints as a barcode
    std::string component; // the component printing it; empty when unused
};

struct Relation {
    std::string table;          // "$$INVMB"
    std::string reportColumn;   // "TE.TE004"
    std::string relatedColumn;  // "MB001"
    std::string rawJoin;        // a join the wizard cannot take apart, kept as it is
    std::vector<RelationField> fields;

    bool hasUsedFields() const;
};

// The relations the builder holds.
std::vector<Relation> readBuilder(const kv::TVRSQLBuilder &builder);
// Replaces the builder's tables and fields by the relations; the join of
// relation i is written with the builder's alias of table i.
void writeBuilder(kv::TVRSQLBuilder &builder, const std::vector<Relation> &relations);
std::string joinText(int index, const Relation &relation);

// The plain columns ("TE.TE004", "TC001") of the report's select list.
std::vector<std::string> reportColumns(const std::string &select);

// The "$$" tables a FROM part names, then those of the relations, each once.
std::vector<std::string> knownTables(const std::string &from, const std::vector<Relation> &relations);

// A table or column name the wizard puts into SQL: letters, digits and "_",
// not starting with a digit.
bool isPlainName(const std::string &name);

// Whether relation `index` may be removed: removing it renumbers the
// aliases of the later ones, so neither it nor a later one may be printed.
bool mayRemove(const std::vector<Relation> &relations, int index);

} // namespace relationwizard
