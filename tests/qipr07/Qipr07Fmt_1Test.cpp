// The summary material-issue slip over the demo company: the quantity of
// each summed row comes from the line query over the direct connection
// (never from the report data's dummy column), warehouse and lot print only
// when the summary is by them, the footer totals the printed quantities,
// and a connection string that cannot be used ends the run with its
// message.

#include "LayoutDataSupport.h"

#include "platform/ClientDataSet.h"
#include "platform/DispatchObject.h"
#include "qipr07/Qipr07Fmt_1.h"

#include <map>
#include <tuple>

using namespace layoutdata;
using kv::TfrmQipr07Fmt_1;

namespace {

QString floatText(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace

class Qipr07Fmt_1Test : public SlipLayoutTest {
protected:
    using Key = std::tuple<std::string, std::string, std::string, std::string>; // item, unit, warehouse, lot

    // Issue quantities of one slip summed by item and unit, and by
    // warehouse and lot where asked.
    std::map<Key, double> sums(const std::string &type, const std::string &number, bool byWarehouse, bool byLot) const
    {
        const kv::ResultTable rows = company->query(
            "SELECT TE004, TE006, TE008, TE010, TE005 FROM {MOCTE} WHERE TE001=:T AND TE002=:N",
            {{"T", Variant(type)}, {"N", Variant(number)}});
        std::map<Key, double> result;
        for (int row = 0; row < rows.rowCount(); ++row) {
            const Key key{kv::varToStr(rows.value(row, 0)), kv::varToStr(rows.value(row, 1)),
                          byWarehouse ? kv::varToStr(rows.value(row, 2)) : std::string(),
                          byLot ? kv::varToStr(rows.value(row, 3)) : std::string()};
            result[key] += rows.value(row, 4).toDouble();
        }
        return result;
    }

    // A slip of one page in the summary whose lines share items, so that
    // the summing shows.
    std::pair<std::string, std::string> slipWithRepeatedItems() const
    {
        for (const char *type : {"5403", "5401", "5402"}) {
            for (const auto &[number, count] : slipsOfType(type)) {
                const std::map<Key, double> byItem = sums(type, number, false, false);
                if (count > int(byItem.size()) && byItem.size() <= 7 && !byItem.empty())
                    return {type, number};
            }
        }
        return {};
    }
};

TEST_P(Qipr07Fmt_1Test, QuantitiesByWarehouseAndLotComeFromTheLineQuery)
{
    const auto [type, number] = slipWithRepeatedItems();
    ASSERT_FALSE(type.empty()) << "no one-page demo slip with an item on several lines";
    ReportQuery query{type, {number}};
    query.summary = query.summaryByWarehouse = query.summaryByLot = true;
    TfrmQipr07Fmt_1 *layout = openLayout<TfrmQipr07Fmt_1>(query);
    const std::vector<layouttest::Form> forms = generate(layout);
    ASSERT_FALSE(forms.empty());

    const std::map<Key, double> expected = sums(type, number, true, true);
    const std::vector<PrintedRow> rows =
        rowsOf(*layout->QuickRep1->pages(), QStringLiteral("txtTE004"),
               {QStringLiteral("txtTE006"), QStringLiteral("txtTE005"), QStringLiteral("txtTE008"),
                QStringLiteral("txtTE010")});
    ASSERT_EQ(rows.size(), expected.size());
    double total = 0;
    for (const PrintedRow &row : rows) {
        const Key key{row["txtTE004"].toStdString(), row["txtTE006"].toStdString(), row["txtTE008"].toStdString(),
                      row["txtTE010"].toStdString()};
        SCOPED_TRACE(std::get<0>(key) + " " + std::get<2>(key) + " " + std::get<3>(key));
        ASSERT_EQ(expected.count(key), 1u);
        EXPECT_EQ(row["txtTE005"], floatText(expected.at(key)));
        total += expected.at(key);
    }
    // Warehouse names and lot descriptions come along.
    const kv::ResultTable names = company->query(
        "SELECT DISTINCT MC002 FROM {MOCTE} JOIN {CMSMC} ON MC001=TE008 WHERE TE001=:T AND TE002=:N ORDER BY MC002",
        {{"T", Variant(type)}, {"N", Variant(number)}});
    QStringList printedNames = forms.back().all("txtCMSMC002");
    printedNames.removeDuplicates();
    printedNames.sort();
    QStringList expectedNames;
    for (int row = 0; row < names.rowCount(); ++row)
        expectedNames << QString::fromStdString(names.value(row, 0).toText());
    expectedNames.sort();
    EXPECT_EQ(printedNames, expectedNames);
    EXPECT_EQ(forms.back().text("txtTE005C1"), floatText(total));
    EXPECT_EQ(forms.back().text("txtTC002"), QString::fromStdString(number));
}

TEST_P(Qipr07Fmt_1Test, WithoutWarehouseAndLotBothPrintEmptyAndQuantitiesSumOverThem)
{
    const auto [type, number] = slipWithRepeatedItems();
    ASSERT_FALSE(type.empty());
    ReportQuery query{type, {number}};
    query.summary = true;
    TfrmQipr07Fmt_1 *layout = openLayout<TfrmQipr07Fmt_1>(query);
    EXPECT_EQ(layout->LineTotalsSql().find("TE008"), std::string::npos);
    const std::vector<layouttest::Form> forms = generate(layout);
    ASSERT_FALSE(forms.empty());
    for (const layouttest::Form &form : forms) {
        for (const char *component : {"txtTE008", "txtCMSMC002", "txtTE010", "txtTE023"})
            EXPECT_FALSE(form.has(QLatin1String(component))) << component;
    }
    const std::map<Key, double> expected = sums(type, number, false, false);
    const std::vector<PrintedRow> rows = rowsOf(*layout->QuickRep1->pages(), QStringLiteral("txtTE004"),
                                                {QStringLiteral("txtTE006"), QStringLiteral("txtTE005")});
    ASSERT_FALSE(rows.empty());
    for (const PrintedRow &row : rows) {
        const Key key{row["txtTE004"].toStdString(), row["txtTE006"].toStdString(), "", ""};
        ASSERT_EQ(expected.count(key), 1u) << std::get<0>(key);
        // Never the report data's dummy 0.
        EXPECT_EQ(row["txtTE005"], floatText(expected.at(key)));
    }
}

TEST_P(Qipr07Fmt_1Test, AnItemFromTwoLotsIsOneRowWithItsWholeQuantityUnlessSummedByLot)
{
    const kv::ResultTable repeated = company->query(
        "SELECT TE001, TE002 FROM {MOCTE} WHERE TE010 <> '' GROUP BY TE001, TE002, TE004, TE006 "
        "HAVING COUNT(DISTINCT TE010) > 1 ORDER BY TE001, TE002");
    ASSERT_GT(repeated.rowCount(), 0) << "no demo slip with an item issued from two lots";
    const std::string type = repeated.value(0, 0).toText();
    const std::string number = repeated.value(0, 1).toText();
    const kv::ResultTable total = company->query("SELECT SUM(TE005) FROM {MOCTE} WHERE TE001=:T AND TE002=:N",
                                                 {{"T", Variant(type)}, {"N", Variant(number)}});
    for (const bool byLot : {false, true}) {
        SCOPED_TRACE(byLot ? "by lot" : "by item");
        ReportQuery query{type, {number}};
        query.summary = true;
        query.summaryByLot = byLot;
        TfrmQipr07Fmt_1 *layout = openLayout<TfrmQipr07Fmt_1>(query);
        const std::vector<layouttest::Form> forms = generate(layout);
        ASSERT_FALSE(forms.empty());
        const std::vector<PrintedRow> rows =
            rowsOf(*layout->QuickRep1->pages(), QStringLiteral("txtTE004"),
                   {QStringLiteral("txtTE006"), QStringLiteral("txtTE005"), QStringLiteral("txtTE010")});
        // One row for each sum, with the quantity that sum stands for.
        const std::map<Key, double> expected = sums(type, number, false, byLot);
        std::map<Key, double> printed;
        for (const PrintedRow &row : rows) {
            const Key key{row["txtTE004"].toStdString(), row["txtTE006"].toStdString(), "",
                          row["txtTE010"].toStdString()};
            EXPECT_EQ(printed.count(key), 0u) << std::get<0>(key) << " printed twice";
            printed[key] = row["txtTE005"].toDouble();
        }
        EXPECT_EQ(printed, expected);
        // The printed rows add up to the slip's total.
        EXPECT_EQ(forms.back().text("txtTE005C1"), floatText(total.value(0, 0).toDouble()));
    }
}

TEST_P(Qipr07Fmt_1Test, SummaryDataHasOneRowPerSlipItemUnitAndTypeWithTheLotOfItsLines)
{
    // The report data itself, on every slip of the company and each choice
    // of grouping: the rows are exactly the sums the lines make, and a row
    // whose lines share one lot carries that lot's description and receipt
    // (the inspection remark's key); a row over several lots carries none.
    for (const bool byWarehouse : {false, true}) {
        for (const bool byLot : {false, true}) {
            SCOPED_TRACE(std::string(byWarehouse ? "warehouse " : "") + (byLot ? "lot" : ""));
            const std::string key = std::string("TE001||'/'||TE002||'/'||TE004||'/'||TE006||'/'||TEC01") +
                                    (byWarehouse ? "||'/'||TE008" : "") + (byLot ? "||'/'||TE010" : "");
            const kv::ResultTable groups = company->query(
                "SELECT " + key + ", MIN(TE010), MAX(TE010), MIN(TE023), MIN(ME017), MIN(ME018), MIN(ME019) "
                "FROM {MOCTE} LEFT JOIN {INVME} ON ME001=TE004 AND ME002=TE010 GROUP BY " + key);
            const auto lotOf = [](const std::string &description, const std::string &type, const std::string &number,
                                  const std::string &sequence) {
                return description + "|" + type + "-" + number + "-" + sequence;
            };
            std::map<std::string, std::string> expected;
            for (int row = 0; row < groups.rowCount(); ++row) {
                const auto text = [&groups, row](int column) { return kv::varToStr(groups.value(row, column)); };
                expected[text(0)] = text(1) == text(2) ? lotOf(text(3), text(4), text(5), text(6)) : lotOf("", "", "", "");
            }
            std::map<std::string, std::string> reported;
            for (const char *type : {"5401", "5402", "5403", "5404", "5501", "5502"}) {
                if (slipsOfType(type).empty())
                    continue;
                ReportQuery query{type, {}};
                query.summary = true;
                query.summaryByWarehouse = byWarehouse;
                query.summaryByLot = byLot;
                kv::ClientDataSet *data = openLayout<TfrmQipr07Fmt_1>(query)->ClientDataSet1;
                ASSERT_TRUE(data->Active());
                for (data->First(); !data->Eof(); data->Next()) {
                    const auto text = [data](const char *column) { return data->FieldByName(column).AsString(); };
                    if (text("TE001").empty())
                        continue; // a slip without lines
                    std::string row = text("TE001") + "/" + text("TE002") + "/" + text("TE004") + "/" +
                                      text("TE006") + "/" + text("TEC01");
                    if (byWarehouse)
                        row += "/" + text("TE008");
                    if (byLot)
                        row += "/" + text("TE010");
                    EXPECT_EQ(reported.count(row), 0u) << row << " twice";
                    reported[row] = lotOf(text("TE023"), text("ME017"), text("ME018"), text("ME019"));
                }
            }
            EXPECT_EQ(reported, expected);
        }
    }
}

namespace {

// A program server whose connection string leads nowhere.
class BrokenConnectServer : public kv::DispatchObject {
public:
    explicit BrokenConnectServer(std::string reply) : DispatchObject("BrokenConnectServer")
    {
        addMethod("ResultConnectString", 0, 1, [this](std::vector<Variant> &) {
            ++calls;
            if (m_reply.empty())
                throw kv::DispatchError("ResultConnectString: not served");
            return Variant(m_reply);
        });
        m_reply = std::move(reply);
    }
    int calls = 0;

private:
    std::string m_reply;
};

} // namespace

TEST_P(Qipr07Fmt_1Test, UnusableConnectionEndsTheRunWithItsMessage)
{
    const auto [type, number] = slipWithRepeatedItems();
    ASSERT_FALSE(type.empty());
    ReportQuery query{type, {}};
    query.summary = true;
    // No reply, a file that is not there, and a driver nobody knows.
    for (const std::string &reply :
         {std::string(), std::string("Driver=QSQLITE;Database=/nonexistent/q2.db;CompanyDB=") + company->companyDb,
          std::string("Driver=QODBC;CompanyDB=X")}) {
        SCOPED_TRACE(reply);
        auto broken = std::make_shared<BrokenConnectServer>(reply);
        owner->ProgramServer = Variant(kv::DispatchPtr(broken));
        const std::size_t asked = prompter->questions().size();
        prompter->answerMessage(kv::mrOk);
        TfrmQipr07Fmt_1 *layout = openLayout<TfrmQipr07Fmt_1>(query);
        EXPECT_FALSE(layout->GeneratePages());
        ASSERT_EQ(prompter->questions().size(), asked + 1);
        EXPECT_EQ(QString::fromStdString(prompter->questions().back().text).trimmed(),
                  QStringLiteral("请用最新的counter再来运行该程序"));
        EXPECT_EQ(broken->calls, 1);
        EXPECT_FALSE(layout->ADO01->Connected());
    }
}

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Qipr07Fmt_1Test);
