// The preview window through its components: zoom and page boxes, the
// navigation, the paper panel, pages arriving while the preview is open,
// export of the current page, the hidden export switch and printing.

#include "report/layout/LayoutTestSupport.h"

#include "platform/Clock.h"
#include "platform/ScriptedPrompter.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRPreview.h"
#include "support/ShellFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QWheelEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kv::TfrmVRPreview;

// Forms are numbered through the run; each shows its number.
void addPages(kv::PageStore &store, int pages, int formsPerSheet)
{
    const int component = store.componentIndex(QStringLiteral("lblSlip"));
    const int style = store.textStyle(QFont(QStringLiteral("Noto Sans CJK SC")), Qt::transparent);
    for (int page = 1; page <= pages; ++page) {
        const int firstForm = (page - 1) * formsPerSheet + 1;
        store.beginPage(firstForm);
        for (int form = 0; form < formsPerSheet; ++form)
            store.addText(component, form, QRectF(200, 200 + form * 1397, 1200, 80), 0, style,
                          QStringLiteral("领料单 %1").arg(firstForm + form));
        store.endPage(formsPerSheet);
    }
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        prompter = std::make_shared<kv::ScriptedPrompter>();
        scope = std::make_unique<kv::ScopedPrompter>(prompter);
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        layout = kv::TKVForm::Create<kv::TfrmVRBaseFmt>(nullptr);
        QDir(dir.path()).mkdir("c_data");
        layout->ClientRoot = dir.path().toStdString(); // no trailing "/": the window adds it
        layout->UserID = "DS";
        layout->ProgramCode = "QIPR07";
        report = layout->QuickRep1;
    }
    void TearDown() override
    {
        if (preview)
            preview->Free();
        layout->Free();
        kv::Clock::setSource({});
    }

    // Opens the preview on pages of the layout's report.
    void open(int pages, bool halfPage = false)
    {
        report->setPageStyle(halfPage ? kv::Report::qrHalfPage : kv::Report::qrNone);
        const int forms = halfPage ? 2 : 1;
        report->pages()->reset(QSizeF(2159, 2794), true, forms);
        addPages(*report->pages(), pages, forms);
        report->pages()->finish(false);
        layout->PageCount = pages * forms;
        showPreview();
    }
    void showPreview()
    {
        preview = kv::TKVForm::Create<TfrmVRPreview>(layout);
        kv::PreviewRequest request;
        request.layout = layout;
        request.report = report;
        request.pages = report->pages();
        preview->SetRequest(request);
        preview->show();
        preview->activateWindow();
        preview->fileOpener = [this](const QString &file) { opened << file; };
    }
    void type(QWidget *box, const QString &text)
    {
        QLineEdit *edit = qobject_cast<QLineEdit *>(box);
        if (!edit)
            edit = qobject_cast<QComboBox *>(box)->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    std::vector<bool> navigation() const
    {
        return {preview->btnFirstPage->isEnabled(), preview->btnPreviousPage->isEnabled(),
                preview->btnNextPage->isEnabled(), preview->btnLastPage->isEnabled()};
    }

    kvtest::ShellFixture shell;
    QTemporaryDir dir;
    std::shared_ptr<kv::ScriptedPrompter> prompter;
    std::unique_ptr<kv::ScopedPrompter> scope;
    kv::TfrmVRBaseFmt *layout = nullptr;
    kv::Report *report = nullptr;
    QPointer<TfrmVRPreview> preview;
    QStringList opened;
};

TEST_F(PreviewTest, ZoomBoxClampsToItsListAndFallsBackTo100)
{
    open(1);
    EXPECT_EQ(preview->zoom(), 100);
    type(preview->cboZoom, "500");
    EXPECT_EQ(preview->zoom(), 200);
    EXPECT_EQ(preview->cboZoom->currentText(), "200");
    type(preview->cboZoom, "5");
    EXPECT_EQ(preview->zoom(), 20);
    type(preview->cboZoom, "abc");
    EXPECT_EQ(preview->zoom(), 100);
    EXPECT_EQ(preview->cboZoom->currentText(), "100");
    // A zoom that is not in the list leaves the box without an entry.
    type(preview->cboZoom, "60");
    EXPECT_EQ(preview->zoom(), 60);
    EXPECT_EQ(preview->cboZoom->currentIndex(), -1);
}

TEST_F(PreviewTest, TypedZoomIsTakenAsTypedNotCompletedFromTheList)
{
    open(1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(preview));
    // Typed and left with Enter, or by moving the focus on.
    const auto leave = [this](const QString &text, bool enter) {
        QLineEdit *edit = preview->cboZoom->lineEdit();
        preview->cboZoom->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        if (enter)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            preview->edtPageNo->setFocus();
        return preview->zoom();
    };
    for (bool enter : {true, false}) {
        SCOPED_TRACE(enter ? "Enter" : "focus out");
        EXPECT_EQ(leave("5", enter), 20);
        EXPECT_EQ(leave("20", enter), 20);
        EXPECT_EQ(preview->cboZoom->currentText(), "20");
        EXPECT_EQ(leave("30", enter), 30);
        EXPECT_EQ(preview->cboZoom->currentIndex(), -1);
        EXPECT_EQ(preview->cboZoom->currentText(), "30");
        EXPECT_EQ(leave("500", enter), 200);
        EXPECT_EQ(leave("1", enter), 20);
        EXPECT_EQ(leave("15", enter), 20);
        EXPECT_EQ(leave("abc", enter), 100);
    }
}

TEST_F(PreviewTest, ZoomToPageFitsTheWholeSheet)
{
    open(1);
    preview->resize(800, 600);
    QTest::mouseClick(preview->btnZoomToPage, Qt::LeftButton);
    const int fit = preview->zoom();
    EXPECT_GT(fit, 0);
    EXPECT_LT(fit, 100); // Letter at 96 dpi is 1056 pixels high
    EXPECT_EQ(preview->cboZoom->currentIndex(), preview->cboZoom->findText(QString::number(fit)));
    QTest::mouseClick(preview->btnZoomToWidth, Qt::LeftButton);
    EXPECT_GT(preview->zoom(), fit); // the page is taller than wide
}

TEST_F(PreviewTest, PageBoxAndButtonsClampAndEnableByPosition)
{
    open(3);
    EXPECT_EQ(preview->currentPage(), 1);
    EXPECT_EQ(navigation(), (std::vector<bool>{false, false, true, true}));
    const int pages = layout->QuickRep1->pages()->pageCount();
    EXPECT_GE(pages, 2);
    EXPECT_EQ(preview->panelText(0), QStringLiteral("1 / %1").arg(pages));

    type(preview->edtPageNo, "99");
    EXPECT_EQ(preview->currentPage(), 3);
    EXPECT_EQ(preview->edtPageNo->text(), "3");
    EXPECT_EQ(navigation(), (std::vector<bool>{true, true, false, false}));
    type(preview->edtPageNo, "0");
    EXPECT_EQ(preview->currentPage(), 1);
    QTest::mouseClick(preview->btnNextPage, Qt::LeftButton);
    type(preview->edtPageNo, "x2");
    EXPECT_EQ(preview->currentPage(), 2); // not a number: stays
    EXPECT_EQ(preview->edtPageNo->text(), "2");
    EXPECT_EQ(navigation(), (std::vector<bool>{true, true, true, true}));
    QTest::mouseClick(preview->btnLastPage, Qt::LeftButton);
    EXPECT_EQ(preview->panelText(0), "3 / 3");
    QTest::mouseClick(preview->btnPreviousPage, Qt::LeftButton);
    QTest::mouseClick(preview->btnFirstPage, Qt::LeftButton);
    EXPECT_EQ(preview->currentPage(), 1);
}

TEST_F(PreviewTest, KeysAndTheWheelPageThroughTheDocument)
{
    open(3);
    QScrollBar *bar = preview->QRPreview->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the page must be taller than the view";
    QWidget *pane = preview->QRPreview;
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
        return preview->currentPage();
    };
    ASSERT_TRUE(QTest::qWaitForWindowActive(preview));
    ASSERT_EQ(QApplication::focusWidget(), pane) << "the pages take the keys from the start";
    // PageDown reads down a page taller than the view, then turns it.
    EXPECT_EQ(key(Qt::Key_PageDown), 1);
    EXPECT_GT(bar->value(), 0);
    for (int i = 0; i < 10 && bar->value() < bar->maximum(); ++i)
        key(Qt::Key_PageDown);
    EXPECT_EQ(preview->currentPage(), 1);
    EXPECT_EQ(key(Qt::Key_PageDown), 2);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(preview->edtPageNo->text(), "2");
    EXPECT_EQ(navigation(), (std::vector<bool>{true, true, true, true}));
    // PageUp at the top goes back to the previous page's bottom.
    EXPECT_EQ(key(Qt::Key_PageUp), 1);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(key(Qt::Key_PageUp), 1);
    EXPECT_LT(bar->value(), bar->maximum());

    EXPECT_EQ(key(Qt::Key_End, Qt::ControlModifier), 3);
    EXPECT_EQ(preview->panelText(0), "3 / 3");
    EXPECT_EQ(key(Qt::Key_PageDown), 3);
    EXPECT_EQ(key(Qt::Key_Home), 1);
    EXPECT_EQ(key(Qt::Key_End), 3);
    EXPECT_EQ(key(Qt::Key_Home, Qt::ControlModifier), 1);
    EXPECT_EQ(navigation(), (std::vector<bool>{false, false, true, true}));
    // In the page box Home and End move the cursor; the pages page on.
    preview->edtPageNo->setFocus();
    EXPECT_EQ(key(Qt::Key_End), 1);
    EXPECT_EQ(preview->edtPageNo->cursorPosition(), 1);
    EXPECT_EQ(key(Qt::Key_End, Qt::ControlModifier), 3);

    // The wheel scrolls within the page; past its edge it turns the page.
    const auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(50, 50), pane->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(preview->QRPreview->viewport(), &event);
        return preview->currentPage();
    };
    pane->setFocus();
    key(Qt::Key_Home);
    EXPECT_EQ(wheel(120), 1); // at the top of the first page
    EXPECT_EQ(wheel(-120), 1);
    EXPECT_GT(bar->value(), 0);
    bar->setValue(bar->maximum());
    EXPECT_EQ(wheel(-60), 1); // half a notch of a touch pad
    EXPECT_EQ(wheel(-60), 2);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(wheel(120), 1);
    EXPECT_EQ(bar->value(), bar->maximum());
    // A page that fits the view turns at once.
    preview->SetZoom(20);
    EXPECT_EQ(wheel(-120), 2);
    EXPECT_EQ(wheel(-120), 3);
    EXPECT_EQ(wheel(-120), 3);
    EXPECT_EQ(preview->edtPageNo->text(), "3");
}

TEST_F(PreviewTest, SinglePageAndNoPagesDisableNavigation)
{
    open(1);
    EXPECT_EQ(navigation(), (std::vector<bool>{false, false, false, false}));
    preview->Free();

    report->pages()->reset(QSizeF(2159, 2794), true, 1);
    showPreview();
    EXPECT_EQ(preview->edtPageNo->text(), "0");
    EXPECT_EQ(preview->panelText(0), "");
    EXPECT_EQ(navigation(), (std::vector<bool>{false, false, false, false}));

    // Pages that arrive while the preview is open are shown at once.
    addPages(*report->pages(), 2, 1);
    EXPECT_EQ(preview->currentPage(), 1);
    EXPECT_EQ(preview->panelText(0), "1 / 2");
    EXPECT_EQ(navigation(), (std::vector<bool>{false, false, true, true}));
}

TEST_F(PreviewTest, PaperPanelShowsPaperSizeInReportUnits)
{
    open(1);
    EXPECT_EQ(preview->panelText(1), " 纸张格式 : Letter ( 279.4 x 215.9 / MM ) ");
    preview->Free();
    report->page()->setPaperSize(kv::PageSetup::A4);
    report->setUnits(kv::Report::Inches);
    showPreview();
    EXPECT_TRUE(preview->panelText(1).startsWith(" 纸张格式 : A4 ( 11.69"));
    EXPECT_TRUE(preview->panelText(1).endsWith(" / Inches ) "));
}

TEST_F(PreviewTest, HalfPageExportWritesBothSlipsOfThePage)
{
    kv::Clock::setSource([] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); });
    open(3, true);
    type(preview->edtPageNo, "3");
    prompter->answerMessage(kv::mrYes);
    preview->pmBMP->trigger();
    const QString base = dir.path() + "/c_data/DS/QIPR07_20260304050607";
    EXPECT_EQ(opened, (QStringList{base + "005.bmp", base + "006.bmp"}));
    ASSERT_EQ(prompter->questions().size(), 1u);
    EXPECT_EQ(prompter->questions()[0].text, "转出文件为：" + base.toStdString() + "\n\n是否打开文件？");
    QProcess identify;
    identify.start("identify", {"-format", "%m %w\n", base + "005.bmp", base + "006.bmp"});
    ASSERT_TRUE(identify.waitForFinished());
    // BMP3 is ImageMagick's name for the Windows bitmap; 8.5 inches at 96 dpi.
    EXPECT_EQ(QString::fromLatin1(identify.readAllStandardOutput()), "BMP3 816\nBMP3 816\n");

    // Fewer forms than the sheet holds: only those that exist.
    layout->PageCount = 5;
    opened.clear();
    prompter->answerMessage(kv::mrNo);
    kv::Clock::setSource([] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 8)); });
    const QString second = dir.path() + "/c_data/DS/QIPR07_20260304050608";
    preview->pmBMP->trigger();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(QFile::exists(second + "005.bmp"));
    EXPECT_FALSE(QFile::exists(second + "006.bmp"));
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(PreviewTest, ExportMakesEveryMissingFolderAndNamesOneItCannotMake)
{
    // A fresh installation: neither the client folder nor its data folder exist.
    layout->ClientRoot = (dir.path() + "/client/root/").toStdString();
    open(1);
    prompter->answerMessage(kv::mrNo);
    preview->pmBMP->trigger();
    EXPECT_EQ(QDir(dir.path() + "/client/root/c_data/DS").entryList({"QIPR07_*001.bmp"}).size(), 1);

    // Below a file no folder can be made: the folder is named, nothing written.
    QFile file(dir.path() + "/plain");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString &root : {dir.path() + "/plain/", dir.path() + "/plain/deeper/"}) {
        layout->ClientRoot = root.toStdString();
        prompter->answerMessage(kv::mrOk);
        preview->pmPDF->trigger();
        EXPECT_EQ(prompter->questions().back().type, kv::MessageType::Error);
        EXPECT_EQ(prompter->questions().back().text, "创建目录失败：" + root.toStdString() + "c_data/DS");
    }
    // The user's folder itself taken by a file.
    QDir(dir.path()).mkpath("taken/c_data");
    QFile taken(dir.path() + "/taken/c_data/DS");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    layout->ClientRoot = (dir.path() + "/taken/").toStdString();
    prompter->answerMessage(kv::mrOk);
    preview->pmPDF->trigger();
    EXPECT_EQ(prompter->questions().back().text, "创建目录失败：" + dir.path().toStdString() + "/taken/c_data/DS");
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(PreviewTest, PdfExportOfAFullPageKeepsItsEdges)
{
    for (const char *tool : {"pdfinfo", "pdftoppm"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            GTEST_SKIP() << tool << " (poppler-utils) is not installed: the exported PDF cannot be read back";
    // Page 2 carries the form's frame 5 mm inside the sheet's edges.
    report->setPageStyle(kv::Report::qrNone);
    kv::PageStore &store = *report->pages();
    store.reset(QSizeF(2159, 2794), true, 1);
    addPages(store, 1, 1);
    store.beginPage(2);
    store.addShape(kv::PageStore::ShapeKind::Rectangle, 0, QRectF(50, 50, 2059, 2694),
                   store.shapeStyle(QPen(Qt::black, 6), Qt::NoBrush));
    store.endPage(1);
    store.finish(false);
    layout->PageCount = 2;
    showPreview();
    QTest::mouseClick(preview->btnNextPage, Qt::LeftButton);
    prompter->answerMessage(kv::mrNo);
    preview->pmPDF->trigger();
    const QStringList files = QDir(dir.path() + "/c_data/DS").entryList({"*.pdf"});
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].endsWith("002.pdf"));
    const QString pdf = dir.path() + "/c_data/DS/" + files[0];

    // The page is the picture's size (Letter at 96 dpi)...
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished());
    const QString pageInfo = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(pageInfo.contains(QRegularExpression("Page size: +816 x 1056 pts"))) << pageInfo.toStdString();
    // ...and, rendered at one pixel a point, shows the whole frame.
    QProcess render;
    render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir.path() + "/rendered"});
    ASSERT_TRUE(render.waitForFinished());
    const QImage page(dir.path() + "/rendered.png");
    ASSERT_EQ(page.size(), QSize(816, 1056));
    const auto inkAcross = [&](bool vertical, int at) {
        // Rows (or columns) 100 apart along the line that show its ink within 3 pixels of `at`.
        int found = 0;
        for (int along = 100; along < (vertical ? 1000 : 760); along += 100) {
            bool ink = false;
            for (int d = -3; d <= 3; ++d)
                ink = ink || qGray(vertical ? page.pixel(at + d, along) : page.pixel(along, at + d)) < 100;
            found += ink;
        }
        return found;
    };
    EXPECT_EQ(inkAcross(true, 19), 9);   // left edge of the frame
    EXPECT_EQ(inkAcross(true, 797), 9);  // right edge: 2109 / 254 × 96 pixels
    EXPECT_EQ(inkAcross(false, 19), 7);  // top edge
    EXPECT_EQ(inkAcross(false, 1037), 7); // bottom edge: 2744 / 254 × 96 pixels
}

TEST_F(PreviewTest, CtrlF11InTheZoomBoxTogglesTheExportButton)
{
    open(1);
    EXPECT_FALSE(preview->btnSaveBMP->isHidden());
    QTest::keyClick(preview->cboZoom->lineEdit(), Qt::Key_F11, Qt::ControlModifier);
    EXPECT_TRUE(preview->btnSaveBMP->isHidden());
    QTest::keyClick(preview->cboZoom->lineEdit(), Qt::Key_F11, Qt::ControlModifier);
    EXPECT_FALSE(preview->btnSaveBMP->isHidden());
    // Sending is not offered to a layout that does not allow it.
    EXPECT_TRUE(preview->btnEmail->isHidden());
    EXPECT_TRUE(preview->btnFax->isHidden());
}

TEST_F(PreviewTest, PrintingGoesThroughThePrinterSetUp)
{
    open(2);
    const QString pdf = dir.path() + "/printed.pdf";
    prompter->answerPrinter(false, pdf.toStdString());
    QTest::mouseClick(preview->btnPrint, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(layout->PrintCountMode, 1);

    report->setTag(1);
    prompter->answerPrinter(true, pdf.toStdString());
    QTest::mouseClick(preview->btnPrint, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(pdf));

    // Printing into a file from the set-up gives vector pages: the Chinese
    // text can be read back and its font is embedded.
    report->setTag(0);
    prompter->answerPrinter(true, pdf.toStdString());
    QTest::mouseClick(preview->btnPrint, Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(pdf));
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished());
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains("领料单 1"));
    EXPECT_TRUE(printed.contains("领料单 2"));
    QProcess fonts;
    fonts.start("pdffonts", {pdf});
    ASSERT_TRUE(fonts.waitForFinished());
    const QStringList lines = QString::fromUtf8(fonts.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 2);
    for (const QString &line : lines.mid(2))
        EXPECT_TRUE(line.simplified().split(' ').contains("yes")) << line.toStdString();
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(PreviewTest, LayoutWindowShowsItsPagesInThePreviewWindow)
{
    report->pages()->reset(QSizeF(2159, 2794), true, 1);
    addPages(*report->pages(), 4, 1);
    report->pages()->finish(false);
    kv::PreviewRequest request;
    request.layout = layout;
    request.report = report;
    request.pages = report->pages();
    request.firstPage = 9;
    QPointer<TfrmVRPreview> shown;
    prompter->answerDialog([&](QDialog &dialog) {
        shown = qobject_cast<TfrmVRPreview *>(&dialog);
        EXPECT_TRUE(shown);
        if (!shown)
            return 0;
        EXPECT_EQ(shown->currentPage(), 4);
        EXPECT_EQ(shown->caption(), "凭证预览");
        QTest::mouseClick(shown->btnExit, Qt::LeftButton);
        return 0;
    });
    kv::PreviewWindowPreviewer().ShowPreview(request);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(shown); // the preview went with its run
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(PreviewTest, SendButtonsFollowTheRequestAndTheFaxServerMenu)
{
    open(1);
    std::vector<std::tuple<int, int, QString>> sent;
    preview->sendHandler = [&](int kind, int type, const QString &server) { sent.emplace_back(kind, type, server); };
    preview->btnFax->click(); // hidden and no servers: nothing is sent
    EXPECT_TRUE(sent.empty());

    kv::PreviewRequest request;
    request.layout = layout;
    request.report = report;
    request.pages = report->pages();
    request.emailVisible = request.faxVisible = true;
    request.faxServers = QStringList{"总部(127.0.0.1)", "工厂(10.0.0.9)"};
    preview->SetRequest(request);
    EXPECT_FALSE(preview->btnEmail->isHidden());
    EXPECT_FALSE(preview->btnFax->isHidden());
    preview->btnEmail->click();
    preview->btnFax->click();
    preview->PopupmenuSendFax->actions().at(1)->trigger();
    using Sent = std::tuple<int, int, QString>;
    EXPECT_EQ(sent, (std::vector<Sent>{{1, 2, ""}, {2, 1, "总部(127.0.0.1)"}, {2, 1, "工厂(10.0.0.9)"}}));
}

// A slip generated by the standard slip layout, seen in the preview. With
// QIPR07_PREVIEW_SHOT set the window is also saved there as a picture.
class SlipPreviewTest : public layouttest::LayoutTest {};

TEST_F(SlipPreviewTest, GeneratedSlipPageIsDrawnInThePreview)
{
    openLayout(layouttest::slipTable({{"5401", "A001", 14}, {"5401", "A002", 3}}));
    layout->ShowPreview();
    ASSERT_EQ(previewer->requests.size(), 1u);
    auto *preview = kv::TKVForm::Create<TfrmVRPreview>(layout.data());
    preview->SetRequest(previewer->requests[0]);
    preview->setWindowState(Qt::WindowNoState);
    preview->resize(1000, 760);
    preview->show();
    QTest::mouseClick(preview->btnZoomToWidth, Qt::LeftButton);
    const int pages = layout->QuickRep1->pages()->pageCount();
    EXPECT_GE(pages, 2);
    EXPECT_EQ(preview->panelText(0), QStringLiteral("1 / %1").arg(pages));
    const QImage shot = preview->grab().toImage();
    // The sheet shows ink: the slip's texts and lines were drawn on it.
    const QRect sheet = preview->QRPreview->viewport()->geometry().translated(preview->QRPreview->pos());
    int ink = 0;
    for (int y = sheet.top(); y < sheet.bottom(); y += 2)
        for (int x = sheet.left(); x < sheet.right(); x += 2)
            ink += qGray(shot.pixel(x, y)) < 96;
    EXPECT_GT(ink, 200);
    const QByteArray path = qgetenv("QIPR07_PREVIEW_SHOT");
    if (!path.isEmpty()) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(path)));
    }
    preview->Free();
}

} // namespace
