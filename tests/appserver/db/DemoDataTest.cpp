// The demo data generator: reproducible from its seed, the kinds of data the
// report needs, and the same rows and typed results on both engines.
#include "DbTestSupport.h"

#include "db/DemoData.h"
#include "schema/CompanySchema.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace slip;
using dbtest::EngineTest;

namespace {

std::string generate(dbtest::TestDatabase &env, int slips, std::uint64_t seed)
{
    const std::string company = dbtest::uniqueCompanyName("DEMO");
    env.companies.push_back(company);
    DemoData(*env.db, {company, "01", slips, seed}).generate();
    return company;
}

// Every row of a table in key order, as one comparable text.
std::string dump(Database &db, const std::string &company, const TableDef &table)
{
    std::string order;
    for (const auto &column : table.columns)
        order += (order.empty() ? "" : ", ") + column.name;
    return db.query("SELECT * FROM " + db.qualifiedTable(company, table.name) + " ORDER BY " + order).toDataPacket();
}

class DemoDataTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (!IsSkipped())
            company = generate(*env, 150, 42);
    }
    kv::ResultTable query(const std::string &sql)
    {
        std::string text = sql;
        // "@" stands for the company namespace.
        for (std::size_t at; (at = text.find('@')) != std::string::npos;) {
            const std::size_t end = text.find_first_of(" ,)", at);
            const std::string table = text.substr(at + 1, end - at - 1);
            text.replace(at, end - at, db().qualifiedTable(company, table));
        }
        return db().query(text);
    }
    std::int64_t scalar(const std::string &sql) { return query(sql).integer(0, 0); }

    std::string company;
};

TEST_P(DemoDataTest, SameSeedGivesTheSameRowsAndAnotherSeedOtherRows)
{
    const std::string same = generate(*env, 150, 42);
    const std::string other = generate(*env, 150, 43);
    for (const auto &table : CompanySchema::tables()) {
        if (table.name == CompanySchema::tableCatalogue || table.name == CompanySchema::columnCatalogue)
            continue;
        EXPECT_EQ(dump(db(), company, table), dump(db(), same, table)) << table.name;
    }
    const TableDef &lines = CompanySchema::tables()[1];
    ASSERT_EQ(lines.name, "MOCTE");
    EXPECT_NE(dump(db(), company, lines), dump(db(), other, lines));
}

TEST_P(DemoDataTest, HasTheSlipsMastersAndSettingsTheReportUses)
{
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @MOCTC"), 150);
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT MQ003) FROM @CMSMQ WHERE MQ003 IN ('54', '55')"), 2);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @MOCTC WHERE TC008 NOT IN ('54', '55')"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @MOCTC LEFT JOIN @CMSMQ ON MQ001 = TC001 WHERE MQ001 IS NULL"), 0);

    // Slips of 0 to 40 lines, numbered from 0001 without gaps.
    const kv::ResultTable lines = query("SELECT COUNT(TE001), MAX(TE003) FROM @MOCTC LEFT JOIN @MOCTE "
                                        "ON TE001 = TC001 AND TE002 = TC002 GROUP BY TC001, TC002");
    int empty = 0, most = 0;
    for (int row = 0; row < lines.rowCount(); ++row) {
        const int count = int(lines.integer(row, 0));
        empty += count == 0;
        most = std::max(most, count);
        if (count > 0) {
            EXPECT_EQ(std::stoi(std::string(lines.text(row, 1))), count);
        }
    }
    EXPECT_GT(empty, 0);
    EXPECT_LE(most, DemoData::maxLinesPerSlip);
    EXPECT_GT(most, 30);

    // Approval and print states of every kind.
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT TC009) FROM @MOCTC"), 3);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @MOCTC WHERE TC010 = 0"), 0);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @MOCTC WHERE TC010 > 0"), 0);

    // Outsourced slips name suppliers; suppliers mostly have fax and e-mail,
    // some lack one of them.
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @MOCTC JOIN @PURMA ON MA001 = TC006 WHERE MA010 <> '' AND MA011 <> ''"), 0);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @PURMA WHERE MA011 = ''"), 0);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @PURMA WHERE MA010 = ''"), 0);

    // Lines join to work-order materials, warehouses and lots with an
    // inspection remark.
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @MOCTE JOIN @MOCTB ON TE011 = TB001 AND TE012 = TB002 AND TE004 = TB003 "
                     "AND TE009 = TB006"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @MOCTE LEFT JOIN @CMSMC ON MC001 = TE008 WHERE MC001 IS NULL"), 0);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @MOCTE JOIN @INVME ON ME001 = TE004 AND ME002 = TE010 "
                     "JOIN @QMSTA ON TA001 = ME017 AND TA002 = ME018 AND TA003 = ME019"),
              0);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @QMSTD") + scalar("SELECT COUNT(*) FROM @QMSTG"), 0);

    // Users, rights, permission rules and the system settings read at open.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @ADMMF JOIN @USER_RIGHT ON USER_ID = MF001"), 10);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @PERMISSION_RULE"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @SYSINFO WHERE SETTING_NAME IN "
                     "('Sys001', 'Sys002', 'Sys026', 'Sys042', 'Sys060', 'Sys174', 'QRM002')"),
              7);
    EXPECT_EQ(query("SELECT ML002 FROM @CMSML").text(0, 0), "恒信精密");
}

TEST_P(DemoDataTest, HasFootersSignOffsAndWorkflowHistory)
{
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT MS001) FROM @CMSMS"), 2);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @CMSMQ LEFT JOIN @CMSMS ON MS001 = '1' AND MS002 = MQ004 "
                     "WHERE MS002 IS NULL"),
              0)
        << "every slip type's footer exists";
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @CMSMT WHERE MT001 = 'QIPR07'"), 1);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @ADMMQ JOIN @CMSMQ ON ADMMQ.MQ002 = CMSMQ.MQ001 AND CMSMQ.MQ006 = 'TESSWF'"), 1);
    // Sign-off history belongs to workflow slips, with approvers on signed steps.
    EXPECT_GT(scalar("SELECT COUNT(*) FROM @SIGNOFF_HISTORY JOIN @MOCTC ON TC001 = FORM_TYPE AND TC002 = SHEET_NO"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @SIGNOFF_HISTORY LEFT JOIN @MOCTC ON TC001 = FORM_TYPE "
                     "AND TC002 = SHEET_NO WHERE TC001 IS NULL"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @SIGNOFF_HISTORY WHERE SIGNED_AT <> '' AND APPROVER_NAME = ''"), 0);
}

TEST_P(DemoDataTest, RefusesToOverwriteAnExistingCompany)
{
    const std::int64_t lines = scalar("SELECT COUNT(*) FROM @MOCTE");
    EXPECT_THROW(DemoData(db(), {company, "01", 5, 1}).generate(), DatabaseError);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM @MOCTE"), lines);
}

DBTEST_ON_BOTH_ENGINES(DemoDataTest);

// A report query over the demo data, in each engine's SQL: texts, numbers,
// computed columns and outer joins that find nothing.
std::string reportQuery(Database &db, const std::string &company)
{
    const auto t = [&](const char *table) { return db.qualifiedTable(company, table) + " AS " + table; };
    return "SELECT TC001, TC002, TC003, TC009, TC010, CMSMQ.MQ002 AS CMSMQ002, PURMA.MA002 AS PURMA002, TE003, "
           "TE004, TE005, TE021, CMSMC.MC002 AS CMSMC002, TB004, TB004 - TB005 AS TB004C, 0 AS TB004C1, "
           "'null' AS CMSMC002C, INVME.ME017 || '-' || INVME.ME018 || '-' || INVME.ME019 AS ME017C, TEC01 "
           "FROM " + t("MOCTC") + " LEFT JOIN " + t("MOCTE") + " ON TC001 = TE001 AND TC002 = TE002 "
           "LEFT JOIN " + t("CMSMQ") + " ON TC001 = MQ001 LEFT JOIN " + t("PURMA") + " ON TC006 = MA001 "
           "LEFT JOIN " + t("CMSMC") + " ON TE008 = CMSMC.MC001 "
           "LEFT JOIN " + t("MOCTB") + " ON TE011 = TB001 AND TE012 = TB002 AND TE004 = TB003 AND TE009 = TB006 "
           "LEFT JOIN " + t("INVME") + " ON INVME.ME001 = TE004 AND INVME.ME002 = TE010 "
           "ORDER BY TC001, TC002, TE003";
}

void expectSameTables(const kv::ResultTable &a, const kv::ResultTable &b)
{
    ASSERT_EQ(a.columnCount(), b.columnCount());
    ASSERT_EQ(a.rowCount(), b.rowCount());
    for (int column = 0; column < a.columnCount(); ++column) {
        EXPECT_EQ(a.columnName(column), b.columnName(column));
        EXPECT_EQ(a.columnType(column), b.columnType(column)) << a.columnName(column);
    }
    for (int row = 0; row < a.rowCount(); ++row) {
        for (int column = 0; column < a.columnCount(); ++column) {
            ASSERT_EQ(a.isNull(row, column), b.isNull(row, column)) << a.columnName(column) << " row " << row;
            if (a.columnType(column) == kv::FieldType::Float)
                ASSERT_NEAR(a.number(row, column), b.number(row, column), 1e-9) << a.columnName(column);
            else
                ASSERT_EQ(a.text(row, column), b.text(row, column)) << a.columnName(column) << " row " << row;
        }
    }
}

TEST(DemoDataEnginesTest, SameDataAndQueryGiveTheSameTypedTableOnBothEngines)
{
    if (!dbtest::pgConnInfo())
        GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
    dbtest::TestDatabase sqlite(DbEngine::SQLite);
    dbtest::TestDatabase postgres(DbEngine::PostgreSQL);
    const std::string onSqlite = generate(sqlite, 60, 7);
    const std::string onPostgres = generate(postgres, 60, 7);
    const kv::ResultTable a = sqlite.db->query(reportQuery(*sqlite.db, onSqlite));
    const kv::ResultTable b = postgres.db->query(reportQuery(*postgres.db, onPostgres));
    EXPECT_GT(a.rowCount(), 60);
    expectSameTables(a, b);

    const auto type = [&a](const char *name) { return a.columnType(a.columnIndex(name)); };
    EXPECT_EQ(type("TC002"), kv::FieldType::Text);
    EXPECT_EQ(type("TC010"), kv::FieldType::Integer);
    EXPECT_EQ(type("TE005"), kv::FieldType::Float);
    EXPECT_EQ(type("TB004C"), kv::FieldType::Float);
    EXPECT_EQ(type("TB004C1"), kv::FieldType::Integer);
    EXPECT_EQ(type("ME017C"), kv::FieldType::Text);
}

} // namespace
