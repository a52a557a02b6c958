// The slip report's condition window as a user works it: the slip type
// typed or picked and checked against the slip types of issue natures, the
// summary switch and its grouping choices, the lookups, the option slots of
// a run and a restored condition set.
#include "Qipr07TestSupport.h"

#include "base/KvLabel.h"
#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "controls/BtChkBox.h"
#include "controls/F2Button.h"
#include "controls/KovListView.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"

#include <QComboBox>
#include <QGroupBox>

namespace {

using qipr07test::ReportWindowTest;
using kv::Variant;

class WindowTest : public ReportWindowTest {
protected:
    void SetUp() override
    {
        ReportWindowTest::SetUp();
        openWindow();
    }

    int slipTypeReads() const { return host->validator->count("CheckValue CMSMQ 22"); }
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
}

} // namespace
