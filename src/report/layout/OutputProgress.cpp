#include "report/layout/OutputProgress.h"

#include "base/KVForm.h"
#include "platform/Clock.h"
#include "platform/report/PageStore.h"
#include "report/layout/PreviewSlipIndex.h"

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {

QLabel *namedLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setMargin(1); // strokes beyond the font's ascent stay on the label
    return label;
}

// The language package of the first window up the chain that has one.
const TKVForm *languageForm(const QWidget *widget)
{
    for (const QObject *current = widget; current; current = current->parent()) {
        if (const auto *form = qobject_cast<const TKVForm *>(current))
            return form;
    }
    return nullptr;
}

QString text(const QWidget *widget, const char *key, const char *chinese)
{
    const TKVForm *form = languageForm(widget);
    return form ? QString::fromStdString(form->LangText("TfrmOutputProgress", key, chinese)) : QString::fromUtf8(chinese);
}

} // namespace

// ---------------------------------------------------------------- slips

OutputSlips::OutputSlips(PageStore *pages) : m_pages(pages), m_index(std::make_unique<PreviewSlipIndex>())
{
    m_index->setPages(pages);
}

OutputSlips::~OutputSlips() = default;

namespace {

// The last slip whose first page (or form) is at or before number, when it
// reaches number: slips are in the order of their pages, so a long run is
// searched, not walked, once for every page it prints.
template <typename First, typename Last>
QString slipAt(const std::vector<PreviewSlipIndex::Slip> &slips, int number, First first, Last last)
{
    const auto after = std::upper_bound(slips.begin(), slips.end(), number,
                                        [&](int wanted, const PreviewSlipIndex::Slip &slip) { return wanted < first(slip); });
    if (after == slips.begin() || last(*(after - 1)) < number)
        return {};
    return (after - 1)->key();
}

} // namespace

QString OutputSlips::ofPage(int page) const
{
    return slipAt(m_index->slips(), page, [](const PreviewSlipIndex::Slip &slip) { return slip.firstPage; },
                  [](const PreviewSlipIndex::Slip &slip) { return slip.lastPage; });
}

QString OutputSlips::ofForm(int form) const
{
    return slipAt(m_index->slips(), form, [](const PreviewSlipIndex::Slip &slip) { return slip.firstForm; },
                  [](const PreviewSlipIndex::Slip &slip) { return slip.lastForm; });
}

std::vector<int> OutputSlips::sheetStarts() const
{
    std::vector<int> starts;
    if (!m_pages)
        return starts;
    for (const PreviewSlipIndex::Slip &slip : m_index->slips()) {
        const int page = m_pages->pageOfForm(slip.firstForm);
        if (page > 0 && m_pages->pageOfForm(slip.firstForm - 1) != page)
            starts.push_back(page);
    }
    return starts;
}

// ---------------------------------------------------------------- panel

OutputProgressPanel::OutputProgressPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlProgress"));
    lblSlipCaption = namedLabel("lblSlipCaption", text(parent, "sSlip", "单据:"), this);
    lblSlip = namedLabel("lblSlip", QString(), this);
    lblTimeLeftCaption = namedLabel("lblTimeLeftCaption", text(parent, "sTimeLeft", "剩余时间:"), this);
    lblTimeLeft = namedLabel("lblTimeLeft", timeLeft(0, 0, 0), this);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(lblSlipCaption, 0, 0);
    grid->addWidget(lblSlip, 0, 1);
    grid->addWidget(lblTimeLeftCaption, 1, 0);
    grid->addWidget(lblTimeLeft, 1, 1);
    grid->setColumnStretch(1, 1);
    start();
}

void OutputProgressPanel::start()
{
    m_started = Clock::now();
    lblTimeLeft->setText(timeLeft(0, 0, 0));
}

void OutputProgressPanel::update(int done, int total, const QString &slip)
{
    lblSlip->setText(slip);
    lblTimeLeft->setText(timeLeft(m_started.msecsTo(Clock::now()), done, total));
}

QString OutputProgressPanel::timeLeft(qint64 elapsedMs, int done, int total)
{
    if (done <= 0 || total <= 0 || elapsedMs < 0)
        return QStringLiteral("--:--");
    const qint64 rest = done >= total ? 0 : (elapsedMs * (total - done) / done + 999) / 1000;
    const qint64 hours = rest / 3600;
    const QString minutesSeconds =
        QStringLiteral("%1:%2").arg(rest / 60 % 60, 2, 10, QLatin1Char('0')).arg(rest % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QStringLiteral("%1:").arg(hours) + minutesSeconds : minutesSeconds;
}

// ---------------------------------------------------------------- window

OutputProgressWindow::OutputProgressWindow(const QString &caption, QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmOutputProgress"));
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    // The clerk's clicks run while the pages go out: only this window may
    // take them, or a second print could start inside the first.
    setWindowModality(Qt::ApplicationModal);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    Label1 = namedLabel("Label1", text(owner, "sPagesDone", "已完成页数:"), this);
    lblState = namedLabel("lblState", QString(), this);
    pnlProgress = new OutputProgressPanel(this);
    btnCancel = new QPushButton(text(owner, "sCancel", "取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *state = new QHBoxLayout;
    state->addWidget(Label1);
    state->addWidget(lblState, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar1);
    layout->addLayout(state);
    layout->addWidget(pnlProgress);
    layout->addLayout(buttons);
    connect(btnCancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });

    adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void OutputProgressWindow::begin(int total)
{
    m_cancelRequested = false;
    ProgressBar1->setRange(0, std::max(1, total));
    ProgressBar1->setValue(0);
    lblState->setText(QString::asprintf("%d/%d", 0, total));
    pnlProgress->start();
    show();
    QApplication::processEvents();
}

bool OutputProgressWindow::pageDone(int done, int total, const QString &slip)
{
    ProgressBar1->setValue(std::min(done, ProgressBar1->maximum()));
    lblState->setText(QString::asprintf("%d/%d", done, total));
    pnlProgress->update(done, total, slip);
    QApplication::processEvents();
    return !m_cancelRequested;
}

} // namespace kv
