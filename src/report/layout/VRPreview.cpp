#include "report/layout/VRPreview.h"

#include "base/BaseGlyphs.h"
#include "platform/Prompter.h"
#include "platform/report/PageSetup.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "report/layout/PreviewFindBar.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/PreviewSearch.h"
#include "report/layout/PreviewSidePanel.h"
#include "report/layout/VRBaseFmt.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStatusBar>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <stdexcept>

namespace kv {

namespace {

const char *const kPaperLabel = " 纸张格式 : ";

// The tool bar's pictures by image number (the table of the window).
QStyle::StandardPixmap standardImage(int image)
{
    switch (image) {
    case 0: return QStyle::SP_TitleBarMaxButton;
    case 1: return QStyle::SP_ToolBarHorizontalExtensionButton;
    case 4: return QStyle::SP_MediaSkipBackward;
    case 5: return QStyle::SP_MediaSeekBackward;
    case 6: return QStyle::SP_MediaSeekForward;
    case 7: return QStyle::SP_MediaSkipForward;
    case 8: return QStyle::SP_DialogCloseButton;
    case 9: return QStyle::SP_MessageBoxInformation;
    case 10: return QStyle::SP_DriveNetIcon;
    case 12: return QStyle::SP_FileDialogListView;
    case 13: return QStyle::SP_FileDialogContentsView;
    default: return QStyle::SP_FileIcon;
    }
}

// Print (image 3) shows the printer of the program windows' print buttons.
QIcon toolBarIcon(const QStyle *style, int image)
{
    if (image == 3)
        return QIcon(BaseGlyphs::draw(BaseGlyphs::Print, 16));
    return style->standardIcon(standardImage(image));
}

QFrame *separator()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TfrmVRPreview::TfrmVRPreview(QWidget *parent) : TKVForm(parent)
{
    setObjectName(QStringLiteral("frmVRPreview"));
    setCaption(QStringLiteral("凭证预览"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    setFont(font);
    resize(605, 459);
    pictureWriter = [this](int picture, int type, const QString &baseName) {
        return defaultWritePicture(picture, type, baseName);
    };
    fileOpener = [](const QString &fileName) { QDesktopServices::openUrl(QUrl::fromLocalFile(fileName)); };
    buildComponents();
    connectHandlers();
}

TfrmVRPreview::~TfrmVRPreview()
{
    // The boxes are freed after this body: their focus-out events must not
    // reach handlers of a window that is going away.
    cboZoom->lineEdit()->removeEventFilter(this);
    cboZoom->removeEventFilter(this);
    edtPageNo->removeEventFilter(this);
}

void TfrmVRPreview::buildComponents()
{
    moPaperSize = QStringList{"Default", "Letter",  "LetterSmall", "Tabloid", "Ledger",  "Legal",   "Statement",
                              "Executive", "A3",    "A4",          "A4Small", "A5",      "B4",      "B5",
                              "Folio",   "Quarto",  "qr10X14",     "qr11X17", "Note",    "Env9",    "Env10",
                              "Env11",   "Env12",   "Env14",       "CSheet",  "DSheet",  "ESheet",  "Custom"};
    moUnits = QStringList{"MM", "Inches", "Pixels", "Characters", "Native"};

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    layout->addWidget(ToolBar1);
    QRPreview = new PreviewPane(this);
    QRPreview->setObjectName(QStringLiteral("QRPreview"));
    buildBigRunParts();
    layout->addWidget(FindBar);
    layout->addWidget(splPreview, 1);
    buildStatusBar();
    layout->addWidget(StatusBar);
    buildGenerationParts();
}

QToolButton *TfrmVRPreview::addButton(const char *name, const char *hint, int image)
{
    auto *button = new QToolButton(ToolBar1);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(QString::fromUtf8(hint));
    button->setAutoRaise(true);
    button->setFixedHeight(24);
    button->setIconSize(QSize(16, 16));
    button->setIcon(toolBarIcon(style(), image));
    ToolBar1->layout()->addWidget(button);
    return button;
}

void TfrmVRPreview::buildToolBar()
{
    ToolBar1 = new QWidget(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    auto *bar = new QHBoxLayout(ToolBar1);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);

    btnZoomToPage = addButton("btnZoomToPage", "显示整页", 0);
    btnZoomToWidth = addButton("btnZoomToWidth", "显示页宽", 1);
    btnZoomToPage->setCheckable(true);
    btnZoomToWidth->setCheckable(true);
    btnZoomToPage->setAutoExclusive(true);
    btnZoomToWidth->setAutoExclusive(true);
    lblScale = new QLabel(QStringLiteral("缩放比率(%)"), ToolBar1);
    lblScale->setObjectName(QStringLiteral("lblScale"));
    bar->addWidget(lblScale);
    cboZoom = new QComboBox(ToolBar1);
    cboZoom->setObjectName(QStringLiteral("cboZoom"));
    cboZoom->setEditable(true);
    cboZoom->setInsertPolicy(QComboBox::NoInsert);
    cboZoom->addItems({"200", "150", "100", "75", "50", "20"});
    // A typed zoom is taken as typed: completing "5" to "50" from the list
    // would zoom to what the user did not ask for.
    cboZoom->setCompleter(nullptr);
    bar->addWidget(cboZoom);
    bar->addWidget(separator());
    btnPrint = addButton("btnPrint", "打印", 3);
    pmuPrint = new QMenu(this);
    pmuPrint->setObjectName(QStringLiteral("pmuPrint"));
    pmPrintSlip = pmuPrint->addAction(QStringLiteral("打印本单"));
    pmPrintSlip->setObjectName(QStringLiteral("pmPrintSlip"));
    pmPrintChosen = pmuPrint->addAction(QStringLiteral("打印所选单据"));
    pmPrintChosen->setObjectName(QStringLiteral("pmPrintChosen"));
    pmuPrint->addSeparator();
    pmSlipSheet = pmuPrint->addAction(QStringLiteral("每张单据从新的一张纸开始"));
    pmSlipSheet->setObjectName(QStringLiteral("pmSlipSheet"));
    pmSlipSheet->setCheckable(true);
    btnPrint->setMenu(pmuPrint);
    btnPrint->setPopupMode(QToolButton::MenuButtonPopup);
    bar->addWidget(separator());
    btnFirstPage = addButton("btnFirstPage", "第一页", 4);
    btnPreviousPage = addButton("btnPreviousPage", "上一页", 5);
    lblPageNo = new QLabel(QStringLiteral("页次"), ToolBar1);
    lblPageNo->setObjectName(QStringLiteral("lblPageNo"));
    bar->addWidget(lblPageNo);
    edtPageNo = new QLineEdit(ToolBar1);
    edtPageNo->setObjectName(QStringLiteral("edtPageNo"));
    edtPageNo->setFixedWidth(48);
    bar->addWidget(edtPageNo);
    btnNextPage = addButton("btnNextPage", "下一页", 6);
    btnLastPage = addButton("btnLastPage", "最后一页", 7);
    bar->addWidget(separator());
    btnSlipIndex = addButton("btnSlipIndex", "单据索引", 12);
    btnSlipIndex->setCheckable(true);
    btnFind = addButton("btnFind", "查找", 13);
    bar->addWidget(separator());
    btnSaveBMP = addButton("btnSaveBMP", "导出图片", 11);
    buildSaveMenu();
    btnExit = addButton("btnExit", "退出", 8);
    btnEmail = addButton("btnEmail", "", 9);
    btnFax = addButton("btnFax", "", 10);
    PopupmenuSendFax = new QMenu(this);
    PopupmenuSendFax->setObjectName(QStringLiteral("PopupmenuSendFax"));
    btnFax->setMenu(PopupmenuSendFax);
    btnFax->setPopupMode(QToolButton::MenuButtonPopup);
    // Sending is offered only when the layout window allows it.
    btnEmail->hide();
    btnFax->hide();
    bar->addStretch(1);
}

void TfrmVRPreview::buildSaveMenu()
{
    pmuSaveBMP = new QMenu(this);
    pmuSaveBMP->setObjectName(QStringLiteral("pmuSaveBMP"));
    auto item = [this](const char *name, const char *caption) {
        QAction *action = pmuSaveBMP->addAction(QString::fromUtf8(caption));
        action->setObjectName(QLatin1String(name));
        return action;
    };
    pmBMP = item("pmBMP", "转出成 .BMP档");
    pmGIF = item("pmGIF", "转出成 .GIF档");
    pmJPG = item("pmJPG", "转出成 .JPG档");
    pmPDF = item("pmPDF", "转出成 .PDF档");
    pmuSaveBMP->addSeparator();
    pmSlipPDF = item("pmSlipPDF", "本单转出成 .PDF档");
    pmuSaveBMP->addSeparator();
    pmTextPDF = item("pmTextPDF", "转出成 PDF文字档");
    pmTextPDFPerSlip = item("pmTextPDFPerSlip", "每张单据转出成 PDF文字档");
    pmSlipTextPDF = item("pmSlipTextPDF", "本单转出成 PDF文字档");
    pmChosenTextPDF = item("pmChosenTextPDF", "所选单据转出成 PDF文字档");
    // The chosen slips' item is offered while the index has slips chosen.
    connect(pmuSaveBMP, &QMenu::aboutToShow, this,
            [this] { pmChosenTextPDF->setEnabled(!SidePanel->chosenSlips().empty()); });
    btnSaveBMP->setMenu(pmuSaveBMP);
    btnSaveBMP->setPopupMode(QToolButton::InstantPopup);
}

void TfrmVRPreview::buildStatusBar()
{
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    m_pagePanel = new QLabel(StatusBar);
    m_pagePanel->setObjectName(QStringLiteral("StatusBarPanel0"));
    m_pagePanel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pagePanel->setMinimumWidth(40);
    m_paperLabel = QString::fromUtf8(kPaperLabel);
    m_paperPanel = new QLabel(m_paperLabel, StatusBar);
    m_paperPanel->setObjectName(QStringLiteral("StatusBarPanel1"));
    m_paperPanel->setMinimumWidth(50);
    StatusBar->addWidget(m_pagePanel);
    StatusBar->addWidget(m_paperPanel, 1);
}

void TfrmVRPreview::connectHandlers()
{
    connect(btnZoomToPage, &QToolButton::clicked, this, &TfrmVRPreview::btnZoomToPageClick);
    connect(btnZoomToWidth, &QToolButton::clicked, this, &TfrmVRPreview::btnZoomToWidthClick);
    connect(btnFirstPage, &QToolButton::clicked, this, &TfrmVRPreview::btnFirstPageClick);
    connect(btnPreviousPage, &QToolButton::clicked, this, &TfrmVRPreview::btnPreviousPageClick);
    connect(btnNextPage, &QToolButton::clicked, this, &TfrmVRPreview::btnNextPageClick);
    connect(btnLastPage, &QToolButton::clicked, this, &TfrmVRPreview::btnLastPageClick);
    connect(btnExit, &QToolButton::clicked, this, &TfrmVRPreview::btnExitClick);
    connect(btnPrint, &QToolButton::clicked, this, &TfrmVRPreview::btnPrintClick);
    connect(btnEmail, &QToolButton::clicked, this, &TfrmVRPreview::btnEmailClick);
    connect(btnFax, &QToolButton::clicked, this, &TfrmVRPreview::btnFaxClick);
    connect(cboZoom, &QComboBox::activated, this, [this](int) { cboZoomClick(); });
    connect(pmBMP, &QAction::triggered, this, [this] { ExportPage(ptBMP); });
    connect(pmJPG, &QAction::triggered, this, [this] { ExportPage(ptJPG); });
    connect(pmGIF, &QAction::triggered, this, [this] { ExportPage(ptGIF); });
    connect(pmPDF, &QAction::triggered, this, [this] { ExportPage(ptPDF); });
    connect(pmSlipPDF, &QAction::triggered, this, [this] { ExportSlip(ptPDF); });
    connect(pmTextPDF, &QAction::triggered, this, [this] { ExportTextPdf(TextPdfScope::Run); });
    connect(pmTextPDFPerSlip, &QAction::triggered, this, [this] { ExportTextPdf(TextPdfScope::RunPerSlip); });
    connect(pmSlipTextPDF, &QAction::triggered, this, [this] { ExportTextPdf(TextPdfScope::SlipShown); });
    connect(pmChosenTextPDF, &QAction::triggered, this, [this] { ExportTextPdf(TextPdfScope::ChosenSlips); });
    connect(pmPrintSlip, &QAction::triggered, this, [this] { PrintPages(currentSlipPages()); });
    connect(pmPrintChosen, &QAction::triggered, this, [this] { PrintPages(chosenSlipPages()); });
    connect(pmSlipSheet, &QAction::toggled, this, [this](bool on) {
        if (m_layout)
            m_layout->setSlipsOnFreshSheets(on);
    });
    connect(QRPreview, &PreviewPane::pageAvailable, this, &TfrmVRPreview::QRPreviewPageAvailable);
    connect(QRPreview, &PreviewPane::pageTurnRequested, this, &TfrmVRPreview::turnPage);
    cboZoom->installEventFilter(this);
    cboZoom->lineEdit()->installEventFilter(this);
    edtPageNo->installEventFilter(this);
}

void TfrmVRPreview::FormCreate()
{
    SetZoom(100);
    GoToPage(0);
    setWindowState(windowState() | Qt::WindowMaximized);
    showPaperInformation();
    btnSaveBMP->setVisible(true);
    applyOwnTexts();
}

void TfrmVRPreview::FormClose(TCloseAction &action)
{
    // The generation runs inside this window's loop: the window goes when
    // the stopped generation has returned.
    if (m_generating) {
        action = caNone;
        m_closeAfterGeneration = true;
        StopGeneration();
        return;
    }
    action = caFree;
}

void TfrmVRPreview::FormDestroy()
{
    bindPages(nullptr);
}

void TfrmVRPreview::SetRequest(const PreviewRequest &request)
{
    m_layout = request.layout;
    m_report = request.report;
    pmSlipSheet->setChecked(m_layout && m_layout->slipsOnFreshSheets());
    bindPages(request.pages);
    btnEmail->setVisible(request.emailVisible);
    btnFax->setVisible(request.faxVisible);
    btnEmail->setEnabled(request.sendEnabled);
    btnFax->setEnabled(request.sendEnabled);
    PopupmenuSendFax->clear();
    for (const QString &caption : request.faxServers) {
        QAction *item = PopupmenuSendFax->addAction(caption);
        connect(item, &QAction::triggered, this, [this, caption] { faxServerClick(caption); });
    }
    showPaperInformation();
    GoToPage(request.firstPage);
    // The keys page through the document from the start.
    QRPreview->setFocus();
}

void TfrmVRPreview::bindPages(PageStore *pages)
{
    QRPreview->setPages(pages);
    SidePanel->setPages(pages);
    m_search->setPages(pages);
}

int TfrmVRPreview::currentPage() const
{
    return QRPreview->pageNumber();
}

int TfrmVRPreview::zoom() const
{
    return QRPreview->zoom();
}

QString TfrmVRPreview::panelText(int panel) const
{
    return panel == 0 ? m_pagePanel->text() : panel == 1 ? m_paperPanel->text() : QString();
}

void TfrmVRPreview::selectZoomEntry(int zoom)
{
    const int index = cboZoom->findText(QString::number(zoom));
    cboZoom->setCurrentIndex(index);
    // Without an entry the box still tells the zoom in effect.
    if (index < 0)
        cboZoom->setEditText(QString::number(zoom));
}

void TfrmVRPreview::SetZoom(int percent)
{
    selectZoomEntry(percent);
    if (percent != QRPreview->zoom()) {
        QRPreview->scrollToTopLeft();
        QRPreview->setZoom(percent);
    }
}

void TfrmVRPreview::GoToPage(int page)
{
    QRPreview->scrollToTopLeft();
    if (QRPreview->pageCount() > 0)
        QRPreview->setPageNumber(page); // clamps into 1 .. page count
    updateNavigation();
    if (QRPreview->pageCount() == 0)
        edtPageNo->setText(QStringLiteral("0"));
}

void TfrmVRPreview::updateNavigation()
{
    // Pages arriving behind the one being read leave its scroll position.
    showGenerationProgress();
    const int count = QRPreview->pageCount();
    if (count > 0 && currentPage() == 0) {
        QRPreview->scrollToTopLeft();
        QRPreview->setPageNumber(1); // the first page has just arrived
    }
    const int page = currentPage();
    if (count == 0) {
        for (QToolButton *button : {btnFirstPage, btnPreviousPage, btnNextPage, btnLastPage})
            button->setEnabled(false);
        m_pagePanel->clear();
        return;
    }
    m_pagePanel->setText(QStringLiteral("%1 / %2").arg(page).arg(runPageCount()));
    edtPageNo->setText(QString::number(page));
    selectZoomEntry(QRPreview->zoom());
    btnFirstPage->setEnabled(page > 1);
    btnPreviousPage->setEnabled(page > 1);
    btnNextPage->setEnabled(page < count);
    btnLastPage->setEnabled(page < count);
    markHits();
    SidePanel->showPage(page);
}

void TfrmVRPreview::showPaperInformation()
{
    QString text = m_paperLabel;
    if (m_report) {
        const PageSetup *page = m_report->page();
        const auto shortest = [](double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); };
        text += moPaperSize.value(int(page->paperSize())) + QStringLiteral(" ( ") +
                shortest(m_report->toUnits(page->length(), Qt::Vertical)) + QStringLiteral(" x ") +
                shortest(m_report->toUnits(page->width(), Qt::Horizontal)) + QStringLiteral(" / ") +
                moUnits.value(int(m_report->units())) + QStringLiteral(" ) ");
    }
    m_paperPanel->setText(text);
}

void TfrmVRPreview::btnZoomToPageClick()
{
    QCoreApplication::processEvents();
    QRPreview->zoomToFit();
    selectZoomEntry(QRPreview->zoom());
}

void TfrmVRPreview::btnZoomToWidthClick()
{
    QCoreApplication::processEvents();
    QRPreview->zoomToWidth();
    selectZoomEntry(QRPreview->zoom());
}

void TfrmVRPreview::btnFirstPageClick()
{
    GoToPage(1);
}

void TfrmVRPreview::btnPreviousPageClick()
{
    GoToPage(currentPage() - 1);
}

void TfrmVRPreview::btnNextPageClick()
{
    GoToPage(currentPage() + 1);
}

void TfrmVRPreview::btnLastPageClick()
{
    GoToPage(QRPreview->pageCount());
}

void TfrmVRPreview::turnPage(int direction)
{
    const int page = currentPage() + direction;
    if (page < 1 || page > QRPreview->pageCount())
        return;
    GoToPage(page);
    if (direction < 0)
        QRPreview->scrollToBottom(); // read on upwards from where the next page began
}

void TfrmVRPreview::pageKey(int direction)
{
    if (direction > 0 ? QRPreview->atBottom() : QRPreview->atTop())
        turnPage(direction);
    else
        QRPreview->scrollView(direction);
}

bool TfrmVRPreview::editingText() const
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == edtPageNo || focus == cboZoom || focus == cboZoom->lineEdit());
}

void TfrmVRPreview::FormKeyDown(KeyEventArgs &args)
{
    const bool control = (args.shift & Qt::ControlModifier) != 0;
    switch (args.key) {
    case Qt::Key_F:
        if (!control)
            return;
        OpenFind();
        break;
    case Qt::Key_F3:
        FindStep((args.shift & Qt::ShiftModifier) ? -1 : 1);
        break;
    case Qt::Key_PageDown:
        pageKey(1);
        break;
    case Qt::Key_PageUp:
        pageKey(-1);
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (editingText() && !control)
            return; // the cursor in the box moves
        args.key == Qt::Key_Home ? btnFirstPageClick() : btnLastPageClick();
        break;
    default:
        return;
    }
    args.key = 0;
}

void TfrmVRPreview::btnExitClick()
{
    close();
}

void TfrmVRPreview::cboZoomClick()
{
    bool number = false;
    const int percent = cboZoom->currentText().trimmed().toInt(&number);
    SetZoom(number ? percent : 100);
}

void TfrmVRPreview::cboZoomExit()
{
    bool number = false;
    int percent = cboZoom->currentText().trimmed().toInt(&number);
    if (!number) {
        percent = 100;
    } else {
        // The list runs from the largest zoom down to the smallest.
        const int smallest = cboZoom->itemText(cboZoom->count() - 1).toInt();
        const int largest = cboZoom->itemText(0).toInt();
        percent = std::clamp(percent, smallest, largest);
    }
    SetZoom(percent);
}

bool TfrmVRPreview::cboZoomKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // A hidden switch: the export button can be hidden for a presentation.
    if (key == Qt::Key_F11 && (modifiers & Qt::ControlModifier)) {
        btnSaveBMP->setVisible(btnSaveBMP->isHidden());
        return true;
    }
    return false;
}

void TfrmVRPreview::edtPageNoExit()
{
    bool number = false;
    const int page = edtPageNo->text().trimmed().toInt(&number);
    GoToPage(number ? page : currentPage());
}

void TfrmVRPreview::QRPreviewPageAvailable()
{
    updateNavigation();
}

bool TfrmVRPreview::eventFilter(QObject *watched, QEvent *event)
{
    // Compared by address only: the filter also sees events while the
    // window is being built and torn down.
    const bool zoomBox = cboZoom && (watched == cboZoom || watched->parent() == cboZoom);
    const bool pageBox = watched == edtPageNo;
    if ((zoomBox || pageBox) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (zoomBox && cboZoomKeyDown(key->key(), key->modifiers()))
            return true;
        if (isEnter(key->key())) {
            // Enter applies the value and moves on, as leaving the box does.
            zoomBox ? cboZoomExit() : edtPageNoExit();
            focusNextChild();
            return true;
        }
    } else if ((watched == cboZoom || pageBox) && event->type() == QEvent::FocusOut) {
        pageBox ? edtPageNoExit() : cboZoomExit();
    }
    return TKVForm::eventFilter(watched, event);
}

bool TfrmVRPreview::startPrinting(QPrinter &printer, int first, int last)
{
    if (!m_report)
        return false;
    if (m_layout)
        m_layout->PrintCountMode = 1;
    raise();
    activateWindow();
    // The dialog's "print to file" writes a PDF: the same vector pages as on
    // paper, fonts embedded and texts selectable.
    try {
        printer.setPrinterName(m_report->printerInfo().printerName());
    } catch (const std::exception &) {
        // The report's printer is gone (or none is installed): the set-up
        // dialog starts from the default and still offers a PDF file.
    }
    printer.setDocName(m_report->reportTitle());
    // The set-up offers "pages from … to" over the pages to print.
    if (first > 0 && last >= first)
        printer.setFromTo(first, last);
    const bool accepted = Prompter::current()->choosePrinter(printer);
    if (accepted && m_layout)
        m_layout->NoteOutput(printer);
    // A report whose tag is set must not print (its layout said so); a
    // cancelled set-up prints nothing either.
    return accepted && m_report->tag() == 0 && QRPreview->pages();
}

void TfrmVRPreview::btnPrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!startPrinting(printer, 1, QRPreview->pageCount()))
        return;
    printRanges(printer, {printedPages(printer)});
}

void TfrmVRPreview::showError(const std::exception &error)
{
    Prompter::current()->messageBox(error.what(), caption().toStdString(), MessageType::Error, MessageButton::OK,
                                    MessageButton::OK);
}

std::pair<int, int> TfrmVRPreview::printedPages(const QPrinter &printer) const
{
    const int count = QRPreview->pageCount();
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        // Several ranges print as the span from the first to the last page.
        return {std::max(1, printer.fromPage()), printer.toPage() > 0 ? std::min(printer.toPage(), count) : count};
    case QPrinter::CurrentPage:
        return {currentPage(), currentPage()};
    default:
        return {1, count};
    }
}

void TfrmVRPreview::btnEmailClick()
{
    if (sendHandler)
        sendHandler(1, 2, QString());
}

void TfrmVRPreview::btnFaxClick()
{
    const QList<QAction *> servers = PopupmenuSendFax->actions();
    if (!servers.isEmpty())
        faxServerClick(servers.first()->text());
}

void TfrmVRPreview::faxServerClick(const QString &caption)
{
    if (sendHandler)
        sendHandler(2, 1, caption);
}

} // namespace kv
