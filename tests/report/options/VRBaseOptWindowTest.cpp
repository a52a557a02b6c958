// The condition window opened on the demo company: its components, what it
// reads at open, rights, the list of option controls, the fax/e-mail page
// and the send-status option slot.
#include "report/options/OptionsTestSupport.h"

#include "base/KvTabSheet.h"
#include "controls/ControlProperties.h"
#include "report/options/EmailSubject.h"

#include <QPlainTextEdit>
#include <QRadioButton>

namespace optionstest {
namespace {

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

TEST_F(OptionsTest, ComponentsCarryTheirCaptionsAndItems)
{
    createWindow();
    EXPECT_EQ(window->btnOk->text(), "打印");
    EXPECT_EQ(window->btnPreview->text(), "预览");
    EXPECT_EQ(window->btnDesign->text(), "设计凭证");
    EXPECT_EQ(window->btnPrintSetup->text(), "设置打印机");
    EXPECT_EQ(window->btnPaperSize->text(), "纸张格式");
    EXPECT_EQ(window->tsFEP->caption(), "Fax/Email选项");
    EXPECT_EQ(window->rgSendType->items(), (QStringList{"打印", "Fax/Email"}));
    EXPECT_EQ(window->rgSendType->itemIndex(), 0);
    EXPECT_EQ(itemsOf(window->cboSendStatus), (QStringList{"已传送", "未传送", "全部"}));
    {
        // The test report replaces the send ways; the framework's own are these.
        kv::TfrmVRBaseOpt *plain = kv::TKVForm::Create<kv::TfrmVRBaseOpt>();
        EXPECT_EQ(itemsOf(plain->cboSendWay),
                  (QStringList{"FAX To 供应商", "Email To 供应商", "FAX To 客户", "Email To 客户",
                               "FAX To 自定义对象", "Email To 自定义对象"}));
        plain->Free();
    }
    EXPECT_FALSE(window->cboSendStatus->isEnabled());
    EXPECT_FALSE(window->cboSendWay->isEnabled());
    EXPECT_FALSE(window->edtFaxEmailData->isEnabled());
    EXPECT_EQ(window->moPaperSize->toPlainText().split('\n').size(), 28);
    EXPECT_EQ(window->moUnits->toPlainText().split('\n').value(4), "Native");
    EXPECT_EQ(window->cboFormStyleName->lineEdit()->maxLength(), 20);
    EXPECT_EQ(itemsOf(window->cboDateType),
              (QStringList{"公历 YYYYMMDD", "公历 MMDDYYYY", "公历 DDMMYYYY", "民国年 YYMMDD", "民国年 YYYMMDD"}));
    EXPECT_EQ(window->PrinterIndex, -1);
    EXPECT_TRUE(window->ApplyPermission);
}

TEST_F(OptionsTest, ClientSettingsGiveBuilderPathAndSwitch)
{
    writeClientSettings("[Client Components]\nRTBuilderDataPath= /data/rtb \nSQLBuilderEnabled=0\n");
    openWindow();
    EXPECT_EQ(window->RTBuilderDataPath, "/data/rtb/");
    EXPECT_FALSE(window->SQLBuilderEnabled);
    EXPECT_FALSE(window->UseSQLBuilder);
}

TEST_F(OptionsTest, OpenReadsDialectPermissionsCompanyAndDefaults)
{
    openWindow();
    EXPECT_TRUE(window->SQLBuilderEnabled);
    EXPECT_TRUE(window->UseSQLBuilder);
    EXPECT_EQ(window->SQLType, 0);
    ASSERT_TRUE(window->PermissionData.isArray());
    EXPECT_EQ(kv::varToStr(window->PermissionData[3]), "MOCTC");
    ASSERT_GT(window->CompanyInfo.size(), 1);
    EXPECT_EQ(window->CompanyInfo[0], "01");
    EXPECT_FALSE(window->CompanyInfo[1].isEmpty());
    // The print date is today's date in the user's date type.
    EXPECT_EQ(window->cboDateType->currentIndex(), window->DateKind - 1);
    EXPECT_FALSE(window->edPrintDate->Text().trimmed().isEmpty());
    // One slot for the send status in front of the print date.
    EXPECT_EQ(window->FirstOption, 2);
    EXPECT_EQ(window->OptionCount, 3);
    EXPECT_EQ(window->cboSendStatus->currentIndex(), 2);
    EXPECT_EQ(window->SendMode, 0);
}

TEST_F(OptionsTest, GregorianOnlyCompaniesKeepThreeDateTypes)
{
    createWindow();
    window->SysInfo = {{"Sys026", "2"}};
    window->DefineProgram();
    EXPECT_EQ(itemsOf(window->cboDateType), (QStringList{"公历 YYYYMMDD", "公历 MMDDYYYY", "公历 DDMMYYYY"}));
}

TEST_F(OptionsTest, HiddenSendPageWhenTheCompanyDoesNotSend)
{
    createWindow();
    window->SysInfo = {{"Sys042", "N"}};
    window->SetupReportOptions();
    EXPECT_FALSE(window->tsFEP->tabVisible());
}

TEST_F(OptionsTest, RightsEnableDeleteStyleAndRunButtons)
{
    openWindow();
    window->ParseRights(kv::varArrayOf({"", "DS,QIPR07,01,YYYNNY", ""}));
    EXPECT_TRUE(window->btnDelFormStype->isEnabled());
    EXPECT_TRUE(window->btnOk->isEnabled());
    EXPECT_TRUE(window->btnPreview->isEnabled());
    EXPECT_TRUE(window->btnDesign->isEnabled());

    window->ParseRights(kv::varArrayOf({"", "DS,QIPR07,01,YNYYYY", ""}));
    EXPECT_FALSE(window->btnDesign->isEnabled());

    window->ParseRights(kv::varArrayOf({"", "DS,QIPR07,01,YYNYYN", ""}));
    EXPECT_TRUE(window->btnDesign->isEnabled());
    EXPECT_FALSE(window->btnDelFormStype->isEnabled());
    EXPECT_FALSE(window->btnOk->isEnabled());
    EXPECT_FALSE(window->btnPreview->isEnabled());

    // A short rights string grants nothing beyond its end.
    window->ParseRights(kv::varArrayOf({"", "DS,QIPR07,01,YY", ""}));
    EXPECT_FALSE(window->btnDelFormStype->isEnabled());
    EXPECT_FALSE(window->btnOk->isEnabled());
}

TEST_F(OptionsTest, OptionControlsAreListedPageByPageWithTheirProperty)
{
    createWindow();
    window->spNo->setVisible(false);
    window->RegisterOptionControls();
    EXPECT_EQ(window->OptionControls(), "edtRemark.text;chkPrint.checked;"
                                        "edPrintDate.text;cboFormStyleName.itemindex;cboDateType.itemindex;"
                                        "cboSendStatus.itemindex;cboSendWay.itemindex;edtFaxEmailData.text;");
    window->spNo->setVisible(true);
    kv::ControlProperties::setTabOrder(window->spNo, -1);
    window->RegisterOptionControls();
    EXPECT_EQ(window->OptionControls().rfind("spNo.style;edtRemark.text;", 0), 0u);
}

TEST_F(OptionsTest, SendWaysSetModeLabelAndTypedNumber)
{
    openWindow();
    // The user picks "Fax/Email" with the first send way (FAX To 供应商: the
    // partner's fax number).
    window->cboSendWay->setCurrentIndex(0);
    window->rgSendType->button(1)->click();
    EXPECT_EQ(window->SendMode, 2);
    EXPECT_EQ(window->lblFaxEmail->text(), "Fax No");
    EXPECT_EQ(window->SendPartnerField, "TC006");
    EXPECT_EQ(window->SendAddressField, "PURMA010");
    EXPECT_FALSE(window->edtFaxEmailData->isEnabled());
    EXPECT_TRUE(window->cboSendStatus->isEnabled());
    EXPECT_EQ(window->cboSendStatus->currentIndex(), 1);

    chooseSend(1, 3); // Email To 自定义对象: a typed address
    EXPECT_EQ(window->SendMode, 1);
    EXPECT_EQ(window->lblFaxEmail->text(), "E-Mail");
    EXPECT_TRUE(window->edtFaxEmailData->isEnabled());
    EXPECT_EQ(kv::ControlProperties::color(window->edtFaxEmailData), QColor(255, 255, 175));
    EXPECT_TRUE(window->PageEndControls.contains(window->edtFaxEmailData));
    EXPECT_FALSE(window->PageEndControls.contains(window->cboSendWay));
    EXPECT_FALSE(window->PageEndControls.contains(window->rgSendType));

    chooseSend(0, 3); // back to printing
    EXPECT_EQ(window->SendMode, 0);
    EXPECT_FALSE(window->edtFaxEmailData->isEnabled());
    EXPECT_FALSE(window->cboSendWay->isEnabled());
    EXPECT_EQ(window->cboSendStatus->currentIndex(), 2);
    EXPECT_EQ(window->PageEndControls.count(window->rgSendType), 1);
    chooseSend(0, 0);
    EXPECT_EQ(window->PageEndControls.count(window->rgSendType), 1);
}

TEST_F(OptionsTest, ReportWithoutSendWaysKeepsPrinting)
{
    createWindow();
    window->sendWays.clear();
    window->OpenWindow(kv::varArrayOf({"DS", "01", company->companyDb, 0, "options"}));
    chooseSend(1, 0);
    EXPECT_EQ(window->SendMode, 0);
    EXPECT_FALSE(window->edtFaxEmailData->isEnabled());
}

TEST_F(OptionsTest, SendStatusSlotHoldsTheChosenCondition)
{
    openWindow();
    const int slot = window->OptionCount - 1;
    const std::vector<std::pair<int, std::string>> cases = {{0, "<>0"}, {1, "=0"}, {2, ""}};
    for (const auto &[item, value] : cases) {
        window->cboSendStatus->setCurrentIndex(item);
        Variant params;
        ASSERT_TRUE(window->BuildRunParameters(params));
        EXPECT_EQ(kv::varToStr(params[2][slot]), value) << item;
        EXPECT_EQ(kv::varToStr(params[1][slot][0]), "传送状态");
    }
}

TEST_F(OptionsTest, TypedNumberIsRequiredForACustomSendWay)
{
    openWindow();
    chooseSend(1, 2); // FAX To 自定义对象
    prompter->answerMessage(kv::mrOk);
    Variant params;
    EXPECT_FALSE(window->BuildRunParameters(params));
    EXPECT_EQ(messages(), std::vector<std::string>{"Fax No 不可空白，请输入！"});
    EXPECT_EQ(window->pgOption->activePage(), window->tsFEP);

    window->edtFaxEmailData->setText("021-5550123");
    EXPECT_TRUE(window->BuildRunParameters(params));
    EXPECT_EQ(kv::varToStr(params[2][window->OptionCount - 1]), "=0");
}

TEST(EmailSubjectTest, TheSubjectIsTakenOnlyByTheOkButton)
{
    kv::TfrmEmailSubject dialog;
    EXPECT_EQ(dialog.windowTitle(), "E-Mail 主题");
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    dialog.SetSubject("领料单 5401-0001");
    EXPECT_EQ(dialog.Subject(), "");
    dialog.edtSubject->setText("领料单 5401-0001 (补)");
    dialog.BitBtn1->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Subject(), "领料单 5401-0001 (补)");
}

} // namespace
} // namespace optionstest
