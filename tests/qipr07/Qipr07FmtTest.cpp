// The detailed material-issue slip over the demo company, on the recorded
// page texts: pages and lines per slip, the warehouse page break with its
// own totals, a slip without lines, the hyphen of the work order, asterisk
// totals, mask formatting, the inspection remark, and the print count that
// printing (not previewing) raises once per slip.

#include "LayoutDataSupport.h"

#include "qipr07/Qipr07Fmt.h"
#include "qipr07/Qipr07Fmt_1.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRBand.h"

#include <QFile>
#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

using namespace layoutdata;
using kv::TfrmQipr07Fmt;

namespace {

constexpr int kLinesPerPage = 7; // footer 380 / line 63 + 1
const QString kStars = QStringLiteral("***********.***");

QString grouped(double value, int decimals)
{
    // Thousands grouping written out independently of the layout's masks.
    QString digits = QString::number(std::fabs(value), 'f', decimals);
    const qsizetype point = decimals > 0 ? digits.indexOf(QLatin1Char('.')) : digits.size();
    for (qsizetype at = point - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

} // namespace

TEST(Qipr07FmtMask, TotalsAreFormattedByTheFieldsMask)
{
    EXPECT_EQ(TfrmQipr07Fmt::FormatByMask("0.00", 1234.5), "1,234.50");
    EXPECT_EQ(TfrmQipr07Fmt::FormatByMask("", 1234.5), "1234.5");
    // Decimals follow the part after the first point, halves away from zero.
    EXPECT_EQ(TfrmQipr07Fmt::FormatByMask("#,##0.000", 2.0005), "2.001");
    EXPECT_EQ(TfrmQipr07Fmt::FormatByMask("0.0", -1234567.25), "-1,234,567.3");
    // A mask without decimals rounds to whole numbers.
    EXPECT_EQ(TfrmQipr07Fmt::FormatByMask("0", 1234.5), "1,235");
    EXPECT_EQ(TfrmQipr07Fmt::FormatByMask("0.", 0.4), "0");
}

class Qipr07FmtTest : public SlipLayoutTest {
protected:
    struct Line {
        std::string number, warehouse, workOrderType;
    };

    // The lines of a slip in print order.
    std::vector<Line> linesOf(const std::string &type, const std::string &number, bool byWarehouse = false) const
    {
        const kv::ResultTable rows = company->query(
            std::string("SELECT TE003, TE008, TE011 FROM {MOCTE} WHERE TE001=:T AND TE002=:N ORDER BY ") +
                (byWarehouse ? "TE008, TE003" : "TE003"),
            {{"T", Variant(type)}, {"N", Variant(number)}});
        std::vector<Line> lines;
        for (int row = 0; row < rows.rowCount(); ++row)
            lines.push_back({rows.value(row, 0).toText(), kv::varToStr(rows.value(row, 1)),
                             kv::varToStr(rows.value(row, 2))});
        return lines;
    }

    // The first slip (of any type) the predicate accepts: type and number.
    template <class Accept>
    std::pair<std::string, std::string> findSlip(Accept accept) const
    {
        for (const char *type : {"5403", "5401", "5402", "5404", "5501", "5502"}) {
            for (const auto &[number, count] : slipsOfType(type)) {
                if (accept(type, number, count))
                    return {type, number};
            }
        }
        return {};
    }

    std::map<std::string, double> printCounts(const std::string &type) const { return printCountsOfType(type); }

    std::set<std::string> warehousesOf(const std::string &type, const std::string &number) const
    {
        std::set<std::string> warehouses;
        for (const Line &line : linesOf(type, number))
            warehouses.insert(line.warehouse);
        return warehouses;
    }
};

TEST_P(Qipr07FmtTest, LongSlipPagesLinesHyphensAndAsteriskTotals)
{
    const auto [type, number] = findSlip([this](const std::string &t, const std::string &n, int count) {
        if (count <= kLinesPerPage * 2)
            return false;
        bool with = false, without = false;
        for (const Line &line : linesOf(t, n))
            (line.workOrderType.empty() ? without : with) = true;
        return with && without;
    });
    ASSERT_FALSE(type.empty()) << "no demo slip with more than two pages of lines, with and without work orders";
    const std::vector<Line> lines = linesOf(type, number);

    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>({type, {number}});
    const std::vector<layouttest::Form> forms = generate(layout);
    const int pages = int(lines.size() + kLinesPerPage - 1) / kLinesPerPage;
    ASSERT_EQ(int(forms.size()), pages);

    const kv::ResultTable header = company->query("SELECT TC014, TC029, TC009 FROM {MOCTC} WHERE TC001=:T AND TC002=:N",
                                                  {{"T", Variant(type)}, {"N", Variant(number)}});
    const QString slipDate = QString::fromStdString(header.value(0, 0).toText());
    for (int page = 0; page < pages; ++page) {
        SCOPED_TRACE(page);
        const layouttest::Form &form = forms[std::size_t(page)];
        const bool last = page == pages - 1;
        EXPECT_EQ(form.text("lblPageNo"), QString::number(page + 1));
        EXPECT_EQ(form.text("lblTotalPage"), QString::number(pages));
        EXPECT_EQ(form.text("txtTC002"), QString::fromStdString(number));
        EXPECT_EQ(form.text("txtTC014"),
                  slipDate.left(4) + QLatin1Char('/') + slipDate.mid(4, 2) + QLatin1Char('/') + slipDate.mid(6, 2));
        const QString approval = QString::fromStdString(header.value(0, 2).toText());
        EXPECT_EQ(form.text("txtTC009"), approval == QLatin1String("Y")   ? QStringLiteral("已审核")
                                         : approval == QLatin1String("N") ? QStringLiteral("未审核")
                                                                          : QStringLiteral("作废"));
        QStringList expectedLines;
        for (int index = page * kLinesPerPage; index < std::min(int(lines.size()), (page + 1) * kLinesPerPage); ++index)
            expectedLines << QString::fromStdString(lines[std::size_t(index)].number);
        EXPECT_EQ(form.all("txtTE003"), expectedLines);
        // The slip's total is final on its last page only.
        EXPECT_EQ(form.text("txtTE005C1"), last ? QString::number(header.value(0, 1).toDouble(), 'g', 15) : kStars);
        EXPECT_EQ(form.has("lblNextPage"), !last);
        EXPECT_EQ(form.has("lblSignIn1"), last);
        // The standard line number is not part of this form.
        EXPECT_FALSE(form.has("lblSeq"));
    }

    // The hyphen joins work-order type and number only where there is a type.
    const std::vector<PrintedRow> rows = rowsOf(*layout->QuickRep1->pages(), QStringLiteral("txtTE003"),
                                                {QStringLiteral("txtTE011"), QStringLiteral("txtHyphen"),
                                                 QStringLiteral("txtTE012")});
    ASSERT_EQ(rows.size(), lines.size());
    for (std::size_t index = 0; index < rows.size(); ++index) {
        SCOPED_TRACE(lines[index].number);
        const bool hasOrder = !lines[index].workOrderType.empty();
        EXPECT_EQ(rows[index]["txtHyphen"], hasOrder ? QStringLiteral("-") : QString());
        EXPECT_EQ(rows[index]["txtTE011"], QString::fromStdString(lines[index].workOrderType));
        EXPECT_EQ(rows[index]["txtTE012"].isEmpty(), !hasOrder);
    }

    // Every page shows the totals when the clerk asks for it.
    layout->TotalsEveryPage = true;
    for (const layouttest::Form &form : generate(layout))
        EXPECT_NE(form.text("txtTE005C1"), kStars);
}

TEST_P(Qipr07FmtTest, WarehousePageBreakPrintsEachWarehouseAsASlipWithItsOwnTotals)
{
    // A slip over two warehouses, one of them with lines for two pages.
    const auto [type, number] = findSlip([this](const std::string &t, const std::string &n, int) {
        std::map<std::string, int> lines;
        int most = 0;
        for (const Line &line : linesOf(t, n))
            most = std::max(most, ++lines[line.warehouse]);
        return lines.size() >= 2 && most > kLinesPerPage;
    });
    ASSERT_FALSE(type.empty()) << "no demo slip with two pages of lines in one warehouse and more in another";

    ReportQuery query{type, {number}};
    query.byWarehouse = true;
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(query);
    // All footer totals placed on the form, two of them with masks.
    int left = 380;
    for (kv::TKVQRDBText *field : {layout->txtTE021C1, layout->txtTB004C1, layout->txtTB005C1, layout->txtTB019C1,
                                   layout->txtTB020C1}) {
        field->setEnabled(true);
        field->setLeft(left += 60);
    }
    layout->txtTB004C1->setMask(QStringLiteral("#,##0.00"));
    layout->txtTE021C1->setMask(QStringLiteral("0.000"));
    const std::vector<layouttest::Form> forms = generate(layout);

    const kv::ResultTable perWarehouse = company->query(
        "SELECT TE008, COUNT(*), SUM(TE005), SUM(TE021), SUM(COALESCE(TB004, 0)), SUM(COALESCE(TB004 - TB005, 0)), "
        "SUM(COALESCE(TB019, 0)), SUM(COALESCE(TB019 - TB020, 0)) FROM {MOCTE} LEFT JOIN {MOCTB} ON TE011=TB001 AND "
        "TE012=TB002 AND TE004=TB003 AND TE009=TB006 WHERE TE001=:T AND TE002=:N GROUP BY TE008 ORDER BY TE008",
        {{"T", Variant(type)}, {"N", Variant(number)}});
    ASSERT_GE(perWarehouse.rowCount(), 2);
    EXPECT_EQ(layout->GroupRowCounts.size(), perWarehouse.rowCount());
    const auto sum = [&perWarehouse](int warehouse, int column) { return perWarehouse.value(warehouse, column).toDouble(); };
    std::size_t form = 0;
    for (int warehouse = 0; warehouse < perWarehouse.rowCount(); ++warehouse) {
        const int lines = int(perWarehouse.value(warehouse, 1).toInt64());
        const int pages = (lines + kLinesPerPage - 1) / kLinesPerPage;
        const QString code = QString::fromStdString(kv::varToStr(perWarehouse.value(warehouse, 0)));
        for (int page = 1; page <= pages; ++page, ++form) {
            SCOPED_TRACE(code.toStdString() + " page " + std::to_string(page));
            ASSERT_LT(form, forms.size());
            EXPECT_EQ(forms[form].text("lblPageNo"), QString::number(page));
            EXPECT_EQ(forms[form].text("lblTotalPage"), QString::number(pages));
            const QStringList printed = forms[form].all("txtTE008");
            EXPECT_EQ(QSet<QString>(printed.begin(), printed.end()), QSet<QString>{code});
            // The part's own totals, on its last page.
            const bool last = page == pages;
            EXPECT_EQ(forms[form].text("txtTE005C1"), last ? QString::number(sum(warehouse, 2), 'g', 15) : kStars);
            EXPECT_EQ(forms[form].text("txtTE021C1"), last ? grouped(sum(warehouse, 3), 3) : kStars);
            EXPECT_EQ(forms[form].text("txtTB004C1"), last ? grouped(sum(warehouse, 4), 2) : kStars);
            EXPECT_EQ(forms[form].text("txtTB005C1"), last ? QString::number(sum(warehouse, 5), 'g', 15) : kStars);
            EXPECT_EQ(forms[form].text("txtTB019C1"), last ? QString::number(sum(warehouse, 6), 'g', 15) : kStars);
            EXPECT_EQ(forms[form].text("txtTB020C1"), last ? QString::number(sum(warehouse, 7), 'g', 15) : kStars);
        }
    }
    EXPECT_EQ(form, forms.size());

    // Totals on every page: the part's issue total is the same on each of its
    // pages (the header's total is a whole-slip figure as well).
    layout->TotalsEveryPage = true;
    std::map<QString, QSet<QString>> totals;
    for (const layouttest::Form &page : generate(layout))
        totals[page.all("txtTE008").value(0)].insert(page.text("txtTE005C1"));
    ASSERT_EQ(int(totals.size()), perWarehouse.rowCount());
    for (int warehouse = 0; warehouse < perWarehouse.rowCount(); ++warehouse)
        EXPECT_EQ(totals[QString::fromStdString(kv::varToStr(perWarehouse.value(warehouse, 0)))],
                  QSet<QString>{QString::number(sum(warehouse, 2), 'g', 15)});
}

TEST_P(Qipr07FmtTest, SlipWithoutLinesPrintsItsHeaderAndFooterOnly)
{
    const std::vector<std::pair<std::string, int>> slips = slipsOfType("5401");
    ASSERT_GE(slips.size(), 2u);
    const std::string empty = slips[0].first;
    company->execute("DELETE FROM {MOCTE} WHERE TE001='5401' AND TE002=:N", {{"N", Variant(empty)}});

    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>({"5401", {empty, slips[1].first}});
    const std::vector<layouttest::Form> forms = generate(layout);
    ASSERT_GE(forms.size(), 2u);
    const layouttest::Form &form = forms[0];
    EXPECT_EQ(form.text("txtTC002"), QString::fromStdString(empty));
    EXPECT_FALSE(form.has("txtTE003"));
    EXPECT_FALSE(form.has("txtTE004"));
    EXPECT_TRUE(form.has("lblNoData"));
    // One page that is also the last: no continued mark, sign-offs and totals shown.
    EXPECT_EQ(form.text("lblTotalPage"), QStringLiteral("1"));
    EXPECT_FALSE(form.has("lblNextPage"));
    EXPECT_EQ(form.text("lblSignIn1"), QStringLiteral("主管:"));
    EXPECT_NE(form.text("txtTE005C1"), kStars);
    // The next slip starts afresh with its lines.
    EXPECT_EQ(forms[1].text("txtTC002"), QString::fromStdString(slips[1].first));
    EXPECT_EQ(forms[1].text("lblPageNo"), QStringLiteral("1"));
    EXPECT_TRUE(forms[1].has("txtTE003"));
}

TEST_P(Qipr07FmtTest, PrintingRaisesThePrintCountOncePerSlipPreviewingDoesNot)
{
    const auto [type, number] = findSlip([this](const std::string &t, const std::string &n, int count) {
        return count > kLinesPerPage && warehousesOf(t, n).size() >= 2;
    });
    ASSERT_FALSE(type.empty()) << "no demo slip over two pages and two warehouses";
    std::string other;
    for (const auto &[candidate, count] : slipsOfType(type)) {
        if (candidate != number && count > 0)
            other = candidate;
    }
    ASSERT_FALSE(other.empty());
    owner->chkCMSMC->setChecked(true);
    ReportQuery query{type, {number, other}};
    query.byWarehouse = true;
    const std::map<std::string, double> before = printCounts(type);

    TfrmQipr07Fmt *preview = openLayout<TfrmQipr07Fmt>(query);
    preview->PrintCountMode = 0;
    EXPECT_GT(generate(preview).size(), 2u);
    EXPECT_EQ(printCounts(type), before);

    QTemporaryDir out;
    TfrmQipr07Fmt *print = openLayout<TfrmQipr07Fmt>(query);
    print->PrintCountMode = 1;
    print->PrintFileName = out.filePath(QStringLiteral("slips.pdf"));
    print->PrintDirect();
    QFile pdf(print->PrintFileName);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));

    std::map<std::string, double> expected = before;
    expected[number] += 1;
    expected[other] += 1;
    EXPECT_EQ(printCounts(type), expected);
    EXPECT_TRUE(messages().empty());
}

TEST_P(Qipr07FmtTest, InspectionRemarkOfEachLinesLot)
{
    // Lines whose lot has an inspection remark (receipts of either kind).
    const std::string remarks =
        "SELECT TE001, TE002, R.REMARK FROM {MOCTE} JOIN {INVME} ON ME001=TE004 AND ME002=TE010 JOIN ("
        "SELECT TA001 AS K1, TA002 AS K2, TA003 AS K3, TA027 AS REMARK FROM {QMSTA} UNION ALL "
        "SELECT TD001, TD002, TD003, TD027 FROM {QMSTD} UNION ALL SELECT TG001, TG002, TG003, TG027 FROM {QMSTG}) R "
        "ON R.K1=ME017 AND R.K2=ME018 AND R.K3=ME019 WHERE TE001=:T AND TE002=:N";
    std::string type, number;
    QStringList expected;
    for (const char *candidateType : {"5401", "5403", "5402"}) {
        for (const auto &[candidate, count] : slipsOfType(candidateType)) {
            const kv::ResultTable rows =
                company->query(remarks, {{"T", Variant(candidateType)}, {"N", Variant(candidate)}});
            if (count > 0 && count <= kLinesPerPage && rows.rowCount() > 0) {
                type = candidateType;
                number = candidate;
                for (int row = 0; row < rows.rowCount(); ++row)
                    expected << QString::fromStdString(rows.value(row, 2).toText());
                break;
            }
        }
        if (!type.empty())
            break;
    }
    ASSERT_FALSE(type.empty()) << "no one-page demo slip with an inspected lot";

    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>({type, {number}});
    layout->lblTA027->setEnabled(true);
    layout->lblTA027->setLeft(588);
    const std::vector<layouttest::Form> forms = generate(layout);
    ASSERT_EQ(forms.size(), 1u);
    QStringList printed = forms[0].all("lblTA027");
    printed.sort();
    expected.sort();
    EXPECT_EQ(printed, expected);
}

TEST_P(Qipr07FmtTest, EachFormIsRegisteredForItsSlipsReceiver)
{
    const std::vector<std::pair<std::string, int>> slips = slipsOfType("5402");
    std::vector<std::string> numbers;
    for (const auto &[number, count] : slips) {
        if (count > kLinesPerPage && numbers.empty())
            numbers.push_back(number);
    }
    ASSERT_FALSE(numbers.empty()) << "no two-page subcontract slip";
    numbers.push_back(slips.back().first != numbers[0] ? slips.back().first : slips.front().first);
    const kv::ResultTable suppliers =
        company->query("SELECT TC002, TC006, MA011 FROM {MOCTC} LEFT JOIN {PURMA} ON MA001=TC006 WHERE TC001='5402' "
                       "AND (TC002=:A OR TC002=:B) ORDER BY TC002",
                       {{"A", Variant(numbers[0])}, {"B", Variant(numbers[1])}});
    ASSERT_EQ(suppliers.rowCount(), 2);

    // E-mail to the slip's supplier: receiver and address from the data.
    owner->SendMode = 1;
    owner->SendPartnerField = "TC006";
    owner->SendAddressField = "PURMA011";
    owner->SendStatusField = "TC017";
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>({"5402", numbers});
    layout->SendModes = 1;
    const std::vector<layouttest::Form> forms = generate(layout);
    ASSERT_GE(forms.size(), 3u);

    std::map<QString, QString> expected;
    int page = 0;
    for (int row = 0; row < suppliers.rowCount(); ++row) {
        const QString number = QString::fromStdString(suppliers.value(row, 0).toText());
        const QString receiver = QString::fromStdString(kv::varToStr(suppliers.value(row, 1)));
        const QString address = QString::fromStdString(kv::varToStr(suppliers.value(row, 2)));
        QString &line = expected[receiver];
        if (line.isEmpty())
            line = receiver + QLatin1Char('=') + address + QStringLiteral("||");
        bool first = true;
        for (const layouttest::Form &form : forms) {
            if (form.text("txtTC002") != number)
                continue;
            line += QString::number(++page) + QStringLiteral(",$$MOCTC;TC017;");
            if (first)
                line += QStringLiteral("TC001='5402' and TC002='") + number + QLatin1Char('\'');
            line += QLatin1Char(';');
            first = false;
        }
    }
    QStringList lines;
    for (const auto &[receiver, line] : expected)
        lines << line;
    QStringList registered = layout->SendTargets;
    registered.sort();
    lines.sort();
    EXPECT_EQ(registered, lines);

    // Fax to a typed number: one receiver for everything; a print registers nothing.
    owner->SendMode = 2;
    owner->SendPartnerField.clear();
    owner->SendAddressField.clear();
    owner->edtFaxEmailData->setText(QStringLiteral("021-5550123"));
    layout->SendModes = 2;
    generate(layout);
    ASSERT_EQ(layout->SendTargets.size(), 1);
    EXPECT_TRUE(layout->SendTargets[0].startsWith(QStringLiteral("021-5550123=|021-5550123|1,$$MOCTC;TC017;TC001=")));
    layout->SendModes = 0;
    generate(layout);
    EXPECT_TRUE(layout->SendTargets.isEmpty());
}

namespace {

// One way a clerk prints the slips.
struct PrintWay {
    const char *name;
    bool summary, byWarehouse, summaryByWarehouse, summaryByLot;
};

double printedNumber(const QString &text)
{
    bool ok = false;
    const double value = QString(text).remove(QLatin1Char(',')).toDouble(&ok);
    EXPECT_TRUE(ok) << "not a number: " << text.toStdString();
    return value;
}

double sumOf(const QStringList &texts)
{
    double sum = 0;
    for (const QString &text : texts)
        sum += printedNumber(text);
    return sum;
}

} // namespace

TEST_P(Qipr07FmtTest, EverySlipsPrintedLinesAddUpToItsPrintedTotal)
{
    // Every slip of the company printed each way there is: on every slip
    // (or warehouse part of one) the printed quantities add up to the total
    // printed on its last page, and those totals to what was issued.
    const PrintWay ways[] = {{"detailed", false, false, false, false},
                             {"detailed, page break by warehouse", false, true, false, false},
                             {"summary", true, false, false, false},
                             {"summary by warehouse", true, false, true, false},
                             {"summary by lot", true, false, false, true},
                             {"summary by warehouse and lot", true, false, true, true}};
    for (const PrintWay &way : ways) {
        for (const char *type : {"5401", "5402", "5403", "5404", "5501", "5502"}) {
            if (slipsOfType(type).empty())
                continue;
            SCOPED_TRACE(std::string(way.name) + ", slip type " + type);
            ReportQuery query{type, {}};
            query.summary = way.summary;
            query.byWarehouse = way.byWarehouse;
            query.summaryByWarehouse = way.summaryByWarehouse;
            query.summaryByLot = way.summaryByLot;
            kv::TfrmQipr07Fmt *layout = way.summary ? openLayout<kv::TfrmQipr07Fmt_1>(query)
                                                    : openLayout<TfrmQipr07Fmt>(query);
            // The detailed slip also shows packing quantities and their total.
            const bool packs = !way.summary;
            if (packs) {
                kv::TKVQRDBText *line = layout->QRDetailBand->findChild<kv::TKVQRDBText *>(QStringLiteral("txtTE021"));
                ASSERT_TRUE(line);
                for (kv::TKVQRDBText *field : {line, layout->txtTE021C1}) {
                    field->setEnabled(true);
                    field->setLeft(600);
                }
            }
            double quantity = 0, pack = 0, issued = 0;
            int slips = 0;
            for (const layouttest::Form &form : generate(layout)) {
                quantity += sumOf(form.all("txtTE005"));
                pack += sumOf(form.all("txtTE021"));
                if (form.text("lblPageNo") != form.text("lblTotalPage"))
                    continue;
                SCOPED_TRACE("slip " + form.text("txtTC002").toStdString() + " " +
                             form.all("txtTE008").value(0).toStdString());
                ++slips;
                const double total = printedNumber(form.text("txtTE005C1"));
                EXPECT_NEAR(quantity, total, 1e-6);
                if (packs) {
                    EXPECT_NEAR(pack, printedNumber(form.text("txtTE021C1")), 1e-6);
                }
                issued += total;
                quantity = pack = 0;
            }
            EXPECT_GT(slips, 0);
            const kv::ResultTable all =
                company->query("SELECT SUM(TE005) FROM {MOCTE} WHERE TE001=:T", {{"T", Variant(std::string(type))}});
            EXPECT_NEAR(issued, all.isNull(0, 0) ? 0.0 : all.value(0, 0).toDouble(), 1e-6);
        }
    }
}

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Qipr07FmtTest);
