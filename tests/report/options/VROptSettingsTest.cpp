// Footer and sign-off lines, slip-type print settings, runs by key and what
// the condition window hands to the standard slip layout.

#include "VROptTestSupport.h"

#include "controls/F2Button.h"

using namespace opttest;
using kv::mrOk;

namespace {

const QStringList kStandardFooter = {"1. 领料时请当面核对品号、数量，如有差异当场提出。",
                                     "2. 本单一式三联：白联仓库、红联生管、黄联领料单位。", "3. 退料请另开退料单，注明原因。"};
const QStringList kOutsourcedFooter = {"1. 委外加工材料请供应商签收后带回回执。", "2. 加工损耗超过 2% 须书面说明。",
                                       "3. 本单据作为对账依据，请妥善保管。"};
const QStringList kStandardSignOff = {"核准：____________", "审核：____________", "领料人：____________"};

bool allEnabled(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *widget : widgets)
        if (widget->isEnabled() != enabled)
            return false;
    return true;
}

} // namespace

TEST_F(OptTest, SystemPageComponentsAndTheirStartState)
{
    openWindow(false);
    EXPECT_EQ(window->grpNote->title(), "页脚");
    EXPECT_EQ(window->grpSignIn->title(), "签核");
    EXPECT_EQ(window->edtNoteID->maxLength(), 6);
    EXPECT_EQ(window->edtSignInID->maxLength(), 6);
    EXPECT_EQ(window->edtNote3->maxLength(), 255);
    EXPECT_EQ(window->edtSignIn1->maxLength(), 255);
    EXPECT_EQ(window->edtNoteID->toolTip(), "[F2]页脚信息查询");
    EXPECT_EQ(window->btnSignIn->toolTip(), "签核信息查询");
    EXPECT_EQ(window->btnNote->f2Control(), window->edtNoteID);
    EXPECT_EQ(window->chkSignInEPPrint->caption(), "每页打印签核");
    EXPECT_EQ(window->btnOk->toolTip(), "打印");
    EXPECT_EQ(window->btnPreview->toolTip(), "预览");
    // The totals switch waits for a slip type's settings.
    EXPECT_FALSE(window->chkTotalPrint->isEnabled());
    EXPECT_FALSE(window->chkTotalPrint->isChecked());
    EXPECT_FALSE(window->RunningByKey);

    kvtest::showActive(window);
    window->pgOption->setActivePage(window->tsOption2);
    QApplication::processEvents();
    EXPECT_EQ(window->cboFormStyleName->pos(), QPoint(260, 8));
    EXPECT_EQ(window->cboDateType->pos(), QPoint(440, 8));
    EXPECT_EQ(window->btnDelFormStype->x(), window->cboFormStyleName->geometry().right() + 3);
    EXPECT_GE(window->width(), 708);
}

TEST_F(OptTest, SlipTypeSettingsFillFooterSignOffAndSwitches)
{
    openWindow(false);
    Variant settings;
    // 5402: outsourced footer F02, sign-off S02, totals on every page.
    window->LoadSlipTypeSettings("5402", true, settings);
    ASSERT_TRUE(settings.isArray());
    EXPECT_EQ(settings[0], Variant("委外领料单"));
    EXPECT_EQ(window->SlipTypeKey, "5402");
    EXPECT_EQ(window->SlipTitle, "恒信精密 委外领料单");
    EXPECT_EQ(window->edtNoteID->Text(), "F02");
    EXPECT_EQ(footerLines(), kOutsourcedFooter);
    EXPECT_EQ(window->edtSignInID->Text(), "S02");
    EXPECT_EQ(signOffLines().first(), "核准：____________");
    EXPECT_TRUE(window->grpNote->isEnabled());
    EXPECT_TRUE(window->chkTotalPrint->isEnabled());
    EXPECT_TRUE(window->chkTotalPrint->isChecked());
    EXPECT_FALSE(window->chkNoteEPPrint->isChecked());
    EXPECT_FALSE(window->chkSignInEPPrint->isChecked());
    EXPECT_TRUE(window->cboFormStyleName->isEnabled());

    // 5401 prints totals only on the last page.
    window->LoadSlipTypeSettings("5401", true, settings);
    EXPECT_FALSE(window->chkTotalPrint->isChecked());
    EXPECT_EQ(footerLines(), kStandardFooter);
    EXPECT_EQ(signOffLines(), kStandardSignOff);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, FooterThatMayNotBeChangedIsGreyedButStillPrinted)
{
    addSlipType("5495", {"F01", "N", "S01", "Y", "Y", "Y", "", "Y", "测试单", "N"});
    openWindow(false);
    Variant settings;
    window->LoadSlipTypeSettings("5495", true, settings);
    EXPECT_FALSE(window->grpNote->isEnabled());
    EXPECT_FALSE(allEnabled({window->btnNote, window->edtNote1, window->edtNote2, window->edtNote3,
                             window->chkNoteEPPrint},
                            true));
    EXPECT_EQ(kv::ControlProperties::color(window->edtNoteID), QApplication::palette().color(QPalette::Button));
    EXPECT_TRUE(window->grpSignIn->isEnabled());
    EXPECT_TRUE(allEnabled({window->btnSignIn, window->edtSignIn1, window->chkSignInEPPrint}, true));
    EXPECT_EQ(kv::ControlProperties::color(window->edtSignInID), QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(footerLines(), kStandardFooter);
    EXPECT_TRUE(window->chkNoteEPPrint->isChecked());
    EXPECT_TRUE(window->chkSignInEPPrint->isChecked());

    auto *layout = kv::TKVForm::Create<kv::TfrmVRFormat>(window.data());
    window->PassToLayout(layout);
    EXPECT_EQ(layout->NoteTexts, kStandardFooter);
    EXPECT_TRUE(layout->NotesEveryPage);
    EXPECT_TRUE(layout->SignInEveryPage);
    EXPECT_FALSE(layout->TotalsEveryPage);
    layout->Free();
}

TEST_F(OptTest, SlipTypeWithoutCodesFallsBackToTheProgram)
{
    // No codes of its own; the program record supplies footer and sign-off.
    addSlipType("5496", {"", "N", "", "N", "N", "N", "", "Y", "", "Y"});
    execute("UPDATE " + table("CMSMT") + " SET MT003 = 'N'");
    openWindow(false);
    Variant settings;
    window->LoadSlipTypeSettings("5496", true, settings);
    EXPECT_EQ(window->edtNoteID->Text(), "F01");
    EXPECT_FALSE(window->grpNote->isEnabled());
    EXPECT_EQ(window->edtSignInID->Text(), "S01");
    EXPECT_TRUE(window->grpSignIn->isEnabled());

    // Without a program record the slip type's own flags decide: only "N"
    // locks the group.
    execute("DELETE FROM " + table("CMSMT"));
    addSlipType("5497", {"", "N", "", "", "N", "N", "", "Y", "", "Y"});
    window->LoadSlipTypeSettings("5497", true, settings);
    EXPECT_TRUE(window->edtNoteID->Text().isEmpty());
    EXPECT_EQ(footerLines(), QStringList({"", "", ""}));
    EXPECT_FALSE(window->grpNote->isEnabled());
    EXPECT_TRUE(window->grpSignIn->isEnabled());
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, EmptySlipTypeTakesTheProgramSettings)
{
    addSlipType("5498", {"F02", "N", "S02", "N", "Y", "Y", "", "Y", "", "Y"});
    openWindow(false);
    Variant settings;
    window->LoadSlipTypeSettings("5498", true, settings);
    ASSERT_FALSE(window->grpNote->isEnabled());

    window->LoadSlipTypeSettings("", true, settings);
    EXPECT_EQ(window->SlipTypeKey, "");
    ASSERT_TRUE(settings.isArray());
    EXPECT_EQ(settings[11], Variant("QIPR07"));
    EXPECT_TRUE(window->grpNote->isEnabled());
    EXPECT_TRUE(window->grpSignIn->isEnabled());
    EXPECT_EQ(window->edtNoteID->Text(), "F01");
    EXPECT_EQ(footerLines(), kStandardFooter);
    EXPECT_EQ(window->edtSignInID->Text(), "S01");
    EXPECT_FALSE(window->chkNoteEPPrint->isChecked());
    EXPECT_FALSE(window->chkSignInEPPrint->isChecked());
    EXPECT_TRUE(window->chkTotalPrint->isEnabled());
    EXPECT_FALSE(window->chkTotalPrint->isChecked());
    EXPECT_TRUE(allEnabled({window->btnNote, window->edtNote1, window->chkNoteEPPrint}, true));

    // Without the program record the settings are an empty text.
    execute("DELETE FROM " + table("CMSMT"));
    window->LoadSlipTypeSettings("", true, settings);
    EXPECT_EQ(settings, Variant(std::string()));
    EXPECT_TRUE(window->edtNoteID->Text().isEmpty());
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, SlipTypeWithoutPrintSettingsIsReported)
{
    openWindow(false);
    Variant settings;
    window->LoadSlipTypeSettings("5401", true, settings);
    // A return slip type is not of the natures the report accepts.
    prompter->answerMessage(mrOk);
    window->LoadSlipTypeSettings("5501", true, settings);
    EXPECT_TRUE(settings.isEmpty());
    EXPECT_EQ(messages(), std::vector<std::string>{"单别不存在，或不是本作业可用的单据性质！"});
    // Nothing of the slip type before stays in force: no footer, sign-off,
    // title or every-page switch of 5401 would print on the next slips.
    EXPECT_EQ(window->SlipTypeKey, "5501");
    EXPECT_EQ(window->SlipTitle, "");
    EXPECT_TRUE(window->edtNoteID->Text().isEmpty());
    EXPECT_TRUE(footerLines().join("").isEmpty());
    EXPECT_TRUE(window->edtSignInID->Text().isEmpty());
    EXPECT_TRUE(signOffLines().join("").isEmpty());
    EXPECT_FALSE(window->chkTotalPrint->isChecked());

    // Without error reports nothing is shown.
    window->LoadSlipTypeSettings("9999", false, settings);
    EXPECT_TRUE(settings.isEmpty());
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, TypedCodesAreLookedUpWhenTheyChange)
{
    openWindow();
    window->pgOption->setActivePage(window->tsOption2);
    QApplication::processEvents();
    window->edtNoteID->setFocus();
    QApplication::processEvents();
    kvtest::typeText(window->edtNoteID, QStringLiteral("F02"));
    window->edtNote1->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(footerLines(), kOutsourcedFooter);

    // Leaving the code unchanged keeps what was typed into the lines.
    window->edtNote1->setText_(QStringLiteral("手改的页脚"));
    window->edtNoteID->setFocus();
    QApplication::processEvents();
    window->edtNote2->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(window->edtNote1->Text(), "手改的页脚");

    // An unknown sign-off code is reported and the focus goes back.
    window->edtSignInID->setFocus();
    QApplication::processEvents();
    kvtest::typeText(window->edtSignInID, QStringLiteral("XX9"));
    prompter->answerMessage(mrOk);
    window->edtSignIn1->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(messages(), std::vector<std::string>{"签核信息编号 不存在，请重新输入！"});
    EXPECT_EQ(QApplication::focusWidget(), window->edtSignInID);
    EXPECT_TRUE(window->edtSignInID->Text().isEmpty());
    EXPECT_TRUE(prompter->allAnswered());

    EXPECT_TRUE(window->LoadFooter("", true));
    EXPECT_TRUE(window->LoadFooter("NOPE", false));
    EXPECT_TRUE(window->edtNoteID->Text().isEmpty());
}

TEST_F(OptTest, LookupPicksFooterAndSignOffLines)
{
    openWindow();
    window->pgOption->setActivePage(window->tsOption2);
    QApplication::processEvents();
    host->f2Window->pick = "F02";
    kvtest::click(window->btnNote);
    EXPECT_EQ(host->f2Window->lookups, std::vector<std::string>{"CMSMS/01/1"});
    EXPECT_EQ(window->edtNoteID->Text(), "F02");
    EXPECT_EQ(window->LastLineID, "F02");
    EXPECT_EQ(footerLines(), kOutsourcedFooter);
    EXPECT_EQ(QApplication::focusWidget(), window->edtNoteID);

    // F2 in the sign-off code; nothing picked changes nothing.
    host->f2Window->pick.clear();
    window->edtSignInID->setText_(QStringLiteral("S01"));
    window->edtSignInID->setFocus();
    kvtest::keyClick(window->edtSignInID, Qt::Key_F2);
    EXPECT_EQ(host->f2Window->lookups.back(), "CMSMS/01/2");
    EXPECT_EQ(window->edtSignInID->Text(), "S01");

    host->f2Window->pick = "S02";
    kvtest::keyClick(window->edtSignInID, Qt::Key_F2);
    EXPECT_EQ(signOffLines(), QStringList({"核准：____________", "采购：____________", "供应商签收：____________"}));
    // Leaving the edit does not look the picked code up again.
    window->edtSignIn3->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(prompter->questions().empty());
}

TEST_F(OptTest, PassToLayoutHandsEverythingToTheSlipLayout)
{
    openWindow(false);
    Variant settings;
    window->LoadSlipTypeSettings("5402", true, settings);
    window->edtSignIn2->setText_(QStringLiteral("仓管：王"));
    window->chkNoteEPPrint->setChecked(true);
    window->edPrintDate->setText_(QStringLiteral("2024/03/05"));
    window->cboDateType->setCurrentIndex(2);

    auto *layout = kv::TKVForm::Create<kv::TfrmVRFormat>(window.data());
    window->PassToLayout(layout);
    EXPECT_EQ(layout->WorkflowFormCode, "5402");
    EXPECT_FALSE(layout->UseWorkflowSignIn);
    EXPECT_EQ(layout->lblVoucherName->caption(), "恒信精密 委外领料单");
    EXPECT_EQ(layout->lblCreateDate1->caption(), "05/03/2024");
    EXPECT_EQ(layout->NoteTexts, kOutsourcedFooter);
    EXPECT_EQ(layout->SignInTexts, QStringList({"核准：____________", "仓管：王", "供应商签收：____________"}));
    EXPECT_EQ(layout->lblSignIn2->caption(), "仓管：王");
    EXPECT_TRUE(layout->NotesEveryPage);
    EXPECT_FALSE(layout->SignInEveryPage);
    EXPECT_TRUE(layout->TotalsEveryPage);
    layout->Free();

    // The workflow sign-off code switches the layout to workflow data.
    window->LoadSlipTypeSettings("5403", true, settings);
    EXPECT_EQ(window->edtSignInID->Text(), "TESSWF");
    layout = kv::TKVForm::Create<kv::TfrmVRFormat>(window.data());
    window->PassToLayout(layout);
    EXPECT_TRUE(layout->UseWorkflowSignIn);
    EXPECT_EQ(layout->WorkflowFormCode, "5403");
    layout->Free();
}

TEST_F(OptTest, RunByKeyPrintsWithTheSlipTypeSettings)
{
    openWindow(false);
    EXPECT_TRUE(window->RunByKey(varArrayOf({"5402", "0001", "54"}), true));
    EXPECT_TRUE(window->RunningByKey);
    EXPECT_FALSE(window->Exporting);
    ASSERT_EQ(previewer->runs.size(), 1u);
    ASSERT_FALSE(previewer->runs[0].empty());
    const layouttest::Form &form = previewer->runs[0].front();
    EXPECT_EQ(form.text("lblNote1"), kOutsourcedFooter[0]);
    EXPECT_EQ(form.text("lblSignIn3"), "供应商签收：____________");
    EXPECT_EQ(form.text("lblVoucherName"), "恒信精密 委外领料单");

    // A slip type without print settings ends the run before any query.
    FixedSlipLayout::lastSql.clear();
    prompter->answerMessage(mrOk);
    EXPECT_FALSE(window->RunByKey(varArrayOf({"9999", "0001", "54"}), true));
    EXPECT_TRUE(FixedSlipLayout::lastSql.empty());
    EXPECT_EQ(previewer->runs.size(), 1u);
    EXPECT_EQ(messages(), std::vector<std::string>{"单别不存在，或不是本作业可用的单据性质！"});

    // Once by key, the window keeps using the by-key settings, which do
    // not ask for the report's slip natures.
    Variant settings;
    window->LoadSlipTypeSettings("5501", true, settings);
    EXPECT_TRUE(settings.isArray());
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, ExportByKeyReportsNothingWhenTheSlipTypeHasNoSettings)
{
    openWindow(false);
    EXPECT_FALSE(window->ExportByKey(varArrayOf({"9999", "0001", "54"}), 1, 96, shell.root() + "slip", ""));
    EXPECT_TRUE(window->RunningByKey);
    EXPECT_TRUE(window->Exporting);
    EXPECT_TRUE(prompter->questions().empty());
}
