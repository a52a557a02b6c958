// The preview window's parts for a big run: the slip index and thumbnails
// beside the pages, the search bar with its hits, and printing the slip
// shown or the slips chosen in the index; a print that fails leaves a failed
// ledger row for each of its slips.

#include "report/layout/VRPreview.h"

#include "platform/report/PageStore.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportUnits.h"
#include "report/layout/OutputLedger.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/PreviewFindBar.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/PreviewSearch.h"
#include "report/layout/PreviewSidePanel.h"
#include "report/layout/PreviewSlipIndex.h"
#include "report/layout/VRBaseFmt.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

namespace kv {

void TfrmVRPreview::buildBigRunParts()
{
    m_search = new PreviewSearch(this);
    FindBar = new PreviewFindBar(this);
    SidePanel = new PreviewSidePanel(this);
    SidePanel->hide();
    splPreview = new QSplitter(Qt::Horizontal, this);
    splPreview->setObjectName(QStringLiteral("splPreview"));
    splPreview->setChildrenCollapsible(false);
    splPreview->addWidget(SidePanel);
    splPreview->addWidget(QRPreview);
    splPreview->setStretchFactor(1, 1);
    splPreview->setSizes({320, 900});

    connect(btnSlipIndex, &QToolButton::toggled, this, [this](bool on) {
        SidePanel->setVisible(on);
        if (!on)
            return;
        // The index opens wide enough for its columns; the pages keep the rest.
        const int total = std::max(splPreview->width(), 2 * SidePanel->preferredWidth());
        const int side = std::min(SidePanel->preferredWidth(), total / 2);
        splPreview->setSizes({side, total - side});
    });
    connect(btnFind, &QToolButton::clicked, this, &TfrmVRPreview::OpenFind);
    connect(SidePanel, &PreviewSidePanel::pageChosen, this, &TfrmVRPreview::GoToPage);
    connect(FindBar, &PreviewFindBar::searchChanged, this, [this](const QString &text) {
        // The search goes on from the page being read.
        m_search->find(text, currentPage());
    });
    connect(FindBar, &PreviewFindBar::stepRequested, this, &TfrmVRPreview::FindStep);
    connect(FindBar, &PreviewFindBar::closed, this, [this] {
        m_search->find(QString());
        QRPreview->setFocus();
    });
    connect(m_search, &PreviewSearch::currentChanged, this, &TfrmVRPreview::showHit);
    connect(m_search, &PreviewSearch::hitsChanged, this, [this] {
        markHits();
        FindBar->showCount(m_search->current(), m_search->hitCount());
    });
}

QString TfrmVRPreview::ownText(const char *key, const char *chinese) const
{
    return QString::fromStdString(LangText("TfrmVRPreview", key, chinese));
}

void TfrmVRPreview::applyOwnTexts()
{
    const auto text = [this](const char *key, const char *chinese) { return ownText(key, chinese); };
    btnSlipIndex->setToolTip(text("sSlipIndex", "单据索引"));
    btnFind->setToolTip(text("sFind", "查找"));
    pmPrintSlip->setText(text("sPrintSlip", "打印本单"));
    pmPrintChosen->setText(text("sPrintChosen", "打印所选单据"));
    pmSlipSheet->setText(text("sSlipSheet", "每张单据从新的一张纸开始"));
    pmSlipPDF->setText(text("sSlipPDF", "本单转出成 .PDF档"));
    pmTextPDF->setText(text("sTextPDF", "转出成 PDF文字档"));
    pmTextPDFPerSlip->setText(text("sTextPDFPerSlip", "每张单据转出成 PDF文字档"));
    pmSlipTextPDF->setText(text("sSlipTextPDF", "本单转出成 PDF文字档"));
    pmChosenTextPDF->setText(text("sChosenTextPDF", "所选单据转出成 PDF文字档"));
    SidePanel->setCaptions({text("sSlip", "单据"), text("sSlipDate", "日期"), text("sSlipParty", "部门/供应商"),
                            text("sSlipPages", "页次")},
                           text("sSlipIndex", "单据索引"), text("sThumbnails", "缩略图"));
    FindBar->lblFind->setText(text("sFind", "查找"));
    FindBar->btnFindNext->setText(text("sFindNext", "下一个"));
    FindBar->btnFindNext->setToolTip(FindBar->btnFindNext->text() + QStringLiteral(" (F3)"));
    FindBar->btnFindPrevious->setText(text("sFindPrevious", "上一个"));
    FindBar->btnFindPrevious->setToolTip(FindBar->btnFindPrevious->text() + QStringLiteral(" (Shift+F3)"));
    FindBar->setNotFoundText(text("sNotFound", "找不到"));
}

void TfrmVRPreview::OpenFind()
{
    const bool reopened = FindBar->isHidden();
    FindBar->open();
    // The bar keeps the last text: reopened, it searches it again from the
    // page being read.
    if (reopened && !FindBar->edtFind->text().trimmed().isEmpty())
        m_search->find(FindBar->edtFind->text(), currentPage());
}

void TfrmVRPreview::FindStep(int direction)
{
    if (FindBar->isHidden() || m_search->query().trimmed().isEmpty()) {
        OpenFind(); // F3 with nothing to look for asks for the text first
        return;
    }
    m_search->step(direction);
}

void TfrmVRPreview::showHit()
{
    FindBar->showCount(m_search->current(), m_search->hitCount());
    const PreviewSearch::Hit *hit = m_search->currentHit();
    if (!hit) {
        markHits();
        return;
    }
    if (hit->page != currentPage())
        GoToPage(hit->page);
    else
        markHits();
    QRPreview->ensureHighlightVisible();
}

void TfrmVRPreview::markHits()
{
    const int page = currentPage();
    std::vector<QRectF> rects;
    int current = -1;
    const PreviewSearch::Hit *hit = m_search->currentHit();
    for (int i = 0; i < m_search->hitCount(); ++i) {
        const PreviewSearch::Hit &each = m_search->hits()[std::size_t(i)];
        if (each.page != page)
            continue;
        if (&each == hit)
            current = int(rects.size());
        rects.push_back(each.rect);
    }
    QRPreview->setHighlights(rects, current);
}

TfrmVRPreview::PageRanges TfrmVRPreview::currentSlipPages() const
{
    const int page = currentPage();
    if (page < 1)
        return {};
    const int slip = SidePanel->index()->slipOfPage(page);
    if (slip < 0)
        return {{page, page}};
    const PreviewSlipIndex::Slip &found = SidePanel->index()->slips()[std::size_t(slip)];
    return {{found.firstPage, found.lastPage}};
}

TfrmVRPreview::PageRanges TfrmVRPreview::chosenSlipPages() const
{
    PageRanges ranges;
    const std::vector<PreviewSlipIndex::Slip> &slips = SidePanel->index()->slips();
    for (int row : SidePanel->chosenSlips()) {
        const PreviewSlipIndex::Slip &slip = slips[std::size_t(row)];
        // Slips that meet (or share a half-page sheet) print as one run.
        if (!ranges.empty() && slip.firstPage <= ranges.back().second + 1)
            ranges.back().second = std::max(ranges.back().second, slip.lastPage);
        else
            ranges.emplace_back(slip.firstPage, slip.lastPage);
    }
    return ranges;
}

void TfrmVRPreview::PrintPages(const PageRanges &ranges)
{
    if (ranges.empty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!startPrinting(printer, ranges.front().first, ranges.back().second))
        return;
    printRanges(printer, ranges);
}

void TfrmVRPreview::printRanges(QPrinter &printer, const PageRanges &ranges)
{
    PageStore *pages = QRPreview->pages();
    PageStore::PrintOutcome outcome;
    try {
        const OutputSlips slips(pages);
        int total = 0;
        for (const auto &[first, last] : ranges)
            total += std::max(0, std::min(last, pages->pageCount()) - std::max(1, first) + 1);
        OutputProgressWindow progress(QString::fromStdString(LangText("TfrmVRPreview", "sPrinting", "打印中")), this);
        progress.begin(total);
        PageStore::PrintJob job;
        // The slip in progress: the page after the ones done, through the ranges.
        job.progress = [&](int done, int all) {
            int page = 0;
            for (int left = done; const auto &[first, last] : ranges) {
                if (left < last - first + 1) {
                    page = first + left;
                    break;
                }
                left -= last - first + 1;
            }
            return progress.pageDone(done, all, slips.ofPage(page > 0 ? page : ranges.back().second));
        };
        if (pmSlipSheet->isChecked())
            job.slipStarts = slips.sheetStarts();
        // Several ranges are one print job (one file when printing into a PDF).
        outcome = pages->print(printer, ranges, job);
    } catch (const std::exception &error) {
        recordFailedPrint(printer, ranges, error);
        showError(error);
        return;
    }
    if (!m_layout)
        return;
    // Only the slips whose pages came out count as printed.
    try {
        m_layout->CountPrintedRanges(outcome.printed, outcome.stopped);
    } catch (const std::exception &error) {
        showError(error);
    }
}

void TfrmVRPreview::recordFailedPrint(const QPrinter &printer, const PageRanges &ranges, const std::exception &error)
{
    if (!m_layout || !QRPreview->pages())
        return;
    // The slips of the job did not come out: each gets a failed row, with
    // where the job was to go and why it failed.
    const bool file = !printer.outputFileName().isEmpty();
    const output_ledger::Output output{file ? output_ledger::kPdfFile : output_ledger::kPrinter,
                                       (file ? printer.outputFileName() : printer.printerName()).toStdString(), false,
                                       error.what()};
    for (const auto &[first, last] : ranges) {
        const auto [firstForm, lastForm] = output_ledger::formsOfPages(*QRPreview->pages(), first, last);
        output_ledger::record(*m_layout, output, firstForm, lastForm);
    }
}

} // namespace kv
