#include "faxserver/FaxSettings.h"

#include "lib/MarshalIniC.h"
#include "lib/ShellSettings.h"
#include "platform/IniFile.h"

#include <QString>

#include <cstdlib>
#include <stdexcept>

namespace kvfax {

namespace {

constexpr const char *kSection = "Fax Servers";

FaxServer::Kind kindOf(const std::string &text, const std::string &key)
{
    const QString value = QString::fromStdString(text).trimmed().toLower();
    if (value.isEmpty() || value == QLatin1String("spool"))
        return FaxServer::Kind::Spool;
    if (value == QLatin1String("hylafax"))
        return FaxServer::Kind::HylaFax;
    throw std::runtime_error("[Fax Servers] " + key + " must be spool or hylafax, not \"" + text + "\"");
}

std::string trimmed(const std::string &text)
{
    return QString::fromStdString(text).trimmed().toStdString();
}

} // namespace

FaxSettings FaxSettings::fromIni(const std::string &iniText, const std::string &clientRoot, const std::string &spoolOverride)
{
    const kv::IniFile ini = kv::IniFile::parse(iniText);
    const std::string defaultSpool = clientRoot + "C_DATA/C_FAX/";
    FaxSettings settings;
    const int count = ini.readInteger(kSection, "Count", 0);
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        FaxServer server;
        server.address = trimmed(ini.readString(kSection, "Server" + n, ""));
        if (server.address.empty())
            continue;
        server.name = ini.readString(kSection, "Name" + n, server.address);
        server.kind = kindOf(ini.readString(kSection, "Type" + n, ""), "Type" + n);
        server.spoolDir = kv::resolveDirectory(clientRoot, ini.readString(kSection, "Spool" + n, defaultSpool));
        server.modem = trimmed(ini.readString(kSection, "Modem" + n, ""));
        settings.servers.push_back(server);
    }
    if (!settings.find(kLocalServer)) {
        FaxServer local;
        local.name = "Local";
        local.address = kLocalServer;
        local.spoolDir = defaultSpool;
        settings.servers.push_back(local);
    }
    if (!spoolOverride.empty()) {
        for (FaxServer &server : settings.servers) {
            if (server.address == kLocalServer) {
                server.kind = FaxServer::Kind::Spool;
                server.spoolDir = kv::asDirectory(spoolOverride);
            }
        }
    }
    return settings;
}

FaxSettings FaxSettings::load()
{
    const kv::TMarshalIniC client;
    const std::string text = client.fileText();
    const char *spool = std::getenv("QIPR07_FAX_SPOOL");
    return fromIni(text, client.ClientPath(), spool ? spool : "");
}

const FaxServer *FaxSettings::find(const std::string &address) const
{
    const std::string wanted = address.empty() ? std::string(kLocalServer) : trimmed(address);
    for (const FaxServer &server : servers) {
        if (QString::fromStdString(server.address).compare(QString::fromStdString(wanted), Qt::CaseInsensitive) == 0)
            return &server;
    }
    return nullptr;
}

} // namespace kvfax
