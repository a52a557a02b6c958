// The new-file check against the real KVDownLoad.so and a web server on
// loopback: the upgrader switch, both entry forms, the retry loop through the
// prompter, the network-path refusal and the unit's alert log.

#include "base/KVDownLoadNewFile.h"
#include "base/ServerProgramRunner.h"
#include "platform/ScriptedPrompter.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace kv;

class CheckNewFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath("site/pkg") && QDir(dir.path()).mkpath("bin"));
        ::setenv("QRM_REGISTRY", path("registry.ini").c_str(), 1);
        writeFile(path("bin/ABCS.so"), "old library");
        QProcess zipper;
        zipper.start("python3", {"-c", "import sys,zipfile\nwith zipfile.ZipFile(sys.argv[1],'w') as z: "
                                       "z.writestr('ABCS.so','new library')",
                                 dir.filePath("site/pkg/abcs.so.zip")});
        ASSERT_TRUE(zipper.waitForFinished(20000));
        server.start("python3", {"-u", "-c",
                                 "import http.server,functools,sys\n"
                                 "class H(http.server.SimpleHTTPRequestHandler):\n"
                                 "    def log_message(self,*a): pass\n"
                                 "s=http.server.ThreadingHTTPServer(('127.0.0.1',0),"
                                 "functools.partial(H,directory=sys.argv[1]))\n"
                                 "print(s.server_address[1],flush=True)\ns.serve_forever()",
                                 dir.filePath("site")});
        ASSERT_TRUE(server.waitForReadyRead(20000));
        base = "http://127.0.0.1:" + server.readLine().trimmed().toStdString();
        QFile::remove(QString::fromStdString(logFile()));
    }
    void TearDown() override
    {
        ::unsetenv("QRM_REGISTRY");
        server.kill();
        server.waitForFinished();
    }
    std::string path(const char *name) const { return dir.filePath(name).toStdString(); }
    static void writeFile(const std::string &name, const QByteArray &data)
    {
        QFile file(QString::fromStdString(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    static QByteArray readFile(const std::string &name)
    {
        QFile file(QString::fromStdString(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void allowDownload(const char *value) { writeFile(path("registry.ini"), QByteArray("[Software\\VLNT\\Upgrader]\nGoAhead=") + value + "\n"); }
    static std::string logFile()
    {
        return QIPR07_BIN_DIR "/Log/Alert_KVDownLoadNewFileU_" + QDate::currentDate().toString("yyyyMMdd").toStdString()
               + ".log";
    }
    std::string tagged(const char *stamp, const char *folder = "pkg") const
    {
        return std::string("<Modify>") + stamp + "</Modify><Path>" + base + "\\" + folder + "\\ABCS.so</Path>";
    }

    QTemporaryDir dir;
    QProcess server;
    std::string base;
    std::string message;
};

TEST_F(CheckNewFileTest, UpgraderSwitchDecidesWhetherAnythingIsFetched)
{
    EXPECT_TRUE(CheckNewFile(tagged("2999-01-01 00:00:00"), path("bin/ABCS.so"), message, false));
    EXPECT_EQ(readFile(path("bin/ABCS.so")), "old library");
    EXPECT_NE(readFile(logFile()).indexOf("Read Upgrader Registry Error: No UPGRADER_REGISTRY_PATH"), -1);

    allowDownload(" 0 ");
    EXPECT_TRUE(CheckNewFile(tagged("2999-01-01 00:00:00"), path("bin/ABCS.so"), message, false));
    EXPECT_EQ(readFile(path("bin/ABCS.so")), "old library");

    allowDownload(" 1 ");
    EXPECT_TRUE(CheckNewFile(tagged("2999-01-01 00:00:00"), path("bin/ABCS.so"), message, false)) << message;
    EXPECT_EQ(readFile(path("bin/ABCS.so")), "new library");
}

TEST_F(CheckNewFileTest, AssignmentFormAndCurrentFile)
{
    allowDownload("1");
    // Current: nothing is fetched, so a folder without the archive does no harm.
    const std::string current = "Modify = '2000-01-01 00:00:00' Path = '" + base + "/none/ABCS.so'";
    EXPECT_TRUE(CheckNewFile(current, path("bin/ABCS.so"), message, false));
    EXPECT_EQ(readFile(path("bin/ABCS.so")), "old library");
    const std::string newer = "Modify = '2999-01-01 00:00:00' Path = '" + base + "/pkg/ABCS.so'";
    EXPECT_TRUE(CheckNewFile(newer, path("bin/ABCS.so"), message, false)) << message;
    EXPECT_EQ(readFile(path("bin/ABCS.so")), "new library");
}

TEST_F(CheckNewFileTest, FailuresAreRetriedThenReportedAndLogged)
{
    allowDownload("1");
    auto prompter = std::make_shared<ScriptedPrompter>();
    ScopedPrompter scoped(prompter);
    prompter->answerMessage(mrRetry);
    prompter->answerMessage(mrAbort);
    EXPECT_FALSE(CheckNewFile(tagged("2999-01-01 00:00:00", "none"), path("bin/ABCS.so"), message, true));
    EXPECT_TRUE(prompter->allAnswered());
    ASSERT_EQ(prompter->questions().size(), 2u);
    EXPECT_EQ(prompter->questions()[0].buttons, MessageButton::Abort | MessageButton::Retry);
    EXPECT_EQ(message.rfind("DownLoad new file[" + path("bin/ABCS.so") + "] failed. ", 0), 0u) << message;
    EXPECT_EQ(readFile(path("bin/ABCS.so")), "old library");
    EXPECT_NE(readFile(logFile()).indexOf(QByteArray::fromStdString(message)), -1);

    EXPECT_FALSE(CheckNewFile(tagged("2999-01-01 00:00:00"), "\\\\server\\share\\ABCS.so", message, false));
    EXPECT_EQ(message, "Net File can't update![\\\\server\\share\\ABCS.so]");

    EXPECT_FALSE(CheckNewFile(tagged("2999-01-01 00:00:00"), path("bin/ABCS.so"), message, false,
                              path("no-such-library.so")));
    EXPECT_EQ(message, "function KvDownLoad.CompareFileToDown not found!");
}

TEST_F(CheckNewFileTest, LibraryToRunIsFetchedIntoThePackageDirectory)
{
    allowDownload("1");
    ASSERT_TRUE(QDir(dir.path()).mkpath("work/s_pkg"));
    std::vector<std::string> asked;
    const auto entryOf = [&](const std::string &name) {
        asked.push_back(name);
        return tagged("2999-01-01 00:00:00");
    };
    const std::vector<std::string> directories{path("work"), path("work/s_pkg")};
    const std::string library = ServerProgramRunner::SelectLibrary(directories, "ABCS.so", entryOf, message);
    EXPECT_EQ(library, path("work/s_pkg/ABCS.so")) << message;
    EXPECT_EQ(readFile(library), "new library");
    EXPECT_EQ(asked, std::vector<std::string>{"abcs.so"});
    // A copy that is current is used where it is, without a download.
    const auto current = [&](const std::string &) { return tagged("2000-01-01 00:00:00", "none"); };
    EXPECT_EQ(ServerProgramRunner::SelectLibrary({path("bin")}, "ABCS.so", current, message), path("bin/ABCS.so"));
    EXPECT_EQ(readFile(path("bin/ABCS.so")), "old library");
}

} // namespace
