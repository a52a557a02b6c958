// Time and peak memory of the slip report's normal query, as the layout
// window runs it (a client data set on provider "Provider1"), on demo data
// of about 10,000 and 100,000 slip lines: once with the program server
// in-process and once behind the slipserv daemon over loop-back TCP, on
// SQLite and, when a test server answers, on PostgreSQL with the same demo
// company. As floors, the same translated SQL run by the sqlite3 shell on
// the same file (its rows printed to /dev/null), and stepped through with
// the SQLite API in this process, every cell fetched and dropped (what the
// engine itself costs).
//
// Each measurement runs in a child process of its own, so that the peak
// resident size (VmHWM) is that one run's. Over TCP the child holds both the
// daemon and the client, so its peak counts the result twice (the server's
// packet and the client's table). Prints figures; never passes or fails.
//
//   bench_report_query [LINES ...]      default 10000 100000
//
// PostgreSQL: QIPR07_PG_CONNINFO, else what scripts/pg-test-server prints.
// BENCH_QUERY_KEEP=1 keeps the SQLite folders (for profiling one child:
// bench_report_query --measure FOLDER COMPANY in-process|tcp).

#include "BenchSupport.h"
#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ClientSql.h"
#include "net/SlipServer.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
#include "platform/ClientDataSet.h"
#include "platform/Dispatch.h"
#include "platform/RemoteConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

using benchsupport::peakMb;
using benchsupport::normalQuery;

const char *const kToken = "bench-token";

// The company name is the child's too: PostgreSQL is shared, so each run
// loads a company of its own and drops it afterwards.
std::string benchCompany()
{
    return "BENCH_" + std::to_string(::getpid());
}

kv::DispatchPtr programServer(bool overTcp, std::unique_ptr<slip::SlipServer> &daemon,
                              std::shared_ptr<kv::RemoteConnection> &connection)
{
    if (!overTcp)
        return kv::createOleObject("QIPR07S.Class1");
    slip::SlipServerConfig config;
    config.accessToken = kToken;
    config.port = 0;
    config.maxFrameBytes = 1024 * 1024;
    daemon = std::make_unique<slip::SlipServer>(config);
    daemon->start();
    kv::RemoteConnectionOptions options;
    options.port = daemon->port();
    options.token = kToken;
    connection = kv::RemoteConnection::open(options);
    return connection->createObject("QIPR07S.Class1");
}

slip::ServerConfig serverConfig(const std::string &where)
{
    if (where.rfind("pg:", 0) == 0)
        return slip::ServerConfig::postgres(where.substr(3), 2);
    return slip::ServerConfig::sqlite(where);
}

// One measurement: prints "rows seconds peak-MB table-MB". `where` is a
// SQLite folder or "pg:" and a conninfo.
int measure(const std::string &where, const std::string &company, bool overTcp)
{
    slip::registerServerObjects(serverConfig(where));
    std::unique_ptr<slip::SlipServer> daemon;
    std::shared_ptr<kv::RemoteConnection> connection;
    const kv::DispatchPtr server = programServer(overTcp, daemon, connection);
    server->call("Connect", {kv::varArrayOf({"QIPR07", "DS", "01", company, "MOCTC", {}, {}, {}})});

    QElapsedTimer timer;
    timer.start();
    kv::ClientDataSet data;
    data.setRemoteServer(server);
    data.setProviderName("Provider1");
    data.DataRequest(normalQuery());
    data.Open();
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%d %.3f %.1f %.1f\n", data.RecordCount(), seconds, peakMb(), data.Data().memoryUsage() / 1048576.0);
    data.Close();
    connection.reset();
    if (daemon)
        daemon->stop();
    return 0;
}

// Makes a demo company with about `lines` slip lines; returns the count.
// The same seed makes the same company on either engine.
std::int64_t makeDemo(slip::Database &db, const std::string &company, int lines)
{
    // Slips carry 0 to 40 lines, about 19.5 on average.
    const int slips = std::max(1, int(lines / 19.5));
    const auto rows = slip::DemoData(db, {company, "01", slips, 42}).generate();
    return rows.at("MOCTE");
}

// Seconds of the measurement, or a negative number when it failed.
double run(const QString &self, const QString &where, const std::string &company, const char *mode)
{
    QProcess child;
    child.start(self, {"--measure", where, QString::fromStdString(company), mode});
    child.waitForFinished(-1);
    const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    const QStringList figures = out.split(' ');
    if (child.exitCode() != 0 || figures.size() != 4) {
        std::cout << "  " << mode << ": failed (exit " << child.exitCode()
                  << (child.exitStatus() == QProcess::CrashExit ? ", crashed" : "") << "): " << out.toStdString()
                  << QString::fromUtf8(child.readAllStandardError()).toStdString() << std::endl;
        return -1;
    }
    std::printf("  %-10s rows %8s   %7s s   peak %8s MB   result table %7s MB\n", mode,
                figures[0].toUtf8().constData(), figures[1].toUtf8().constData(), figures[2].toUtf8().constData(),
                figures[3].toUtf8().constData());
    return figures[1].toDouble();
}

// The normal query as the server runs it on SQLite (same translator).
std::string translatedForSqlite(const std::string &dataDir, const std::string &company)
{
    const auto db = slip::Database::openSqlite(dataDir);
    db->openCompany(company);
    return slip::ClientSql(*db, company).translated(normalQuery());
}

// The sqlite3 shell running the translated query on the same file, rows
// printed to /dev/null: seconds, or a negative number without a shell.
double shellSeconds(const std::string &dataDir, const std::string &company)
{
    const std::string script = "ATTACH DATABASE '" + dataDir + "/" + company + ".db' AS \"" + company +
                               "\";\n.output /dev/null\n" + translatedForSqlite(dataDir, company) + ";\n";
    QProcess shell;
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), {QStringLiteral(":memory:")});
    if (!shell.waitForStarted())
        return -1;
    shell.write(QByteArray::fromStdString(script));
    shell.closeWriteChannel();
    shell.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (shell.exitCode() != 0) {
        std::cout << "  sqlite3 shell failed: " << shell.readAllStandardError().toStdString() << std::endl;
        return -1;
    }
    return seconds;
}

// The engine's own share: the translated query stepped through with the
// SQLite API, every cell fetched in its own kind and nothing kept. Seconds.
double engineSeconds(const std::string &dataDir, const std::string &company)
{
    const std::string sql = translatedForSqlite(dataDir, company);
    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    const std::string attach = "ATTACH DATABASE '" + dataDir + "/" + company + ".db' AS \"" + company + "\"";
    sqlite3_stmt *statement = nullptr;
    double seconds = -1;
    if (sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        QElapsedTimer timer;
        timer.start();
        std::size_t bytes = 0;
        const int columns = sqlite3_column_count(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i) {
                switch (sqlite3_column_type(statement, i)) {
                case SQLITE_INTEGER: bytes += std::size_t(sqlite3_column_int64(statement, i) & 1); break;
                case SQLITE_FLOAT: bytes += sqlite3_column_double(statement, i) > 0; break;
                case SQLITE_NULL: break;
                default:
                    sqlite3_column_text(statement, i);
                    bytes += std::size_t(sqlite3_column_bytes(statement, i));
                }
            }
        }
        seconds = timer.nsecsElapsed() / 1e9;
        if (bytes == 0)
            std::printf("  (the engine floor read nothing)\n");
    } else {
        std::printf("  engine floor failed: %s\n", sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return seconds;
}

// A PostgreSQL server to load the demo company into, or why there is none.
std::string pgConnInfo(std::string &whyNot)
{
    if (const char *given = std::getenv("QIPR07_PG_CONNINFO"); given && *given)
        return given;
    QProcess script;
    script.start(QStringLiteral("bash"), {QStringLiteral(QIPR07_SOURCE_DIR "/scripts/pg-test-server")});
    script.waitForFinished(120000);
    const std::string conninfo = QString::fromUtf8(script.readAllStandardOutput()).trimmed().toStdString();
    if (script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0 || conninfo.empty()) {
        whyNot = "scripts/pg-test-server found no server: " +
                 QString::fromUtf8(script.readAllStandardError()).trimmed().toStdString();
        return {};
    }
    return conninfo;
}

void benchSqlite(const QString &self, int lines)
{
    QTemporaryDir dir;
    const std::string company = benchCompany();
    if (std::getenv("BENCH_QUERY_KEEP")) {
        dir.setAutoRemove(false);
        std::printf("(kept: %s, company %s)\n", dir.path().toUtf8().constData(), company.c_str());
    }
    QElapsedTimer timer;
    timer.start();
    std::int64_t made = 0;
    {
        const auto db = slip::Database::openSqlite(dir.path().toStdString());
        made = makeDemo(*db, company, lines);
    }
    std::printf("SQLite, %lld slip lines (demo data made in %.1f s)\n", static_cast<long long>(made),
                timer.elapsed() / 1000.0);
    const double inProcess = run(self, dir.path(), company, "in-process");
    const double tcp = run(self, dir.path(), company, "tcp");
    const double shell = shellSeconds(dir.path().toStdString(), company);
    if (shell < 0) {
        std::printf("  sqlite3 shell: not run\n");
    } else {
        std::printf("  %-10s %.3f s", "sqlite3", shell);
        if (inProcess > 0)
            std::printf("   in-process / shell %.2f", inProcess / shell);
        if (tcp > 0)
            std::printf("   tcp / shell %.2f", tcp / shell);
        std::printf("\n");
    }
    if (inProcess > 0 && tcp > 0)
        std::printf("  tcp / in-process %.2f\n", tcp / inProcess);
    const double engine = engineSeconds(dir.path().toStdString(), company);
    if (engine > 0 && inProcess > 0)
        std::printf("  %-10s %.3f s   in-process / engine %.2f\n", "engine", engine, inProcess / engine);
}

void benchPostgres(const QString &self, const std::string &conninfo, int lines)
{
    const std::string company = benchCompany();
    const auto db = slip::Database::openPostgres(conninfo, 2);
    QElapsedTimer timer;
    timer.start();
    const std::int64_t made = makeDemo(*db, company, lines);
    std::printf("PostgreSQL, %lld slip lines (demo data made in %.1f s)\n", static_cast<long long>(made),
                timer.elapsed() / 1000.0);
    const QString where = QString::fromStdString("pg:" + conninfo);
    const double inProcess = run(self, where, company, "in-process");
    const double tcp = run(self, where, company, "tcp");
    if (inProcess > 0 && tcp > 0)
        std::printf("  tcp / in-process %.2f\n", tcp / inProcess);
    db->dropCompany(company);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 5 && args[1] == "--measure")
            return measure(args[2].toStdString(), args[3].toStdString(), args[4] == "tcp");

        std::vector<int> sizes;
        for (int i = 1; i < args.size(); ++i)
            sizes.push_back(args[i].toInt());
        if (sizes.empty())
            sizes = {10000, 100000};
        std::cout << "normal report query (114 columns), program server in-process and over TCP" << std::endl;
        std::string whyNoPg;
        const std::string conninfo = pgConnInfo(whyNoPg);
        for (int lines : sizes) {
            benchSqlite(args[0], lines);
            if (conninfo.empty())
                std::printf("PostgreSQL: skipped (%s)\n", whyNoPg.c_str());
            else
                benchPostgres(args[0], conninfo, lines);
        }
        return 0;
    } catch (const std::exception &error) {
        std::cerr << "bench_report_query: " << error.what() << std::endl;
        return 1;
    }
}
