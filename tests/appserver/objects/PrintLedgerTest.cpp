// The print and send ledger as the program server keeps it, on SQLite and
// PostgreSQL: a print-count request that says what the output was raises the
// count and writes its row in one go, a failed output writes only its row,
// a refused request writes neither, the reads filter with bound values, and
// a company database made before the ledger existed gets the table on open.
#include "ProgramServerTestSupport.h"

#include "platform/Clock.h"
#include "platform/Dispatch.h"

#include <gmock/gmock.h>

namespace {

using kv::Variant;
using kv::varArrayOf;
using programservertest::ProgramServerTest;

class PrintLedgerTest : public ProgramServerTest {
protected:
    static constexpr const char *kSlip = "TC001='5401' and TC002='001'";

    Variant count(const char *column, const char *kind, const char *target, int pages, bool success,
                  const char *faxServer = "", const char *message = "")
    {
        return call("UpdatePrintCount",
                    {varArrayOf({"$$MOCTC", column, kSlip, kind, target, pages, success, faxServer, message})});
    }

    kv::ResultTable ledger(const char *type, const char *number, const char *user, const std::string &from,
                           const std::string &to, const char *kind)
    {
        return programservertest::tableOf(call("GetPrintLedger", {varArrayOf({type, number, user, from, to, kind})}));
    }

    std::int64_t column(const char *name)
    {
        return db().query("SELECT " + std::string(name) + " FROM " + env->table(company, "MOCTC") +
                          " WHERE TC002='001'")
            .integer(0, 0);
    }

    static std::string field(const kv::ResultTable &rows, int row, const char *name)
    {
        return std::string(rows.text(row, rows.columnIndex(name)));
    }
};

TEST_P(PrintLedgerTest, OutputsRaiseTheirCountWithTheirRowAndFailuresLeaveOnlyTheirRow)
{
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "001"}, {"TC010", 0}, {"TC017", 0}});
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "O'1"}, {"TC010", 0}, {"TC017", 0}});

    EXPECT_EQ(count("TC010", "2", "/out/slips.pdf", 3, true), Variant(std::int64_t(1)));
    EXPECT_EQ(count("TC010", "1", "HP LaserJet", 3, true), Variant(std::int64_t(1)));
    EXPECT_EQ(count("TC017", "5", "S01 <0755-1111111>", 2, false, "127.0.0.1", "Send Fax error!"),
              Variant(std::int64_t(0)));
    EXPECT_EQ(column("TC010"), 2);
    EXPECT_EQ(column("TC017"), 0);
    // A row of its own records the count the slip has, unraised.
    EXPECT_EQ(call("RecordPrintLedger", {varArrayOf({"$$MOCTC", "TC010", kSlip, "3", "/out/slip*.jpg", 3, true})}),
              Variant(std::int64_t(0)));
    EXPECT_THROW(call("RecordPrintLedger", {varArrayOf({"$$MOCTC", "TC010", "TC001='5401' or 1=1", "3", "x", 1, true})}),
                 kv::DispatchError);
    EXPECT_EQ(column("TC010"), 2);
    EXPECT_EQ(ledger("", "", "", "", "", "3").integer(0, 11), 2);

    // Refused before anything is written: no count, no row.
    EXPECT_THROW(count("TC010", "9", "x", 1, true), kv::DispatchError);
    EXPECT_THROW(count("TC010", "1", "x", -1, true), kv::DispatchError);
    EXPECT_EQ(column("TC010"), 2);

    const std::string today = kv::Clock::today().toString("yyyyMMdd").toStdString();
    const kv::ResultTable all = ledger("5401", "001", "", "", "", "");
    ASSERT_EQ(all.rowCount(), 4);
    for (int row = 0; row < all.rowCount(); ++row) {
        EXPECT_EQ(field(all, row, "PL002"), "MOCTC");
        EXPECT_EQ(field(all, row, "PL005"), "0001");
        EXPECT_EQ(field(all, row, "PL006"), today);
    }

    const kv::ResultTable pdf = ledger("", "", "", "", "", "2");
    ASSERT_EQ(pdf.rowCount(), 1);
    EXPECT_EQ(field(pdf, 0, "PL009"), "/out/slips.pdf");
    EXPECT_EQ(pdf.integer(0, pdf.columnIndex("PL011")), 3);
    EXPECT_EQ(field(pdf, 0, "PL012"), "Y");
    EXPECT_EQ(pdf.integer(0, pdf.columnIndex("PL013")), 1);
    EXPECT_EQ(field(pdf, 0, "PL014"), "TC010");
    EXPECT_EQ(ledger("", "", "", "", "", "1").integer(0, pdf.columnIndex("PL013")), 2);

    const kv::ResultTable fax = ledger("", "", "", "", "", "5");
    ASSERT_EQ(fax.rowCount(), 1);
    EXPECT_EQ(field(fax, 0, "PL009"), "S01 <0755-1111111>");
    EXPECT_EQ(field(fax, 0, "PL010"), "127.0.0.1");
    EXPECT_EQ(field(fax, 0, "PL012"), "N");
    EXPECT_EQ(field(fax, 0, "PL014"), "TC017");
    EXPECT_EQ(field(fax, 0, "PL015"), "Send Fax error!");
    EXPECT_EQ(fax.integer(0, fax.columnIndex("PL013")), 0);

    // The filters: slip, user, date range; user text only ever as a value.
    EXPECT_EQ(ledger("5401", "O'1", "", "", "", "").rowCount(), 0);
    EXPECT_EQ(ledger("", "", "0001", today, today, "").rowCount(), 4);
    EXPECT_EQ(ledger("", "", "x' OR '1'='1", "", "", "").rowCount(), 0);
    EXPECT_EQ(ledger("", "", "", "", "20000101", "").rowCount(), 0);
    EXPECT_EQ(ledger("", "", "", "20000101", "", "").rowCount(), 4);
}

TEST_P(PrintLedgerTest, LongTextsAreCutToTheirColumnsAndTheOldRequestStillCounts)
{
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "001"}, {"TC010", 0}});
    // A printer name longer than the column must not cost the slip its row.
    const std::string longName = std::string(300, 'P');
    EXPECT_EQ(count("TC010", "1", longName.c_str(), 1, true), Variant(std::int64_t(1)));
    const kv::ResultTable rows = ledger("", "001", "", "", "", "");
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(field(rows, 0, "PL009"), std::string(255, 'P'));

    // The three-element request of the described protocol counts without a row.
    EXPECT_EQ(call("UpdatePrintCount", {varArrayOf({"$$MOCTC", "TC010", kSlip})}), Variant(std::int64_t(1)));
    EXPECT_EQ(column("TC010"), 2);
    EXPECT_EQ(ledger("", "001", "", "", "", "").rowCount(), 1);
    EXPECT_THROW(call("GetPrintLedger", {varArrayOf({"5401"})}), kv::DispatchError);
}

TEST_P(PrintLedgerTest, ACompanyMadeBeforeTheLedgerGetsItsTableOnOpenOnce)
{
    insert("MOCTC", {{"TC001", "5401"}, {"TC002", "001"}, {"TC010", 0}});
    db().execute("DROP TABLE " + env->table(company, "ADMPL"));
    db().execute("DELETE FROM " + env->table(company, "SLIP_TABLES") + " WHERE TABLE_NAME = 'ADMPL'");

    db().openCompany(company, slip::OpenMode::Existing);
    EXPECT_EQ(count("TC010", "1", "HP", 1, true), Variant(std::int64_t(1)));
    const auto catalogued = [&] {
        return db().query("SELECT COUNT(*) FROM " + env->table(company, "SLIP_TABLES") + " WHERE TABLE_NAME = 'ADMPL'")
            .integer(0, 0);
    };
    EXPECT_EQ(catalogued(), 1);

    // Opening again changes nothing: the row stays.
    db().openCompany(company, slip::OpenMode::Existing);
    auto again = newServer();
    again->call("Connect", {programservertest::connectArgs(company)});
    EXPECT_EQ(catalogued(), 1);
    EXPECT_EQ(ledger("", "001", "", "", "", "").rowCount(), 1);
}

DBTEST_ON_BOTH_ENGINES(PrintLedgerTest);

} // namespace
