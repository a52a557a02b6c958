// The qipr07-demo-data program: its options, the file it writes and its
// refusal to overwrite.
#include "DbTestSupport.h"

#include "db/SqliteDatabase.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output;
};

ToolRun demoData(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(QIPR07_BIN_DIR "/qipr07-demo-data"), arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitCode(), process.readAll().toStdString()};
}

TEST(DemoToolTest, WritesACompanyFileAndRefusesToOverwriteItUnlessAsked)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("demo.db"));
    const QStringList arguments{"--sqlite", file, "--db", "DEMO", "--company", "07", "--slips", "12", "--seed", "3"};
    const ToolRun first = demoData(arguments);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("MOCTC"), std::string::npos) << first.output;

    slip::SqliteDatabase db(dir.path().toStdString());
    db.mapCompanyFile("DEMO", file.toStdString());
    db.openCompany("DEMO");
    EXPECT_EQ(db.query("SELECT COUNT(*) FROM \"DEMO\".MOCTC WHERE COMPANY = '07'").integer(0, 0), 12);
    db.releaseThreadConnection();

    const ToolRun again = demoData(arguments);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.output.find("--replace"), std::string::npos) << again.output;
    const ToolRun replaced = demoData(QStringList(arguments) << "--slips" << "5" << "--replace");
    ASSERT_EQ(replaced.exitCode, 0) << replaced.output;
    db.openCompany("DEMO");
    EXPECT_EQ(db.query("SELECT COUNT(*) FROM \"DEMO\".MOCTC").integer(0, 0), 5);
}

TEST(DemoToolTest, ExplainsBadOptions)
{
    for (const QStringList &arguments : {QStringList{}, QStringList{"--sqlite", "a.db", "--postgres", "host=x"},
                                         QStringList{"--sqlite", "a.db", "--slips", "many"},
                                         QStringList{"--sqlite", "a.db", "--db", "bad name"},
                                         QStringList{"--sqlite", "a.db", "--colour", "red"}}) {
        const ToolRun run = demoData(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString() << "\n" << run.output;
        EXPECT_NE(run.output.find("usage:"), std::string::npos) << run.output;
    }
}

} // namespace
