#include "DemoShell.h"

#include "db/DemoData.h"
#include "objects/ServerConfig.h"

namespace kvtest {

DemoShell::DemoShell(int slips)
{
    m_shell.writeRegistry(m_shell.clientDir(), m_shell.serverDir());
    m_shell.writeFile("client/MarshalC.ini",
                      "[Server Information]\nComputerName=127.0.0.1\nServerPort=7211\n"
                      "[CodePage]\nUICodePage=936\nDBCodePage=936\n"
                      "[ProductVersion]\nProductID=5\nVersionType=2\n");
    m_shell.writeFile("server/MarshalS.ini", "[Slipserv]\nEngine=sqlite\nDataDir=\\Data\n");
    m_database = slip::ServerConfig::load(serverIni()).openDatabase();
    slip::DemoData(*m_database, {kCompanyDb, kCompany, slips, 1}).generate();
}

DemoShell::~DemoShell() = default;

} // namespace kvtest
