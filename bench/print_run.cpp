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

#include "../tests/appserver/objects/ProgramServerReportSql.h"

#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
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

const char *const kCompany = "BENCH";

double peakMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

std::string normalQuery()
{
    std::string sql = reportsql::reportSql({}, "");
    const std::string bare = "TC004=MB001";
    sql.replace(sql.find(bare), bare.size(), "TC004=CMSMB.MB001");
    return sql;
}

QByteArray slipForm()
{
    QFile file(QStringLiteral(QIPR07_SOURCE_DIR "/src/qipr07/pictures/slip.svg"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the slip form picture");
    return file.readAll();
}

template <typename T>
T *field(TQRBand *band, const char *name, int left, int top, int width, int height = 14)
{
    auto *item = new T(band);
    item->setObjectName(name);
    item->setLeft(left);
    item->setTop(top);
    item->setWidth(width);
    item->setHeight(height);
    return item;
}

// The slip layout with the page rules of the standard slip window.
class SlipLayout {
public:
    SlipLayout(ClientDataSet *data, const QByteArray &form) : m_data(data)
    {
        m_report = new Report(&m_window);
        m_report->setObjectName("QuickRep1");
        m_report->setDataSet(data);
        m_report->setPageStyle(Report::qrFullPage);
        m_report->setPagePictureData(form);
        m_header = new TQRGroup(m_report);
        m_header->setObjectName("QRGroup");
        m_header->setExpression("ClientDataSet1.TC001+ClientDataSet1.TC002");
        m_header->setHeight(195);
        m_detail = new TQRBand(m_report);
        m_detail->setObjectName("QRDetailBand");
        m_detail->setHeight(63);
        m_footer = new TQRBand(m_report, TQRBand::rbGroupFooter);
        m_footer->setObjectName("QRGroupFooter");
        m_footer->setHeight(380);
        m_header->setFooterBand(m_footer);
        auto *signOff = new TQRChildBand(m_report);
        signOff->setObjectName("GroupFooterChildBand");
        signOff->setParentBand(m_footer);
        signOff->setHeight(225);
        m_report->setPageStartBand(m_header);
        m_report->setPageDetailBand(m_detail);
        m_report->setPageAttachDetailBand(m_footer);
        m_report->setPageEndBand(signOff);

        m_pageNo = field<TQRLabel>(m_header, "lblPageNo", 600, 67, 39);
        m_totalPage = field<TQRLabel>(m_header, "lblTotalPage", 660, 67, 49);
        int left = 20;
        for (const char *name : {"TC001", "TC002", "TC014", "CMSME002", "TC007"}) {
            bind(field<TKVQRDBText>(m_header, name, left, 120, 130));
            left += 140;
        }
        m_seq = field<TQRLabel>(m_detail, "lblSeq", 5, 14, 30);
        left = 40;
        for (const char *name : {"TE004", "TE017", "TE018", "TE006", "TE005", "TE008", "TE010"}) {
            bind(field<TKVQRDBText>(m_detail, name, left, 14, 95));
            left += 100;
        }
        field<TQRShape>(m_detail, "shpLine", 0, 60, 740, 2)->setShape(TQRShape::qrsHorLine);
        m_noData = field<TQRLabel>(m_footer, "lblNoData", 40, 5, 60);
        m_noData->setCaption("以下空白//");
        m_nextPage = field<TQRLabel>(signOff, "lblNextPage", 640, 180, 60);
        m_nextPage->setCaption("接下页...");
        for (int n = 1; n <= 3; ++n)
            field<TQRLabel>(signOff, ("lblSignIn" + std::to_string(n)).c_str(), 10, 20 * n, 560)
                ->setCaption("签核栏");
        bindHandlers();
    }

    Report &report() { return *m_report; }

private:
    void bind(TKVQRDBText *text)
    {
        text->setDataSet(m_data);
        text->setDataField(text->objectName());
        if (text->objectName() == "TE005") {
            text->setMask("#,##0.00");
            text->setAlignment(ReportText::taRightJustify);
        }
    }
    void bindHandlers()
    {
        m_report->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) { prePass(); }));
        m_header->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) { onHeader(); }));
        m_detail->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &args) { onLine(args); }));
        m_footer->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) {
            m_noData->setEnabled(m_footer->height() >= m_detail->height());
            m_nextPage->setEnabled(m_slipPage != m_slipPages);
        }));
    }
    std::string key() const
    {
        return m_data->FieldByName("TC001").AsString() + m_data->FieldByName("TC002").AsString();
    }
    void prePass()
    {
        m_counts.clear();
        for (m_data->First(); !m_data->Eof(); m_data->Next())
            ++m_counts[key()];
        m_rowsPerPage = m_footer->height() / m_detail->height() + 1;
        m_current.clear();
    }
    void onHeader()
    {
        if (key() != m_current) {
            m_current = key();
            m_slipRow = 0;
            m_slipPage = 1;
            m_slipPages = (m_counts[m_current] + m_rowsPerPage - 1) / m_rowsPerPage;
        } else {
            ++m_slipPage;
        }
        m_pageNo->setCaption(QString::number(m_slipPage));
        m_totalPage->setCaption(QString::number(m_slipPages));
    }
    void onLine(EventArgs &args)
    {
        if (m_footer->height() >= 0 || m_slipRow <= 1) {
            ++m_slipRow;
        } else {
            static_cast<BandPrintArgs &>(args).printBand = false;
            m_footer->setHeight(m_footer->height() + m_detail->height());
            m_data->Prior();
        }
        m_seq->setCaption(QStringLiteral("%1").arg(m_slipRow, 4, 10, QLatin1Char('0')));
    }

    QObject m_window;
    ClientDataSet *m_data;
    Report *m_report;
    TQRGroup *m_header;
    TQRBand *m_detail, *m_footer;
    TQRLabel *m_pageNo, *m_totalPage, *m_seq, *m_noData, *m_nextPage;
    std::map<std::string, int> m_counts;
    std::string m_current;
    int m_rowsPerPage = 1, m_slipRow = 0, m_slipPage = 0, m_slipPages = 0;
};


// The floor: every page's texts painted at their places on a QPdfWriter.
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
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(int(9 * report_units::kTenthsPerPoint * PageStore::kTextScale));
    painter.setFont(font);
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
// form: what the writer spends beyond this goes to placing the form (qpdf).
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
    const slip::ServerConfig config = slip::ServerConfig::sqlite(dataDir.toStdString());
    slip::registerServerObjects(config);
    const DispatchPtr server = createOleObject("QIPR07S.Class1");
    server->call("Connect", {varArrayOf({"QIPR07", "DS", "01", kCompany, "MOCTC", {}, {}, {}})});

    QElapsedTimer timer;
    timer.start();
    ClientDataSet data;
    data.setObjectName("ClientDataSet1");
    data.setRemoteServer(server);
    data.setProviderName("Provider1");
    data.DataRequest(normalQuery());
    data.Open();
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
    // BENCH_PRINT_KEEP names a folder that keeps the printed file for a look.
    if (const QString keep = qEnvironmentVariable("BENCH_PRINT_KEEP"); !keep.isEmpty())
        QFile::copy(pdf, keep + "/print_run-" + QString::number(pages.pageCount()) + ".pdf");
    const double pdfSeconds = total - generated;
    std::printf("%7d lines %6d pages  query %5.2f s  generation %5.2f s  pdf %6.2f s  total %6.2f s  "
                "%6.0f pages/s  first page %.2f s  peak %6.1f MB  %6.1f KB/page  floor %6.2f s  pdf/floor %.2f  "
                "(Qt engine %.2f s, form and qpdf %.2f s; peak before the PDF %.1f MB)\n",
                data.RecordCount(), pages.pageCount(), queried, generated - queried, pdfSeconds, total,
                pages.pageCount() / total, firstPage, peak, bytes / pages.pageCount() / 1024.0, floor,
                pdfSeconds / floor, qtPages, pdfSeconds - qtPages, peakBeforePdf);
    return 0;
}

// A demo company of about `pages` pages (slips of 0 to 40 lines, 7 lines a page).
void makeDemo(const QString &dataDir, int pages)
{
    const auto db = slip::Database::openSqlite(dataDir.toStdString());
    slip::DemoData(*db, {kCompany, "01", std::max(1, pages * 10 / 33), 42}).generate();
}

} // namespace

int main(int argc, char *argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 3 && args[1] == "--measure")
            return measure(args[2]);
        std::vector<int> sizes;
        for (int i = 1; i < args.size(); ++i)
            sizes.push_back(args[i].toInt());
        if (sizes.empty())
            sizes = {1000, 10000};
        std::cout << "print to PDF end to end: query, page generation, PDF (slip form behind every form)" << std::endl;
        for (int pages : sizes) {
            QTemporaryDir dir;
            makeDemo(dir.path(), pages);
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(args[0], {"--measure", dir.path()});
            if (!child.waitForFinished(-1) || child.exitCode() != 0)
                std::cerr << "bench_print_run: the run of about " << pages << " pages failed" << std::endl;
        }
        return 0;
    } catch (const std::exception &error) {
        std::cerr << "bench_print_run: " << error.what() << std::endl;
        return 1;
    }
}
