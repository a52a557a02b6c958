#include "mailclient/MailSettings.h"

#include "lib/MarshalIniC.h"
#include "mailclient/MailError.h"
#include "platform/IniFile.h"

#include <QFile>
#include <QString>
#include <QUrl>

#include <cstdlib>

namespace kvmail {

namespace {

constexpr const char *kSection = "Mail";
constexpr const char *kOverrideVariable = "QIPR07_SMTP_URL";

Security securityOf(const std::string &text)
{
    const QString value = QString::fromStdString(text).trimmed().toLower();
    if (value.isEmpty() || value == QLatin1String("starttls"))
        return Security::StartTls;
    if (value == QLatin1String("tls") || value == QLatin1String("ssl"))
        return Security::Tls;
    if (value == QLatin1String("none"))
        return Security::None;
    throw MailError("[Mail] Security must be starttls, tls or none, not \"" + text + "\"");
}

std::string passwordOf(const kv::IniFile &ini)
{
    const std::string file = ini.readString(kSection, "PasswordFile", "");
    if (!file.empty()) {
        QFile in(QString::fromStdString(file));
        if (!in.open(QIODevice::ReadOnly))
            throw MailError("The mail password file " + file + " cannot be read");
        return QString::fromUtf8(in.readLine()).remove(QLatin1Char('\n')).remove(QLatin1Char('\r')).toStdString();
    }
    const std::string variable = ini.readString(kSection, "PasswordEnv", "");
    if (variable.empty())
        return {};
    const char *value = std::getenv(variable.c_str());
    if (!value)
        throw MailError("The mail password variable " + variable + " is not set");
    return value;
}

int defaultPort(Security security)
{
    switch (security) {
    case Security::Tls: return 465;
    case Security::None: return 25;
    case Security::StartTls: break;
    }
    return 587;
}

void applyOverride(MailSettings &settings, const std::string &overrideUrl)
{
    const QUrl url(QString::fromStdString(overrideUrl));
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != QLatin1String("smtp") && url.scheme() != QLatin1String("smtps")))
        throw MailError("The SMTP URL " + overrideUrl + " is not smtp://host[:port] or smtps://host[:port]");
    settings.security = url.scheme() == QLatin1String("smtps") ? Security::Tls : Security::None;
    settings.url = url.scheme().toStdString() + "://" + url.host().toStdString() + ":" +
                   std::to_string(url.port(defaultPort(settings.security)));
    settings.user.clear();
    settings.password.clear();
    if (settings.from.empty())
        settings.from = "erp@localhost";
}

} // namespace

MailSettings MailSettings::fromIni(const std::string &iniText, const std::string &overrideUrl)
{
    const kv::IniFile ini = kv::IniFile::parse(iniText);
    MailSettings settings;
    settings.from = ini.readString(kSection, "From", "");
    settings.fromName = ini.readString(kSection, "FromName", "");
    settings.timeoutSeconds = ini.readInteger(kSection, "Timeout", 60);
    if (!overrideUrl.empty()) {
        applyOverride(settings, overrideUrl);
        return settings;
    }
    const std::string server = ini.readString(kSection, "Server", "");
    if (server.empty())
        throw MailError("No mail server is set ([Mail] Server in the client settings)");
    if (settings.from.empty())
        throw MailError("No sender address is set ([Mail] From in the client settings)");
    settings.security = securityOf(ini.readString(kSection, "Security", ""));
    const int port = ini.readInteger(kSection, "Port", defaultPort(settings.security));
    settings.url = std::string(settings.security == Security::Tls ? "smtps://" : "smtp://") + server + ":" +
                   std::to_string(port);
    settings.user = ini.readString(kSection, "User", "");
    if (!settings.user.empty())
        settings.password = passwordOf(ini);
    return settings;
}

MailSettings MailSettings::load()
{
    const kv::TMarshalIniC client;
    const std::string text = client.fileText();
    const char *overrideUrl = std::getenv(kOverrideVariable);
    return fromIni(text, overrideUrl ? overrideUrl : "");
}

} // namespace kvmail
