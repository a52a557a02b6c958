#pragma once
// One mail as it goes over the wire: headers (UTF-8 words encoded as mail
// clients expect, RFC 2047 and RFC 2231), a short text part and every file
// attached in base64 under its own name.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kvmail {

struct MimeMessage {
    QString from;
    QString fromName;
    QString to;
    QString subject;
    QString body;
    QStringList files;      // paths; each is attached under its file name
    QDateTime date;
    QByteArray boundary;    // empty: one is made

    // The whole message with CRLF line ends; MailError when a file cannot be read.
    QByteArray render() const;
};

// "=?UTF-8?B?...?=" words for a header value that is not plain ASCII,
// split so that no encoded word exceeds the line limit; plain ASCII stays.
QByteArray encodedHeaderWords(const QString &text);

} // namespace kvmail
