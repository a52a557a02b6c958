#pragma once
// A company database per engine for the host-data object tests, with a
// helper to insert rows naming only the columns a test cares about.

#include "appserver/db/DbTestSupport.h"
#include "platform/Variant.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

namespace hostdatatest {

using Row = std::initializer_list<std::pair<const char *, kv::Variant>>;

class HostDataTest : public dbtest::EngineTest {
protected:
    void SetUp() override
    {
        dbtest::EngineTest::SetUp();
        if (IsSkipped())
            return;
        company = env->createCompany("H5");
        // The objects share the database; the test environment owns it.
        database = std::shared_ptr<slip::Database>(env->db.get(), [](slip::Database *) {});
    }

    void insert(const char *table, Row row)
    {
        std::string columns, values;
        slip::SqlParams params;
        for (const auto &[column, value] : row) {
            columns += (columns.empty() ? "" : ", ") + std::string(column);
            values += (values.empty() ? ":" : ", :") + std::string(column);
            params.emplace_back(column, value);
        }
        db().execute("INSERT INTO " + env->table(company, table) + " (" + columns + ") VALUES (" + values + ")",
                     params);
    }

    std::string company;
    std::shared_ptr<slip::Database> database;
};

} // namespace hostdatatest
