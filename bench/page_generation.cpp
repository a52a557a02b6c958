// Speed and peak memory of page generation: a standard slip layout (header
// with the slip's data, numbered lines, attached footer with totals and the
// sign-off band, page numbers per slip from a pre-pass, a page picture
// behind every form) over an in-memory result table of 10,000 and 100,000
// lines, 20 lines a slip.
//
// Each size runs in a child process of its own, so that the peak resident
// size (VmHWM) is that run's. Prints figures; never passes or fails.
//
//   bench_page_generation [LINES ...]      default 10000 100000

#include "BenchSlipLayout.h"
#include "BenchSupport.h"
#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"
#include "platform/report/TQRShape.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

using namespace kv;

namespace {

using benchsupport::peakMb;

constexpr int kLinesPerSlip = 20;

ResultTable slipLines(int lines)
{
    ResultTable::Builder builder;
    for (const char *name : {"TC001", "TC002", "TC014", "CMSME002", "TC007", "TE003", "TE004", "TE017", "TE018",
                             "TE006", "TE008", "TE010"})
        builder.addColumn(name, FieldType::Text);
    builder.addColumn("TE005", FieldType::Float);
    for (int line = 0; line < lines; ++line) {
        const int slip = line / kLinesPerSlip;
        const int item = (line * 7919) % 3000;
        builder.setText(0, "5401");
        builder.setText(1, std::to_string(20240000 + slip));
        builder.setText(2, "202403" + std::to_string(10 + slip % 20));
        builder.setText(3, "生产一部");
        builder.setText(4, "领料备注 " + std::to_string(slip % 50));
        builder.setText(5, std::to_string(1000 + line % kLinesPerSlip + 1).substr(1));
        builder.setText(6, "MAT-" + std::to_string(100000 + item));
        builder.setText(7, "材料品名 " + std::to_string(item));
        builder.setText(8, "规格 " + std::to_string(item % 40) + "x" + std::to_string(item % 17));
        builder.setText(9, "PCS");
        builder.setText(10, "W0" + std::to_string(slip % 9));
        builder.setText(11, "LOT" + std::to_string(line));
        builder.setNumber(12, 1.5 + line % 100);
        builder.endRow();
    }
    return builder.finish();
}

QByteArray slipForm()
{
    return "<svg xmlns='http://www.w3.org/2000/svg' width='215.9mm' height='279.4mm' viewBox='0 0 2159 2794'>"
           "<rect x='100' y='100' width='1959' height='2200' fill='none' stroke='#000' stroke-width='4'/>"
           "<line x1='100' y1='620' x2='2059' y2='620' stroke='#000' stroke-width='3'/>"
           "<text x='1080' y='180' font-size='60' text-anchor='middle'>领料单</text></svg>";
}

using benchlayout::SlipLayout;

int measure(int lines)
{
    ClientDataSet data;
    data.setObjectName("ClientDataSet1");
    data.setData(slipLines(lines));
    SlipLayout layout(&data, slipForm());
    QElapsedTimer timer;
    timer.start();
    if (!layout.report().prepare())
        return 1;
    const double seconds = timer.nsecsElapsed() / 1e9;
    const PageStore &pages = *layout.report().pages();
    std::printf("%8d lines %7d pages %8.2f s %9.0f pages/s   peak %7.1f MB   page store %6.1f MB\n", lines,
                pages.pageCount(), seconds, pages.pageCount() / seconds, peakMb(),
                pages.memoryUsage() / 1048576.0);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 3 && args[1] == "--measure")
            return measure(args[2].toInt());
        std::vector<int> sizes;
        for (int i = 1; i < args.size(); ++i)
            sizes.push_back(args[i].toInt());
        if (sizes.empty())
            sizes = {10000, 100000};
        std::cout << "page generation, standard slip layout (" << kLinesPerSlip << " lines a slip, full pages)"
                  << std::endl;
        for (int lines : sizes) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(args[0], {"--measure", QString::number(lines)});
            if (!child.waitForFinished(-1) || child.exitCode() != 0)
                std::cerr << "bench_page_generation: the run of " << lines << " lines failed" << std::endl;
        }
        return 0;
    } catch (const std::exception &error) {
        std::cerr << "bench_page_generation: " << error.what() << std::endl;
        return 1;
    }
}
