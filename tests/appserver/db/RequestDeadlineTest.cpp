// The request time limit on both engines: a statement running past it is
// stopped with RequestTimeoutError, a transaction it stopped is undone, and
// the thread's connection serves the next statement.
#include "DbTestSupport.h"

#include "db/RequestDeadline.h"
#include "db/Transaction.h"

#include <QElapsedTimer>

#include <thread>

#include <gmock/gmock.h>

namespace {

using namespace std::chrono_literals;
using slip::RequestDeadline;
using slip::RequestTimeoutError;

// Counts to a billion: minutes on either engine, and no table is touched.
const char *const kSlowCount = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000000) "
                               "SELECT COUNT(*) FROM n";

class RequestDeadlineTest : public dbtest::EngineTest {
protected:
    std::int64_t countOf(const std::string &table)
    {
        return db().query("SELECT COUNT(*) FROM " + table).integer(0, 0);
    }
};

TEST_P(RequestDeadlineTest, AStatementPastTheLimitIsStoppedAndTheConnectionGoesOn)
{
    QElapsedTimer timer;
    timer.start();
    {
        RequestDeadline deadline(300ms);
        try {
            db().query(kSlowCount);
            FAIL() << "the count ran to its end";
        } catch (const RequestTimeoutError &error) {
            EXPECT_THAT(error.what(), testing::HasSubstr("time limit of 300 ms"));
            EXPECT_THAT(error.what(), testing::HasSubstr("WITH RECURSIVE"));
        }
        EXPECT_TRUE(deadline.stoppedStatement());
        EXPECT_GE(timer.elapsed(), 290);
        EXPECT_LT(timer.elapsed(), 10000);
        // Past the limit the request starts no further statement.
        EXPECT_THROW(db().query("SELECT 1"), RequestTimeoutError);
    }
    // The same connection serves the next request.
    EXPECT_EQ(db().query("SELECT 41 + 1").integer(0, 0), 42);
    RequestDeadline next(60s);
    EXPECT_EQ(db().query("SELECT 6 * 7").integer(0, 0), 42);
    EXPECT_FALSE(next.stoppedStatement());
}

TEST_P(RequestDeadlineTest, ATransactionWhoseStatementWasStoppedIsUndone)
{
    const std::string company = env->createCompany("RD");
    const std::string table = env->table(company, "MOCTC");
    {
        RequestDeadline deadline(300ms);
        try {
            slip::Transaction transaction(db());
            db().execute("INSERT INTO " + table + " (TC001, TC002) VALUES ('5401', 'X1')");
            db().query(kSlowCount);
            transaction.commit();
            FAIL() << "the count ran to its end";
        } catch (const RequestTimeoutError &) {
        }
        EXPECT_TRUE(deadline.stoppedStatement());
    }
    EXPECT_EQ(db().transactionDepth(), 0);
    EXPECT_EQ(countOf(table), 0);
    slip::Transaction transaction(db());
    db().execute("INSERT INTO " + table + " (TC001, TC002) VALUES ('5401', 'X2')");
    transaction.commit();
    EXPECT_EQ(countOf(table), 1);
}

// A connection that served a request with a short limit must not keep that
// limit for a later request allowed longer.
TEST_P(RequestDeadlineTest, ALaterRequestGetsItsOwnLimit)
{
    {
        RequestDeadline shortOne(1s);
        EXPECT_EQ(db().query("SELECT 1").integer(0, 0), 1);
    }
    const std::string pause = GetParam() == slip::DbEngine::PostgreSQL
                                  ? "SELECT COUNT(*) FROM (SELECT pg_sleep(1.5)) AS s"
                                  : "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000000) "
                                    "SELECT COUNT(*) FROM n";
    QElapsedTimer timer;
    timer.start();
    RequestDeadline longOne(60s);
    EXPECT_EQ(db().query(pause).integer(0, 0), GetParam() == slip::DbEngine::PostgreSQL ? 1 : 3000000);
    EXPECT_FALSE(longOne.stoppedStatement());
    if (GetParam() == slip::DbEngine::PostgreSQL) {
        EXPECT_GE(timer.elapsed(), 1400);
    }
}

// Nor may it keep what was left of an earlier request's limit: a request
// that starts with its whole second must get that second.
TEST_P(RequestDeadlineTest, ALaterRequestIsNotStoppedByWhatWasLeftOfAnEarlierOne)
{
    {
        RequestDeadline first(1s);
        std::this_thread::sleep_for(650ms);
        EXPECT_EQ(db().query("SELECT 1").integer(0, 0), 1);
    }
    const std::string pause = GetParam() == slip::DbEngine::PostgreSQL
                                  ? "SELECT COUNT(*) FROM (SELECT pg_sleep(0.5)) AS s"
                                  : "SELECT 1";
    RequestDeadline second(1s);
    EXPECT_NO_THROW(db().query(pause));
    EXPECT_FALSE(second.stoppedStatement());
}

DBTEST_ON_BOTH_ENGINES(RequestDeadlineTest);

} // namespace
