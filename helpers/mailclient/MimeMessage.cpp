#include "mailclient/MimeMessage.h"

#include "mailclient/MailError.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QUuid>

namespace kvmail {

namespace {

bool isPlainAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

// Encoded words hold whole characters (a UTF-8 sequence is never split) and
// stay within 75 characters each.
QList<QByteArray> utf8Chunks(const QString &text)
{
    constexpr int kMaxRawBytes = 45; // 60 base64 characters
    QList<QByteArray> chunks;
    QByteArray current;
    for (int i = 0; i < text.size(); ++i) {
        QString one(text[i]);
        if (text[i].isHighSurrogate() && i + 1 < text.size())
            one += text[++i];
        const QByteArray bytes = one.toUtf8();
        if (current.size() + bytes.size() > kMaxRawBytes) {
            chunks << current;
            current.clear();
        }
        current += bytes;
    }
    if (!current.isEmpty())
        chunks << current;
    return chunks;
}

QByteArray mimeType(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "image/jpeg";
    if (suffix == QLatin1String("gif"))
        return "image/gif";
    if (suffix == QLatin1String("bmp"))
        return "image/bmp";
    if (suffix == QLatin1String("pdf"))
        return "application/pdf";
    return "application/octet-stream";
}

// RFC 2231 parameter value: UTF-8, percent-encoded.
QByteArray extendedValue(const QString &text)
{
    return "UTF-8''" + text.toUtf8().toPercentEncoding();
}

QByteArray base64Lines(const QByteArray &data)
{
    const QByteArray encoded = data.toBase64();
    QByteArray lines;
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        lines += encoded.mid(at, 76) + "\r\n";
    return lines;
}

QByteArray addressHeader(const QString &name, const QString &address)
{
    if (name.isEmpty())
        return address.toUtf8();
    if (isPlainAscii(name))
        return '"' + name.toUtf8().replace('\\', "\\\\").replace('"', "\\\"") + "\" <" + address.toUtf8() + '>';
    return encodedHeaderWords(name) + " <" + address.toUtf8() + '>';
}

QByteArray attachmentPart(const QString &path, const QByteArray &boundary)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw MailError("The attachment " + path.toStdString() + " cannot be read");
    const QString name = QFileInfo(path).fileName();
    QByteArray part = "--" + boundary + "\r\n";
    part += "Content-Type: " + mimeType(path) + "; name=\"" + encodedHeaderWords(name) + "\"\r\n";
    part += "Content-Transfer-Encoding: base64\r\n";
    part += "Content-Disposition: attachment; filename*=" + extendedValue(name) + "\r\n\r\n";
    part += base64Lines(file.readAll());
    return part;
}

// RFC 5322 date: "Tue, 08 Dec 2026 01:02:03 +0800".
QByteArray dateHeader(const QDateTime &when)
{
    const int offset = when.offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    return QLocale::c().toString(when, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")).toUtf8() +
           (offset < 0 ? '-' : '+') + QByteArray::number(magnitude / 60).rightJustified(2, '0') +
           QByteArray::number(magnitude % 60).rightJustified(2, '0');
}

} // namespace

QByteArray encodedHeaderWords(const QString &text)
{
    if (isPlainAscii(text))
        return text.toUtf8();
    QByteArray words;
    for (const QByteArray &chunk : utf8Chunks(text)) {
        if (!words.isEmpty())
            words += "\r\n ";
        words += "=?UTF-8?B?" + chunk.toBase64() + "?=";
    }
    return words;
}

QByteArray MimeMessage::render() const
{
    const QByteArray mark = boundary.isEmpty()
                                ? "=_qrm_" + QByteArray::number(QRandomGenerator::global()->generate64(), 16)
                                : boundary;
    const QDateTime when = date.isValid() ? date : QDateTime::currentDateTime();
    const QString domain = from.section(QLatin1Char('@'), 1).isEmpty() ? QStringLiteral("localhost")
                                                                        : from.section(QLatin1Char('@'), 1);
    QByteArray out;
    out += "From: " + addressHeader(fromName, from) + "\r\n";
    out += "To: " + to.toUtf8() + "\r\n";
    out += "Subject: " + encodedHeaderWords(subject) + "\r\n";
    out += "Date: " + dateHeader(when) + "\r\n";
    out += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8() + '@' + domain.toUtf8() + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/mixed; boundary=\"" + mark + "\"\r\n\r\n";
    out += "--" + mark + "\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    out += base64Lines(body.toUtf8());
    for (const QString &file : files)
        out += attachmentPart(file, mark);
    out += "--" + mark + "--\r\n";
    return out;
}

} // namespace kvmail
