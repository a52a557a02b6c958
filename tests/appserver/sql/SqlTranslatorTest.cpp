// The translated text of each ERP form on both engines, and the refusals.
#include "sql/SqlTranslator.h"

#include "ErpQueries.h"
#include "TestCatalog.h"

#include <gtest/gtest.h>

namespace {

using slip::SqlDialect;
using slip::SqlError;
using slip::SqlTranslator;
using namespace slip::test;

class SqlTranslatorTest : public testing::Test {
protected:
    std::string lite(const std::string &sql, const std::string &db = "Demo") const
    {
        return SqlTranslator(SqlDialect::SQLite, m_catalog).translate(sql, db).text;
    }

    std::string pg(const std::string &sql, const std::string &db = "Demo") const
    {
        return SqlTranslator(SqlDialect::PostgreSQL, m_catalog).translate(sql, db).text;
    }

    // The error both engines give; they must agree on what is refused.
    SqlError refusal(const std::string &sql) const
    {
        std::optional<SqlError> liteError;
        try {
            lite(sql);
        } catch (const SqlError &e) {
            liteError = e;
        }
        EXPECT_TRUE(liteError) << "accepted: " << sql;
        try {
            pg(sql);
            ADD_FAILURE() << "PostgreSQL accepted: " << sql;
        } catch (const SqlError &e) {
            EXPECT_EQ(std::string(e.what()), liteError ? liteError->what() : "");
        }
        return liteError.value_or(SqlError(0, {}, "none"));
    }

    TestCatalog m_catalog;
};

TEST_F(SqlTranslatorTest, CompanyTablesInEveryWrittenForm)
{
    const std::string twice = "SELECT A.TC001 FROM $$MOCTC A LEFT JOIN $$moctc B ON A.TC001=B.TC001";
    EXPECT_EQ(lite(twice), "SELECT A.TC001 FROM \"Demo\".MOCTC AS A LEFT JOIN \"Demo\".moctc AS B ON A.TC001 = B.TC001");
    EXPECT_EQ(pg(twice), "SELECT \"a\".\"tc001\" FROM \"demo\".\"moctc\" AS \"a\" LEFT JOIN \"demo\".\"moctc\" AS \"b\" "
                         "ON \"a\".\"tc001\" = \"b\".\"tc001\"");

    // The client's own replacement of $$, the plain name and every letter case
    // reach the same table.
    const std::string expected = "SELECT \"tc001\" FROM \"demo\".\"moctc\"";
    EXPECT_EQ(pg("SELECT TC001 FROM Demo..MOCTC"), expected);
    EXPECT_EQ(pg("select tc001 from DEMO..moctc"), expected);
    EXPECT_EQ(pg("SELECT Tc001 FROM Moctc"), expected);
    EXPECT_EQ(lite("SELECT TC001 FROM DEMO..MOCTC"), "SELECT TC001 FROM \"Demo\".MOCTC");

    EXPECT_NE(std::string(refusal("SELECT TC001 FROM Other..MOCTC").what()).find("only the company database"),
              std::string::npos);
    EXPECT_EQ(refusal("SELECT * FROM $$NOSUCH").token(), "NOSUCH");
    EXPECT_EQ(refusal("SELECT * FROM dbo.MOCTC").position(), 18u);
    // Parameters are bound by ASCII name; another name would reach the
    // engine as a stray colon (PostgreSQL: a syntax error).
    EXPECT_NE(std::string(refusal("DELETE FROM $$HOST_COUNTER WHERE COUNTER_NAME = :名称").what()).find("ASCII"),
              std::string::npos);
    EXPECT_NE(std::string(refusal("DELETE FROM $$HOST_COUNTER WHERE COUNTER_NAME = :N\xff\xffME").what()).find("ASCII"),
              std::string::npos);
}

TEST_F(SqlTranslatorTest, NamesAreQuotedWhereTheEngineNeedsIt)
{
    EXPECT_EQ(lite("SELECT [TC001] AS [Order], TC002 \"Select\" FROM $$MOCTC"),
              "SELECT TC001 AS `Order`, TC002 AS `Select` FROM \"Demo\".MOCTC");
    EXPECT_EQ(pg("SELECT [TC001] AS [Order] FROM $$MOCTC"), "SELECT \"tc001\" AS \"order\" FROM \"demo\".\"moctc\"");
    EXPECT_EQ(lite("SELECT 1 AS [a`b]"), "SELECT 1 AS `a``b`");
    EXPECT_EQ(lite("SELECT 1 FROM $$MOCTC", "My\"Db"), "SELECT 1 FROM \"My\"\"Db\".MOCTC");
}

TEST_F(SqlTranslatorTest, InspectionRemarkKeepsTopToItsBranch)
{
    const std::string sql = inspectionRemarkSql("$$", "A110", "20240001", "0001");
    EXPECT_EQ(lite(sql),
              "SELECT * FROM (SELECT TA026, TA027 FROM \"Demo\".QMSTA AS QMSTA WHERE TA001 = 'A110' AND "
              "TA002 = '20240001' AND TA003 = '0001' LIMIT 1) AS top_1 "
              "UNION SELECT TD026 AS TA026, TD027 AS TA027 FROM \"Demo\".QMSTD AS QMSTD WHERE TD001 = 'A110' "
              "AND TD002 = '20240001' AND TD003 = '0001' "
              "UNION SELECT TG026 AS TA026, TG027 AS TA027 FROM \"Demo\".QMSTG AS QMSTG WHERE TG001 = 'A110' "
              "AND TG002 = '20240001' AND TG003 = '0001' ORDER BY TA026 DESC");
    const std::string postgres = pg(inspectionRemarkSql("Demo..", "A110", "20240001", "0001"));
    EXPECT_TRUE(postgres.starts_with("SELECT * FROM (SELECT \"ta026\", \"ta027\" FROM \"demo\".\"qmsta\" "))
        << postgres;
    EXPECT_NE(postgres.find("LIMIT 1) AS \"top_1\" UNION SELECT \"td026\" AS \"ta026\""), std::string::npos);
    EXPECT_TRUE(postgres.ends_with("'0001' ORDER BY \"ta026\" DESC")) << postgres;
}

TEST_F(SqlTranslatorTest, TopOutsideUnionBecomesLimit)
{
    EXPECT_EQ(lite("SELECT DISTINCT TOP (5) TC001 FROM $$MOCTC ORDER BY TC001"),
              "SELECT DISTINCT TC001 FROM \"Demo\".MOCTC ORDER BY TC001 LIMIT 5");
    EXPECT_EQ(lite("SELECT TC001 FROM $$MOCTC WHERE TC002 = (SELECT TOP 1 TE002 FROM $$MOCTE ORDER BY TE002 DESC)"),
              "SELECT TC001 FROM \"Demo\".MOCTC WHERE TC002 = (SELECT TE002 FROM \"Demo\".MOCTE ORDER BY TE002 DESC "
              "LIMIT 1)");
    refusal("SELECT TOP 10 PERCENT TC001 FROM $$MOCTC");
    refusal("SELECT TOP x TC001 FROM $$MOCTC");
}

TEST_F(SqlTranslatorTest, LineTotalsKeepNamedParameters)
{
    const SqlTranslator translator(SqlDialect::SQLite, m_catalog);
    const slip::TranslatedSql result = translator.translate(lineTotalsSql("Demo", true, true), "Demo");
    EXPECT_EQ(result.text,
              "SELECT coalesce(sum(TE005), 0) AS TE005, coalesce(sum(TE021), 0) AS TE021 FROM \"Demo\".MOCTE "
              "WHERE 1 = 1 AND TE004 = :TE004 AND TE006 = :TE006 AND TE001 = :TE001 AND TE002 = :TE002 AND "
              "TEC01 = :TEC01 AND TE008 = :TE008 AND TE010 = :TE010");
    EXPECT_EQ(result.parameters,
              (std::vector<std::string>{"TE004", "TE006", "TE001", "TE002", "TEC01", "TE008", "TE010"}));
    EXPECT_TRUE(pg(lineTotalsSql("Demo", false, false))
                    .starts_with("SELECT coalesce(sum(\"te005\"), 0) AS \"te005\", coalesce(sum(\"te021\"), 0) "
                                 "AS \"te021\" FROM \"demo\".\"mocte\" WHERE 1 = 1 AND \"te004\" = :TE004"));
    const auto repeated = translator.translate("SELECT 1 WHERE :A = :B OR :A = 'x'", "Demo");
    EXPECT_EQ(repeated.parameters, (std::vector<std::string>{"A", "B"}));
}

// The report's own query in every shape translates on both engines, with the
// lot text joined and the quantities subtracted.
TEST_F(SqlTranslatorTest, SlipReportQueryInEveryShape)
{
    for (const bool summary : {false, true}) {
        for (const bool warehouse : {false, true}) {
            const std::string sql = slipReportSql(summary, warehouse, !warehouse);
            const std::string sqlite = lite(sql);
            const std::string postgres = pg(sql);
            EXPECT_EQ(sqlite.find("$$"), std::string::npos);
            EXPECT_NE(sqlite.find(" LEFT JOIN \"Demo\".ADMMF AS A ON MOCTC.TC015 = A.MF001"), std::string::npos);
            EXPECT_NE(postgres.find(" LEFT JOIN \"demo\".\"admmf\" AS \"b\" ON \"moctc\".\"creator\" = \"b\".\"mf001\""),
                      std::string::npos);
            EXPECT_NE(sqlite.find("WHERE 1 = 1 AND TC001 = 'A110' AND TC002 BETWEEN '0001' AND '0009' AND TC009 = 'Y' "
                                  "AND TC010 = 0 AND (CMSMC.MC001 IN ('W01', 'W02') OR CMSMC.MC001 IS NULL) ORDER BY"),
                      std::string::npos)
                << sqlite;
            if (summary) {
                EXPECT_TRUE(sqlite.starts_with("SELECT DISTINCT TC001, "));
                EXPECT_NE(postgres.find("'null' AS \"cmsmc002\""), std::string::npos);
            } else {
                EXPECT_NE(sqlite.find("INVME.ME017 || '-' || INVME.ME018 || '-' || INVME.ME019 AS ME017C"),
                          std::string::npos);
                EXPECT_NE(postgres.find("\"tb004\" - \"tb005\" AS \"tb004c\""), std::string::npos);
            }
        }
    }
}

// An ON condition sees the tables joined so far, as in the ERP's engine;
// SQLite would also see the later ones (CMSMB and INVMB both have MB001).
TEST_F(SqlTranslatorTest, JoinConditionColumnsGetTheTableJoinedSoFar)
{
    const std::string sql = "SELECT TE003, MB002 FROM $$MOCTE AS MOCTE LEFT JOIN $$CMSMB AS CMSMB ON TE006=MB001 "
                            "LEFT JOIN $$INVMB AS INVMB ON TE004=INVMB.MB001 WHERE MB001 IS NULL";
    EXPECT_EQ(lite(sql),
              "SELECT TE003, MB002 FROM \"Demo\".MOCTE AS MOCTE LEFT JOIN \"Demo\".CMSMB AS CMSMB "
              "ON MOCTE.TE006 = CMSMB.MB001 LEFT JOIN \"Demo\".INVMB AS INVMB ON MOCTE.TE004 = INVMB.MB001 "
              "WHERE MB001 IS NULL");
    EXPECT_EQ(pg(sql),
              "SELECT \"te003\", \"mb002\" FROM \"demo\".\"mocte\" AS \"mocte\" LEFT JOIN \"demo\".\"cmsmb\" AS \"cmsmb\" "
              "ON \"mocte\".\"te006\" = \"cmsmb\".\"mb001\" LEFT JOIN \"demo\".\"invmb\" AS \"invmb\" "
              "ON \"mocte\".\"te004\" = \"invmb\".\"mb001\" WHERE \"mb001\" IS NULL");

    // Only a later table has MD001, the catalogue knows no TC004: both stay
    // as written. A table without an alias is named by itself.
    EXPECT_EQ(lite("SELECT 1 FROM $$MOCTC LEFT JOIN $$CMSMB B ON TC004 = B.MB001 AND MD001 = TC001 "
                   "LEFT JOIN $$CMSMD D ON D.MD001 = B.MB002"),
              "SELECT 1 FROM \"Demo\".MOCTC LEFT JOIN \"Demo\".CMSMB AS B ON TC004 = B.MB001 AND MD001 = MOCTC.TC001 "
              "LEFT JOIN \"Demo\".CMSMD AS D ON D.MD001 = B.MB002");
    // A comma starts a new join chain: CMSMB before it is out of reach.
    EXPECT_EQ(lite("SELECT 1 FROM $$CMSMB, $$MOCTE LEFT JOIN $$INVMB I ON TE004 = MB001"),
              "SELECT 1 FROM \"Demo\".CMSMB, \"Demo\".MOCTE LEFT JOIN \"Demo\".INVMB AS I ON MOCTE.TE004 = I.MB001");
    // A sub-query's own columns stay; its references to the joined tables get
    // their table, unless a table of the sub-query goes by the same name.
    EXPECT_EQ(lite("SELECT 1 FROM $$MOCTC LEFT JOIN $$CMSMB M ON MB001 IN (SELECT TE004 FROM $$MOCTE "
                   "WHERE TE001 = TC001) AND EXISTS (SELECT 1 FROM $$MOCTE AS M WHERE TE004 = MB002)"),
              "SELECT 1 FROM \"Demo\".MOCTC LEFT JOIN \"Demo\".CMSMB AS M ON M.MB001 IN (SELECT TE004 FROM "
              "\"Demo\".MOCTE WHERE TE001 = MOCTC.TC001) AND EXISTS (SELECT 1 FROM \"Demo\".MOCTE AS M "
              "WHERE TE004 = MB002)");

    const SqlError twice = refusal("SELECT 1 FROM $$MOCTE LEFT JOIN $$CMSMB AS C ON TE004 = C.MB001 "
                                   "LEFT JOIN $$INVMB AS I ON TE004 = MB001");
    EXPECT_EQ(twice.token(), "MB001");
    EXPECT_NE(std::string(twice.what()).find("ambiguous column name MB001"), std::string::npos);
}

TEST_F(SqlTranslatorTest, ColumnLengthQueryIsAnsweredFromTheCatalogue)
{
    EXPECT_EQ(lite(kLayoutNameLengthSql), "SELECT 20 AS length");
    EXPECT_EQ(pg(kLayoutNameLengthSql), "SELECT 20 AS \"length\"");
    // Conditions and join sides in the other order, other aliases.
    EXPECT_EQ(lite("SELECT c.length AS len FROM sysobjects o JOIN syscolumns c ON c.id = o.id "
                   "WHERE 'NT001' = c.name AND o.name = 'warrant'"),
              "SELECT 40 AS len");
    // Unknown and numeric columns have no declared length: no row, as the
    // system tables would give.
    EXPECT_EQ(lite("select col.length from syscolumns col inner join sysobjects obj on obj.id=col.id "
                   "where obj.name = 'WARRANT' AND col.name ='NT003'"),
              "SELECT 0 AS length WHERE 1 = 0");
    refusal("select name from sysobjects");
    refusal("select col.length from syscolumns col inner join sysobjects obj on obj.id=col.id "
            "where obj.name = 'WARRANT' OR col.name ='NT002'");
}

TEST_F(SqlTranslatorTest, PlusJoinsTextsAndAddsNumbers)
{
    // The lot text of the line query: columns reached through an alias.
    const std::string lot = "SELECT INVME.ME017+'-'+INVME.ME018+'-'+INVME.ME019 AS ME017C FROM $$MOCTE AS MOCTE "
                            "LEFT JOIN $$INVME AS INVME ON INVME.ME001=TE004";
    EXPECT_TRUE(lite(lot).starts_with(
        "SELECT INVME.ME017 || '-' || INVME.ME018 || '-' || INVME.ME019 AS ME017C FROM"));
    EXPECT_EQ(lite("SELECT A.MF002 + TC001, TC010 + 1, TC010 + TE005 FROM $$MOCTC LEFT JOIN $$ADMMF A "
                   "ON A.MF001 = TC015, $$MOCTE"),
              "SELECT A.MF002 || TC001, TC010 + 1, TC010 + TE005 FROM \"Demo\".MOCTC LEFT JOIN \"Demo\".ADMMF AS A "
              "ON A.MF001 = MOCTC.TC015, \"Demo\".MOCTE");
    // A parameter takes the kind of the other side; functions give theirs.
    EXPECT_EQ(lite("SELECT :P + 'x', :P + 1, ISNULL(TC001, '') + RTRIM(:Q), LEN(TC001) + 1 FROM $$MOCTC"),
              "SELECT :P || 'x', :P + 1, coalesce(TC001, '') || rtrim(:Q), length(rtrim(TC001)) + 1 FROM "
              "\"Demo\".MOCTC");
    // A text column in arithmetic is read as a number, as the ERP's engine does.
    EXPECT_EQ(pg("SELECT TC001 + 1 FROM $$MOCTC"), "SELECT CAST(\"tc001\" AS numeric) + 1 FROM \"demo\".\"moctc\"");
    // Columns of a sub-query in FROM keep their kinds.
    EXPECT_EQ(lite("SELECT T.K + '/' FROM (SELECT TC001 AS K FROM $$MOCTC) T"),
              "SELECT T.K || '/' FROM (SELECT TC001 AS K FROM \"Demo\".MOCTC) AS T");

    EXPECT_NE(std::string(refusal("SELECT :A + :B").what()).find("cannot tell"), std::string::npos);
    refusal("SELECT NOSUCH + TC999 FROM $$MOCTC");
    refusal("SELECT GETDATE() + 1");
}

TEST_F(SqlTranslatorTest, ParenthesesFollowTheTreeNotTheText)
{
    EXPECT_EQ(lite("SELECT (TC010 + 1) * 2, TC010 - (TE005 - 1), -(-TC010), ((TC010)) FROM $$MOCTC, $$MOCTE"),
              "SELECT (TC010 + 1) * 2, TC010 - (TE005 - 1), -(-TC010), TC010 FROM \"Demo\".MOCTC, \"Demo\".MOCTE");
    // SQLite binds || above arithmetic, PostgreSQL below: the join is kept whole.
    EXPECT_EQ(lite("SELECT (TC001 + 'x') + 1, TC001 + CAST(TC010 + 1 AS VARCHAR(5)) FROM $$MOCTC"),
              "SELECT (TC001 || 'x') + 1, TC001 || substr(CAST(TC010 + 1 AS TEXT), 1, 5) FROM \"Demo\".MOCTC");
    EXPECT_EQ(lite("SELECT 1 FROM $$MOCTC WHERE NOT (TC001 = 'A' OR TC002 = 'B') AND (TC003 = '1' OR TC009 = 'Y')"),
              "SELECT 1 FROM \"Demo\".MOCTC WHERE NOT (TC001 = 'A' OR TC002 = 'B') AND (TC003 = '1' OR TC009 = 'Y')");
}

TEST_F(SqlTranslatorTest, LiteralsAndComments)
{
    EXPECT_EQ(lite("SELECT 'it''s', N'领料单', -- note\n 1.5e3 /* block\n comment */ FROM $$MOCTC"),
              "SELECT 'it''s', '领料单', 1.5e3 FROM \"Demo\".MOCTC");
    EXPECT_EQ(pg("SELECT '$$MOCTC -- :X' AS t"), "SELECT '$$MOCTC -- :X' AS \"t\"");
    EXPECT_EQ(SqlTranslator(SqlDialect::SQLite, m_catalog).translate("SELECT ':X'", "D").parameters.size(), 0u);
}

TEST_F(SqlTranslatorTest, PredicatesAsTheConditionBuilderWritesThem)
{
    const std::string where = "SELECT TC001 FROM $$MOCTC WHERE 1=1 and (TC001='A110') and  (TC002 Between 'A001' "
                              "and 'A009')  and (TC003 IN ('20240101', '20240102')) and (TC010<> 0 ) and "
                              "(TC014<= '20241231' OR TC014 IS NULL ) and TC009 NOT IN (SELECT 'V')";
    EXPECT_EQ(lite(where),
              "SELECT TC001 FROM \"Demo\".MOCTC WHERE 1 = 1 AND TC001 = 'A110' AND TC002 BETWEEN 'A001' AND 'A009' "
              "AND TC003 IN ('20240101', '20240102') AND TC010 <> 0 AND (TC014 <= '20241231' OR TC014 IS NULL) "
              "AND TC009 NOT IN (SELECT 'V')");
    EXPECT_EQ(lite("SELECT 1 FROM $$MOCTC WHERE TC001 LIKE 'a%' AND TC002 NOT LIKE '%!_%' ESCAPE '!' "
                   "AND EXISTS (SELECT 1 FROM $$MOCTE WHERE TE001 = TC001) AND TC003 IS NOT NULL"),
              "SELECT 1 FROM \"Demo\".MOCTC WHERE TC001 LIKE 'a%' AND TC002 NOT LIKE '%!_%' ESCAPE '!' "
              "AND EXISTS (SELECT 1 FROM \"Demo\".MOCTE WHERE TE001 = TC001) AND TC003 IS NOT NULL");
    // The ERP matches without regard to case and with no escape character.
    EXPECT_EQ(pg("SELECT 1 FROM $$MOCTC WHERE TC001 LIKE 'a\\%'"),
              "SELECT 1 FROM \"demo\".\"moctc\" WHERE \"tc001\" ILIKE 'a\\%' ESCAPE ''");
    refusal("SELECT 1 FROM $$MOCTC WHERE TC001 LIKE '[A-C]%'");
}

TEST_F(SqlTranslatorTest, CaseCastConvertAndFunctions)
{
    EXPECT_EQ(lite("SELECT CASE TC009 WHEN 'Y' THEN N'已审核' ELSE '' END + '!', "
                   "CASE WHEN TC010 > 0 THEN 1 END FROM $$MOCTC"),
              "SELECT CASE TC009 WHEN 'Y' THEN '已审核' ELSE '' END || '!', CASE WHEN TC010 > 0 THEN 1 END "
              "FROM \"Demo\".MOCTC");
    EXPECT_EQ(lite("SELECT CONVERT(VARCHAR(8), GETDATE(), 112), CONVERT(CHAR(3), TC001), CAST(TC001 AS INT), "
                   "CAST(TE005 AS NUMERIC(16,2)), CONVERT(NVARCHAR(MAX), TC010) FROM $$MOCTC, $$MOCTE"),
              "SELECT substr(strftime('%Y%m%d', datetime('now', 'localtime')), 1, 8), "
              "substr(CAST(TC001 AS TEXT) || '   ', 1, 3), CAST(TC001 AS INTEGER), round(CAST(TE005 AS REAL), 2), "
              "CAST(TC010 AS TEXT) FROM \"Demo\".MOCTC, \"Demo\".MOCTE");
    EXPECT_EQ(pg("SELECT CONVERT(VARCHAR(8), GETDATE(), 112), CAST(TE005 AS DECIMAL(16,2)), CAST(TC001 AS CHAR(3)) "
                 "FROM $$MOCTE, $$MOCTC"),
              "SELECT CAST(to_char(localtimestamp(0), 'YYYYMMDD') AS varchar(8)), "
              "CAST(\"te005\" AS numeric(16, 2)), rpad(CAST(\"tc001\" AS text), 3) FROM \"demo\".\"mocte\", "
              "\"demo\".\"moctc\"");
    EXPECT_EQ(lite("SELECT SUBSTRING(TC002, 1, 4), LEFT(TC002, 2), RIGHT(TC002, 2), CHARINDEX('-', TC002), "
                   "COUNT(*), COUNT(DISTINCT TC001), UPPER(TC001) FROM $$MOCTC"),
              "SELECT substr(TC002, 1, 4), substr(TC002, 1, 2), substr(TC002, max(length(TC002) - (2) + 1, 1)), "
              "instr(TC002, '-'), count(*), count(DISTINCT TC001), upper(TC001) FROM \"Demo\".MOCTC");
    EXPECT_EQ(pg("SELECT RIGHT(TC002, 2), CHARINDEX('-', TC002) FROM $$MOCTC"),
              "SELECT right(\"tc002\", 2), strpos(\"tc002\", '-') FROM \"demo\".\"moctc\"");
    // PostgreSQL reads no number as text by itself.
    EXPECT_EQ(pg("SELECT LEN(TC010) FROM $$MOCTC WHERE TC010 LIKE '1%'"),
              "SELECT length(rtrim(CAST(\"tc010\" AS text))) FROM \"demo\".\"moctc\" "
              "WHERE CAST(\"tc010\" AS text) ILIKE '1%' ESCAPE ''");

    EXPECT_EQ(refusal("SELECT DATEADD(day, 1, GETDATE())").token(), "DATEADD");
    refusal("SELECT ISNULL(TC001) FROM $$MOCTC");
    refusal("SELECT UPPER(DISTINCT TC001) FROM $$MOCTC");
    refusal("SELECT CONVERT(VARCHAR(10), GETDATE())");
    refusal("SELECT CAST(TC001 AS DATETIME) FROM $$MOCTC");
    refusal("SELECT CAST(TC001 AS CHAR(2000000000)) FROM $$MOCTC");
    refusal("SELECT CAST(TC001 AS NUMERIC(MAX)) FROM $$MOCTC");
}

TEST_F(SqlTranslatorTest, StatementsTheServerSends)
{
    // The send log row, with a Chinese message.
    EXPECT_EQ(lite("INSERT INTO $$ADMTA (COMPANY,CREATOR,USR_GROUP,CREATE_DATE,FLAG,TA001,TA002,TA003,TA004,TA005,"
                   "TA006) VALUES('C01','U01','G1','20240105','1','QIPR07','S01|13800000000','Y','传送完成',"
                   "'10:30:00','20240105')"),
              "INSERT INTO \"Demo\".ADMTA (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, FLAG, TA001, TA002, TA003, "
              "TA004, TA005, TA006) VALUES ('C01', 'U01', 'G1', '20240105', '1', 'QIPR07', 'S01|13800000000', 'Y', "
              "'传送完成', '10:30:00', '20240105')");
    EXPECT_EQ(pg("UPDATE $$MOCTC SET MOCTC.TC010 = TC010 + 1 WHERE TC001='A110' and TC002='0001'"),
              "UPDATE \"demo\".\"moctc\" SET \"tc010\" = \"tc010\" + 1 WHERE \"tc001\" = 'A110' AND \"tc002\" = '0001'");
    EXPECT_EQ(lite("DELETE $$WARRANT WHERE NT001 = 'TfrmQipr07Fmt' AND NT002 = N'格式一';"),
              "DELETE FROM \"Demo\".WARRANT WHERE NT001 = 'TfrmQipr07Fmt' AND NT002 = '格式一'");
    EXPECT_EQ(lite("INSERT $$WARRANT (NT001, NT002) SELECT TC001, TC002 FROM $$MOCTC"),
              "INSERT INTO \"Demo\".WARRANT (NT001, NT002) SELECT TC001, TC002 FROM \"Demo\".MOCTC");
}

// What is not understood is refused with the position and token, never
// passed on.
TEST_F(SqlTranslatorTest, RefusalsNameThePlace)
{
    const SqlError mark = refusal("SELECT TC001 FROM $$MOCTC, $$MOCTE WHERE TC001=TE001(+)");
    EXPECT_EQ(mark.position(), 52u);
    EXPECT_NE(std::string(mark.what()).find("(+)"), std::string::npos);

    const SqlError open = refusal("SELECT 'abc FROM $$MOCTC");
    EXPECT_EQ(open.position(), 7u);
    EXPECT_NE(std::string(open.what()).find("position 8 near ''abc FROM $$'"), std::string::npos);

    EXPECT_EQ(refusal("SELECT 1; DROP TABLE X").token(), "DROP");
    EXPECT_EQ(refusal("SELECT TC001 = TC002 FROM $$MOCTC").position(), 7u);
    EXPECT_EQ(refusal("SELECT 1 FROM $$MOCTC WHERE TC001").token(), "TC001");
    EXPECT_EQ(refusal("SELECT 1 FROM $$MOCTC WHERE TC001 = 'A' AND").token(), "");
    refusal("SELECT 1 UNION SELECT 2 EXCEPT SELECT 3");
    refusal("SELECT @x");
    refusal("SELECT 1 /* open");
    refusal("SELECT $$ FROM X");
    refusal("SELECT : FROM X");
    refusal("SELECT 12AB");
    refusal("SELECT TC001 INTO #tmp FROM $$MOCTC");
    refusal("UPDATE $$MOCTC SET TC010 = 1 FROM $$MOCTE");
    refusal("SELECT * FROM (SELECT 1)");
    refusal("SELECT A.B.C FROM $$MOCTC");
    refusal("EXEC sp_who");
    EXPECT_THROW(lite("SELECT 1", ""), SqlError);
    EXPECT_EQ(refusal("SELECT '领料单领料单").token(), "'领料单领");
}

// "t.*" is a select item of its own: as an operand, a function argument or
// with an alias the engines could not parse the translation.
TEST_F(SqlTranslatorTest, QualifiedStarOnlyAsASelectItem)
{
    EXPECT_EQ(lite("SELECT MOCTC.*, TC001 FROM $$MOCTC AS MOCTC"),
              "SELECT MOCTC.*, TC001 FROM \"Demo\".MOCTC AS MOCTC");
    EXPECT_EQ(refusal("SELECT S*tc.*").position(), 12u);
    EXPECT_EQ(refusal("SELECT 1 FROM $$MOCTC AS tc WHERE tc.* = 1").token(), "*");
    refusal("SELECT COUNT(tc.*) FROM $$MOCTC AS tc");
    refusal("SELECT tc.* AS x FROM $$MOCTC AS tc");
}

// Deep nesting is refused; long flat chains, as permission filters and
// condition lists make them, are not.
TEST_F(SqlTranslatorTest, NestingIsBoundedChainsAreNot)
{
    std::string nested = "SELECT " + std::string(100, '(') + "1" + std::string(100, ')');
    EXPECT_NE(std::string(refusal(nested).what()).find("nested too deeply"), std::string::npos);
    refusal("SELECT " + std::string(200, '-') + "1");
    refusal("SELECT 1 WHERE " + std::string(200, 'N') + " 1 = 1");

    std::string chain = "SELECT TC001";
    std::string where = " FROM $$MOCTC WHERE TC001 = 'A'";
    for (int i = 0; i < 2000; ++i) {
        chain += " + 'x'";
        where += " AND TC002 = 'B'";
    }
    const std::string translated = lite(chain + where);
    EXPECT_TRUE(translated.starts_with("SELECT TC001 || 'x' || 'x'"));
    EXPECT_NE(translated.find("'x' || 'x' FROM \"Demo\".MOCTC WHERE TC001 = 'A' AND TC002 = 'B' AND"),
              std::string::npos);
    EXPECT_TRUE(translated.ends_with("'B' AND TC002 = 'B'"));
}

} // namespace
