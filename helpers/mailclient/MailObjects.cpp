#include "mailclient/MailObjects.h"

#include "mailclient/MailError.h"
#include "mailclient/MailSettings.h"
#include "mailclient/MimeMessage.h"
#include "mailclient/SmtpSender.h"

#include <QFileInfo>

#include <memory>

namespace kvmail {

namespace {

using kv::DispatchObject;
using kv::Variant;

class Attachments : public DispatchObject {
public:
    explicit Attachments(std::vector<std::string> &files) : DispatchObject("Outlook.Attachments")
    {
        addMethod("Add", 1, 4, [&files](std::vector<Variant> &args) {
            const std::string path = args[0].deref().toText();
            // A missing file fails where it is attached, not at Send.
            if (!QFileInfo(QString::fromStdString(path)).isFile())
                throw kv::DispatchError("Attachments.Add: no such file: " + path);
            files.push_back(path);
            return Variant();
        });
        addProperty("Count", [&files] { return Variant(int(files.size())); });
    }
};

class MailItems : public DispatchObject {
public:
    MailItems() : DispatchObject("Outlook.Items")
    {
        addMethod("Add", 0, 1, [](std::vector<Variant> &) { return Variant(kv::DispatchPtr(std::make_shared<MailItem>())); });
    }
};

class MailFolder : public DispatchObject {
public:
    MailFolder() : DispatchObject("Outlook.MAPIFolder")
    {
        addProperty("Items", [] { return Variant(kv::DispatchPtr(std::make_shared<MailItems>())); });
    }
};

class MailNamespace : public DispatchObject {
public:
    MailNamespace() : DispatchObject("Outlook.NameSpace")
    {
        // Every default folder takes new mail items; only where they are
        // sent from matters here.
        addMethod("GetDefaultFolder", 1, 1,
                  [](std::vector<Variant> &) { return Variant(kv::DispatchPtr(std::make_shared<MailFolder>())); });
    }
};

class MailApplication : public DispatchObject {
public:
    MailApplication() : DispatchObject(kMailProgId)
    {
        addMethod("GetNameSpace", 1, 1, [](std::vector<Variant> &args) {
            if (QString::fromStdString(args[0].deref().toText()).compare(QLatin1String("MAPI"), Qt::CaseInsensitive) != 0)
                throw kv::DispatchError("GetNameSpace: unknown namespace " + args[0].deref().toText());
            return Variant(kv::DispatchPtr(std::make_shared<MailNamespace>()));
        });
        addMethod("CreateItem", 1, 1, [](std::vector<Variant> &) { return Variant(kv::DispatchPtr(std::make_shared<MailItem>())); });
    }
};

} // namespace

MailItem::MailItem() : DispatchObject("Outlook.MailItem")
{
    for (auto [name, field] : {std::pair{"To", &m_to}, std::pair{"Subject", &m_subject}, std::pair{"Body", &m_body}}) {
        std::string *target = field;
        addProperty(name, [target] { return Variant(*target); },
                    [target](const Variant &value) { *target = kv::varToStr(value); });
    }
    addProperty("Attachments", [this] { return Variant(kv::DispatchPtr(std::make_shared<Attachments>(m_files))); });
    addMethod("Send", 0, 0, [this](std::vector<Variant> &) {
        send();
        return Variant();
    });
}

void MailItem::send()
{
    if (m_sent)
        throw kv::DispatchError("MailItem.Send: the mail has been sent already");
    if (QString::fromStdString(m_to).trimmed().isEmpty())
        throw kv::DispatchError("MailItem.Send: the mail has no recipient");
    try {
        const MailSettings settings = MailSettings::load();
        MimeMessage message;
        message.from = QString::fromStdString(settings.from);
        message.fromName = QString::fromStdString(settings.fromName);
        message.to = QString::fromStdString(m_to).trimmed();
        message.subject = QString::fromStdString(m_subject);
        message.body = QString::fromStdString(m_body);
        for (const std::string &file : m_files)
            message.files << QString::fromStdString(file);
        SmtpSender(settings).send(message.to, message.render());
        m_sent = true;
    } catch (const MailError &error) {
        throw kv::DispatchError(error.what());
    }
}

void registerMailClient()
{
    kv::OleClassRegistry::registerClass(kMailProgId, [] { return kv::DispatchPtr(std::make_shared<MailApplication>()); });
}

} // namespace kvmail
