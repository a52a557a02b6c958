#include "lib/MarshalIniC.h"

#include <QString>

namespace kv {

namespace {

std::vector<std::string> splitAddresses(const std::string &text)
{
    std::vector<std::string> addresses;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find(';', start);
        // Blanks around an address are typing slips, not part of the name:
        // "127.0.0.1 " must still count as the loop-back address.
        const std::string address = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        addresses.push_back(QString::fromStdString(address).trimmed().toStdString());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return addresses;
}

} // namespace

TMarshalIniC::TMarshalIniC()
{
    if (!locateSettingsFile("ClientPath", "MarshalC.ini"))
        return;

    const IniFile ini = loadSettingsFile("TMarshalIniC.Create");
    LangType = ini.readString("Client Components", "LangType", "ENG");
    CreateGifBeforeSendZQ = ini.readString("UserDefine", "CreateGifBeforeSendZQ", "Y");
    readCodePages(ini);
    SupportCallBack = settingIsOn(ini.readString("Server Information", "SupportCallBack", "0"));
    AutoCheckNewMsg = ini.readString("TaskMessageCenter Setting", "AutoCheckNewMsg", "1");
    CheckInterval = ini.readString("TaskMessageCenter Setting", "CheckInterval", "1");
    PopupMsg = ini.readString("TaskMessageCenter Setting", "PopupMsg", "1");
    LoginCheck = ini.readString("TaskMessageCenter Setting", "LoginCheck", "0");
    computeConvertModes();

    readServers(ini);
    if (!ErrorCode.empty())
        return;
    readWorkDLLPaths(ini, "C_PKG/");
    m_read = true;
}

void TMarshalIniC::readServers(const IniFile &ini)
{
    std::string names = ini.readString("Server Information", "ComputerName", "127.0.0.1");
    if (!names.empty() && names.back() == ';')
        names.pop_back();
    if (names.empty()) {
        ErrorCode = "E;000016";
        return;
    }
    const int port = ini.readInteger("Server Information", "ServerPort", 211);
    const std::vector<std::string> addresses = splitAddresses(names);
    VariantArray servers({0, 1}, {0, static_cast<int>(addresses.size()) - 1});
    for (int i = 0; i < static_cast<int>(addresses.size()); ++i) {
        servers.at(0, i) = Variant(addresses[static_cast<std::size_t>(i)]);
        servers.at(1, i) = Variant(port);
    }
    Servers = Variant(std::move(servers));
}

} // namespace kv
