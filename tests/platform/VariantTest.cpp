#include "platform/Variant.h"

#include <QDate>

#include <gtest/gtest.h>

#include <cmath>

using kv::Variant;
using kv::VariantArray;
using kv::VarType;

TEST(Variant, EmptyAndNullAreDistinctAndCastDifferently)
{
    Variant empty;
    Variant null = Variant::null();
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(empty == null);
    EXPECT_EQ(empty.toText(), "");
    EXPECT_EQ(empty.toInt(), 0);
    EXPECT_THROW(null.toText(), kv::VariantError);
    EXPECT_EQ(kv::varToStr(null), "");
}

TEST(Variant, TextCastsFollowAutomationRules)
{
    EXPECT_EQ(Variant("42").toInt(), 42);
    EXPECT_DOUBLE_EQ(Variant(" 2.5 ").toDouble(), 2.5);
    EXPECT_THROW(Variant("abc").toInt(), kv::VariantError);
    EXPECT_THROW(Variant("1.5x").toDouble(), kv::VariantError);
    EXPECT_TRUE(Variant("True").toBool());
    EXPECT_FALSE(Variant(0).toBool());
    EXPECT_EQ(Variant(true).toInt(), -1);
}

TEST(Variant, DatesCountDaysFromTheOleEpoch)
{
    const kv::OleDate date = kv::OleDate::fromYmd(2026, 12, 7);
    EXPECT_EQ(date.toDate(), QDate(2026, 12, 7));
    EXPECT_DOUBLE_EQ(kv::OleDate::fromYmd(1899, 12, 31).value, 1.0);
    EXPECT_EQ(kv::OleDate{2958465.5}.toDateTime(), QDateTime(QDate(9999, 12, 31), QTime(12, 0)));
    EXPECT_EQ(kv::OleDate{-657434.0}.toDate(), QDate(100, 1, 1));
    // Out of the range, as a peer may send it: no date, and its text is empty.
    for (const double outside : {1.14026e34, -1e300, 2958466.0, std::nan(""), HUGE_VAL}) {
        EXPECT_FALSE(kv::OleDate{outside}.toDateTime().isValid()) << outside;
        EXPECT_EQ(Variant(kv::OleDate{outside}).toText(), "") << outside;
    }
}

TEST(Variant, ArraysKeepBoundsAndCopyDeeply)
{
    VariantArray grid({0, 1}, {1, 3});
    grid.at(1, 3) = Variant("x");
    Variant original(grid);
    Variant copy = original;
    copy.array().at(1, 3) = Variant("y");
    EXPECT_EQ(original.array().at(1, 3).toText(), "x");
    EXPECT_EQ(original.array().lowBound(2), 1);
    EXPECT_EQ(original.array().highBound(2), 3);
    EXPECT_THROW(original.array().at(2, 1), kv::VariantError);
}

TEST(Variant, ReferenceArgumentsWriteThrough)
{
    Variant target(1);
    Variant reference = Variant::ref(target);
    EXPECT_EQ(reference.deref().toInt(), 1);
    reference.assign(Variant("written"));
    EXPECT_EQ(target.toText(), "written");
}

TEST(Variant, ExtremeBoundsAreRefusedNotOverflowed)
{
    EXPECT_EQ((kv::ArrayBounds{INT32_MIN, INT32_MAX}.count()), std::int64_t(1) << 32);
    EXPECT_THROW(VariantArray(kv::ArrayBounds{INT32_MIN, INT32_MAX}), kv::VariantError);
    EXPECT_THROW(VariantArray({0, 99999}, {0, 99999}), kv::VariantError);
    VariantArray row({5, 7});
    row.redim(9);
    EXPECT_EQ(row.elementCount(), 5u);
}
