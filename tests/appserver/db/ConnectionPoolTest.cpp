// The pool hands connections from thread to thread: a connection given back
// serves the next thread with its session and its slot state intact, one in
// a transaction stays with its thread, and more threads than connections are
// all served when each holds one only while it works.
#include "DbTestSupport.h"

#include "db/ConnectionPool.h"
#include "db/DatabaseError.h"
#include "db/RequestDeadline.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using slip::ConnectionPool;

struct CountingPool {
    std::atomic<int> opened{0};
    std::shared_ptr<ConnectionPool> pool;

    explicit CountingPool(int maxConnections, std::chrono::milliseconds wait = 30s)
    {
        pool = std::make_shared<ConnectionPool>(slip::uniqueConnectionPrefix("pooltest"), maxConnections,
                                                [this](const QString &name) {
                                                    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
                                                    db.setDatabaseName(":memory:");
                                                    if (!db.open())
                                                        throw slip::DatabaseError("cannot open");
                                                    ++opened;
                                                },
                                                wait);
    }
};

// Runs a statement on the calling thread's connection; false when QtSql
// refuses the connection on this thread or the statement fails.
bool run(ConnectionPool &pool, const QString &sql)
{
    QSqlDatabase db = QSqlDatabase::database(pool.current().name, false);
    if (!db.isValid())
        return false;
    QSqlQuery query(db);
    return query.exec(sql);
}

TEST(ConnectionPoolTest, AConnectionHandedBackServesTheNextThreadWithItsState)
{
    CountingPool counting(1);
    ConnectionPool &pool = *counting.pool;
    std::thread([&] {
        ASSERT_TRUE(run(pool, "CREATE TEMP TABLE MARK (X)"));
        ConnectionPool::Slot &slot = pool.current();
        slot.statementTimeoutMs = 1234;
        slot.attached.insert("DEMO");
        slot.attachGeneration = 7;
        ConnectionPool::returnThreadConnections();
    }).join();
    EXPECT_EQ(pool.idleConnections(), 1);

    bool sawTable = false;
    ConnectionPool::Slot taken;
    std::thread([&] {
        // The same session: its temporary table is still there.
        sawTable = run(pool, "SELECT COUNT(*) FROM MARK");
        taken = pool.current();
        pool.handBack();
    }).join();
    EXPECT_TRUE(sawTable);
    EXPECT_EQ(taken.statementTimeoutMs, 1234);
    EXPECT_EQ(taken.attachGeneration, 7u);
    EXPECT_EQ(taken.attached, std::set<std::string>{"DEMO"});
    EXPECT_EQ(counting.opened, 1);
    EXPECT_EQ(pool.openConnections(), 1);

    // Handed back to the thread that made it, too.
    EXPECT_TRUE(run(pool, "SELECT COUNT(*) FROM MARK"));
    pool.release();
    EXPECT_EQ(pool.openConnections(), 0);
}

TEST(ConnectionPoolTest, AConnectionInATransactionStaysWithItsThread)
{
    CountingPool counting(1, 200ms);
    ConnectionPool &pool = *counting.pool;
    ASSERT_TRUE(run(pool, "BEGIN"));
    pool.current().transactionDepth = 1;
    pool.handBack();
    EXPECT_EQ(pool.idleConnections(), 0);

    std::string refused;
    std::thread([&] {
        try {
            pool.current();
        } catch (const slip::DatabaseError &error) {
            refused = error.what();
        }
    }).join();
    EXPECT_EQ(refused, "all 1 database connections are in use");

    // The transaction is still open on this thread's connection.
    EXPECT_TRUE(run(pool, "COMMIT"));
    pool.current().transactionDepth = 0;
    pool.handBack();
    EXPECT_EQ(pool.idleConnections(), 1);
}

TEST(ConnectionPoolTest, MoreThreadsThanConnectionsAreAllServedLongerThanTheWait)
{
    // Each thread works far longer than the pool lets anyone wait; holding
    // a connection from first use to the end, four of them would be refused.
    constexpr int kThreads = 6;
    CountingPool counting(2, 300ms);
    ConnectionPool &pool = *counting.pool;
    std::atomic<int> failures{0};
    std::atomic<int> most{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            const auto until = std::chrono::steady_clock::now() + 1s;
            try {
                while (std::chrono::steady_clock::now() < until) {
                    if (!run(pool, "SELECT 1"))
                        ++failures;
                    most = std::max(most.load(), pool.openConnections());
                    std::this_thread::sleep_for(5ms);
                    ConnectionPool::returnThreadConnections();
                    std::this_thread::sleep_for(5ms);
                }
            } catch (const slip::DatabaseError &) {
                ++failures;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_LE(most, 2);
    EXPECT_LE(counting.opened, 2) << "idle connections were closed instead of reused";
}

TEST(ConnectionPoolTest, ShutdownClosesIdleConnectionsAndRefusesLaterUse)
{
    CountingPool counting(0);
    ConnectionPool &pool = *counting.pool;
    QString name;
    std::thread([&] {
        name = pool.current().name;
        pool.handBack();
    }).join();
    ASSERT_EQ(pool.idleConnections(), 1);
    pool.shutdown();
    EXPECT_EQ(pool.openConnections(), 0);
    EXPECT_FALSE(QSqlDatabase::contains(name));
    EXPECT_THROW(pool.current(), slip::DatabaseError);
}

// On PostgreSQL: the connection opened to check the server is the pool's
// (with a pool of one, another thread gets it at once), and a connection a
// limited request used keeps no statement_timeout for work without a limit.
TEST(ConnectionPoolTest, PostgresConnectionsMoveBetweenThreadsWithTheirSessionSettingsRight)
{
    if (!dbtest::pgConnInfo())
        GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
    const auto db = slip::Database::openPostgres(dbtest::pgConnInfo(), 1, 2s);
    std::string failure;
    std::thread([&] {
        try {
            const slip::RequestDeadline limit(60s);
            db->query("SELECT 1");
            db->returnThreadConnection();
        } catch (const std::exception &error) {
            failure = error.what();
        }
    }).join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(db->query("SHOW statement_timeout").text(0, 0), "0");
}

} // namespace
