// The glyph check box as a user meets it: clicks, space, accelerator,
// painting by state and enabled state, and its published properties.

#include "controls/BtChkBox.h"
#include "controls/ControlEventBridge.h"
#include "controls/ControlEvents.h"
#include "lib/LibVCLs.h"
#include "UserInput.h"

#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

using kv::TBitCheckBox;

namespace {

class BitCheckBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.resize(300, 100);
        box = new TBitCheckBox(&window);
        box->setObjectName("chkPrint");
        box->setCaption("汇总打印");
        box->move(10, 10);
        other = new TBitCheckBox(&window);
        other->setObjectName("chkOther");
        other->move(10, 40);
        ASSERT_TRUE(kvtest::showActive(&window));
        box->setEventOnClick(kv::EventHandler([this](QObject *, kv::EventArgs &) {
            clickStates.push_back(box->state());
        }));
    }

    std::vector<TBitCheckBox::TCheckBoxState> clicksOf(int count)
    {
        std::vector<TBitCheckBox::TCheckBoxState> seen;
        for (int i = 0; i < count; ++i) {
            kvtest::click(box);
            seen.push_back(box->state());
        }
        return seen;
    }

    QWidget window;
    TBitCheckBox *box = nullptr;
    TBitCheckBox *other = nullptr;
    std::vector<TBitCheckBox::TCheckBoxState> clickStates;
};

// Two images side by side of the given colours (one when second is
// invalid), each with a transparent bottom row.
QPixmap glyphOf(QColor first, QColor second = {})
{
    QImage image(second.isValid() ? 28 : 14, 14, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(0, 0, 14, 13, first);
    if (second.isValid())
        painter.fillRect(14, 0, 14, 13, second);
    painter.end();
    return QPixmap::fromImage(image);
}

QColor colourAt(QWidget *widget, QPoint point)
{
    return widget->grab().toImage().pixelColor(point);
}

} // namespace

TEST_F(BitCheckBoxTest, StartsUncheckedWithDefaultGlyphs)
{
    EXPECT_EQ(box->state(), TBitCheckBox::cbUnchecked);
    EXPECT_EQ(box->alignment(), TBitCheckBox::taRightJustify);
    EXPECT_FALSE(box->allowGrayed());
    EXPECT_EQ(box->size(), QSize(97, 17));
    EXPECT_EQ(box->checkedNumGlyphs(), 1);
    EXPECT_FALSE(box->checkedGlyph().isNull());
    EXPECT_TRUE(kv::ControlProperties::tabStop(box));
}

TEST_F(BitCheckBoxTest, ClicksCycleThroughGrayedOnlyWhenAllowed)
{
    using S = TBitCheckBox::TCheckBoxState;
    EXPECT_EQ(clicksOf(2), (std::vector<S>{TBitCheckBox::cbChecked, TBitCheckBox::cbUnchecked}));

    box->setAllowGrayed(true);
    EXPECT_EQ(clicksOf(3), (std::vector<S>{TBitCheckBox::cbGrayed, TBitCheckBox::cbChecked, TBitCheckBox::cbUnchecked}));
    // OnClick sees the new state of every click.
    EXPECT_EQ(clickStates.size(), 5u);
    EXPECT_EQ(clickStates.back(), TBitCheckBox::cbUnchecked);
    EXPECT_TRUE(box->hasFocus()) << "a click takes the focus";
}

TEST_F(BitCheckBoxTest, CheckedIsTrueOnlyInTheCheckedState)
{
    box->setState(TBitCheckBox::cbGrayed);
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    EXPECT_EQ(box->state(), TBitCheckBox::cbChecked);
    box->setChecked(false);
    EXPECT_EQ(box->state(), TBitCheckBox::cbUnchecked);
    EXPECT_TRUE(clickStates.empty()) << "setting the state in code is no click";
}

TEST_F(BitCheckBoxTest, SpaceActsAsAClickAndOtherKeysDoNot)
{
    box->setFocus();
    kvtest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(clickStates.size(), 1u);
    kvtest::keyClick(box, Qt::Key_A);
    kvtest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(clickStates.size(), 1u);
}

TEST_F(BitCheckBoxTest, KeyHandlerCanSwallowTheSpace)
{
    box->setEventOnKeyDown(kv::EventHandler([](QObject *, kv::EventArgs &args) {
        static_cast<kv::KeyEventArgs &>(args).key = 0;
    }));
    box->setFocus();
    kvtest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->isChecked());
}

TEST_F(BitCheckBoxTest, AcceleratorFocusesAndTogglesWithoutOnClick)
{
    box->setCaption("汇总打印(&S)");
    other->setFocus();
    kvtest::keyClick(other, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(box->hasFocus());
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(clickStates.empty());
}

TEST_F(BitCheckBoxTest, DisabledBoxIgnoresClicks)
{
    box->setEnabled(false);
    kvtest::click(box);
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(clickStates.empty());
}

TEST_F(BitCheckBoxTest, DrawsFirstImageEnabledAndSecondDisabled)
{
    box->resize(97, 17);
    box->setUncheckedGlyph(glyphOf(Qt::red, Qt::blue));
    EXPECT_EQ(box->uncheckedNumGlyphs(), 2) << "a glyph twice as wide as high holds two images";
    const QPoint inBox(3, 8);
    EXPECT_EQ(colourAt(box, inBox), QColor(Qt::red));
    box->setEnabled(false);
    EXPECT_EQ(colourAt(box, inBox), QColor(Qt::blue));

    box->setUncheckedGlyph(glyphOf(Qt::green));
    box->setUncheckedNumGlyphs(1);
    EXPECT_EQ(colourAt(box, inBox), QColor(Qt::green)) << "one image serves the disabled state too";
}

// A page drawn in another colour than the window (a tab page) shows
// through a box with the parent's colour; a colour of its own fills it.
TEST_F(BitCheckBoxTest, ParentsColourShowsThroughUnlessTheBoxHasItsOwn)
{
    QPalette page = window.palette();
    page.setColor(QPalette::Window, QColor(0xfa, 0xfa, 0xfa));
    window.setPalette(page);
    window.setAutoFillBackground(true);
    box->setPalette(QPalette(QColor(0x80, 0x80, 0x80)));
    const QPoint empty(box->width() - 2, 1);
    EXPECT_EQ(QColor(0xfa, 0xfa, 0xfa), window.grab().toImage().pixelColor(box->geometry().topLeft() + empty));
    box->setProperty("Color", QColor(Qt::yellow));
    EXPECT_EQ(QColor(Qt::yellow), colourAt(box, empty));
}

TEST_F(BitCheckBoxTest, GlyphFollowsStateAndSideFollowsAlignment)
{
    box->setCheckedGlyph(glyphOf(Qt::darkGreen));
    box->setUncheckedGlyph(glyphOf(Qt::red));
    box->setChecked(true);
    EXPECT_EQ(colourAt(box, {3, 8}), QColor(Qt::darkGreen));

    box->setAlignment(TBitCheckBox::taLeftJustify); // box at the right
    EXPECT_EQ(colourAt(box, {box->width() - 3, 8}), QColor(Qt::darkGreen));
    EXPECT_NE(colourAt(box, {3, 8}), QColor(Qt::darkGreen));
}

TEST_F(BitCheckBoxTest, NullGlyphRestoresTheBuiltInImage)
{
    box->setGrayedGlyph(glyphOf(Qt::red, Qt::blue));
    box->setGrayedGlyph(QPixmap());
    EXPECT_EQ(box->grayedGlyph().size(), QSize(19, 14));
    EXPECT_EQ(box->grayedNumGlyphs(), 2) << "the count stays when the bitmap is no multiple of its height";
}

TEST_F(BitCheckBoxTest, ImageCountsAreClampedToOneOrTwo)
{
    box->setCheckedNumGlyphs(0);
    EXPECT_EQ(box->checkedNumGlyphs(), 1);
    box->setCheckedNumGlyphs(7);
    EXPECT_EQ(box->checkedNumGlyphs(), 2);
    QImage wide(56, 14, QImage::Format_ARGB32);
    wide.fill(Qt::red);
    box->setCheckedGlyph(QPixmap::fromImage(wide));
    EXPECT_EQ(box->checkedNumGlyphs(), 2);
}

TEST_F(BitCheckBoxTest, BottomLeftColourOfAnOpaqueGlyphIsLeftOut)
{
    QImage image(14, 14, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    image.setPixelColor(7, 7, Qt::black);
    box->setCheckedGlyph(QPixmap::fromImage(image));
    box->setChecked(true);
    box->setPublishedColor(Qt::white);
    EXPECT_EQ(colourAt(box, {1, 3}), QColor(Qt::white));
    EXPECT_EQ(colourAt(box, {7, 8}), QColor(Qt::black));
}

TEST_F(BitCheckBoxTest, PublishedPropertiesWorkByName)
{
    kv::SetStringProperty(box, "Caption", "按仓库分页");
    kv::SetOrdinalProperty(box, "State", 2);
    kv::SetStringProperty(box, "Alignment", "taLeftJustify");
    EXPECT_EQ(box->caption(), "按仓库分页");
    EXPECT_EQ(box->state(), TBitCheckBox::cbGrayed);
    EXPECT_EQ(box->alignment(), TBitCheckBox::taLeftJustify);
    EXPECT_EQ(kv::GetStringProperty(box, "Checked"), "False");
    EXPECT_TRUE(kv::setPropertyByPath(box, "Checked", "True"));
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(kv::setPropertyByPath(box, "Left", "40"));
    EXPECT_EQ(box->x(), 40);

    int clicks = 0;
    kv::SetObjectMethod(box, "OnClick", kv::EventHandler([&](QObject *, kv::EventArgs &) { ++clicks; }, "chkPrintClick"));
    kvtest::click(box);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(kv::GetObjectMethod(box, "OnClick").methodName(), "chkPrintClick");
    for (const char *name : {"OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag", "OnMouseMove", "PopupMenu",
                             "DragMode", "Ctl3D", "ParentCtl3D", "TabOrder"})
        EXPECT_TRUE(kv::CheckPropertyExist(box, name)) << name;
}

TEST_F(BitCheckBoxTest, MouseAndFocusEventsReachTheirHandlers)
{
    std::vector<std::string> seen;
    const auto record = [&](const char *name) {
        return kv::EventHandler([&seen, name](QObject *, kv::EventArgs &) { seen.emplace_back(name); });
    };
    box->setEventOnMouseDown(record("down"));
    box->setEventOnMouseUp(record("up"));
    box->setEventOnEnter(record("enter"));
    other->setFocus();
    kvtest::click(box);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"down", "enter", "up"}));
}

// One box dragged onto another: the target decides whether it takes the
// drop, and the source learns where it ended. The platform's part of the
// drag (carrying it over the target) is played by the start handler, as the
// off-screen platform does not carry drags.
TEST_F(BitCheckBoxTest, AutomaticDragReachesTheTargetsDragEvents)
{
    std::vector<std::string> events;
    QObject *endedOn = nullptr;
    QObject *droppedFrom = nullptr;
    bool accept = false;
    bool firstRefused = false;
    const auto carryOverOther = [&] {
        QMimeData data;
        data.setData(kv::ControlEventBridge::dragFormat(), "chkPrint");
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(other, &enter);
        firstRefused = enter.dropAction() == Qt::IgnoreAction;
        accept = true;
        QDragMoveEvent move(QPoint(6, 6), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(other, &move);
        QDropEvent drop(QPointF(6, 6), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(other, &drop);
    };
    box->setDragMode(TBitCheckBox::dmAutomatic);
    box->setEventOnStartDrag(kv::EventHandler([&](QObject *, kv::EventArgs &) {
        events.push_back("start");
        carryOverOther();
    }));
    box->setEventOnEndDrag(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        events.push_back("end");
        endedOn = static_cast<kv::EndDragEventArgs &>(args).target;
    }));
    other->setEventOnDragOver(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        events.push_back("over");
        static_cast<kv::DragEventArgs &>(args).accept = accept;
    }));
    other->setEventOnDragDrop(kv::EventHandler([&](QObject *, kv::EventArgs &args) {
        events.push_back("drop");
        droppedFrom = static_cast<kv::DragEventArgs &>(args).source;
    }));

    kvtest::sendMouse(box, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {5, 5}, Qt::NoModifier);
    kvtest::sendMouse(box, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {40, 5}, Qt::NoModifier);
    kvtest::sendMouse(box, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {40, 5}, Qt::NoModifier);

    EXPECT_EQ(events, (std::vector<std::string>{"start", "over", "over", "drop", "end"}));
    EXPECT_TRUE(firstRefused) << "the handler refused the first time";
    EXPECT_EQ(droppedFrom, box);
    EXPECT_EQ(endedOn, other);
    EXPECT_FALSE(box->isChecked()) << "a drag is no click";
}

TEST_F(BitCheckBoxTest, ManualDragModeStartsNoDrag)
{
    int starts = 0;
    box->setEventOnStartDrag(kv::EventHandler([&](QObject *, kv::EventArgs &) { ++starts; }));
    kvtest::sendMouse(box, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {5, 5}, Qt::NoModifier);
    kvtest::sendMouse(box, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {40, 5}, Qt::NoModifier);
    kvtest::sendMouse(box, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {40, 5}, Qt::NoModifier);
    EXPECT_EQ(starts, 0);
    EXPECT_TRUE(box->isChecked()) << "press and release inside is a click";
}
