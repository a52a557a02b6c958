// The fax server object: the server list the preview's menu shows, jobs
// written into a spool folder per job, and jobs handed to HylaFAX's
// sendfax (a stand-in on PATH records its arguments and the document).

#include "faxserver/FaxObjects.h"
#include "faxserver/FaxSettings.h"
#include "platform/Dispatch.h"
#include "support/ShellFixture.h"
#include "support/SmtpSink.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kv::DispatchPtr;
using kv::Variant;

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class FaxServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        kvfax::registerFaxServer();
        for (int i = 1; i <= 3; ++i) {
            QImage page(170, 220, QImage::Format_RGB32);
            page.fill(Qt::white);
            pages << work.filePath(QStringLiteral("QIPR07_%1.jpg").arg(i));
            page.save(pages.last(), "JPG");
        }
    }

    DispatchPtr job() { return kv::createOleObject("QRMFAX.APP")->get("SendFax").toObject(); }

    void send(DispatchPtr fax, const std::string &server, const std::string &number, const std::string &receiver)
    {
        ASSERT_TRUE(fax->call("ConnectFaxServer", {Variant(server)}).toBool());
        for (const QString &page : pages)
            EXPECT_TRUE(fax->call("AddFaxFile", {Variant(page.toStdString())}).toBool());
        fax->call("SendFax", {Variant(number), Variant(receiver), Variant("DS"), Variant(0)});
        fax->call("DisconnectFaxServer");
    }

    kvtest::ShellFixture shell;
    QTemporaryDir work;
    QStringList pages;
};

TEST_F(FaxServerTest, TheMenuListsTheConfiguredServersAndTheLocalDefault)
{
    shell.writeFile("client/MarshalC.ini", "[Fax Servers]\nCount=2\nName1=总公司传真\nServer1=fax.example.com\n"
                                           "Type1=hylafax\nModem1=ttyS0\nName2=\nServer2=\n");
    DispatchPtr fax = kv::createOleObject("QRMFAX.APP");
    fax->call("RefreshFaxServerInfo");
    ASSERT_EQ(fax->call("FaxServerCount").toInt(), 2);
    Variant name;
    Variant server;
    fax->call("GetFaxServerInfo", {Variant(0), Variant::ref(name), Variant::ref(server)});
    EXPECT_EQ(name.toText(), "总公司传真");
    EXPECT_EQ(server.toText(), "fax.example.com");
    fax->call("GetFaxServerInfo", {Variant(1), Variant::ref(name), Variant::ref(server)});
    EXPECT_EQ(server.toText(), "127.0.0.1");
    EXPECT_THROW(fax->call("GetFaxServerInfo", {Variant(2), Variant::ref(name), Variant::ref(server)}), kv::DispatchError);
    // An unknown server is not connected, and a job without one sends nothing.
    DispatchPtr unknown = job();
    EXPECT_FALSE(unknown->call("ConnectFaxServer", {Variant("elsewhere")}).toBool());
    EXPECT_FALSE(unknown->call("AddFaxFile", {Variant(pages[0].toStdString())}).toBool());
    EXPECT_THROW(unknown->call("SendFax", {Variant("123"), Variant("R"), Variant("DS"), Variant(0)}), kv::DispatchError);
    EXPECT_THROW(kvfax::FaxSettings::fromIni("[Fax Servers]\nCount=1\nServer1=x\nType1=modem\n", "/c/", ""), std::runtime_error);
}

TEST_F(FaxServerTest, TheLocalServerSpoolsOneCompleteFolderPerJob)
{
    const QString spool = work.filePath(QStringLiteral("spool"));
    qputenv("QIPR07_FAX_SPOOL", spool.toUtf8());
    send(job(), "", "0755-1234567", "深圳'五金");
    send(job(), "127.0.0.1", "021-7654321", "上海电子");
    qunsetenv("QIPR07_FAX_SPOOL");

    const QStringList jobs = QDir(spool).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    ASSERT_EQ(jobs.size(), 2) << jobs.join(QLatin1Char(' ')).toStdString();
    const QString first = readText(QDir(spool).filePath(jobs[0] + QStringLiteral("/job.ini")));
    EXPECT_TRUE(first.contains(QStringLiteral("Receiver=深圳'五金\n"))) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("FaxNumber=0755-1234567\n")));
    EXPECT_TRUE(first.contains(QStringLiteral("Sender=DS\n")));
    EXPECT_TRUE(first.contains(QStringLiteral("Pages=3\nPage1=page001.jpg\nPage2=page002.jpg\nPage3=page003.jpg\n")));
    for (const QString &name : {QStringLiteral("page001.jpg"), QStringLiteral("page003.jpg")})
        EXPECT_FALSE(QImage(QDir(spool).filePath(jobs[0] + QLatin1Char('/') + name)).isNull()) << name.toStdString();
    EXPECT_TRUE(readText(QDir(spool).filePath(jobs[1] + QStringLiteral("/job.ini"))).contains(QStringLiteral("Receiver=上海电子")));
}

TEST_F(FaxServerTest, AHylaFaxServerGetsTheJobThroughSendfax)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/pdfinfo")))
        GTEST_SKIP() << "pdfinfo (poppler-utils) is needed to read the fax document back";
    // The stand-in records its arguments and keeps the document it was given.
    const QString bin = work.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QString record = work.filePath(QStringLiteral("sendfax.args"));
    const QString kept = work.filePath(QStringLiteral("sent.pdf"));
    shell.writeFile("bin/sendfax", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.toStdString() + "'\n"
                                   "for last; do :; done\ncp \"$last\" '" + kept.toStdString() + "'\n"
                                   "[ \"$5\" != refuse ] || { echo 'sendfax: no such destination' >&2; exit 1; }\n");
    const QString stand = QString::fromStdString(shell.root() + "bin/sendfax");
    QFile::setPermissions(stand, QFile::permissions(stand) | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(shell.root() + "bin:") + path);
    shell.writeFile("client/MarshalC.ini", "[Fax Servers]\nCount=1\nName1=总公司\nServer1=fax.example.com\nType1=hylafax\nModem1=ttyS0\n");

    send(job(), "fax.example.com", "0755-1234567", "深圳五金");
    const QStringList args = readText(record).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(args.size(), 10) << readText(record).toStdString();
    EXPECT_EQ(args.mid(0, 9), (QStringList{QStringLiteral("-n"), QStringLiteral("-h"), QStringLiteral("ttyS0@fax.example.com"),
                                           QStringLiteral("-d"), QStringLiteral("0755-1234567"), QStringLiteral("-x"),
                                           QStringLiteral("深圳五金"), QStringLiteral("-f"), QStringLiteral("DS")}));
    EXPECT_TRUE(kvtest::toolOutput(QStringLiteral("pdfinfo"), {kept}).contains(QRegularExpression(QStringLiteral("Pages:\\s+3"))));

    DispatchPtr refused = job();
    ASSERT_TRUE(refused->call("ConnectFaxServer", {Variant("fax.example.com")}).toBool());
    refused->call("AddFaxFile", {Variant(pages[0].toStdString())});
    try {
        refused->call("SendFax", {Variant("refuse"), Variant("R"), Variant("DS"), Variant(0)});
        FAIL() << "a refused fax was taken for a sent one";
    } catch (const kv::DispatchError &error) {
        EXPECT_NE(std::string(error.what()).find("no such destination"), std::string::npos) << error.what();
    }
    qputenv("PATH", path);
}

} // namespace
