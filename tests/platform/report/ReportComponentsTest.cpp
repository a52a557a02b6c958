// Paper, units and the printable components: where a text lands, what it
// prints, and the faults a layout can have.
#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRExpr.h"
#include "platform/report/TQRLabel.h"
#include "platform/report/TQRMemo.h"
#include "platform/report/ReportUnits.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QMetaProperty>
#include <QRawFont>
#include <QTextLayout>

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct Fixture {
    Fixture()
    {
        data = new ClientDataSet(&window);
        data->setObjectName("ClientDataSet1");
        ResultTable::Builder builder;
        builder.addColumn("TC009", FieldType::Text);
        builder.addColumn("TE005", FieldType::Float);
        builder.setText(0, "Y");
        builder.setNumber(1, 1234.5);
        builder.endRow();
        builder.setText(0, "Q");
        builder.setNumber(1, -0.125);
        builder.endRow();
        data->setData(builder.finish());
        report = new Report(&window);
        report->setDataSet(data);
        band = new TQRBand(report);
        band->setHeight(40);
        band->setWidth(500);
    }
    template <typename T>
    T *component(const char *name, int left = 0, int width = 100)
    {
        auto *item = new T(band);
        item->setObjectName(name);
        item->setLeft(left);
        item->setTop(5);
        item->setWidth(width);
        item->setHeight(15);
        return item;
    }
    std::vector<PageText> run()
    {
        EXPECT_TRUE(report->prepare());
        return report->pages()->texts(1);
    }
    PageText first(const char *name)
    {
        for (const PageText &text : run()) {
            if (text.component == name)
                return text;
        }
        return {};
    }
    QObject window;
    ClientDataSet *data;
    Report *report;
    TQRBand *band;
};

} // namespace

TEST(PageSetupTest, NamedPapersHaveTheirSizesAndOwnSizesMakeThePaperCustom)
{
    PageSetup page;
    EXPECT_EQ(page.paperSize(), PageSetup::Letter);
    EXPECT_EQ(page.sheetSize(), QSizeF(2159, 2794));
    page.setPaperSize(PageSetup::A4);
    EXPECT_EQ(page.sheetSize(), QSizeF(2100, 2970));
    page.setOrientation(PageSetup::poLandscape);
    EXPECT_EQ(page.sheetSize(), QSizeF(2970, 2100));
    page.setLength(2970); // the same length keeps the name
    EXPECT_EQ(page.paperSize(), PageSetup::A4);
    page.setLength(1400);
    EXPECT_EQ(page.paperSize(), PageSetup::Custom);
    page.setPaperSize(PageSetup::Default); // keeps what was set
    EXPECT_EQ(page.length(), 1400);
    EXPECT_EQ(PageSetup::paperName(27), "Custom");
    EXPECT_EQ(PageSetup::paperName(16), "qr10X14");
    EXPECT_TRUE(PageSetup::paperName(28).isEmpty());
}

TEST(PageSetupTest, ReportUnitsShowThePaperAndZoomKeepsSizesOnPaper)
{
    Report report;
    EXPECT_DOUBLE_EQ(report.toUnits(report.page()->length()), 279.4);
    report.setUnits(Report::Inches);
    EXPECT_DOUBLE_EQ(report.toUnits(report.page()->width(), Qt::Horizontal), 8.5);
    report.setUnits(Report::Characters);
    EXPECT_DOUBLE_EQ(report.toUnits(254, Qt::Horizontal), 10);
    EXPECT_DOUBLE_EQ(report.toUnits(254, Qt::Vertical), 6);

    // A band drawn 740 pixels wide at zoom 100 is 593 wide at zoom 80: the same paper width.
    report.setZoom(100);
    TQRBand band(&report);
    band.setWidth(740);
    const double onPaper = band.widthTenths();
    EXPECT_NEAR(onPaper, 1958, 1);
    report.setZoom(80);
    EXPECT_EQ(band.width(), 592);
    EXPECT_DOUBLE_EQ(band.widthTenths(), onPaper);
    report.setZoom(0); // refused: a zoom is a positive percentage
    EXPECT_EQ(report.zoom(), 80);
}

TEST(ReportComponentsTest, TextsArePlacedByAlignmentAutoSizeAndBand)
{
    Fixture f;
    auto *right = f.component<TQRLabel>("lblRight", 100, 200);
    right->setCaption("right");
    right->setAlignment(ReportText::taRightJustify);
    right->setAutoSize(true);
    auto *centred = f.component<TQRLabel>("lblCentred", 0, 100);
    centred->setCaption("centre");
    centred->setAlignment(ReportText::taCenter);
    centred->setAlignToBand(true);
    auto *hidden = f.component<TQRLabel>("lblHidden");
    hidden->setCaption("hidden");
    hidden->setVisible(false);
    auto *disabled = f.component<TQRLabel>("lblDisabled");
    disabled->setCaption("disabled");
    disabled->setEnabled(false);
    const std::vector<PageText> texts = f.run();
    const double margin = f.report->page()->leftMargin();
    for (const PageText &text : texts) {
        EXPECT_NE(text.component, "lblHidden");
        EXPECT_NE(text.component, "lblDisabled");
        if (text.component == "lblRight") {
            // Shrunk to the text, right edge kept.
            EXPECT_NEAR(text.rect.right(), margin + right->leftTenths() + right->widthTenths(), 0.01);
            EXPECT_LT(text.rect.width(), right->widthTenths() / 2);
        }
        if (text.component == "lblCentred") {
            EXPECT_NEAR(text.rect.center().x(), margin + f.band->widthTenths() / 2, 0.01);
        }
    }
    EXPECT_EQ(f.report->pages()->textsOf(1, "lblRight"), (QStringList{"right", "right"}));
}

TEST(ReportComponentsTest, DataTextsPrintCodesMasksAndWhatTheirHandlersMakeOfThem)
{
    Fixture f;
    auto *status = f.component<TKVQRDBText>("txtTC009");
    status->setDataSet(f.data);
    status->setDataField("TC009");
    status->setCodeList({"Y=已审核", "N=未审核", "V=作废"});
    auto *quantity = f.component<TKVQRDBText>("txtTE005", 200);
    quantity->setDataSet(f.data);
    quantity->setDataField("TE005");
    quantity->setMask("#,##0.00");
    auto *percent = f.component<TKVQRDBText>("txtPercent", 300);
    percent->setDataSet(f.data);
    percent->setDataField("TE005");
    percent->setEventOnPrint(EventHandler([](QObject *, EventArgs &args) {
        auto &print = static_cast<TextPrintArgs &>(args);
        print.value = std::to_string(int(std::stod(print.value) * 1000)) + "‰";
    }));
    f.run();
    PageStore &pages = *f.report->pages();
    EXPECT_EQ(pages.textsOf(1, "txtTC009"), (QStringList{"已审核", "Q"}));
    EXPECT_EQ(pages.textsOf(1, "txtTE005"), (QStringList{"1,234.50", "-0.13"}));
    EXPECT_EQ(pages.textsOf(1, "txtPercent"), (QStringList{"1234500‰", "-125‰"}));
    EXPECT_EQ(percent->printedText(), "-125‰");
}

TEST(ReportComponentsTest, AutoStretchGrowsTheBandAndReportsTheGrowth)
{
    Fixture f;
    auto *memo = f.component<TQRMemo>("memoNotes");
    memo->setLines({"first line", "second line", "third line"});
    memo->setAutoStretch(true);
    auto *below = new TQRBand(f.report);
    below->setBandType(TQRBand::rbSummary);
    below->setHeight(10);
    auto *end = new TQRLabel(below);
    end->setObjectName("lblEnd");
    end->setCaption("end");
    end->setWidth(50);
    end->setHeight(10);
    std::vector<int> stretches;
    f.band->setEventAfterPrint(EventHandler([&stretches](QObject *, EventArgs &args) {
        stretches.push_back(static_cast<BandAfterPrintArgs &>(args).stretchHeight);
    }));
    const std::vector<PageText> texts = f.run();
    ASSERT_EQ(stretches.size(), 2u);
    EXPECT_GT(stretches[0], 0);
    const PageText memoText = texts[0];
    EXPECT_EQ(memoText.text, "first line\nsecond line\nthird line");
    EXPECT_GT(memoText.rect.height(), memo->heightTenths());
    // The summary starts below both stretched bands.
    const double growth = memoText.rect.height() - memo->heightTenths();
    EXPECT_EQ(stretches[0], qRound(growth / f.band->tenthsPerPixel()));
    const double bandsHeight = 2 * (f.band->heightTenths() + growth);
    EXPECT_NEAR(texts.back().rect.top(), f.report->page()->topMargin() + bandsHeight, 0.01);
}

TEST(ReportComponentsTest, LayoutFaultsNameTheComponentAndStopTheRun)
{
    Fixture f;
    auto *missing = f.component<TQRDBText>("txtMissing");
    missing->setDataSet(f.data);
    missing->setDataField("NOPE");
    try {
        f.report->prepare();
        FAIL() << "printed a field that does not exist";
    } catch (const ReportError &error) {
        EXPECT_NE(std::string(error.what()).find("txtMissing"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("NOPE"), std::string::npos) << error.what();
    }
    missing->setEnabled(false); // a disabled field is not looked at
    auto *expression = f.component<TQRExpr>("exprBad");
    expression->setExpression("ClientDataSet1.TE005 +* 2");
    try {
        f.report->prepare();
        FAIL() << "printed a broken expression";
    } catch (const ReportError &error) {
        EXPECT_NE(std::string(error.what()).find("exprBad"), std::string::npos) << error.what();
    }
    expression->setExpression("ClientDataSet1.TE005 * 2");
    EXPECT_TRUE(f.report->prepare());
    EXPECT_EQ(f.report->pages()->textsOf(1, "exprBad"), (QStringList{"2469", "-0.25"}));
}

TEST(ReportComponentsTest, PropertiesAndEventsAreReachableByName)
{
    Fixture f;
    auto *label = f.component<TQRLabel>("lblName");
    ASSERT_TRUE(label->setProperty("Caption", "by name"));
    ASSERT_TRUE(label->setProperty("Alignment", "taRightJustify"));
    EXPECT_EQ(label->alignment(), ReportText::taRightJustify);
    ASSERT_TRUE(f.report->page()->setProperty("PaperSize", "A5"));
    EXPECT_EQ(f.report->page()->sheetSize(), QSizeF(1480, 2100));
    bool called = false;
    const EventHandler handler([&called](QObject *, EventArgs &) { called = true; });
    ASSERT_TRUE(f.band->setProperty("BeforePrint", QVariant::fromValue(handler)));
    f.run();
    EXPECT_TRUE(called);
    EXPECT_EQ(f.report->pages()->textsOf(1, "lblName").value(0), "by name");
    const QMetaObject *meta = f.report->metaObject();
    for (const char *name : {"PageStartBand", "PageDetailBand", "PageAttachDetailBand", "PageEndBand", "PageStyle",
                             "PrintIfEmpty", "Zoom", "Units", "OnStartPage", "Functions"})
        EXPECT_GE(meta->indexOfProperty(name), 0) << name;
}

// Chinese text in a field of a Latin face must keep that face's line box:
// a taller fallback pushes the baseline down and the field cuts the glyphs
// off. The font set-up links such text to the Song face, as Windows does.
TEST(ReportComponentsTest, ChineseTextInALatinFaceKeepsTheLineOfThatFace)
{
    const QString song = QRawFont::fromFont(QFont(QStringLiteral("宋体"))).familyName();
    for (const QString &family : {QStringLiteral("Arial"), QStringLiteral("Tahoma")}) {
        QFont latin = Report::defaultFont();
        latin.setFamily(family);
        const QFont font = report_units::pageFont(latin);
        QTextLayout layout(QStringLiteral("领料单 A-001 黄铜"), font);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        const QFontMetricsF metrics(font);
        EXPECT_LE(line.ascent(), metrics.ascent() + 0.01) << family.toStdString();
        EXPECT_LE(line.descent(), metrics.descent() + 0.01) << family.toStdString();
        QStringList faces;
        for (const QGlyphRun &run : layout.glyphRuns())
            faces << run.rawFont().familyName();
        EXPECT_TRUE(faces.contains(song)) << family.toStdString() << ": " << faces.join(", ").toStdString();
    }
}
