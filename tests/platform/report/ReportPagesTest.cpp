// Page layout of a run, checked on the recorded page texts: a slip layout
// with the page bands (group header again on every page, attached footer,
// end band, lines that no longer fit moving on), half pages, the ordinary
// banded flow, and cancelling.
#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRDBText.h"
#include "platform/report/TQRExpr.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using namespace kv;

namespace {

// Slips as (slip number, line count); every line has an item text, long ones
// where asked.
ResultTable slipLines(const std::vector<std::pair<std::string, int>> &slips, const std::set<int> &longLines = {})
{
    ResultTable::Builder builder;
    builder.addColumn("SLIP", FieldType::Text);
    builder.addColumn("ITEM", FieldType::Text);
    int row = 0;
    for (const auto &[slip, count] : slips) {
        for (int line = 1; line <= count; ++line, ++row) {
            builder.setText(0, slip);
            const std::string item = slip + "-" + std::to_string(line);
            builder.setText(1, longLines.count(row) ? item + " with a description far too long for one line of the box"
                                                    : item);
            builder.endRow();
        }
    }
    return builder.finish();
}

template <typename T>
T *add(QObject *parent, const char *name)
{
    auto *object = new T(parent);
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

TQRLabel *label(TQRBand *band, const char *name, int left, int top, int width = 60, int height = 12)
{
    auto *item = add<TQRLabel>(band, name);
    item->setLeft(left);
    item->setTop(top);
    item->setWidth(width);
    item->setHeight(height);
    item->setCaption(QString::fromLatin1(name));
    return item;
}

// A slip layout as the standard slip window builds it: header (page start
// band), numbered lines, attached footer and sign-off band, page numbers per
// slip from a pre-pass, lines pushed to the next page when the footer no
// longer fits.
class SlipLayout {
public:
    static constexpr int kLine = 20;
    static constexpr int kRowsPerPage = 10;

    explicit SlipLayout(Report::TQRPageStyle style = Report::qrFullPage)
    {
        data = add<ClientDataSet>(&window, "ClientDataSet1");
        report = add<Report>(&window, "QuickRep1");
        report->setDataSet(data);
        report->setPageStyle(style);
        header = add<TQRGroup>(report, "QRGroup");
        header->setHeight(60);
        header->setExpression("ClientDataSet1.SLIP");
        detail = add<TQRBand>(report, "QRDetailBand");
        detail->setHeight(kLine);
        footer = add<TQRBand>(report, "QRGroupFooter");
        footer->setBandType(TQRBand::rbGroupFooter);
        footer->setHeight(kLine * (kRowsPerPage - 1));
        header->setFooterBand(footer);
        signOff = add<TQRChildBand>(report, "GroupFooterChildBand");
        signOff->setParentBand(footer);
        signOff->setHeight(40);
        report->setPageStartBand(header);
        report->setPageDetailBand(detail);
        report->setPageAttachDetailBand(footer);
        report->setPageEndBand(signOff);

        pageNo = label(header, "lblPageNo", 400, 10);
        totalPage = label(header, "lblTotalPage", 480, 10);
        seq = label(detail, "lblSeq", 5, 4, 40);
        item = add<TQRDBText>(detail, "txtItem");
        item->setDataSet(data);
        item->setDataField("ITEM");
        item->setLeft(60);
        item->setTop(4);
        item->setWidth(200);
        item->setHeight(12);
        noData = label(footer, "lblNoData", 40, 4);
        nextPage = label(signOff, "lblNextPage", 500, 24);
        signIn = label(signOff, "lblSignIn1", 10, 4);
        bindHandlers();
    }

    void run(const ResultTable &table)
    {
        data->setData(table);
        ASSERT_TRUE(report->prepare());
    }
    PageStore &pages() { return *report->pages(); }
    QStringList texts(int page, const char *component) { return pages().textsOf(page, component); }

    QObject window;
    ClientDataSet *data;
    Report *report;
    TQRGroup *header;
    TQRBand *detail, *footer;
    TQRChildBand *signOff;
    TQRLabel *pageNo, *totalPage, *seq, *noData, *nextPage, *signIn;
    TQRDBText *item;
    bool signInEveryPage = false;

private:
    void bindHandlers()
    {
        report->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) { prePass(); }));
        header->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) { onHeader(); }));
        detail->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &args) { onLine(args); }));
        detail->setEventAfterPrint(EventHandler([this](QObject *, EventArgs &args) {
            footer->setHeight(footer->height() - static_cast<BandAfterPrintArgs &>(args).stretchHeight);
        }));
        footer->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) { onFooter(); }));
    }
    QString slipKey() const { return QString::fromStdString(data->FieldByName("SLIP").AsString()); }
    void prePass()
    {
        counts.clear();
        for (data->First(); !data->Eof(); data->Next())
            ++counts[slipKey()];
        rowsPerPage = footer->height() / detail->height() + 1;
        current.clear();
    }
    void onHeader()
    {
        if (slipKey() != current) {
            current = slipKey();
            slipRow = 0;
            slipPage = 1;
            slipRows = counts[current];
            slipPages = (slipRows + rowsPerPage - 1) / rowsPerPage;
        } else {
            ++slipPage;
        }
        pageNo->setCaption(QString::number(slipPage));
        totalPage->setCaption(QString::number(slipPages));
        noData->setEnabled(true);
    }
    void onLine(EventArgs &args)
    {
        if (footer->height() >= 0 || slipRow <= 1) {
            ++slipRow;
        } else {
            static_cast<BandPrintArgs &>(args).printBand = false;
            footer->setHeight(footer->height() + detail->height());
            data->Prior();
        }
        seq->setCaption(QStringLiteral("%1").arg(slipRow, 4, 10, QLatin1Char('0')));
    }
    void onFooter()
    {
        if (footer->height() < detail->height())
            noData->setEnabled(false);
        if (slipPage == slipPages && slipRows != slipRow)
            ++slipPages;
        nextPage->setEnabled(slipPage != slipPages);
        signIn->setEnabled(signInEveryPage || slipPage == slipPages);
    }

    std::map<QString, int> counts;
    QString current;
    int rowsPerPage = 1, slipRow = 0, slipPage = 0, slipRows = 0, slipPages = 0;
};

QStringList sequence(int from, int to)
{
    QStringList numbers;
    for (int n = from; n <= to; ++n)
        numbers << QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
    return numbers;
}

double topOf(PageStore &pages, int page, const QString &component)
{
    for (const PageText &text : pages.texts(page)) {
        if (text.component == component)
            return text.rect.top();
    }
    return -1;
}

} // namespace

TEST(SlipPagesTest, SlipNumbersItsPagesAndLinesAndMovesLinesThatNoLongerFit)
{
    SlipLayout slip;
    slip.run(slipLines({{"A", 25}, {"B", 3}}));
    ASSERT_EQ(slip.pages().pageCount(), 4);

    const QStringList expectedNo = {"1", "2", "3", "1"};
    const QStringList expectedTotal = {"3", "3", "3", "1"};
    for (int page = 1; page <= 4; ++page) {
        EXPECT_EQ(slip.texts(page, "lblPageNo"), QStringList{expectedNo[page - 1]}) << page;
        EXPECT_EQ(slip.texts(page, "lblTotalPage"), QStringList{expectedTotal[page - 1]}) << page;
    }
    EXPECT_EQ(slip.texts(1, "lblSeq"), sequence(1, 10));
    EXPECT_EQ(slip.texts(2, "lblSeq"), sequence(11, 20));
    EXPECT_EQ(slip.texts(3, "lblSeq"), sequence(21, 25));
    EXPECT_EQ(slip.texts(4, "lblSeq"), sequence(1, 3));
    // The line that did not fit on page 1 is the first one of page 2, printed once.
    EXPECT_EQ(slip.texts(2, "txtItem").first(), "A-11");
    EXPECT_EQ(slip.texts(1, "txtItem").last(), "A-10");

    // Continued mark on every page but a slip's last, sign-off on the last only.
    EXPECT_EQ(slip.texts(1, "lblNextPage").size(), 1);
    EXPECT_EQ(slip.texts(2, "lblNextPage").size(), 1);
    EXPECT_TRUE(slip.texts(3, "lblNextPage").isEmpty());
    EXPECT_TRUE(slip.texts(4, "lblNextPage").isEmpty());
    EXPECT_TRUE(slip.texts(1, "lblSignIn1").isEmpty());
    EXPECT_EQ(slip.texts(3, "lblSignIn1").size(), 1);
    EXPECT_EQ(slip.texts(4, "lblSignIn1").size(), 1);
    EXPECT_EQ(slip.pages().formCount(), 4);
    // Handlers changed the footer's height; the run gives the design back.
    EXPECT_EQ(slip.footer->height(), SlipLayout::kLine * (SlipLayout::kRowsPerPage - 1));
}

TEST(SlipPagesTest, FooterTakesTheRestSoTheEndBandStaysInPlaceAndMarksOnlyFreeRoom)
{
    SlipLayout slip;
    slip.signInEveryPage = true;
    slip.run(slipLines({{"A", 25}, {"B", 10}, {"C", 1}}));
    ASSERT_EQ(slip.pages().pageCount(), 5);
    // The sign-off band sits at the same height below full and short pages alike,
    // below the last line.
    const double endBand = topOf(slip.pages(), 1, "lblSignIn1");
    for (int page = 2; page <= 5; ++page)
        EXPECT_DOUBLE_EQ(topOf(slip.pages(), page, "lblSignIn1"), endBand) << page;
    EXPECT_GT(endBand, slip.pages().texts(1).back().rect.top() - 1);
    for (const PageText &text : slip.pages().texts(1)) {
        if (text.component == "lblSeq") {
            EXPECT_LT(text.rect.top(), endBand);
        }
    }
    // "Blank below" only where room is left: not on full pages (slip A page 1,
    // the ten lines of B), on the part page of A and below C's single line.
    EXPECT_TRUE(slip.texts(1, "lblNoData").isEmpty());
    EXPECT_EQ(slip.texts(3, "lblNoData").size(), 1);
    EXPECT_TRUE(slip.texts(4, "lblNoData").isEmpty());
    EXPECT_EQ(slip.texts(5, "lblNoData").size(), 1);
}

TEST(SlipPagesTest, StretchedLinesPushTheSlipOntoAPageTheCountDidNotForesee)
{
    SlipLayout slip;
    slip.item->setAutoStretch(true);
    // Ten lines fit a page by the count; one of them needs a second line of text.
    slip.run(slipLines({{"A", 10}}, {3}));
    ASSERT_EQ(slip.pages().pageCount(), 2);
    EXPECT_EQ(slip.texts(1, "lblPageNo"), QStringList{"1"});
    EXPECT_EQ(slip.texts(1, "lblTotalPage"), QStringList{"1"});
    // From the extra page on the total is corrected.
    EXPECT_EQ(slip.texts(2, "lblPageNo"), QStringList{"2"});
    EXPECT_EQ(slip.texts(2, "lblTotalPage"), QStringList{"2"});
    // The stretched line took the room of the last line(s), which follow on page 2.
    const int onFirst = int(slip.texts(1, "lblSeq").size());
    EXPECT_LT(onFirst, 10);
    EXPECT_EQ(slip.texts(1, "lblSeq"), sequence(1, onFirst));
    EXPECT_EQ(slip.texts(2, "lblSeq"), sequence(onFirst + 1, 10));
    // The stretched text occupies more than one line's height.
    for (const PageText &text : slip.pages().texts(1)) {
        if (text.text.startsWith("A-4 ")) {
            EXPECT_GT(text.rect.height(), slip.item->heightTenths() * 1.5);
        }
    }
}

TEST(SlipPagesTest, HalfPagesPutTwoFormsOnEverySheet)
{
    SlipLayout slip(Report::qrHalfPage);
    slip.run(slipLines({{"A", 25}, {"B", 3}}));
    ASSERT_EQ(slip.pages().formCount(), 4);
    ASSERT_EQ(slip.pages().pageCount(), 2);
    EXPECT_EQ(slip.texts(1, "lblPageNo"), (QStringList{"1", "2"}));
    EXPECT_EQ(slip.texts(2, "lblPageNo"), (QStringList{"3", "1"}));
    EXPECT_EQ(slip.texts(2, "lblTotalPage"), (QStringList{"3", "1"}));
    // The lower form is the upper one moved down by half the sheet.
    const std::vector<PageText> texts = slip.pages().texts(1);
    std::vector<double> headerTops;
    for (const PageText &text : texts) {
        if (text.component == "lblPageNo") {
            headerTops.push_back(text.rect.top());
            EXPECT_EQ(text.form, int(headerTops.size()));
        }
    }
    ASSERT_EQ(headerTops.size(), 2u);
    EXPECT_NEAR(headerTops[1] - headerTops[0], slip.pages().pageSize().height() / 2, 0.01);
}

TEST(SlipPagesTest, AFormTooSmallForOneLineIsAnErrorNotAnEndlessRun)
{
    SlipLayout slip;
    slip.report->page()->setPaperSize(PageSetup::Custom);
    slip.report->page()->setLength(400); // 40 mm: header and end band leave no room for a line
    slip.data->setData(slipLines({{"A", 3}}));
    EXPECT_THROW(slip.report->prepare(), ReportError);
    EXPECT_FALSE(slip.report->isGenerating());
    EXPECT_EQ(slip.footer->height(), SlipLayout::kLine * (SlipLayout::kRowsPerPage - 1));
}

TEST(SlipPagesTest, CancelStopsTheRunAfterThePageInProgress)
{
    SlipLayout slip;
    std::vector<std::pair<std::string, int>> slips;
    for (int n = 0; n < 50; ++n)
        slips.emplace_back("S" + std::to_string(n), 5);
    slip.data->setData(slipLines(slips));
    QObject::connect(&slip.pages(), &PageStore::pageAvailable, [&slip](int page) {
        if (page == 3)
            slip.report->cancel();
    });
    EXPECT_FALSE(slip.report->prepare());
    EXPECT_TRUE(slip.pages().isCancelled());
    EXPECT_FALSE(slip.pages().isFinished());
    EXPECT_EQ(slip.pages().pageCount(), 3);
    // A new run starts afresh.
    QObject::disconnect(&slip.pages(), nullptr, nullptr, nullptr);
    EXPECT_TRUE(slip.report->prepare());
    EXPECT_EQ(slip.pages().pageCount(), 50);
}

// ---------------------------------------------------------------- the ordinary flow

namespace {

ResultTable orders(int count)
{
    ResultTable::Builder builder;
    builder.addColumn("CUSTOMER", FieldType::Text);
    builder.addColumn("QTY", FieldType::Integer);
    for (int n = 0; n < count; ++n) {
        builder.setText(0, n < count / 2 ? "North" : "South");
        builder.setInteger(1, n + 1);
        builder.endRow();
    }
    return builder.finish();
}

struct FlowReport {
    FlowReport()
    {
        data = add<ClientDataSet>(&window, "Orders");
        report = add<Report>(&window, "Report");
        report->setDataSet(data);
        report->setReportTitle("Orders by customer");
        report->page()->setPaperSize(PageSetup::A5);
        auto *title = add<TQRBand>(report, "Title");
        title->setBandType(TQRBand::rbTitle);
        title->setHeight(30);
        auto *titleText = add<TQRExpr>(title, "exprTitle");
        titleText->setExpression("REPORTTITLE");
        titleText->setWidth(300);
        titleText->setHeight(20);
        auto *pageHeader = add<TQRBand>(report, "PageHeader");
        pageHeader->setBandType(TQRBand::rbPageHeader);
        pageHeader->setHeight(20);
        label(pageHeader, "lblHead", 0, 0);
        group = add<TQRGroup>(report, "GroupCustomer");
        group->setExpression("Orders.CUSTOMER");
        group->setHeight(20);
        auto *customer = add<TQRDBText>(group, "txtCustomer");
        customer->setDataSet(data);
        customer->setDataField("CUSTOMER");
        customer->setWidth(100);
        customer->setHeight(15);
        detail = add<TQRBand>(report, "Detail");
        detail->setHeight(20);
        auto *qty = add<TQRDBText>(detail, "txtQty");
        qty->setDataSet(data);
        qty->setDataField("QTY");
        qty->setWidth(60);
        qty->setHeight(15);
        auto *groupFooter = add<TQRBand>(report, "GroupFooter");
        groupFooter->setBandType(TQRBand::rbGroupFooter);
        groupFooter->setHeight(20);
        group->setFooterBand(groupFooter);
        auto *lastQty = add<TQRDBText>(groupFooter, "txtLastQty");
        lastQty->setDataSet(data);
        lastQty->setDataField("QTY");
        lastQty->setWidth(60);
        lastQty->setHeight(15);
        auto *footerChild = add<TQRChildBand>(report, "GroupFooterChild");
        footerChild->setParentBand(groupFooter);
        footerChild->setHeight(20);
        label(footerChild, "lblRule", 0, 0);
        auto *pageFooter = add<TQRBand>(report, "PageFooter");
        pageFooter->setBandType(TQRBand::rbPageFooter);
        pageFooter->setHeight(20);
        auto *pageNumber = add<TQRExpr>(pageFooter, "exprPage");
        pageNumber->setExpression("'Page ' + STR(PAGENUMBER)");
        pageNumber->setWidth(100);
        pageNumber->setHeight(15);
        auto *summary = add<TQRBand>(report, "Summary");
        summary->setBandType(TQRBand::rbSummary);
        summary->setHeight(20);
        label(summary, "lblEnd", 0, 0);
    }
    QStringList all(const char *component)
    {
        QStringList texts;
        for (int page = 1; page <= report->pages()->pageCount(); ++page)
            texts << report->pages()->textsOf(page, component);
        return texts;
    }

    QObject window;
    ClientDataSet *data;
    Report *report;
    TQRGroup *group;
    TQRBand *detail;
};

} // namespace

TEST(FlowPagesTest, BandsFollowTheRecordsAcrossPages)
{
    FlowReport flow;
    flow.data->setData(orders(60));
    ASSERT_TRUE(flow.report->prepare());
    PageStore &pages = *flow.report->pages();
    ASSERT_GE(pages.pageCount(), 2);
    EXPECT_EQ(flow.all("exprTitle"), QStringList{"Orders by customer"});
    EXPECT_EQ(pages.textsOf(1, "exprTitle").size(), 1);
    EXPECT_EQ(flow.all("lblHead").size(), pages.pageCount());
    QStringList numbers;
    for (int page = 1; page <= pages.pageCount(); ++page)
        numbers << QStringLiteral("Page %1").arg(page);
    EXPECT_EQ(flow.all("exprPage"), numbers);
    // Every record once, in order, whatever page it landed on.
    QStringList quantities;
    for (int n = 1; n <= 60; ++n)
        quantities << QString::number(n);
    EXPECT_EQ(flow.all("txtQty"), quantities);
    // Headers when the customer changes, footers with the group's last record.
    EXPECT_EQ(flow.all("txtCustomer"), (QStringList{"North", "South"}));
    EXPECT_EQ(flow.all("txtLastQty"), (QStringList{"30", "60"}));
    EXPECT_EQ(flow.all("lblRule").size(), 2);
    EXPECT_EQ(flow.all("lblEnd").size(), 1);
    EXPECT_EQ(pages.textsOf(pages.pageCount(), "lblEnd").size(), 1);
    // No band reaches into the page footer.
    for (int page = 1; page <= pages.pageCount(); ++page) {
        const double footerTop = topOf(pages, page, "exprPage");
        for (const PageText &text : pages.texts(page)) {
            if (text.component != "exprPage") {
                EXPECT_LE(text.rect.top(), footerTop) << text.component.toStdString();
            }
        }
    }
}

TEST(FlowPagesTest, HandlersLeaveBandsOutAndAnEmptyDataSetFollowsPrintIfEmpty)
{
    FlowReport flow;
    flow.data->setData(orders(10));
    flow.detail->setEventBeforePrint(EventHandler([&flow](QObject *, EventArgs &args) {
        static_cast<BandPrintArgs &>(args).printBand = flow.data->FieldByName("QTY").AsInteger() % 2 == 0;
    }));
    ASSERT_TRUE(flow.report->prepare());
    EXPECT_EQ(flow.all("txtQty"), (QStringList{"2", "4", "6", "8", "10"}));

    flow.data->setData(orders(0));
    flow.report->setPrintIfEmpty(false);
    ASSERT_TRUE(flow.report->prepare());
    EXPECT_EQ(flow.report->pages()->pageCount(), 0);
    flow.report->setPrintIfEmpty(true);
    ASSERT_TRUE(flow.report->prepare());
    EXPECT_EQ(flow.report->pages()->pageCount(), 1);
    EXPECT_EQ(flow.all("lblEnd").size(), 1);
    EXPECT_TRUE(flow.all("txtCustomer").isEmpty());
}

TEST(FlowPagesTest, DetailBandsFillColumnsBeforeTheNextPage)
{
    FlowReport flow;
    flow.report->page()->setColumns(2);
    flow.report->page()->setColumnSpace(50);
    flow.data->setData(orders(60));
    ASSERT_TRUE(flow.report->prepare());
    const std::vector<PageText> texts = flow.report->pages()->texts(1);
    std::vector<double> lefts;
    for (const PageText &text : texts) {
        if (text.component == "txtQty" && std::find(lefts.begin(), lefts.end(), text.rect.left()) == lefts.end())
            lefts.push_back(text.rect.left());
    }
    ASSERT_EQ(lefts.size(), 2u);
    const PageSetup &page = *flow.report->page();
    const double columnWidth = (page.width() - page.leftMargin() - page.rightMargin() - 50) / 2;
    EXPECT_NEAR(lefts[1] - lefts[0], columnWidth + 50, 0.01);
}
