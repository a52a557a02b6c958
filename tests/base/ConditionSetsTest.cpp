// The condition-set list of a program window as a user works it: save the
// current conditions, find them again in a new window, open, rename with
// its checks, delete; the list's view styles; and the condition packages
// the host hands over.

#include "BaseTestSupport.h"

#include "base/GeneCondition.h"
#include "base/KvMenuItem.h"
#include "base/KvToolButton.h"
#include "controls/BtChkBox.h"
#include "controls/KovListView.h"
#include "platform/ClientDataSet.h"
#include "platform/Clock.h"

#include <QDateTime>
#include <QLineEdit>

using namespace basetest;
using kv::mrOk;
using kvtest::keyClick;

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

} // namespace

class ConditionSetsTest : public BaseGeneTest {
protected:
    void fillConditions()
    {
        window->spDate->edBegin()->setText_("2024/01/01");
        window->spDate->edFinal()->setText_("2024/01/31");
        window->spCode->setUserChoice(false);
        window->spCode->ListBox()->AddItem({"A01", "甲料"});
        window->spCode->ListBox()->AddItem({"B02", "乙料"});
        window->edtMonth->setText_("2024/03");
        window->edtRemark->setText_("急件");
        window->cboKind->setCurrentIndex(2);
    }

    void saveAs(const std::string &name)
    {
        window->nextSetName = name;
        kvtest::click(window->btnInsert);
        ASSERT_TRUE(window->saved) << name;
    }

    // Types a new caption for a row in place and confirms it with Enter.
    void rename(int row, const QString &text)
    {
        window->lstCondition->EditItem(row);
        auto *editor = qobject_cast<QLineEdit *>(focused());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        keyClick(editor, Qt::Key_Delete);
        kvtest::typeText(editor, text);
        keyClick(editor, Qt::Key_Return);
    }

    void selectSet(const QString &name)
    {
        const int row = window->lstCondition->FindCaption(name);
        ASSERT_GE(row, 0) << name.toStdString();
        window->lstCondition->setItemIndex(row);
    }

    // Stores a set of the code panel's line as another version could have
    // written it, then opens it as a user does, answering its message.
    void openStoredCodeSet(const std::string &name, const std::string &line)
    {
        Variant request = kv::varArrayOf({"spCode.style;", "DS", "20240305", "QIPR07", name, line + "\r\n", false});
        ASSERT_EQ(window->ProgramServer.toObject()->call("InsertConTable", {Variant::ref(request)}), Variant(""));
        window->LoadConditionSets();
        selectSet(QString::fromStdString(name));
        prompter->answerMessage(mrOk);
        kvtest::doubleClick(window->lstCondition->currentView()->viewport(), window->lstCondition->itemRect(0).center());
    }
};

TEST_F(ConditionSetsTest, ASavedSetIsListedAgainInTheNextWindowAndRestoresItsValues)
{
    const kv::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(8, 0)));
    openWindow();
    fillConditions();
    saveAs("月初方案");
    ASSERT_EQ(window->lstCondition->count(), 1);
    EXPECT_EQ(window->lstCondition->caption(0), "月初方案");
    EXPECT_EQ(window->lstCondition->subItems(0), QStringList{"2024/03/05"});
    window->Free();

    openWindow();
    EXPECT_EQ(window->lstCondition->captions(), QStringList{"月初方案"});
    selectSet("月初方案");
    kvtest::click(window->btnOpen);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(window->spDate->edBegin()->Text(), "2024/01/01");
    EXPECT_EQ(window->spDate->edFinal()->Text(), "2024/01/31");
    EXPECT_FALSE(window->spCode->userChoice());
    EXPECT_EQ(window->spCode->ListBox()->rows(), (QList<QStringList>{{"A01", "甲料"}, {"B02", "乙料"}}));
    EXPECT_EQ(window->edtMonth->Text(), "2024/03");
    EXPECT_EQ(window->edtRemark->Text(), "急件");
    EXPECT_EQ(window->cboKind->currentIndex(), 2);
}

TEST_F(ConditionSetsTest, DatesAreStoredMovedByTheirRelativeDateSetting)
{
    openWindow();
    fillConditions();
    // Begin date: one month on, then the last day of that month; the end
    // date does not move.
    const QChar f(3);
    window->RelativeDates = {QStringList{"0", "spDate", "Y", "1", "1", "2", "0", "N", "0", "0", "0", "0", "D"}.join(f)};
    saveAs("相对日期");
    window->spDate->edBegin()->setText_(QString());
    selectSet("相对日期");
    kvtest::click(window->btnOpen);
    EXPECT_EQ(window->spDate->edBegin()->Text(), "2024/02/29");
    EXPECT_EQ(window->spDate->edFinal()->Text(), "2024/01/31");
}

TEST_F(ConditionSetsTest, RenamingInPlaceChecksTheNewName)
{
    openWindow();
    fillConditions();
    saveAs("方案一");
    saveAs("方案二");
    ASSERT_EQ(window->lstCondition->captions(), (QStringList{"方案一", "方案二"}));

    const struct {
        QString name;
        const char *message;
    } refused[] = {{"   ", "方案名不可空白!"},
                   {QString(21, QChar(u'长')), "方案名长度不可大于20!"},
                   {"方案二", "此方案名称已经存在！"}};
    for (const auto &r : refused) {
        SCOPED_TRACE(r.message);
        prompter->answerMessage(mrOk);
        rename(0, r.name);
        EXPECT_EQ(messages().back(), r.message);
        EXPECT_EQ(prompter->questions().back().type, kv::MessageType::Error);
        EXPECT_EQ(window->lstCondition->caption(0), "方案一") << "the old name is put back";
    }

    rename(0, "二十个字以内的新名字");
    EXPECT_EQ(messages().size(), 3u);
    EXPECT_EQ(window->lstCondition->FindCaption("二十个字以内的新名字"), 0);
    EXPECT_TRUE(window->ClientDataSet1->Locate("NCONDITION", Variant("二十个字以内的新名字")));
    window->LoadConditionSets();
    EXPECT_EQ(window->lstCondition->captions(), (QStringList{"二十个字以内的新名字", "方案二"}));
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(ConditionSetsTest, DeletingAsksFirst)
{
    openWindow();
    fillConditions();
    saveAs("待删方案");
    selectSet("待删方案");
    prompter->answerMessage(kv::mrNo);
    kvtest::click(window->btnDelete);
    EXPECT_EQ(messages().back(), "确实要删除此方案吗？待删方案");
    EXPECT_EQ(prompter->questions().back().buttons, kv::MessageButton::Yes | kv::MessageButton::No);
    EXPECT_EQ(window->lstCondition->count(), 1);

    prompter->answerMessage(kv::mrYes);
    window->N3->trigger();
    EXPECT_EQ(window->lstCondition->count(), 0);
    window->LoadConditionSets();
    EXPECT_EQ(window->lstCondition->count(), 0);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(ConditionSetsTest, ASetThatCannotBeRestoredIsReported)
{
    openWindow();
    openStoredCodeSet("坏方案", "sp_Bogus");
    EXPECT_EQ(messages(), std::vector<std::string>{"条件方案恢复失败，方案内容可能已经损坏！"});
}

// A list row far wider than any lookup, from a damaged set or package,
// would pad every row to its width: refused, and the list keeps its rows
// and its columns.
TEST_F(ConditionSetsTest, ListsFarWiderThanAnyLookupAreRefusedAndChangeNothing)
{
    openWindow();
    window->spCode->setUserChoice(false);
    window->spCode->ListBox()->AddItem({"A01", "甲料"});
    const QList<QStringList> before = window->spCode->ListBox()->rows();
    const int columns = window->spCode->ListBox()->vclColumnCount();

    std::string line = "sp_Discrete\x03" "A" + std::string(5000, '\x01') + "\x04";
    for (int row = 0; row < 2000; ++row)
        line += "B\x04";
    openStoredCodeSet("宽方案", line);
    EXPECT_EQ(messages(), std::vector<std::string>{"条件方案恢复失败，方案内容可能已经损坏！"});
    EXPECT_EQ(window->spCode->ListBox()->rows(), before);
    EXPECT_EQ(window->spCode->ListBox()->vclColumnCount(), columns);

    std::vector<Variant> wide(kv::TKovListView::kMaxRowValues + 1, Variant("x"));
    const Variant rows = kv::varArrayOf({kv::varArrayOf({"C01"}), kv::varArrayOf(std::move(wide))});
    const Variant names = kv::varArrayOf({kv::varArrayOf({"备注", "edtRemark"}), kv::varArrayOf({"代码", "spCode"})});
    window->edtRemark->setText_("原值");
    prompter->answerMessage(mrOk);
    window->ApplyConditions(
        kv::varArrayOf({"", kv::varArrayOf({0, kv::varArrayOf({true, kv::varArrayOf({names, kv::varArrayOf({"新值", rows})})})})}));
    EXPECT_EQ(messages().back(), "条件中指定的元件不存在或不能接受条件值！");
    EXPECT_EQ(window->edtRemark->Text(), "原值") << "nothing is applied";
    EXPECT_EQ(window->spCode->ListBox()->rows(), before);
    EXPECT_EQ(window->spCode->ListBox()->vclColumnCount(), columns);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(ConditionSetsTest, TheViewButtonCyclesThroughTheFourStyles)
{
    openWindow();
    using LV = kv::TListView;
    const LV::TViewStyle expected[] = {LV::vsSmallIcon, LV::vsList, LV::vsReport, LV::vsIcon};
    kv::TKvMenuItem *items[] = {window->N8, window->N9, window->N10, window->N7};
    for (int press = 0; press < 4; ++press) {
        kvtest::click(window->ToolButton1, QPoint(4, window->ToolButton1->height() / 2));
        EXPECT_EQ(window->lstCondition->viewStyle(), expected[press]) << press;
        EXPECT_TRUE(items[press]->isChecked()) << press;
    }
    EXPECT_FALSE(window->N10->isChecked());
    window->N10->trigger();
    EXPECT_EQ(window->lstCondition->viewStyle(), LV::vsReport);
    EXPECT_EQ(window->lstCondition->columnCaptions(), (QStringList{"方案名称", "创建时间"}));
}

TEST_F(ConditionSetsTest, ConditionPackagesApplyByNameAndRunByMode)
{
    openWindow();
    const auto package = [](int mode, bool byName, Variant values) {
        return kv::varArrayOf({"", kv::varArrayOf({mode, kv::varArrayOf({byName, values})})});
    };
    const Variant names = kv::varArrayOf({kv::varArrayOf({"备注", "edtRemark"}), kv::varArrayOf({"类", "cboKind"}),
                                          kv::varArrayOf({"代码", "spCode"}), kv::varArrayOf({"日期", "spDate"})});
    const Variant values = kv::varArrayOf({"急", 1, kv::varArrayOf({"A01", "A05"}), "20240105"});
    const Variant byName = kv::varArrayOf({names, values});

    window->ApplyConditions(package(0, true, byName));
    EXPECT_EQ(window->edtRemark->Text(), "急");
    EXPECT_EQ(window->cboKind->currentIndex(), 1);
    EXPECT_EQ(window->spCode->edBegin()->Text(), "A01");
    EXPECT_EQ(window->spCode->edFinal()->Text(), "A05");
    EXPECT_EQ(window->spDate->edBegin()->Text(), "2024/01/05");
    EXPECT_EQ(window->runs, 0) << "mode 0 only applies";
    EXPECT_FALSE(window->AutoRun);
    EXPECT_TRUE(window->isConverted());

    window->ApplyConditions(package(1, true, byName));
    EXPECT_EQ(window->runs, 1);
    window->ApplyConditions(package(2, true, byName));
    EXPECT_EQ(window->runs, 2);
    window->ApplyConditions(package(3, true, byName));
    EXPECT_EQ(window->runs, 2);
    EXPECT_EQ(window->externalModes, std::vector<int>{3});

    // Values by position go to the window's own ApplyConditionValues, which
    // the base does not take: nothing runs.
    window->ApplyConditions(package(1, false, kv::varArrayOf({"x"})));
    EXPECT_FALSE(window->ByName);
    EXPECT_EQ(window->runs, 2);

    window->edtRemark->setText_("原值");
    prompter->answerMessage(mrOk);
    const Variant unknown = kv::varArrayOf(
        {kv::varArrayOf({kv::varArrayOf({"备注", "edtRemark"}), kv::varArrayOf({"?", "lblNothing"})}),
         kv::varArrayOf({"新值", "x"})});
    window->ApplyConditions(package(1, true, unknown));
    EXPECT_EQ(messages(), std::vector<std::string>{"条件中指定的元件不存在或不能接受条件值！"});
    EXPECT_EQ(window->edtRemark->Text(), "原值") << "nothing is applied";
    EXPECT_EQ(window->runs, 2);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(ConditionSetsTest, AnExistingNameIsOnlyOverwrittenWhenAsked)
{
    openWindow();
    fillConditions();
    const std::string specs = TestWindow::kSpecs;
    ASSERT_TRUE(window->SaveConditionSet(specs, "常用", false));
    window->edtRemark->setText_("改过");
    EXPECT_FALSE(window->SaveConditionSet(specs, "常用", false));
    EXPECT_TRUE(window->SaveConditionSet(specs, "常用", true));
    window->LoadConditionSets();
    window->edtRemark->setText_(QString());
    selectSet("常用");
    kvtest::click(window->btnOpen);
    EXPECT_EQ(window->edtRemark->Text(), "改过");
}

TEST_F(ConditionSetsTest, ATraditionalInterfaceStoresNamesInTheDatabasesCodePage)
{
    shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=950\nDBCodePage=936\n"
                                           "[Server Information]\nComputerName=127.0.0.1\n");
    openWindow();
    fillConditions();
    saveAs("領料方案");
    EXPECT_EQ(window->lstCondition->captions(), QStringList{"領料方案"});
    Variant row;
    EXPECT_TRUE(window->CheckCode("GENES", "01", true, row, kv::varArrayOf({"领料方案", "DS", "QIPR07"})))
        << "stored in simplified characters";
    selectSet("領料方案");
    kvtest::click(window->btnOpen);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(window->edtRemark->Text(), "急件");
}

// --- saving through the set dialog, with moved dates

namespace {

// What the clerk sets in the dialog for the begin and the end of the date
// range: months (or weeks) on, then the anchor and days.
struct Move {
    bool on = false;
    int count = 0;
    int unit = 1; // 0 weeks, 1 months
    int anchor = 0; // 0 add days, 1 first day, 2 last day
    int days = 0;
};

void setMove(kv::TBitCheckBox *check, kv::TGeneSpinEdit *count, QComboBox *unit, QComboBox *anchor,
             kv::TGeneSpinEdit *days, const Move &move)
{
    if (!move.on)
        return;
    kvtest::click(check);
    const auto type = [](kv::TGeneSpinEdit *edit, int value) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->edit()->selectAll();
        kvtest::typeText(edit->edit(), QString::number(value));
    };
    type(count, move.count);
    unit->setFocus(Qt::OtherFocusReason);
    unit->setCurrentIndex(move.unit);
    anchor->setFocus(Qt::OtherFocusReason);
    anchor->setCurrentIndex(move.anchor);
    if (move.anchor == 0)
        type(days, move.days);
}

} // namespace

class ConditionSetDialogTest : public ConditionSetsTest {
protected:
    // Clicks the save button; the dialog is filled in like the clerk does.
    // With replaceAnswer the dialog is expected to ask before replacing.
    void saveThroughDialog(const QString &name, const Move &begin, const Move &end,
                           std::optional<kv::ModalResult> replaceAnswer = {})
    {
        window->viaDialog = true;
        window->saved = false;
        prompter->answerDialog([&](QDialog &shown) {
            auto &dialog = static_cast<kv::TfrmGeneCondition &>(shown);
            dialog.show();
            dialog.edConName->setText(name);
            dialog.cbodatecondition->setCurrentIndex(dialog.cbodatecondition->findText(window->spDate->title()));
            setMove(dialog.spDate_B, dialog.seSetDay_B1, dialog.cboSetDay_B1, dialog.cboSetDay_B2,
                    dialog.seSetDay_B2, begin);
            setMove(dialog.spDate_E, dialog.seSetDay_E1, dialog.cboSetDay_E1, dialog.cboSetDay_E2,
                    dialog.seSetDay_E2, end);
            kvtest::click(dialog.btnOk);
            return dialog.modalResult();
        });
        if (replaceAnswer)
            prompter->answerMessage(*replaceAnswer);
        kvtest::click(window->btnInsert);
        ASSERT_TRUE(window->saved) << name.toStdString();
    }

    // Opens the set again with the range emptied first.
    std::pair<QString, QString> reopen(const QString &name)
    {
        window->spDate->edBegin()->setText_(QString());
        window->spDate->edFinal()->setText_(QString());
        selectSet(name);
        kvtest::click(window->btnOpen);
        return {window->spDate->edBegin()->Text(), window->spDate->edFinal()->Text()};
    }
};

TEST_F(ConditionSetDialogTest, DatesAreStoredMovedAcrossMonthYearAndLeapDays)
{
    struct Case {
        QDate today;
        Move begin, end;
        const char *begun, *ended;
    };
    const Case cases[] = {
        // "this month": first and last day of the month after the input's.
        {{2024, 1, 31}, {true, 1, 1, 1, 0}, {true, 1, 1, 2, 0}, "2024/02/01", "2024/02/29"},
        {{2024, 12, 15}, {true, 1, 1, 1, 0}, {true, 1, 1, 2, 0}, "2025/01/01", "2025/01/31"},
        // A month back over the year end; a month on from the 31st of January.
        {{2023, 1, 31}, {true, -1, 1, 0, 0}, {true, 1, 1, 0, 0}, "2022/12/31", "2023/02/28"},
        // A year from a leap day, then days back over a month end.
        {{2024, 2, 29}, {true, 12, 1, 0, 0}, {true, 0, 1, 0, -29}, "2025/02/28", "2024/01/31"},
        // Weeks: the Sunday starting the week, and two weeks on.
        {{2024, 12, 31}, {true, 0, 0, 1, 0}, {true, 2, 0, 0, 1}, "2024/12/29", "2025/01/15"},
        // Moving on with nothing to move keeps the date; moving off too.
        {{2024, 3, 5}, {true, 0, 1, 0, 0}, {}, "2024/03/05", "2024/03/05"},
    };
    openWindow();
    for (const Case &c : cases) {
        const kv::FixedClock clock(QDateTime(c.today, QTime(9, 0)));
        const QString shown = c.today.toString(QStringLiteral("yyyy/MM/dd"));
        window->spDate->edBegin()->setText_(shown);
        window->spDate->edFinal()->setText_(shown);
        const QString name = c.today.toString(QStringLiteral("yyyyMMdd"));
        saveThroughDialog(name, c.begin, c.end);
        const int row = window->lstCondition->FindCaption(name);
        ASSERT_GE(row, 0);
        EXPECT_EQ(window->lstCondition->subItems(row), QStringList{shown});
        const auto [begun, ended] = reopen(name);
        EXPECT_EQ(begun, c.begun) << name.toStdString();
        EXPECT_EQ(ended, c.ended) << name.toStdString();
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(ConditionSetDialogTest, CancellingSavesNothingAndAReplacedSetKeepsOneRow)
{
    openWindow();
    fillConditions();
    window->viaDialog = true;
    prompter->answerDialog(kv::mrCancel);
    kvtest::click(window->btnInsert);
    EXPECT_FALSE(window->saved);
    EXPECT_EQ(window->lstCondition->count(), 0);

    saveThroughDialog("常用", {}, {});
    window->edtRemark->setText_("第二次");
    saveThroughDialog("常用", {}, {}, kv::mrOk);
    EXPECT_EQ(messages().back(), "此方案名已存在！是否将原来的方案替换为此方案?");
    EXPECT_EQ(window->lstCondition->count(), 1);
    window->edtRemark->setText_(QString());
    reopen("常用");
    EXPECT_EQ(window->edtRemark->Text(), "第二次");
}

TEST_F(ConditionSetDialogTest, ASetTheServerCannotStoreIsReportedWithItsReason)
{
    openWindow();
    fillConditions();
    // The server stores the set, but its database refuses the write.
    const std::string trigger = "\"" + company->companyDb + "\".refuse_sets";
    company->database->execute("CREATE TRIGGER " + trigger +
                               " BEFORE INSERT ON GENES BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
    window->viaDialog = true;
    prompter->answerDialog([&](QDialog &shown) {
        auto &dialog = static_cast<kv::TfrmGeneCondition &>(shown);
        dialog.show();
        dialog.edConName->setText("满了");
        kvtest::click(dialog.btnOk);
        return dialog.modalResult();
    });
    prompter->answerMessage(mrOk);
    kvtest::click(window->btnInsert);
    company->database->execute("DROP TRIGGER " + trigger);
    EXPECT_FALSE(window->saved);
    ASSERT_FALSE(messages().empty());
    EXPECT_TRUE(messages().back().starts_with("保存方案失败!\n")) << messages().back();
    EXPECT_NE(messages().back().find("database or disk is full"), std::string::npos) << messages().back();
    EXPECT_EQ(window->lstCondition->count(), 0);
}

TEST_F(ConditionSetDialogTest, OtherUsersSetsAreNotListed)
{
    openWindow();
    Variant request = kv::varArrayOf({TestWindow::kSpecs, "KK", "20240101", window->ProgramCode, "别人的",
                                      "sp_Range\x03\x03\r\n", false});
    const Variant reply = window->ProgramServer.toObject()->call("InsertConTable", {Variant::ref(request)});
    ASSERT_EQ(kv::varToStr(reply), "");
    fillConditions();
    saveAs("自己的");
    ASSERT_EQ(window->lstCondition->count(), 1);
    EXPECT_EQ(window->lstCondition->caption(0), "自己的");
}

TEST_F(ConditionSetDialogTest, SetsOfAnOlderVersionStillOpen)
{
    openWindow();
    fillConditions();
    // An older date setting knew only a count of months.
    const QChar f(3);
    window->RelativeDates = {QStringList{"0", "spDate", "Y", "2"}.join(f)};
    saveAs("旧设定");
    EXPECT_EQ(reopen("旧设定"), std::make_pair(QString("2024/03/01"), QString("2024/01/31")));

    // A set stored before the kind list and the remark existed: fewer lines
    // than the window lists, the range without its end.
    Variant request = kv::varArrayOf({std::string("spDate.style;spCode.style"), window->UserID, "20200101",
                                      window->ProgramCode, "旧方案", std::string("sp_Range\x03" "20200105\r\n"),
                                      false});
    ASSERT_EQ(kv::varToStr(window->ProgramServer.toObject()->call("InsertConTable", {Variant::ref(request)})), "");
    window->LoadConditionSets();
    window->edtRemark->setText_("不动");
    EXPECT_EQ(reopen("旧方案").first, "2020/01/05");
    EXPECT_EQ(window->edtRemark->Text(), "不动");
    EXPECT_TRUE(messages().empty());
}
