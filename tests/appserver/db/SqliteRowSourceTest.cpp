// Reading SQLite rows through the SQLite API gives the same result tables
// as reading them through QtSql did: names, types, nulls and every value,
// also for cells of an unexpected kind; and it reports what QtSql dropped.
#include "DbTestSupport.h"

#include "db/ResultReader.h"
#include "db/SqliteRowSource.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace slip;

namespace {

class SqliteRowSourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(dir.filePath("rows.db"));
        ASSERT_TRUE(db.open());
        exec("CREATE TABLE T (TXT VARCHAR(20), NUM INTEGER, QTY DOUBLE, RAW BLOB, FLAG BOOLEAN, ANY_ NUMERIC)");
        // Nulls everywhere, CJK text, extremes, text that is no UTF-8, a
        // number in the loosely typed column and text in the number ones.
        exec("INSERT INTO T VALUES ('领料单', 9223372036854775807, -0.125, X'00FF01', 1, 12)");
        exec("INSERT INTO T VALUES (NULL, NULL, NULL, NULL, NULL, NULL)");
        exec("INSERT INTO T VALUES ('', -9223372036854775808, 1e300, X'', 0, 2.5)");
        exec("INSERT INTO T VALUES (CAST(X'C3284142' AS TEXT), 7, 3, 'text in a blob column', 2, 'abc')");
        exec("INSERT INTO T VALUES ('\U0001F600 A', 0, 0.1, CAST('tx' AS BLOB), 0, X'41')");
    }
    void TearDown() override { QSqlDatabase::removeDatabase(kName); }

    void exec(const char *sql)
    {
        QSqlQuery query(QSqlDatabase::database(kName));
        ASSERT_TRUE(query.exec(QString::fromUtf8(sql))) << sql;
    }

    sqlite3 *handle()
    {
        const QVariant raw = QSqlDatabase::database(kName).driver()->handle();
        return *static_cast<sqlite3 *const *>(raw.constData());
    }

    // Reads a statement as Database::query reads it, widening included.
    template <typename MakeSource>
    kv::ResultTable readAll(MakeSource makeSource)
    {
        std::vector<std::optional<kv::FieldType>> widened;
        for (int attempt = 0; attempt < 10; ++attempt) {
            auto [source, declared] = makeSource();
            ResultReader reader(*source, declared, widened);
            if (auto table = reader.read())
                return std::move(*table);
            widened = reader.widenedTypes();
        }
        ADD_FAILURE() << "the types never settle";
        return {};
    }

    // Through QtSql, typed as before (decltype of the statement).
    kv::ResultTable throughQt(const std::string &sql, const std::vector<QVariant> &values)
    {
        return readAll([&] {
            QSqlQuery query(QSqlDatabase::database(kName));
            query.setForwardOnly(true);
            query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
            EXPECT_TRUE(query.prepare(QString::fromStdString(sql)));
            for (std::size_t i = 0; i < values.size(); ++i)
                query.bindValue(int(i), values[i]);
            EXPECT_TRUE(query.exec());
            const auto declared = SqliteRowSource(handle(), sql, values, sql).declaredTypes();
            return std::make_pair(std::make_unique<QueryRowSource>(std::move(query), declared), declared);
        });
    }

    kv::ResultTable direct(const std::string &sql, const std::vector<QVariant> &values)
    {
        return readAll([&] {
            auto source = std::make_unique<SqliteRowSource>(handle(), sql, values, sql);
            const auto declared = source->declaredTypes();
            return std::make_pair(std::move(source), declared);
        });
    }

    void expectSameRead(const std::string &sql, const std::vector<QVariant> &values = {})
    {
        SCOPED_TRACE(sql);
        const kv::ResultTable expected = throughQt(sql, values);
        const kv::ResultTable actual = direct(sql, values);
        ASSERT_EQ(expected.columnCount(), actual.columnCount());
        ASSERT_EQ(expected.rowCount(), actual.rowCount());
        for (int column = 0; column < expected.columnCount(); ++column) {
            EXPECT_EQ(expected.columnName(column), actual.columnName(column));
            EXPECT_EQ(expected.columnType(column), actual.columnType(column)) << expected.columnName(column);
            for (int row = 0; row < expected.rowCount(); ++row) {
                EXPECT_EQ(expected.isNull(row, column), actual.isNull(row, column));
                EXPECT_EQ(expected.value(row, column), actual.value(row, column))
                    << "row " << row << " column " << expected.columnName(column);
            }
        }
    }

    static constexpr const char *kName = "rowsource-test";
    QTemporaryDir dir;
};

TEST_F(SqliteRowSourceTest, GivesTheTablesQtSqlGaveForEveryKindOfCell)
{
    expectSameRead("SELECT * FROM T");
    // Computed columns typed by their values, widened by later ones, and
    // cells of another kind than their column: numbers in text columns,
    // blobs and bad UTF-8 as text, quoted names.
    expectSameRead("SELECT TXT || '' AS \"Joined\", NUM + 0.5 AS HALF, QTY * 2 AS DOUBLED, "
                   "CASE WHEN NUM = 7 THEN 'seven' ELSE NUM END AS MIXED, RAW || '' AS RAWTEXT, "
                   "CAST(QTY AS TEXT) AS QTYTEXT, ANY_, FLAG = 1 AS ISONE FROM T ORDER BY rowid");
    expectSameRead("SELECT TXT FROM T WHERE 1 = 0");
}

TEST_F(SqliteRowSourceTest, BindsParametersAsQtSqlBoundThem)
{
    const std::vector<QVariant> values{QVariant(qlonglong(7)), QVariant(2.5), QVariant(QStringLiteral("领料单")),
                                       QVariant(true), QVariant(), QVariant(QByteArray("\x00\xff", 2))};
    expectSameRead("SELECT ? AS A, ? AS B, ? AS C, ? AS D, ? AS E, ? AS F", values);
    expectSameRead("SELECT COUNT(*) FROM T WHERE NUM = ? OR TXT = ?", {QVariant(qlonglong(7)), QVariant(QStringLiteral("领料单"))});
}

TEST_F(SqliteRowSourceTest, RefusesWhatItCannotRunWholly)
{
    EXPECT_THROW(SqliteRowSource(handle(), "SELECT 1; SELECT 2", {}, "SELECT 1; SELECT 2"), DatabaseError);
    EXPECT_THROW(SqliteRowSource(handle(), "SELECT * FROM NO_SUCH", {}, "x"), DatabaseError);
    EXPECT_THROW(SqliteRowSource(handle(), "SELECT ?", {}, "x"), DatabaseError) << "value missing";
    // A row that fails half way: QtSql ended the rows there as if they were
    // all; the table must not come out short.
    SqliteRowSource failing(handle(), "SELECT CASE WHEN NUM = 7 THEN abs(-9223372036854775807 - 1) ELSE 1 END "
                                      "FROM T ORDER BY rowid", {}, "x");
    ResultReader reader(failing, failing.declaredTypes());
    EXPECT_THROW(reader.read(), DatabaseError);
}

} // namespace
