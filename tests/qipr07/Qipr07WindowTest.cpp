// The slip report's condition window as a user works it: the slip type
// typed or picked and checked against the slip types of issue natures, the
// summary switch and its grouping choices, the lookups, the option slots of
// a run and a restored condition set.
#include "Qipr07TestSupport.h"

#include "base/GeneCondition.h"
#include "base/KvBitBtn.h"
#include "base/KvLabel.h"
#include "base/ListView.h"
#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "base/KvToolButton.h"
#include "controls/BtChkBox.h"
#include "controls/F2Button.h"
#include "controls/KovListView.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "platform/QtPrompter.h"
#include "report/layout/LayoutTestSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

using qipr07test::ReportWindowTest;
using kv::Variant;

// The print settings of the demo slip types as the window shows them.
struct SlipTypeSettings {
    QString name, footerCode, footer1, signOffCode, signOff3;
    std::string title;
};
const SlipTypeSettings k5401{"厂内领料单", "F01", "1. 领料时请当面核对品号、数量，如有差异当场提出。", "S01",
                             "领料人：____________", "恒信精密 厂内领料单"};
const SlipTypeSettings k5402{"委外领料单", "F02", "1. 委外加工材料请供应商签收后带回回执。", "S02",
                             "供应商签收：____________", "恒信精密 委外领料单"};
constexpr const char *kUnknownSlipType = "单别不存在，或不是本作业可用的单据性质！";

// A condition package as the host hands it over: [_, [mode, [by name,
// [[[_, name]...], [value...]]]]].
Variant conditionPackage(const std::vector<std::pair<std::string, Variant>> &values, int mode = 0)
{
    std::vector<Variant> names;
    std::vector<Variant> contents;
    for (const auto &[name, value] : values) {
        names.push_back(kv::varArrayOf({"", name}));
        contents.push_back(value);
    }
    const Variant byName = kv::varArrayOf({true, kv::varArrayOf({kv::varArrayOf(names), kv::varArrayOf(contents)})});
    return kv::varArrayOf({"", kv::varArrayOf({mode, byName})});
}

class WindowTest : public ReportWindowTest {
protected:
    void SetUp() override
    {
        ReportWindowTest::SetUp();
        openWindow();
    }

    int slipTypeReads() const { return host->validator->count("CheckValue CMSMQ 22"); }

    // The window holds the footer, sign-off and title of these settings.
    void expectSettings(const SlipTypeSettings &expected)
    {
        EXPECT_EQ(expected.name, window->txtTC001->text());
        EXPECT_EQ(expected.footerCode, window->edtNoteID->Text());
        EXPECT_EQ(expected.footer1, window->edtNote1->Text());
        EXPECT_EQ(expected.signOffCode, window->edtSignInID->Text());
        EXPECT_EQ(expected.signOff3, window->edtSignIn3->Text());
        EXPECT_EQ(expected.title, window->SlipTitle);
    }
    // Nothing of a slip type is in force: no name, no title, and the
    // footer and sign-off the program itself names (F01, S01 in the demo).
    void expectNoSlipTypeSettings()
    {
        EXPECT_TRUE(window->edtTC001->text().isEmpty());
        EXPECT_TRUE(window->txtTC001->text().isEmpty());
        EXPECT_EQ("", window->SlipTitle);
        EXPECT_EQ(QStringLiteral("F01"), window->edtNoteID->Text());
        EXPECT_EQ(k5401.footer1, window->edtNote1->Text());
        EXPECT_EQ(QStringLiteral("S01"), window->edtSignInID->Text());
        EXPECT_FALSE(window->chkTotalPrint->isChecked());
    }
    void expectSummaryState(bool summary)
    {
        EXPECT_EQ(summary ? "TfrmQipr07Fmt_1" : "TfrmQipr07Fmt", window->LayoutClassName());
        EXPECT_EQ(summary, window->grpGrpsum->isEnabled());
        EXPECT_EQ(!summary, window->chkCMSMC->isEnabled());
        for (kv::TBitCheckBox *fixed : {window->btn01, window->btn02, window->btn03, window->btn04})
            EXPECT_EQ(summary, fixed->isChecked()) << fixed->objectName().toStdString();
        EXPECT_EQ(summary, window->btn05->isEnabled());
        if (summary) {
            EXPECT_FALSE(window->chkCMSMC->isChecked());
        }
    }
};

TEST_F(WindowTest, OpensWithTheReportsDefaultsAndReportsItsLastStamp)
{
    EXPECT_EQ("890830-1.4.1.0", window->VersionStamp);
    EXPECT_EQ(8, window->OptionCount); // six report slots, send status, print date
    EXPECT_EQ("MOCTC", window->MainTable);
    EXPECT_EQ("TfrmQipr07Fmt", window->LayoutClassName());
    EXPECT_EQ(0, window->cboTC009->currentIndex());
    EXPECT_EQ(1, window->cboTC010->currentIndex());
    EXPECT_FALSE(window->chkPrint->isChecked());
    EXPECT_FALSE(window->grpGrpsum->isEnabled());
    EXPECT_EQ(QStringLiteral("高级选项"), window->pgOption->page(1)->caption());
    EXPECT_EQ(4, window->cboSendWay->count());
    EXPECT_EQ(QStringLiteral("Email To 自定义对象"), window->cboSendWay->itemText(3));
    // Slip numbers are at most eleven characters in either bound.
    kvtest::typeText(window->splTC002->edBegin(), "123456789012345");
    EXPECT_EQ(QStringLiteral("12345678901"), window->splTC002->edBegin()->Text());
}

TEST_F(WindowTest, SummaryPrintingSwitchesLayoutGroupingAndPageBreak)
{
    kvtest::click(window->chkCMSMC);
    ASSERT_TRUE(window->chkCMSMC->isChecked());

    kvtest::click(window->chkPrint);
    EXPECT_EQ("TfrmQipr07Fmt_1", window->LayoutClassName());
    EXPECT_TRUE(window->grpGrpsum->isEnabled());
    EXPECT_FALSE(window->chkCMSMC->isChecked());
    EXPECT_FALSE(window->chkCMSMC->isEnabled());
    for (kv::TBitCheckBox *fixed : {window->btn01, window->btn02, window->btn03, window->btn04}) {
        EXPECT_TRUE(fixed->isChecked()) << fixed->objectName().toStdString();
        EXPECT_FALSE(fixed->isEnabled()) << fixed->objectName().toStdString();
    }
    EXPECT_TRUE(window->btn05->isEnabled());
    kvtest::click(window->btn05);
    kvtest::click(window->btn06);
    ASSERT_TRUE(window->btn05->isChecked() && window->btn06->isChecked());

    kvtest::click(window->chkPrint);
    EXPECT_EQ("TfrmQipr07Fmt", window->LayoutClassName());
    EXPECT_TRUE(window->chkCMSMC->isEnabled());
    EXPECT_FALSE(window->btn01->isChecked());
    EXPECT_FALSE(window->btn05->isChecked() || window->btn06->isChecked());
    EXPECT_FALSE(window->btn05->isEnabled() || window->btn06->isEnabled());
}

TEST_F(WindowTest, AKnownSlipTypeShowsItsNameAndIsNotReadAgainWhenRetyped)
{
    typeSlipType("5401");
    EXPECT_EQ(1, slipTypeReads());
    EXPECT_EQ(QStringLiteral("厂内领料单"), window->txtTC001->text());
    EXPECT_FALSE(window->InputInvalid);

    // In again, the same text typed over it, out again: nothing is re-read.
    typeSlipType("5401");
    EXPECT_EQ(1, slipTypeReads());
    // Another slip type is.
    typeSlipType("5501");
    EXPECT_EQ(2, slipTypeReads());
    EXPECT_EQ(QStringLiteral("厂内退料单"), window->txtTC001->text());

    // Emptied: the name goes with it, nothing is read.
    typeSlipType("");
    EXPECT_EQ(2, slipTypeReads());
    EXPECT_EQ(QString(), window->txtTC001->text());
    EXPECT_TRUE(messages().empty());
}

TEST_F(WindowTest, AnUnknownSlipTypeIsRefusedAndTheFocusStaysInTheEdit)
{
    prompter->answerMessage(kv::mrOk);
    typeSlipType("9999");
    ASSERT_EQ(1u, messages().size());
    EXPECT_EQ("单别不存在，或不是本作业可用的单据性质！", messages()[0]);
    EXPECT_EQ(prompter->questions()[0].type, kv::MessageType::Error);
    EXPECT_TRUE(window->edtTC001->text().isEmpty());
    EXPECT_TRUE(window->txtTC001->text().isEmpty());
    EXPECT_TRUE(window->InputInvalid);
    EXPECT_EQ(window->edtTC001, QApplication::focusWidget());
    EXPECT_EQ("", window->LastSlipType);

    // A slip type of another nature is as unknown to this report.
    prompter->answerMessage(kv::mrOk);
    company->database->execute("UPDATE " + company->table("CMSMQ") + " SET MQ003='13' WHERE MQ001='5402'");
    typeSlipType("5402");
    EXPECT_EQ(2u, messages().size());
    company->database->execute("UPDATE " + company->table("CMSMQ") + " SET MQ003='54' WHERE MQ001='5402'");
}

TEST_F(WindowTest, AMistypedSlipTypeLeavesNothingOfThePreviousTypeAndTheCorrectionIsChecked)
{
    typeSlipType("5402");
    expectSettings(k5402);
    EXPECT_TRUE(window->chkTotalPrint->isChecked());

    prompter->answerMessage(kv::mrOk);
    typeSlipType("5499");
    EXPECT_EQ(std::vector<std::string>{kUnknownSlipType}, messages());
    expectNoSlipTypeSettings();

    typeSlipType("5401");
    expectSettings(k5401);

    // An unknown slip type picked by F2 is refused the same way.
    prompter->answerMessage(kv::mrOk);
    host->f2Window->nextRow = kv::varArrayOf({"5498", "作废单别", "54"});
    window->edtTC001->setFocus();
    kvtest::keyClick(window->edtTC001, Qt::Key_F2);
    EXPECT_EQ(2u, messages().size());
    expectNoSlipTypeSettings();
}

// The error box is a real one here: once it is closed the clerk types into
// the window again, and the corrected slip type is checked when left.
TEST_F(WindowTest, AfterTheErrorBoxTheCorrectedSlipTypeIsCheckedWhenLeft)
{
    const kv::ScopedPrompter realBoxes(std::make_shared<kv::QtPrompter>());
    std::vector<QString> shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown.push_back(box->text());
            kvtest::keyClick(box, Qt::Key_Return);
        }
    });
    closer.start(20);
    window->edtTC001->setFocus();
    kvtest::typeText(window->edtTC001, "5499");
    kvtest::keyClick(window->edtTC001, Qt::Key_Return);
    settle();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(QString::fromUtf8(kUnknownSlipType), shown[0]);
    ASSERT_EQ(window->edtTC001, QApplication::focusWidget());

    kvtest::typeText(QApplication::focusWidget(), "5402");
    kvtest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    EXPECT_EQ(1u, shown.size());
    EXPECT_NE(window->edtTC001, QApplication::focusWidget());
    expectSettings(k5402);
}

// A package names the send type before the way it should use: the way is
// still the one the run sends by, and the package's send status stays.
TEST_F(WindowTest, APackageSendsByTheWayItNamesInAnyOrder)
{
    window->ApplyConditions(conditionPackage(
        {{"rgSendType", Variant(1)}, {"cboSendWay", Variant(1)}, {"cboSendStatus", Variant(2)}}));
    EXPECT_EQ(window->SendMode, 1);
    EXPECT_EQ(window->SendPartnerField, "TC006");
    EXPECT_EQ(window->SendAddressField, "PURMA011");
    EXPECT_TRUE(window->cboSendWay->isEnabled());
    EXPECT_EQ(window->cboSendStatus->currentIndex(), 2);
    EXPECT_FALSE(window->edtFaxEmailData->isEnabled());

    // A typed address for "Email To 自定义对象" comes with the package too.
    window->ApplyConditions(conditionPackage(
        {{"edtFaxEmailData", Variant("buyer@example.com")}, {"rgSendType", Variant(1)}, {"cboSendWay", Variant(3)}}));
    EXPECT_EQ(window->SendMode, 1);
    EXPECT_TRUE(window->edtFaxEmailData->isEnabled());
    EXPECT_EQ(window->edtFaxEmailData->text(), "buyer@example.com");

    window->ApplyConditions(conditionPackage({{"rgSendType", Variant(0)}}));
    EXPECT_EQ(window->SendMode, 0);
    EXPECT_FALSE(window->cboSendWay->isEnabled());
}

TEST_F(WindowTest, AConditionPackageChecksItsSlipTypeAndFollowsTheSummarySwitch)
{
    window->ApplyConditions(conditionPackage({{"edtTC001", Variant("5402")}}));
    EXPECT_EQ(1, slipTypeReads());
    expectSettings(k5402);

    // An unknown slip type is reported, and nothing runs even when asked.
    prompter->answerMessage(kv::mrOk);
    window->ApplyConditions(conditionPackage({{"edtTC001", Variant("5499")}}, 1));
    EXPECT_EQ(std::vector<std::string>{kUnknownSlipType}, messages());
    expectNoSlipTypeSettings();

    window->ApplyConditions(conditionPackage({{"edtTC001", Variant("5401")}, {"chkPrint", Variant(true)}}));
    expectSettings(k5401);
    expectSummaryState(true);
    // Page break by warehouse named after the summary switch: the summary
    // still wins, as a click on chkPrint would have it.
    window->ApplyConditions(conditionPackage({{"chkPrint", Variant(true)}, {"chkCMSMC", Variant(true)}}));
    expectSummaryState(true);

    window->ApplyConditions(conditionPackage({{"chkPrint", Variant(false)}, {"chkCMSMC", Variant(true)}}));
    expectSummaryState(false);
    EXPECT_TRUE(window->chkCMSMC->isChecked());
    // The slip type was left alone: not read again.
    EXPECT_EQ(3, slipTypeReads());

    // A value a check box cannot take refuses the whole package before
    // anything is set (not the slip type first and the page break never).
    prompter->answerMessage(kv::mrOk);
    window->ApplyConditions(conditionPackage({{"edtTC001", Variant("5402")}, {"chkCMSMC", Variant("Y")}}));
    EXPECT_EQ(2u, messages().size());
    EXPECT_EQ(QStringLiteral("5401"), window->edtTC001->text());
    EXPECT_EQ(3, slipTypeReads());
}

TEST_F(WindowTest, RunningWithoutASlipTypeAsksForItOnTheFirstPage)
{
    window->pgOption->setActivePage(window->tsOption3);
    prompter->answerMessage(kv::mrOk);
    Variant params;
    EXPECT_FALSE(window->BuildRunParameters(params));
    ASSERT_EQ(1u, messages().size());
    EXPECT_EQ("选择领料单别 不可空白，请输入！", messages()[0]);
    EXPECT_EQ(window->tsOption1, window->pgOption->activePage());
    EXPECT_EQ(window->edtTC001, QApplication::focusWidget());
}

TEST_F(WindowTest, OptionSlotsNameTheFieldsAndCarryTheConditions)
{
    typeSlipType("5402");
    window->cboTC009->setCurrentIndex(1);
    window->cboTC010->setCurrentIndex(2);
    window->splTC003->edBegin()->setText_(window->ShownDate("20261201"));
    Variant params;
    ASSERT_TRUE(window->BuildRunParameters(params)) << window->ErrorTexts;
    const Variant &captions = params[1];
    const Variant &values = params[2];
    const char *const fields[] = {"TC001", "TC002", "TC003", "TC009", "TC010", "TC014"};
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(fields[slot - 1], captions[slot].toText()) << slot;
    EXPECT_EQ("='5402'", values[1].toText());
    EXPECT_EQ("20261201", values[3][1].toText());
    EXPECT_EQ("", values[3][2].toText());
    EXPECT_EQ("='N'", values[4].toText());
    EXPECT_EQ("", values[5].toText());
    EXPECT_EQ("", values[7].toText()); // send status: every slip
}

TEST_F(WindowTest, LookupsFillTheInputsTheyWereAskedFor)
{
    // The slip type: natures 54 and 55 offered, the pick checked and named.
    host->f2Window->nextRow = kv::varArrayOf({"5403", "工单领料单", "54"});
    window->edtTC001->setFocus();
    kvtest::keyClick(window->edtTC001, Qt::Key_F2);
    ASSERT_EQ(1u, host->f2Window->lookupRequests.size());
    const Variant &slipTypes = host->f2Window->lookupRequests[0];
    EXPECT_EQ("CMSMQ", slipTypes[0].toText());
    EXPECT_EQ("19", slipTypes[1].toText());
    EXPECT_EQ("54", slipTypes[2][0].toText());
    EXPECT_EQ("55", slipTypes[2][1].toText());
    EXPECT_EQ(QStringLiteral("5403"), window->edtTC001->text());
    EXPECT_EQ("5403", window->LastSlipType);
    EXPECT_EQ(QStringLiteral("工单领料单"), window->txtTC001->text());
    EXPECT_EQ(1, host->validator->count("CheckValue CMSMQ 22"));

    // A slip number of that slip type, through the panel's lookup button.
    host->f2Window->nextRow = kv::varArrayOf({"20261207003", "", "20261207"});
    kvtest::click(window->splTC002->finalButton());
    ASSERT_EQ(2u, host->f2Window->lookupRequests.size());
    const Variant &numbers = host->f2Window->lookupRequests[1];
    EXPECT_EQ("MOCTC", numbers[0].toText());
    EXPECT_EQ("60", numbers[1].toText());
    EXPECT_EQ("5403", numbers[2][0].toText());
    EXPECT_EQ(QStringLiteral("20261207003"), window->splTC002->edFinal()->Text());

    // A cancelled lookup changes nothing.
    host->f2Window->nextRow = Variant();
    kvtest::click(window->splTC002->finalButton());
    EXPECT_EQ(QStringLiteral("20261207003"), window->splTC002->edFinal()->Text());

    // Dates come from the host's calendar, in the window's date display.
    host->f2Window->nextDay = "20261130";
    kvtest::click(window->splTC014->finalButton());
    ASSERT_EQ(1u, host->f2Window->dayRequests.size());
    EXPECT_EQ(window->ShownDate("20261130"), window->splTC014->edFinal()->Text());
}

TEST_F(WindowTest, ARestoredConditionSetChecksTheSlipTypeAndTheSummarySwitch)
{
    const std::string stored = "edtTC001.text;chkPrint.checked;cboTC010.itemindex";
    ASSERT_TRUE(window->RestoreConditionSet(stored, "5501\r\nTrue\r\n2\r\n"));
    EXPECT_EQ(QStringLiteral("厂内退料单"), window->txtTC001->text());
    EXPECT_EQ(1, host->validator->count("CheckValue CMSMQ 22"));
    EXPECT_TRUE(window->chkPrint->isChecked());
    EXPECT_EQ("TfrmQipr07Fmt_1", window->LayoutClassName());
    EXPECT_TRUE(window->btn01->isChecked());

    // The same slip type restored again is not read again.
    ASSERT_TRUE(window->RestoreConditionSet(stored, "5501\r\nFalse\r\n2\r\n"));
    EXPECT_EQ(1, host->validator->count("CheckValue CMSMQ 22"));
    EXPECT_EQ("TfrmQipr07Fmt", window->LayoutClassName());

    // A set that names the page break after the summary switch ends in the
    // summary's state all the same.
    ASSERT_TRUE(window->RestoreConditionSet("chkPrint.checked;chkCMSMC.checked;btn05.checked", "True\r\nTrue\r\nTrue\r\n"));
    expectSummaryState(true);
    EXPECT_TRUE(window->btn05->isChecked());
}

// What the settings and options print: the forms of the previewed pages.
class PrintedWindowTest : public WindowTest {
protected:
    class Previewer : public kv::VRPreviewer {
    public:
        void ShowPreview(const kv::PreviewRequest &request) override
        {
            runs.push_back(request.pages ? layouttest::formsOf(*request.pages) : std::vector<layouttest::Form>());
        }
        std::vector<std::vector<layouttest::Form>> runs;
    };

    void SetUp() override
    {
        kv::VRPreviewer::setCurrent(previewer);
        WindowTest::SetUp();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        kv::VRPreviewer::setCurrent(nullptr);
    }

    // The forms of a preview from the window's conditions (every print status).
    const std::vector<layouttest::Form> &preview()
    {
        window->cboTC010->setCurrentIndex(2);
        const std::size_t before = previewer->runs.size();
        kvtest::click(window->btnPreview);
        static const std::vector<layouttest::Form> none;
        EXPECT_EQ(before + 1, previewer->runs.size()) << window->ErrorTexts;
        return previewer->runs.size() > before ? previewer->runs.back() : none;
    }

    static void expectPrinted(const std::vector<layouttest::Form> &forms, const SlipTypeSettings &expected)
    {
        ASSERT_FALSE(forms.empty());
        // The title heads every page, footer and sign-off close each slip.
        std::set<QString> footers, signOffs;
        for (const layouttest::Form &form : forms) {
            EXPECT_EQ(QString::fromStdString(expected.title), form.text("lblVoucherName"));
            for (const QString &line : form.all("lblNote1"))
                footers.insert(line);
            for (const QString &line : form.all("lblSignIn3"))
                signOffs.insert(line);
        }
        EXPECT_EQ(std::set<QString>{expected.footer1}, footers);
        EXPECT_EQ(std::set<QString>{expected.signOff3}, signOffs);
    }

    std::shared_ptr<Previewer> previewer = std::make_shared<Previewer>();
};

TEST_F(PrintedWindowTest, EachRunPrintsTheSettingsOfTheSlipTypeItRunsFor)
{
    typeSlipType("5401");
    prompter->answerMessage(kv::mrOk);
    typeSlipType("5499");
    // Typed into the edit and run at once: the edit was never left.
    window->edtTC001->setFocus();
    kvtest::typeText(window->edtTC001, "5402");
    expectPrinted(preview(), k5402);
    EXPECT_EQ(k5402.name, window->txtTC001->text());

    // A run by key prints with its own slip type's settings; the next run
    // from the window's conditions with the window's slip type again.
    const kv::ResultTable slips = company->database->query("SELECT TC002 FROM " + company->table("MOCTC") +
                                                           " WHERE TC001='5401' AND TC009='Y' ORDER BY TC002");
    ASSERT_GT(slips.rowCount(), 0);
    ASSERT_TRUE(window->RunByKey(kv::varArrayOf({"5401", std::string(slips.text(0, 0)), "54"}), true));
    expectPrinted(previewer->runs.back(), k5401);
    expectPrinted(preview(), k5402);

    // A package's slip type prints its own settings.
    window->ApplyConditions(conditionPackage({{"edtTC001", Variant("5401")}}));
    expectPrinted(preview(), k5401);
}

TEST_F(PrintedWindowTest, OptionsSetByAPackagePrintWithTheLayoutTheyChoose)
{
    typeSlipType("5401");
    // Summed per item: the summary layout, whatever the window showed before.
    window->ApplyConditions(conditionPackage({{"chkPrint", Variant(true)}, {"btn05", Variant(true)}}));
    const std::vector<layouttest::Form> summed = preview();
    ASSERT_FALSE(summed.empty());
    EXPECT_TRUE(summed.front().has("txtTE004"));
    EXPECT_FALSE(summed.front().has("txtTE003")) << "the line number belongs to the detailed slip";

}

TEST_F(PrintedWindowTest, PageBreakByWarehouseFromAPackageSplitsTheSlips)
{
    typeSlipType("5401");
    // The clerk had summed the slips; the package asks for the detailed
    // slip broken by warehouse: no page (form) holds two warehouses, and a
    // slip's warehouses follow in order.
    kvtest::click(window->chkPrint);
    window->ApplyConditions(conditionPackage({{"chkPrint", Variant(false)}, {"chkCMSMC", Variant(true)}}));
    const std::vector<layouttest::Form> forms = preview();
    ASSERT_FALSE(forms.empty());
    std::map<QString, std::vector<QString>> warehousesBySlip;
    for (const layouttest::Form &form : forms) {
        const QStringList warehouses = form.all("txtTE008");
        ASSERT_FALSE(warehouses.isEmpty());
        EXPECT_EQ(1, std::set<QString>(warehouses.begin(), warehouses.end()).size())
            << form.text("txtTC002").toStdString() << ": " << warehouses.join(',').toStdString();
        warehousesBySlip[form.text("txtTC002")].push_back(warehouses.first());
    }
    const auto several = std::find_if(warehousesBySlip.begin(), warehousesBySlip.end(),
                                      [](const auto &slip) { return slip.second.front() != slip.second.back(); });
    ASSERT_NE(several, warehousesBySlip.end()) << "no demo slip of 5401 has lines in two warehouses";
    for (const auto &[slip, warehouses] : warehousesBySlip)
        EXPECT_TRUE(std::is_sorted(warehouses.begin(), warehouses.end())) << slip.toStdString();
}

} // namespace

// "This month's issues": the clerk saves the issue-date range with its begin
// moved to the first day of the month after and opens the set again.
TEST_F(WindowTest, TheSaveButtonNamesTheSetAndStoresItsIssueDatesMoved)
{
    window->splTC003->edBegin()->setText_(window->ShownDate("20261231"));
    window->splTC003->edFinal()->setText_(window->ShownDate("20261231"));
    QStringList offered;
    prompter->answerDialog([&](QDialog &shown) {
        auto &dialog = static_cast<kv::TfrmGeneCondition &>(shown);
        dialog.show();
        for (int item = 0; item < dialog.cbodatecondition->count(); ++item)
            offered << dialog.cbodatecondition->itemText(item);
        dialog.edConName->setText(QStringLiteral("本月领料"));
        dialog.cbodatecondition->setCurrentIndex(0);
        kvtest::click(dialog.spDate_B);
        dialog.seSetDay_B1->setFocus(Qt::OtherFocusReason);
        dialog.seSetDay_B1->edit()->selectAll();
        kvtest::typeText(dialog.seSetDay_B1->edit(), QStringLiteral("1"));
        dialog.cboSetDay_B1->setFocus(Qt::OtherFocusReason);
        dialog.cboSetDay_B1->setCurrentIndex(1);
        dialog.cboSetDay_B2->setFocus(Qt::OtherFocusReason);
        dialog.cboSetDay_B2->setCurrentIndex(1);
        kvtest::click(dialog.btnOk);
        return dialog.modalResult();
    });
    kvtest::click(window->btnInsert);
    EXPECT_EQ(offered, (QStringList{"选择领料日期", "选择单据日期"}));
    const int row = window->lstCondition->FindCaption(QStringLiteral("本月领料"));
    ASSERT_GE(row, 0);
    window->splTC003->edBegin()->setText_(QString());
    window->lstCondition->setItemIndex(row);
    kvtest::click(window->btnOpen);
    EXPECT_EQ(window->splTC003->edBegin()->Text(), window->ShownDate("20270101"));
    EXPECT_EQ(window->splTC003->edFinal()->Text(), window->ShownDate("20261231"));
}
