// erp-host --export-pdf with the real module on a demo company, read back
// with poppler and qpdf: the previewed run in one vector PDF file (slip
// numbers and captions as text, embedded font subsets, a bookmark per
// slip), or with --per-slip one file per slip named after it; a file that
// cannot be written fails the run with a clear error and leaves nothing.

#include "DemoShell.h"
#include "HostOptions.h"
#include "support/PdfReadBack.h"
#include "support/ErpHostProcess.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using kvtest::binFile;

class HostExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
        db.setDatabaseName(QString::fromStdString(demo.dataDir() + "DEMO.db"));
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT TC001 FROM MOCTC GROUP BY TC001 ORDER BY COUNT(*) DESC")));
        ASSERT_TRUE(query.next());
        type = query.value(0).toString();
        query.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("demo"));
        conditions = QStringLiteral(R"(["", [0, [true, [[["", "edtTC001"]], ["%1"]]]]])").arg(type);
    }

    kvtest::HostRun run(const QStringList &arguments) const
    {
        std::map<QString, QString> environment = kvtest::kLeakCheckWithoutTls;
        environment[QStringLiteral("TMPDIR")] = temp.path();
        return kvtest::runErpHost(
            demo.hostLogin() + QStringList{"--module", QString::fromStdString(binFile("QIPR07C.so"))} + arguments,
            environment);
    }

    QStringList previewExport(const QString &file, bool perSlip = false) const
    {
        QStringList arguments{"--conditions", conditions, "--pages-json", pagesJson, "--execute", "5",
                              "--preview",    "true",     "--export-pdf", file};
        if (perSlip)
            arguments << "--per-slip";
        return arguments;
    }

    // Type and number of each slip of the run, in page order, and its pages.
    struct Slip {
        QString type, number;
        int firstPage = 0, lastPage = 0;
    };
    std::vector<Slip> slipsOfRun() const
    {
        QFile file(pagesJson);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << pagesJson.toStdString();
        std::vector<Slip> slips;
        for (const QJsonValue &page : QJsonDocument::fromJson(file.readAll())["pages"].toArray()) {
            std::map<int, Slip> forms;
            for (const QJsonValue &text : page["texts"].toArray()) {
                Slip &slip = forms[text["form"].toInt()];
                if (text["component"].toString() == QLatin1String("txtTC001") && slip.type.isEmpty())
                    slip.type = text["text"].toString().trimmed();
                if (text["component"].toString() == QLatin1String("txtTC002") && slip.number.isEmpty())
                    slip.number = text["text"].toString().trimmed();
            }
            const int number = page["number"].toInt();
            for (const auto &[form, slip] : forms) {
                if (slip.number.isEmpty())
                    continue;
                if (!slips.empty() && slips.back().number == slip.number && slips.back().type == slip.type)
                    slips.back().lastPage = number;
                else
                    slips.push_back({slip.type, slip.number, number, number});
            }
        }
        return slips;
    }


    kvtest::DemoShell demo{12};
    QTemporaryDir temp;
    QString pagesJson = temp.filePath(QStringLiteral("pages.json"));
    QString type;
    QString conditions;
};

TEST_F(HostExportTest, ThePreviewedRunGoesIntoOneVectorFileWithABookmarkPerSlip)
{
    const QString file = temp.filePath(QStringLiteral("run.pdf"));
    const kvtest::HostRun result = run(previewExport(file));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("export-pdf: written " + file.toStdString()), std::string::npos) << result.out;
    const std::vector<Slip> slips = slipsOfRun();
    ASSERT_GE(slips.size(), 2u);

    const QString text = kvtest::toolOutput(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("领料单别"))) << text.left(400).toStdString();
    const std::vector<std::pair<QString, int>> bookmarks = kvtest::pdfOutline(file);
    ASSERT_EQ(bookmarks.size(), slips.size());
    for (std::size_t i = 0; i < slips.size(); ++i) {
        EXPECT_TRUE(text.contains(slips[i].number)) << slips[i].number.toStdString();
        EXPECT_TRUE(bookmarks[i].first.startsWith(slips[i].type + QLatin1Char('-') + slips[i].number + QLatin1Char(' ')))
            << bookmarks[i].first.toStdString();
        EXPECT_EQ(bookmarks[i].second, slips[i].firstPage) << slips[i].number.toStdString();
    }
    const QStringList fonts =
        kvtest::toolOutput(QStringLiteral("pdffonts"), {file}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString &font : fonts)
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+\\S+ .* yes +yes +")).match(font).hasMatch())
            << font.toStdString();
    EXPECT_EQ(kvtest::pdfPageCount(file), slips.back().lastPage);
}

TEST_F(HostExportTest, PerSlipEachSlipGetsAFileOfItsOwnPagesNamedAfterIt)
{
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("out")));
    const QString folder = temp.filePath(QStringLiteral("out"));
    const kvtest::HostRun result = run(previewExport(folder + QStringLiteral("/issue.pdf"), true));
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<Slip> slips = slipsOfRun();
    ASSERT_GE(slips.size(), 2u);
    QStringList expected;
    for (const Slip &slip : slips)
        expected << QStringLiteral("issue-%1-%2.pdf").arg(slip.type, slip.number);
    QStringList found = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    QStringList sorted = expected;
    sorted.sort();
    EXPECT_EQ(found, sorted);
    for (std::size_t i = 0; i < slips.size(); ++i) {
        const QString file = folder + QLatin1Char('/') + expected[qsizetype(i)];
        EXPECT_EQ(kvtest::pdfPageCount(file), slips[i].lastPage - slips[i].firstPage + 1) << file.toStdString();
        const std::vector<std::pair<QString, int>> bookmarks = kvtest::pdfOutline(file);
        ASSERT_EQ(bookmarks.size(), 1u) << file.toStdString();
        EXPECT_EQ(bookmarks[0].second, 1);
        EXPECT_TRUE(kvtest::toolOutput(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}).contains(slips[i].number));
    }
}

TEST_F(HostExportTest, AFileThatCannotBeWrittenFailsTheRunWithAClearError)
{
    const QString file = temp.filePath(QStringLiteral("no-such-folder/run.pdf"));
    const kvtest::HostRun result = run(previewExport(file));
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("export-pdf: Cannot write the PDF file " + file.toStdString()), std::string::npos)
        << result.err;
    EXPECT_FALSE(QFile::exists(file));

    const kvtest::HostRun alone = run({"--execute", "5", "--preview", "true", "--per-slip"});
    EXPECT_EQ(alone.status, 1);
    EXPECT_NE(alone.err.find("--per-slip goes with --export-pdf FILE"), std::string::npos) << alone.err;
}

TEST(HostExportOptionsTest, TheFileReachesTheModuleAbsoluteAndPerSlipOnlyWithIt)
{
    using Variables = std::vector<std::pair<std::string, std::string>>;
    const QStringList context{"erp-host", "--user", "DS", "--company", "01", "--db", "DEMO"};
    const erphost::HostOptions options =
        erphost::parseHostOptions(context + QStringList{"--export-pdf", "out/run.pdf", "--per-slip"}, "m.so", false);
    const std::string absolute = QDir::current().absoluteFilePath("out/run.pdf").toStdString();
    EXPECT_EQ(options.moduleEnvironment(false),
              (Variables{{"QIPR07_EXPORT_PDF", absolute}, {"QIPR07_EXPORT_PDF_PER_SLIP", "1"}}));
    EXPECT_EQ(erphost::parseHostOptions(context + QStringList{"--export-pdf", "/tmp/a.pdf"}, "m.so", false)
                  .moduleEnvironment(false),
              (Variables{{"QIPR07_EXPORT_PDF", "/tmp/a.pdf"}}));
    EXPECT_THROW(erphost::parseHostOptions(context + QStringList{"--export-pdf", " "}, "m.so", false),
                 erphost::HostUsageError);
    EXPECT_THROW(erphost::parseHostOptions(context + QStringList{"--export-pdf", QDir::tempPath()}, "m.so", false),
                 erphost::HostUsageError);
    EXPECT_NE(erphost::hostUsage().find("--export-pdf FILE"), std::string::npos);
    EXPECT_NE(erphost::hostUsage().find("--per-slip"), std::string::npos);
}

} // namespace
