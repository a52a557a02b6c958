// The dialog that names a condition set and sets the moving of its dates, as
// the clerk works it: which date inputs it offers, which controls follow the
// check boxes and lists, what it writes into the window's date settings, and
// how it ends.

#include "BaseTestSupport.h"

#include "base/GeneCondition.h"
#include "base/KvPanel.h"
#include "controls/BtChkBox.h"

#include <QGroupBox>
#include <QLineEdit>

using namespace basetest;

namespace {

const QChar kField(3);

QString entry(const QStringList &fields)
{
    return fields.join(kField);
}

} // namespace

class GeneConditionTest : public BaseGeneTest {
protected:
    kv::TfrmGeneCondition *openDialog(int skipCount = 0)
    {
        if (!window)
            openWindow();
        dialog = kv::TKVForm::Create<kv::TfrmGeneCondition>(window, window->DateFields, skipCount);
        dialog->show();
        return dialog;
    }

    void TearDown() override
    {
        if (dialog)
            dialog->Free();
        BaseGeneTest::TearDown();
    }

    // Enters a spin edit as the user does and types a number into it.
    void typeInto(kv::TGeneSpinEdit *edit, const QString &text)
    {
        edit->setFocus(Qt::OtherFocusReason);
        edit->edit()->selectAll();
        kvtest::typeText(edit->edit(), text);
    }

    void choose(QComboBox *list, int index)
    {
        list->setFocus(Qt::OtherFocusReason);
        list->setCurrentIndex(index);
    }

    kv::TfrmGeneCondition *dialog = nullptr;
};

TEST_F(GeneConditionTest, OffersEveryListedDateInputWithAllMovingSwitchedOff)
{
    openWindow();
    window->RelativeDates = {"left over from the last save"};
    openDialog();
    EXPECT_EQ(dialog->caption(), window->caption());
    ASSERT_EQ(dialog->cbodatecondition->count(), 2);
    EXPECT_EQ(dialog->cbodatecondition->itemText(1), window->spDate->title());
    EXPECT_TRUE(dialog->gbDateFields->isEnabled());
    const QString off = entry({"N", "0", "0", "0", "0"});
    EXPECT_EQ(window->RelativeDates,
              (QStringList{entry({"1", "edPrintDate", off, "D"}), entry({"0", "spDate", off, off, "D"})}));
    // The print date is a single input: its editor shows, every setting off.
    EXPECT_TRUE(dialog->pnEdit->isVisible());
    EXPECT_FALSE(dialog->pnSp->isVisible());
    for (QWidget *control : std::initializer_list<QWidget *>{
             dialog->seSetDay1, dialog->cboSetDay1, dialog->cboSetDay2, dialog->seSetDay2, dialog->seSetDay_B1,
             dialog->cboSetDay_B1, dialog->cboSetDay_B2, dialog->seSetDay_B2, dialog->seSetDay_E2})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    dialog->cbodatecondition->setCurrentIndex(1);
    EXPECT_FALSE(dialog->pnEdit->isVisible());
    EXPECT_TRUE(dialog->pnSp->isVisible());
    EXPECT_EQ(dialog->edConName->maxLength(), 20);
    EXPECT_EQ(dialog->seSetDay_B2->toolTip(), "时间: 时");
}

TEST_F(GeneConditionTest, SkippedTrailingNamesAndNoDateInputLeaveTheGroupDisabled)
{
    openWindow();
    openDialog(1);
    ASSERT_EQ(dialog->cbodatecondition->count(), 1);
    EXPECT_EQ(window->RelativeDates.size(), 1);
    dialog->Free();
    dialog = nullptr;

    window->DateFields = "edPrintDate";
    openDialog(1);
    EXPECT_EQ(dialog->cbodatecondition->count(), 0);
    EXPECT_FALSE(dialog->gbDateFields->isEnabled());
    EXPECT_TRUE(window->RelativeDates.isEmpty());
}

TEST_F(GeneConditionTest, SettingsAreWrittenToTheEntryAndShownAgain)
{
    openDialog();
    dialog->cbodatecondition->setCurrentIndex(1);
    kvtest::click(dialog->spDate_B);
    EXPECT_TRUE(dialog->seSetDay_B1->isEnabled());
    EXPECT_TRUE(dialog->seSetDay_B2->isEnabled());
    typeInto(dialog->seSetDay_B1, "1");
    choose(dialog->cboSetDay_B1, 1);
    choose(dialog->cboSetDay_B2, 2);
    // "最后一天" needs no days.
    EXPECT_FALSE(dialog->seSetDay_B2->isEnabled());
    kvtest::click(dialog->spDate_E);
    typeInto(dialog->seSetDay_E2, "-3");
    EXPECT_EQ(window->RelativeDates.value(1),
              entry({"0", "spDate", "Y", "1", "1", "2", "0", "Y", "0", "0", "0", "-3", "D"}));

    // Another input and back: the controls show what was stored.
    dialog->cbodatecondition->setCurrentIndex(0);
    kvtest::click(dialog->edSetDate);
    choose(dialog->cboSetDay2, 1);
    EXPECT_EQ(window->RelativeDates.value(0), entry({"1", "edPrintDate", "Y", "0", "0", "1", "0", "D"}));
    dialog->cbodatecondition->setCurrentIndex(1);
    EXPECT_TRUE(dialog->spDate_B->isChecked());
    EXPECT_EQ(dialog->seSetDay_B1->value(), 1);
    EXPECT_EQ(dialog->cboSetDay_B2->currentIndex(), 2);
    EXPECT_EQ(dialog->seSetDay_E2->value(), -3);
    EXPECT_TRUE(dialog->seSetDay_E2->isEnabled());
    EXPECT_EQ(window->RelativeDates.value(1),
              entry({"0", "spDate", "Y", "1", "1", "2", "0", "Y", "0", "0", "0", "-3", "D"}));
    // Switching moving off again disables the settings.
    kvtest::click(dialog->spDate_B);
    EXPECT_FALSE(dialog->seSetDay_B1->isEnabled());
    EXPECT_FALSE(dialog->cboSetDay_B2->isEnabled());
}

TEST_F(GeneConditionTest, LeavingASpinEditWithoutANonZeroNumberLeavesZero)
{
    openDialog();
    kvtest::click(dialog->edSetDate);
    for (const QString &typed : {QStringLiteral("abc"), QStringLiteral("-"), QStringLiteral("0")}) {
        typeInto(dialog->seSetDay2, typed);
        dialog->seSetDay2->edit()->setText(typed);
        dialog->seSetDay1->setFocus(Qt::OtherFocusReason);
        EXPECT_EQ(dialog->seSetDay2->text(), "0") << typed.toStdString();
        EXPECT_EQ(dialog->seSetDay2->value(), 0) << typed.toStdString();
    }
    typeInto(dialog->seSetDay2, "12");
    dialog->seSetDay1->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(dialog->seSetDay2->value(), 12);
}

TEST_F(GeneConditionTest, AHandEditedEntryStopsTheChangeQuietly)
{
    openDialog();
    window->RelativeDates[1] = entry({"0", "spDate", "Y", "x", "1", "2", "0", "N", "0", "0", "0", "0", "D"});
    dialog->cbodatecondition->setCurrentIndex(1);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(window->RelativeDates.value(1).section(kField, 3, 3), "x");
}

TEST_F(GeneConditionTest, TheOkButtonWantsANameAndAsksBeforeReplacing)
{
    openWindow();
    window->edtRemark->setText_("留着");
    ASSERT_TRUE(window->SaveConditionSet(TestWindow::kSpecs, "月报", false));
    openDialog();
    prompter->answerMessage(kv::mrOk);
    kvtest::click(dialog->btnOk);
    EXPECT_EQ(messages(), std::vector<std::string>{"方案名不可空白!"});
    EXPECT_NE(dialog->modalResult(), kv::mrOk);
    EXPECT_EQ(QApplication::focusWidget(), dialog->edConName);

    dialog->edConName->setText(" 月报 ");
    prompter->answerMessage(kv::mrCancel);
    kvtest::click(dialog->btnOk);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1], "此方案名已存在！是否将原来的方案替换为此方案?");
    EXPECT_NE(dialog->modalResult(), kv::mrOk);
    EXPECT_FALSE(dialog->ReplaceExisting());

    prompter->answerMessage(kv::mrOk);
    kvtest::click(dialog->btnOk);
    EXPECT_EQ(dialog->modalResult(), kv::mrOk);
    const kv::Variant result = dialog->Result();
    ASSERT_EQ(result.array().elementCount(), 3);
    const int low = result.array().lowBound();
    EXPECT_EQ(kv::varToStr(result[low]), "月报");
    EXPECT_EQ(kv::varToStr(result[low + 1]), window->DateFields);
    EXPECT_TRUE(result[low + 2].toBool());
}

TEST_F(GeneConditionTest, ANewNameClosesAtOnceAndCancelGivesThreeEmptyTexts)
{
    openDialog();
    dialog->edConName->setText("新方案");
    kvtest::click(dialog->btnOk);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(dialog->modalResult(), kv::mrOk);
    EXPECT_FALSE(dialog->Result()[dialog->Result().array().lowBound() + 2].toBool());
    dialog->Free();

    openDialog();
    dialog->edConName->setText("不要了");
    kvtest::click(dialog->btnCancel);
    const kv::Variant result = dialog->Result();
    ASSERT_EQ(result.array().elementCount(), 3);
    for (const kv::Variant &element : result.array().items())
        EXPECT_EQ(kv::varToStr(element), "");
}

TEST_F(GeneConditionTest, EnterMovesToTheNextControlAndEscCancels)
{
    openDialog();
    dialog->edConName->setFocus(Qt::OtherFocusReason);
    kvtest::keyClick(dialog->edConName, Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), dialog->edConName);
    EXPECT_EQ(dialog->modalResult(), kv::mrNone);
    kvtest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(dialog->modalResult(), kv::mrCancel);
}
