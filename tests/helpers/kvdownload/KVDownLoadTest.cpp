// KVDownLoad.so loaded as the module loads it (by path, C entry points), run
// against a real HTTP server on loopback: new files arrive whole, and every
// failure (cut transfer, missing file, damaged or hostile archive) leaves
// the old file as it was and no half-written file behind.

#include "../../../helpers/kvdownload/KVDownLoad.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>

namespace {

using Compare = int (*)(const char *, const char *);
using Download = int (*)(const char *, const char *, const char *, const char *, const char *, int *, char *, int);
using Unzip = int (*)(const char *, const char *, char *);

// Serves a directory on a free loopback port; "/cut/NAME" sends the headers
// of NAME and half of its bytes, then drops the connection.
const char *const kServer = R"(
import http.server, os, sys, functools
class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args): pass
    def do_GET(self):
        if not self.path.startswith('/cut/'):
            return super().do_GET()
        data = open(os.path.join(self.directory, self.path[5:]), 'rb').read()
        self.send_response(200)
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        self.wfile.write(data[:len(data) // 2])
        self.wfile.flush()
        self.close_connection = True
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Handler, directory=sys.argv[1]))
print(server.server_address[1], flush=True)
server.serve_forever()
)";

// Writes a ZIP archive with Python's zipfile: entries "name=text", a name
// ending in "@" becomes a symbolic link to text.
const char *const kZipper = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for entry in sys.argv[2:]:
        name, text = entry.split('=', 1)
        if name.endswith('@'):
            info = zipfile.ZipInfo(name[:-1]); info.create_system = 3
            info.external_attr = 0o120777 << 16
            z.writestr(info, text)
        else:
            z.writestr(name, text)
)";

class KVDownLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = dlopen(QIPR07_BIN_DIR "/KVDownLoad.so", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        ASSERT_NE(library, nullptr) << dlerror();
        compare = reinterpret_cast<Compare>(dlsym(library, "CompareFileToDown"));
        download = reinterpret_cast<Download>(dlsym(library, "KVDownLoadFileEx"));
        unzip = reinterpret_cast<Unzip>(dlsym(library, "UnZipFilesOrDir"));
        ASSERT_TRUE(compare && download && unzip);
        ASSERT_TRUE(QDir(dir.path()).mkpath("site/pkg") && QDir(dir.path()).mkpath("bin"));
    }
    void TearDown() override
    {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished();
        }
        if (library)
            dlclose(library);
    }

    std::string path(const QString &name) const { return dir.filePath(name).toStdString(); }
    static void writeFile(const std::string &name, const QByteArray &data)
    {
        QFile file(QString::fromStdString(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    static QByteArray readFile(const std::string &name)
    {
        QFile file(QString::fromStdString(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void makeZip(const std::string &archive, const QStringList &entries)
    {
        QProcess zipper;
        zipper.start("python3", QStringList{"-c", kZipper, QString::fromStdString(archive)} + entries);
        ASSERT_TRUE(zipper.waitForFinished(20000));
        ASSERT_EQ(zipper.exitCode(), 0) << zipper.readAllStandardError().toStdString();
    }
    // Starts the server on site/ and returns its base URL.
    std::string startServer()
    {
        server.start("python3", {"-u", "-c", kServer, dir.filePath("site")});
        if (!server.waitForReadyRead(20000))
            return {};
        return "http://127.0.0.1:" + server.readLine().trimmed().toStdString();
    }
    // Leftover temporary files in folder (the library names them *.part-*).
    int partFiles(const QString &folder) const
    {
        return int(QDir(dir.filePath(folder)).entryList({"*.part-*"}, QDir::Files).size());
    }

    QTemporaryDir dir;
    QProcess server;
    void *library = nullptr;
    Compare compare = nullptr;
    Download download = nullptr;
    Unzip unzip = nullptr;
    char error[KVDL_ERROR_SIZE] = {};
    int status = -1;
};

TEST_F(KVDownLoadTest, StampAgainstLocalFile)
{
    const std::string file = path("bin/ABCS.so");
    EXPECT_EQ(compare("2020-01-01 00:00:00", file.c_str()), 1) << "a missing file is always fetched";
    writeFile(file, "12345");
    EXPECT_EQ(compare("2999-01-01 00:00:00", file.c_str()), 1) << "newer on the server";
    EXPECT_EQ(compare("2020/01/01T00:00:00Z", file.c_str()), 0) << "older on the server";
    EXPECT_EQ(compare("2020-01-01 00:00:00;size=5", file.c_str()), 0);
    EXPECT_EQ(compare("2020-01-01 00:00:00;size=6", file.c_str()), 1) << "another size";
    EXPECT_EQ(compare("", file.c_str()), 0) << "no stamp says nothing about the file";
    EXPECT_EQ(compare("2020-13-01 00:00:00", file.c_str()), 0);
    EXPECT_EQ(compare("2999-01-01 00:00:00 trailing", file.c_str()), 0);
}

TEST_F(KVDownLoadTest, NewerFileIsFetchedAndUnpackedOverTheOldOne)
{
    makeZip(path("site/pkg/abcs.so.zip"), {"ABCS.so=new library", "res/ABC.txt=texts"});
    const std::string base = startServer();
    ASSERT_FALSE(base.empty());
    writeFile(path("bin/ABCS.so"), "old library");
    const std::string archive = path("ABCS.so.zip");
    ASSERT_EQ(download("", "VLNT", "60", (base + "\\pkg\\abcs.so.zip").c_str(), archive.c_str(), &status, error, 0), 1)
        << error;
    EXPECT_EQ(status, 200);
    ASSERT_EQ(unzip(archive.c_str(), path("bin").c_str(), error), 1) << error;
    EXPECT_EQ(readFile(path("bin/ABCS.so")), "new library");
    EXPECT_EQ(readFile(path("bin/res/ABC.txt")), "texts");
    EXPECT_EQ(partFiles("bin"), 0);
    EXPECT_EQ(partFiles("."), 0);
    // A relative server name resolves under a URL source directory.
    ASSERT_EQ(download((base + "/").c_str(), "VLNT", "60", "\\pkg\\abcs.so.zip", archive.c_str(), &status, error, 0),
              1)
        << error;
}

TEST_F(KVDownLoadTest, FailedTransferKeepsThePreviousFile)
{
    makeZip(path("site/pkg/abcs.so.zip"), {"ABCS.so=" + QString(100000, 'x')});
    const std::string base = startServer();
    ASSERT_FALSE(base.empty());
    const std::string archive = path("ABCS.so.zip");
    writeFile(archive, "previous archive");

    EXPECT_EQ(download("", "VLNT", "60", (base + "/cut/pkg/abcs.so.zip").c_str(), archive.c_str(), &status, error, 0),
              0);
    EXPECT_STRNE(error, "") << "a cut transfer must say why";
    EXPECT_EQ(readFile(archive), "previous archive");

    EXPECT_EQ(download("", "VLNT", "60", (base + "/pkg/none.zip").c_str(), archive.c_str(), &status, error, 0), 0);
    EXPECT_EQ(status, 404);
    EXPECT_EQ(readFile(archive), "previous archive");

    EXPECT_EQ(download("", "VLNT", "60", "\\\\server\\share\\abcs.so.zip", archive.c_str(), &status, error, 0), 0);
    EXPECT_NE(std::string(error).find("no download location"), std::string::npos) << error;
    EXPECT_EQ(partFiles("."), 0);
}

TEST_F(KVDownLoadTest, BadArchivesReplaceNothing)
{
    writeFile(path("bin/ABCS.so"), "old library");
    const std::string archive = path("bad.zip");
    const auto expectRefused = [&](const char *what) {
        EXPECT_EQ(unzip(archive.c_str(), path("bin").c_str(), error), 0) << what;
        EXPECT_STRNE(error, "") << what;
        EXPECT_EQ(readFile(path("bin/ABCS.so")), "old library") << what;
        EXPECT_EQ(partFiles("bin"), 0) << what;
    };
    writeFile(archive, "this is no archive");
    expectRefused("not a ZIP file");

    makeZip(archive, {"ABCS.so=new library", "../evil=outside"});
    expectRefused("entry climbing out");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("evil")));

    makeZip(archive, {"ABCS.so=new library", "/tmp/evil-kvdl=outside"});
    expectRefused("absolute entry");

    makeZip(archive, {"ABCS.so=new library", "link@=/etc/passwd"});
    expectRefused("link entry");
    EXPECT_FALSE(QFileInfo(dir.filePath("bin/link")).isSymLink());

    // A damaged second entry: the first, already unpacked, must not land.
    makeZip(archive, {"ABCS.so=new library", "other.txt=" + QString(64, 'q')});
    QByteArray data = readFile(archive);
    const qsizetype payload = data.indexOf(QByteArray(64, 'q'));
    ASSERT_GT(payload, 0);
    data[payload + 10] = 'Z';
    writeFile(archive, data);
    expectRefused("checksum mismatch");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("bin/other.txt")));
}

} // namespace
