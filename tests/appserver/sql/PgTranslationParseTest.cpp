// Every statement the translator accepts for PostgreSQL is one statement
// PostgreSQL can parse. The statements: the translator's fuzzing seeds
// (fuzz/corpus/fuzz_sql, the inputs that once crashed it among them), the
// statements the translator and execution tests send, and the report's own
// queries. Each translation is prepared, as slipserv prepares it, on a
// company schema made from the company schema definition. A name error
// (a table, column or function the statement names that the schema lacks,
// a type that does not fit) is the statement's own and passes: the
// translator keeps names as written. A syntax error (SQLSTATE 42601) means
// the translator wrote text that is not SQL, and fails.
//
// QIPR07_SQL_EXTRA_CORPUS names a further folder of statements, one a file
// (such as the corpus a long fuzzing run grew).
#include "ErpQueries.h"

#include "db/DatabaseError.h"
#include "db/SqlParameters.h"
#include "schema/CompanySchema.h"
#include "schema/SchemaDdl.h"
#include "schema/SchemaInfo.h"
#include "sql/SqlError.h"
#include "sql/SqlNames.h"
#include "sql/SqlTranslator.h"

#include "support/PgTestConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <set>

namespace {

const char *const kCorpus = QIPR07_TEST_DATA "/../../fuzz/corpus/fuzz_sql";
const char *const kTestSources = QIPR07_TEST_DATA "/../appserver/sql";

std::vector<std::string> filesIn(const QString &folder)
{
    std::vector<std::string> texts;
    for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
        QFile file(entry.filePath());
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            texts.push_back(bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0')).toStdString());
        }
    }
    return texts;
}

// The string literals of the SQL tests that read as statements, with
// adjacent literals joined as the compiler joins them.
std::vector<std::string> literalsOfTests()
{
    static const QRegularExpression literal(R"re("((?:[^"\\\n]|\\.)*)"(?=\s*("|[^"\s])))re");
    static const QRegularExpression statement("^\\s*\\(?\\s*(SELECT|INSERT|UPDATE|DELETE|WITH)\\b",
                                              QRegularExpression::CaseInsensitiveOption);
    std::vector<std::string> found;
    for (const QString name : {"SqlTranslatorTest.cpp", "SqlExecutionTest.cpp"}) {
        QFile file(QString(kTestSources) + "/" + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString source = QString::fromUtf8(file.readAll());
        QString joined;
        QRegularExpressionMatchIterator it = literal.globalMatch(source);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            QString piece = match.captured(1);
            piece.replace("\\\"", "\"").replace("\\n", "\n").replace("\\r", "\r").replace("\\t", "\t").replace("\\\\", "\\");
            joined += piece;
            if (match.captured(2) == "\"")
                continue; // the next literal continues this one
            if (statement.match(joined).hasMatch())
                found.push_back(joined.toStdString());
            joined.clear();
        }
    }
    return found;
}

std::vector<std::string> reportQueries(const std::string &company)
{
    using namespace slip::test;
    std::vector<std::string> sql{inspectionRemarkSql("$$", "R01", "0005", "0001"),
                                 inspectionRemarkSql(company + "..", "R01", "0005", "0001"), kLayoutNameLengthSql};
    for (const bool summary : {false, true})
        for (const bool warehouse : {false, true})
            for (const bool lot : {false, true}) {
                sql.push_back(slipReportSql(summary, warehouse, lot));
                sql.push_back(lineTotalsSql(company, warehouse, lot));
            }
    return sql;
}

class PgTranslationParseTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!kvtest::pgConnInfo())
            GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set: no PostgreSQL server to parse the translations";
        m_company = "Parse_" + std::to_string(QCoreApplication::applicationPid());
        m_db = kvtest::openPgTestConnection(QStringLiteral("pgparse"));
        ASSERT_TRUE(m_db.isOpen());
        run("SET client_min_messages TO WARNING");
        run("CREATE SCHEMA " + slip::SchemaDdl::companyNamespace(slip::DbEngine::PostgreSQL, m_company));
        for (const slip::TableDef &table : slip::CompanySchema::tables())
            for (const std::string &ddl : slip::SchemaDdl::createTable(slip::DbEngine::PostgreSQL, m_company, table))
                run(ddl);
    }

    void TearDown() override
    {
        if (m_db.isOpen())
            run("DROP SCHEMA IF EXISTS " + slip::SchemaDdl::companyNamespace(slip::DbEngine::PostgreSQL, m_company) +
                " CASCADE");
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase("pgparse");
    }

    void run(const std::string &sql)
    {
        QSqlQuery query(m_db);
        ASSERT_TRUE(query.exec(QString::fromStdString(sql))) << sql << ": " << query.lastError().text().toStdString();
    }

    std::optional<slip::TranslatedSql> translate(const std::string &erpSql)
    {
        try {
            return slip::SqlTranslator(slip::SqlDialect::PostgreSQL, slip::SchemaInfo::company())
                .translate(erpSql, m_company);
        } catch (const slip::SqlError &) {
            return std::nullopt;
        }
    }

    // Prepares the translation as the daemon does (":NAME" made positional);
    // the SQLSTATE of a refusal, empty when it was accepted.
    std::string sqlStateOfPrepare(const slip::TranslatedSql &translated)
    {
        std::string positional;
        try {
            positional = slip::SqlParameters(translated.text).positionalSql();
        } catch (const slip::DatabaseError &error) {
            return std::string("unreadable placeholders: ") + error.what();
        }
        QSqlQuery query(m_db);
        if (query.prepare(QString::fromStdString(positional)))
            return {};
        return query.lastError().nativeErrorCode().toStdString();
    }

    // Checks every statement; returns how many translations were prepared.
    int check(const std::vector<std::string> &statements)
    {
        int prepared = 0;
        for (const std::string &erpSql : statements) {
            const std::optional<slip::TranslatedSql> translated = translate(erpSql);
            if (!translated)
                continue;
            ++prepared;
            const std::string state = sqlStateOfPrepare(*translated);
            EXPECT_NE(state, "42601") << "PostgreSQL cannot parse the translation of [" << erpSql << "]: ["
                                      << translated->text << "]";
            // Other refusals (a name the schema lacks, a constant that does
            // not fit its type) are the statement's own, but the placeholders
            // must be the database layer's to bind.
            EXPECT_EQ(state.rfind("unreadable", 0), std::string::npos) << state << " in [" << translated->text << "]";
        }
        return prepared;
    }

    QSqlDatabase m_db;
    std::string m_company;
};

TEST_F(PgTranslationParseTest, TheFuzzingSeedsTranslateToStatementsPostgresqlParses)
{
    const std::vector<std::string> seeds = filesIn(kCorpus);
    ASSERT_GE(seeds.size(), 30u) << "no seeds in " << kCorpus;
    // The check itself: text that is no SQL is told from a name error.
    EXPECT_EQ(sqlStateOfPrepare({"SELECT TC001 FROM WHERE", {}}), "42601");
    EXPECT_EQ(sqlStateOfPrepare({"SELECT NO_SUCH_COLUMN FROM \"" + slip::SqlNames::lowerAscii(m_company) + "\".moctc", {}}),
              "42703");
    EXPECT_GE(check(seeds), 15); // the others are refusals of the translator
}

TEST_F(PgTranslationParseTest, TheTestedStatementsAndTheReportQueriesTranslateToStatementsPostgresqlParses)
{
    const std::vector<std::string> literals = literalsOfTests();
    ASSERT_GE(literals.size(), 50u);
    EXPECT_GE(check(literals), 40);
    EXPECT_EQ(check(reportQueries(m_company)), int(reportQueries(m_company).size()));
}

TEST_F(PgTranslationParseTest, AnExtraCorpusTranslatesToStatementsPostgresqlParses)
{
    const char *extra = std::getenv("QIPR07_SQL_EXTRA_CORPUS");
    if (!extra || !*extra)
        GTEST_SKIP() << "QIPR07_SQL_EXTRA_CORPUS is not set";
    const std::vector<std::string> statements = filesIn(extra);
    std::cout << statements.size() << " statements, " << check(statements) << " translations prepared" << std::endl;
}

} // namespace
