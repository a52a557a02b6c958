// The company database engines: schema creation, defaults, constraints,
// parameters, transactions and per-thread connections, on SQLite and
// PostgreSQL alike.
#include "DbTestSupport.h"

#include "db/BulkInserter.h"
#include "db/Transaction.h"
#include "platform/Variant.h"
#include "schema/CompanySchema.h"
#include "schema/SchemaDdl.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <QDate>

#include <chrono>
#include <set>
#include <thread>

using namespace slip;
using dbtest::EngineTest;

namespace {

class DatabaseTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (!IsSkipped())
            company = env->createCompany();
    }
    std::string table(const char *name) const { return env->table(company, name); }
    std::int64_t count(const char *name)
    {
        return db().query("SELECT COUNT(*) FROM " + table(name)).integer(0, 0);
    }

    std::string company;
};

TEST_P(DatabaseTest, CreatesEveryTableWithItsCatalogueAndComments)
{
    const kv::ResultTable columns = db().query("SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, LENGTH, DESCRIPTION FROM "
                                               + table(CompanySchema::columnCatalogue));
    std::size_t expected = 0;
    for (const auto &def : CompanySchema::tables())
        expected += def.columns.size();
    ASSERT_EQ(std::size_t(columns.rowCount()), expected);
    for (int row = 0; row < columns.rowCount(); ++row)
        EXPECT_FALSE(columns.text(row, 4).empty()) << columns.text(row, 0) << "." << columns.text(row, 1);

    const kv::ResultTable layoutName = db().query("SELECT LENGTH FROM " + table(CompanySchema::columnCatalogue)
                                                  + " WHERE TABLE_NAME = 'WARRANT' AND COLUMN_NAME = 'NT002'");
    ASSERT_EQ(layoutName.rowCount(), 1);
    EXPECT_EQ(layoutName.integer(0, 0), 20);

    // Every table answers a query under its own name.
    for (const auto &def : CompanySchema::tables())
        EXPECT_NO_THROW(db().query("SELECT * FROM " + table(def.name.c_str()) + " WHERE 1 = 0")) << def.name;

    if (GetParam() == DbEngine::PostgreSQL) {
        const kv::ResultTable commented = db().query(
            "SELECT COUNT(*) FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
            "JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE n.nspname = lower(:schema) AND c.relkind = 'r' AND a.attnum > 0 AND NOT a.attisdropped "
            "AND col_description(c.oid, a.attnum) <> ''",
            {{"schema", company}});
        EXPECT_EQ(std::size_t(commented.integer(0, 0)), expected);
    }
}

TEST_P(DatabaseTest, InsertNamingOnlyKeysFillsDefaultsAndTypesByTheSchema)
{
    db().execute("INSERT INTO " + table("MOCTC") + " (TC001, TC002) VALUES (:t, :n)", {{"t", "5401"}, {"n", "20240101001"}});
    const kv::ResultTable row = db().query("SELECT TC003, TC009, TC010, TC029, UDF51 FROM " + table("MOCTC"));
    ASSERT_EQ(row.rowCount(), 1);
    EXPECT_EQ(row.text(0, 0), "");
    EXPECT_EQ(row.text(0, 1), "");
    EXPECT_EQ(row.columnType(2), kv::FieldType::Integer);
    EXPECT_EQ(row.integer(0, 2), 0);
    EXPECT_EQ(row.columnType(3), kv::FieldType::Float);
    EXPECT_EQ(row.number(0, 3), 0.0);
    EXPECT_EQ(row.columnType(4), kv::FieldType::Float);
    EXPECT_EQ(row.columnName(0), "TC003");

    // Keys have no default: leaving one out is refused.
    EXPECT_THROW(db().execute("INSERT INTO " + table("MOCTC") + " (TC001) VALUES ('5401')"), DatabaseError);
}

TEST_P(DatabaseTest, RefusesValuesThatDoNotFitInsteadOfStoringThem)
{
    const std::string insert = "INSERT INTO " + table("MOCTE") + " (TE001, TE002, TE003, TE004, TE005) VALUES ";
    EXPECT_THROW(db().execute(insert + "('54011', '1', '0001', 'A', 1)"), DatabaseError) << "slip type of 5 characters";
    EXPECT_THROW(db().execute(insert + "('5401', '1', '0001', 'A', 'many')"), DatabaseError) << "text as quantity";
    // Multi-byte characters count as one each.
    db().execute("INSERT INTO " + table("CMSMQ") + " (MQ001, MQ002) VALUES ('5401', :name)", {{"name", "厂内领料单"}});
    EXPECT_EQ(db().query("SELECT MQ002 FROM " + table("CMSMQ")).text(0, 0), "厂内领料单");
    EXPECT_EQ(count("MOCTE"), 0);
}

TEST_P(DatabaseTest, BindsNamedParametersAndRejectsMismatches)
{
    const std::string insert = "INSERT INTO " + table("MOCTE") + " (TE001, TE002, TE003, TE004, TE013) VALUES ";
    db().execute(insert + "(:TE001, :TE002, '0001', :ITEM, ':ITEM is text')",
                 {{"te001", "5401"}, {":TE002", "X1"}, {"ITEM", "螺丝"}});
    // One name used twice, and "::" left to the engine where it is a cast.
    const std::string cast = GetParam() == DbEngine::PostgreSQL ? "TE004::text" : "TE004";
    const kv::ResultTable row = db().query("SELECT " + cast + " AS ITEM, TE013 FROM " + table("MOCTE")
                                           + " WHERE TE001 = :T AND (TE002 = :N OR TE004 = :N)",
                                           {{"T", "5401"}, {"N", "X1"}});
    ASSERT_EQ(row.rowCount(), 1);
    EXPECT_EQ(row.text(0, 0), "螺丝");
    EXPECT_EQ(row.text(0, 1), ":ITEM is text");

    const std::string select = "SELECT TE004 FROM " + table("MOCTE") + " WHERE TE001 = :T";
    EXPECT_THROW(db().query(select), DatabaseError) << "missing value";
    EXPECT_THROW(db().query(select, {{"T", "1"}, {"U", "2"}}), DatabaseError) << "value without placeholder";
    EXPECT_THROW(db().query("SELECT TE004 FROM " + table("MOCTE") + " WHERE TE001 = ?"), DatabaseError);
    EXPECT_THROW(db().query("SELECT * FROM NO_SUCH_TABLE"), DatabaseError);
}

TEST_P(DatabaseTest, TransactionsRollBackUnlessCommittedAndNestWithSavepoints)
{
    const std::string insert = "INSERT INTO " + table("CMSMC") + " (MC001, MC002) VALUES ";
    {
        Transaction transaction(db());
        db().execute(insert + "('W1', 'a')");
    }
    EXPECT_EQ(count("CMSMC"), 0) << "not committed";

    {
        Transaction outer(db());
        db().execute(insert + "('W2', 'b')");
        {
            Transaction inner(db());
            db().execute(insert + "('W3', 'c')");
        }
        EXPECT_EQ(db().transactionDepth(), 1);
        {
            Transaction inner(db());
            db().execute(insert + "('W4', 'd')");
            inner.commit();
        }
        outer.commit();
    }
    EXPECT_EQ(db().transactionDepth(), 0);
    const kv::ResultTable kept = db().query("SELECT MC001 FROM " + table("CMSMC") + " ORDER BY MC001");
    ASSERT_EQ(kept.rowCount(), 2);
    EXPECT_EQ(kept.text(0, 0), "W2");
    EXPECT_EQ(kept.text(1, 0), "W4");

    // A failing statement inside a transaction: the guard undoes the rest.
    try {
        Transaction transaction(db());
        db().execute(insert + "('W5', 'e')");
        db().execute(insert + "('W2', 'duplicate key')");
        transaction.commit();
        FAIL() << "duplicate key accepted";
    } catch (const DatabaseError &) {
    }
    EXPECT_EQ(count("CMSMC"), 2);
    EXPECT_THROW(db().commit(), DatabaseError);
}

TEST_P(DatabaseTest, OpensExistingCompaniesAndRefusesMissingOrForeignOnes)
{
    db().execute("INSERT INTO " + table("CMSMC") + " (MC001) VALUES ('W1')");
    EXPECT_THROW(db().openCompany(company, OpenMode::CreateNew), DatabaseError);
    EXPECT_NO_THROW(db().openCompany(company, OpenMode::CreateIfMissing));
    // Company database names are matched without regard to case.
    const std::string lower = SchemaDdl::lowerAscii(company);
    EXPECT_NO_THROW(db().openCompany(lower));
    EXPECT_EQ(db().query("SELECT MC001 FROM " + env->table(lower, "CMSMC")).text(0, 0), "W1");
    EXPECT_THROW(db().openCompany(dbtest::uniqueCompanyName("NONE"), OpenMode::Existing), DatabaseError);
    EXPECT_THROW(db().openCompany("bad name; drop", OpenMode::CreateIfMissing), SchemaNameError);
    EXPECT_THROW(db().openCompany("main", OpenMode::CreateIfMissing), SchemaNameError);

    // A second database object (another process, in effect) sees the data.
    std::unique_ptr<Database> other = GetParam() == DbEngine::SQLite
                                          ? Database::openSqlite(env->dir.path().toStdString())
                                          : Database::openPostgres(dbtest::pgConnInfo(), 2);
    other->openCompany(company);
    EXPECT_EQ(other->query("SELECT MC001 FROM " + table("CMSMC")).text(0, 0), "W1");

    const std::string dropped = env->createCompany("DROP");
    db().dropCompany(dropped);
    EXPECT_FALSE(db().companyExists(dropped));
    EXPECT_THROW(db().query("SELECT * FROM " + env->table(dropped, "CMSMC")), DatabaseError);
}

TEST_P(DatabaseTest, EachThreadWritesThroughItsOwnConnection)
{
    // As many writers as clients saving condition sets at once.
    constexpr int threads = 8;
    constexpr int rowsEach = 15;
    std::vector<std::thread> workers;
    std::vector<std::string> errors(threads);
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            try {
                for (int i = 0; i < rowsEach; ++i) {
                    Transaction transaction(db());
                    db().execute("INSERT INTO " + table("HOST_PHRASE") + " (USER_ID, PHRASE_NO, PHRASE_TEXT) "
                                 "VALUES (:u, :n, :t)",
                                 {{"u", "U" + std::to_string(t)}, {"n", i}, {"t", "急料"}});
                    transaction.commit();
                }
            } catch (const std::exception &error) {
                errors[std::size_t(t)] = error.what();
            }
        });
    }
    for (auto &worker : workers)
        worker.join();
    for (const auto &error : errors)
        EXPECT_EQ(error, "");
    EXPECT_EQ(count("HOST_PHRASE"), threads * rowsEach);
}

TEST_P(DatabaseTest, ComputedColumnsTakeTheWidestTypeOfTheirValues)
{
    db().execute("INSERT INTO " + table("CMSMC") + " (MC001, MC002) VALUES ('W1', 'a'), ('W2', 'b'), ('W3', NULL)");
    // Whole number first, fraction later: the column is a float column and
    // keeps the fraction.
    const kv::ResultTable mixed = db().query("SELECT MC001, CASE WHEN MC001 = 'W1' THEN 1 ELSE 2.5 END AS Q, "
                                             "CASE WHEN MC001 = 'W3' THEN 4 END AS LATE FROM " + table("CMSMC")
                                             + " ORDER BY MC001");
    ASSERT_EQ(mixed.rowCount(), 3);
    EXPECT_EQ(mixed.columnType(1), kv::FieldType::Float);
    EXPECT_EQ(mixed.number(0, 1), 1.0);
    EXPECT_EQ(mixed.number(1, 1), 2.5);
    EXPECT_EQ(mixed.columnType(2), kv::FieldType::Integer) << "typed by the value after two nulls";
    EXPECT_TRUE(mixed.isNull(0, 2));
    EXPECT_EQ(mixed.integer(2, 2), 4);

    const kv::ResultTable empty = db().query("SELECT MC001, MC002 || 'x' AS N FROM " + table("CMSMC") + " WHERE 1 = 0");
    EXPECT_EQ(empty.rowCount(), 0);
    ASSERT_EQ(empty.columnCount(), 2);
    EXPECT_EQ(empty.columnName(1), "N");
    EXPECT_EQ(empty.columnType(0), kv::FieldType::Text);
}

TEST_P(DatabaseTest, BulkInserterSendsEveryBatchAndChecksItsRows)
{
    constexpr int rows = 1234;
    {
        BulkInserter phrases(db(), company, "HOST_PHRASE", {"USER_ID", "PHRASE_NO", "PHRASE_TEXT"});
        for (int i = 0; i < rows; ++i)
            phrases.add({"U", i, i % 2 ? kv::Variant::null() : kv::Variant("第" + std::to_string(i) + "条")});
        EXPECT_THROW(phrases.add({"U", 1}), DatabaseError);
        phrases.finish();
        EXPECT_EQ(phrases.rowsAdded(), rows);
    }
    EXPECT_EQ(count("HOST_PHRASE"), rows);
    const kv::ResultTable last = db().query("SELECT PHRASE_TEXT FROM " + table("HOST_PHRASE")
                                            + " WHERE PHRASE_NO IN (1232, 1233) ORDER BY PHRASE_NO");
    EXPECT_EQ(last.text(0, 0), "第1232条");
    EXPECT_TRUE(last.isNull(1, 0));

    // Dates travel as the 8-character texts they are stored as; arrays have
    // no SQL value.
    db().execute("INSERT INTO " + table("GENES") + " (NCONDITION, CREATOR, PROGRAMME, CREATE_DATE) "
                 "VALUES ('A', 'U', 'QIPR07', :d)",
                 {{"d", kv::Variant(kv::OleDate::fromYmd(2024, 3, 5))}});
    EXPECT_EQ(db().query("SELECT CREATE_DATE FROM " + table("GENES")).text(0, 0), "20240305");
    EXPECT_THROW(db().query("SELECT 1 FROM " + table("GENES") + " WHERE NCONDITION = :n",
                            {{"n", kv::Variant(kv::VariantArray::of({kv::Variant("A")}))}}),
                 DatabaseError);
}

TEST_P(DatabaseTest, OpeningAnOlderCompanyAddsTheTablesItLacks)
{
    db().execute("DROP TABLE " + table("HOST_COUNTER"));
    std::unique_ptr<Database> later = GetParam() == DbEngine::SQLite
                                          ? Database::openSqlite(env->dir.path().toStdString())
                                          : Database::openPostgres(dbtest::pgConnInfo(), 2);
    later->openCompany(company);
    EXPECT_EQ(later->query("SELECT COUNT(*) FROM " + table("HOST_COUNTER")).integer(0, 0), 0);
    EXPECT_EQ(later->query("SELECT COUNT(*) FROM " + table(CompanySchema::tableCatalogue)).integer(0, 0),
              std::int64_t(CompanySchema::tables().size()));
}

TEST_P(DatabaseTest, RefusesToOpenADatabaseThatIsNoCompanyDatabase)
{
    const std::string foreign = dbtest::uniqueCompanyName("FOREIGN");
    env->companies.push_back(foreign);
    if (GetParam() == DbEngine::SQLite) {
        std::unique_ptr<Database> plain = Database::openSqlite(env->dir.path().toStdString());
        QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        file.setDatabaseName(env->dir.filePath(QString::fromStdString(foreign + ".db")));
        ASSERT_TRUE(file.open());
        QSqlQuery(file).exec(QStringLiteral("CREATE TABLE OTHER (A TEXT)"));
        file.close();
    } else {
        db().execute("CREATE SCHEMA " + SchemaDdl::companyNamespace(DbEngine::PostgreSQL, foreign));
    }
    EXPECT_TRUE(db().companyExists(foreign));
    EXPECT_THROW(db().openCompany(foreign), DatabaseError);
    EXPECT_THROW(db().openCompany(foreign, OpenMode::CreateIfMissing), DatabaseError);
    if (GetParam() == DbEngine::SQLite)
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
}

TEST_P(DatabaseTest, ThreadsSeeCompaniesOpenedLaterAndGiveUpTheirConnectionsWhenTheyEnd)
{
    const std::string later = dbtest::uniqueCompanyName("LATER");
    std::string failure;
    std::thread worker([&] {
        try {
            db().query("SELECT COUNT(*) FROM " + table("CMSMC"));
            env->companies.push_back(later);
            db().openCompany(later, OpenMode::CreateNew);
        } catch (const std::exception &error) {
            failure = error.what();
        }
    });
    worker.join();
    ASSERT_EQ(failure, "");
    // The main thread's connection existed before the company was opened.
    EXPECT_EQ(db().query("SELECT COUNT(*) FROM " + env->table(later, "CMSMC")).integer(0, 0), 0);
}

TEST_P(DatabaseTest, AQueryThatFailsOnALaterRowIsAnErrorNotAShortTable)
{
    // Thousands of rows come before the failing one, so the engine has sent
    // rows already when it fails.
    const std::string sql = GetParam() == DbEngine::SQLite
                                ? "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 10000) "
                                  "SELECT CASE WHEN I = 5000 THEN abs(-9223372036854775807 - 1) ELSE I END AS V FROM N"
                                : "SELECT CASE WHEN I = 5000 THEN 1 / (I - 5000) ELSE I END AS V "
                                  "FROM generate_series(1, 10000) AS G(I)";
    EXPECT_THROW(db().query(sql), DatabaseError);
}

DBTEST_ON_BOTH_ENGINES(DatabaseTest);

TEST(SqliteDatabaseTest, CompanyFilesUseWriteAheadLogging)
{
    dbtest::TestDatabase env(DbEngine::SQLite);
    const std::string company = env.createCompany();
    const kv::ResultTable mode = env.db->query("PRAGMA \"" + company + "\".journal_mode");
    EXPECT_EQ(mode.text(0, 0), "wal");
}

TEST(PostgresDatabaseTest, ThreadsWaitForAFreeConnectionOfThePool)
{
    if (!dbtest::pgConnInfo())
        GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
    dbtest::TestDatabase env(DbEngine::PostgreSQL, 1);
    env.db->query("SELECT 1");
    std::atomic<bool> done{false};
    std::thread waiting([&] {
        env.db->query("SELECT 1");
        done = true;
        env.db->releaseThreadConnection();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done) << "a second connection was opened beyond the limit";
    env.db->releaseThreadConnection();
    waiting.join();
    EXPECT_TRUE(done);
}

TEST(PostgresDatabaseTest, AThreadThatEndsReturnsItsConnectionToThePool)
{
    if (!dbtest::pgConnInfo())
        GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
    dbtest::TestDatabase env(DbEngine::PostgreSQL, 1);
    env.db->releaseThreadConnection();
    std::thread([&] { env.db->query("SELECT 1"); }).join();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(env.db->query("SELECT 1"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << "waited for a lost connection";
}

TEST(SqliteDatabaseTest, ComputedColumnsWidenStepByStepButStatementsThatWriteRunOnce)
{
    dbtest::TestDatabase env(DbEngine::SQLite);
    const std::string company = env.createCompany();
    const std::string warehouses = env.table(company, "CMSMC");
    env.db->execute("INSERT INTO " + warehouses + " (MC001) VALUES ('A'), ('B'), ('C')");
    const kv::ResultTable widened = env.db->query(
        "SELECT CASE MC001 WHEN 'A' THEN 1 WHEN 'B' THEN 2.5 ELSE 'x' END AS V FROM " + warehouses + " ORDER BY MC001");
    EXPECT_EQ(widened.columnType(0), kv::FieldType::Text);
    EXPECT_EQ(widened.text(0, 0), "1");
    EXPECT_EQ(widened.text(2, 0), "x");

    EXPECT_THROW(env.db->query("INSERT INTO " + warehouses + " (MC001) VALUES ('D'), ('E') "
                               "RETURNING CASE MC001 WHEN 'D' THEN 1 ELSE 2.5 END AS V"),
                 DatabaseError);
    EXPECT_EQ(env.db->query("SELECT COUNT(*) FROM " + warehouses).integer(0, 0), 5) << "inserted once, not twice";
}

TEST(SqliteDatabaseTest, CompaniesCannotBeOpenedInsideATransaction)
{
    dbtest::TestDatabase env(DbEngine::SQLite);
    env.createCompany();
    Transaction transaction(*env.db);
    EXPECT_THROW(env.db->openCompany(dbtest::uniqueCompanyName(), OpenMode::CreateNew), DatabaseError);
}

TEST(PostgresDatabaseTest, ReportsAnUnreachableServer)
{
    EXPECT_THROW(Database::openPostgres("host=127.0.0.1 port=1 dbname=x user=x password=x connect_timeout=2"),
                 DatabaseError);
    EXPECT_THROW(Database::openPostgres("host 127.0.0.1"), DatabaseError);
}

} // namespace
