// The format-style list of the condition window: which stored styles are
// offered for the window's option state, "<New>" while the combo is
// enabled, the refill when the list drops down, the name length, the
// deletion of a style and the defaults per program, slip type and user.

#include "VROptTestSupport.h"

#include "controls/GSpdBtn.h"

using namespace opttest;
using kv::mrNo;
using kv::mrOk;
using kv::mrYes;

TEST_F(OptTest, OffersTheStylesWhoseSavedOptionStateMatches)
{
    storeStyle("全部", "");
    storeStyle("汇总", "chkPrint: TBitCheckBox=1");
    storeStyle("明细", "chkPrint: TBitCheckBox=0\r\n");
    storeStyle("汇总乙", "chkPrint: TBitCheckBox=1\ncboKind: TComboBox=1");
    storeStyle("旧控件", "chkGone: TBitCheckBox=1");
    storeStyle("别的格式", "", "TfrmOtherFmt");
    openWindow(false);

    EXPECT_EQ(styleList(), QStringList({"<New>", "全部", "明细"}));
    // The program's print settings name no style: nothing is chosen.
    EXPECT_EQ(styleText(), "");

    window->chkPrint->setChecked(true);
    window->ReloadStyles();
    EXPECT_EQ(styleList(), QStringList({"<New>", "全部", "汇总"}));

    // The choice is kept while the list still holds it.
    window->SelectStyle("汇总");
    window->cboKind->setCurrentIndex(1);
    window->ReloadStyles();
    EXPECT_EQ(styleList(), QStringList({"<New>", "全部", "汇总", "汇总乙"}));
    EXPECT_EQ(styleText(), "汇总");

    window->chkPrint->setChecked(false);
    window->ReloadStyles();
    EXPECT_EQ(styleList(), QStringList({"<New>", "全部", "明细"}));
    EXPECT_EQ(styleText(), "<New>");

    // A style that is no longer offered for the options leaves item 0.
    window->cboFormStyleName->setEnabled(false);
    window->ReloadStyles();
    EXPECT_EQ(styleList(), QStringList({"全部", "明细"}));
    EXPECT_EQ(styleText(), "全部");
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, StyleMatchingReadsEveryKindOfOptionControl)
{
    openWindow(false);
    EXPECT_TRUE(window->StyleMatchesOptions(""));
    EXPECT_TRUE(window->StyleMatchesOptions("  \n "));
    EXPECT_TRUE(window->StyleMatchesOptions("CHKPRINT: TBitCheckBox=0"));
    EXPECT_TRUE(window->StyleMatchesOptions("cboKind: TComboBox=0\nchkPrint: TBitCheckBox=0"));
    EXPECT_FALSE(window->StyleMatchesOptions("cboKind: TComboBox=0\nchkPrint: TBitCheckBox=1"));
    // The send-type radio group of the fax/e-mail page answers its item.
    EXPECT_TRUE(window->StyleMatchesOptions("rgSendType: TRadioGroup=0"));
    EXPECT_FALSE(window->StyleMatchesOptions("rgSendType: TRadioGroup=1"));
    // A control that holds no option value never matches.
    EXPECT_FALSE(window->StyleMatchesOptions("edtNoteID: TEdit="));
    EXPECT_FALSE(window->StyleMatchesOptions("chkPrint: TBitCheckBox"));
}

TEST_F(OptTest, TheListIsReadAgainWhenItDropsDown)
{
    openWindow();
    EXPECT_EQ(styleList(), QStringList({"<New>"}));
    storeStyle("新存格式", "");
    kvtest::click(window->cboFormStyleName, {window->cboFormStyleName->width() - 4, 8});
    window->cboFormStyleName->hidePopup();
    EXPECT_EQ(styleList(), QStringList({"<New>", "新存格式"}));

    storeStyle("再存格式", "");
    window->cboFormStyleName->setFocus();
    kvtest::keyClick(window->cboFormStyleName, Qt::Key_F4);
    window->cboFormStyleName->hidePopup();
    EXPECT_EQ(styleList(), QStringList({"<New>", "再存格式", "新存格式"}));
}

TEST_F(OptTest, StyleNamesStopAtTwentyCharacters)
{
    openWindow();
    QComboBox *combo = window->cboFormStyleName;
    combo->setFocus();
    combo->setEditText(QString());
    kvtest::typeText(combo, QStringLiteral("格式一二三四五六七八九十abcdefgh"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("格式一二三四五六七八九十abcdefgh"));
    EXPECT_TRUE(prompter->questions().empty());

    prompter->answerMessage(mrOk);
    kvtest::typeText(combo, QStringLiteral("x"));
    EXPECT_EQ(messages(), std::vector<std::string>{"格式名称的长度不可超过 20 个字符！"});
    EXPECT_EQ(combo->currentText().size(), 20);

    // Replacing a selection or deleting is always allowed.
    combo->lineEdit()->setSelection(0, 2);
    kvtest::typeText(combo, QStringLiteral("y"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("y一二三四五六七八九十abcdefgh"));
    kvtest::keyClick(combo, Qt::Key_Backspace);
    EXPECT_EQ(combo->currentText().size(), 18);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, DeletingAStoredStyleAsksAndRefillsTheList)
{
    storeStyle("甲格式", "");
    storeStyle("乙格式", "");
    openWindow(false);
    window->SelectStyle("乙格式");

    // No: nothing happens.
    prompter->answerMessage(mrNo);
    window->btnDelFormStype->click();
    EXPECT_EQ(messages(), std::vector<std::string>{"确认删除选中的凭证格式吗?"});
    EXPECT_EQ(styleList(), QStringList({"<New>", "乙格式", "甲格式"}));

    prompter->answerMessage(mrYes);
    prompter->answerMessage(mrOk);
    window->btnDelFormStype->click();
    EXPECT_EQ(messages().back(), "删除成功!");
    EXPECT_EQ(styleList(), QStringList({"<NEW>", "甲格式"}));
    EXPECT_EQ(window->cboFormStyleName->currentIndex(), 0);
    Variant rows;
    EXPECT_FALSE(window->CheckCode("WARRANT", "03", false, rows, varArrayOf({kLayoutClass, "乙格式"})));
    EXPECT_TRUE(window->CheckCode("WARRANT", "03", false, rows, varArrayOf({kLayoutClass, "甲格式"})));
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, DeletingNewOrAStyleThatIsNotStored)
{
    openWindow(false);
    for (const char *text : {"<New>", "<new>", "<NEW>"}) {
        window->cboFormStyleName->setEditText(QString::fromLatin1(text));
        window->btnDelFormStypeClick();
    }
    EXPECT_TRUE(prompter->questions().empty());

    window->cboFormStyleName->setEditText(QStringLiteral("没存过"));
    prompter->answerMessage(mrYes);
    prompter->answerMessage(mrOk);
    window->btnDelFormStypeClick();
    EXPECT_EQ(messages(), (std::vector<std::string>{"确认删除选中的凭证格式吗?", "格式档不存在!"}));
    EXPECT_EQ(styleText(), "没存过");
    EXPECT_TRUE(prompter->allAnswered());
}

// A program server that keeps the style although it was asked to delete it.
class RefusingServer : public kv::DispatchObject {
public:
    RefusingServer() : DispatchObject("RefusingServer")
    {
        addMethod("RunDeleteSQL", 1, 1, [this](std::vector<Variant> &args) {
            requests.push_back(args[0].deref());
            return Variant(0);
        });
    }
    std::vector<Variant> requests;
};

TEST_F(OptTest, AFailedDeletionSaysSoAndStillRefillsTheList)
{
    storeStyle("丙格式", "");
    openWindow(false);
    auto server = std::make_shared<RefusingServer>();
    window->ProgramServer = Variant(kv::DispatchPtr(server));
    window->SelectStyle("丙格式");

    prompter->answerMessage(mrYes);
    prompter->answerMessage(mrOk);
    window->btnDelFormStypeClick();
    ASSERT_EQ(server->requests.size(), 1u);
    EXPECT_EQ(server->requests[0], varArrayOf({kLayoutClass, "丙格式"}));
    EXPECT_EQ(messages().back(), "删除失败!");
    EXPECT_EQ(styleList(), QStringList({"<NEW>", "丙格式"}));
    EXPECT_EQ(window->cboFormStyleName->currentIndex(), 0);

    // Without a program server nothing can be deleted either.
    window->ProgramServer = Variant();
    window->SelectStyle("丙格式");
    prompter->answerMessage(mrYes);
    prompter->answerMessage(mrOk);
    window->btnDelFormStypeClick();
    EXPECT_EQ(messages().back(), "删除失败!");
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, DefaultStylePerSlipTypeProgramAndUser)
{
    storeStyle("程序格式", "");
    storeStyle("单别格式", "");
    storeStyle("用户格式", "");
    execute("UPDATE " + table("CMSMT") + " SET MT006 = '程序格式'");
    addSlipType("5491", {"F01", "Y", "S01", "Y", "N", "N", "单别格式", "Y", "测试单", "Y"});
    addSlipType("5492", {"F01", "Y", "S01", "Y", "N", "N", "", "Y", "测试单", "Y"});
    addSlipType("5493", {"F01", "Y", "S01", "Y", "N", "N", "不存在的格式", "Y", "测试单", "Y"});
    writeUserDefaults("QIPR07_5493=用户格式\nQIPR07_A$EQUAL$B=用户格式\n");
    openWindow(false);
    // At open the program's style is chosen.
    EXPECT_EQ(styleText(), "程序格式");
    EXPECT_EQ(window->DefaultStyle("5493"), "用户格式");
    EXPECT_EQ(window->DefaultStyle("A=B"), "用户格式");
    EXPECT_EQ(window->DefaultStyle("5491"), "<New>");

    Variant settings;
    window->LoadSlipTypeSettings("5491", true, settings);
    EXPECT_EQ(styleText(), "单别格式");
    // No style of its own: the program's.
    window->LoadSlipTypeSettings("5492", true, settings);
    EXPECT_EQ(styleText(), "程序格式");
    // The user's default beats both.
    window->LoadSlipTypeSettings("5493", true, settings);
    EXPECT_EQ(styleText(), "用户格式");

    // A run by key keeps the style chosen for its key; an export takes
    // the user's default like the window.
    window->SelectStyle("<New>");
    window->RunningByKey = true;
    window->LoadSlipTypeSettings("5493", true, settings);
    EXPECT_EQ(styleText(), "程序格式");
    window->Exporting = true;
    window->LoadSlipTypeSettings("5493", true, settings);
    EXPECT_EQ(styleText(), "用户格式");
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(OptTest, ASlipTypeThatFixesTheStyleTakesNewOffTheList)
{
    storeStyle("固定格式", "");
    addSlipType("5494", {"", "Y", "", "Y", "N", "N", "固定格式", "N", "", "Y"});
    openWindow(false);
    EXPECT_EQ(styleList(), QStringList({"<New>", "固定格式"}));
    Variant settings;
    window->LoadSlipTypeSettings("5494", true, settings);
    EXPECT_FALSE(window->cboFormStyleName->isEnabled());
    EXPECT_EQ(styleText(), "固定格式");
    window->ReloadStyles();
    EXPECT_EQ(styleList(), QStringList({"固定格式"}));
    EXPECT_EQ(styleText(), "固定格式");
}
