#pragma once
// A send asked for on erp-host's command line (--send, --fax-server,
// --subject): a run without a screen presses the preview's e-mail button or
// fax menu item itself once the pages are generated. The host hands the
// request over in environment variables:
//   QIPR07_SEND             "mail" or "fax"
//   QIPR07_SEND_FAX_SERVER  the fax server's name or address (default: the first)
//   QIPR07_SEND_SUBJECT     the mail subject instead of the proposed one

#include <QString>
#include <QStringList>

#include <optional>

namespace kv {

struct PreviewRequest;

struct SendRequest {
    static constexpr const char *kSendVariable = "QIPR07_SEND";
    static constexpr const char *kFaxServerVariable = "QIPR07_SEND_FAX_SERVER";
    static constexpr const char *kSubjectVariable = "QIPR07_SEND_SUBJECT";

    int kind = 0;     // 1 e-mail, 2 fax
    QString server;   // wanted fax server, empty for the first

    // The request of this run; none when no send was asked for.
    static std::optional<SendRequest> fromEnvironment();
    // The subject given with the request, if any.
    static std::optional<QString> subject();

    // The fax menu caption the request picks ("name(server)"), empty when
    // none fits.
    QString faxCaption(const QStringList &captions) const;
    // Sends as the preview's button or menu item would; false with a
    // message (written to standard error) when the run cannot send.
    bool run(const PreviewRequest &preview) const;
};

} // namespace kv
