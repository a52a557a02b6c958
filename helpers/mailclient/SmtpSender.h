#pragma once
// Hands one rendered mail to the SMTP server with libcurl: submission with
// STARTTLS (required, not hoped for), implicit TLS or plain, AUTH when a
// user is set. A refusal raises MailError with the server's last reply.

#include "mailclient/MailSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kvmail {

class SmtpSender {
public:
    explicit SmtpSender(MailSettings settings) : m_settings(std::move(settings)) {}

    void send(const QStringList &recipients, const QByteArray &message) const;

private:
    MailSettings m_settings;
};

} // namespace kvmail
