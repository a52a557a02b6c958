// The print count (TC010) of the detailed slip as a clerk raises it: from
// the preview window's print button (the whole run or a page range chosen
// in the printer set-up), by a direct print that fails or succeeds, and by
// the slips a send would convert. Previewing alone, a cancelled set-up and a
// layout that forbids printing count nothing; every print counts each
// printed slip once, however many forms it took.

#include "LayoutDataSupport.h"

#include "qipr07/Qipr07Fmt.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/VRPreview.h"

#include <QFile>
#include <QPrinter>
#include <QToolButton>

#include <map>
#include <optional>
#include <set>

using namespace layoutdata;
using kv::TfrmQipr07Fmt;

namespace {

constexpr int kLinesPerPage = 7; // footer 380 / line 63 + 1

// The scripted printer set-up, which can also choose a page range as the
// print dialog's "pages from … to" does.
class RangePrompter : public kv::ScriptedPrompter {
public:
    bool choosePrinter(QPrinter &printer) override
    {
        const bool accepted = ScriptedPrompter::choosePrinter(printer);
        printer.setPrintRange(nextRange ? QPrinter::PageRange : QPrinter::AllPages);
        if (nextRange)
            printer.setFromTo(nextRange->first, nextRange->second);
        nextRange.reset();
        return accepted;
    }
    std::optional<std::pair<int, int>> nextRange;
};

class Qipr07PrintCountTest : public SlipLayoutTest {
protected:
    void SetUp() override
    {
        SlipLayoutTest::SetUp();
        if (IsSkipped())
            return;
        // A slip over two pages in two warehouses, printed by warehouse,
        // then a second slip of the same type.
        for (const char *candidate : {"5403", "5401", "5402", "5501", "5502"}) {
            for (const auto &[number, count] : slipsOfType(candidate)) {
                if (count > kLinesPerPage && warehouses(candidate, number) >= 2 && first.empty()) {
                    type = candidate;
                    first = number;
                }
            }
            if (!first.empty())
                break;
        }
        ASSERT_FALSE(first.empty()) << "no demo slip over two pages and two warehouses";
        for (const auto &[number, count] : slipsOfType(type)) {
            if (number != first && count > 0)
                second = number;
        }
        ASSERT_FALSE(second.empty());
        owner->chkCMSMC->setChecked(true);
        query = ReportQuery{type, {first, second}};
        query.byWarehouse = true;
        before = printCounts();
    }

    int warehouses(const std::string &slipType, const std::string &number) const
    {
        const kv::ResultTable rows = company->query(
            "SELECT COUNT(DISTINCT TE008) FROM {MOCTE} WHERE TE001=:T AND TE002=:N",
            {{"T", Variant(slipType)}, {"N", Variant(number)}});
        return int(rows.value(0, 0).toInt64());
    }

    std::map<std::string, double> printCounts() const
    {
        const kv::ResultTable rows = company->query("SELECT TC002, TC010 FROM {MOCTC} WHERE TC001=:T AND (TC002=:A OR TC002=:B)",
                                                    {{"T", Variant(type)}, {"A", Variant(first)}, {"B", Variant(second)}});
        std::map<std::string, double> counts;
        for (int row = 0; row < rows.rowCount(); ++row)
            counts[rows.value(row, 0).toText()] = rows.isNull(row, 1) ? 0 : rows.value(row, 1).toDouble();
        return counts;
    }

    // The counts raised by the given number of prints of each slip.
    std::map<std::string, double> raised(double firstTimes, double secondTimes) const
    {
        std::map<std::string, double> expected = before;
        expected[first] += firstTimes;
        expected[second] += secondTimes;
        return expected;
    }

    // The slip number of every generated form, in form order.
    static std::vector<QString> slipOfEachForm(const kv::PageStore &store)
    {
        std::vector<QString> slips;
        for (const layouttest::Form &form : layouttest::formsOf(store))
            slips.push_back(form.text(QStringLiteral("txtTC002")));
        return slips;
    }

    std::string type, first, second;
    ReportQuery query;
    std::map<std::string, double> before;
    std::shared_ptr<RangePrompter> ranges = std::make_shared<RangePrompter>();
};

TEST_P(Qipr07PrintCountTest, PrintingFromThePreviewCountsThePrintedSlipsOncePerPrint)
{
    kv::ScopedPrompter scoped(ranges);
    kv::VRPreviewer::setCurrent(std::make_shared<kv::PreviewWindowPreviewer>());
    QTemporaryDir out;
    const std::string pdf = out.filePath(QStringLiteral("printed.pdf")).toStdString();
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(query);
    layout->PrintCountMode = 0;

    std::vector<std::map<std::string, double>> seen;
    std::vector<QString> slips;
    ranges->answerDialog([&](QDialog &dialog) {
        auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog);
        if (!preview)
            return 0;
        waitUntilGenerated(*preview);
        slips = slipOfEachForm(*layout->QuickRep1->pages());
        seen.push_back(printCounts()); // a preview is no print
        ranges->answerPrinter(false, pdf);
        preview->btnPrint->click();
        layout->QuickRep1->setTag(1); // the layout forbids printing
        ranges->answerPrinter(true, pdf);
        preview->btnPrint->click();
        layout->QuickRep1->setTag(0);
        seen.push_back(printCounts());
        EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));

        ranges->answerPrinter(true, pdf); // the whole run
        preview->btnPrint->click();
        seen.push_back(printCounts());
        ranges->nextRange = std::pair(int(slips.size()), int(slips.size())); // the last page only
        ranges->answerPrinter(true, pdf);
        preview->btnPrint->click();
        seen.push_back(printCounts());
        ranges->nextRange = std::pair(2, 2); // the first slip's second form
        ranges->answerPrinter(true, pdf);
        preview->btnPrint->click();
        seen.push_back(printCounts());
        preview->btnExit->click();
        return 0;
    });
    layout->ShowPreview();
    kv::VRPreviewer::setCurrent(nullptr);
    EXPECT_TRUE(ranges->allAnswered()) << (ranges->misses().empty() ? "" : ranges->misses().front());
    EXPECT_TRUE(ranges->messageTexts().empty());

    // The first slip fills the first forms (two warehouses, more than a
    // page), the second the last ones.
    ASSERT_GE(slips.size(), 3u);
    EXPECT_EQ(slips[0], QString::fromStdString(first));
    EXPECT_EQ(slips[1], QString::fromStdString(first));
    EXPECT_EQ(slips.back(), QString::fromStdString(second));
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], before);
    EXPECT_EQ(seen[1], before);
    EXPECT_EQ(seen[2], raised(1, 1));
    EXPECT_EQ(seen[3], raised(1, 2));
    EXPECT_EQ(seen[4], raised(2, 2));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(pdf)));
}

TEST_P(Qipr07PrintCountTest, DirectPrintCountsOnlyWhatCameOutAndSendingCountsItsForms)
{
    // A print that cannot start counts nothing and says why.
    QTemporaryDir out;
    QFile blocker(out.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TfrmQipr07Fmt *failed = openLayout<TfrmQipr07Fmt>(query);
    failed->PrintCountMode = 1;
    failed->PrintFileName = out.filePath(QStringLiteral("file/slips.pdf"));
    prompter->answerMessage(kv::mrOk);
    failed->PrintDirect();
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(printCounts(), before);

    // Sending converts a receiver's forms: their slips count, once each; in
    // a preview the same forms count nothing.
    TfrmQipr07Fmt *send = openLayout<TfrmQipr07Fmt>(query);
    send->PrintCountMode = 0;
    const std::vector<layouttest::Form> forms = generate(send);
    const int last = int(forms.size());
    send->CountPrintedForms(1, last);
    EXPECT_EQ(printCounts(), before);
    send->PrintCountMode = 2;
    send->CountPrintedForms(last, last);
    EXPECT_EQ(printCounts(), raised(0, 1));
    send->CountPrintedForms(1, last);
    EXPECT_EQ(printCounts(), raised(1, 2));
    EXPECT_TRUE(prompter->allAnswered());
}

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Qipr07PrintCountTest);

} // namespace
