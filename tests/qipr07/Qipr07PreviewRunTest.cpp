// The preview of a run that is still being generated, as a clerk meets it:
// the window is there with the first page before the rest exists, numbered
// against the pages the run will have; the clerk pages on while pages keep
// arriving, and stopping or closing ends the run. The pages come out exactly
// as a run generated before the preview opens makes them, and the page
// count known in advance is the count the run reaches, on every kind of run.

#include "LayoutDataSupport.h"

#include "qipr07/Qipr07Fmt.h"
#include "qipr07/Qipr07Fmt_1.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/VRPreview.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <vector>

using namespace layoutdata;
using kv::TfrmQipr07Fmt;

namespace {

constexpr int kDemoSlips = 160;
constexpr const char *kType = "5401";

using PageTexts = std::vector<QStringList>;

PageTexts textsOfEveryPage(const kv::PageStore &store)
{
    PageTexts pages;
    for (int page = 1; page <= store.pageCount(); ++page) {
        QStringList texts;
        for (const kv::PageText &text : store.texts(page))
            texts << text.component + QLatin1Char('=') + text.text;
        pages.push_back(texts);
    }
    return pages;
}

// The first page whose texts differ, with the texts that differ; empty when
// the runs are the same.
std::string firstDifference(const PageTexts &got, const PageTexts &wanted)
{
    if (got.size() != wanted.size())
        return "pages " + std::to_string(got.size()) + " instead of " + std::to_string(wanted.size());
    for (std::size_t page = 0; page < got.size(); ++page) {
        if (got[page] == wanted[page])
            continue;
        QStringList only;
        for (const QString &text : got[page])
            if (!wanted[page].contains(text))
                only << QStringLiteral("+") + text;
        for (const QString &text : wanted[page])
            if (!got[page].contains(text))
                only << QStringLiteral("-") + text;
        return "page " + std::to_string(page + 1) + ": " + only.join(QStringLiteral(", ")).toStdString();
    }
    return {};
}

QString pagePanel(const kv::TfrmVRPreview &preview)
{
    return preview.panelText(0);
}

class Qipr07PreviewRunTest : public SlipLayoutTest {
protected:
    void SetUp() override
    {
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n");
        company = std::make_unique<DemoCompany>(GetParam(), kDemoSlips);
        {
            kv::ScopedPrompter building(std::make_shared<ConstructionPrompter>());
            owner = kv::TKVForm::Create<ConditionWindow>();
        }
        server = kv::createOleObject("QIPR07S.Class1");
        server->call("Connect", {kv::varArrayOf({"QIPR07", "DS", "01", company->companyDb, "MOCTC", "", "", ""})});
        owner->MainMidas->setAppServer(server);
        owner->ProgramServer = Variant(server);
        kv::VRPreviewer::setCurrent(std::make_shared<kv::PreviewWindowPreviewer>());
    }
    void TearDown() override
    {
        kv::VRPreviewer::setCurrent(nullptr);
    }

    // The pages of the run generated the old way, before any preview.
    static PageTexts generatedFirst(kv::TfrmVRBaseFmt &layout)
    {
        EXPECT_TRUE(layout.GeneratePages());
        return textsOfEveryPage(*layout.QuickRep1->pages());
    }
};

TEST_P(Qipr07PreviewRunTest, FirstPageShowsAtOnceAndTheClerkReadsWhileTheRestArrives)
{
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(ReportQuery{kType, {}});
    const PageTexts expectedPages = generatedFirst(*layout);
    const int total = int(expectedPages.size());
    ASSERT_GE(total, 20);

    struct Seen {
        bool visible = false, generating = false, printEnabled = true, stopVisible = false;
        int page = 0, expected = 0;
        QString panel;
    } atFirst;
    int shownWhileMoreCame = 0, scrollKept = -1, scrollSet = -1;
    QString panelAtEnd;
    bool printAtEnd = false, stopAtEnd = true;
    PageTexts previewedPages;
    prompter->answerDialog([&](QDialog &dialog) {
        auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog);
        if (!preview)
            return 0;
        preview->show();
        kv::PageStore *store = layout->QuickRep1->pages();
        QScrollBar *scroll = preview->QRPreview->verticalScrollBar();
        // What the clerk sees and does as pages arrive: the events the
        // generation pumps carry the clicks.
        QObject::connect(store, &kv::PageStore::pageAvailable, preview, [&, preview, store, scroll](int page) {
            if (page == 1) {
                QCoreApplication::processEvents();
                atFirst = {preview->isVisible(),
                           preview->isGenerating(),
                           preview->btnPrint->isEnabled(),
                           preview->btnStop->isVisible(),
                           preview->currentPage(),
                           store->expectedPageCount(),
                           pagePanel(*preview)};
            } else if (page == 3) {
                QTest::mouseClick(preview->btnNextPage, Qt::LeftButton);
                if (scroll) {
                    preview->SetZoom(200);
                    scroll->setValue(scroll->maximum() / 2);
                    scrollSet = scroll->value();
                }
            } else if (page == total - 1) {
                shownWhileMoreCame = preview->currentPage();
                scrollKept = scroll ? scroll->value() : -1;
            }
        });
        waitUntilGenerated(*preview);
        panelAtEnd = pagePanel(*preview);
        printAtEnd = preview->btnPrint->isEnabled();
        stopAtEnd = preview->btnStop->isVisible();
        previewedPages = textsOfEveryPage(*store);
        preview->btnExit->click();
        return 0;
    });
    EXPECT_TRUE(layout->ShowPreview());
    EXPECT_TRUE(prompter->allAnswered());

    EXPECT_TRUE(atFirst.visible);
    EXPECT_TRUE(atFirst.generating);
    EXPECT_FALSE(atFirst.printEnabled) << "no slip goes out before its totals exist";
    EXPECT_TRUE(atFirst.stopVisible);
    EXPECT_EQ(atFirst.page, 1);
    EXPECT_EQ(atFirst.expected, total);
    EXPECT_EQ(atFirst.panel, QStringLiteral("1 / %1").arg(total));
    EXPECT_EQ(shownWhileMoreCame, 2) << "arriving pages leave the page being read";
    EXPECT_GT(scrollSet, 0) << "the page zoomed to 200 % scrolls";
    EXPECT_EQ(scrollKept, scrollSet) << "arriving pages leave the scroll position";
    EXPECT_EQ(panelAtEnd, QStringLiteral("2 / %1").arg(total));
    EXPECT_TRUE(printAtEnd);
    EXPECT_FALSE(stopAtEnd);
    EXPECT_EQ(firstDifference(previewedPages, expectedPages), "");
}

TEST_P(Qipr07PreviewRunTest, StoppingOrClosingEndsTheRunAndTheWindow)
{
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(ReportQuery{kType, {}});
    for (const char *how : {"btnStop", "close"}) {
        SCOPED_TRACE(how);
        QPointer<kv::TfrmVRPreview> shown;
        int pagesWhenStopped = 0;
        prompter->answerDialog([&](QDialog &dialog) {
            auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog);
            if (!preview)
                return 0;
            shown = preview;
            kv::PageStore *store = layout->QuickRep1->pages();
            QObject::connect(store, &kv::PageStore::pageAvailable, preview, [&, preview, how](int page) {
                if (page != 5)
                    return;
                pagesWhenStopped = page;
                if (QLatin1String(how) == QLatin1String("btnStop"))
                    QTest::mouseClick(preview->btnStop, Qt::LeftButton);
                else
                    preview->close();
            });
            waitUntilGenerated(*preview);
            return 0;
        });
        EXPECT_FALSE(layout->ShowPreview());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(prompter->allAnswered());
        EXPECT_EQ(pagesWhenStopped, 5);
        EXPECT_TRUE(layout->QuickRep1->pages()->isCancelled());
        EXPECT_LT(layout->QuickRep1->pages()->pageCount(), 10);
        EXPECT_TRUE(shown.isNull() || !shown->isVisible()) << "a stopped run closes its preview";
    }
    // The next run of the same window goes to its end.
    prompter->answerDialog([&](QDialog &dialog) {
        if (auto *preview = qobject_cast<kv::TfrmVRPreview *>(&dialog)) {
            waitUntilGenerated(*preview);
            preview->btnExit->click();
        }
        return 0;
    });
    EXPECT_TRUE(layout->ShowPreview());
    EXPECT_TRUE(layout->QuickRep1->pages()->isFinished());
}

TEST_P(Qipr07PreviewRunTest, ASecondRunOfTheWindowMakesTheSamePages)
{
    TfrmQipr07Fmt *layout = openLayout<TfrmQipr07Fmt>(ReportQuery{kType, {}});
    const PageTexts first = generatedFirst(*layout);
    EXPECT_EQ(firstDifference(generatedFirst(*layout), first), "");
}

// The count the preview numbers against is known before the pages exist; it
// must be the count every kind of run reaches.
TEST_P(Qipr07PreviewRunTest, PagesKnownInAdvanceAreThePagesEveryKindOfRunMakes)
{
    struct Kind {
        const char *name;
        ReportQuery query;
        bool halfPage;
        bool secondLayout;
    };
    const std::vector<Kind> kinds = {
        {"detailed", ReportQuery{kType, {}}, false, false},
        {"by warehouse", ReportQuery{kType, {}, true}, false, false},
        {"summary", ReportQuery{kType, {}, false, true}, false, true},
        {"summary by warehouse and lot", ReportQuery{kType, {}, false, true, true, true}, false, true},
    };
    for (const Kind &kind : kinds) {
        SCOPED_TRACE(kind.name);
        TfrmQipr07Fmt *layout = kind.secondLayout ? openLayout<kv::TfrmQipr07Fmt_1>(kind.query)
                                                  : openLayout<TfrmQipr07Fmt>(kind.query);
        if (kind.halfPage)
            layout->QuickRep1->setPageStyle(kv::Report::qrHalfPage);
        ASSERT_TRUE(layout->GeneratePages());
        const kv::PageStore &store = *layout->QuickRep1->pages();
        EXPECT_GT(store.pageCount(), 0);
        EXPECT_EQ(store.expectedPageCount(), store.pageCount());
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, Qipr07PreviewRunTest, testing::Values(slip::DbEngine::SQLite),
                         layoutdata::engineParamName);

} // namespace
