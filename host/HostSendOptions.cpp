#include "HostSendOptions.h"

#include "HostOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QUrl>

namespace erphost {

QList<QCommandLineOption> SendOptions::commandLineOptions()
{
    return {QCommandLineOption("send", "send after the preview", "mail|fax"),
            QCommandLineOption("fax-server", "fax server", "NAME"), QCommandLineOption("subject", "mail subject", "TEXT"),
            QCommandLineOption("smtp", "mail server for this run", "URL"),
            QCommandLineOption("fax-spool", "spool of the local fax server", "DIR")};
}

SendOptions SendOptions::read(const QCommandLineParser &parser)
{
    SendOptions options;
    options.way = parser.value("send").toStdString();
    if (parser.isSet("send") && options.way != "mail" && options.way != "fax")
        throw HostUsageError("--send takes mail or fax, not " + options.way);
    if (parser.isSet("fax-server") && options.way != "fax")
        throw HostUsageError("--fax-server goes with --send fax");
    if (parser.isSet("subject") && options.way != "mail")
        throw HostUsageError("--subject goes with --send mail");
    options.faxServer = parser.value("fax-server").toStdString();
    options.subjectSet = parser.isSet("subject");
    options.subject = parser.value("subject").toStdString();
    if (parser.isSet("smtp")) {
        const QUrl url(parser.value("smtp"));
        if (!url.isValid() || url.host().isEmpty() || (url.scheme() != "smtp" && url.scheme() != "smtps"))
            throw HostUsageError("--smtp takes smtp://HOST[:PORT], not " + parser.value("smtp").toStdString());
        options.smtpUrl = parser.value("smtp").toStdString();
    }
    if (parser.isSet("fax-spool")) {
        if (parser.value("fax-spool").isEmpty())
            throw HostUsageError("--fax-spool needs a directory");
        options.faxSpool = QDir(parser.value("fax-spool")).absolutePath().toStdString();
    }
    return options;
}

void SendOptions::addEnvironment(std::vector<std::pair<std::string, std::string>> &variables) const
{
    if (!way.empty())
        variables.emplace_back("QIPR07_SEND", way);
    if (!faxServer.empty())
        variables.emplace_back("QIPR07_SEND_FAX_SERVER", faxServer);
    if (subjectSet)
        variables.emplace_back("QIPR07_SEND_SUBJECT", subject);
    if (!smtpUrl.empty())
        variables.emplace_back("QIPR07_SMTP_URL", smtpUrl);
    if (!faxSpool.empty())
        variables.emplace_back("QIPR07_FAX_SPOOL", faxSpool);
}

const char *SendOptions::usage()
{
    return "  --send mail|fax      after a preview (--execute 5, or 6 with --preview true)\n"
           "                       send the slips as the preview's e-mail button or fax\n"
           "                       menu would: every receiver gets its own pages\n"
           "  --fax-server NAME    with --send fax: the server by name or address (default\n"
           "                       the first of the fax menu)\n"
           "  --subject TEXT       with --send mail: the subject instead of the proposed one\n"
           "  --smtp URL           mail goes through this server (smtp://127.0.0.1:2525:\n"
           "                       plain, no login) instead of the client settings' [Mail]\n"
           "  --fax-spool DIR      the local fax server 127.0.0.1 writes its jobs into DIR\n";
}

} // namespace erphost
