// The mask edit: the ERP's masks shown through Qt, and the
// text as the window reads it.

#include "controls/KovMaskEdit.h"
#include "UserInput.h"

#include <gtest/gtest.h>

using kv::TKovMaskEdit;

TEST(KovMaskEditTest, MasksTranslateToQtInputMasks)
{
    // Digits: "0" required, "9" optional in the ERP's syntax; the
    // other way round in Qt's.
    EXPECT_EQ(TKovMaskEdit::toQtInputMask("9999/99/99;1; "), "0000/00/00; ");
    EXPECT_EQ(TKovMaskEdit::toQtInputMask("0000/00/00;1;_"), "9999/99/99;_");
    EXPECT_EQ(TKovMaskEdit::toQtInputMask("!>LLL-aa;0;*"), ">AAA-nn;*");
    EXPECT_EQ(TKovMaskEdit::toQtInputMask("<>Cc#"), "!Xx#;_") << "the blank defaults to \"_\"";
    EXPECT_EQ(TKovMaskEdit::toQtInputMask("\\A9;1"), "\\A0;_") << "escaped letters stay literal";
    EXPECT_EQ(TKovMaskEdit::toQtInputMask("H-D"), "\\H-\\D;_") << "literals Qt would read as mask characters";
    EXPECT_EQ(TKovMaskEdit::toQtInputMask(""), "");
}

TEST(KovMaskEditTest, TextReadsAsShownWithMaskAndLiteralRule)
{
    TKovMaskEdit edit;
    edit.setText_("2024/03/10");
    edit.setEditMask("9999/99/99;1; ");
    EXPECT_EQ(edit.Text(), "2024/03/10") << "the typed text survives a new mask";
    EXPECT_FALSE(edit.showsEmptyMask());

    edit.clear();
    EXPECT_EQ(edit.Text(), "    /  /  ");
    EXPECT_TRUE(edit.showsEmptyMask());

    edit.setEditMask("9999/99/99;0;_");
    edit.setText_("20240310");
    EXPECT_EQ(edit.Text(), "20240310") << "literals left out of the text";
    EXPECT_EQ(edit.displayText(), "2024/03/10");

    edit.setEditMask("");
    EXPECT_EQ(edit.Text(), "20240310");
    EXPECT_FALSE(edit.showsEmptyMask());
}

TEST(KovMaskEditTest, TypingFillsTheMaskAndRaisesOnChange)
{
    QWidget window;
    auto *edit = new TKovMaskEdit(&window);
    ASSERT_TRUE(kvtest::showActive(&window));
    int changes = 0;
    edit->setEventOnChange(kv::EventHandler([&](QObject *, kv::EventArgs &) { ++changes; }));
    edit->setEditMask("9999/99/99;1; ");
    changes = 0;
    edit->setFocus();
    edit->home(false);
    kvtest::typeText(edit, "20240310");
    EXPECT_EQ(edit->Text(), "2024/03/10");
    EXPECT_EQ(changes, 8);

    edit->setChangeSuppressed(true);
    edit->setText_("2023/01/01");
    EXPECT_EQ(changes, 8);
}
