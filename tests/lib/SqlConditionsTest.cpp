#include "lib/SqlConditions.h"

#include <gtest/gtest.h>

namespace {

using kv::Variant;
using kv::varArrayOf;

const Variant kRange("\x04");
const Variant kList("\x05");

std::string condition(const Variant &value, int kind, std::string where = {})
{
    kv::SPSQLStr(where, "TC002", value, kind);
    return where;
}

TEST(SpSqlStr, MarkedRangeOfTexts)
{
    std::string where;
    EXPECT_EQ(kv::SPSQLStr(where, "TC002", varArrayOf({kRange, "A001", "A009"}), 1),
              " (TC002 Between 'A001' and 'A009') ");
    EXPECT_EQ(where, "Where  (TC002 Between 'A001' and 'A009') ");

    EXPECT_EQ(condition(varArrayOf({kRange, "A001", "A001"}), 1), "Where  (TC002='A001') ");
    EXPECT_EQ(condition(varArrayOf({kRange, "A001", ""}), 1), "Where  (TC002>= 'A001')");
    EXPECT_EQ(condition(varArrayOf({kRange, Variant::null(), "A009"}), 1),
              "Where  (TC002<= 'A009' OR TC002 IS NULL )");
}

TEST(SpSqlStr, NoBoundLeavesWhereUnchanged)
{
    std::string where = "Where (X=1)";
    EXPECT_EQ(kv::SPSQLStr(where, "TC002", varArrayOf({kRange, "", ""}), 1), "");
    EXPECT_EQ(kv::SPSQLStr(where, "TC002", Variant(), 1), "");
    EXPECT_EQ(kv::SPSQLStr(where, "TC002", varArrayOf({kList, "", Variant::null(), varArrayOf({""})}), 1), "");
    EXPECT_EQ(kv::SPSQLStr(where, "TC002", varArrayOf({kRange, "A", "B"}), 4), "");
    EXPECT_EQ(where, "Where (X=1)");
}

TEST(SpSqlStr, FurtherConditionsAreJoinedWithAnd)
{
    EXPECT_EQ(condition(Variant("A001"), 1, "Where (X=1)"), "Where (X=1) and  (TC002>= 'A001')");
}

TEST(SpSqlStr, ScalarsAndPlainArrays)
{
    EXPECT_EQ(condition(Variant("A001"), 1), "Where  (TC002>= 'A001')");
    EXPECT_EQ(condition(varArrayOf({"A001", "A009"}), 1), "Where  (TC002 Between 'A001' and 'A009') ");
    // A bound that cannot be read (an object, a missing element) is empty.
    EXPECT_EQ(condition(varArrayOf({"A001"}), 1), "Where  (TC002>= 'A001')");
    EXPECT_EQ(condition(varArrayOf({varArrayOf({"x"}), "A009"}), 1), "Where  (TC002<= 'A009' OR TC002 IS NULL )");
}

TEST(SpSqlStr, NumbersAreTrimmedAndUnquoted)
{
    EXPECT_EQ(condition(varArrayOf({kRange, " 10 ", "20"}), 2), "Where  (TC002 Between 10 and 20) ");
    EXPECT_EQ(condition(varArrayOf({kRange, "10", " 10"}), 3), "Where  (TC002=10) ");
    EXPECT_EQ(condition(Variant(12.5), 2), "Where  (TC002>=12.5)");
    EXPECT_EQ(condition(varArrayOf({kRange, "", "-3e2"}), 2), "Where  (TC002<=-3e2 OR TC002 IS NULL )");
}

TEST(SpSqlStr, ListsAreQuotedWhateverTheKind)
{
    const Variant list = varArrayOf({kList, "1", varArrayOf({"2", "display"}), Variant(), "3"});
    EXPECT_EQ(condition(list, 1), "Where (TC002 IN ('1', '2', '3'))");
    EXPECT_EQ(condition(list, 2), "Where (TC002 IN ('1', '2', '3'))");
}

TEST(SpSqlStr, ValuesCannotBreakOutOfTheirLiteral)
{
    EXPECT_EQ(condition(Variant("O'Brien"), 1), "Where  (TC002>= 'O''Brien')");
    EXPECT_EQ(condition(varArrayOf({kRange, "a' OR '1'='1", "z"}), 1),
              "Where  (TC002 Between 'a'' OR ''1''=''1' and 'z') ");
    EXPECT_EQ(condition(varArrayOf({kList, "x');DROP TABLE MOCTC;--"}), 1),
              "Where (TC002 IN ('x'');DROP TABLE MOCTC;--'))");
    std::string where;
    EXPECT_THROW(kv::SPSQLStr(where, "TC002", varArrayOf({kRange, "1) OR (1=1", ""}), 2), kv::SqlConditionError);
    EXPECT_THROW(kv::SPSQLStr(where, "TC002", Variant("1;"), 3), kv::SqlConditionError);
    EXPECT_EQ(where, "");
}

TEST(FindTableAlias, AliasFromTheTextAfterTheTable)
{
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " AS WH ON WH.MC001=TE.TE008"), "WH");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " as wh left join x"), "wh");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " AS WH,$$MOCTE AS TE"), "WH");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " wh LEFT JOIN x"), "WH");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " WH WITH(NOLOCK)"), "WH");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " WH JOIN x"), "WH");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " WH,$$MOCTE TE"), "WH");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", ""), "CMSMC");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " LEFT JOIN x"), "CMSMC");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " WITH (NOLOCK) ON"), "CMSMC");
    EXPECT_EQ(kv::FindTableAlias("CMSMC", " AS"), "CMSMC");
    EXPECT_EQ(kv::FindTableAlias("MOCTC", " MOCTC,$$MOCTE MOCTE"), "MOCTC");
    EXPECT_EQ(kv::FindTableAlias("MOCTC", " A B"), "MOCTC");
}

Variant rules(std::vector<Variant> texts)
{
    texts.insert(texts.begin(), Variant(int(texts.size())));
    return varArrayOf(std::move(texts));
}

TEST(MakeBasePower, ConditionForTheAliasOfEveryRuleTable)
{
    const Variant wh = rules({"CMSMC CMSMC.MC001 IN ('01','02')"});
    EXPECT_EQ(kv::MakeBasePower(wh, "DEMO", "$$MOCTC AS MOCTC LEFT JOIN $$CMSMC AS WH ON WH.MC001=MOCTC.TC007", ""),
              "(( WH.MC001 IN ('01','02') ) or (WH.MC001 is null))");
    // Two occurrences of the table, each under its own alias; lines joined.
    EXPECT_EQ(kv::MakeBasePower(wh, "DEMO",
                                "$$MOCTC MOCTC\r\nLEFT JOIN $$CMSMC A ON x\nLEFT JOIN $$CMSMC B ON y", ""),
              "(( A.MC001 IN ('01','02') ) or (A.MC001 is null)) and (( B.MC001 IN ('01','02') ) or (B.MC001 is "
              "null))");
}

TEST(MakeBasePower, DatabasePrefixWhenTheTextHasNoPlaceholder)
{
    const Variant item = rules({"INVMB INVMB.MB005='A'"});
    const std::string expected = "(( INVMB.MB005='A' ) or (INVMB.MB001 is null))";
    EXPECT_EQ(kv::MakeBasePower(item, "DEMO", "DEMO..INVMB", ""), expected);
    EXPECT_EQ(kv::MakeBasePower(item, "DEMO..", "DEMO..INVMB WHERE 1=1", ""), expected);
    EXPECT_EQ(kv::MakeBasePower(item, "OTHER", "DEMO..INVMB", ""), "");
}

TEST(MakeBasePower, ExcludedAliasesAndAbsentTablesGetNothing)
{
    const Variant wh = rules({"CMSMC CMSMC.MC001='01'"});
    const std::string sql = "$$MOCTC MOCTC LEFT JOIN $$CMSMC AS wh ON x LEFT JOIN $$CMSMC AS WH2 ON y";
    EXPECT_EQ(kv::MakeBasePower(wh, "DEMO", sql, "XX;WH"), "(( WH2.MC001='01' ) or (WH2.MC001 is null))");
    EXPECT_EQ(kv::MakeBasePower(wh, "DEMO", sql, "WH;WH2"), "");
    EXPECT_EQ(kv::MakeBasePower(wh, "DEMO", "$$MOCTC MOCTC", ""), "");
    EXPECT_EQ(kv::MakeBasePower(wh, "DEMO", "$$CMSMCX X", ""), ""); // a longer table name is another table
    EXPECT_EQ(kv::MakeBasePower(Variant(), "DEMO", sql, ""), "");
    EXPECT_EQ(kv::MakeBasePower(rules({}), "DEMO", sql, ""), "");
}

TEST(MakeBasePower, EveryRuleSeesTheWholeText)
{
    // The second rule's table comes first in the text; it must still be
    // restricted, or the user would see rows outside their permission.
    const Variant two = rules({"CMSMC CMSMC.MC001='01'", "CMSMQ CMSMQ.MQ001='A1'"});
    EXPECT_EQ(kv::MakeBasePower(two, "DEMO", "$$CMSMQ Q, $$CMSMC C", ""),
              "(( C.MC001='01' ) or (C.MC001 is null)) and (( Q.MQ001='A1' ) or (Q.MQ001 is null))");
}

TEST(MakeBasePower, UnreadableRulesRaise)
{
    EXPECT_THROW(kv::MakeBasePower(Variant("CMSMC x"), "DEMO", "$$CMSMC", ""), kv::SqlConditionError);
    EXPECT_THROW(kv::MakeBasePower(varArrayOf({3, "CMSMC CMSMC.MC001='1'"}), "DEMO", "$$CMSMC", ""),
                 kv::SqlConditionError);
}

} // namespace
