#pragma once
// Where the mail client sends: read from the client settings ("MarshalC.ini",
// section [Mail]) each time a mail is sent. An SMTP URL in the environment
// variable QIPR07_SMTP_URL (erp-host --smtp) replaces server, port, security
// and login for one run: plain SMTP without login.
//
//   [Mail]
//   Server=mail.example.com     host name or address
//   Port=587                    default 587 (465 with Security=tls, 25 with none)
//   Security=starttls           starttls (default), tls (implicit) or none
//   From=erp@example.com        sender address (required)
//   FromName=示范公司            shown sender name (optional)
//   User=erp@example.com        login; no login when empty
//   PasswordFile=/etc/qrm/mail.pw   first line is the password, or
//   PasswordEnv=QRM_MAIL_PASSWORD   the password is in this environment variable
//   Timeout=60                  seconds for the whole transfer

#include <string>

namespace kvmail {

enum class Security { None, StartTls, Tls };

struct MailSettings {
    std::string url;        // smtp://host:port or smtps://host:port
    Security security = Security::StartTls;
    std::string from;
    std::string fromName;
    std::string user;
    std::string password;   // never written to a log
    long timeoutSeconds = 60;

    // The settings in effect; MailError when they are incomplete.
    static MailSettings load();
    // From a settings file's text (tests and load()); the override URL wins
    // when it is not empty.
    static MailSettings fromIni(const std::string &iniText, const std::string &overrideUrl);
};

} // namespace kvmail
