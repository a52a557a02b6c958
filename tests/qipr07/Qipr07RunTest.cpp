// The report run as a clerk runs it: a slip type typed, slip numbers picked,
// "预览" and "打印" pressed, on the demo company through the real program
// server and the two slip layouts. Previewing leaves the print counts alone;
// printing adds one to TC010 of every printed slip, once.
#include "Qipr07TestSupport.h"

#include "base/KvBitBtn.h"
#include "controls/BtChkBox.h"
#include "platform/report/PageStore.h"
#include "report/layout/VRPreviewer.h"
#include "support/ErpHostProcess.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// Each run test runs on SQLite and, when the tests have a server, PostgreSQL.
class RunTest : public ReportWindowTest, public testing::WithParamInterface<slip::DbEngine> {
protected:
    slip::DbEngine engine() const override { return GetParam(); }

    void SetUp() override
    {
        if (GetParam() == slip::DbEngine::PostgreSQL && !qipr07test::pgConnInfo())
            GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
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

TEST_P(RunTest, PreviewShowsTheChosenSlipsAndPrintingCountsEachOfThemOnce)
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

TEST_P(RunTest, SummedSlipsPreviewThroughTheSummaryLayout)
{
    const std::vector<std::string> chosen = chooseTwoSlips();
    kvtest::click(window->chkPrint);
    kvtest::click(window->btn05);
    kvtest::click(window->btnPreview);
    ASSERT_EQ(1u, previewer->runs.size()) << window->ErrorTexts;
    EXPECT_EQ((QSet<QString>{QString::fromStdString(chosen.front()), QString::fromStdString(chosen.back())}),
              previewer->texts(QStringLiteral("txtTC002")));
}

TEST_P(RunTest, NoMatchingSlipWarnsAndShowsNothing)
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

TEST_P(RunTest, ARunByKeyPrintsThatSlipOnly)
{
    const auto before = printCounts("5402");
    ASSERT_FALSE(before.empty());
    const std::string number = before.begin()->first;
    EXPECT_TRUE(window->RunByKey(kv::varArrayOf({"5402", number, "54"}), false)) << window->ErrorTexts;
    auto expected = before;
    expected[number] += 1;
    EXPECT_EQ(expected, printCounts("5402"));
}

// The real module QIPR07C.so driven by erp-host without a screen, as the
// outside checks drive it, on the same demo company files.
class HostRunTest : public RunTest {
protected:
    using HostRun = kvtest::HostRun;

    HostRun host(const QStringList &arguments)
    {
        const QString module = QString::fromStdString(kvtest::binFile("QIPR07C.so"));
        for (const QString &file : {QString::fromStdString(kvtest::binFile("erp-host")), module})
            EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString() << " is not built";
        shell.writeFile("server/MarshalS.ini", company->serverSettings());
        QStringList all{"--user", "DS", "--company", "01", "--db", QString::fromStdString(company->companyDb),
                        "--registry", QString::fromStdString(shell.root() + "registry.ini"), "--module", module};
        all << arguments;
        std::map<QString, QString> environment = kvtest::kLeakCheckWithoutTls;
        environment[QStringLiteral("QIPR07_PRINT_PDF")] = QString();
        return kvtest::runErpHost(all, environment, 180000);
    }
};

TEST_P(HostRunTest, PrintingOneSlipByKeyCountsItAndPreviewingFromConditionsDoesNot)
{
    const auto before = printCounts("5401");
    ASSERT_FALSE(before.empty());
    const std::string number = before.rbegin()->first;
    const std::string pdf = shell.root() + "bykey.pdf";
    const HostRun printed = host({"--execute", "6", "--key", QString::fromStdString("5401," + number + ",54"),
                                  "--preview", "false", "--print-to-pdf", QString::fromStdString(pdf)});
    EXPECT_EQ(0, printed.status) << printed.err;
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << printed.err;
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));
    auto expected = before;
    expected[number] += 1;
    EXPECT_EQ(expected, printCounts("5401"));

    // The slip type set by the host's condition package, then a preview of
    // every unprinted approved slip of it: pages as JSON, no count changed.
    const std::string json = shell.root() + "pages.json";
    const HostRun previewed =
        host({"--conditions", R"(["", [0, [true, [[["", "edtTC001"]], ["5401"]]]]])", "--execute", "5", "--preview",
              "true", "--pages-json", QString::fromStdString(json)});
    EXPECT_EQ(0, previewed.status) << previewed.err;
    EXPECT_EQ(expected, printCounts("5401"));
    QFile pages(QString::fromStdString(json));
    ASSERT_TRUE(pages.open(QIODevice::ReadOnly)) << previewed.err;
    QSet<QString> numbers;
    for (const QJsonValue &page : QJsonDocument::fromJson(pages.readAll()).object().value("pages").toArray())
        for (const QJsonValue &text : page.toObject().value("texts").toArray())
            if (text.toObject().value("component").toString() == QLatin1String("txtTC002"))
                numbers.insert(text.toObject().value("text").toString());
    QSet<QString> unprinted;
    for (const auto &[slip, count] : expected)
        if (count == 0)
            unprinted.insert(QString::fromStdString(slip));
    EXPECT_FALSE(numbers.isEmpty()) << previewed.err;
    EXPECT_EQ(unprinted, numbers);
}

std::string engineName(const testing::TestParamInfo<slip::DbEngine> &info)
{
    return info.param == slip::DbEngine::SQLite ? "SQLite" : "PostgreSQL";
}

INSTANTIATE_TEST_SUITE_P(Engines, RunTest, testing::Values(slip::DbEngine::SQLite, slip::DbEngine::PostgreSQL),
                         engineName);
INSTANTIATE_TEST_SUITE_P(Engines, HostRunTest, testing::Values(slip::DbEngine::SQLite, slip::DbEngine::PostgreSQL),
                         engineName);

} // namespace
