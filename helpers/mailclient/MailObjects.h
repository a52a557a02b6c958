#pragma once
// The mail client as the module sees it ("Outlook.Application"): the
// application yields the "MAPI" namespace, its default folders yield their
// "Items", and "Add" on the items makes a mail item with "To", "Subject",
// "Body", "Attachments" ("Add" a file, "Count") and "Send". Sending renders
// the mail and hands it to the SMTP server named in the client settings;
// a refusal raises a DispatchError carrying the server's reply.

#include "platform/DispatchObject.h"

namespace kvmail {

inline constexpr const char *kMailProgId = "Outlook.Application";

// Registers the class under kMailProgId (again replaces an earlier one).
void registerMailClient();

class MailItem : public kv::DispatchObject {
public:
    MailItem();

private:
    void send();

    std::string m_to;
    std::string m_subject;
    std::string m_body;
    std::vector<std::string> m_files;
    bool m_sent = false;
};

} // namespace kvmail
