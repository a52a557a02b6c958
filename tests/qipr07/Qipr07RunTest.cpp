// The report run as a clerk runs it: a slip type typed, slip numbers picked,
// "预览" and "打印" pressed, on the demo company through the real program
// server and the two slip layouts. Previewing leaves the print counts alone;
// printing adds one to TC010 of every printed slip, once.
#include "Qipr07TestSupport.h"

#include "base/KvBitBtn.h"
#include "controls/BtChkBox.h"
#include "platform/report/PageStore.h"
#include "report/layout/VRPreviewer.h"

#include <QComboBox>
#include <QFile>
#include <QSet>

#include <cstdlib>
#include <map>

namespace {

using qipr07test::ReportWindowTest;
using kv::Variant;

// A preview that keeps the texts of the pages it was handed (the layout and
// its pages go away once the preview returns).
class RecordingPreviewer : public kv::VRPreviewer {
public:
    void ShowPreview(const kv::PreviewRequest &request) override
    {
        std::vector<kv::PageText> texts;
        const int pages = request.pages ? request.pages->pageCount() : 0;
        for (int page = 1; page <= pages; ++page)
            for (kv::PageText &text : request.pages->texts(page))
                texts.push_back(std::move(text));
        runs.push_back(std::move(texts));
        pageCounts.push_back(pages);
    }

    // The distinct texts of one component in the last preview.
    QSet<QString> texts(const QString &component) const
    {
        QSet<QString> found;
        if (!runs.empty())
            for (const kv::PageText &text : runs.back())
                if (text.component == component)
                    found.insert(text.text);
        return found;
    }

    std::vector<std::vector<kv::PageText>> runs;
    std::vector<int> pageCounts;
};

class RunTest : public ReportWindowTest {
protected:
    void SetUp() override
    {
        ReportWindowTest::SetUp();
        kv::VRPreviewer::setCurrent(previewer);
        pdfPath = (QString::fromStdString(shell.root()) + "printed.pdf").toStdString();
        ::setenv("QIPR07_PRINT_PDF", pdfPath.c_str(), 1);
        openWindow();
    }

    void TearDown() override
    {
        ReportWindowTest::TearDown();
        ::unsetenv("QIPR07_PRINT_PDF");
        kv::VRPreviewer::setCurrent(nullptr);
    }

    // Print counts of the approved slips of a slip type, by slip number.
    std::map<std::string, std::int64_t> printCounts(const std::string &slipType) const
    {
        const kv::ResultTable rows = company->database->query(
            "SELECT TC002, TC010 FROM " + company->table("MOCTC") + " WHERE TC001='" + slipType +
            "' AND TC009='Y' ORDER BY TC002");
        std::map<std::string, std::int64_t> counts;
        for (int row = 0; row < rows.rowCount(); ++row)
            counts[std::string(rows.text(row, 0))] = rows.integer(row, 1);
        return counts;
    }

    // Conditions for the first two approved slips of 5401, printed or not.
    std::vector<std::string> chooseTwoSlips()
    {
        const auto counts = printCounts("5401");
        EXPECT_GE(counts.size(), 2u) << "the demo company needs two approved slips of 5401";
        std::vector<std::string> chosen;
        for (const auto &[number, count] : counts)
            if (chosen.size() < 2)
                chosen.push_back(number);
        typeSlipType("5401");
        window->splTC002->setUserChoice(true);
        kvtest::typeText(window->splTC002->edBegin(), QString::fromStdString(chosen.front()));
        kvtest::typeText(window->splTC002->edFinal(), QString::fromStdString(chosen.back()));
        window->cboTC010->setCurrentIndex(2); // 全部
        return chosen;
    }

    std::shared_ptr<RecordingPreviewer> previewer = std::make_shared<RecordingPreviewer>();
    std::string pdfPath;
};

TEST_F(RunTest, PreviewShowsTheChosenSlipsAndPrintingCountsEachOfThemOnce)
{
    const std::vector<std::string> chosen = chooseTwoSlips();
    const auto before = printCounts("5401");

    kvtest::click(window->btnPreview);
    ASSERT_EQ(1u, previewer->runs.size()) << window->ErrorTexts;
    EXPECT_GE(previewer->pageCounts.back(), 2);
    const QSet<QString> previewed = previewer->texts(QStringLiteral("txtTC002"));
    EXPECT_EQ((QSet<QString>{QString::fromStdString(chosen.front()), QString::fromStdString(chosen.back())}),
              previewed);
    EXPECT_EQ(before, printCounts("5401")) << "a preview is no print";

    ASSERT_EQ(QStringLiteral("打印"), window->btnOk->text());
    kvtest::click(window->btnOk);
    QFile pdf(QString::fromStdString(pdfPath));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << "nothing printed into " << pdfPath << ": " << window->ErrorTexts;
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF-"));
    auto expected = before;
    for (const std::string &number : chosen)
        expected[number] += 1;
    EXPECT_EQ(expected, printCounts("5401"));
}

TEST_F(RunTest, SummedSlipsPreviewThroughTheSummaryLayout)
{
    const std::vector<std::string> chosen = chooseTwoSlips();
    kvtest::click(window->chkPrint);
    kvtest::click(window->btn05);
    kvtest::click(window->btnPreview);
    ASSERT_EQ(1u, previewer->runs.size()) << window->ErrorTexts;
    EXPECT_EQ((QSet<QString>{QString::fromStdString(chosen.front()), QString::fromStdString(chosen.back())}),
              previewer->texts(QStringLiteral("txtTC002")));
}

TEST_F(RunTest, NoMatchingSlipWarnsAndShowsNothing)
{
    typeSlipType("5401");
    window->splTC002->setUserChoice(true);
    kvtest::typeText(window->splTC002->edBegin(), "ZZZZ");
    prompter->answerMessage(kv::mrOk);
    kvtest::click(window->btnPreview);
    EXPECT_TRUE(previewer->runs.empty());
    ASSERT_EQ(1u, messages().size());
    EXPECT_EQ("没有符合条件的资料！", messages()[0]);
}

TEST_F(RunTest, ARunByKeyPrintsThatSlipOnly)
{
    const auto before = printCounts("5402");
    ASSERT_FALSE(before.empty());
    const std::string number = before.begin()->first;
    EXPECT_TRUE(window->RunByKey(kv::varArrayOf({"5402", number, "54"}), false)) << window->ErrorTexts;
    auto expected = before;
    expected[number] += 1;
    EXPECT_EQ(expected, printCounts("5402"));
}

} // namespace
