// A program window running its server-side library, as the ERP client runs
// it: erp-host with the test module asks the application server for the
// library's file list entry, fetches a newer copy from slipserv's download
// endpoint before it runs, keeps a current one, and keeps the old copy when
// the published archive is damaged.
#include "DemoShell.h"

#include "net/DownloadHttpServer.h"
#include "support/ErpHostProcess.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using kvtest::binFile;

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// slipserv's download endpoint on a thread of its own, so that it answers
// while the test waits for erp-host.
class EndpointThread {
public:
    explicit EndpointThread(const std::string &directory)
    {
        m_server = new slip::DownloadHttpServer(directory);
        m_server->moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            m_server, [this] { m_server->start("127.0.0.1", 0); }, Qt::BlockingQueuedConnection);
    }
    ~EndpointThread()
    {
        QMetaObject::invokeMethod(m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    int port() const { return m_server->serverPort(); }

private:
    QThread m_thread;
    slip::DownloadHttpServer *m_server = nullptr;
};

class ServerProgramDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_demo = std::make_unique<kvtest::DemoShell>(1);
        const QString server = QString::fromStdString(m_demo->shell().serverDir());
        ASSERT_TRUE(QDir(server).mkpath("S_PKG") && QDir(server).mkpath("Download"));
        m_endpoint = std::make_unique<EndpointThread>((server + "Download").toStdString());
        std::ofstream(m_demo->serverIni(), std::ios::app)
            << "\n[Download]\nDirectory=\\Download\nBaseUrl=http://127.0.0.1:" << m_endpoint->port() << "/\n";
        std::ofstream(m_demo->registryFile(), std::ios::app) << "\n[Software\\VLNT\\Upgrader]\nGoAhead=1\n";
        m_library = server + "S_PKG/QIPT07S.so";
        m_archive = server + "Download/qipt07s.so.zip";
    }

    // The library the window finds, with an old modification time.
    void installOld() const
    {
        ASSERT_TRUE(QFile::copy(QString::fromStdString(binFile("QIPT07S_v1.so")), m_library));
        QFile file(m_library);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime));
    }
    void publish(const std::string &library) const
    {
        QProcess zipper;
        zipper.start("python3", {"-c", "import sys,zipfile\nwith zipfile.ZipFile(sys.argv[1],'w') as z: "
                                       "z.write(sys.argv[2],'QIPT07S.so')",
                                 m_archive, QString::fromStdString(binFile(library))});
        ASSERT_TRUE(zipper.waitForFinished(20000));
        ASSERT_EQ(zipper.exitCode(), 0);
    }

    // Runs the test window's server program through erp-host; stdout.
    std::string runServerProgram(int &status) const
    {
        const kvtest::HostRun run = kvtest::runErpHost(
            m_demo->hostLogin() + QStringList{"--module", QString::fromStdString(binFile("QIPT07C.so")), "--show",
                                              "--conditions", R"(["", [5, [true, [[["", "edtNote"]], ["x"]]]]])"},
            {}, 120000);
        status = run.status;
        return run.out + run.err;
    }

    std::unique_ptr<kvtest::DemoShell> m_demo;
    std::unique_ptr<EndpointThread> m_endpoint;
    QString m_library;
    QString m_archive;
};

TEST_F(ServerProgramDownloadTest, ANewerLibraryIsFetchedBeforeItRunsAndACurrentOneIsNot)
{
    installOld();
    publish("QIPT07S_v2.so");
    int status = -1;
    std::string out = runServerProgram(status);
    EXPECT_NE(out.find("server program QIPT07S version 2 ran A"), std::string::npos) << out;
    EXPECT_EQ(readFile(m_library), readFile(QString::fromStdString(binFile("QIPT07S_v2.so"))));

    // The copy fetched now is current: a second run uses it as it is.
    const QDateTime fetched = QFileInfo(m_library).lastModified();
    out = runServerProgram(status);
    EXPECT_NE(out.find("server program QIPT07S version 2 ran A"), std::string::npos) << out;
    EXPECT_EQ(QFileInfo(m_library).lastModified(), fetched);
}

TEST_F(ServerProgramDownloadTest, ADamagedArchiveLeavesTheOldLibraryInPlace)
{
    installOld();
    publish("QIPT07S_v2.so");
    QByteArray archive = readFile(m_archive);
    archive.truncate(archive.size() / 2);
    QFile file(m_archive);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(archive);
    file.close();
    int status = -1;
    const std::string out = runServerProgram(status);
    EXPECT_EQ(out.find("version 2"), std::string::npos) << out;
    // Unattended, the retry question is answered with Abort.
    EXPECT_NE(out.find("cannot open archive"), std::string::npos) << out;
    EXPECT_EQ(readFile(m_library), readFile(QString::fromStdString(binFile("QIPT07S_v1.so"))));
}

} // namespace
