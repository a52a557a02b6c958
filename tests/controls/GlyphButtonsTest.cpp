// Glyph buttons and lookup buttons on a window: pictures by number, the
// lookup request reaching the owner window, alignment to the edit and the
// one-button-per-edit rule.

#include "controls/ComponentState.h"
#include "controls/F2Button.h"
#include "controls/GSpdBtn.h"
#include "controls/GlyphStore.h"
#include "lib/LibVCLs.h"
#include "platform/ScriptedPrompter.h"
#include "UserInput.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

using kv::TF2Button;
using kv::TGSpeedButton;

namespace {

class GlyphButtonsTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.resize(400, 200);
        edit = new QLineEdit(&window);
        edit->setObjectName("edPrintDate");
        edit->setGeometry(97, 8, 53, 21);
        button = new TF2Button(&window);
        button->setObjectName("btnPrintDate");
        ASSERT_TRUE(kvtest::showActive(&window));
    }

    void TearDown() override { EXPECT_TRUE(prompter->allAnswered()) << "unexpected or missing message boxes"; }

    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scoped{prompter};
    kvtest::OwnerWindow window;
    QLineEdit *edit = nullptr;
    TF2Button *button = nullptr;
};

} // namespace

TEST_F(GlyphButtonsTest, GlyphNumberGivesPictureOrCaption)
{
    TGSpeedButton speed(&window);
    speed.setGlyphIndex(4);
    EXPECT_FALSE(speed.icon().isNull());
    EXPECT_EQ(speed.caption(), "");
    EXPECT_EQ(speed.numGlyphs(), 2) << "glyph 4 holds two images";

    speed.setGlyphIndex(0);
    EXPECT_TRUE(speed.icon().isNull());
    EXPECT_EQ(speed.caption(), "0");

    const int beyond = kv::GlyphStore::shared().GetMaxBmpID() + 1;
    speed.setGlyphIndex(beyond);
    EXPECT_TRUE(speed.icon().isNull());
    EXPECT_EQ(speed.caption(), QString::number(beyond));
    EXPECT_FALSE(speed.glyphLoadFailed()) << "a number beyond the library is no failure";
}

TEST_F(GlyphButtonsTest, UnreadableGlyphShowsTheErrorAndItsNumber)
{
    prompter->answerMessage(kv::mrOk);
    TGSpeedButton speed(&window);
    speed.setGlyphIndex(5); // within the library's range, but not held
    ASSERT_EQ(prompter->questions().size(), 1u);
    EXPECT_EQ(prompter->questions()[0].text, "读取 BMP 发生错误");
    EXPECT_EQ(prompter->questions()[0].type, kv::MessageType::Error);
    EXPECT_EQ(prompter->questions()[0].buttons, kv::MessageButtons(kv::MessageButton::OK));
    EXPECT_TRUE(speed.glyphLoadFailed());
    EXPECT_EQ(speed.caption(), "5");
    EXPECT_TRUE(speed.icon().isNull());
}

TEST_F(GlyphButtonsTest, AttachedButtonSitsSquareRightOfTheEdit)
{
    button->setF2Control(edit);
    EXPECT_EQ(button->geometry(), QRect(152, 8, 21, 21));
    button->setGap(300);
    EXPECT_EQ(button->gap(), 255);
    EXPECT_EQ(button->x(), 97 + 53 + 255);

    // At run time the button stays where it is when the edit moves ...
    edit->move(10, 50);
    EXPECT_EQ(button->y(), 8);
    // ... until the window aligns it again.
    button->setGap(2);
    EXPECT_EQ(button->geometry(), QRect(65, 50, 21, 21));
}

TEST_F(GlyphButtonsTest, ButtonFollowsTheEditWhileDesigned)
{
    kv::setDesigning(&window, true);
    button->setF2Control(edit);
    edit->setGeometry(20, 60, 80, 25);
    EXPECT_EQ(button->geometry(), QRect(102, 60, 25, 25));
    button->setAutoAlign(false);
    edit->move(0, 0);
    EXPECT_EQ(button->pos(), QPoint(102, 60));
}

TEST_F(GlyphButtonsTest, ClickFocusesTheEditAndAsksItsWindowForTheLookup)
{
    std::vector<std::string> order;
    button->setEventOnClick(kv::EventHandler([&](QObject *, kv::EventArgs &) {
        order.push_back("click:" + std::to_string(window.requests.size()));
    }));
    button->setF2Control(edit);
    kvtest::click(button);
    ASSERT_EQ(window.requests.size(), 1u);
    EXPECT_EQ(window.requests[0].control, edit);
    EXPECT_EQ(window.requests[0].focused, edit) << "the edit has the focus when the window opens the lookup";
    EXPECT_EQ(window.requests[0].wordParameter, 0);
    EXPECT_EQ(order, (std::vector<std::string>{"click:0"})) << "OnClick runs before the request";
}

TEST_F(GlyphButtonsTest, NoRequestForADisabledOrMissingEdit)
{
    kvtest::click(button);
    edit->setEnabled(false);
    button->setF2Control(edit);
    kvtest::click(button);
    EXPECT_TRUE(window.requests.empty());
}

TEST_F(GlyphButtonsTest, NoRequestWhenTheEditCannotTakeTheFocus)
{
    auto *focused = new QLineEdit(&window);
    focused->show();
    focused->setFocus();
    edit->setFocusPolicy(Qt::NoFocus);
    button->setF2Control(edit);
    kvtest::click(button);
    EXPECT_TRUE(window.requests.empty());
    EXPECT_TRUE(focused->hasFocus());
}

TEST_F(GlyphButtonsTest, SecondButtonForTheSameEditIsRefused)
{
    button->setF2Control(edit);
    auto *second = new TF2Button(&window);
    auto *otherEdit = new QLineEdit(&window);
    second->setF2Control(otherEdit);

    prompter->answerMessage(kv::mrOk);
    second->setF2Control(edit);
    ASSERT_EQ(prompter->questions().size(), 1u);
    EXPECT_EQ(prompter->questions()[0].text, "不能同时有两个 F2Button 指到同一个 Edit.");
    EXPECT_EQ(second->f2Control(), otherEdit) << "the old attachment is kept";

    button->setF2Control(edit); // the same button again changes nothing, asks nothing
    button->setF2Control(nullptr);
    second->setF2Control(edit);
    EXPECT_EQ(second->f2Control(), edit);
}

TEST_F(GlyphButtonsTest, DestroyedEditDetachesItsButton)
{
    button->setF2Control(edit);
    delete edit;
    EXPECT_EQ(button->f2Control(), nullptr);
    kvtest::click(button);
    EXPECT_TRUE(window.requests.empty());
}

TEST_F(GlyphButtonsTest, GroupedSpeedButtonsStayDownOneAtATime)
{
    TGSpeedButton first(&window), second(&window);
    first.move(0, 100);
    second.move(40, 100);
    first.show();
    second.show();
    first.setDown(true);
    EXPECT_FALSE(first.isDown()) << "without a group a button cannot stay down";
    first.setGroupIndex(1);
    second.setGroupIndex(1);
    kvtest::click(&first);
    EXPECT_TRUE(first.isDown());
    kvtest::click(&second);
    EXPECT_TRUE(second.isDown());
    EXPECT_FALSE(first.isDown());
    kvtest::click(&second);
    EXPECT_TRUE(second.isDown()) << "a down button of a group stays down";
    second.setAllowAllUp(true);
    kvtest::click(&second);
    EXPECT_FALSE(second.isDown());
}

TEST_F(GlyphButtonsTest, PropertiesByName)
{
    EXPECT_TRUE(kv::setPropertyByPath(button, "Gap", "4"));
    EXPECT_EQ(button->gap(), 4);
    kv::SetStringProperty(button, "GlyphIndex", "9");
    EXPECT_EQ(button->glyphIndex(), 9);
    EXPECT_EQ(kv::GetStringProperty(button, "HintIndex"), "0");
    EXPECT_TRUE(button->setProperty("F2Control", QVariant::fromValue<QWidget *>(edit)));
    EXPECT_EQ(button->f2Control(), edit);
    EXPECT_EQ(button->x(), 97 + 53 + 4);
}
