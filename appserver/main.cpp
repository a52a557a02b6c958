// slipserv: the application server daemon. It registers the server objects
// (the program server and the host-data objects) over the company databases
// named in "MarshalS.ini" and serves them over TCP until it gets SIGINT or
// SIGTERM.
//
//   slipserv [--config MarshalS.ini] [--port N] [--listen ADDRESS]
//
// Without --config the shell's server settings file is used (the registry
// names the server directory). The section [Slipserv] holds the daemon's
// settings (net/SlipServerConfig.h) and the database (objects/ServerConfig.h).

#include "lib/MarshalIniS.h"
#include "net/DownloadHttpServer.h"
#include "net/SlipServer.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMetaObject>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

namespace {

struct Options {
    std::string configPath;
    std::optional<int> port;
    std::string listen;
};

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("slipserv: application server of the material-issue slip report");
    parser.addHelpOption();
    const QCommandLineOption config("config", "Server settings file (MarshalS.ini).", "file");
    const QCommandLineOption port("port", "TCP port, overriding [Slipserv] Port.", "port");
    const QCommandLineOption listen("listen", "Address to listen on, overriding [Slipserv] ListenAddress.",
                                    "address");
    parser.addOptions({config, port, listen});
    parser.process(app);

    Options options;
    options.configPath = parser.value(config).toStdString();
    options.listen = parser.value(listen).toStdString();
    if (parser.isSet(port)) {
        bool ok = false;
        const int value = parser.value(port).toInt(&ok);
        if (!ok || value < 0 || value > 65535)
            throw slip::SlipServerError("--port " + parser.value(port).toStdString() + " is not a port number");
        options.port = value;
    }
    return options;
}

std::string settingsPath(const Options &options)
{
    if (!options.configPath.empty())
        return options.configPath;
    const kv::TMarshalIniS shell;
    if (!shell.isRead())
        throw slip::ServerConfigError("No --config given and the shell's server settings cannot be found (" +
                                      shell.ErrorCode + ")");
    return shell.IniFileName;
}

// SIGINT and SIGTERM end the event loop from a thread of their own, so no
// work is done inside a signal handler.
std::thread watchSignals(sigset_t stopSignals)
{
    return std::thread([stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        QMetaObject::invokeMethod(QCoreApplication::instance(), "quit", Qt::QueuedConnection);
    });
}

// The download endpoint, when the settings switch it on.
std::unique_ptr<slip::DownloadHttpServer> startDownloads(const slip::DownloadSite &site, const std::string &address)
{
    if (site.httpPort == 0)
        return nullptr;
    if (site.directory.empty())
        throw slip::ServerConfigError("[Download] HttpPort is set but Directory is not: the folder to serve");
    auto endpoint = std::make_unique<slip::DownloadHttpServer>(site.directory);
    const std::string host = site.httpAddress.empty() ? address : site.httpAddress;
    endpoint->start(host, site.httpPort);
    std::cout << "slipserv serving downloads on " << host << ":" << endpoint->serverPort() << std::endl;
    return endpoint;
}

int serve(const Options &options)
{
    const std::string path = settingsPath(options);
    const kv::IniFile ini = kv::IniFile::load(path);
    if (!ini.exists())
        throw slip::ServerConfigError("Settings file " + path + " cannot be read");
    if (const std::string exposed = ini.secretExposure("the access token and database credentials"); !exposed.empty())
        throw slip::ServerConfigError(exposed);
    slip::SlipServerConfig daemon = slip::SlipServerConfig::fromIni(ini);
    if (options.port)
        daemon.port = *options.port;
    if (!options.listen.empty())
        daemon.listenAddress = options.listen;
    daemon.validate();

    slip::ServerConfig data = slip::ServerConfig::fromIni(ini, std::filesystem::absolute(path).parent_path().string());
    data.remoteClients = true;
    slip::registerServerObjects(data);

    slip::SlipServer server(daemon);
    server.start();
    std::cout << "slipserv listening on " << daemon.listenAddress << ":" << server.port() << std::endl;
    std::unique_ptr<slip::DownloadHttpServer> downloads = startDownloads(data.download, daemon.listenAddress);
    const int result = QCoreApplication::exec();
    server.stop();
    slip::unregisterServerObjects();
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    // Blocked before any thread starts, so every thread inherits the mask
    // and only the watcher receives them.
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("slipserv");
    std::thread watcher = watchSignals(stopSignals);
    watcher.detach();
    try {
        return serve(parseOptions(app));
    } catch (const std::exception &error) {
        std::cerr << "slipserv: " << error.what() << std::endl;
        return 1;
    }
}
