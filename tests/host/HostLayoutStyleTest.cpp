// erp-host and stored format styles of the real module: the layout text of
// a run written out, a changed one stored under a name, runs with and
// without that style, a second store of what was loaded, and refusals.
#include "DemoShell.h"

#include "db/Database.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct HostRun {
    int status = -1;
    std::string out;
    std::string err;
};

class HostLayoutStyleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_demo = new kvtest::DemoShell; }
    static void TearDownTestSuite()
    {
        delete s_demo;
        s_demo = nullptr;
    }

    static HostRun host(const QStringList &arguments)
    {
        QStringList all{"--user",     "DS", "--company", "01", "--db", "DEMO", "--registry",
                        QString::fromStdString(s_demo->registryFile()), "--module",
                        QString::fromStdString(std::string(QIPR07_BIN_DIR) + "/QIPR07C.so")};
        all << arguments;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(std::string(QIPR07_BIN_DIR) + "/erp-host"), all);
        EXPECT_TRUE(process.waitForFinished(120000)) << "erp-host did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }

    // The preview of the first slip type's slips, without a screen.
    static QStringList previewOfFirstType()
    {
        const kv::ResultTable slips = s_demo->database()->query(
            "SELECT TC001 FROM " + s_demo->database()->qualifiedTable(kvtest::DemoShell::kCompanyDb, "MOCTC") +
            " ORDER BY TC001");
        return {"--execute", "6", "--key", QString::fromStdString(std::string(slips.text(0, 0)) + ",,"),
                "--preview", "true"};
    }

    static QString read(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
    }
    static void write(const QString &file, const QString &text)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
    }

    // Where the first page prints a component (tenths of a millimetre).
    static int xOf(const QString &pagesJson, const QString &component)
    {
        QFile json(pagesJson);
        if (!json.open(QIODevice::ReadOnly))
            return -1;
        const QJsonArray pages = QJsonDocument::fromJson(json.readAll()).object()["pages"].toArray();
        for (const QJsonValue &text : pages.at(0)["texts"].toArray()) {
            if (text["component"].toString() == component)
                return text["x"].toInt();
        }
        return -1;
    }

    static std::pair<std::string, std::string> storedRow(const std::string &name)
    {
        const kv::ResultTable rows = s_demo->database()->query(
            "SELECT NT003, NT004 FROM " +
                s_demo->database()->qualifiedTable(kvtest::DemoShell::kCompanyDb, "WARRANT") +
                " WHERE NT001 = 'TfrmQipr07Fmt' AND NT002 = :NAME",
            {{"NAME", name}});
        if (rows.rowCount() == 0)
            return {};
        return {std::string(rows.text(0, 0)), std::string(rows.text(0, 1))};
    }

    static kvtest::DemoShell *s_demo;
};

kvtest::DemoShell *HostLayoutStyleTest::s_demo = nullptr;

TEST_F(HostLayoutStyleTest, AStoredStyleMovesAFieldInTheRunsThatAskForItAndRoundTripsUnchanged)
{
    QTemporaryDir dir;
    const QString builtIn = dir.filePath("builtin.txt");
    const QString plainPages = dir.filePath("plain.json");
    const HostRun plain = host(QStringList{"--dump-layout", builtIn, "--pages-json", plainPages} + previewOfFirstType());
    ASSERT_EQ(0, plain.status) << plain.err;
    const QString text = read(builtIn);
    ASSERT_TRUE(text.startsWith("object ")) << text.left(200).toStdString();

    // The slip number's field moved 40 mm to the right.
    const QRegularExpression field(R"((object txtTC002: TKVQRDBText\n(?:[^\n]*\n)*?\s*Left = )(-?\d+))");
    const QRegularExpressionMatch match = field.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.toStdString();
    const int left = match.captured(2).toInt();
    QString moved = text;
    moved.replace(match.capturedStart(2), match.capturedLength(2), QString::number(left + 160));
    const QString movedFile = dir.filePath("moved.txt");
    write(movedFile, moved);

    const HostRun stored = host({"--store-layout", "右移", "--layout-file", movedFile});
    ASSERT_EQ(0, stored.status) << stored.err;
    EXPECT_NE(std::string::npos, stored.out.find("stored")) << stored.out;
    const auto [version, storedText] = storedRow("右移");
    EXPECT_EQ(version, "1");
    EXPECT_NE(std::string::npos, storedText.find("inherited txtTC002: TKVQRDBText")) << storedText;
    EXPECT_EQ(std::string::npos, storedText.find("txtTC004")) << "only the differences are stored";

    const QString styled = dir.filePath("styled.txt");
    const QString styledPages = dir.filePath("styled.json");
    const HostRun run = host(QStringList{"--layout-style", "右移", "--dump-layout", styled, "--pages-json", styledPages} +
                                 previewOfFirstType());
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ(read(styled), moved);
    const int plainX = xOf(plainPages, "txtTC002");
    ASSERT_GE(plainX, 0);
    EXPECT_GT(xOf(styledPages, "txtTC002"), plainX + 300);
    // The other fields stay where they were.
    EXPECT_EQ(xOf(styledPages, "txtTC001"), xOf(plainPages, "txtTC001"));

    // What a run loaded, stored again, is the same style.
    const HostRun again = host({"--store-layout", "右移", "--layout-file", styled});
    ASSERT_EQ(0, again.status) << again.err;
    EXPECT_EQ(storedRow("右移"), std::make_pair(std::string("2"), storedText));
    const HostRun without = host(QStringList{"--dump-layout", dir.filePath("again.txt")} + previewOfFirstType());
    EXPECT_EQ(read(dir.filePath("again.txt")), text) << "a run without the style prints the built-in layout";
}

TEST_F(HostLayoutStyleTest, TextsThatAreNoLayoutAndNamesTheServerCannotHoldAreRefusedWithTheReason)
{
    QTemporaryDir dir;
    const QString garbage = dir.filePath("garbage.txt");
    write(garbage, "inherited frmX: TfrmOther\n  inherited QuickRep1: Report\n    Nonsense = 1\n  end\nend\n");
    const HostRun wrong = host({"--store-layout", "坏", "--layout-file", garbage});
    EXPECT_EQ(2, wrong.status) << wrong.err;
    EXPECT_NE(std::string::npos, wrong.err.find("--store-layout 坏 refused")) << wrong.err;
    EXPECT_NE(std::string::npos, wrong.err.find("TfrmOther")) << wrong.err;
    EXPECT_EQ(storedRow("坏").first, "");

    const QString empty = dir.filePath("differences.txt");
    write(empty, "inherited frmQipr07Fmt: TfrmQipr07Fmt\nend\n");
    const HostRun tooLong = host({"--store-layout", QString(21, 'A'), "--layout-file", empty});
    EXPECT_EQ(2, tooLong.status) << tooLong.err;
    EXPECT_NE(std::string::npos, tooLong.err.find("at most 20")) << tooLong.err;

    const HostRun missing = host({"--store-layout", "甲"});
    EXPECT_EQ(1, missing.status);
    EXPECT_NE(std::string::npos, missing.err.find("--layout-file")) << missing.err;
}

} // namespace
