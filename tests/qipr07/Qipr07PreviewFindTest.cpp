// A big run of the detailed slip in the preview, as a clerk finds a slip in
// it: the search finds an item code on exactly the pages that print it (and
// the slips that hold it in the database), the index has one row per slip
// and shows each slip's first page, and printing the slips chosen in the
// index prints exactly their pages and raises only their print counts.

#include "LayoutDataSupport.h"

#include "qipr07/Qipr07Fmt.h"
#include "report/layout/PreviewFindBar.h"
#include "report/layout/PreviewSearch.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/PreviewSidePanel.h"
#include "report/layout/PreviewSlipIndex.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/VRPreview.h"
#include "support/PdfReadBack.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <map>
#include <iostream>
#include <set>

using namespace layoutdata;
using kv::TfrmQipr07Fmt;

namespace {

// Slips of the demo company: about a third are of type 5401, at some three
// pages each; this many give a run of about a thousand pages.
constexpr int kDemoSlips = 850;
constexpr const char *kType = "5401";

class Qipr07PreviewFindTest : public SlipLayoutTest {
protected:
    void SetUp() override
    {
        if (GetParam() == slip::DbEngine::PostgreSQL && !pgConnInfo())
            GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n");
        company = std::make_unique<DemoCompany>(GetParam(), kDemoSlips);
        {
            kv::ScopedPrompter building(std::make_shared<ConstructionPrompter>());
            owner = kv::TKVForm::Create<ConditionWindow>();
        }
        owner->setCaption(QStringLiteral("领料单打印"));
        server = kv::createOleObject("QIPR07S.Class1");
        server->call("Connect", {kv::varArrayOf({"QIPR07", "DS", "01", company->companyDb, "MOCTC", "", "", ""})});
        owner->MainMidas->setAppServer(server);
        owner->ProgramServer = Variant(server);
    }

    std::map<QString, double> printCounts() const
    {
        const kv::ResultTable rows = company->query("SELECT TC002, TC010 FROM {MOCTC} WHERE TC001=:T",
                                                    {{"T", Variant(std::string(kType))}});
        std::map<QString, double> counts;
        for (int row = 0; row < rows.rowCount(); ++row)
            counts[QString::fromStdString(rows.value(row, 0).toText())] =
                rows.isNull(row, 1) ? 0 : rows.value(row, 1).toDouble();
        return counts;
    }

    // The item printed on most slips of the type, with those slips.
    std::pair<QString, std::set<QString>> commonItem() const
    {
        const kv::ResultTable rows = company->query(
            "SELECT TE004, TE002 FROM {MOCTE} WHERE TE001=:T", {{"T", Variant(std::string(kType))}});
        std::map<QString, std::set<QString>> slips;
        for (int row = 0; row < rows.rowCount(); ++row)
            slips[QString::fromStdString(rows.value(row, 0).toText()).trimmed()].insert(
                QString::fromStdString(rows.value(row, 1).toText()).trimmed());
        auto best = slips.begin();
        for (auto it = slips.begin(); it != slips.end(); ++it)
            if (it->second.size() > best->second.size())
                best = it;
        return *best;
    }

    // Pictures of the window for the manual, when a folder is named.
    static void grab(QWidget &window, const char *name)
    {
        const QString folder = manualPictureFolder(window, "QIPR07_PREVIEW_GRAB", QSize(1280, 860));
        if (!folder.isEmpty()) {
            EXPECT_TRUE(window.grab().save(folder + QLatin1Char('/') + QLatin1String(name)));
        }
    }

};

TEST_P(Qipr07PreviewFindTest, FindsItemsIndexesSlipsAndPrintsOnlyTheChosenOnes)
{
    kv::VRPreviewer::setCurrent(std::make_shared<kv::PreviewWindowPreviewer>());
    const auto [item, itemSlips] = commonItem();
    ASSERT_GE(itemSlips.size(), 3u) << "the demo company needs an item on several slips";
    const std::map<QString, double> before = printCounts();
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(ReportQuery{kType, {}});
    layout->PrintCountMode = 0;
    // The title and table date the condition window hands over.
    layout->SetHeaderText(0, QStringLiteral("厂内领料单"));
    layout->SetHeaderText(1, QStringLiteral("2026/12/08"));
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("chosen.pdf"));

    int pageCount = 0;
    std::set<int> itemPages, hitPages;
    std::set<QString> hitSlips;
    int itemTexts = 0;
    QString countText;
    std::vector<kv::PreviewSlipIndex::Slip> slips;
    std::vector<std::pair<int, QString>> jumps; // page shown, its slip number
    std::vector<int> chosen;
    qint64 searchMs = 0;
    prompter->answerDialog([&](QDialog &dialog) {
        auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog);
        if (!preview)
            return 0;
        waitUntilGenerated(*preview);
        const kv::PageStore &store = *layout->QuickRep1->pages();
        pageCount = store.pageCount();
        for (int page = 1; page <= pageCount; ++page) {
            const QStringList codes = store.textsOf(page, QStringLiteral("txtTE004"));
            for (const QString &code : codes)
                itemTexts += code.trimmed() == item;
            if (codes.contains(item))
                itemPages.insert(page);
        }
        preview->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(preview));

        // Ctrl+F, the item code typed, the hits counted.
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(preview->QRPreview, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(preview->findChild<QLineEdit *>(QStringLiteral("edtFind")), item);
        searchMs = timer.elapsed();
        for (const kv::PreviewSearch::Hit &hit : preview->search()->hits()) {
            hitPages.insert(hit.page);
            for (const QString &number : store.textsOf(hit.page, QStringLiteral("txtTC002")))
                hitSlips.insert(number.trimmed());
        }
        countText = preview->findChild<QLabel *>(QStringLiteral("lblFindCount"))->text();
        grab(*preview, "preview-search.png");

        // The index: each row's click shows the page its slip starts on.
        preview->findChild<QToolButton *>(QStringLiteral("btnSlipIndex"))->click();
        auto *list = preview->findChild<QTreeWidget *>(QStringLiteral("lstSlips"));
        slips = preview->SidePanel->index()->slips();
        for (int row : {0, 1, int(slips.size()) / 2, int(slips.size()) - 1}) {
            QTreeWidgetItem *entry = list->topLevelItem(row);
            list->scrollToItem(entry);
            QTest::qWait(1); // the list lays itself out, as on screen
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(entry).center());
            const QStringList numbers = store.textsOf(preview->currentPage(), QStringLiteral("txtTC002"));
            jumps.emplace_back(preview->currentPage(), numbers.value(0).trimmed());
        }

        grab(*preview, "preview-index.png");

        // Two slips apart and the one after the first chosen, then printed.
        list->clearSelection();
        chosen = {1, 2, int(slips.size()) - 2};
        for (int row : chosen)
            list->topLevelItem(row)->setSelected(true);
        prompter->answerPrinter(true, pdf.toStdString());
        preview->findChild<QAction *>(QStringLiteral("pmPrintChosen"))->trigger();
        preview->btnExit->click();
        return 0;
    });
    layout->ShowPreview();
    kv::VRPreviewer::setCurrent(nullptr);
    EXPECT_TRUE(prompter->allAnswered());
    EXPECT_TRUE(prompter->messageTexts().empty());

    std::cout << "run of " << pageCount << " pages, " << slips.size() << " slips; search took " << searchMs
              << " ms\n";
    EXPECT_GE(pageCount, 700);
    ASSERT_FALSE(itemPages.empty());
    EXPECT_EQ(hitPages, itemPages);
    EXPECT_EQ(hitSlips, itemSlips);
    EXPECT_EQ(countText, QStringLiteral("1 / ") + QString::number(itemTexts));

    // One row per slip of the run, in the order they print.
    std::vector<QString> printedOrder;
    for (const layouttest::Form &form : layouttest::formsOf(*layout->QuickRep1->pages())) {
        const QString number = form.text(QStringLiteral("txtTC002")).trimmed();
        if (printedOrder.empty() || printedOrder.back() != number)
            printedOrder.push_back(number);
    }
    ASSERT_EQ(slips.size(), printedOrder.size());
    for (std::size_t i = 0; i < slips.size(); ++i) {
        EXPECT_EQ(slips[i].number, printedOrder[i]) << i;
        EXPECT_EQ(slips[i].type, QString::fromLatin1(kType));
        if (i > 0) {
            EXPECT_EQ(slips[i].firstPage, slips[i - 1].lastPage + 1) << i;
        }
    }
    EXPECT_EQ(slips.back().lastPage, pageCount);
    const std::vector<int> rows{0, 1, int(slips.size()) / 2, int(slips.size()) - 1};
    ASSERT_EQ(jumps.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(jumps[i].first, slips[std::size_t(rows[i])].firstPage) << rows[i];
        EXPECT_EQ(jumps[i].second, slips[std::size_t(rows[i])].number) << rows[i];
    }

    // Exactly the chosen slips' pages came out, and only they count.
    int expectedPages = 0;
    std::map<QString, double> expected = before;
    for (int row : chosen) {
        const kv::PreviewSlipIndex::Slip &slip = slips[std::size_t(row)];
        expectedPages += slip.lastPage - slip.firstPage + 1;
        expected[slip.number] += 1;
    }
    EXPECT_EQ(kvtest::pdfPageCount(pdf), expectedPages);
    EXPECT_EQ(printCounts(), expected);
}

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Qipr07PreviewFindTest);

} // namespace
