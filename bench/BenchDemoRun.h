#pragma once
// The benches that run the report on a demo company of a given size: the
// company written into a SQLite folder, the normal report query opened
// through the in-process program server, and each size measured in a child
// process of its own (so that its peak resident size is that run's).

#include "BenchSupport.h"
#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
#include "platform/ClientDataSet.h"
#include "platform/Dispatch.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <iostream>
#include <vector>

namespace benchdemo {

inline constexpr const char *kCompany = "BENCH";

// A demo company of about `pages` pages (slips of 0 to 40 lines, 7 lines a page).
inline void makeDemo(const QString &dataDir, int pages)
{
    const auto db = slip::Database::openSqlite(dataDir.toStdString());
    slip::DemoData(*db, {kCompany, "01", std::max(1, pages * 10 / 33), 42}).generate();
}

// The program server of the company in dataDir, connected as the report does.
inline kv::DispatchPtr connectProgramServer(const QString &dataDir)
{
    slip::registerServerObjects(slip::ServerConfig::sqlite(dataDir.toStdString()));
    const kv::DispatchPtr server = kv::createOleObject("QIPR07S.Class1");
    server->call("Connect", {kv::varArrayOf({"QIPR07", "DS", "01", kCompany, "MOCTC", {}, {}, {}})});
    return server;
}

// Opens the normal report query into data, as the layout's data set.
inline void openNormalQuery(kv::ClientDataSet &data, const kv::DispatchPtr &server)
{
    data.setObjectName("ClientDataSet1");
    data.setRemoteServer(server);
    data.setProviderName("Provider1");
    data.DataRequest(benchsupport::normalQuery());
    data.Open();
}

// The bench's main: "--measure DIR" measures one company; otherwise each
// size given (default 1000 10000) gets its company and its child process.
inline int runSizes(const QStringList &args, const char *name, const char *title,
                    const std::function<int(const QString &)> &measure)
{
    try {
        if (args.size() == 3 && args[1] == "--measure")
            return measure(args[2]);
        std::vector<int> sizes;
        for (int i = 1; i < args.size(); ++i)
            sizes.push_back(args[i].toInt());
        if (sizes.empty())
            sizes = {1000, 10000};
        std::cout << title << std::endl;
        for (int pages : sizes) {
            QTemporaryDir dir;
            makeDemo(dir.path(), pages);
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(args[0], {"--measure", dir.path()});
            if (!child.waitForFinished(-1) || child.exitCode() != 0)
                std::cerr << name << ": the run of about " << pages << " pages failed" << std::endl;
        }
        return 0;
    } catch (const std::exception &error) {
        std::cerr << name << ": " << error.what() << std::endl;
        return 1;
    }
}

} // namespace benchdemo
