// The report's queries, written here from the texts the report assembles,
// sent through the program server's providers over demo data on both
// engines: the columns come in the report's order with the right values.
#include "ProgramServerReportSql.h"
#include "ProgramServerTestSupport.h"

#include "appserver/sql/ErpQueries.h"
#include "db/DemoData.h"
#include "platform/TextUtil.h"

#include <gmock/gmock.h>

#include <map>
#include <sstream>
#include <tuple>

namespace {

using kv::ResultTable;
using kv::Variant;
using programservertest::ProgramServerTest;

using reportsql::forDataSet;
using reportsql::reportSql;
using reportsql::Shape;

std::vector<std::string> split(const std::string &text)
{
    std::vector<std::string> names;
    std::istringstream in(text);
    for (std::string name; std::getline(in, name, ',');)
        names.push_back(name);
    return names;
}

std::vector<std::string> udfNames(const char *suffix)
{
    std::vector<std::string> names;
    for (const char *n : {"01", "02", "03", "04", "05", "06", "51", "52", "53", "54", "55", "56"})
        names.push_back(std::string("UDF") + n + suffix);
    return names;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> normalColumns()
{
    return split("TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,CMSMQ002,CMSMB002,CMSMD002,PURMA002,TE001,TE003,"
                 "TE004,TE005,TE006,TE008,TE009,TE010,TE011,TE012,TE013,TE014,TE017,TE018,CMSMC002,INVMC003,TA006,"
                 "TD006,TB004,PURMA003,TC014,TC016,INVMB002,INVMB003,TA034,TA035,TE021,TE022,TC031,CMSNO002,TE025,"
                 "TC021,CMSME002,TC008,TC013,TC018,TC019,TC020,CREATOR,MF002C2,TE015,TC010,TC011,TC012,TC015,"
                 "MF002C1,TB004C,TB019,TB019C,TE016,TE019,TE020,PURMA010,PURMA011,TA057,TA058,TE024,ME017,ME018,"
                 "ME019,ME017C,ME020,ME021,TE023,TE026,TE027") +
           udfNames("M") + udfNames("D") +
           split("TE009C,TA015,TA016,TE005C1,TE021C1,TB004C1,TB005C1,TB019C1,TB020C1,TC028,CMSMV002,TEC01");
}

std::vector<std::string> summaryColumns(const Shape &shape)
{
    return split(std::string("TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,TC031,CMSNO002,CMSMQ002,CMSMB002,"
                             "CMSMD002,PURMA002,TE001,TE002,CMSMC002") +
                 (shape.btn05 ? ",CMSMC002C" : "") +
                 ",PURMA003,TC014,TC016,TC021,CMSME002,TC008,TC013,TC018,TC019,TC020,CREATOR,MF002C2,TC010,TC011,"
                 "TC012,TC015,MF002C1,PURMA010,PURMA011,ME017,ME018,ME019,TE023") +
           udfNames("M") +
           split(std::string("TE004,TE006,BBMB002,BBMB003,TE005C,TE008C,TE010C") + (shape.btn05 ? ",TE008" : "") +
                 (shape.btn06 ? ",TE010" : "") + ",TE005C1,TE021C1,TC028,CMSMV002,TEC01");
}

std::vector<std::string> columnsOf(const ResultTable &table)
{
    std::vector<std::string> names;
    for (int column = 0; column < table.columnCount(); ++column)
        names.push_back(kv::upperAscii(table.columnName(column)));
    return names;
}

// --- fixture ------------------------------------------------------------------

class ProgramServerReportTest : public ProgramServerTest {
protected:
    void SetUp() override
    {
        ProgramServerTest::SetUp();
        if (IsSkipped())
            return;
        demo = dbtest::uniqueCompanyName("RQ");
        env->companies.push_back(demo);
        slip::DemoData(db(), {demo, "01", 40, 7}).generate();
        call("Connect", {programservertest::connectArgs(demo)});
    }

    ResultTable direct(const std::string &sql, const slip::SqlParams &params = {})
    {
        std::string text = sql;
        for (const char *table : {"MOCTB", "MOCTC", "MOCTE", "CMSMC", "QMSTA", "QMSTD", "QMSTG"}) {
            const std::string marker = std::string("@") + table;
            for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at))
                text.replace(at, marker.size(), env->table(demo, table));
        }
        return db().query(text, params);
    }

    // A slip type and number of a slip with lines.
    std::pair<std::string, std::string> slipWithLines(int skip = 0)
    {
        const ResultTable slips = direct("SELECT TE001, TE002 FROM @MOCTE GROUP BY TE001, TE002 ORDER BY TE001, TE002");
        return {std::string(slips.text(skip, 0)), std::string(slips.text(skip, 1))};
    }

    std::string demo;
};

TEST_P(ProgramServerReportTest, NormalQueryReturnsTheReportColumnsWithComputedValuesInSlipOrder)
{
    const std::string type = slipWithLines().first;
    const ResultTable rows =
        records("Provider1", reportSql({}, " and (TC001='" + type + "') and (TC009='Y')"));
    EXPECT_EQ(columnsOf(rows), normalColumns());
    ASSERT_EQ(rows.columnCount(), 114);

    const ResultTable expected = direct("SELECT COUNT(*) FROM @MOCTC LEFT JOIN @MOCTE ON TC001=TE001 AND TC002=TE002 "
                                        "WHERE TC001=:T AND TC009='Y'",
                                        {{"T", type}});
    ASSERT_GT(rows.rowCount(), 0);
    EXPECT_EQ(rows.rowCount(), expected.integer(0, 0));

    const auto col = [&](const char *name) { return rows.columnIndex(name); };
    int lots = 0, workOrders = 0;
    std::tuple<std::string, std::string, std::string, std::string> previous;
    for (int r = 0; r < rows.rowCount(); ++r) {
        EXPECT_EQ(rows.text(r, col("TC001")), type);
        const auto key = std::make_tuple(std::string(rows.text(r, col("TC001"))), std::string(rows.text(r, col("TC002"))),
                                         std::string(rows.text(r, col("TC003"))), std::string(rows.text(r, col("TE003"))));
        EXPECT_LE(previous, key);
        previous = key;
        if (!rows.isNull(r, col("ME017"))) {
            ++lots;
            EXPECT_EQ(rows.text(r, col("ME017C")), std::string(rows.text(r, col("ME017"))) + "-" +
                                                       std::string(rows.text(r, col("ME018"))) + "-" +
                                                       std::string(rows.text(r, col("ME019"))));
        }
        if (!rows.isNull(r, col("TB004"))) {
            ++workOrders;
            const ResultTable need = direct("SELECT TB004 - TB005, TB019 - TB020 FROM @MOCTB WHERE TB001=:A AND "
                                            "TB002=:B AND TB003=:C AND TB006=:D",
                                            {{"A", rows.value(r, col("TE011"))}, {"B", rows.value(r, col("TE012"))},
                                             {"C", rows.value(r, col("TE004"))}, {"D", rows.value(r, col("TE009"))}});
            EXPECT_DOUBLE_EQ(rows.number(r, col("TB004C")), need.number(0, 0));
            EXPECT_DOUBLE_EQ(rows.number(r, col("TB019C")), need.number(0, 1));
        }
        EXPECT_EQ(rows.number(r, col("TB004C1")), 0);
    }
    EXPECT_GT(lots, 0);
    EXPECT_GT(workOrders, 0);
}

TEST_P(ProgramServerReportTest, ByKeyQueryReturnsTheLinesOfOneSlip)
{
    const auto [type, number] = slipWithLines(3);
    const std::string sql =
        forDataSet(reportSql({}, " and (TC001='" + type + "') and (TC002='" + number + "')"), demo);
    const ResultTable rows = records("pvdMain", sql);
    const ResultTable lines =
        direct("SELECT COUNT(*) FROM @MOCTE WHERE TE001=:A AND TE002=:B", {{"A", type}, {"B", number}});
    EXPECT_EQ(rows.rowCount(), lines.integer(0, 0));
    for (int r = 0; r < rows.rowCount(); ++r)
        EXPECT_EQ(rows.text(r, rows.columnIndex("TC002")), number);
}

TEST_P(ProgramServerReportTest, SummaryQueriesFollowTheWarehouseAndLotChoicesAndTheLineQuerySumsTheirLines)
{
    const std::string type = slipWithLines().first;
    const std::string where = " and (TC001='" + type + "')";
    std::map<std::string, std::string> warehouses;
    const ResultTable names = direct("SELECT MC001, MC002 FROM @CMSMC");
    for (int r = 0; r < names.rowCount(); ++r)
        warehouses[std::string(names.text(r, 0))] = names.text(r, 1);

    for (const Shape shape : {Shape{true, false, false}, Shape{true, true, false}, Shape{true, true, true}}) {
        SCOPED_TRACE(std::string("btn05=") + (shape.btn05 ? "1" : "0") + " btn06=" + (shape.btn06 ? "1" : "0"));
        const ResultTable rows = records("Provider1", forDataSet(reportSql(shape, where), demo));
        EXPECT_EQ(columnsOf(rows), summaryColumns(shape));
        ASSERT_GT(rows.rowCount(), 0);
        const int te008 = rows.columnIndex("TE008");
        for (int r = 0; r < rows.rowCount(); ++r) {
            EXPECT_EQ(rows.text(r, rows.columnIndex("CMSMC002")), "null");
            EXPECT_EQ(rows.text(r, rows.columnIndex("TE008C")), "NULL");
            if (te008 >= 0 && !rows.isNull(r, te008)) {
                EXPECT_EQ(rows.text(r, rows.columnIndex("CMSMC002C")), warehouses[std::string(rows.text(r, te008))]);
            }
        }

        // The layout's line query for the first line of the summary.
        const auto value = [&](const char *name) { return std::string(rows.text(0, rows.columnIndex(name))); };
        std::vector<const char *> names{"TE004", "TE006", "TE001", "TE002", "TEC01"};
        if (shape.btn05)
            names.push_back("TE008");
        if (shape.btn06)
            names.push_back("TE010");
        kv::VariantArray params({0, 1}, {0, int(names.size()) - 1});
        for (int n = 0; n < int(names.size()); ++n) {
            params.at(0, n) = names[n];
            params.at(1, n) = value(names[n]);
        }
        const ResultTable sum = records("Provider2", slip::test::lineTotalsSql(demo, shape.btn05, shape.btn06),
                                        Variant(params));
        std::string condition = "TE004=:A AND TE006=:B AND TE001=:C AND TE002=:D AND TEC01=:E";
        slip::SqlParams expectedParams{{"A", value("TE004")}, {"B", value("TE006")}, {"C", value("TE001")},
                                       {"D", value("TE002")}, {"E", value("TEC01")}};
        if (shape.btn05) {
            condition += " AND TE008=:F";
            expectedParams.push_back({"F", value("TE008")});
        }
        if (shape.btn06) {
            condition += " AND TE010=:G";
            expectedParams.push_back({"G", value("TE010")});
        }
        const ResultTable expected =
            direct("SELECT SUM(TE005), SUM(TE021), COUNT(*) FROM @MOCTE WHERE " + condition, expectedParams);
        ASSERT_GT(expected.integer(0, 2), 0);
        EXPECT_EQ(columnsOf(sum), split("TE005,TE021"));
        EXPECT_NEAR(sum.number(0, 0), expected.number(0, 0), 1e-9);
        EXPECT_NEAR(sum.number(0, 1), expected.number(0, 1), 1e-9);
    }
}

TEST_P(ProgramServerReportTest, InspectionRemarkQueryFindsTheRemarkOfEachReceiptKind)
{
    for (const char *table : {"QMSTA", "QMSTD", "QMSTG"}) {
        const std::string p = std::string(table).substr(3, 2);
        const ResultTable inspected =
            direct("SELECT " + p + "001, " + p + "002, " + p + "003, " + p + "027 FROM @" + table + " ORDER BY 1, 2, 3");
        ASSERT_GT(inspected.rowCount(), 0) << table;
        const std::string sql = slip::test::inspectionRemarkSql(demo + "..", std::string(inspected.text(0, 0)),
                                                                std::string(inspected.text(0, 1)),
                                                                std::string(inspected.text(0, 2)));
        const ResultTable remark = records("Provider2", sql);
        EXPECT_EQ(columnsOf(remark), split("TA026,TA027"));
        ASSERT_EQ(remark.rowCount(), 1) << table;
        EXPECT_EQ(remark.text(0, 1), inspected.text(0, 3)) << table;
    }
    EXPECT_EQ(records("Provider2", slip::test::inspectionRemarkSql("$$", "X", "Y", "Z")).rowCount(), 0);
}

DBTEST_ON_BOTH_ENGINES(ProgramServerReportTest);

} // namespace
