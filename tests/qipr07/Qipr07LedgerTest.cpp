// The print and send ledger of the material-issue slips as a clerk meets it,
// on SQLite and PostgreSQL: a reprinted slip carries "副本" with the number
// of its earlier prints, every print (direct into a PDF file, from the
// preview's set-up) leaves a row that the condition window's "列印记录"
// window shows, sorts and exports as CSV; a fax leaves its receiver's row and
// a fax without a number a failed one, page pictures one that raises no
// count; the ledger conditions of the
// condition window pick the slips printed by the clerk, today, or never sent.

#include "LayoutDataSupport.h"

#include "base/KvBitBtn.h"
#include "faxserver/FaxObjects.h"
#include "platform/Clock.h"
#include "qipr07/Qipr07Fmt.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/PrintLedgerWindow.h"
#include "report/layout/VRPreview.h"
#include "schema/SchemaDdl.h"
#include "controls/KovMaskEdit.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace layoutdata;
using kv::TfrmQipr07Fmt;

namespace {

class Qipr07LedgerTest : public SlipLayoutTest {
protected:
    void SetUp() override
    {
        SlipLayoutTest::SetUp();
        if (IsSkipped())
            return;
        // A supplier slip with lines, never printed nor sent.
        for (const auto &[candidate, lines] : slipsOfType("5402")) {
            if (lines > 0 && number.empty())
                number = candidate;
        }
        ASSERT_FALSE(number.empty()) << "no demo slip of type 5402";
        company->execute("UPDATE {MOCTC} SET TC010=0, TC017=0 WHERE TC001='5402' AND TC002=:N",
                         {{"N", Variant(number)}});
        query = ReportQuery{"5402", {number}};
        owner->UserID = "DS";
        owner->SendStatusField = "TC017";
        today = kv::Clock::today().toString("yyyyMMdd").toStdString();
    }

    double countOf(const char *column) const
    {
        const kv::ResultTable rows = company->query("SELECT " + std::string(column) +
                                                        " FROM {MOCTC} WHERE TC001='5402' AND TC002=:N",
                                                    {{"N", Variant(number)}});
        return rows.number(0, 0);
    }

    // The copy mark each generated form carries.
    static QStringList copyMarks(const kv::PageStore &store)
    {
        QStringList marks;
        for (const layouttest::Form &form : layouttest::formsOf(store))
            marks << form.text(QStringLiteral("lblCopyMark"));
        return marks;
    }

    // The ledger rows of the slip the server answers for a kind.
    kv::ResultTable ledgerRows(const char *kind)
    {
        return kv::ResultTable::fromDataPacket(
            server->call("GetPrintLedger", {kv::varArrayOf({"5402", number, "", "", "", kind})}).toText());
    }

    static std::string cell(const kv::ResultTable &rows, int row, const char *name)
    {
        return std::string(rows.text(row, rows.columnIndex(name)));
    }

    // The picture of the ledger window for the manual, when a folder is named.
    static void grab(QWidget &window)
    {
        const QString folder = manualPictureFolder(window, "QIPR07_LEDGER_GRAB", QSize(1240, 320));
        if (!folder.isEmpty()) {
            EXPECT_TRUE(window.grab().save(folder + QStringLiteral("/ledger-window.png")));
        }
    }

    // A run from the conditions finds the slip (1) or nothing (0).
    void expectFound(int expected) { openLayout<TfrmQipr07Fmt>(query, expected); }

    std::string number, today;
    ReportQuery query;
};

TEST_P(Qipr07LedgerTest, AReprintCarriesTheCopyMarkAndTheLedgerWindowListsSortsAndExportsEveryPrint)
{
    QTemporaryDir out;
    // A file name a CSV must quote: a comma and quotes.
    const QString firstFile = out.filePath(QStringLiteral("first, \"run\".pdf"));
    const std::string secondFile = out.filePath(QStringLiteral("second.pdf")).toStdString();

    TfrmQipr07Fmt *first = openLayout<TfrmQipr07Fmt>(query);
    first->PrintCountMode = 1;
    first->PrintFileName = firstFile;
    ASSERT_TRUE(first->PrintDirect());
    const QStringList firstMarks = copyMarks(*first->QuickRep1->pages());
    ASSERT_FALSE(firstMarks.isEmpty());
    EXPECT_EQ(firstMarks, QStringList(QVector<QString>(firstMarks.size(), QStringLiteral("<none>"))));
    EXPECT_EQ(countOf("TC010"), 1);

    // The reprint from the preview: every form of the slip says so.
    kv::VRPreviewer::setCurrent(std::make_shared<kv::PreviewWindowPreviewer>());
    TfrmQipr07Fmt *second = openLayout<TfrmQipr07Fmt>(query);
    second->PrintCountMode = 0;
    QStringList secondMarks;
    prompter->answerDialog([&](QDialog &dialog) {
        auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog);
        if (!preview)
            return 0;
        waitUntilGenerated(*preview);
        secondMarks = copyMarks(*second->QuickRep1->pages());
        prompter->answerPrinter(true, secondFile);
        preview->btnPrint->click();
        preview->btnExit->click();
        return 0;
    });
    second->ShowPreview();
    kv::VRPreviewer::setCurrent(nullptr);
    EXPECT_EQ(secondMarks, QStringList(QVector<QString>(firstMarks.size(), QStringLiteral("副本 1"))));
    EXPECT_EQ(countOf("TC010"), 2);
    const QString pages = QString::number(firstMarks.size());

    // The ledger window of the condition window, sorted by the count.
    const QString csvFile = out.filePath(QStringLiteral("ledger.csv"));
    std::vector<QStringList> shown;
    prompter->answerDialog([&](QDialog &dialog) {
        auto *ledger = qobject_cast<kv::TfrmPrintLedger *>(&dialog);
        if (!ledger)
            return 0;
        ledger->edtSlipNo->setText(QString::fromStdString(number));
        ledger->btnQuery->click();
        ledger->grdLedger->sortByColumn(10, Qt::AscendingOrder);
        for (int row = 0; row < ledger->grdLedger->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < ledger->grdLedger->columnCount(); ++column)
                cells << ledger->grdLedger->item(row, column)->text();
            shown.push_back(cells);
        }
        prompter->answerFile(csvFile.toStdString());
        ledger->btnExportCsv->click();
        grab(*ledger);
        return 0;
    });
    owner->btnLedger->click();
    EXPECT_TRUE(prompter->allAnswered());
    EXPECT_TRUE(prompter->messageTexts().empty());

    ASSERT_EQ(shown.size(), 2u);
    const QString no = QString::fromStdString(number);
    const QString day = QString::fromStdString(today);
    // 单别 单号 用户 日期 时间 方式 输出至 传真服务器 页数 成功 次数 讯息
    EXPECT_EQ(shown[0].mid(0, 4), (QStringList{QStringLiteral("5402"), no, QStringLiteral("DS"), day}));
    EXPECT_EQ(shown[0].mid(5), (QStringList{QStringLiteral("PDF档"), firstFile, QString(), pages, QStringLiteral("Y"),
                                            QStringLiteral("1"), QString()}));
    EXPECT_EQ(shown[1].mid(5), (QStringList{QStringLiteral("PDF档"), QString::fromStdString(secondFile), QString(),
                                            pages, QStringLiteral("Y"), QStringLiteral("2"), QString()}));

    // The CSV, read back: a byte-order mark, then every field quoted.
    QFile csv(csvFile);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("\"单别\",\"单号\",\"用户\",\"日期\",\"时间\",\"方式\",\"输出至\",\"传真服务器\","
                                       "\"页数\",\"成功\",\"次数\",\"讯息\""));
    QString escaped = firstFile;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("\"5402\",\"") + no + QStringLiteral("\",\"DS\",\"") + day))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(",\"PDF档\",\"") + escaped + QStringLiteral("\",\"\",\"") + pages +
                                  QStringLiteral("\",\"Y\",\"1\",\"\"")))
        << lines[1].toStdString();

    // The condition window's ledger boxes: printed by me, and today.
    owner->chkPrintedByMe->setChecked(true);
    expectFound(1);
    owner->UserID = "XX";
    expectFound(0);
    owner->chkPrintedByMe->setChecked(false);
    owner->chkPrintedToday->setChecked(true);
    expectFound(1);
}

TEST_P(Qipr07LedgerTest, ADirectPrintThatFailsLeavesAFailedRowAndNoCountButACountFailureIsNoFailedPrint)
{
    QTemporaryDir out;
    const QString missing = out.filePath(QStringLiteral("no-such-folder/slips.pdf"));
    TfrmQipr07Fmt *refused = openLayout<TfrmQipr07Fmt>(query);
    refused->PrintCountMode = 1;
    refused->PrintFileName = missing;
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(refused->PrintDirect());
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(countOf("TC010"), 0);
    const kv::ResultTable rows = ledgerRows("2");
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(cell(rows, 0, "PL009"), missing.toStdString());
    EXPECT_EQ(cell(rows, 0, "PL012"), "N");
    EXPECT_NE(cell(rows, 0, "PL015").find(missing.toStdString()), std::string::npos) << cell(rows, 0, "PL015");
    EXPECT_EQ(rows.integer(0, rows.columnIndex("PL011")), int(copyMarks(*refused->QuickRep1->pages()).size()));

    // The file comes out but the count cannot be raised: the row says
    // printed, the error is the count's.
    if (GetParam() == slip::DbEngine::SQLite) {
        // A trigger of an attached company file is named in its schema.
        company->execute("CREATE TRIGGER \"" + company->companyDb + "\".no_count BEFORE UPDATE OF TC010 ON MOCTC "
                         "BEGIN SELECT RAISE(ABORT, 'count refused'); END");
    } else {
        // In the company's schema, so that it goes with the company.
        const std::string function =
            slip::SchemaDdl::companyNamespace(slip::DbEngine::PostgreSQL, company->companyDb) + ".no_count()";
        company->execute("CREATE FUNCTION " + function + " RETURNS trigger AS "
                         "'BEGIN RAISE EXCEPTION ''count refused''; END' LANGUAGE plpgsql");
        company->execute("CREATE TRIGGER no_count BEFORE UPDATE OF TC010 ON {MOCTC} "
                         "FOR EACH ROW EXECUTE FUNCTION " + function);
    }
    const QString printed = out.filePath(QStringLiteral("slips.pdf"));
    TfrmQipr07Fmt *uncounted = openLayout<TfrmQipr07Fmt>(query);
    uncounted->PrintCountMode = 1;
    uncounted->PrintFileName = printed;
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(uncounted->PrintDirect());
    EXPECT_TRUE(QFile::exists(printed));
    EXPECT_EQ(countOf("TC010"), 0);
    ASSERT_FALSE(prompter->messageTexts().empty());
    EXPECT_NE(prompter->messageTexts().back().find("count refused"), std::string::npos)
        << prompter->messageTexts().back();
    const kv::ResultTable after = ledgerRows("2");
    ASSERT_EQ(after.rowCount(), 1);
    EXPECT_EQ(cell(after, 0, "PL009"), missing.toStdString());
}

TEST_P(Qipr07LedgerTest, AFaxLeavesItsReceiversRowAFaxWithoutNumberAFailedOneAndNeverSentLeavesTheSlipOut)
{
    QTemporaryDir spool;
    qputenv("QIPR07_FAX_SPOOL", spool.path().toUtf8());
    kvfax::registerFaxServer();
    owner->chkNeverSent->setChecked(true);
    expectFound(1);
    owner->chkNeverSent->setChecked(false);

    owner->edtFaxEmailData->setText(QStringLiteral("0755-1234567"));
    TfrmQipr07Fmt *sent = openLayout<TfrmQipr07Fmt>(query);
    sent->SendModes = 2;
    const int forms = int(generate(sent).size());
    ASSERT_TRUE(sent->Send(2, 1, "Local(127.0.0.1)"));
    EXPECT_FALSE(sent->SendFailed);
    EXPECT_EQ(countOf("TC017"), 1);

    owner->edtFaxEmailData->setText(QString());
    TfrmQipr07Fmt *unsent = openLayout<TfrmQipr07Fmt>(query);
    unsent->SendModes = 2;
    generate(unsent);
    ASSERT_TRUE(unsent->Send(2, 1, "Local(127.0.0.1)"));
    EXPECT_TRUE(unsent->SendFailed);
    EXPECT_EQ(countOf("TC017"), 1);
    EXPECT_EQ(countOf("TC010"), 0);
    qunsetenv("QIPR07_FAX_SPOOL");

    const kv::ResultTable rows = ledgerRows("5");
    ASSERT_EQ(rows.rowCount(), 2);
    const int ok = cell(rows, 0, "PL012") == "Y" ? 0 : 1;
    const int failed = 1 - ok;
    EXPECT_EQ(cell(rows, ok, "PL012"), "Y");
    EXPECT_EQ(cell(rows, ok, "PL005"), "DS");
    EXPECT_EQ(cell(rows, ok, "PL009"), "0755-1234567");
    EXPECT_EQ(cell(rows, ok, "PL010"), "127.0.0.1");
    EXPECT_EQ(cell(rows, ok, "PL014"), "TC017");
    EXPECT_EQ(rows.integer(ok, rows.columnIndex("PL011")), forms);
    EXPECT_EQ(rows.integer(ok, rows.columnIndex("PL013")), 1);
    EXPECT_EQ(cell(rows, failed, "PL012"), "N");
    EXPECT_EQ(cell(rows, failed, "PL015"), "Not assign fax number!");
    EXPECT_EQ(rows.integer(failed, rows.columnIndex("PL013")), 0);
    EXPECT_EQ(ledgerRows("").rowCount(), 2);

    owner->chkNeverSent->setChecked(true);
    expectFound(0);

    // Pictures of the pages are recorded too, and count as no print.
    const std::string base = spool.filePath(QStringLiteral("slip")).toStdString();
    ASSERT_TRUE(sent->ConvertPages(base, 0));
    const kv::ResultTable pictures = ledgerRows("3");
    ASSERT_EQ(pictures.rowCount(), 1);
    EXPECT_EQ(cell(pictures, 0, "PL009"), base + "*.bmp");
    EXPECT_EQ(pictures.integer(0, pictures.columnIndex("PL011")), forms);
    EXPECT_EQ(cell(pictures, 0, "PL012"), "Y");
    EXPECT_EQ(countOf("TC010"), 0);
}

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Qipr07LedgerTest);

} // namespace
