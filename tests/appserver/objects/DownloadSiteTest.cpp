// What the server publishes for the clients' new-file download: the file
// list entry of a published archive (settings, stamp, size, refused names)
// and slipserv's own download endpoint answering real HTTP requests.

#include "net/DownloadHttpServer.h"
#include "objects/DownloadSite.h"
#include "objects/FileListServer.h"
#include "objects/ServerConfig.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

namespace {

class DownloadSiteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath("Download"));
        site.directory = folder().toStdString();
        site.baseUrl = "http://erp-host:7212/";
    }
    QString folder() const { return dir.filePath("Download"); }

    // An archive holding one file with the given content.
    void publish(const QString &archive, const QString &entry, const QByteArray &content)
    {
        QProcess zipper;
        zipper.start("python3", {"-c", "import sys,zipfile\nwith zipfile.ZipFile(sys.argv[1],'w') as z: "
                                       "z.writestr(sys.argv[2],sys.argv[3])",
                                 folder() + "/" + archive, entry, QString::fromUtf8(content)});
        ASSERT_TRUE(zipper.waitForFinished(20000));
        ASSERT_EQ(zipper.exitCode(), 0);
    }

    QTemporaryDir dir;
    slip::DownloadSite site;
};

TEST_F(DownloadSiteTest, SettingsNameTheFolderAndTheAddress)
{
    std::ofstream(dir.filePath("MarshalS.ini").toStdString())
        << "[Slipserv]\nDataDir=\\Data\n[Download]\nDirectory=\\Download\nBaseUrl=https://files.example/pkg\n"
           "HttpPort=7212\n";
    const slip::ServerConfig config = slip::ServerConfig::load(dir.filePath("MarshalS.ini").toStdString());
    EXPECT_EQ(QDir::cleanPath(QString::fromStdString(config.download.directory.string())), QDir::cleanPath(folder()));
    EXPECT_EQ(config.download.baseUrl, "https://files.example/pkg/");
    EXPECT_EQ(config.download.httpPort, 7212);
    EXPECT_TRUE(config.download.offersFiles());

    for (const char *bad : {"[Download]\nHttpPort=70000\n", "[Download]\nHttpPort=x\n",
                            "[Download]\nBaseUrl=ftp://files.example/\n"}) {
        std::ofstream(dir.filePath("MarshalS.ini").toStdString()) << "[Slipserv]\nDataDir=\\Data\n" << bad;
        EXPECT_THROW(slip::ServerConfig::load(dir.filePath("MarshalS.ini").toStdString()), slip::ServerConfigError)
            << bad;
    }
    // Without the section nothing is offered.
    std::ofstream(dir.filePath("MarshalS.ini").toStdString()) << "[Slipserv]\nDataDir=\\Data\n";
    EXPECT_FALSE(slip::ServerConfig::load(dir.filePath("MarshalS.ini").toStdString()).download.offersFiles());
}

TEST_F(DownloadSiteTest, EntryCarriesTheArchivesTimeInUtcAndTheFilesSize)
{
    publish("qipr07s.so.zip", "QIPR07S.so", "twelve bytes");
    const QDateTime published(QDate(2026, 12, 1), QTime(8, 30, 0), Qt::UTC);
    QFile archive(folder() + "/qipr07s.so.zip");
    ASSERT_TRUE(archive.open(QIODevice::ReadWrite));
    ASSERT_TRUE(archive.setFileTime(published, QFileDevice::FileModificationTime));
    archive.close();

    EXPECT_EQ(site.entryOf("qipr07s.so"),
              "<Modify>2026-12-01 08:30:00;size=12</Modify><Path>http://erp-host:7212/qipr07s.so</Path>");
    // The client may ask in any case; the archive is the lower-case one.
    EXPECT_EQ(site.archiveOf("QIPR07S.so"), site.archiveOf("qipr07s.so"));

    // An archive without the file still names the download, without a size.
    publish("other.so.zip", "readme.txt", "x");
    EXPECT_EQ(site.entryOf("other.so").find(";size="), std::string::npos);
    EXPECT_NE(site.entryOf("other.so"), "");

    for (const char *refused : {"missing.so", "../qipr07s.so", "sub/qipr07s.so", "..\\qipr07s.so", "", ".."})
        EXPECT_EQ(site.entryOf(refused), "") << refused;

    // The host asks through the automation object.
    slip::FileListServer list(site);
    EXPECT_EQ(kv::varToStr(list.call("GetFileList", {kv::Variant("qipr07s.so")})), site.entryOf("qipr07s.so"));
    list.put("CompanyDB", kv::Variant("DEMO"));
    site.baseUrl.clear();
    EXPECT_EQ(slip::FileListServer(site).call("GetFileList", {kv::Variant("qipr07s.so")}).toText(), "");
}

class DownloadEndpointTest : public DownloadSiteTest {
protected:
    void SetUp() override
    {
        DownloadSiteTest::SetUp();
        endpoint = std::make_unique<slip::DownloadHttpServer>(site.directory);
        endpoint->start("127.0.0.1", 0);
    }

    // Sends a raw request and returns everything the endpoint answered
    // before it closed the connection.
    QByteArray exchange(const QByteArray &request)
    {
        QTcpSocket socket;
        QByteArray reply;
        QEventLoop loop;
        QObject::connect(&socket, &QTcpSocket::connected, [&] { socket.write(request); });
        QObject::connect(&socket, &QTcpSocket::readyRead, [&] { reply += socket.readAll(); });
        QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);
        socket.connectToHost("127.0.0.1", endpoint->serverPort());
        loop.exec();
        return reply + socket.readAll();
    }
    static QByteArray body(const QByteArray &reply) { return reply.mid(reply.indexOf("\r\n\r\n") + 4); }
    static QByteArray status(const QByteArray &reply) { return reply.left(reply.indexOf("\r\n")); }

    std::unique_ptr<slip::DownloadHttpServer> endpoint;
};

TEST_F(DownloadEndpointTest, ServesPublishedFilesWholeOrFromAnOffset)
{
    QByteArray content;
    for (int i = 0; i < 200000; ++i)
        content += char('a' + i % 26);
    {
        QFile file(folder() + "/big.so.zip");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QByteArray whole = exchange("GET /big.so.zip HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(status(whole), "HTTP/1.1 200 OK");
    EXPECT_TRUE(whole.contains("Content-Length: 200000\r\n"));
    EXPECT_EQ(body(whole), content);

    const QByteArray rest = exchange("GET /big.so.zip HTTP/1.1\r\nRange: bytes=199990-\r\n\r\n");
    EXPECT_EQ(status(rest), "HTTP/1.1 206 Partial Content");
    EXPECT_TRUE(rest.contains("Content-Range: bytes 199990-199999/200000\r\n"));
    EXPECT_EQ(body(rest), content.right(10));

    const QByteArray head = exchange("HEAD /big.so.zip HTTP/1.0\r\n\r\n");
    EXPECT_EQ(status(head), "HTTP/1.1 200 OK");
    EXPECT_TRUE(body(head).isEmpty());
    EXPECT_EQ(status(exchange("GET /big.so.zip HTTP/1.1\r\nRange: bytes=300000-\r\n\r\n")),
              "HTTP/1.1 416 Range Not Satisfiable");
}

TEST_F(DownloadEndpointTest, NothingOutsideThePublishedFolderIsServed)
{
    std::ofstream(dir.filePath("secret.ini").toStdString()) << "password=1";
    std::ofstream((folder() + "/.hidden").toStdString()) << "x";
    ASSERT_TRUE(QDir(folder()).mkpath("sub"));
    std::ofstream((folder() + "/sub/inner.zip").toStdString()) << "x";
    ASSERT_TRUE(QFile::link(dir.filePath("secret.ini"), folder() + "/link.zip"));

    for (const char *target : {"/../secret.ini", "/%2e%2e/secret.ini", "/%2E%2E%2Fsecret.ini", "/.hidden",
                               "/sub/inner.zip", "/sub", "/link.zip", "/", "/missing.zip"})
        EXPECT_EQ(status(exchange(QByteArray("GET ") + target + " HTTP/1.1\r\n\r\n")), "HTTP/1.1 404 Not Found")
            << target;
    EXPECT_EQ(status(exchange("PUT /x.zip HTTP/1.1\r\n\r\n")), "HTTP/1.1 405 Method Not Allowed");
    EXPECT_EQ(status(exchange("nonsense\r\n\r\n")), "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(status(exchange("GET /" + QByteArray(9000, 'a'))), "HTTP/1.1 431 Request Header Fields Too Large");
}

} // namespace
