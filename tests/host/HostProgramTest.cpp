// erp-host run as a program, as the ERP client runs it: the real module
// printing into a PDF file, previewing without a screen and leaving its page
// texts behind, a picture of its window; the test module through a whole
// window life on a demo company, report commands, and the errors a user can
// make on the command line.
#include "DemoShell.h"

#include "db/Database.h"
#include "support/ErpHostProcess.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kvtest::binFile;
using kvtest::HostRun;

class HostProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_demo = new kvtest::DemoShell; }
    static void TearDownTestSuite()
    {
        delete s_demo;
        s_demo = nullptr;
    }

    HostRun host(const QStringList &arguments, const std::string &module = "QIPT07C.so") const
    {
        QStringList all = s_demo->hostLogin();
        if (!module.empty())
            all << "--module" << QString::fromStdString(binFile(module));
        all << arguments;
        return runHost(all);
    }

    static HostRun runHost(const QStringList &arguments) { return kvtest::runErpHost(arguments, {}, 120000); }

    static bool inOrder(const std::string &text, const std::vector<std::string> &parts)
    {
        std::size_t at = 0;
        for (const std::string &part : parts) {
            at = text.find(part, at);
            if (at == std::string::npos)
                return false;
            at += part.size();
        }
        return true;
    }

    static kvtest::DemoShell *s_demo;
};

kvtest::DemoShell *HostProgramTest::s_demo = nullptr;

// The first slip of the demo company: its type and number.
std::pair<std::string, std::string> firstSlip(kvtest::DemoShell &demo)
{
    const kv::ResultTable slips = demo.database()->query(
        "SELECT TC001, TC002 FROM " + demo.database()->qualifiedTable(kvtest::DemoShell::kCompanyDb, "MOCTC") +
        " ORDER BY TC001, TC002");
    if (slips.rowCount() == 0)
        return {};
    return {std::string(slips.text(0, 0)), std::string(slips.text(0, 1))};
}

QJsonArray jsonPages(const QString &file)
{
    QFile json(file);
    if (!json.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(json.readAll()).object()["pages"].toArray();
}

bool pagesShow(const QJsonArray &pages, const QString &text)
{
    for (const QJsonValue &page : pages) {
        for (const QJsonValue &item : page["texts"].toArray()) {
            if (item["text"].toString().contains(text))
                return true;
        }
    }
    return false;
}

int pdfPages(const QString &file)
{
    QProcess info;
    info.start("pdfinfo", {file});
    if (!info.waitForFinished(60000))
        return -1;
    for (const QString &line : QString::fromUtf8(info.readAllStandardOutput()).split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

TEST_F(HostProgramTest, APrintByKeyOfTheRealModuleGoesIntoThePdfFileWithItsPageTexts)
{
    const auto [type, number] = firstSlip(*s_demo);
    ASSERT_FALSE(number.empty());
    QTemporaryDir dir;
    const QString pdf = dir.filePath("slip.pdf");
    const QString json = dir.filePath("slip.json");
    const HostRun run = host({"--print-to-pdf", pdf, "--pages-json", json, "--execute", "6", "--key",
                              QString::fromStdString(type + "," + number + ","), "--preview", "false"},
                             "QIPR07C.so");
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("erp-host: written " + pdf.toStdString())) << run.out;
    const QJsonArray pages = jsonPages(json);
    ASSERT_FALSE(pages.isEmpty()) << run.err;
    EXPECT_TRUE(pagesShow(pages, QString::fromStdString(number)));
    // The PDF holds the very pages whose texts were written.
    EXPECT_EQ(pages.size(), pdfPages(pdf));
}

TEST_F(HostProgramTest, APreviewWithoutAScreenWritesThePageTextsAndShowsNoWindow)
{
    const auto [type, number] = firstSlip(*s_demo);
    QTemporaryDir dir;
    const QString json = dir.filePath("pages.json");
    const QString pdf = dir.filePath("never.pdf");
    const HostRun run = host({"--pages-json", json, "--print-to-pdf", pdf, "--execute", "6", "--key",
                              QString::fromStdString(type + ",,"), "--preview", "true"},
                             "QIPR07C.so");
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_TRUE(pagesShow(jsonPages(json), QString::fromStdString(number))) << run.err;
    EXPECT_FALSE(QFile::exists(pdf)) << "a preview prints nothing";
    EXPECT_EQ(std::string::npos, run.out.find("notification 272")) << "no window is shown";
}

// A script must be able to rely on the exit status: a run of the real
// module that cannot print fails with the reason on the error stream, one
// that finds no slips has a status of its own, and a failure wins.
TEST_F(HostProgramTest, TheExitStatusSaysWhetherTheRealModulePrintedFoundNothingOrFailed)
{
    const auto [type, number] = firstSlip(*s_demo);
    ASSERT_FALSE(number.empty());
    const QString key = QString::fromStdString(type + "," + number + ",");
    const QString missing = QString::fromStdString(type + ",NOSUCHSLIP,");
    QTemporaryDir dir;
    // The PDF file is a link into a folder that does not exist: it cannot
    // be written, whoever runs the test.
    const QString pdf = dir.filePath("slip.pdf");
    ASSERT_TRUE(QFile::link(dir.filePath("gone/slip.pdf"), pdf));

    const HostRun unwritable =
        host({"--print-to-pdf", pdf, "--execute", "6", "--key", key, "--preview", "false"}, "QIPR07C.so");
    EXPECT_EQ(1, unwritable.status) << unwritable.err;
    EXPECT_TRUE(inOrder(unwritable.err, {"the window shows a message (answered, no screen): ",
                                         "Cannot start printing on " + pdf.toStdString(),
                                         "erp-host: Execute 6 returned -1 (the run failed"}))
        << unwritable.err;

    // A preview whose page texts cannot be left behind fails as well.
    const QString json = dir.filePath("pages.json");
    ASSERT_TRUE(QFile::link(dir.filePath("gone/pages.json"), json));
    const HostRun textsLost =
        host({"--pages-json", json, "--execute", "6", "--key", key, "--preview", "true"}, "QIPR07C.so");
    EXPECT_EQ(1, textsLost.status) << textsLost.err;
    EXPECT_TRUE(inOrder(textsLost.err, {"The page texts cannot be written to " + json.toStdString(),
                                        "erp-host: Execute 6 returned -1 (the run failed"}))
        << textsLost.err;

    const HostRun nothing = host({"--execute", "6", "--key", missing, "--preview", "true"}, "QIPR07C.so");
    EXPECT_EQ(2, nothing.status) << nothing.err;
    EXPECT_TRUE(inOrder(nothing.err, {"没有符合条件的资料！", "erp-host: Execute 6 returned 1 (no data"}))
        << nothing.err;

    const HostRun both = host({"--print-to-pdf", pdf, "--execute", "6", "--key", missing, "--preview", "false",
                               "--execute", "6", "--key", key, "--preview", "false"},
                              "QIPR07C.so");
    EXPECT_EQ(1, both.status) << both.err;
    EXPECT_TRUE(inOrder(both.err, {"Execute 6 returned 1 (no data", "Execute 6 returned -1 (the run failed"}))
        << both.err;
}

TEST_F(HostProgramTest, GrabSavesAPictureOfTheRealModulesConditionWindow)
{
    QTemporaryDir dir;
    const QString png = dir.filePath("window.png");
    const HostRun run = host({"--grab", png}, "QIPR07C.so");
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_TRUE(inOrder(run.out, {"notification 256 (create)", "window open: DS, 01, QIPR07",
                                  "notification 272 (show)", "picture of the window in " + png.toStdString(),
                                  "notification 304 (destroy)"}))
        << run.out;
    const QImage picture(png);
    EXPECT_GT(picture.width(), 300);
    EXPECT_GT(picture.height(), 200);
}

TEST_F(HostProgramTest, WindowLifeWithConditionSetsKeptAcrossRuns)
{
    const QString saveAsPlanA = R"(["", [3, [true, [[["", "edtNote"]], ["plan-A"]]]]])";
    const HostRun first = host({"--show", "--conditions", saveAsPlanA});
    EXPECT_EQ(0, first.status) << first.err;
    EXPECT_TRUE(inOrder(first.out, {"notification 256 (create)", "window open: DS, 01, QIPT07",
                                    "version 900101-9.9.9.9", "condition sets: [plan-A]",
                                    "notification 272 (show)", "notification 288 (hide)",
                                    "notification 304 (destroy), result code 1, result value save plan-A"}))
        << first.out;

    // Opened again by a new host, the window lists the set it saved. (The
    // window's own show handler lists the sets, before the host hears of
    // the show.)
    const HostRun second = host({"--show"});
    EXPECT_EQ(0, second.status) << second.err;
    EXPECT_TRUE(inOrder(second.out, {"notification 256", "condition sets: [plan-A]", "notification 272",
                                     "notification 304 (destroy), result code 0"}))
        << second.out;
}

TEST_F(HostProgramTest, HostAnswersWhileTheWindowHasItsOwnServerOpen)
{
    // Host and module each run an in-process server on the same company
    // files; neither may take the other's database connections away.
    const HostRun run = host({"--show", "--conditions", R"(["", [4, [true, [[["", "edtNote"]], ["x"]]]]])"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("result value counter 1, message 没有符合条件的资料！")) << run.out;
}

TEST_F(HostProgramTest, WithoutAScreenTheWindowsMessagesAreToldAndTheRunEnds)
{
    // Under another file name the module's program code no longer fits its
    // window, which says so in a message box and closes.
    QTemporaryDir dir;
    const QString renamed = dir.filePath("QABC01C.so");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(binFile("QIPT07C.so")), renamed));
    const HostRun run = runHost(s_demo->hostLogin() + QStringList{"--module", renamed, "--show"});
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(inOrder(run.err, {"erp-host: the window shows a message (answered, no screen): ",
                                  ": 程序名称与程序代码不符，程序不能执行！", "erp-host: Open returned -1"}))
        << run.err;
    EXPECT_TRUE(inOrder(run.out, {"notification 256", "notification 304"})) << run.out;
}

TEST_F(HostProgramTest, ReportCommandsRunInOrderAndAFailedOneFailsTheRun)
{
    const HostRun run = host({"--execute", "6", "--params", R"([true, "missing"])", "--execute", "11", "--params",
                          R"(["5401-0001", 2, "slip", "fine"])"});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("erp-host: Execute 6 returned -1")) << run.err;
    EXPECT_NE(std::string::npos,
              run.out.find("result code 2, result value ExportByKey key=5401-0001 kind=2 dpi=96 prefix=slip extra="))
        << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("notification 272")) << "executing must not show the window";

    const HostRun unreadable = host({"--execute", "5", "--params", "null"});
    EXPECT_EQ(1, unreadable.status);
    EXPECT_NE(std::string::npos, unreadable.err.find("erp-host: Execute 5 failed: Variant is not an array"))
        << unreadable.err;
}

TEST_F(HostProgramTest, CommandLineMistakesAreToldBeforeAnythingIsLoaded)
{
    const HostRun noDb = runHost({"--user", "DS", "--company", "01"});
    EXPECT_EQ(1, noDb.status);
    EXPECT_NE(std::string::npos, noDb.err.find("erp-host: --db is required")) << noDb.err;
    EXPECT_NE(std::string::npos, noDb.err.find("--execute KIND"));

    const HostRun badJson = host({"--conditions", "[1, 2"});
    EXPECT_EQ(1, badJson.status);
    EXPECT_NE(std::string::npos, badJson.err.find("--conditions: not valid JSON")) << badJson.err;

    const HostRun noModule = host({}, "NOSUCH.so");
    EXPECT_EQ(1, noModule.status);
    EXPECT_NE(std::string::npos, noModule.err.find("NOSUCH.so does not exist")) << noModule.err;

    const HostRun notAModule = host({}, "erp-host");
    EXPECT_EQ(1, notAModule.status);
    EXPECT_NE(std::string::npos, notAModule.err.find("cannot be loaded")) << notAModule.err;
}

} // namespace
