#include "lib/DateText.h"

#include <gtest/gtest.h>

namespace {

using kv::Variant;

TEST(DateText, DayTextInEveryKind)
{
    const QDate march5(2005, 3, 5);
    EXPECT_EQ(kv::DateToString(march5, 1, "/"), "2005/03/05");
    EXPECT_EQ(kv::DateToString(march5, 2, "/"), "03/05/2005");
    EXPECT_EQ(kv::DateToString(march5, 3, "/"), "05/03/2005");
    EXPECT_EQ(kv::DateToString(march5, 4, "/"), "94/03/05");
    EXPECT_EQ(kv::DateToString(march5, 5, "/"), "094/03/05");
    // The width is a minimum: ROC year 113 needs three digits in kind 4 too.
    EXPECT_EQ(kv::DateToString(QDate(2024, 3, 5), 4, "/"), "113/03/05");
    EXPECT_EQ(kv::DateToString(QDate(2024, 3, 5), 1, ""), "20240305");
    EXPECT_EQ(kv::DateToString(QDate(2024, 3, 5), 1, "-/"), "2024-03-05");
    EXPECT_EQ(kv::DateToString(QDate(2024, 3, 5), 1, "年月"), "2024年03年05");
    EXPECT_EQ(kv::DateToString(QDate(), 1, "/"), "");
    EXPECT_EQ(kv::DateToString(march5, 6, "/"), "");
}

TEST(DateText, MonthTextInEveryKind)
{
    const QDate march5(2005, 3, 5);
    EXPECT_EQ(kv::MonthToString(march5, 1, "/"), "2005/03");
    EXPECT_EQ(kv::MonthToString(march5, 3, "/"), "03/2005");
    EXPECT_EQ(kv::MonthToString(march5, 5, ""), "09403");
    EXPECT_EQ(kv::MonthToString(QDate(), 1, "/"), "");
}

TEST(DateText, ReadingAndCheckingDateText)
{
    EXPECT_EQ(kv::TransDateIn("20240229"), QDate(2024, 2, 29));
    for (const char *bad : {"2024030", "202403051", "20230229", "2024AB05", "00000101", "20241300", "2024 305",
                            "+2024035"})
        EXPECT_TRUE(kv::TransDateIn(bad).isNull()) << bad;

    EXPECT_TRUE(kv::CheckDate(""));
    EXPECT_TRUE(kv::CheckDate("17530101"));
    EXPECT_TRUE(kv::CheckDate("99991231"));
    EXPECT_FALSE(kv::CheckDate("20240230"));
    EXPECT_FALSE(kv::CheckDate("17521231"));
    EXPECT_FALSE(kv::CheckDate("2024030"));
    EXPECT_FALSE(kv::CheckDate("202403051")); // a date followed by more text is no date text
}

TEST(DateText, DaysInMonth)
{
    EXPECT_EQ(kv::DaysInMonthOf(2024, 2), 29);
    EXPECT_EQ(kv::DaysInMonthOf(1900, 2), 28);
    EXPECT_EQ(kv::DaysInMonthOf(2000, 2), 29);
    EXPECT_EQ(kv::DaysInMonthOf(2023, 13), 0);
}

TEST(DateText, AddingMonthsDaysAndYears)
{
    EXPECT_EQ(kv::AddToDate(Variant("20240131"), "M", 1), "20240229");
    EXPECT_EQ(kv::AddToDate(Variant("20241215"), "M", 1), "20250115");
    EXPECT_EQ(kv::AddToDate(Variant("20240315"), "M", -3), "20231215");
    EXPECT_EQ(kv::AddToDate(Variant("20240315"), "m", -15), "20221215");
    EXPECT_EQ(kv::AddToDate(Variant("20241231"), "D", 1), "20250101");
    EXPECT_EQ(kv::AddToDate(Variant("20240229"), "Y", 1), "20250228");
    EXPECT_EQ(kv::AddToDate(Variant(kv::OleDate::fromYmd(2024, 3, 1)), "D", -1), "20240229");
}

TEST(DateText, AddingToAnUnusableBaseGivesNothing)
{
    EXPECT_EQ(kv::AddToDate(Variant("2024031"), "D", 1), "");
    EXPECT_EQ(kv::AddToDate(Variant(20240315), "D", 1), "");
    EXPECT_EQ(kv::AddToDate(Variant(kv::OleDate{}), "D", 1), "");
    EXPECT_EQ(kv::AddToDate(Variant("20240315"), "W", 1), "");
}

TEST(DateText, RelativeDates)
{
    EXPECT_EQ(kv::UpdateDate("202403", "-1", "1", "0", "0"), "202402");
    EXPECT_EQ(kv::UpdateDate("202401", "-1", "1", "0", "0"), "202312");
    // Months, then an anchor: days added, first or last day of the month.
    EXPECT_EQ(kv::UpdateDate("20240315", "1", "1", "2", "0"), "20240430");
    EXPECT_EQ(kv::UpdateDate("20240131", "1", "1", "2", "0"), "20240229");
    EXPECT_EQ(kv::UpdateDate("20240315", "1", "1", "1", "0"), "20240401");
    EXPECT_EQ(kv::UpdateDate("20240315", "-2", "1", "0", "20"), "20240204");
    // Weeks: 2024-03-13 is a Wednesday.
    EXPECT_EQ(kv::UpdateDate("20240313", "0", "0", "1", "0"), "20240310");
    EXPECT_EQ(kv::UpdateDate("20240313", "0", "0", "2", "0"), "20240316");
    EXPECT_EQ(kv::UpdateDate("20240310", "1", "0", "2", "0"), "20240323");
    EXPECT_EQ(kv::UpdateDate("20240313", "-1", "0", "0", "3"), "20240309");
}

TEST(DateText, RelativeDateWithTextThatIsNoNumberRaises)
{
    EXPECT_THROW(kv::UpdateDate("20240313", "x", "0", "0", "0"), kv::ConvertError);
    EXPECT_THROW(kv::UpdateDate("20240313", "1", "0", "0", ""), kv::ConvertError);
    EXPECT_THROW(kv::UpdateDate("20240313", "1", "1", "one", "0"), kv::ConvertError);
    EXPECT_THROW(kv::UpdateDate("202403", "1.5", "1", "0", "0"), kv::ConvertError);
    // A huge week count must not overflow; it simply leaves the calendar.
    EXPECT_EQ(kv::UpdateDate("20240313", "2147483647", "0", "0", "2147483647"), "");
}

} // namespace
