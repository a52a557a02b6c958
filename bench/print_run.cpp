// Printing a run of slips to PDF end to end, as the headless print does:
// the normal report query on a SQLite demo company through the in-process
// program server, page generation by a standard slip layout (header, lines,
// footer and sign-off, page numbers per slip, the slip form picture behind
// every form), and the PDF written by the page store. Beside it, as a floor,
// the same page texts painted straight onto a QPdfWriter (no form, no
// lines) in the same run.
//
// Each size runs in a child process of its own, so that the peak resident
// size (VmHWM) is that run's. Prints figures; never passes or fails.
//
//   bench_print_run [PAGES ...]      default 1000 10000

#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
#include "BenchSlipLayout.h"
#include "BenchDemoRun.h"
#include "platform/ClientDataSet.h"
#include "platform/Dispatch.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/ReportUnits.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"
#include "platform/report/TQRShape.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

using namespace kv;

namespace {

using benchsupport::peakMb;
using benchsupport::slipForm;

using benchlayout::SlipLayout;

// The floor: every page's texts painted at their places on a QPdfWriter, in
// the fields' font.
double paintTextsOnly(const PageStore &pages, const QString &fileName)
{
    QElapsedTimer timer;
    timer.start();
    QPdfWriter writer(fileName);
    writer.setResolution(1200);
    const QPageSize paper(QSizeF(pages.pageSize().width() / 10.0, pages.pageSize().height() / 10.0),
                          QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    painter.scale(1200 / report_units::kTenthsPerInch / PageStore::kTextScale,
                  1200 / report_units::kTenthsPerInch / PageStore::kTextScale);
    painter.setFont(report_units::pageFont(benchlayout::slipFieldFont()));
    for (int page = 1; page <= pages.pageCount(); ++page) {
        if (page > 1)
            writer.newPage();
        for (const PageText &text : pages.texts(page)) {
            const QRectF rect(text.rect.x() * PageStore::kTextScale, text.rect.y() * PageStore::kTextScale,
                              text.rect.width() * PageStore::kTextScale, text.rect.height() * PageStore::kTextScale);
            painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text.text);
        }
    }
    painter.end();
    return timer.nsecsElapsed() / 1e9;
}

// The pages as the PDF writer draws them with Qt's engine, without the
// form: what the writer spends beyond this goes to the form and the splice.
double paintPagesWithoutForm(const PageStore &pages, const QString &fileName)
{
    QElapsedTimer timer;
    timer.start();
    QPdfWriter writer(fileName);
    writer.setResolution(1200);
    const QPageSize paper(QSizeF(pages.pageSize().width() / 10.0, pages.pageSize().height() / 10.0),
                          QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    painter.scale(1200 / report_units::kTenthsPerInch, 1200 / report_units::kTenthsPerInch);
    for (int page = 1; page <= pages.pageCount(); ++page) {
        if (page > 1)
            writer.newPage();
        pages.renderWithoutPictures(page, painter);
    }
    painter.end();
    return timer.nsecsElapsed() / 1e9;
}

// The pages through QPrinter into a PDF file: the printer path, and how PDF
// printing went before the form was shared (form redrawn on every page).
double printThroughQPrinter(const PageStore &pages, const QString &fileName)
{
    QElapsedTimer timer;
    timer.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    pages.print(printer);
    return timer.nsecsElapsed() / 1e9;
}

// One run: query, generation and PDF; prints one line of figures.
int measure(const QString &dataDir)
{
    const DispatchPtr server = benchdemo::connectProgramServer(dataDir);

    QElapsedTimer timer;
    timer.start();
    ClientDataSet data;
    benchdemo::openNormalQuery(data, server);
    const double queried = timer.nsecsElapsed() / 1e9;

    SlipLayout layout(&data, slipForm());
    double firstPage = 0;
    QObject::connect(layout.report().pages(), &PageStore::pageAvailable, [&](int page) {
        if (page == 1)
            firstPage = timer.nsecsElapsed() / 1e9;
    });
    if (!layout.report().prepare())
        return 1;
    const double generated = timer.nsecsElapsed() / 1e9;
    const double peakBeforePdf = peakMb();
    const QString pdf = dataDir + "/run.pdf";
    layout.report().pages()->printToPdf(pdf);
    const double total = timer.nsecsElapsed() / 1e9;
    const double peak = peakMb(); // the run's own, before the comparisons below
    const PageStore &pages = *layout.report().pages();
    const double floor = paintTextsOnly(pages, dataDir + "/floor.pdf");
    const double qtPages = paintPagesWithoutForm(pages, dataDir + "/qt-pages.pdf");
    // The printer path redraws the form on every page: too slow to wait for on large runs.
    if (pages.pageCount() <= 2000) {
        const QString printed = dataDir + "/printer.pdf";
        const double seconds = printThroughQPrinter(pages, printed);
        std::printf("  printer path (QPrinter into PDF, the form drawn on every page): %.2f s, %.0f pages/s, "
                    "%.1f KB/page\n",
                    seconds, pages.pageCount() / seconds, QFileInfo(printed).size() / 1024.0 / pages.pageCount());
    }
    const double bytes = double(QFileInfo(pdf).size());
    // BENCH_PRINT_KEEP names a folder that keeps the printed file and the floor's for a look.
    if (const QString keep = qEnvironmentVariable("BENCH_PRINT_KEEP"); !keep.isEmpty()) {
        QFile::copy(pdf, keep + "/print_run-" + QString::number(pages.pageCount()) + ".pdf");
        QFile::copy(dataDir + "/floor.pdf", keep + "/floor-" + QString::number(pages.pageCount()) + ".pdf");
    }
    const double pdfSeconds = total - generated;
    std::printf("%7d lines %6d pages  query %5.2f s  generation %5.2f s  pdf %6.2f s  total %6.2f s  "
                "%6.0f pages/s  first page %.2f s  peak %6.1f MB  %6.1f KB/page  floor %6.2f s  pdf/floor %.2f  "
                "(Qt engine %.2f s, form and splice %.2f s; peak before the PDF %.1f MB)\n",
                data.RecordCount(), pages.pageCount(), queried, generated - queried, pdfSeconds, total,
                pages.pageCount() / total, firstPage, peak, bytes / pages.pageCount() / 1024.0, floor,
                pdfSeconds / floor, qtPages, pdfSeconds - qtPages, peakBeforePdf);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    return benchdemo::runSizes(args, "bench_print_run",
                               "print to PDF end to end: query, page generation, PDF (slip form behind every form)",
                               measure);
}
