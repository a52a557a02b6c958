// Inputs of a program window as a user fills them: date and year-month
// display, the date check on leaving an input, required inputs before a
// run, the run parameters, and the coded messages that report all of it.

#include "BaseTestSupport.h"

#include "base/DateDisplay.h"
#include "platform/Clock.h"

#include <QDateTime>

using namespace basetest;
using kv::mrOk;
using kvtest::keyClick;

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

QColor colourOf(QWidget *widget)
{
    return widget->property("Color").value<QColor>();
}

} // namespace

TEST(DateDisplay, MasksAndStoredFormsByDateKindAndSeparator)
{
    struct Case {
        int kind;
        const char *separator;
        const char *dateMask;
        const char *monthMask;
        const char *blankDate;
        const char *shown;   // 5 March 2024 (2005 for kind 4)
        const char *stored;
    };
    const Case cases[] = {
        {1, "/", "9999/99/99;1; ", "9999/99;1; ", "    /  /  ", "2024/03/05", "20240305"},
        {2, "-", "99-99-9999;1; ", "99-9999;1; ", "  -  -    ", "03-05-2024", "20240305"},
        {3, ".", "99.99.9999;1; ", "99.9999;1; ", "  .  .    ", "05.03.2024", "20240305"},
        {4, "/", "99/99/99;1; ", "99/99;1; ", "  /  /  ", "94/03/05", "20050305"},
        {5, "/", "999/99/99;1; ", "999/99;1; ", "   /  /  ", "113/03/05", "20240305"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        const kv::DateDisplay display(c.kind, c.separator);
        EXPECT_EQ(display.DateMask(), c.dateMask);
        EXPECT_EQ(display.MonthMask(), c.monthMask);
        EXPECT_EQ(display.BlankDate(), c.blankDate);
        EXPECT_EQ(display.StoredDate(c.shown), c.stored);
        EXPECT_EQ(display.ShownDate(c.stored), c.shown);
        EXPECT_EQ(display.StoredDate(c.blankDate), "") << "a blank input is an open bound";
    }
    const kv::DateDisplay western(1, "");
    EXPECT_EQ(western.DateMask(), "9999/99/99;1; ") << "an empty separator is the slash";
    EXPECT_FALSE(western.StoredDate("2024/02/30"));
    EXPECT_FALSE(western.StoredDate("2024/1a/01"));
    EXPECT_EQ(western.StoredDate("20240229"), "20240229");
    EXPECT_EQ(western.StoredMonth("2024/03"), "202403");
    EXPECT_FALSE(western.StoredMonth("2024/13"));
    EXPECT_EQ(kv::DateDisplay(2, "/").StoredMonth("03/2024"), "202403");
    EXPECT_EQ(kv::DateDisplay(5, "/").ShownMonth("202403"), "113/03");
    EXPECT_EQ(kv::DateDisplay(9, "/").DateMask(), "9999/99/99;1; ") << "an unknown kind is kind 1";
}

TEST_F(BaseGeneTest, AWrongDateIsReportedWhenTheInputIsLeftAndKeepsThePage)
{
    openWindow();
    EXPECT_EQ(window->spDate->editMask(), "9999/99/99;1; ");
    window->spDate->edBegin()->setFocus();
    kvtest::typeText(window->spDate->edBegin(), "20241340");
    prompter->answerMessage(mrOk);
    window->edtRemark->setFocus();
    EXPECT_EQ(messages(), std::vector<std::string>{"日期输入错误，请输入正确的日期！"});
    EXPECT_TRUE(window->InputInvalid);
    EXPECT_EQ(focused(), window->spDate->edBegin());

    prompter->answerMessage(mrOk);
    keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->pgOption->currentIndex(), 0) << "the page change is refused";
    EXPECT_EQ(messages().size(), 2u);

    window->spDate->edBegin()->selectAll();
    kvtest::typeText(window->spDate->edBegin(), "20241231");
    keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->pgOption->currentIndex(), 1);
    EXPECT_FALSE(window->InputInvalid);
    EXPECT_TRUE(prompter->allAnswered());
}

// Leaving a wrong date by clicking a button: the message comes once, the
// click does nothing, the focus and the typed text stay. A wrong date that
// never passed an exit check stops the run before anything is packed.
TEST_F(BaseGeneTest, AWrongDateKeepsTheFocusTakesTheClickThatLeftItAndStopsTheRun)
{
    openWindow();
    auto *panel = window->findChild<kv::TSelectPanel *>("spDate");
    auto *ok = window->findChild<QWidget *>("btnOk");
    ASSERT_TRUE(panel && ok);
    panel->edBegin()->setFocus();
    kvtest::typeText(panel->edBegin(), "20241340");
    prompter->answerMessage(mrOk);
    kvtest::click(ok);
    EXPECT_EQ(messages(), std::vector<std::string>{"日期输入错误，请输入正确的日期！"});
    EXPECT_EQ(window->runs, 0) << "the click that left the wrong date must not run";
    EXPECT_EQ(focused(), panel->edBegin());
    EXPECT_EQ(panel->edBegin()->Text(), "2024/13/40") << "what was typed stays to be corrected";

    panel->edBegin()->selectAll();
    kvtest::typeText(panel->edBegin(), "20241231");
    kvtest::click(ok);
    EXPECT_EQ(window->runs, 1);
    EXPECT_EQ(messages().size(), 1u);

    // The print date and a year-month input on leaving them.
    window->pgOption->setActivePage(window->tsOption2);
    auto *printDate = window->findChild<kv::TKovMaskEdit *>("edPrintDate");
    ASSERT_TRUE(printDate);
    printDate->setFocus();
    printDate->selectAll();
    kvtest::typeText(printDate, "20240230");
    prompter->answerMessage(mrOk);
    keyClick(printDate, Qt::Key_Tab);
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_EQ(focused(), printDate);
    EXPECT_EQ(printDate->Text(), "2024/02/30");
    printDate->selectAll();
    kvtest::typeText(printDate, "20240229");
    window->pgOption->setActivePage(window->tsOption1);
    window->edtMonth->setFocus();
    kvtest::typeText(window->edtMonth, "202413");
    prompter->answerMessage(mrOk);
    window->edtRemark->setFocus();
    EXPECT_EQ(messages().size(), 3u);
    EXPECT_EQ(focused(), window->edtMonth);
    window->edtMonth->setText_("");
    window->edtRemark->setFocus();
    EXPECT_EQ(focused(), window->edtRemark) << "an empty input is allowed";
    EXPECT_FALSE(window->InputInvalid);

    // Put there without leaving the input, as a condition package does.
    panel->edFinal()->setText_("2024/02/30");
    window->pgOption->setActivePage(window->tsOption2);
    Variant params;
    prompter->answerMessage(mrOk);
    EXPECT_FALSE(window->BuildRunParameters(params));
    EXPECT_EQ(messages().size(), 4u);
    EXPECT_EQ(messages().back(), "日期输入错误，请输入正确的日期！");
    EXPECT_EQ(window->pgOption->currentIndex(), 0) << "the page of the wrong date comes to the front";
    EXPECT_EQ(focused(), panel->edFinal());
    EXPECT_TRUE(window->InputInvalid);
    EXPECT_EQ(panel->edFinal()->Text(), "2024/02/30");
    panel->edFinal()->setText_("");
    EXPECT_TRUE(window->BuildRunParameters(params));
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(BaseGeneTest, DateChecksTakeOnlyPanelsAndEdits)
{
    openWindow();
    prompter->answerMessage(mrOk);
    EXPECT_FALSE(window->CheckDateInput(window->moNote, false));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "判断日期的函数第一个参数错误, 只能传下列三种物件:\rTSelectPanel, TMaskedit, TEdit");
    EXPECT_EQ(prompter->questions()[0].type, kv::MessageType::Error);

    // The year-month input takes the month mask and its own check.
    EXPECT_EQ(window->edtMonth->editMask(), "9999/99;1; ");
    window->edtMonth->setText_("2024/13");
    std::string code;
    EXPECT_FALSE(window->CheckMonthInput(window->edtMonth, false, &code));
    EXPECT_EQ(code, "E;000005");
    window->edtMonth->setText_("2024/12");
    EXPECT_TRUE(window->CheckMonthInput(window->edtMonth, false, &code));
}

TEST_F(BaseGeneTest, RequiredInputsAreColouredAndCheckedBeforeARun)
{
    openWindow();
    const QColor plain = colourOf(window->spCode->edFinal());
    window->SetRequiredInputs("spCode;Y;1,edtRemark; Y ;0,edtMonth;N;0,noSuchInput;Y;0");
    EXPECT_EQ(colourOf(window->spCode->edBegin()), kv::TfrmBaseGene::requiredColor());
    EXPECT_EQ(colourOf(window->spCode->edFinal()), plain) << "part 1 colours the begin edit only";
    EXPECT_EQ(colourOf(window->edtRemark), QColor(0xFF, 0xFF, 0xAF));
    EXPECT_EQ(colourOf(window->edtMonth), QColor(0xFF, 0xFF, 0xAF)) << "exempt inputs are coloured too";

    keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(window->pgOption->currentIndex(), 1);
    prompter->answerMessage(mrOk);
    kvtest::click(window->btnOk);
    EXPECT_EQ(window->runs, 0);
    EXPECT_EQ(messages(), std::vector<std::string>{"必须输入的栏位不可空白，请输入！"});
    EXPECT_EQ(window->pgOption->currentIndex(), 0) << "the page of the empty input comes to the front";
    EXPECT_EQ(focused(), window->spCode->edBegin());

    kvtest::typeText(window->spCode->edBegin(), "A01");
    kvtest::typeText(window->spCode->edFinal(), "A09");
    prompter->answerMessage(mrOk);
    kvtest::click(window->btnOk);
    EXPECT_EQ(window->runs, 0);
    EXPECT_EQ(focused(), window->edtRemark);

    kvtest::typeText(window->edtRemark, "急");
    kvtest::click(window->btnOk);
    EXPECT_EQ(window->runs, 1) << "the empty year-month input is exempt (flag N)";

    // A new spec gives the inputs of the old one their colours back.
    window->SetRequiredInputs("edtMonth;Y;0");
    EXPECT_EQ(colourOf(window->spCode->edBegin()), plain);
    EXPECT_EQ(colourOf(window->edtRemark), colourOf(window->edPrintDate));
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(BaseGeneTest, RunParametersPackEnvironmentCaptionsAndValues)
{
    const kv::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(10, 30)));
    openWindow();
    window->edtRemark->setText_("加急");
    window->edPrintDate->setText_("2024/03/05");
    Variant params;
    ASSERT_TRUE(window->BuildRunParameters(params));
    const Variant &env = params[0];
    EXPECT_EQ(env.array().lowBound(), 1);
    EXPECT_EQ(env.array().highBound(), 9);
    EXPECT_EQ(env[1], Variant("QIPR07"));
    EXPECT_EQ(env[2], Variant(9));
    EXPECT_EQ(env[3], Variant(2));
    EXPECT_EQ(env[4], Variant("01"));
    EXPECT_EQ(env[5], Variant("DS"));
    EXPECT_EQ(env[6], Variant(company->companyDb));
    EXPECT_EQ(env[7].toDate().toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(10, 30)));
    EXPECT_EQ(env[8], Variant("QIPR07S.Class1"));
    EXPECT_EQ(env[9], Variant("R,EDTMONTH"));
    EXPECT_EQ(params[1][1], kv::varArrayOf({"备注", "edtRemark"}));
    EXPECT_EQ(params[1][2], kv::varArrayOf({"制表日期", "edPrintDate"}));
    EXPECT_EQ(params[2][1], Variant("加急"));
    EXPECT_EQ(params[2][2], Variant("20240305"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(BaseGeneTest, IncompleteOrMissingRunParametersAreReported)
{
    openWindow();
    Variant params;
    window->skipRemarkCaption = true;
    prompter->answerMessage(mrOk);
    EXPECT_FALSE(window->BuildRunParameters(params));
    EXPECT_EQ(messages().back(), "选择条件文字 共 2 项，第 1 项为空白！");
    window->skipRemarkCaption = false;

    window->edPrintDate->setText_("2024/02/30");
    prompter->answerMessage(mrOk);
    EXPECT_FALSE(window->BuildRunParameters(params));
    EXPECT_EQ(messages().back(), "执行参数打包失败：制表日期不正确");

    window->OptionCount = 0;
    prompter->answerMessage(mrOk);
    EXPECT_FALSE(window->BuildRunParameters(params));
    EXPECT_EQ(messages().back(), "没有可执行的环境设置或选择条件！");
    EXPECT_EQ(prompter->questions().back().type, kv::MessageType::Information);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(BaseGeneTest, CodedMessagesAreRecordedOnceAndShownByKind)
{
    openWindow();
    window->ReportMessage("");
    prompter->answerMessage(mrOk);
    prompter->answerMessage(mrOk);
    window->ReportMessage("E;000037");
    window->ReportMessage("E;000037");
    EXPECT_EQ(window->ErrorCodes, "E;000037; E;000037; ");
    EXPECT_EQ(window->ErrorTexts, "必须输入的栏位不可空白，请输入！; ");

    // Numbers below one are recorded without a box; the sign is dropped for
    // the lookup.
    window->ReportMessage("E;-1");
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_NE(window->ErrorTexts.find("程序执行时发生错误！"), std::string::npos);

    prompter->answerMessage(mrOk);
    window->ReportMessage("E;000025;10.0.0.1;host1");
    EXPECT_EQ(messages().back(), "读取资料时发生错误！应用服务器：10.0.0.1，主机：host1");

    window->ReportText("磁盘已满");
    EXPECT_EQ(window->ErrorCodes.substr(window->ErrorCodes.size() - 6), "E;-1; ");
    window->ReportText("");
    EXPECT_TRUE(window->ErrorCodes.empty());
    EXPECT_TRUE(window->ErrorTexts.empty());

    using B = kv::MessageButton;
    const struct {
        const char *kind;
        kv::MessageType type;
        kv::MessageButtons buttons;
    } kinds[] = {{"C", kv::MessageType::Warning, B::OK | B::Cancel},
                 {"D", kv::MessageType::Warning, B::Yes | B::No | B::Cancel},
                 {"E", kv::MessageType::Error, B::OK},
                 {"I", kv::MessageType::Information, B::OK},
                 {"Q", kv::MessageType::Confirmation, B::OK | B::Cancel},
                 {"W", kv::MessageType::Warning, B::OK | B::Cancel},
                 {"R", kv::MessageType::Custom, B::OK}};
    for (const auto &k : kinds) {
        SCOPED_TRACE(k.kind);
        prompter->answerMessage(k.buttons.testFlag(B::Cancel) ? kv::mrCancel : mrOk);
        window->ShowCodedMessage(k.kind, "000006", 0, {});
        EXPECT_EQ(prompter->questions().back().type, k.type);
        EXPECT_EQ(prompter->questions().back().buttons, k.buttons);
        EXPECT_EQ(prompter->questions().back().caption, window->caption().toStdString());
    }
    prompter->answerMessage(kv::mrYes);
    EXPECT_EQ(window->ShowCodedMessage("I", "000006", int(B::Yes | B::No), {}), kv::mrYes);
    EXPECT_EQ(prompter->questions().back().buttons, B::Yes | B::No);

    // While a page changes only errors are shown; with the cancel button
    // focused nothing is reported at all.
    window->ChangingPage = true;
    EXPECT_EQ(window->ShowMessageBox("提示", kv::MessageType::Information, B::OK), 0);
    window->ChangingPage = false;
    window->btnCancel->setFocus();
    window->ReportMessage("E;000037");
    EXPECT_TRUE(window->ErrorCodes.empty());
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(BaseGeneTest, MessagesWithoutAHostSayWhichMessageIsMissing)
{
    createWindow();
    window->HostApp = Variant();
    EXPECT_EQ(window->GetMessageText("E", "000123"), "Can not Get Message\rType= E, ID= 000123 ");
}
