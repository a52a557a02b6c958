// Time and peak memory of the slip report's normal query, as the layout
// window runs it (a client data set on provider "Provider1"), on SQLite demo
// data of about 10,000 and 100,000 slip lines: once with the program server
// in-process and once behind the slipserv daemon over loop-back TCP.
//
// Each measurement runs in a child process of its own, so that the peak
// resident size (VmHWM) is that one run's. Over TCP the child holds both the
// daemon and the client, so its peak counts the result twice (the server's
// packet and the client's table). Prints figures; never passes or fails.
//
//   bench_report_query [LINES ...]      default 10000 100000

#include "../tests/appserver/objects/ProgramServerReportSql.h"

#include "db/Database.h"
#include "db/DemoData.h"
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

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

const char *const kCompany = "BENCH";
const char *const kToken = "bench-token";

// Peak resident size of this process in MB.
double peakMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// The query with the CMSMB join's key written with its table: SQL Server
// resolves the bare name to the tables joined so far, SQLite looks at all
// of them and finds INVMB's MB001 as well.
std::string normalQuery()
{
    std::string sql = reportsql::reportSql({}, "");
    const std::string bare = "TC004=MB001";
    sql.replace(sql.find(bare), bare.size(), "TC004=CMSMB.MB001");
    return sql;
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

// One measurement: prints "rows seconds peak-MB table-MB".
int measure(const std::string &dataDir, bool overTcp)
{
    const slip::ServerConfig config = slip::ServerConfig::sqlite(dataDir);
    slip::registerServerObjects(config);
    std::unique_ptr<slip::SlipServer> daemon;
    std::shared_ptr<kv::RemoteConnection> connection;
    const kv::DispatchPtr server = programServer(overTcp, daemon, connection);
    server->call("Connect", {kv::varArrayOf({"QIPR07", "DS", "01", kCompany, "MOCTC", {}, {}, {}})});

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
std::int64_t makeDemo(const std::string &dataDir, int lines)
{
    const auto db = slip::Database::openSqlite(dataDir);
    // Slips carry 0 to 40 lines, about 19.5 on average.
    const int slips = std::max(1, int(lines / 19.5));
    const auto rows = slip::DemoData(*db, {kCompany, "01", slips, 42}).generate();
    return rows.at("MOCTE");
}

void run(const QString &self, const QString &dataDir, const char *mode)
{
    QProcess child;
    child.start(self, {"--measure", dataDir, mode});
    child.waitForFinished(-1);
    const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    const QStringList figures = out.split(' ');
    if (child.exitCode() != 0 || figures.size() != 4) {
        std::cout << "  " << mode << ": failed: " << out.toStdString()
                  << QString::fromUtf8(child.readAllStandardError()).toStdString() << std::endl;
        return;
    }
    std::printf("  %-10s rows %8s   %7s s   peak %8s MB   result table %7s MB\n", mode,
                figures[0].toUtf8().constData(), figures[1].toUtf8().constData(), figures[2].toUtf8().constData(),
                figures[3].toUtf8().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args[1] == "--measure")
            return measure(args[2].toStdString(), args[3] == "tcp");

        std::vector<int> sizes;
        for (int i = 1; i < args.size(); ++i)
            sizes.push_back(args[i].toInt());
        if (sizes.empty())
            sizes = {10000, 100000};
        std::cout << "normal report query (114 columns), SQLite, program server in-process and over TCP" << std::endl;
        for (int lines : sizes) {
            QTemporaryDir dir;
            QElapsedTimer timer;
            timer.start();
            const std::int64_t made = makeDemo(dir.path().toStdString(), lines);
            std::printf("%lld slip lines (demo data made in %.1f s)\n", static_cast<long long>(made),
                        timer.elapsed() / 1000.0);
            run(args[0], dir.path(), "in-process");
            run(args[0], dir.path(), "tcp");
        }
        return 0;
    } catch (const std::exception &error) {
        std::cerr << "bench_report_query: " << error.what() << std::endl;
        return 1;
    }
}
