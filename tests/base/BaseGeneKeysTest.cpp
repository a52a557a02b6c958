// The keyboard of a program window as a user presses it: help, close,
// properties, page keys, Enter as next field, the calendar on F2 and on the
// lookup button.

#include "BaseTestSupport.h"

#include "controls/F2Button.h"
#include "platform/Clock.h"

#include <QDateTime>

using namespace basetest;
using kvtest::keyClick;

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

} // namespace

TEST_F(BaseGeneTest, F1AsksTheHostForTheProgramsHelpTopic)
{
    openWindow();
    keyClick(focused(), Qt::Key_F1);
    ASSERT_EQ(host->helpCalls.size(), 1u);
    EXPECT_EQ(host->helpCalls[0], kv::varArrayOf({"QIP", "12070000"}));

    // A program code that names no report or batch program has no topic.
    window->ProgramCode = "QIPX07";
    keyClick(focused(), Qt::Key_F1);
    EXPECT_EQ(host->helpCalls.size(), 1u);
}

TEST_F(BaseGeneTest, EscClosesAndFreesTheWindow)
{
    openWindow();
    keyClick(window->spDate->edBegin(), Qt::Key_Escape);
    settle();
    EXPECT_TRUE(window.isNull());
}

TEST_F(BaseGeneTest, CtrlAltVShowsTheModuleFilesPropertiesOnlyWithExactlyThoseModifiers)
{
    openWindow();
    prompter->answerDialog(QDialog::Accepted);
    keyClick(focused(), Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(prompter->questions().size(), 1u);
    EXPECT_EQ(prompter->questions()[0].kind, kv::QuestionKind::Dialog);
    EXPECT_EQ(prompter->questions()[0].text, "ModuleProperties");
    EXPECT_EQ(prompter->questions()[0].caption, "QIPR07C.so 属性");

    keyClick(focused(), Qt::Key_V, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(prompter->questions().size(), 1u);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(BaseGeneTest, PageKeysMoveBetweenPagesAndWrapAround)
{
    openWindow();
    ASSERT_EQ(window->pgOption->currentIndex(), 0);
    keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->pgOption->currentIndex(), 1);
    // The first input of the new page takes the focus.
    EXPECT_EQ(focused(), window->edPrintDate);
    keyClick(focused(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(window->pgOption->currentIndex(), 0);
    EXPECT_EQ(focused(), window->spDate->edBegin());
    keyClick(focused(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(window->pgOption->currentIndex(), 1);
    keyClick(focused(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->pgOption->currentIndex(), 0);
}

TEST_F(BaseGeneTest, EnterMovesToTheNextFieldExceptOnTheFirstTwoLinesOfAMemo)
{
    openWindow();
    window->edtMonth->setFocus();
    keyClick(focused(), Qt::Key_Return);
    EXPECT_EQ(focused(), window->edtRemark);
    kvtest::typeText(window->edtRemark, "abc");
    EXPECT_EQ(window->edtRemark->Text(), "abc") << "Enter must not have been typed";

    window->moNote->setFocus();
    for (int line = 0; line < 2; ++line) {
        kvtest::typeText(window->moNote, QStringLiteral("行%1").arg(line));
        keyClick(window->moNote, Qt::Key_Return);
        EXPECT_EQ(focused(), window->moNote) << "line " << line;
    }
    kvtest::typeText(window->moNote, "行2");
    keyClick(window->moNote, Qt::Key_Return);
    EXPECT_NE(focused(), window->moNote);
    EXPECT_EQ(window->moNote->toPlainText(), "行0\n行1\n行2");
}

TEST_F(BaseGeneTest, EnterAfterAPageEndControlGoesToTheNextPage)
{
    openWindow();
    window->PageEndControls << window->spCode;
    window->spCode->edBegin()->setFocus();
    keyClick(focused(), Qt::Key_Return);
    EXPECT_EQ(window->pgOption->currentIndex(), 1);
    EXPECT_EQ(focused(), window->edPrintDate);
}

TEST_F(BaseGeneTest, F2AndTheLookupButtonPickThePrintDateInTheHostsCalendar)
{
    const kv::FixedClock clock(QDateTime(QDate(2024, 2, 29), QTime(9, 0)));
    openWindow();
    keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(focused(), window->edPrintDate);
    host->f2Window->nextDay = "20240305";
    keyClick(window->edPrintDate, Qt::Key_F2);
    EXPECT_EQ(window->edPrintDate->Text(), "2024/03/05");
    ASSERT_EQ(host->f2Window->dayRequests.size(), 1u);
    // An empty input starts the calendar on today.
    EXPECT_EQ(host->f2Window->dayRequests[0], kv::varArrayOf({false, "20240229", company->companyDb}));

    host->f2Window->nextDay = "20240306";
    kvtest::click(window->btnPrintDate);
    EXPECT_EQ(window->edPrintDate->Text(), "2024/03/06");
    ASSERT_EQ(host->f2Window->dayRequests.size(), 2u);
    EXPECT_EQ(host->f2Window->dayRequests[1][1], Variant("20240305"));

    // Nothing picked keeps the date.
    host->f2Window->nextDay = " ";
    keyClick(window->edPrintDate, Qt::Key_F2);
    EXPECT_EQ(window->edPrintDate->Text(), "2024/03/06");
}
