// Finding one's way in a big run through the preview window: the search bar
// (Ctrl+F, F3 and Shift+F3, the "n / m" count, simplified and traditional
// forms, the hit marked on its page), the slip index and the thumbnails
// (one row per slip, a click shows its first page, both follow pages that
// arrive while the run is generated) and printing the slip shown or the
// slips chosen in the index into a PDF file.

#include "report/layout/LayoutTestSupport.h"

#include "platform/ScriptedPrompter.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "report/layout/PreviewFindBar.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/PreviewSearch.h"
#include "report/layout/PreviewSidePanel.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRPreview.h"
#include "support/ShellFixture.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

namespace {

using kv::TfrmVRPreview;

// Slip s (from 0) takes 1 + s % 3 forms; its lines carry item codes, and
// every fifth line the item "MAT-0042" named in traditional characters on
// odd slips and in simplified ones on even slips.
struct SlipRun {
    struct Slip {
        QString number;
        int firstPage = 0, lastPage = 0;
    };
    std::vector<Slip> slips;
    std::set<int> pagesWithItem;
    int itemTexts = 0;
};

void addSlipPages(kv::PageStore &store, int slipCount, SlipRun &run, int firstSlip = 0)
{
    const int style = store.textStyle(QFont(QStringLiteral("Noto Sans CJK SC")), Qt::transparent);
    const auto put = [&](const char *component, double top, double left, const QString &text) {
        store.addText(store.componentIndex(QLatin1String(component)), 0, QRectF(left, top, 400, 50), 0, style, text);
    };
    for (int s = firstSlip; s < firstSlip + slipCount; ++s) {
        SlipRun::Slip slip{QStringLiteral("2024%1").arg(s + 1, 5, 10, QLatin1Char('0'))};
        for (int form = 0; form < 1 + s % 3; ++form) {
            const int page = store.pageCount() + 1;
            store.beginPage(page);
            put("txtTC001", 300, 100, QStringLiteral("5401"));
            put("txtTC002", 300, 600, slip.number);
            put("txtTC014", 300, 1200, QStringLiteral("2024/03/%1").arg(1 + s % 28, 2, 10, QLatin1Char('0')));
            put("txtCMSME002", 400, 100, s % 2 ? QStringLiteral("裝配課") : QStringLiteral("装配课"));
            for (int line = 0; line < 6; ++line) {
                const bool item = (page + line) % 5 == 0;
                put("txtTE004", 600 + line * 100, 100, item ? QStringLiteral("MAT-0042") : QStringLiteral("MAT-%1").arg(line));
                put("txtTE017", 600 + line * 100, 600,
                    item ? (s % 2 ? QStringLiteral("螺絲釘") : QStringLiteral("螺丝钉")) : QStringLiteral("垫片"));
                if (item) {
                    run.pagesWithItem.insert(page);
                    ++run.itemTexts;
                }
            }
            store.endPage(1);
            if (form == 0)
                slip.firstPage = page;
            slip.lastPage = page;
        }
        run.slips.push_back(slip);
    }
}

class PreviewFindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scope = std::make_unique<kv::ScopedPrompter>(prompter);
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        layout = kv::TKVForm::Create<kv::TfrmVRBaseFmt>(nullptr);
        QDir(dir.path()).mkdir("c_data");
        layout->ClientRoot = dir.path().toStdString();
        layout->UserID = "DS";
        layout->ProgramCode = "QIPR07";
        report = layout->QuickRep1;
        report->pages()->reset(QSizeF(2159, 2794), true, 1);
    }
    void TearDown() override
    {
        if (preview)
            preview->Free();
        layout->Free();
    }

    void open(int slips, bool finished = true)
    {
        addSlipPages(*report->pages(), slips, run);
        if (finished)
            report->pages()->finish(false);
        layout->PageCount = report->pages()->pageCount();
        preview = kv::TKVForm::Create<TfrmVRPreview>(layout);
        kv::PreviewRequest request;
        request.layout = layout;
        request.report = report;
        request.pages = report->pages();
        preview->SetRequest(request);
        preview->show();
        preview->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(preview));
    }

    template <class T>
    T *find(const char *name) const
    {
        T *child = preview->findChild<T *>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    // Ctrl+F from the pages, then the text typed into the bar.
    void search(const QString &text)
    {
        QTest::keyClick(preview->QRPreview, Qt::Key_F, Qt::ControlModifier);
        auto *box = find<QLineEdit>("edtFind");
        ASSERT_TRUE(box->isVisible());
        ASSERT_EQ(QApplication::focusWidget(), box);
        // QTest types only Latin keys: Chinese comes as an input method
        // hands it over, the whole text at once.
        if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
            QTest::keyClicks(box, text);
        else
            box->insert(text);
    }
    QString count() const { return find<QLabel>("lblFindCount")->text(); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }

    QStringList pdfText(const QString &file) const
    {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        EXPECT_TRUE(process.waitForFinished(30000));
        return QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    }

    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    std::unique_ptr<kv::ScopedPrompter> scope;
    kvtest::ShellFixture shell;
    QTemporaryDir dir;
    kv::TfrmVRBaseFmt *layout = nullptr;
    kv::Report *report = nullptr;
    QPointer<TfrmVRPreview> preview;
    SlipRun run;
};

TEST_F(PreviewFindTest, SearchFindsEveryHitCountsThemAndF3WrapsBothWays)
{
    open(120);
    ASSERT_GT(report->pages()->pageCount(), 200);
    search(QStringLiteral("mat-0042")); // letters match in either case
    kv::PreviewSearch *found = preview->search();
    ASSERT_EQ(found->hitCount(), run.itemTexts);
    std::set<int> pages;
    for (const kv::PreviewSearch::Hit &hit : found->hits()) {
        pages.insert(hit.page);
        EXPECT_EQ(hit.text, QStringLiteral("MAT-0042"));
    }
    EXPECT_EQ(pages, run.pagesWithItem);
    const QString total = QString::number(run.itemTexts);
    EXPECT_EQ(count(), QStringLiteral("1 / ") + total);
    // The first hit is shown and marked where its text stands.
    const int firstPage = *run.pagesWithItem.begin();
    EXPECT_EQ(preview->currentPage(), firstPage);
    ASSERT_GE(preview->QRPreview->currentHighlight(), 0);
    EXPECT_EQ(preview->QRPreview->highlights()[std::size_t(preview->QRPreview->currentHighlight())],
              found->hits().front().rect);

    // Shift+F3 from the first hit wraps to the last one, F3 back to the first.
    key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(count(), total + QStringLiteral(" / ") + total);
    EXPECT_EQ(preview->currentPage(), *run.pagesWithItem.rbegin());
    key(Qt::Key_F3);
    EXPECT_EQ(count(), QStringLiteral("1 / ") + total);
    EXPECT_EQ(preview->currentPage(), firstPage);
    // Enter in the box and the bar's button move on as F3 does.
    key(Qt::Key_Return);
    find<QToolButton>("btnFindNext")->click();
    EXPECT_EQ(count(), QStringLiteral("3 / ") + total);
    EXPECT_EQ(preview->currentPage(), found->hits()[2].page);
    find<QToolButton>("btnFindPrevious")->click();
    EXPECT_EQ(count(), QStringLiteral("2 / ") + total);

    // A text that is nowhere says so; Escape closes the bar and its marks.
    find<QLineEdit>("edtFind")->setText(QStringLiteral("没有这个料号"));
    EXPECT_EQ(found->hitCount(), 0);
    EXPECT_EQ(count(), QStringLiteral("找不到"));
    find<QLineEdit>("edtFind")->setText(QStringLiteral("MAT-0042"));
    key(Qt::Key_Escape);
    EXPECT_FALSE(preview->FindBar->isVisible());
    EXPECT_TRUE(preview->isVisible()) << "Escape in the bar closes the bar, not the preview";
    EXPECT_TRUE(preview->QRPreview->highlights().empty());

    // Reopened, the bar searches its text again from the page being read.
    const int middle = report->pages()->pageCount() / 2;
    preview->GoToPage(middle);
    search(QString());
    EXPECT_EQ(find<QLineEdit>("edtFind")->selectedText(), QStringLiteral("MAT-0042"));
    EXPECT_EQ(found->hitCount(), run.itemTexts);
    const kv::PreviewSearch::Hit *hit = found->currentHit();
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->page, *run.pagesWithItem.lower_bound(middle));
    EXPECT_EQ(preview->currentPage(), hit->page);
}

TEST_F(PreviewFindTest, SimplifiedAndTraditionalFormsFindEachOther)
{
    open(12);
    std::set<int> screws; // pages with the screw, written either way
    for (int page = 1; page <= report->pages()->pageCount(); ++page) {
        for (const QString &name : report->pages()->textsOf(page, QStringLiteral("txtTE017")))
            if (name != QStringLiteral("垫片"))
                screws.insert(page);
    }
    ASSERT_FALSE(screws.empty());
    for (const QString &query : {QStringLiteral("螺絲"), QStringLiteral("螺丝")}) {
        preview->FindBar->edtFind->clear();
        search(query);
        std::set<int> pages;
        for (const kv::PreviewSearch::Hit &hit : preview->search()->hits())
            pages.insert(hit.page);
        EXPECT_EQ(pages, screws) << query.toStdString();
        EXPECT_EQ(preview->search()->hitCount(), run.itemTexts) << query.toStdString();
    }
    // Both forms of the department's name are one department.
    preview->FindBar->edtFind->setText(QStringLiteral("裝配課"));
    EXPECT_EQ(preview->search()->hitCount(), report->pages()->pageCount());
}

TEST_F(PreviewFindTest, TheIndexListsEachSlipOnceAndJumpsToItsFirstPage)
{
    open(10);
    EXPECT_FALSE(preview->SidePanel->isVisible()) << "the index is there when asked for";
    find<QToolButton>("btnSlipIndex")->click();
    ASSERT_TRUE(preview->SidePanel->isVisible());
    auto *slips = find<QTreeWidget>("lstSlips");
    ASSERT_EQ(slips->topLevelItemCount(), int(run.slips.size()));
    for (int row = 0; row < slips->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = slips->topLevelItem(row);
        const SlipRun::Slip &slip = run.slips[std::size_t(row)];
        EXPECT_EQ(item->text(0), QStringLiteral("5401-") + slip.number);
        EXPECT_EQ(item->text(2), row % 2 ? QStringLiteral("裝配課") : QStringLiteral("装配课"));
        EXPECT_EQ(item->text(3), slip.firstPage == slip.lastPage
                                     ? QString::number(slip.firstPage)
                                     : QStringLiteral("%1-%2").arg(slip.firstPage).arg(slip.lastPage));
    }
    // A click on the last slip shows its first page; the page box follows.
    QTreeWidgetItem *last = slips->topLevelItem(slips->topLevelItemCount() - 1);
    QTest::mouseClick(slips->viewport(), Qt::LeftButton, {}, slips->visualItemRect(last).center());
    EXPECT_EQ(preview->currentPage(), run.slips.back().firstPage);
    EXPECT_EQ(preview->edtPageNo->text(), QString::number(run.slips.back().firstPage));

    // The thumbnails: one a page, a click shows it.
    preview->SidePanel->setCurrentIndex(1);
    auto *thumbnails = find<QListView>("lstThumbnails");
    ASSERT_EQ(thumbnails->model()->rowCount(), report->pages()->pageCount());
    const QModelIndex third = thumbnails->model()->index(2, 0);
    thumbnails->scrollTo(third);
    QTest::mouseClick(thumbnails->viewport(), Qt::LeftButton, {}, thumbnails->visualRect(third).center());
    EXPECT_EQ(preview->currentPage(), 3);
    find<QToolButton>("btnSlipIndex")->click();
    EXPECT_FALSE(preview->SidePanel->isVisible());
}

TEST_F(PreviewFindTest, IndexThumbnailsAndSearchFollowPagesThatArrive)
{
    open(3, false);
    find<QToolButton>("btnSlipIndex")->click();
    search(QStringLiteral("MAT-0042"));
    const int before = preview->search()->hitCount();
    auto *slips = find<QTreeWidget>("lstSlips");
    EXPECT_EQ(slips->topLevelItemCount(), 3);
    // The last slip grows by a form, then more slips arrive.
    kv::PageStore &store = *report->pages();
    addSlipPages(store, 4, run, 3);
    emit store.pageAvailable(store.pageCount()); // announced twice: nothing is counted twice
    store.finish(false);
    EXPECT_EQ(slips->topLevelItemCount(), 7);
    EXPECT_EQ(slips->topLevelItem(6)->text(0), QStringLiteral("5401-") + run.slips.back().number);
    EXPECT_EQ(find<QListView>("lstThumbnails")->model()->rowCount(), store.pageCount());
    EXPECT_EQ(preview->search()->hitCount(), run.itemTexts);
    EXPECT_GT(preview->search()->hitCount(), before);
    EXPECT_EQ(count(), QStringLiteral("1 / ") + QString::number(run.itemTexts));
}

TEST_F(PreviewFindTest, PrintingTheChosenSlipsPrintsExactlyTheirPages)
{
    open(9);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("chosen.pdf"));
    find<QToolButton>("btnSlipIndex")->click();
    auto *slips = find<QTreeWidget>("lstSlips");
    // Slips 2 and 3 meet, slip 6 stands apart: two ranges, one file.
    for (int row : {2, 3, 6})
        slips->topLevelItem(row)->setSelected(true);
    prompter->answerPrinter(true, pdf.toStdString());
    find<QAction>("pmPrintChosen")->trigger();
    ASSERT_TRUE(prompter->allAnswered());
    EXPECT_TRUE(prompter->messageTexts().empty());
    QStringList expected;
    for (int row : {2, 3, 6}) {
        const SlipRun::Slip &slip = run.slips[std::size_t(row)];
        for (int page = slip.firstPage; page <= slip.lastPage; ++page)
            expected << slip.number;
    }
    const QStringList pages = pdfText(pdf);
    ASSERT_EQ(pages.size(), expected.size());
    for (int i = 0; i < pages.size(); ++i)
        EXPECT_TRUE(pages[i].contains(expected[i])) << i;

    // "打印本单": the slip of the page shown, all its pages.
    QFile::remove(pdf);
    preview->GoToPage(run.slips[5].lastPage);
    prompter->answerPrinter(true, pdf.toStdString());
    find<QAction>("pmPrintSlip")->trigger();
    const QStringList slipPages = pdfText(pdf);
    ASSERT_EQ(slipPages.size(), run.slips[5].lastPage - run.slips[5].firstPage + 1);
    for (const QString &page : slipPages)
        EXPECT_TRUE(page.contains(run.slips[5].number));

    // A cancelled set-up prints nothing.
    QFile::remove(pdf);
    prompter->answerPrinter(false, pdf.toStdString());
    find<QAction>("pmPrintChosen")->trigger();
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace

namespace {

TEST_F(PreviewFindTest, ExportingTheSlipShownWritesOnePictureForEachOfItsForms)
{
    open(6);
    std::vector<int> written;
    preview->pictureWriter = [&](int picture, int, const QString &baseName) {
        written.push_back(picture);
        return baseName + QStringLiteral(".pdf");
    };
    const SlipRun::Slip &slip = run.slips[5]; // three forms
    ASSERT_EQ(slip.lastPage - slip.firstPage, 2);
    preview->GoToPage(slip.firstPage + 1);
    prompter->answerMessage(kv::mrNo);
    find<QAction>("pmSlipPDF")->trigger();
    EXPECT_EQ(written, (std::vector<int>{slip.firstPage, slip.firstPage + 1, slip.lastPage}));
    EXPECT_TRUE(prompter->allAnswered());
}

} // namespace
