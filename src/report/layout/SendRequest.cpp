#include "report/layout/SendRequest.h"

#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRPreviewer.h"

#include <cstdio>

namespace kv {

namespace {

void complain(const QString &text)
{
    std::fprintf(stderr, "send: %s\n", text.toLocal8Bit().constData());
}

} // namespace

std::optional<SendRequest> SendRequest::fromEnvironment()
{
    const QString way = QString::fromLocal8Bit(qgetenv(kSendVariable)).trimmed().toLower();
    if (way.isEmpty())
        return std::nullopt;
    SendRequest request;
    request.kind = way == QLatin1String("mail") ? 1 : way == QLatin1String("fax") ? 2 : 0;
    request.server = QString::fromLocal8Bit(qgetenv(kFaxServerVariable)).trimmed();
    return request;
}

std::optional<QString> SendRequest::subject()
{
    if (!qEnvironmentVariableIsSet(kSubjectVariable))
        return std::nullopt;
    return qEnvironmentVariable(kSubjectVariable);
}

QString SendRequest::faxCaption(const QStringList &captions) const
{
    if (server.isEmpty())
        return captions.value(0);
    for (const QString &caption : captions) {
        const qsizetype open = caption.lastIndexOf(QLatin1Char('('));
        if (open < 0 || !caption.endsWith(QLatin1Char(')'))) {
            if (caption == server)
                return caption;
            continue;
        }
        const QString name = caption.left(open);
        const QString address = caption.mid(open + 1).chopped(1);
        if (name == server || address == server || caption == server)
            return caption;
    }
    return {};
}

bool SendRequest::run(const PreviewRequest &preview) const
{
    if (!preview.layout)
        return false;
    if (kind == 1) {
        if (!preview.emailVisible || !preview.sendEnabled) {
            complain(QStringLiteral("this run offers no e-mail (the send way on the conditions is not e-mail)"));
            return false;
        }
        return preview.layout->Send(1, 2, {});
    }
    if (kind == 2) {
        const QString caption = faxCaption(preview.faxServers);
        if (!preview.faxVisible || !preview.sendEnabled || caption.isEmpty()) {
            complain(QStringLiteral("this run offers no fax server \"%1\" (offered: %2)")
                         .arg(server, preview.faxServers.join(QStringLiteral(", "))));
            return false;
        }
        return preview.layout->Send(2, 1, caption.toStdString());
    }
    complain(QStringLiteral("--send takes mail or fax"));
    return false;
}

} // namespace kv
