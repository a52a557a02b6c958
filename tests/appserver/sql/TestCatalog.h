#pragma once
// A small column catalogue for the translator tests: the tables of the
// report queries that the tests run, with text columns and their lengths.
// The DDL it writes is only what the tests need; the real schema lives with
// the application server's schema definition.

#include "schema/ColumnCatalog.h"
#include "sql/SqlNames.h"

#include <map>
#include <string>
#include <vector>

namespace slip::test {

class TestCatalog : public ColumnCatalog {
public:
    struct Column {
        std::string name;
        int length; // 0 for a numeric column
    };

    TestCatalog()
    {
        add("MOCTC", {{"TC001", 4}, {"TC002", 11}, {"TC003", 8}, {"TC009", 1}, {"TC010", 0},
                      {"TC015", 10}, {"CREATOR", 10}});
        add("MOCTE", {{"TE001", 4}, {"TE002", 11}, {"TE003", 4}, {"TE004", 20}, {"TE005", 0},
                      {"TE006", 4}, {"TE008", 10}, {"TE010", 20}, {"TE021", 0}, {"TEC01", 1}});
        add("INVME", {{"ME001", 20}, {"ME002", 20}, {"ME017", 4}, {"ME018", 11}, {"ME019", 4}});
        add("ADMMF", {{"MF001", 10}, {"MF002", 30}});
        add("QMSTA", {{"TA001", 4}, {"TA002", 11}, {"TA003", 4}, {"TA026", 8}, {"TA027", 255}});
        add("QMSTD", {{"TD001", 4}, {"TD002", 11}, {"TD003", 4}, {"TD026", 8}, {"TD027", 255}});
        add("QMSTG", {{"TG001", 4}, {"TG002", 11}, {"TG003", 4}, {"TG026", 8}, {"TG027", 255}});
        add("WARRANT", {{"NT001", 40}, {"NT002", 20}, {"NT003", 0}});
        // Masters and work orders the report joins; only the columns the
        // tests compute with are listed.
        for (const char *table : {"CMSMQ", "CMSMB", "CMSMD", "CMSME", "CMSNO", "PURMA", "CMSMC", "INVMB",
                                  "INVMC", "MOCTA", "MOCTB", "MOCTD", "CMSMW", "CMSMV"})
            add(table, {{std::string(table).substr(3) + "001", 10}, {std::string(table).substr(3) + "002", 30}});
        add("ADMTA", {{"COMPANY", 10}, {"CREATOR", 10}, {"USR_GROUP", 10}, {"CREATE_DATE", 8},
                      {"FLAG", 1}, {"TA001", 10}, {"TA002", 255}, {"TA003", 1}, {"TA004", 255},
                      {"TA005", 8}, {"TA006", 8}});
    }

    bool hasTable(std::string_view table) const override { return find(table) != nullptr; }

    bool hasColumn(std::string_view table, std::string_view column) const override
    {
        return findColumn(table, column) != nullptr;
    }

    bool isTextColumn(std::string_view table, std::string_view column) const override
    {
        const Column *c = findColumn(table, column);
        return c && c->length > 0;
    }

    std::optional<int> declaredLength(std::string_view table, std::string_view column) const override
    {
        const Column *c = findColumn(table, column);
        return c && c->length > 0 ? std::optional<int>(c->length) : std::nullopt;
    }

    // CREATE TABLE statements for every table, qualified as prefix + name.
    std::vector<std::string> ddl(const std::string &prefix) const
    {
        std::vector<std::string> statements;
        for (const auto &[name, columns] : m_tables) {
            std::string sql = "CREATE TABLE " + prefix + name + " (";
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const Column &c = columns[i];
                sql += (i ? ", " : "") + c.name
                    + (c.length ? " VARCHAR(" + std::to_string(c.length) + ") DEFAULT ''"
                                : " NUMERIC(16,3) DEFAULT 0");
            }
            statements.push_back(sql + ")");
        }
        return statements;
    }

private:
    void add(const std::string &table, std::vector<Column> columns) { m_tables[table] = std::move(columns); }

    const std::vector<Column> *find(std::string_view table) const
    {
        for (const auto &[name, columns] : m_tables)
            if (SqlNames::sameName(name, table))
                return &columns;
        return nullptr;
    }

    const Column *findColumn(std::string_view table, std::string_view column) const
    {
        if (const std::vector<Column> *columns = find(table))
            for (const Column &c : *columns)
                if (SqlNames::sameName(c.name, column))
                    return &c;
        return nullptr;
    }

    std::map<std::string, std::vector<Column>> m_tables;
};

} // namespace slip::test
