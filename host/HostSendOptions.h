#pragma once
// erp-host's options for sending after a preview (kept stable: outside
// checks drive them):
//   --send mail|fax       press the preview's e-mail button or fax menu item
//   --fax-server NAME     the fax server (name or address; default the first)
//   --subject TEXT        the mail subject instead of the proposed one
//   --smtp URL            send mail through this server for one run
//                         (smtp://host:port, plain, no login)
//   --fax-spool DIR       the local fax server "127.0.0.1" spools into DIR
// They reach the module as environment variables (QIPR07_SEND,
// QIPR07_SEND_FAX_SERVER, QIPR07_SEND_SUBJECT, QIPR07_SMTP_URL,
// QIPR07_FAX_SPOOL).

#include <QCommandLineOption>
#include <QList>

#include <string>
#include <utility>
#include <vector>

class QCommandLineParser;

namespace erphost {

struct SendOptions {
    std::string way;        // "mail", "fax" or empty
    std::string faxServer;
    std::string subject;
    bool subjectSet = false;
    std::string smtpUrl;
    std::string faxSpool;   // absolute

    static QList<QCommandLineOption> commandLineOptions();
    // Reads them from a parsed command line; HostUsageError when wrong.
    static SendOptions read(const QCommandLineParser &parser);
    void addEnvironment(std::vector<std::pair<std::string, std::string>> &variables) const;
    static const char *usage();
};

} // namespace erphost
