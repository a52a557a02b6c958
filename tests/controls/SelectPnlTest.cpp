// The range selection panel on a window, used as a user uses it: typing the
// bounds and leaving the panel, switching the style with the check box,
// working the list with its buttons; and what the window reads from it.

#include "controls/BtChkBox.h"
#include "controls/ComponentState.h"
#include "controls/ControlEvents.h"
#include "controls/F2Button.h"
#include "controls/KovCheckBox.h"
#include "controls/SelectPnl.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "lib/LibVCLs.h"
#include "platform/ScriptedPrompter.h"
#include "support/ShellFixture.h"
#include "UserInput.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

using kv::TSelectPanel;
using kv::Variant;

namespace {

class SelectPanelTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.resize(600, 400);
        panel = new TSelectPanel(&window);
        panel->setObjectName("splTC002");
        panel->setTitle("领料单号");
        panel->move(10, 10);
        other = new QLineEdit(&window);
        other->setObjectName("edOther");
        other->setGeometry(10, 300, 100, 24);
        ASSERT_TRUE(kvtest::showActive(&window));
    }

    void TearDown() override { EXPECT_TRUE(prompter->allAnswered()); }

    // Types both bounds as a user would, then leaves the panel.
    void enterRange(const QString &lower, const QString &upper)
    {
        for (auto [editor, text] : {std::pair{panel->edBegin(), lower}, std::pair{panel->edFinal(), upper}}) {
            kvtest::click(editor);
            editor->selectAll();
            kvtest::keyClick(editor, Qt::Key_Delete);
            kvtest::typeText(editor, text);
        }
        kvtest::click(other);
    }

    std::pair<QString, QString> bounds() const { return {panel->edBegin()->Text(), panel->edFinal()->Text()}; }

    void addRows(std::initializer_list<QStringList> rows)
    {
        for (const QStringList &row : rows)
            ASSERT_TRUE(panel->ListBox()->AddItem(row));
    }

    QStringList rowTexts() const
    {
        QStringList texts;
        for (const QStringList &row : panel->ListBox()->rows())
            texts.append(row.first());
        return texts;
    }

    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scoped{prompter};
    kvtest::OwnerWindow window;
    TSelectPanel *panel = nullptr;
    QLineEdit *other = nullptr;
};

kv::EventHandler counter(int &count)
{
    return kv::EventHandler([&count](QObject *, kv::EventArgs &) { ++count; });
}

std::string sql(const Variant &value)
{
    std::string where;
    kv::SPSQLStr(where, "TC002", value, 1);
    return where;
}

QRect inPanel(QWidget *child, TSelectPanel *panel)
{
    return QRect(child->mapTo(panel, QPoint(0, 0)), child->size());
}

} // namespace

TEST_F(SelectPanelTest, StartsAsARangePanelWithItsButtons)
{
    EXPECT_EQ(panel->size(), QSize(353, 45));
    EXPECT_EQ(kv::GetStringProperty(panel, "Style"), "sp_Range");
    EXPECT_TRUE(panel->IsRangeMode());
    EXPECT_TRUE(panel->rangePage()->isVisible());
    EXPECT_FALSE(panel->listPage()->isVisible());
    EXPECT_FALSE(panel->styleCheckBox()->isVisible());
    EXPECT_EQ(panel->beginLabel()->text(), "起");
    EXPECT_EQ(panel->childHints().size(), 9);
    EXPECT_TRUE(panel->edBegin()->toolTip().isEmpty()) << "default hints are not applied by themselves";
    for (kv::TF2Button *button : {panel->beginButton(), panel->finalButton(), panel->listButton()}) {
        EXPECT_EQ(button->glyphIndex(), 8);
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->f2Control(), nullptr);
    }
    EXPECT_EQ(panel->clearButton()->numGlyphs(), 2);
}

TEST_F(SelectPanelTest, HorizontalVerticalAndListLayoutsKeepChildrenInside)
{
    const auto insideAndOrdered = [&](std::initializer_list<QWidget *> leftToRight) {
        int right = 0;
        for (QWidget *child : leftToRight) {
            const QRect area = inPanel(child, panel);
            EXPECT_GE(area.left(), right) << "children overlap";
            EXPECT_LE(area.right(), panel->width() - 1);
            right = area.right() + 1;
        }
    };
    insideAndOrdered({panel->beginLabel(), panel->edBegin(), panel->beginButton(), panel->finalLabel(),
                      panel->edFinal(), panel->finalButton()});
    EXPECT_EQ(panel->edBegin()->width(), panel->edFinal()->width());
    EXPECT_GT(panel->edBegin()->width(), 80);
    EXPECT_EQ(panel->edBegin()->y(), panel->edFinal()->y());

    panel->setCanOpenWin(false);
    EXPECT_FALSE(panel->beginButton()->isVisible());
    EXPECT_GT(panel->edBegin()->width(), 80 + 23 / 2) << "the editors take the buttons' room";
    panel->setCanOpenWin(true);

    panel->setUseVertical(true);
    const QRect begin = inPanel(panel->edBegin(), panel);
    const QRect final = inPanel(panel->edFinal(), panel);
    EXPECT_EQ(final.left(), begin.left());
    EXPECT_EQ(final.width(), begin.width());
    EXPECT_GE(final.top(), begin.bottom());
    EXPECT_LE(final.bottom(), panel->height() - 1);
    EXPECT_EQ(panel->finalButton()->x(), panel->beginButton()->x());

    panel->setUseVertical(false);
    panel->setStyle(TSelectPanel::sp_Discrete);
    const QRect list = inPanel(panel->ListBox(), panel);
    EXPECT_EQ(panel->deleteButton()->y(), panel->listButton()->y() + 23);
    EXPECT_EQ(panel->clearButton()->y(), panel->deleteButton()->y() + 23);
    EXPECT_GT(inPanel(panel->listButton(), panel).left(), list.right());
    EXPECT_LE(inPanel(panel->listButton(), panel).right(), panel->width() - 1);
}

TEST_F(SelectPanelTest, TextBoundsAreOrderedWhenLeavingThePanel)
{
    int exits = 0;
    std::pair<QString, QString> seenOnExit;
    panel->setEventOnExit(kv::EventHandler([&](QObject *sender, kv::EventArgs &) {
        ++exits;
        EXPECT_EQ(sender, panel);
        seenOnExit = bounds();
    }));
    enterRange("A009", "A001");
    EXPECT_EQ(bounds(), (std::pair<QString, QString>{"A001", "A009"}));
    EXPECT_EQ(exits, 1) << "moving between the editors is no exit";
    EXPECT_EQ(seenOnExit, bounds()) << "OnExit comes after the ordering";

    enterRange("  B  ", "");
    EXPECT_EQ(bounds(), (std::pair<QString, QString>{"B", ""})) << "blanks trimmed, an empty bound stops the ordering";
}

TEST_F(SelectPanelTest, NumbersOtherMasksAndDiscardFollowTheirRules)
{
    panel->setValueType(TSelectPanel::vt_Number);
    enterRange("9", "10");
    EXPECT_EQ(bounds().first, "9") << "numbers compare as numbers";
    enterRange("5", "x");
    EXPECT_EQ(bounds().first, "x") << "a text that is no number counts as 0";

    panel->setValueType(TSelectPanel::vt_Float);
    enterRange("1,250.5", "999.9");
    EXPECT_EQ(bounds().first, "999.9");

    panel->setValueType(TSelectPanel::vt_OtherMask);
    enterRange("Z", "A");
    EXPECT_EQ(bounds().first, "Z");

    panel->setValueType(TSelectPanel::vt_String);
    panel->setUseDiscard(true);
    panel->setDiscard("ZZZ");
    enterRange("ZZZ", "A");
    EXPECT_EQ(bounds().first, "ZZZ");
    panel->setUseDiscard(false);
    enterRange("ZZZ", "A");
    EXPECT_EQ(bounds().first, "A");
}

TEST_F(SelectPanelTest, DatesAreOrderedAsTextOrAsParsedDates)
{
    panel->setValueType(TSelectPanel::vt_Date);
    enterRange("2024/03/10", "2024/02/01");
    EXPECT_EQ(bounds().first, "2024/02/01");

    // Republic-of-China years: as text "113" sorts before "99".
    panel->setDateType(TSelectPanel::dt_YYYMMDD);
    enterRange("113/03/10", "99/12/31");
    EXPECT_EQ(bounds().first, "99/12/31");

    panel->setDateType(TSelectPanel::dt_DDMMYYYY);
    enterRange("15/02/2024", "01/03/2024");
    EXPECT_EQ(bounds().first, "15/02/2024");

    panel->setAutoChangeDateSite(false);
    enterRange("2024/03/10", "2024/02/01");
    EXPECT_EQ(bounds().first, "2024/03/10");
}

TEST_F(SelectPanelTest, DateBoundsParseByDateTypeAndSeparator)
{
    const double march1 = kv::OleDate::fromYmd(2024, 3, 1).value;
    panel->setDateType(TSelectPanel::dt_YYYYMMDD);
    EXPECT_EQ(panel->BoundDate("2024/3"), march1) << "a month reads as its first day";
    EXPECT_EQ(panel->BoundDate(" 2024/03/01 "), march1);
    panel->setDateType(TSelectPanel::dt_MMDDYYYY);
    EXPECT_EQ(panel->BoundDate("03/2024"), march1);
    panel->setDateType(TSelectPanel::dt_DDMMYYYY);
    EXPECT_EQ(panel->BoundDate("03/2024"), march1);
    panel->setDateType(TSelectPanel::dt_YYMMDD);
    EXPECT_EQ(panel->BoundDate("113/03/01"), march1);
    panel->setDateSign("-");
    EXPECT_EQ(panel->BoundDate("113-3-1"), march1);
    for (const char *broken : {"", "113/03/01", "113-02-30", "113-3-1-1", "113-x-1", "2024"})
        EXPECT_EQ(panel->BoundDate(broken), 0.0) << broken;

    // A bound that is no date compares as zero: it sorts first.
    panel->setValueType(TSelectPanel::vt_Date);
    enterRange("113-01-01", "113-02-30");
    EXPECT_EQ(bounds().first, "113-02-30");
}

TEST_F(SelectPanelTest, EditMaskKeepsTheTextAndItsEmptyFormStopsOrdering)
{
    int changes = 0;
    panel->edBegin()->setEventOnChange(counter(changes));
    panel->edBegin()->setText_("2024/03/10");
    changes = 0;
    kv::SetStringProperty(panel, "EditMask", "9999/99/99;1; ");
    EXPECT_EQ(changes, 0) << "re-masking is no change of the bound";
    EXPECT_EQ(panel->edBegin()->Text(), "2024/03/10");
    EXPECT_EQ(panel->emptyMaskText(), "    /  /  ");
    EXPECT_EQ(panel->edFinal()->editMask(), "9999/99/99;1; ");

    panel->setValueType(TSelectPanel::vt_Date);
    panel->edFinal()->clear();
    kvtest::click(panel->edBegin());
    kvtest::click(other);
    EXPECT_EQ(bounds().first, "2024/03/10") << "an editor showing only its mask is not ordered";
    EXPECT_TRUE(panel->edFinal()->showsEmptyMask()) << "trimming leaves an empty mask as it was";
    EXPECT_EQ(panel->ConditionValue(), kv::varArrayOf({"\x04", "2024/03/10", ""}))
        << "an untouched masked editor is an empty bound";
}

TEST_F(SelectPanelTest, UserChoiceCheckBoxSwitchesBetweenRangeAndList)
{
    int typeClicks = 0;
    panel->setEventOnTypeClick(counter(typeClicks));
    panel->setStyle(TSelectPanel::sp_UserChoice);
    ASSERT_TRUE(panel->styleCheckBox()->isVisible());
    EXPECT_EQ(panel->styleCheckBox()->caption(), "区间选择");
    EXPECT_TRUE(panel->rangePage()->isVisible());
    panel->edBegin()->setText_("A001");
    panel->edFinal()->setText_("A009");
    addRows({{"A001"}, {"A005"}});

    kvtest::click(panel->styleCheckBox());
    EXPECT_FALSE(panel->userChoice());
    EXPECT_FALSE(panel->IsRangeMode());
    EXPECT_TRUE(panel->listPage()->isVisible());
    EXPECT_FALSE(panel->rangePage()->isVisible());
    EXPECT_EQ(typeClicks, 1);
    EXPECT_EQ(sql(panel->ConditionValue()), "Where (TC002 IN ('A001', 'A005'))");

    kvtest::click(panel->styleCheckBox());
    EXPECT_TRUE(panel->IsRangeMode());
    EXPECT_EQ(panel->ConditionValue(), kv::varArrayOf({"\x04", "A001", "A009"}));
    EXPECT_EQ(sql(panel->ConditionValue()), "Where  (TC002 Between 'A001' and 'A009') ");

    kv::SetStringProperty(panel, "UserChoice", "False");
    EXPECT_TRUE(panel->listPage()->isVisible());
    EXPECT_EQ(typeClicks, 3);
}

TEST_F(SelectPanelTest, ListConditionValueCarriesEveryRowWithItsSubItems)
{
    panel->setStyle(TSelectPanel::sp_Discrete);
    addRows({{"A001", "领料"}, {"A002"}});
    const Variant value = panel->ConditionValue();
    ASSERT_TRUE(value.isArray());
    EXPECT_EQ(value.array().lowBound(), 0);
    EXPECT_EQ(value.array().highBound(), 2);
    EXPECT_EQ(value[0], Variant("\x05"));
    EXPECT_EQ(value[1], kv::varArrayOf({"A001", "领料"}));
    EXPECT_EQ(value[2], kv::varArrayOf({"A002", ""}));

    panel->ListBox()->Clear();
    EXPECT_EQ(sql(panel->ConditionValue()), "") << "an empty list sets no condition";
}

TEST_F(SelectPanelTest, AddItemCreatesColumnsAndPadsRows)
{
    kv::TKovListView *list = panel->ListBox();
    EXPECT_FALSE(list->AddItem({}));
    ASSERT_TRUE(list->AddItem({"A001", "领料单", "仓库"}));
    EXPECT_EQ(panel->columnCaptions(), (QStringList{"Data1", "Data2", "Data3"}));
    ASSERT_TRUE(list->AddItem({"B"}));
    EXPECT_EQ(list->rowValues(1), (QStringList{"B", "", ""}));
    ASSERT_TRUE(list->AddItem({"C", "1", "2", "3"}));
    EXPECT_EQ(list->vclColumnCount(), 4);
    EXPECT_EQ(list->rowValues(0), (QStringList{"A001", "领料单", "仓库", ""}));
    QStringList widest(kv::TKovListView::kMaxRowValues, QStringLiteral("w"));
    EXPECT_FALSE(list->AddItem(widest + QStringList{"one too many"}));
    EXPECT_EQ(list->vclColumnCount(), 4) << "a refused row adds no columns";
    EXPECT_EQ(list->rowCount(), 3);

    const int letter = list->fontMetrics().horizontalAdvance(QLatin1Char('W'));
    EXPECT_EQ(list->columnWidth(0), 5 * letter) << "Data1 is the longest text of column 0";
    panel->setColumnsAutoSize(false);
    ASSERT_TRUE(list->AddItem({"a much longer row text"}));
    EXPECT_EQ(list->columnWidth(0), 5 * letter);
}

TEST_F(SelectPanelTest, DuplicatesAreRemovedByTheChosenRule)
{
    panel->setStyle(TSelectPanel::sp_Discrete);
    panel->setCheckDuplicate(TSelectPanel::cd_CaseInsensitive);
    EXPECT_TRUE(panel->sortListBox()) << "duplicate checking sorts the list";
    addRows({{"AB"}, {"C"}, {"ab"}});
    EXPECT_EQ(rowTexts(), (QStringList{"AB", "C"}));

    panel->setCheckDuplicate(TSelectPanel::cd_CheckCase);
    addRows({{"ab"}, {"C"}});
    EXPECT_EQ(rowTexts().size(), 3) << "case counts, an exact twin does not";

    panel->setCheckDuplicate(TSelectPanel::cd_None);
    addRows({{"C"}});
    EXPECT_EQ(rowTexts().size(), 4);
    panel->setCheckDuplicate(TSelectPanel::cd_CheckCase);
    EXPECT_EQ(rowTexts().size(), 3) << "setting the rule cleans the list at once";

    panel->setCheckDuplicate(TSelectPanel::cd_None);
    addRows({{"C"}});
    panel->setStyle(TSelectPanel::sp_Range);
    panel->setCheckDuplicate(TSelectPanel::cd_CheckCase);
    EXPECT_EQ(rowTexts().size(), 4) << "not while the range is in force";
}

TEST_F(SelectPanelTest, ColumnClicksSortAndReverseWithTies)
{
    panel->setStyle(TSelectPanel::sp_Discrete);
    panel->setShowColumnHeader(true);
    kv::TKovListView *list = panel->ListBox();
    addRows({{"b", "2"}, {"A", "2"}, {"c", "1"}});
    panel->setSortListBox(true);
    EXPECT_EQ(rowTexts(), (QStringList{"A", "b", "c"})) << "text order ignores case";

    QHeaderView *header = list->header();
    const auto clickColumn = [&](int column) {
        const int middle = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        kvtest::click(header->viewport(), QPoint(middle, header->height() / 2));
    };
    clickColumn(1);
    EXPECT_EQ(rowTexts(), (QStringList{"c", "A", "b"})) << "sub-item order, ties by the row text";
    clickColumn(1);
    EXPECT_EQ(rowTexts(), (QStringList{"b", "A", "c"}));
    clickColumn(0);
    EXPECT_EQ(rowTexts(), (QStringList{"A", "b", "c"}));
}

TEST_F(SelectPanelTest, DeleteButtonDeletesSelectedRowsUnlessRefused)
{
    panel->setStyle(TSelectPanel::sp_Discrete);
    addRows({{"A"}, {"B"}, {"C"}});
    kv::TKovListView *list = panel->ListBox();
    kvtest::click(list->viewport(), list->visualItemRect(list->topLevelItem(0)).center());
    kvtest::click(list->viewport(), list->visualItemRect(list->topLevelItem(2)).center(), Qt::LeftButton,
                  Qt::ControlModifier);
    ASSERT_EQ(list->selectedItems().size(), 2);

    QObject *sender = nullptr;
    bool accept = false;
    panel->setEventOnDeleteClick(kv::EventHandler([&](QObject *from, kv::EventArgs &args) {
        sender = from;
        static_cast<kv::AcceptArgs &>(args).accept = accept;
    }));
    kvtest::click(panel->deleteButton());
    EXPECT_EQ(sender, panel->deleteButton());
    EXPECT_EQ(rowTexts(), (QStringList{"A", "B", "C"}));
    accept = true;
    kvtest::click(panel->deleteButton());
    EXPECT_EQ(rowTexts(), (QStringList{"B"}));
}

TEST_F(SelectPanelTest, ClearButtonEmptiesAndFocusesTheList)
{
    panel->setStyle(TSelectPanel::sp_Discrete);
    addRows({{"A"}, {"B"}});
    int clears = 0;
    panel->setEventOnClearClick(counter(clears));
    other->setFocus();
    kvtest::click(panel->clearButton());
    EXPECT_EQ(panel->ListBox()->rowCount(), 0);
    EXPECT_TRUE(panel->ListBox()->hasFocus());
    EXPECT_EQ(clears, 1);
}

TEST_F(SelectPanelTest, LookupButtonsAskTheWindowForTheirInput)
{
    QWidget *target = nullptr;
    std::size_t requestsAtEvent = 0;
    panel->setEventOnOpenWinClick(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        target = static_cast<kv::OpenWinClickArgs &>(args).target;
        requestsAtEvent = window.requests.size();
    }));
    kvtest::click(panel->finalButton());
    ASSERT_EQ(window.requests.size(), 1u);
    EXPECT_EQ(window.requests[0].control, panel->edFinal());
    EXPECT_EQ(window.requests[0].focused, panel->edFinal());
    EXPECT_EQ(target, panel->edFinal());
    EXPECT_EQ(requestsAtEvent, 1u) << "the window is asked before OnOpenWinClick";

    panel->setStyle(TSelectPanel::sp_Discrete);
    kvtest::click(panel->listButton());
    ASSERT_EQ(window.requests.size(), 2u);
    EXPECT_EQ(window.requests[1].control, panel->ListBox());

    kv::setDesigning(&window, true);
    kvtest::click(panel->listButton());
    EXPECT_EQ(window.requests.size(), 2u) << "nothing while the form is designed";
}

TEST_F(SelectPanelTest, UnreadableGlyphLeavesAllLookupButtonsWithGlyphZero)
{
    panel->setGlyphIndex(9);
    for (kv::TF2Button *button : {panel->beginButton(), panel->finalButton(), panel->listButton()})
        EXPECT_EQ(button->glyphIndex(), 9);
    prompter->answerMessage(kv::mrOk);
    panel->setGlyphIndex(5);
    for (kv::TF2Button *button : {panel->beginButton(), panel->finalButton(), panel->listButton()}) {
        EXPECT_EQ(button->glyphIndex(), 0);
        EXPECT_EQ(button->caption(), "0");
    }
}

TEST_F(SelectPanelTest, SizeSwapsBetweenRangeAndOtherStyles)
{
    panel->setStyle(TSelectPanel::sp_Discrete);
    EXPECT_EQ(panel->size(), QSize(200, 105));
    EXPECT_EQ(panel->otherWidth(), 353);
    panel->setStyle(TSelectPanel::sp_UserChoice);
    EXPECT_EQ(panel->size(), QSize(200, 105)) << "no swap between two non-range styles";
    panel->setStyle(TSelectPanel::sp_Range);
    EXPECT_EQ(panel->size(), QSize(353, 45));

    panel->setUseVertical(true);
    EXPECT_EQ(panel->size(), QSize(200, 105));
    panel->setStyle(TSelectPanel::sp_Discrete);
    EXPECT_EQ(panel->size(), QSize(200, 105)) << "a vertical range keeps its size on a style change";
    EXPECT_TRUE(panel->useVertical());
    panel->setUseVertical(false);
    EXPECT_TRUE(panel->useVertical()) << "UseVertical applies to sp_Range only";
}

TEST_F(SelectPanelTest, LoadingKeepsTheStoredSize)
{
    {
        kv::LoadingGuard loading(&window);
        panel->setStyle(TSelectPanel::sp_Discrete);
    }
    EXPECT_EQ(panel->size(), QSize(353, 45));
    panel->BeginLoad();
    panel->setStyle(TSelectPanel::sp_Range);
    panel->Loaded();
    EXPECT_EQ(panel->size(), QSize(353, 45));
}

TEST_F(SelectPanelTest, StyleChangeCanBeRefusedAndIsReported)
{
    std::vector<std::pair<int, int>> changes;
    bool accept = false;
    panel->setEventOnStyleChanging(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        static_cast<kv::StyleChangeArgs &>(args).accept = accept;
    }));
    panel->setEventOnStyleChange(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        const auto &change = static_cast<kv::StyleChangeArgs &>(args);
        changes.emplace_back(change.oldStyle, change.newStyle);
    }));
    panel->setStyle(TSelectPanel::sp_Discrete);
    EXPECT_EQ(panel->style(), TSelectPanel::sp_Range);
    EXPECT_EQ(panel->size(), QSize(353, 45));
    EXPECT_TRUE(changes.empty());
    accept = true;
    panel->setStyle(TSelectPanel::sp_Discrete);
    EXPECT_EQ(panel->style(), TSelectPanel::sp_Discrete);
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{TSelectPanel::sp_Range, TSelectPanel::sp_Discrete}}));
}

TEST_F(SelectPanelTest, WordsShowByLayout)
{
    panel->setBeginWords({"从"});
    EXPECT_EQ(panel->beginLabel()->text(), "从");
    panel->setUseVertical(true);
    EXPECT_EQ(panel->beginLabel()->text(), "从");
    panel->setUseVertical(false);
    panel->setStyle(TSelectPanel::sp_UserChoice);
    EXPECT_EQ(panel->beginLabel()->text(), "从");

    panel->setFinalWords({"到", "至", "ignored"});
    EXPECT_EQ(panel->finalWords(), (QStringList{"到", "至"}));
    EXPECT_EQ(panel->finalLabel()->text(), "至") << "the user-choice layout is vertical";
    panel->setStyle(TSelectPanel::sp_Range);
    EXPECT_EQ(panel->finalLabel()->text(), "到");
    panel->setFinalWords({});
    EXPECT_EQ(panel->finalLabel()->text(), "");
}

TEST_F(SelectPanelTest, ChildHintsApplyInOrderAndShortListsSetTheFirstOnly)
{
    kv::setPropertyByPath(panel, "ChildHints", "方式\n起始");
    EXPECT_EQ(panel->styleCheckBox()->toolTip(), "方式");
    EXPECT_EQ(panel->edBegin()->toolTip(), "起始");
    EXPECT_TRUE(panel->beginButton()->toolTip().isEmpty());
    panel->setChildHints(panel->childHints() + QStringList{"a", "b", "c", "d", "e", "f", "g"});
    EXPECT_EQ(panel->clearButton()->toolTip(), "g");
    EXPECT_EQ(panel->ListBox()->toolTip(), "d");
}

TEST_F(SelectPanelTest, EnabledReachesEveryChild)
{
    panel->edFinal()->setEnabled(false);
    kv::SetStringProperty(panel, "Enabled", "False");
    EXPECT_FALSE(panel->ListBox()->isEnabled());
    panel->SetEnabled(true);
    EXPECT_TRUE(panel->edFinal()->isEnabled());
    EXPECT_TRUE(panel->clearButton()->isEnabled());
}

TEST_F(SelectPanelTest, ChildInputIsRaisedAsThePanelsEvents)
{
    std::vector<QObject *> keySenders, clickSenders;
    QPoint labelDown;
    panel->setEventOnKeyDown(kv::EventHandler([&](QObject *sender, kv::EventArgs &args) {
        keySenders.push_back(sender);
        auto &key = static_cast<kv::KeyEventArgs &>(args);
        if (key.key == Qt::Key_X)
            key.key = 0; // the panel's owner refuses this key
    }));
    panel->setEventOnClick(kv::EventHandler([&](QObject *sender, kv::EventArgs &) { clickSenders.push_back(sender); }));
    panel->setEventOnMouseDown(kv::EventHandler([&](QObject *sender, kv::EventArgs &args) {
        if (sender == panel) {
            const auto &mouse = static_cast<kv::MouseEventArgs &>(args);
            labelDown = {mouse.x, mouse.y};
        }
    }));

    kvtest::click(panel->edBegin());
    kvtest::typeText(panel->edBegin(), "AXB");
    EXPECT_EQ(panel->edBegin()->Text(), "AB");
    ASSERT_FALSE(keySenders.empty());
    EXPECT_EQ(keySenders.front(), panel->edBegin());

    kvtest::click(panel->beginLabel(), QPoint(1, 1));
    EXPECT_EQ(labelDown, panel->beginLabel()->mapTo(panel, QPoint(1, 1)));
    kvtest::click(panel->beginButton());
    EXPECT_EQ(clickSenders, (std::vector<QObject *>{panel->edBegin(), panel, panel}));
}

TEST_F(SelectPanelTest, ListNotificationsAreRaisedAsItemEvents)
{
    panel->setStyle(TSelectPanel::sp_Discrete);
    addRows({{"A"}, {"B"}});
    std::vector<int> selected;
    int changes = 0;
    bool allow = false;
    panel->setEventOnItemSelect(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        const auto &select = static_cast<kv::ItemSelectArgs &>(args);
        if (select.selected)
            selected.push_back(select.index);
    }));
    panel->setEventOnItemChanging(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        static_cast<kv::ItemChangeArgs &>(args).allowChange = allow;
    }));
    panel->setEventOnItemChange(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        changes += static_cast<kv::ItemChangeArgs &>(args).change == kv::ItemChange::Text;
    }));
    kv::TKovListView *list = panel->ListBox();
    kvtest::click(list->viewport(), list->visualItemRect(list->topLevelItem(1)).center());
    EXPECT_EQ(selected, std::vector<int>{1});

    list->topLevelItem(0)->setText(0, "Z");
    EXPECT_EQ(rowTexts().first(), "A") << "a refused change leaves the row";
    allow = true;
    list->topLevelItem(0)->setText(0, "Z");
    EXPECT_EQ(rowTexts().first(), "Z");
    EXPECT_EQ(changes, 1);
}

TEST_F(SelectPanelTest, PublishedPropertiesAndChildrenByPath)
{
    EXPECT_TRUE(kv::setPropertyByPath(panel, "edBegin.Text", "A001"));
    EXPECT_EQ(panel->edBegin()->Text(), "A001");
    EXPECT_TRUE(kv::setPropertyByPath(panel, "ValueType", "vt_Date"));
    EXPECT_EQ(panel->valueType(), TSelectPanel::vt_Date);
    EXPECT_TRUE(kv::setPropertyByPath(panel, "Caption", "领料日期"));
    EXPECT_EQ(panel->title(), "领料日期");
    EXPECT_TRUE(kv::setPropertyByPath(panel, "HintWord", "选择"));
    EXPECT_EQ(panel->styleCheckBox()->caption(), "选择");
    for (const char *name : {"OnOpenWinClick", "OnClearClick", "OnDeleteClick", "OnTypeClick", "OnStyleChanging",
                             "OnStyleChange", "OnExit", "OnItemSelect", "OnItemChange", "OnItemChanging",
                             "OnKeyDown", "OnKeyUp", "OnKeyPress", "Items", "Columns", "OtherWidth"})
        EXPECT_TRUE(kv::CheckPropertyExist(panel, name)) << name;
}

// The form conversion of the shell's traditional interface reaches the
// panel's own texts and list, but not the bounds typed into its editors.
TEST(SelectPanelConversionTest, TraditionalInterfaceConvertsWordsHintsAndList)
{
    kvtest::ShellFixture shell;
    shell.writeRegistry(shell.clientDir(), shell.serverDir());
    shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=950\nDBCodePage=936\n");
    kv::TCodeConverter converter;
    ASSERT_EQ(converter.uiConvertMode(), 2);

    QWidget form;
    auto *panel = new TSelectPanel(&form);
    panel->setObjectName("splTC002");
    panel->setTitle("领料单号");
    panel->setStyle(TSelectPanel::sp_Discrete);
    panel->setColumnCaptions({"单号"});
    panel->ListBox()->AddItem({"领料单"});
    panel->setChildHints({"用户自定输入方式"});
    panel->edBegin()->setText_("领料");
    converter.DoTranslate(&form, {}, true);

    EXPECT_EQ(panel->title(), "領料單號");
    EXPECT_EQ(panel->hintWord(), "區間選擇");
    EXPECT_EQ(panel->styleCheckBox()->caption(), "區間選擇");
    EXPECT_EQ(panel->styleCheckBox()->toolTip(), "用戶自定輸入方式");
    EXPECT_EQ(panel->columnCaptions(), QStringList{"單號"});
    EXPECT_EQ(panel->ListBox()->rowValues(0), QStringList{"領料單"});
    EXPECT_EQ(panel->edBegin()->Text(), "领料") << "typed bounds are data, not interface text";
}
