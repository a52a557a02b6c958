// Long output of the material-issue slips as the clerk sees it: a direct
// print into a PDF file shows the pages done, the slip and the time left,
// and cancelled leaves no file and counts nothing; printing from the preview
// on both sides (or into a PDF file) can start every slip on a fresh sheet
// (blank backs where a slip would begin on the back of the one before), the
// choice kept on the condition window; a stopped print into a file leaves
// none, and a stopped print counts only the slips it finished.

#include "LayoutDataSupport.h"

#include "qipr07/Qipr07Fmt.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/VRPreview.h"
#include "support/PdfReadBack.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <map>

using namespace layoutdata;
using kv::TfrmQipr07Fmt;

namespace {

class Qipr07OutputProgressTest : public SlipLayoutTest {
protected:
    void SetUp() override
    {
        SlipLayoutTest::SetUp();
        if (IsSkipped())
            return;
        // Every slip of a type with several slips, one printed per warehouse
        // so that slips take differing numbers of sheets.
        type = typeWithSlips(3);
        ASSERT_FALSE(type.empty());
        for (const auto &[number, lines] : slipsOfType(type))
            numbers.push_back(number);
        query = ReportQuery{type, {}};
        query.byWarehouse = true;
        before = printCounts();
    }

    std::map<std::string, double> printCounts() const { return printCountsOfType(type); }

    std::map<std::string, double> raisedBy(double times) const
    {
        std::map<std::string, double> expected = before;
        for (auto &[number, count] : expected)
            count += times;
        return expected;
    }

    // Does something to the progress window whenever events run.
    void whileWorking(const char *windowName, std::function<bool(QWidget *)> action)
    {
        auto *timer = new QTimer(owner);
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, windowName, action] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (window->objectName() == QLatin1String(windowName) && window->isVisible() && action(window)) {
                    timer->deleteLater();
                    timer->stop();
                    return;
                }
            }
        });
        timer->start();
    }

    // The sheets of the run on paper printed on both sides, each slip on a
    // fresh sheet: 0 for a blank back, else the page printed.
    static std::vector<int> sidesWithFreshSheets(const kv::PageStore &store)
    {
        std::vector<int> sides;
        QString previous;
        for (int page = 1; page <= store.pageCount(); ++page) {
            const QStringList numbers = store.textsOf(page, QStringLiteral("txtTC002"));
            const bool starts = !numbers.isEmpty() && numbers.first() != previous;
            if (!numbers.isEmpty())
                previous = numbers.last();
            if (starts && sides.size() % 2 == 1)
                sides.push_back(0);
            sides.push_back(page);
        }
        return sides;
    }

    static QString pdfPageText(const QString &file, int page)
    {
        const QString number = QString::number(page);
        return kvtest::toolOutput(QStringLiteral("pdftotext"),
                                  {QStringLiteral("-f"), number, QStringLiteral("-l"), number, file, QStringLiteral("-")});
    }

    std::string type;
    std::vector<std::string> numbers;
    ReportQuery query;
    std::map<std::string, double> before;
};

TEST_P(Qipr07OutputProgressTest, ADirectPrintIntoAPdfFileShowsItsProgressAndCancelledLeavesNothing)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("slips.pdf"));
    TfrmQipr07Fmt *cancelled = openLayout<TfrmQipr07Fmt>(query);
    cancelled->PrintCountMode = 1;
    cancelled->PrintFileName = pdf;
    QStringList seen;
    whileWorking("frmOutputProgress", [&seen](QWidget *window) {
        auto *progress = static_cast<kv::OutputProgressWindow *>(window);
        const QString state = progress->lblState->text();
        if (state.startsWith(QLatin1String("0/")))
            return false;
        seen << progress->windowTitle() << state << progress->pnlProgress->lblSlip->text()
             << progress->pnlProgress->lblTimeLeft->text();
        progress->btnCancel->click();
        return true;
    });
    EXPECT_FALSE(cancelled->PrintDirect());
    const int pages = cancelled->QuickRep1->pages()->pageCount();
    ASSERT_GE(pages, 3);
    ASSERT_EQ(seen.size(), 4);
    EXPECT_EQ(seen[0], QStringLiteral("打印成 PDF 档中"));
    EXPECT_EQ(seen[1], QStringLiteral("1/%1").arg(pages));
    // The slip of the next page, told as the preview's index tells it.
    EXPECT_EQ(seen[2], QString::fromStdString(type + "-" + numbers.front())) << seen[2].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^(\\d+:)?\\d\\d:\\d\\d$")).match(seen[3]).hasMatch())
        << seen[3].toStdString();
    // No file under the name, none half written beside it, nothing counted.
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
        << QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).join(' ').toStdString();
    EXPECT_EQ(printCounts(), before);
    EXPECT_TRUE(messages().empty());

    // Let through, the same print writes every page and counts every slip.
    TfrmQipr07Fmt *printed = openLayout<TfrmQipr07Fmt>(query);
    printed->PrintCountMode = 1;
    printed->PrintFileName = pdf;
    EXPECT_TRUE(printed->PrintDirect());
    EXPECT_EQ(kvtest::pdfPageCount(pdf), pages);
    EXPECT_EQ(printCounts(), raisedBy(1));
}

TEST_P(Qipr07OutputProgressTest, PrintingOnBothSidesCanStartEverySlipOnAFreshSheet)
{
    // A PDF file has no sides of its own: with the choice on it is laid out
    // for printing on both sides, as a printer set to both sides prints.
    auto duplex = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scoped(duplex);
    kv::VRPreviewer::setCurrent(std::make_shared<kv::PreviewWindowPreviewer>());
    QTemporaryDir out;
    const QString plain = out.filePath(QStringLiteral("plain.pdf"));
    const QString fresh = out.filePath(QStringLiteral("fresh.pdf"));
    const QString stopped = out.filePath(QStringLiteral("stopped.pdf"));
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(query);
    layout->PrintCountMode = 0;

    std::vector<int> expected;
    int pages = 0;
    bool offeredUnchecked = false;
    std::vector<std::map<std::string, double>> counts;
    duplex->answerDialog([&](QDialog &dialog) {
        auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog);
        if (!preview)
            return 0;
        waitUntilGenerated(*preview);
        const kv::PageStore &store = *layout->QuickRep1->pages();
        pages = store.pageCount();
        expected = sidesWithFreshSheets(store);
        offeredUnchecked = !preview->pmSlipSheet->isChecked();
        duplex->answerPrinter(true, plain.toStdString());
        preview->btnPrint->click();
        counts.push_back(printCounts());

        preview->pmSlipSheet->trigger();
        duplex->answerPrinter(true, fresh.toStdString());
        preview->btnPrint->click();
        counts.push_back(printCounts());

        // Stopped after its first page, a print into a file leaves none.
        whileWorking("frmOutputProgress", [](QWidget *window) {
            auto *progress = static_cast<kv::OutputProgressWindow *>(window);
            if (progress->lblState->text().startsWith(QLatin1String("0/")))
                return false;
            progress->btnCancel->click();
            return true;
        });
        duplex->answerPrinter(true, stopped.toStdString());
        preview->btnPrint->click();
        counts.push_back(printCounts());
        preview->btnExit->click();
        return 0;
    });
    layout->ShowPreview();
    kv::VRPreviewer::setCurrent(nullptr);
    EXPECT_TRUE(duplex->allAnswered());
    EXPECT_TRUE(offeredUnchecked);
    // The choice is the condition window's, kept with its other options.
    EXPECT_TRUE(owner->chkSlipSheet->isChecked());

    // The demo slips must give a slip that would start on a back.
    ASSERT_GT(int(expected.size()), pages) << "no slip of " << type << " starts on the back of a sheet";
    EXPECT_EQ(kvtest::pdfPageCount(plain), pages);
    ASSERT_EQ(kvtest::pdfPageCount(fresh), int(expected.size()));
    for (int side = 0; side < int(expected.size()); ++side) {
        const QString text = pdfPageText(fresh, side + 1);
        if (expected[std::size_t(side)] == 0)
            EXPECT_TRUE(text.isEmpty()) << "side " << side + 1 << ": " << text.toStdString();
        else
            EXPECT_EQ(text, pdfPageText(plain, expected[std::size_t(side)])) << "side " << side + 1;
    }
    EXPECT_FALSE(QFile::exists(stopped));
    // Blank backs change no count: each print counts every slip once; the
    // stopped one counts nothing.
    ASSERT_EQ(counts.size(), 3u);
    EXPECT_EQ(counts[0], raisedBy(1));
    EXPECT_EQ(counts[1], raisedBy(2));
    EXPECT_EQ(counts[2], raisedBy(2));
}

TEST_P(Qipr07OutputProgressTest, APrintStoppedInTheMiddleOfASlipCountsOnlyTheSlipsBeforeIt)
{
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(query);
    generate(layout);
    const kv::PageStore &store = *layout->QuickRep1->pages();
    // The first page whose last slip goes on to the next page: the slips
    // before it on that page and the pages before are whole.
    int cut = 0;
    for (int page = 1; page < store.pageCount() && cut == 0; ++page) {
        const QStringList here = store.textsOf(page, QStringLiteral("txtTC002"));
        const QStringList next = store.textsOf(page + 1, QStringLiteral("txtTC002"));
        if (!here.isEmpty() && !next.isEmpty() && next.first() == here.last())
            cut = page;
    }
    ASSERT_GT(cut, 0) << "no slip of " << type << " takes two pages";
    const std::string cutSlip = store.textsOf(cut, QStringLiteral("txtTC002")).last().toStdString();
    std::map<std::string, double> expected = before;
    for (int page = 1; page <= cut; ++page) {
        for (const QString &number : store.textsOf(page, QStringLiteral("txtTC002")))
            expected[number.toStdString()] = before.at(number.toStdString()) + 1;
    }
    expected[cutSlip] = before.at(cutSlip);
    layout->PrintCountMode = 1;
    layout->CountPrintedRanges({{1, cut}}, true);
    EXPECT_EQ(printCounts(), expected);
    // A print of just that page, as asked, counts the slips printed on it.
    layout->CountPrintedRanges({{cut, cut}}, false);
    QStringList onCut = store.textsOf(cut, QStringLiteral("txtTC002"));
    onCut.removeDuplicates();
    for (const QString &number : onCut)
        expected[number.toStdString()] += 1;
    EXPECT_EQ(printCounts(), expected);
}

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Qipr07OutputProgressTest);

} // namespace
