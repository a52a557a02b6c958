// The arithmetic behind the designer's commands: grid snapping, alignment,
// sizing, scaling, handle resizing and the stored hot key.

#include "platform/designer/DesignGeometry.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::design;

TEST(DesignGeometry, SnapsToTheNearestGridLineOnBothSidesOfZero)
{
    EXPECT_EQ(snap(13, 4), 12);
    EXPECT_EQ(snap(14, 4), 16);
    EXPECT_EQ(snap(-5, 4), -4);
    EXPECT_EQ(snap(-7, 4), -8);
    EXPECT_EQ(snap(13, 1), 13); // no grid
    EXPECT_EQ(snap(13, 0), 13);
    EXPECT_EQ(snapped(QRect(13, 7, 5, 5), 4), QRect(12, 8, 5, 5));
}

TEST(DesignGeometry, AlignsAcrossToTheFirstRect)
{
    std::vector<QRect> rects{QRect(20, 0, 40, 10), QRect(5, 20, 10, 10), QRect(90, 40, 20, 10)};
    auto left = rects;
    alignHorizontal(left, HorzAlign::Left, 500);
    EXPECT_EQ(left[1].left(), 20);
    EXPECT_EQ(left[2].left(), 20);
    auto right = rects;
    alignHorizontal(right, HorzAlign::Right, 500);
    EXPECT_EQ(right[1].left() + right[1].width(), 60);
    EXPECT_EQ(right[2].left() + right[2].width(), 60);
    auto centres = rects;
    alignHorizontal(centres, HorzAlign::Centers, 500);
    EXPECT_EQ(centres[1].left(), 35);
    EXPECT_EQ(centres[2].left(), 30);
    // Only positions move.
    EXPECT_EQ(centres[2].size(), QSize(20, 10));
}

TEST(DesignGeometry, SpacesEquallyBetweenTheOutermostAndCentresTheGroupInTheBand)
{
    // Sorted by position: 0..10, 12..32, 90..100; the gaps become 30 each.
    std::vector<QRect> rects{QRect(90, 0, 10, 5), QRect(0, 0, 10, 5), QRect(12, 0, 20, 5)};
    alignHorizontal(rects, HorzAlign::SpaceEqually, 0);
    EXPECT_EQ(rects[1].left(), 0);
    EXPECT_EQ(rects[2].left(), 40);
    EXPECT_EQ(rects[0].left(), 90);

    std::vector<QRect> group{QRect(10, 0, 20, 5), QRect(50, 0, 20, 5)};
    alignHorizontal(group, HorzAlign::CenterInBand, 200);
    EXPECT_EQ(group[0].left(), 70); // the group 10..70 keeps its shape
    EXPECT_EQ(group[1].left(), 110);

    std::vector<QRect> down{QRect(0, 2, 5, 10), QRect(0, 30, 5, 4)};
    alignVertical(down, VertAlign::Bottoms, 0);
    EXPECT_EQ(down[1].top(), 8);
    alignVertical(down, VertAlign::CenterInBand, 40);
    EXPECT_EQ(down[0].top(), 15);
    // Two rects have nothing to space.
    std::vector<QRect> two{QRect(0, 0, 5, 5), QRect(50, 0, 5, 5)};
    alignHorizontal(two, HorzAlign::SpaceEqually, 0);
    EXPECT_EQ(two[1].left(), 50);
}

TEST(DesignGeometry, SizesToSmallestLargestOrAFixedValue)
{
    std::vector<QRect> rects{QRect(0, 0, 30, 8), QRect(0, 0, 50, 20)};
    auto grow = rects;
    applySize(grow, SizeRule::Grow, 0, SizeRule::Shrink, 0);
    EXPECT_EQ(grow[0].size(), QSize(50, 8));
    EXPECT_EQ(grow[1].size(), QSize(50, 8));
    auto fixed = rects;
    applySize(fixed, SizeRule::Fixed, 12, SizeRule::NoChange, 99);
    EXPECT_EQ(fixed[0].size(), QSize(12, 8));
    EXPECT_EQ(fixed[1].size(), QSize(12, 20));
    applySize(fixed, SizeRule::Fixed, 0, SizeRule::NoChange, 0);
    EXPECT_EQ(fixed[0].width(), 1); // never empty
}

TEST(DesignGeometry, ScalesPositionAndSizeAndKeepsTinyRectsVisible)
{
    EXPECT_EQ(scaled(QRect(10, 20, 50, 21), 50), QRect(5, 10, 25, 11));
    EXPECT_EQ(scaled(QRect(10, 20, 1, 1), 10), QRect(1, 2, 1, 1));
    EXPECT_EQ(scaled(QRect(10, 20, 30, 40), 200), QRect(20, 40, 60, 80));
}

TEST(DesignGeometry, HandlesMoveTheirEdgesOntoTheGridAndNeverInvert)
{
    const QRect box(10, 10, 50, 20);
    EXPECT_EQ(resized(box, 4, QPoint(9, 7), 4), QRect(10, 10, 58, 26));  // bottom right
    EXPECT_EQ(resized(box, 1, QPoint(30, -3), 1), QRect(10, 7, 50, 23)); // top: only the top edge
    EXPECT_EQ(resized(box, 7, QPoint(100, 0), 1), QRect(59, 10, 1, 20)); // left past the right edge
    EXPECT_EQ(resized(box, 0, QPoint(-4, -4), 1), QRect(6, 6, 54, 24));
}

TEST(DesignGeometry, ReadsStoredShortCuts)
{
    EXPECT_EQ(shortCutToKeySequence(16507), QKeySequence(Qt::CTRL | Qt::Key_F12));
    EXPECT_EQ(shortCutToKeySequence(0x4000 + 'S'), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(shortCutToKeySequence(0x2000 + 0x8000 + 0x70), QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_F1));
    EXPECT_TRUE(shortCutToKeySequence(0).isEmpty());
    EXPECT_TRUE(shortCutToKeySequence(0x4000 + 0x05).isEmpty());
}
