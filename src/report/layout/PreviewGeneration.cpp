// The preview of a run whose pages are still being generated. The window is
// on screen from the first moment and shows the first page as soon as it
// exists; the generation pumps the window's events as it goes, so paging,
// zoom, search and the slip index work while the rest is made. Printing,
// export and sending wait for the last page: a slip must not go out before
// its totals exist.

#include "report/layout/VRPreview.h"

#include "platform/report/PageStore.h"
#include "report/layout/PreviewPane.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

namespace kv {

namespace {

// The progress panel is redrawn at most this often: pages arrive far faster
// than anybody reads a number.
constexpr qint64 kRunPanelIntervalMs = 100;

} // namespace

void TfrmVRPreview::buildGenerationParts()
{
    btnStop = new QToolButton(ToolBar1);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setAutoRaise(true);
    btnStop->setFixedHeight(24);
    btnStop->setIconSize(QSize(16, 16));
    btnStop->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    btnStop->setToolTip(ownText("sStopRun", "停止产生"));
    btnStop->hide();
    // Beside the exit button, where the eye looks for a way out.
    auto *bar = static_cast<QHBoxLayout *>(ToolBar1->layout());
    bar->insertWidget(bar->indexOf(btnExit) + 1, btnStop);
    connect(btnStop, &QToolButton::clicked, this, &TfrmVRPreview::StopGeneration);

    m_runPanel = new QLabel(StatusBar);
    m_runPanel->setObjectName(QStringLiteral("StatusBarPanel2"));
    m_runPanel->hide();
    StatusBar->addPermanentWidget(m_runPanel);
}

void TfrmVRPreview::RunGeneration(const std::function<bool()> &generate)
{
    setGenerating(true);
    const bool generated = generate();
    setGenerating(false);
    // A run that stopped leaves pages that are not the run asked for; a
    // close asked for while it ran is done now.
    if (!generated || m_closeAfterGeneration) {
        close();
        return;
    }
    updateNavigation();
}

void TfrmVRPreview::StopGeneration()
{
    if (!m_generating)
        return;
    if (PageStore *pages = QRPreview->pages())
        pages->cancel();
    btnStop->setEnabled(false);
}

void TfrmVRPreview::setGenerating(bool on)
{
    m_generating = on;
    btnStop->setVisible(on);
    btnStop->setEnabled(on);
    if (on) {
        m_closeAfterGeneration = false;
        m_outputStates.clear();
        for (QWidget *output : std::initializer_list<QWidget *>{btnPrint, btnSaveBMP, btnEmail, btnFax}) {
            m_outputStates.emplace_back(output, output->isEnabled());
            output->setEnabled(false);
        }
        m_runPanelShownAt = 0;
        showGenerationProgress();
    } else {
        for (const auto &[output, enabled] : m_outputStates) {
            if (output)
                output->setEnabled(enabled);
        }
        m_outputStates.clear();
    }
    m_runPanel->setVisible(on);
}

void TfrmVRPreview::showGenerationProgress()
{
    if (!m_generating)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_runPanelShownAt != 0 && now - m_runPanelShownAt < kRunPanelIntervalMs)
        return;
    m_runPanelShownAt = now;
    const PageStore *pages = QRPreview->pages();
    const int made = pages ? pages->pageCount() : 0;
    const int expected = pages ? pages->expectedPageCount() : 0;
    m_runPanel->setText(expected > made
                            ? ownText("sGenerating", "正在产生第 %1 页，共 %2 页").arg(made + 1).arg(expected)
                            : ownText("sGeneratingPage", "正在产生第 %1 页").arg(made + 1));
}

int TfrmVRPreview::runPageCount() const
{
    const int count = QRPreview->pageCount();
    const PageStore *pages = QRPreview->pages();
    if (!m_generating || !pages)
        return count;
    return std::max(count, pages->expectedPageCount());
}

} // namespace kv
