// Page pictures of a run as erp-host --execute 11 writes them: the normal
// report query on a SQLite demo company through the in-process program
// server, page generation by the standard slip layout (the slip form behind
// every form), then every page written as JPG, GIF, BMP and raster PDF by
// the layout window's own conversion (ConvertPages, with its progress
// window), margins cut as the host asks. Prints pictures a second and bytes
// a picture for each kind, and the peak resident size.
//
// Each size runs in a child process of its own, so that the peak resident
// size (VmHWM) is that run's. Prints figures; never passes or fails.
// BENCH_PICTURE_KEEP names a folder that keeps the first pictures of each
// kind (to compare the pictures of two builds); BENCH_PICTURE_GENERATE_ONLY
// stops after the generation (the memory of the run alone).
//
//   bench_picture_export [PAGES ...]      default 1000

#include "BenchDemoRun.h"
#include "BenchSlipLayout.h"
#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "report/layout/VRBaseFmt.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace kv;

namespace {

constexpr int kKeptPictures = 5;

struct Kind {
    int type;
    const char *name;
};
constexpr Kind kKinds[] = {{1, "JPG"}, {2, "GIF"}, {0, "BMP"}, {3, "PDF"}};

// Writes every page as one kind of picture into folder; prints its figures
// and leaves only the pictures asked to be kept.
bool exportKind(TfrmVRBaseFmt &window, const Kind &kind, const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QElapsedTimer timer;
    timer.start();
    const bool converted = window.ConvertPages((folder + "/page").toStdString(), kind.type);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    qint64 bytes = 0;
    for (const QFileInfo &file : files)
        bytes += file.size();
    const int pictures = int(files.size());
    std::printf("  %s  %6d pictures  %6.2f s  %6.0f pictures/s  %8.1f KB/picture%s\n", kind.name, pictures, seconds,
                pictures / seconds, pictures ? bytes / 1024.0 / pictures : 0.0, converted ? "" : "  (failed)");
    std::fflush(stdout);
    const QString keep = qEnvironmentVariable("BENCH_PICTURE_KEEP");
    for (int index = 0; index < pictures; ++index) {
        if (!keep.isEmpty() && index < kKeptPictures)
            QFile::copy(files[index].filePath(), keep + "/" + files[index].fileName());
        QFile::remove(files[index].filePath());
    }
    return converted;
}

int measure(const QString &dataDir)
{
    const DispatchPtr server = benchdemo::connectProgramServer(dataDir);
    QElapsedTimer timer;
    timer.start();
    ClientDataSet data;
    benchdemo::openNormalQuery(data, server);
    const double peakAfterQuery = benchsupport::peakMb();
    benchlayout::SlipLayout layout(&data, benchsupport::slipForm());
    if (!layout.report().prepare())
        return 1;
    const double generated = timer.nsecsElapsed() / 1e9;
    const int pages = layout.report().pages()->pageCount();
    const PageStore &store = *layout.report().pages();
    std::printf("%7d lines %6d pages  query and generation %.2f s  peak before the pictures %.1f MB  "
                "(after the query %.1f MB; result table %.1f MB, page store %.1f MB, %.0f bytes a page)\n",
                data.RecordCount(), pages, generated, benchsupport::peakMb(), peakAfterQuery,
                data.Data().memoryUsage() / 1048576.0, store.memoryUsage() / 1048576.0,
                double(store.memoryUsage()) / std::max(1, pages));
    std::fflush(stdout);
    // BENCH_PICTURE_GENERATE_ONLY: the memory of the run alone, no pictures.
    if (qEnvironmentVariableIsSet("BENCH_PICTURE_GENERATE_ONLY"))
        return 0;

    // The layout window converts the pages of its report: it is lent the
    // bench's report for the run and gets its own back before it goes.
    auto *window = TKVForm::Create<TfrmVRBaseFmt>();
    Report *own = window->QuickRep1;
    window->QuickRep1 = &layout.report();
    window->PageCount = layout.report().pages()->formCount();
    window->KeepLeftMargin = false;
    window->KeepTopMargin = false;
    bool converted = true;
    for (const Kind &kind : kKinds)
        converted = exportKind(*window, kind, dataDir + "/pictures") && converted;
    window->QuickRep1 = own;
    window->Free();
    std::printf("  peak %.1f MB\n", benchsupport::peakMb());
    return converted ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 1)
        args << QStringLiteral("1000");
    return benchdemo::runSizes(args, "bench_picture_export",
                               "page pictures of a run: JPG, GIF, BMP and raster PDF, one file a page", measure);
}
