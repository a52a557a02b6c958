// erp-host: the ERP client stand-in. It loads a report module, hands it the
// host's automation object and drives it through the module's controller
// (see HostOptions.h for the command line, HostSession.h for the run).

#include "HeadlessDialogs.h"
#include "HostApp.h"
#include "HostDataSource.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "HostSettings.h"

#include "lib/MarshalIniS.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace {

// Without a display a Qt program cannot start on the desktop platforms; the
// host then runs its windows off screen (headless runs and tests).
void chooseHeadlessPlatform()
{
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (!display && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

bool displayPresent()
{
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

// The registry file has to be in effect before any settings are read.
void useRegistry(const std::string &path)
{
    if (!path.empty())
        setenv("QRM_REGISTRY", path.c_str(), 1);
}

erphost::HostAppSettings hostAppSettings(const erphost::HostSettings &settings)
{
    erphost::HostAppSettings result;
    result.productId = settings.productId;
    result.versionType = settings.versionType;
    result.helpBaseUrl = settings.helpBaseUrl;
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    chooseHeadlessPlatform();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    erphost::HostOptions options;
    try {
        const std::string defaultModule = QCoreApplication::applicationDirPath().toStdString() + "/QIPR07C.so";
        options = erphost::parseHostOptions(QCoreApplication::arguments(), defaultModule, displayPresent());
    } catch (const erphost::HostUsageError &error) {
        std::cerr << "erp-host: " << error.what() << "\n\n" << erphost::hostUsage();
        return erphost::kExitFailed;
    }
    if (options.helpShown) {
        std::cout << erphost::hostUsage();
        return erphost::kExitDone;
    }
    useRegistry(options.registry);
    // The module reads its file settings when it runs a report; they must be
    // in place before it is loaded.
    for (const auto &[name, value] : options.moduleEnvironment(!displayPresent()))
        setenv(name.c_str(), value.c_str(), 1);

    const erphost::HostSettings settings = erphost::HostSettings::load();
    const std::string companyDb = options.companyDb;
    auto hostApp = std::make_shared<erphost::HostApp>(hostAppSettings(settings), [settings, companyDb] {
        return erphost::HostDataSource::fromSettings(settings, companyDb);
    });
    erphost::HeadlessDialogs headless(std::cerr);
    if (!displayPresent())
        headless.install();
    erphost::HostSession session(options, hostApp, std::cout, std::cerr);
    return session.run();
}
