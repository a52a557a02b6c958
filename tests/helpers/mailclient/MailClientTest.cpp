// The mail client object against a real SMTP server on loopback: what the
// module hands it arrives with every attachment intact and its Chinese
// subject and file names readable by an independent mail parser; a
// refusing server makes Send fail with the server's reply.

#include "mailclient/MailObjects.h"
#include "mailclient/MailSettings.h"
#include "platform/Dispatch.h"
#include "support/ShellFixture.h"
#include "support/SmtpSink.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kv::DispatchPtr;
using kv::Variant;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class MailClientTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QString reason = kvtest::SmtpSink::unavailableReason();
        if (!reason.isEmpty())
            GTEST_SKIP() << "no loopback SMTP server: " << reason.toStdString();
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        kvmail::registerMailClient();
    }

    void configure(int port, const std::string &extra = {})
    {
        shell.writeFile("client/MarshalC.ini", "[Mail]\nServer=127.0.0.1\nPort=" + std::to_string(port) +
                                                   "\nSecurity=none\nFrom=erp@demo.example\nFromName=示范公司\n" + extra);
    }

    // A mail item made the way the module makes one.
    DispatchPtr newMail(const std::string &to, const std::string &subject)
    {
        DispatchPtr outlook = kv::createOleObject("Outlook.Application");
        DispatchPtr space = outlook->call("GetNameSpace", {Variant("MAPI")}).toObject();
        DispatchPtr folder = space->call("GetDefaultFolder", {Variant(6)}).toObject();
        DispatchPtr item = folder->get("Items").toObject()->call("Add").toObject();
        item->put("To", Variant(to));
        item->put("Subject", Variant(subject));
        return item;
    }

    QString file(const QString &name) const { return files.filePath(name); }

    kvtest::ShellFixture shell;
    QTemporaryDir files;
};

TEST_F(MailClientTest, EveryAttachmentArrivesIntactUnderItsChineseName)
{
    kvtest::SmtpSink sink;
    ASSERT_GT(sink.port(), 0);
    configure(sink.port());

    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(file(QStringLiteral("领料单_1.jpg")), "JPG"));
    {
        QPdfWriter pdf(file(QStringLiteral("领料单_2.pdf")));
        QPainter painter(&pdf);
        painter.drawText(100, 100, QStringLiteral("page"));
    }
    // The smallest GIF there is: one white pixel.
    const QByteArray gif = QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c00000000010001000002024401003b");
    QFile gifFile(file(QStringLiteral("QIPR07_3.gif")));
    ASSERT_TRUE(gifFile.open(QIODevice::WriteOnly));
    gifFile.write(gif);
    gifFile.close();

    // Long enough that the subject needs several encoded words.
    const std::string subject = "Tarvix-ERP 领料单打印 供应商 甲乙丙丁戊己庚辛壬癸 子丑寅卯辰巳午未申酉戌亥";
    DispatchPtr mail = newMail("buyer@supplier.example", subject);
    DispatchPtr attachments = mail->get("Attachments").toObject();
    for (const char *name : {"领料单_1.jpg", "领料单_2.pdf", "QIPR07_3.gif"})
        attachments->call("Add", {Variant(file(QString::fromUtf8(name)).toStdString())});
    EXPECT_EQ(attachments->get("Count").toInt(), 3);
    mail->call("Send");

    const QJsonArray mails = sink.mails();
    ASSERT_EQ(mails.size(), 1);
    const QJsonObject got = mails[0].toObject();
    EXPECT_EQ(got["envelope"]["to"].toArray(), QJsonArray{QStringLiteral("buyer@supplier.example")});
    EXPECT_EQ(got["envelope"]["from"].toString(), QStringLiteral("erp@demo.example"));
    EXPECT_EQ(got["subject"].toString().toStdString(), subject);
    EXPECT_EQ(got["from"].toString(), QStringLiteral("示范公司 <erp@demo.example>"));
    const QJsonArray parts = got["attachments"].toArray();
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[0]["filename"].toString(), QStringLiteral("领料单_1.jpg"));
    EXPECT_EQ(parts[0]["type"].toString(), QStringLiteral("image/jpeg"));
    EXPECT_EQ(parts[1]["type"].toString(), QStringLiteral("application/pdf"));
    EXPECT_EQ(parts[2]["type"].toString(), QStringLiteral("image/gif"));
    for (int i = 0; i < 3; ++i) {
        const QString sent = file(parts[i]["filename"].toString());
        EXPECT_EQ(fileBytes(parts[i]["path"].toString()), fileBytes(sent)) << sent.toStdString();
    }
    EXPECT_EQ(kvtest::toolOutput(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h"),
                                                                parts[0]["path"].toString()}),
              QStringLiteral("JPEG 120 80"));
    EXPECT_TRUE(kvtest::toolOutput(QStringLiteral("pdfinfo"), {parts[1]["path"].toString()}).contains(QStringLiteral("Pages:")));
    // A mail item goes once.
    EXPECT_THROW(mail->call("Send"), kv::DispatchError);
}

TEST_F(MailClientTest, ARefusalFailsTheSendWithTheServersReply)
{
    kvtest::SmtpSink sink({QStringLiteral("--reject"), QStringLiteral("nobody@supplier.example"), QStringLiteral("--drop"),
                           QStringLiteral("gone@supplier.example")});
    ASSERT_GT(sink.port(), 0);
    configure(sink.port());

    try {
        newMail("nobody@supplier.example", "x")->call("Send");
        FAIL() << "a rejected recipient was taken for a sent mail";
    } catch (const kv::DispatchError &error) {
        EXPECT_NE(std::string(error.what()).find("550 5.1.1 <nobody@supplier.example>: Recipient address rejected"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_THROW(newMail("gone@supplier.example", "x")->call("Send"), kv::DispatchError);
    // The server still takes mail for others afterwards.
    newMail("buyer@supplier.example", "x")->call("Send");
    EXPECT_EQ(sink.mails().size(), 1);
    // Several receivers of one mail; a line break in an address is no
    // way to add a header of one's own.
    newMail("a@supplier.example; b@supplier.example,", "x")->call("Send");
    const QJsonArray mails = sink.mails();
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(mails[1]["envelope"]["to"].toArray(),
              (QJsonArray{QStringLiteral("a@supplier.example"), QStringLiteral("b@supplier.example")}));
    EXPECT_THROW(newMail("a@supplier.example\r\nBcc: spy@elsewhere.example", "x")->call("Send"), kv::DispatchError);
    EXPECT_THROW(newMail("no address", "x")->call("Send"), kv::DispatchError);
    EXPECT_EQ(sink.mails().size(), 2);
    // A missing attachment fails where it is attached.
    EXPECT_THROW(newMail("buyer@supplier.example", "x")->get("Attachments").toObject()->call("Add", {Variant("/no/such.gif")}),
                 kv::DispatchError);
}

TEST_F(MailClientTest, LoginUsesThePasswordFromItsSource)
{
    kvtest::SmtpSink sink({QStringLiteral("--auth"), QStringLiteral("erp:s3cret")});
    ASSERT_GT(sink.port(), 0);
    shell.writeFile("client/mail.pw", "wrong\n");
    configure(sink.port(), "User=erp\nPasswordFile=" + shell.clientDir() + "mail.pw\n");
    try {
        newMail("buyer@supplier.example", "x")->call("Send");
        FAIL() << "a wrong password was taken for a sent mail";
    } catch (const kv::DispatchError &error) {
        EXPECT_NE(std::string(error.what()).find("535"), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()).find("wrong"), std::string::npos) << "the password shows in the error";
    }
    qputenv("QIPR07_TEST_MAIL_PASSWORD", "s3cret");
    configure(sink.port(), "User=erp\nPasswordEnv=QIPR07_TEST_MAIL_PASSWORD\n");
    newMail("buyer@supplier.example", "x")->call("Send");
    qunsetenv("QIPR07_TEST_MAIL_PASSWORD");
    const QJsonArray mails = sink.mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0]["envelope"]["login"].toString(), QStringLiteral("erp"));
}

TEST(MailSettingsTest, IncompleteSettingsAreNamedAndTheOverrideWins)
{
    EXPECT_THROW(kvmail::MailSettings::fromIni("[Mail]\nFrom=a@b\n", ""), std::runtime_error);
    EXPECT_THROW(kvmail::MailSettings::fromIni("[Mail]\nServer=mail\n", ""), std::runtime_error);
    EXPECT_THROW(kvmail::MailSettings::fromIni("[Mail]\nServer=mail\nFrom=a@b\nSecurity=maybe\n", ""), std::runtime_error);
    const auto tls = kvmail::MailSettings::fromIni("[Mail]\nServer=mail\nFrom=a@b\nSecurity=tls\n", "");
    EXPECT_EQ(tls.url, "smtps://mail:465");
    const auto submission = kvmail::MailSettings::fromIni("[Mail]\nServer=mail\nFrom=a@b\n", "");
    EXPECT_EQ(submission.url, "smtp://mail:587");
    EXPECT_EQ(submission.security, kvmail::Security::StartTls);
    const auto local = kvmail::MailSettings::fromIni("[Mail]\nServer=mail\nFrom=a@b\nUser=u\nPasswordEnv=NOPE_NOT_SET_X\n",
                                                     "smtp://127.0.0.1:2525");
    EXPECT_EQ(local.url, "smtp://127.0.0.1:2525");
    EXPECT_EQ(local.security, kvmail::Security::None);
    EXPECT_TRUE(local.user.empty());
    EXPECT_EQ(local.from, "a@b");
    EXPECT_THROW(kvmail::MailSettings::fromIni("", "http://x"), std::runtime_error);
}

} // namespace
