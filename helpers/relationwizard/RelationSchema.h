#pragma once
// The company schema as the wizard sees it, read through the layout's
// temporary data set (provider "pvdTemp" on the report's server
// connection): the user tables from the ERP catalogue, the columns of one
// table. Every query goes through the server's SQL translator, which knows
// the schema and refuses what is not in it.

#include <string>
#include <vector>

namespace kv {
class ClientDataSet;
}

namespace relationwizard {

class RelationSchema {
public:
    explicit RelationSchema(kv::ClientDataSet *data) : m_data(data) {}

    // The user tables, "$$"-prefixed; empty when the server's catalogue
    // cannot list them (the table is then typed in).
    std::vector<std::string> tables(std::string &error) const;
    // The columns of a table ("$$INVMB" or "INVMB"); throws std::runtime_error
    // with the server's reason for an unknown table.
    std::vector<std::string> columns(const std::string &table) const;

    // "INVMB" and "$$INVMB" both give "$$INVMB".
    static std::string qualified(const std::string &table);

private:
    kv::ClientDataSet *m_data;
};

} // namespace relationwizard
