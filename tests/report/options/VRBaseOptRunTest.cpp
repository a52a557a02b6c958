// Runs of the condition window: the layout window of a run and its result
// paths, print into a PDF file against preview, runs by key, picture export
// by key, printer set-up and paper information.
#include "report/options/OptionsTestSupport.h"

#include "platform/report/PageSetup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace optionstest {
namespace {

class RunTest : public OptionsTest {
protected:
    void SetUp() override
    {
        OptionsTest::SetUp();
        openWindow();
        // No permission filter unless a test sets one.
        window->PermissionData = kv::varArrayOf({"", "", "", "MOCTC", "N", kv::varArrayOf({0})});
    }
};

TEST_F(RunTest, LayoutWithDataIsKeptAndGivenTheWindowsContext)
{
    window->PrinterIndex = 3;
    window->cboDateType->setCurrentIndex(2);
    window->cboFormStyleName->setEditText("样式一");
    kv::TfrmVRFormat *layout = nullptr;
    ASSERT_EQ(window->CreateLayout(Variant("select 1"), layout), 1);
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(window->passed, std::vector<kv::TfrmVRFormat *>{layout});
    EXPECT_EQ(layout->parentWidget(), window.data());
    EXPECT_EQ(layout->LayoutName, "样式一");
    EXPECT_EQ(layout->ProgramCode, "QIPR07");
    EXPECT_EQ(layout->CompanyDB, company->companyDb);
    EXPECT_EQ(layout->DateType, 3);
    EXPECT_EQ(layout->QuickRep1->printerIndex(), 3);
    EXPECT_EQ(layout->QuickRep1->reportTitle(), window->CompanyInfo[1] + " - " + QString::fromStdString(window->ProgramName));
    EXPECT_TRUE(layout->Validator.isObject());
    EXPECT_EQ(layoutScript().sqls, std::vector<std::string>{"select 1"});
    layout->Free();
    EXPECT_TRUE(messages().empty());
}

TEST_F(RunTest, LayoutWithoutDataWarnsAndIsFreed)
{
    layoutScript().result = 0;
    prompter->answerMessage(kv::mrOk);
    kv::TfrmVRFormat *layout = nullptr;
    EXPECT_EQ(window->CreateLayout(Variant("select 1"), layout), 0);
    EXPECT_EQ(layout, nullptr);
    EXPECT_EQ(layoutScript().alive, 0);
    EXPECT_EQ(messages(), std::vector<std::string>{"没有符合条件的资料！"});
    EXPECT_TRUE(window->passed.empty());
}

TEST_F(RunTest, FailedOpeningNamesTheServerAndFreesTheLayout)
{
    layoutScript().result = -1;
    prompter->answerMessage(kv::mrOk);
    kv::TfrmVRFormat *layout = nullptr;
    EXPECT_EQ(window->CreateLayout(Variant("select 1"), layout), -1);
    EXPECT_EQ(layout, nullptr);
    EXPECT_EQ(layoutScript().alive, 0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("读取资料时发生错误！应用服务器：127.0.0.1", 0), 0u) << messages()[0];
}

TEST_F(RunTest, ExceptionWhileOpeningGivesMinusOne)
{
    layoutScript().throwOnOpen = true;
    prompter->answerMessage(kv::mrOk);
    kv::TfrmVRFormat *layout = nullptr;
    EXPECT_EQ(window->CreateLayout(Variant("select 1"), layout), -1);
    EXPECT_EQ(layout, nullptr);
    EXPECT_EQ(layoutScript().alive, 0);
    EXPECT_EQ(messages(), std::vector<std::string>{"data provider failed"});

    // A report that never chose a layout class fails the same way.
    window->LayoutClass = kv::LayoutClass();
    prompter->answerMessage(kv::mrOk);
    EXPECT_EQ(window->CreateLayout(Variant("select 1"), layout), -1);
}

TEST_F(RunTest, PreviewFromConditionsRunsTheFinalSqlThroughThePermissionRewrite)
{
    window->PermissionData = kv::varArrayOf({"A.TC004='D01'", "", "", "MOCTC", "Y",
                                             kv::varArrayOf({1, "CMSMQ CMSMQ.MQ003='54'"})});
    window->btnPreview->click();
    ASSERT_EQ(layoutScript().sqls.size(), 1u);
    // The filter of the main table is in the where part; the rules name no
    // table of the statement, so the rewrite only re-spaces it.
    EXPECT_EQ(layoutScript().sqls[0], "Select A.TC001, A.TC002  From  $$MOCTC A  WHERE   (A.TC001='5401') and "
                                      "(A.TC004='D01')  Order by A.TC001 ");
    EXPECT_EQ(window->modes, std::vector<int>{0});
    ASSERT_EQ(previewer->pageCounts.size(), 1u);
    EXPECT_EQ(previewer->pageCounts[0], 1);
    EXPECT_EQ(layoutScript().alive, 0);

    // Without a final SQL from the report the text BuildQuery answered runs.
    window->assemble = false;
    window->ApplyPermission = false;
    window->btnPreview->click();
    EXPECT_EQ(layoutScript().sqls.back(), "plain sql");
}

TEST_F(RunTest, PrintGoesIntoThePdfFileAndPreviewToThePreviewer)
{
    QTemporaryDir out;
    const QString pdf = out.filePath("slips.pdf");
    qputenv("QIPR07_PRINT_PDF", pdf.toLocal8Bit());
    const bool printed = window->RunReport(false);
    qunsetenv("QIPR07_PRINT_PDF");
    EXPECT_TRUE(printed);
    EXPECT_TRUE(previewer->requests.empty());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");

    EXPECT_TRUE(window->RunReport(true));
    EXPECT_EQ(previewer->requests.size(), 1u);
    EXPECT_EQ(layoutScript().alive, 0);

    layoutScript().result = 0;
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->RunReport(true));
    EXPECT_EQ(previewer->requests.size(), 1u);
}

TEST_F(RunTest, RunParametersThatFailEndTheRunBeforeAnyLayout)
{
    window->EnvCount = 0;
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->RunReport(true));
    EXPECT_EQ(layoutScript().created, 0);
    EXPECT_TRUE(window->modes.empty());
}

TEST_F(RunTest, RunByKeyTakesTheUsersStyleAndSkipsTheRewrite)
{
    shell.writeFile("client/UserDef.ini", "[VoucherFormatDef]\nQIPR07_5401=窄版\n");
    window->cboFormStyleName->addItems({"<New>", "窄版"});
    window->PermissionData = kv::varArrayOf({"", "", "", "MOCTC", "Y", kv::varArrayOf({1, "MOCTC MOCTC.TC004='D01'"})});
    EXPECT_TRUE(window->RunByKey(kv::varArrayOf({"5401", "0001", "1"}), true));
    EXPECT_EQ(window->KeyStyleName, "窄版");
    EXPECT_EQ(window->cboFormStyleName->currentText(), "窄版");
    EXPECT_EQ(window->modes, std::vector<int>{1});
    ASSERT_EQ(layoutScript().sqls.size(), 1u);
    EXPECT_EQ(layoutScript().sqls[0], "Select A.TC001, A.TC002  From $$MOCTC A Where (A.TC001='5401')  Order by A.TC001 ");

    // A key without a stored style keeps the combo as it is.
    window->cboFormStyleName->setCurrentIndex(0);
    EXPECT_TRUE(window->RunByKey(kv::varArrayOf({"5402", "0001", "1"}), true));
    EXPECT_EQ(window->KeyStyleName, "<New>");
    EXPECT_EQ(window->cboFormStyleName->currentText(), "<New>");
}

TEST_F(RunTest, ExportByKeyWritesOnePictureFilePerPage)
{
    QTemporaryDir out;
    const std::string prefix = out.filePath("slip").toStdString();
    EXPECT_TRUE(window->ExportByKey(kv::varArrayOf({"5401", "0001", "1"}), 3, 96, prefix, "ignored"));
    const QStringList files = QDir(out.path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith("slip") && files[0].endsWith(".pdf")) << files[0].toStdString();
    EXPECT_EQ(layoutScript().alive, 0);

    layoutScript().result = 0;
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->ExportByKey(kv::varArrayOf({"5401", "9999", "1"}), 3, 96, prefix, ""));
}

// A run that has data but cannot print, preview or write its pages has
// failed, says why, and is told apart from a run that found nothing.
TEST_F(RunTest, ARunThatCannotPutOutItsPagesFailsAndSaysWhy)
{
    using Outcome = kv::TfrmVRBaseOpt::RunOutcome;
    QTemporaryDir out;
    // Links into a folder that does not exist: nobody can write them.
    const QString pdf = out.filePath("slips.pdf");
    ASSERT_TRUE(QFile::link(out.filePath("gone/slips.pdf"), pdf));
    qputenv("QIPR07_PRINT_PDF", pdf.toLocal8Bit());
    prompter->answerMessage(kv::mrOk);
    const bool printed = window->RunReport(false);
    qunsetenv("QIPR07_PRINT_PDF");
    EXPECT_FALSE(printed);
    EXPECT_EQ(window->LastRunOutcome, Outcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("Cannot start printing on " + pdf.toStdString()), std::string::npos)
        << messages()[0];
    EXPECT_EQ(layoutScript().alive, 0);

    const QString texts = out.filePath("pages.json");
    ASSERT_TRUE(QFile::link(out.filePath("gone/pages.json"), texts));
    qputenv("QIPR07_PAGES_JSON", texts.toLocal8Bit());
    prompter->answerMessage(kv::mrOk);
    const bool previewed = window->RunReport(true);
    qunsetenv("QIPR07_PAGES_JSON");
    EXPECT_FALSE(previewed);
    EXPECT_EQ(window->LastRunOutcome, Outcome::Failed);
    EXPECT_TRUE(previewer->requests.empty()) << "nothing half-made reaches the preview";

    const std::string prefix = out.filePath("gone/slip").toStdString();
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->ExportByKey(kv::varArrayOf({"5401", "0001", "1"}), 3, 96, prefix, ""));
    EXPECT_EQ(window->LastRunOutcome, Outcome::Failed);
    EXPECT_EQ(messages().back(), "页面图片写入失败：" + prefix);

    layoutScript().result = 0;
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(window->RunReport(true));
    EXPECT_EQ(window->LastRunOutcome, Outcome::NoData);
    EXPECT_EQ(messages().back(), "没有符合条件的资料！");

    layoutScript().result = 1;
    EXPECT_TRUE(window->RunReport(true));
    EXPECT_EQ(window->LastRunOutcome, Outcome::Done);
    EXPECT_TRUE(prompter->allAnswered());
}

// Printer set-up with a chosen printer the test decides.
class PrinterWindow : public TestOptWindow {
public:
    bool ExecPrinterDialog(int &index) override
    {
        preselected.push_back(index);
        if (!accept)
            return false;
        index = next;
        return true;
    }
    std::vector<int> preselected;
    bool accept = true;
    int next = 0;
};

TEST_F(RunTest, ChosenPrinterIsPreselectedAndUsedByEveryFollowingPrint)
{
    window->Free();
    window = kv::TKVForm::Create<PrinterWindow>();
    auto *printers = static_cast<PrinterWindow *>(window.data());
    printers->next = 2;
    printers->btnPrintSetup->click();
    EXPECT_EQ(window->PrinterIndex, 2);
    printers->accept = false;
    printers->btnPrintSetup->click();
    EXPECT_EQ(window->PrinterIndex, 2);
    EXPECT_EQ(printers->preselected, (std::vector<int>{-1, 2}));

    kv::TfrmVRFormat *layout = nullptr;
    ASSERT_EQ(window->CreateLayout(Variant("select 1"), layout), 1);
    EXPECT_EQ(layout->QuickRep1->printerIndex(), 2);
    layout->Free();
}

TEST_F(RunTest, PrinterSetUpGoesThroughThePrompter)
{
    prompter->answerPrinter(false);
    window->btnPrintSetupClick();
    EXPECT_EQ(window->PrinterIndex, -1);
    EXPECT_EQ(prompter->questions().back().kind, kv::QuestionKind::Printer);
}

TEST_F(RunTest, PaperInformationNamesPaperSizeAndUnit)
{
    prompter->answerMessage(kv::mrOk);
    window->btnPaperSize->click();
    ASSERT_EQ(messages().size(), 1u);
    // The test layout keeps the engine's defaults: Letter, in millimetres.
    EXPECT_EQ(messages()[0], "纸张格式：Letter\n纸张长度：279.4\n纸张宽度：215.9\n度量单位：MM");
    EXPECT_EQ(layoutScript().alive, 0);
}

TEST_F(RunTest, SwitchingTheLayoutClassReloadsTheStyles)
{
    const int before = window->reloads;
    window->SetLayoutClass(kv::LayoutClass::of<TestOptLayout>("TOtherLayout"));
    EXPECT_EQ(window->reloads, before + 1);
    EXPECT_EQ(window->LayoutClassName(), "TOtherLayout");
}

} // namespace
} // namespace optionstest
