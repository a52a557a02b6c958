#pragma once
// A shell installation with a demo company for the controller and host
// tests: a registry file naming a client and a server folder, MarshalC.ini
// naming the loop-back server (the application server runs in-process),
// MarshalS.ini keeping the SQLite company files in the server's "Data"
// folder, and the demo company database DEMO of company 01.

#include "support/ShellFixture.h"

#include <QStringList>

#include <memory>
#include <string>

namespace slip {
class Database;
}

namespace kvtest {

class DemoShell {
public:
    static constexpr const char *kUser = "DS";
    static constexpr const char *kCompany = "01";
    static constexpr const char *kCompanyDb = "DEMO";

    // slips: issue slips of the demo company (few are enough for windows).
    explicit DemoShell(int slips = 3);
    ~DemoShell();

    ShellFixture &shell() { return m_shell; }
    std::string registryFile() const { return m_shell.root() + "registry.ini"; }
    std::string serverIni() const { return m_shell.serverDir() + "MarshalS.ini"; }
    std::string dataDir() const { return m_shell.serverDir() + "Data/"; }
    // erp-host's arguments that log the demo user in to the demo company.
    QStringList hostLogin() const
    {
        return {"--user", kUser, "--company", kCompany, "--db", kCompanyDb, "--registry",
                QString::fromStdString(registryFile())};
    }
    // The database the demo company lives in (shared with the test's objects).
    std::shared_ptr<slip::Database> database() const { return m_database; }

private:
    ShellFixture m_shell;
    std::shared_ptr<slip::Database> m_database;
};

} // namespace kvtest
