// Reading SQL texts and connection strings: named parameters and the
// PostgreSQL key=value form.
#include "db/DatabaseError.h"
#include "db/PgConnInfo.h"
#include "db/SqlParameters.h"

#include <gtest/gtest.h>

using namespace slip;

namespace {

TEST(SqlParametersTest, ReplacesNamesOutsideQuotesCommentsAndCasts)
{
    const SqlParameters parsed("SELECT ':A', \"x:B\", c::text -- :C\n"
                               "FROM t /* :D */ WHERE a = :TE004 AND b = :te_2 OR a = :TE004");
    EXPECT_EQ(parsed.positionalSql(), "SELECT ':A', \"x:B\", c::text -- :C\n"
                                      "FROM t /* :D */ WHERE a = ? AND b = ? OR a = ?");
    EXPECT_EQ(parsed.names(), (std::vector<std::string>{"TE004", "te_2", "TE004"}));

    // Doubled quotes stay inside the text; a colon before a digit is no name.
    const SqlParameters quoted("SELECT 'it''s :X' || :Y, '12:30'");
    EXPECT_EQ(quoted.positionalSql(), "SELECT 'it''s :X' || ?, '12:30'");
    EXPECT_EQ(quoted.names(), std::vector<std::string>{"Y"});
}

TEST(SqlParametersTest, RefusesPositionalPlaceholdersAndOpenQuotes)
{
    EXPECT_THROW(SqlParameters("SELECT * FROM t WHERE a = ?"), DatabaseError);
    EXPECT_NO_THROW(SqlParameters("SELECT '?' FROM t"));
    EXPECT_THROW(SqlParameters("SELECT 'open"), DatabaseError);
    EXPECT_THROW(SqlParameters("SELECT 1 /* open"), DatabaseError);
}

TEST(PgConnInfoTest, SplitsKeyValuePairsWithQuotedValues)
{
    const PgConnInfo info("host=127.0.0.1 port = 5433 dbname=erp user=qrm password='a b\\'c' sslmode=disable "
                          "connect_timeout=5");
    EXPECT_EQ(info.host(), "127.0.0.1");
    EXPECT_EQ(info.port(), 5433);
    EXPECT_EQ(info.database(), "erp");
    EXPECT_EQ(info.user(), "qrm");
    EXPECT_EQ(info.password(), "a b'c");
    EXPECT_EQ(info.otherOptions(), "connect_timeout=5;sslmode=disable");
    EXPECT_EQ(PgConnInfo("dbname=x").port(), 5432);
    EXPECT_EQ(PgConnInfo("dbname=x").host(), "localhost");
}

TEST(PgConnInfoTest, RefusesMalformedText)
{
    EXPECT_THROW(PgConnInfo(""), DatabaseError);
    EXPECT_THROW(PgConnInfo("host"), DatabaseError);
    EXPECT_THROW(PgConnInfo("password='open"), DatabaseError);
    EXPECT_THROW(PgConnInfo("port=54x").port(), DatabaseError);
    EXPECT_THROW(PgConnInfo("port=70000").port(), DatabaseError);
}

} // namespace
