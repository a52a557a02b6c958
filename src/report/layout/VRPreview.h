#pragma once
// TfrmVRPreview: the preview of the pages a layout window generated. The
// user pages through them, zooms, prints them (the printer set-up dialog
// also offers printing into a PDF file: vector pages with embedded fonts
// and selectable text), sends them by e-mail or fax, and exports the
// current page as a BMP, JPG, GIF or PDF file (page pictures), or the run,
// the slip shown or the slips chosen as vector PDF files ("PDF文字档":
// selectable text, a bookmark per slip).
//
// The layout window's ShowPreview reaches it through the VRPreviewer seam
// (PreviewWindowPreviewer installs it); the window is modal, owned by the
// layout window, and frees itself when it closes. Pages may still arrive
// while it is open: the navigation follows the store's page-available
// notification.
//
// Paging as in a document viewer: PageDown scrolls a page taller than the
// view one view further and, at its bottom, shows the next page from its
// top; PageUp goes back the same way and shows the previous page from its
// bottom. Home and Ctrl+Home show the first page, End and Ctrl+End the last
// one, as the tool buttons do; the mouse wheel turns the page at the page's
// edge. In the zoom and page boxes Home and End stay with the text.
//
// For a big run: the slip index beside the pages (one row per slip, click
// to show its first page; page thumbnails on a second tab) is shown and
// hidden by btnSlipIndex. Ctrl+F opens the search bar; F3 and Shift+F3 move
// to the next and previous hit, each hit marked on its page. The print
// button's menu prints the slip shown or the slips chosen in the index, and
// the export menu writes the slip shown; the print counts of exactly those
// slips are raised.

#include "base/KVForm.h"
#include "platform/report/Report.h"
#include "report/layout/PreviewSlipIndex.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRPreviewer.h"

#include <QPointer>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class QComboBox;
class QPrinter;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QStatusBar;
class QToolButton;
class QSplitter;

namespace kv {

class PageStore;
class PreviewFindBar;
class PreviewPane;
class PreviewSearch;
class PreviewSidePanel;
class Report;
class TfrmVRBaseFmt;

class TfrmVRPreview : public TKVForm {
    Q_OBJECT

public:
    // Picture types of the export.
    enum PictureType { ptBMP = 0, ptJPG = 1, ptGIF = 2, ptPDF = 3 };

    // Writes picture number n (a form: on half pages two share a preview
    // page) with a picture type to baseName plus the type's extension and
    // returns the file written. Throws on failure.
    using PictureWriter = std::function<QString(int picture, int type, const QString &baseName)>;
    // Sends the slips: kind 1 e-mail, 2 fax; the picture type; the fax
    // server's menu caption (empty for e-mail).
    using SendHandler = std::function<void(int kind, int pictureType, const QString &server)>;
    // Opens an exported file with the desktop's viewer.
    using FileOpener = std::function<void(const QString &fileName)>;

    explicit TfrmVRPreview(QWidget *parent = nullptr);
    ~TfrmVRPreview() override;

    // --- components (object names are the member names)
    QWidget *ToolBar1 = nullptr;
    PreviewPane *QRPreview = nullptr;
    QToolButton *btnZoomToPage = nullptr;
    QToolButton *btnZoomToWidth = nullptr;
    QLabel *lblScale = nullptr;
    QComboBox *cboZoom = nullptr;
    QToolButton *btnPrint = nullptr;
    QToolButton *btnFirstPage = nullptr;
    QToolButton *btnPreviousPage = nullptr;
    QLabel *lblPageNo = nullptr;
    QLineEdit *edtPageNo = nullptr;
    QToolButton *btnNextPage = nullptr;
    QToolButton *btnLastPage = nullptr;
    QToolButton *btnSaveBMP = nullptr;
    QToolButton *btnExit = nullptr;
    QToolButton *btnEmail = nullptr;
    QToolButton *btnFax = nullptr;
    QMenu *pmuSaveBMP = nullptr;
    QAction *pmBMP = nullptr;
    QAction *pmGIF = nullptr;
    QAction *pmJPG = nullptr;
    QAction *pmPDF = nullptr;
    QMenu *PopupmenuSendFax = nullptr;
    QStatusBar *StatusBar = nullptr;
    QToolButton *btnSlipIndex = nullptr;
    QToolButton *btnFind = nullptr;
    QMenu *pmuPrint = nullptr;
    QAction *pmPrintSlip = nullptr;
    QAction *pmPrintChosen = nullptr;
    // Checked: printing on both sides starts each slip on a fresh sheet.
    QAction *pmSlipSheet = nullptr;
    QAction *pmSlipPDF = nullptr;
    // Vector PDF: the whole run in one file, the whole run one file per
    // slip, the slip shown, the slips chosen in the index (one file each).
    QAction *pmTextPDF = nullptr;
    QAction *pmTextPDFPerSlip = nullptr;
    QAction *pmSlipTextPDF = nullptr;
    QAction *pmChosenTextPDF = nullptr;
    QSplitter *splPreview = nullptr;
    PreviewSidePanel *SidePanel = nullptr;
    PreviewFindBar *FindBar = nullptr;
    PreviewSearch *search() const { return m_search; }
    QStringList moPaperSize;
    QStringList moUnits;

    // Binds the window to what a layout window generated (ShowPreview).
    void SetRequest(const PreviewRequest &request);
    Report *report() const { return m_report; }
    TfrmVRBaseFmt *layout() const { return m_layout; }

    void SetZoom(int percent);
    void GoToPage(int page);
    int currentPage() const;
    int zoom() const;
    // Text of a status panel (0 page, 1 paper).
    QString panelText(int panel) const;

    // Exports the current page with a picture type (the save menu's items).
    void ExportPage(int pictureType);
    // Exports the pages of the slip shown (every form of it) as one
    // picture file per form.
    void ExportSlip(int pictureType);

    // What the vector PDF export writes (the menu items above).
    enum class TextPdfScope { Run, RunPerSlip, SlipShown, ChosenSlips };
    // Writes it into the user's data folder ("<program>_<time>.pdf", or
    // "<program>_<time>-<type>-<number>.pdf" per slip) with progress and
    // cancel, leaves a ledger row per slip, asks whether to open the files
    // and returns them; none when cancelled, failed (told) or nothing to do.
    QStringList ExportTextPdf(TextPdfScope scope);

    // Pages first..last of each range, in order.
    using PageRanges = std::vector<std::pair<int, int>>;
    // The pages of the slip shown, and of the slips chosen in the index
    // (adjacent slips joined into one range).
    PageRanges currentSlipPages() const;
    PageRanges chosenSlipPages() const;
    // Prints the ranges after the printer set-up, as the print button does,
    // and raises the print counts of the slips on them.
    void PrintPages(const PageRanges &ranges);

    // --- a run still being generated
    // Runs the generation of the pages shown (PreviewRequest::generate)
    // with the window on screen: pages appear as they are made, paging,
    // zoom, search and the index work meanwhile, output waits for the last
    // page. Stopping (btnStop, or closing the window) ends the run; a run
    // that did not finish closes the window.
    void RunGeneration(const std::function<bool()> &generate);
    bool isGenerating() const { return m_generating; }
    // Stops the generation going on (btnStop).
    void StopGeneration();
    QToolButton *btnStop = nullptr;

    // Search: opens the bar (Ctrl+F), moves to the next (+1) or previous
    // (-1) hit (F3, Shift+F3).
    void OpenFind();
    void FindStep(int direction);

    // Replaceable parts; the defaults write through the layout window's
    // PagePicture, send nothing (no sender is set) and open with the desktop.
    PictureWriter pictureWriter;
    SendHandler sendHandler;
    FileOpener fileOpener;

protected:
    void FormCreate() override;
    void FormClose(TCloseAction &action) override;
    void FormDestroy() override;
    void FormKeyDown(KeyEventArgs &args) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildComponents();
    void buildToolBar();
    QToolButton *addButton(const char *name, const char *hint, int image);
    void buildSaveMenu();
    void buildStatusBar();
    void connectHandlers();
    void buildBigRunParts();
    void buildGenerationParts();
    void setGenerating(bool on);
    void showGenerationProgress();
    // Pages in the run: those generated, or those expected while it runs.
    int runPageCount() const;
    void applyOwnTexts();
    // A text of the window's own, through the language lookup.
    QString ownText(const char *key, const char *chinese) const;
    void showHit();
    void markHits();
    bool startPrinting(QPrinter &printer, int first, int last);
    void printRanges(QPrinter &printer, const PageRanges &ranges);
    void showError(const std::exception &error);
    void bindPages(PageStore *pages);

    // Handlers
    void btnZoomToPageClick();
    void btnZoomToWidthClick();
    void btnFirstPageClick();
    void btnPreviousPageClick();
    void btnNextPageClick();
    void btnLastPageClick();
    void btnExitClick();
    void cboZoomClick();
    void cboZoomExit();
    bool cboZoomKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void edtPageNoExit();
    void QRPreviewPageAvailable();
    void btnPrintClick();
    // The store's pages the printer set-up asks for (its page range).
    std::pair<int, int> printedPages(const QPrinter &printer) const;
    void btnEmailClick();
    void btnFaxClick();
    void faxServerClick(const QString &caption);

    // One page back (-1) or on (+1); the previous page shows its bottom.
    void turnPage(int direction);
    // PageUp / PageDown: scroll within the page first, then turn it.
    void pageKey(int direction);
    bool editingText() const;
    void updateNavigation();
    void selectZoomEntry(int zoom);
    void showPaperInformation();
    QString exportFolder() const;
    // The export folder, made when missing; empty (told) when it cannot be.
    QString readyExportFolder();
    QString exportBaseName(const QString &folder) const;
    std::vector<PreviewSlipIndex::Slip> textPdfSlips(TextPdfScope scope) const;
    void recordPictures(const QStringList &files, const QString &baseName, int firstPicture);
    void recordFailedPrint(const QPrinter &printer, const PageRanges &ranges, const std::exception &error);
    QStringList writePictures(const QString &baseName, int pictureType, int firstPage, int lastPage);
    void exportPages(int pictureType, int firstPage, int lastPage);
    void askToOpen(const QString &baseName, const QStringList &files);
    QString defaultWritePicture(int picture, int type, const QString &baseName) const;

    QPointer<TfrmVRBaseFmt> m_layout;
    QPointer<Report> m_report;
    QLabel *m_pagePanel = nullptr;
    QLabel *m_paperPanel = nullptr;
    QString m_paperLabel;
    PreviewSearch *m_search = nullptr;
    // While pages are generated: the output controls' enabled states to
    // give back, the progress panel, and a close asked for meanwhile.
    bool m_generating = false;
    bool m_closeAfterGeneration = false;
    std::vector<std::pair<QPointer<QWidget>, bool>> m_outputStates;
    QLabel *m_runPanel = nullptr;
    qint64 m_runPanelShownAt = 0;
};

} // namespace kv
