// The preview's vector PDF export ("PDF文字档") of the material-issue slips
// as the clerk meets it, read back with poppler and qpdf: the run in one
// file with the slips' texts as text in embedded font subsets and a bookmark
// per slip at its first page; one file per slip (the run, the slip shown or
// the slips chosen in the index) named after the slip, each with its pages
// only; a cancelled export leaves no file; every slip exported leaves a
// ledger row that raises no count. The ledger also records the pictures of
// the page shown and, as failed, a print the printer refused.

#include "LayoutDataSupport.h"

#include "platform/report/ReportError.h"
#include "qipr07/Qipr07Fmt.h"
#include "report/layout/ExportRequest.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/PreviewSidePanel.h"
#include "report/layout/PreviewSlipIndex.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/TextPdfExport.h"
#include "report/layout/VRPreview.h"
#include "support/PdfReadBack.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>
#include <map>

using namespace layoutdata;
using kv::TfrmQipr07Fmt;
using Slip = kv::PreviewSlipIndex::Slip;

namespace {

class Qipr07TextPdfTest : public SlipLayoutTest {
protected:
    void SetUp() override
    {
        SlipLayoutTest::SetUp();
        if (IsSkipped())
            return;
        type = typeWithSlips(3);
        ASSERT_FALSE(type.empty());
        query = ReportQuery{type, {}};
        before = printCounts();
        kv::VRPreviewer::setCurrent(std::make_shared<kv::PreviewWindowPreviewer>());
    }
    void TearDown() override
    {
        qunsetenv(kv::ExportRequest::kFileVariable);
        kv::VRPreviewer::setCurrent(nullptr);
        SlipLayoutTest::TearDown();
    }

    // Opens the preview of the run and hands it over once every page is
    // there; the slips of its index are kept.
    void withPreview(const std::function<void(kv::TfrmVRPreview &)> &use)
    {
        TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(query);
        layout->PrintCountMode = 0;
        layout->ClientRoot = root.path().toStdString() + "/";
        prompter->answerDialog([&](QDialog &dialog) {
            auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog);
            if (!preview)
                return 0;
            waitUntilGenerated(*preview);
            slips = preview->SidePanel->index()->slips();
            pageCount = preview->report()->pages()->pageCount();
            title = preview->report()->reportTitle();
            use(*preview);
            preview->btnExit->click();
            return 0;
        });
        layout->ShowPreview();
        EXPECT_TRUE(prompter->allAnswered()) << (prompter->misses().empty() ? "" : prompter->misses()[0]);
    }

    // The preview with its export menu open, for the manual, when
    // QIPR07_PREVIEW_GRAB names a folder: the menu is a window of its own,
    // so it is drawn onto the window's picture where it opened.
    static void grabExportMenu(kv::TfrmVRPreview &preview)
    {
        const QString folder = manualPictureFolder(preview, "QIPR07_PREVIEW_GRAB", QSize(1280, 860));
        if (folder.isEmpty())
            return;
        const QPoint below = preview.btnSaveBMP->mapTo(&preview, QPoint(0, preview.btnSaveBMP->height()));
        preview.pmuSaveBMP->popup(preview.mapToGlobal(below));
        QTest::qWait(200);
        QPixmap picture = preview.grab();
        QPainter painter(&picture);
        painter.drawPixmap(below, preview.pmuSaveBMP->grab());
        painter.end();
        preview.pmuSaveBMP->hide();
        EXPECT_TRUE(picture.save(folder + QStringLiteral("/preview-export-menu.png")));
    }

    QString folder() const { return root.path() + QStringLiteral("/c_data/DS"); }
    QStringList entries() const
    {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    void removeEntries() const
    {
        for (const QString &entry : entries())
            QFile::remove(folder() + QLatin1Char('/') + entry);
    }

    std::map<std::string, double> printCounts() const { return printCountsOfType(type); }

    struct LedgerRow {
        std::string number, target, success, message;
        long long pages = 0;
    };
    std::vector<LedgerRow> ledgerRows(const char *kind) const
    {
        const kv::ResultTable rows = kv::ResultTable::fromDataPacket(
            server->call("GetPrintLedger", {kv::varArrayOf({type, "", "", "", "", kind})}).toText());
        std::vector<LedgerRow> list;
        const auto cell = [&rows](int row, const char *name) { return std::string(rows.text(row, rows.columnIndex(name))); };
        for (int row = 0; row < rows.rowCount(); ++row)
            list.push_back({cell(row, "PL004"), cell(row, "PL009"), cell(row, "PL012"), cell(row, "PL015"),
                            rows.integer(row, rows.columnIndex("PL011"))});
        std::sort(list.begin(), list.end(), [](const LedgerRow &a, const LedgerRow &b) { return a.number < b.number; });
        return list;
    }

    // Does something to the progress window whenever events run.
    void whileWorking(std::function<bool(kv::OutputProgressWindow &)> action)
    {
        auto *timer = new QTimer(owner);
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                auto *progress = qobject_cast<kv::OutputProgressWindow *>(window);
                if (progress && progress->isVisible() && action(*progress)) {
                    timer->deleteLater();
                    timer->stop();
                    return;
                }
            }
        });
        timer->start();
    }

    static QString pdfText(const QString &file)
    {
        return kvtest::toolOutput(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    }
    static std::vector<std::pair<QString, int>> bookmarksOf(const std::vector<Slip> &slips, int firstPage)
    {
        std::vector<std::pair<QString, int>> entries;
        for (const Slip &slip : slips)
            entries.emplace_back(kv::TextPdfExport::bookmarkTitle(slip), slip.firstPage - firstPage + 1);
        return entries;
    }
    QString perSlipName(const QString &base, const Slip &slip) const
    {
        return base + QLatin1Char('-') + slip.type + QLatin1Char('-') + slip.number + QStringLiteral(".pdf");
    }
    // "QIPR07_yyyyMMddhhmmss" of a per-slip file of the first slip.
    QString baseOf(const QString &file) const
    {
        const QString suffix = QLatin1Char('-') + slips.front().type + QLatin1Char('-') + slips.front().number +
                               QStringLiteral(".pdf");
        return file.endsWith(suffix) ? file.chopped(suffix.size()) : QString();
    }

    QTemporaryDir root;
    std::string type;
    ReportQuery query;
    std::map<std::string, double> before;
    std::vector<Slip> slips;
    int pageCount = 0;
    QString title;
};

TEST_P(Qipr07TextPdfTest, TheRunGoesIntoOneFileWithItsTextsEmbeddedFontSubsetsAndABookmarkPerSlip)
{
    withPreview([&](kv::TfrmVRPreview &preview) {
        EXPECT_EQ(preview.pmTextPDF->text(), QStringLiteral("转出成 PDF文字档"));
        grabExportMenu(preview);
        prompter->answerMessage(kv::mrNo); // not opened
        preview.pmTextPDF->trigger();
    });
    ASSERT_GE(slips.size(), 3u);
    const QStringList files = entries();
    ASSERT_EQ(files.size(), 1) << files.join(' ').toStdString();
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^QIPR07_\\d{14}\\.pdf$")).match(files[0]).hasMatch())
        << files[0].toStdString();
    const QString file = folder() + QLatin1Char('/') + files[0];
    ASSERT_EQ(prompter->messageTexts().size(), 1u);
    EXPECT_NE(prompter->messageTexts()[0].find(file.toStdString()), std::string::npos) << prompter->messageTexts()[0];

    EXPECT_EQ(kvtest::pdfPageCount(file), pageCount);
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains(QStringLiteral("领料单别"))) << text.left(400).toStdString();
    int parties = 0;
    for (const Slip &slip : slips) {
        EXPECT_TRUE(text.contains(slip.number)) << slip.number.toStdString();
        if (!slip.party.isEmpty()) {
            EXPECT_TRUE(text.contains(slip.party)) << slip.party.toStdString();
            ++parties;
        }
    }
    EXPECT_GT(parties, 0) << "no slip told its department or supplier";
    EXPECT_EQ(kvtest::pdfOutline(file), bookmarksOf(slips, 1));

    // Every font is embedded as a subset, named with its tag.
    const QStringList fonts =
        kvtest::toolOutput(QStringLiteral("pdffonts"), {file}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString &font : fonts)
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+\\S+ .* yes +yes +")).match(font).hasMatch())
            << font.toStdString();

    const QString info = kvtest::toolOutput(QStringLiteral("pdfinfo"), {file});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+") + QRegularExpression::escape(title) +
                                                 QLatin1Char('\n'))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Author:\\s+DS\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Creator:\\s+QIPR07\\n")))) << info.toStdString();
    for (const Slip &slip : slips)
        EXPECT_TRUE(info.section(QStringLiteral("Keywords:"), 1).section(QLatin1Char('\n'), 0, 0).contains(slip.key()))
            << slip.key().toStdString();

    // One ledger row per slip, the file as its target; no count is raised.
    const std::vector<LedgerRow> rows = ledgerRows("2");
    ASSERT_EQ(rows.size(), slips.size());
    std::map<std::string, long long> forms;
    for (const Slip &slip : slips)
        forms[slip.number.toStdString()] += slip.lastForm - slip.firstForm + 1;
    for (const LedgerRow &row : rows) {
        EXPECT_EQ(row.target, file.toStdString());
        EXPECT_EQ(row.success, "Y");
        EXPECT_EQ(row.pages, forms[row.number]) << row.number;
    }
    EXPECT_EQ(printCounts(), before);
}

TEST_P(Qipr07TextPdfTest, EachSlipOfTheRunTheSlipShownOrTheSlipsChosenGoIntoAFileNamedAfterTheSlip)
{
    QStringList perSlip, shown, chosen;
    bool chosenOfferedEmpty = true, chosenOfferedAfter = false;
    withPreview([&](kv::TfrmVRPreview &preview) {
        prompter->answerMessage(kv::mrNo);
        preview.pmTextPDFPerSlip->trigger();
        perSlip = entries();
        removeEntries();

        preview.GoToPage(slips[1].firstPage);
        prompter->answerMessage(kv::mrNo);
        preview.pmSlipTextPDF->trigger();
        shown = entries();
        removeEntries();

        emit preview.pmuSaveBMP->aboutToShow();
        chosenOfferedEmpty = preview.pmChosenTextPDF->isEnabled();
        auto *list = preview.findChild<QTreeWidget *>(QStringLiteral("lstSlips"));
        list->topLevelItem(0)->setSelected(true);
        list->topLevelItem(2)->setSelected(true);
        emit preview.pmuSaveBMP->aboutToShow();
        chosenOfferedAfter = preview.pmChosenTextPDF->isEnabled();
        prompter->answerMessage(kv::mrNo);
        preview.pmChosenTextPDF->trigger();
        chosen = entries();
    });
    ASSERT_GE(slips.size(), 3u);
    EXPECT_FALSE(chosenOfferedEmpty) << "offered with no slip chosen";
    EXPECT_TRUE(chosenOfferedAfter);

    // The demo's slips of one type have distinct numbers: one file each.
    ASSERT_EQ(perSlip.size(), qsizetype(slips.size())) << perSlip.join(' ').toStdString();
    const QString base = baseOf(perSlip.filter(slips.front().number).value(0));
    ASSERT_FALSE(base.isEmpty()) << perSlip.join(' ').toStdString();
    for (const Slip &slip : slips) {
        const QString name = perSlipName(base, slip);
        ASSERT_TRUE(perSlip.contains(name)) << name.toStdString() << " in " << perSlip.join(' ').toStdString();
    }
    // Each file of the chosen and shown slips: that slip's pages and bookmark.
    const auto expectSlipFile = [&](const QString &name, const Slip &slip) {
        const QString file = folder() + QLatin1Char('/') + name;
        EXPECT_EQ(kvtest::pdfPageCount(file), slip.lastPage - slip.firstPage + 1) << name.toStdString();
        EXPECT_EQ(kvtest::pdfOutline(file), bookmarksOf({slip}, slip.firstPage)) << name.toStdString();
        EXPECT_TRUE(pdfText(file).contains(slip.number)) << name.toStdString();
    };
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].endsWith(QLatin1Char('-') + slips[1].type + QLatin1Char('-') + slips[1].number + ".pdf"))
        << shown[0].toStdString();
    ASSERT_EQ(chosen.size(), 2) << chosen.join(' ').toStdString();
    const QString chosenBase = chosen[0].left(chosen[0].indexOf(QLatin1Char('-')));
    EXPECT_EQ(chosen, (QStringList{perSlipName(chosenBase, slips[0]), perSlipName(chosenBase, slips[2])}));
    expectSlipFile(chosen[0], slips[0]);
    expectSlipFile(chosen[1], slips[2]);
    // A row per slip and export: the run's slips, the one shown, two chosen.
    EXPECT_EQ(ledgerRows("2").size(), slips.size() + 3);
    EXPECT_EQ(printCounts(), before);
}

TEST_P(Qipr07TextPdfTest, ACancelledExportLeavesNoFileAndNoLedgerRow)
{
    QStringList seen;
    withPreview([&](kv::TfrmVRPreview &preview) {
        whileWorking([&seen](kv::OutputProgressWindow &progress) {
            if (progress.lblState->text().startsWith(QLatin1String("0/")))
                return false;
            seen << progress.windowTitle() << progress.pnlProgress->lblSlip->text();
            progress.btnCancel->click();
            return true;
        });
        preview.pmTextPDFPerSlip->trigger();
    });
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], QStringLiteral("转出成 PDF文字档中"));
    EXPECT_EQ(seen[1], slips.front().key());
    EXPECT_TRUE(entries().isEmpty()) << entries().join(' ').toStdString();
    EXPECT_TRUE(ledgerRows("2").empty());
    EXPECT_TRUE(prompter->messageTexts().empty()) << prompter->messageTexts()[0];
}

TEST_P(Qipr07TextPdfTest, ThePicturesOfThePageShownAndAPrintThePrinterRefusedLeaveLedgerRows)
{
    const QString missing = root.filePath(QStringLiteral("no-such-folder/slips.pdf"));
    withPreview([&](kv::TfrmVRPreview &preview) {
        preview.GoToPage(1);
        prompter->answerMessage(kv::mrNo);
        preview.pmBMP->trigger();
        prompter->answerPrinter(true, missing.toStdString());
        prompter->answerMessage(kv::mrOk);
        preview.btnPrint->click();
    });
    // The slips on the first page, each with its forms there.
    std::map<std::string, long long> onFirstPage;
    for (const Slip &slip : slips) {
        if (slip.firstPage == 1)
            onFirstPage[slip.number.toStdString()] = 0;
    }
    ASSERT_FALSE(onFirstPage.empty());
    const std::vector<LedgerRow> pictures = ledgerRows("3");
    ASSERT_EQ(pictures.size(), onFirstPage.size());
    for (const LedgerRow &row : pictures) {
        EXPECT_EQ(onFirstPage.count(row.number), 1u) << row.number;
        EXPECT_EQ(row.target.rfind(folder().toStdString() + "/QIPR07_", 0), 0u) << row.target;
        EXPECT_TRUE(QString::fromStdString(row.target).endsWith(QLatin1String(".bmp"))) << row.target;
        EXPECT_EQ(row.success, "Y");
        EXPECT_GE(row.pages, 1);
    }

    // The refused print: every slip of the job failed, and says why.
    const std::vector<LedgerRow> failed = ledgerRows("2");
    ASSERT_EQ(failed.size(), slips.size());
    for (const LedgerRow &row : failed) {
        EXPECT_EQ(row.target, missing.toStdString());
        EXPECT_EQ(row.success, "N");
        EXPECT_NE(row.message.find("Cannot start printing"), std::string::npos) << row.message;
    }
    ASSERT_EQ(prompter->messageTexts().size(), 2u);
    EXPECT_NE(prompter->messageTexts()[1].find("Cannot start printing"), std::string::npos) << prompter->messageTexts()[1];
    EXPECT_EQ(printCounts(), before);
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_P(Qipr07TextPdfTest, OnScreenTheCommandLinesExportFollowsTheLastPageAndItsFailureFailsTheRun)
{
    const QString file = root.filePath(QStringLiteral("run.pdf"));
    qputenv(kv::ExportRequest::kFileVariable, file.toUtf8());
    withPreview([](kv::TfrmVRPreview &) {});
    EXPECT_EQ(kvtest::pdfPageCount(file), pageCount);
    EXPECT_EQ(kvtest::pdfOutline(file), bookmarksOf(slips, 1));
    EXPECT_EQ(ledgerRows("2").size(), slips.size());

    // A folder that is not there: the window closes, then the run fails.
    const QString missing = root.filePath(QStringLiteral("no-such-folder/run.pdf"));
    qputenv(kv::ExportRequest::kFileVariable, missing.toUtf8());
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(query);
    prompter->answerDialog([&](QDialog &dialog) {
        if (auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog))
            waitUntilGenerated(*preview);
        return 0;
    });
    try {
        layout->ShowPreview();
        ADD_FAILURE() << "the export's failure was not told";
    } catch (const kv::ReportError &error) {
        EXPECT_NE(std::string(error.what()).find("Cannot write the PDF file " + missing.toStdString()),
                  std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(QFile::exists(missing));
}

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Qipr07TextPdfTest);

} // namespace
