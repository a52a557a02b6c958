#include "mailclient/MailObjects.h"

#include "mailclient/MailError.h"
#include "mailclient/MailSettings.h"
#include "mailclient/MimeMessage.h"
#include "mailclient/SmtpSender.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

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

namespace {

// "a@x; b@y" or "a@x, b@y": the receivers of one mail. An address with a
// blank or a control character (a line break would start a header of its
// own) is refused rather than sent somewhere else.
QStringList recipientsOf(const std::string &to)
{
    QStringList addresses;
    for (const QString &part : QString::fromStdString(to).split(QRegularExpression(QStringLiteral("[;,]")))) {
        const QString address = part.trimmed();
        if (address.isEmpty())
            continue;
        const bool plain = std::none_of(address.begin(), address.end(), [](QChar c) { return c.isSpace() || c.unicode() < 0x20 || c == QLatin1Char('<') || c == QLatin1Char('>'); });
        if (!plain || address.count(QLatin1Char('@')) != 1 || address.startsWith(QLatin1Char('@')) || address.endsWith(QLatin1Char('@')))
            throw kv::DispatchError("MailItem.Send: \"" + address.toStdString() + "\" is not an e-mail address");
        addresses << address;
    }
    return addresses;
}

} // namespace

void MailItem::send()
{
    if (m_sent)
        throw kv::DispatchError("MailItem.Send: the mail has been sent already");
    const QStringList recipients = recipientsOf(m_to);
    if (recipients.isEmpty())
        throw kv::DispatchError("MailItem.Send: the mail has no recipient");
    try {
        const MailSettings settings = MailSettings::load();
        MimeMessage message;
        message.from = QString::fromStdString(settings.from);
        message.fromName = QString::fromStdString(settings.fromName);
        message.to = recipients.join(QStringLiteral(", "));
        message.subject = QString::fromStdString(m_subject);
        message.body = QString::fromStdString(m_body);
        for (const std::string &file : m_files)
            message.files << QString::fromStdString(file);
        SmtpSender(settings).send(recipients, message.render());
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
