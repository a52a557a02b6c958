// The preview of a large run as the clerk meets it: the normal report query
// on a SQLite demo company through the in-process program server, then the
// preview window opened at once with the pages generated while it is on
// screen. Prints when the first page is painted (after the query, and from
// the start), how long the window went without handling its events while
// the rest was generated (what a click waits for at most), the generation
// time inside the preview against the same generation without a window, and
// the peak resident size.
//
// Each size runs in a child process of its own, so that the peak resident
// size (VmHWM) is that run's. Prints figures; never passes or fails.
//
//   bench_preview_run [PAGES ...]      default 1000 10000

#include "BenchSlipLayout.h"
#include "BenchDemoRun.h"
#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
#include "platform/ClientDataSet.h"
#include "platform/Dispatch.h"
#include "platform/report/PageStore.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/VRPreview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

using namespace kv;

namespace {

using benchsupport::peakMb;
using benchsupport::slipForm;

// Notes when the page area paints with a page on it.
class FirstPaint : public QObject {
public:
    FirstPaint(PreviewPane &pane, QElapsedTimer &clock) : m_pane(pane), m_clock(clock)
    {
        pane.viewport()->installEventFilter(this);
        for (QWidget *child : pane.viewport()->findChildren<QWidget *>())
            child->installEventFilter(this);
    }
    double seconds() const { return m_seconds; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_seconds < 0 && m_pane.pageCount() > 0)
            m_seconds = m_clock.nsecsElapsed() / 1e9;
        return false;
    }

private:
    PreviewPane &m_pane;
    QElapsedTimer &m_clock;
    double m_seconds = -1;
};

int measure(const QString &dataDir)
{
    const DispatchPtr server = benchdemo::connectProgramServer(dataDir);

    QElapsedTimer clock;
    clock.start();
    ClientDataSet data;
    benchdemo::openNormalQuery(data, server);
    const double queried = clock.nsecsElapsed() / 1e9;

    benchlayout::SlipLayout layout(&data, slipForm());
    QElapsedTimer plain;
    plain.start();
    if (!layout.report().prepare())
        return 1;
    const double plainSeconds = plain.nsecsElapsed() / 1e9;

    auto *preview = TKVForm::Create<TfrmVRPreview>(nullptr);
    PreviewRequest request;
    request.report = &layout.report();
    request.pages = layout.report().pages();
    preview->SetRequest(request);
    preview->resize(1280, 860);
    clock.restart();
    preview->show();
    FirstPaint firstPaint(*preview->QRPreview, clock);

    // A timer that should tick every 5 ms: its longest gap is the longest
    // the window left its events waiting.
    qint64 lastTick = clock.nsecsElapsed();
    qint64 longestGap = 0;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    // A loop of its own: quitting the application would close the window.
    QEventLoop loop;
    double generatedAt = 0;
    bool generated = false;
    QTimer::singleShot(0, preview, [&] {
        ticks.start();
        lastTick = clock.nsecsElapsed();
        preview->RunGeneration([&] {
            generated = layout.report().prepare();
            return generated;
        });
        // The stretch from the last tick to the end counts as well.
        longestGap = std::max(longestGap, clock.nsecsElapsed() - lastTick);
        generatedAt = clock.nsecsElapsed() / 1e9;
        ticks.stop();
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
    });
    loop.exec();
    const int pages = layout.report().pages()->pageCount();
    std::printf("%7d lines %6d pages  query %5.2f s  first page painted %.3f s after the window opened (%.2f s "
                "from the start)  generation in the preview %.2f s (%.2f s without a window)  longest wait for events "
                "%.0f ms  peak %.1f MB%s\n",
                data.RecordCount(), pages, queried, firstPaint.seconds(), queried + firstPaint.seconds(),
                generatedAt, plainSeconds, longestGap / 1e6, peakMb(), generated ? "" : "  (not finished)");
    std::fflush(stdout);
    preview->Free();
    return generated ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--make") {
        benchdemo::makeDemo(args[2], args[3].toInt());
        return 0;
    }
    return benchdemo::runSizes(args, "bench_preview_run",
                               "preview of a large run: query, window at once, pages generated while it is on screen",
                               measure);
}
