// What the pages look like and where they go: the page picture behind the
// fields, barcodes, printing into a PDF file read back by pdfinfo, printers
// chosen by index.
#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "platform/report/TQRImage.h"
#include "platform/report/TQRLabel.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPicture>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv;

namespace {

ResultTable codes(const std::vector<std::string> &values)
{
    ResultTable::Builder builder;
    builder.addColumn("CODE", FieldType::Text);
    for (const std::string &value : values) {
        builder.setText(0, value);
        builder.endRow();
    }
    return builder.finish();
}

// A report of one detail band per record on A4, at zoom 100.
struct OneBandReport {
    OneBandReport()
    {
        data = new ClientDataSet(&window);
        data->setObjectName("ClientDataSet1");
        report = new Report(&window);
        report->setObjectName("QuickRep1");
        report->setDataSet(data);
        report->page()->setPaperSize(PageSetup::A4);
        detail = new TQRBand(report);
        detail->setObjectName("Detail");
        detail->setHeight(120);
        text = new TQRLabel(detail);
        text->setObjectName("lblText");
        text->setCaption("text");
        text->setWidth(100);
        text->setHeight(15);
    }
    QObject window;
    ClientDataSet *data;
    Report *report;
    TQRBand *detail;
    TQRLabel *text;
};

// A picture of the whole page: a red block in its lower right quarter.
QByteArray redBlockSvg()
{
    return "<svg xmlns='http://www.w3.org/2000/svg' width='210mm' height='297mm' viewBox='0 0 210 297'>"
           "<rect x='105' y='150' width='100' height='140' fill='#ff0000'/></svg>";
}

QRgb pixelAtMm(const QImage &image, double xMm, double yMm, double dpi)
{
    return image.pixel(int(xMm / 25.4 * dpi), int(yMm / 25.4 * dpi));
}

} // namespace

TEST(ReportOutputTest, PagePictureIsDrawnBehindTheFieldsAndLeftOffPrePrintedPaper)
{
    OneBandReport one;
    one.data->setData(codes({"1"}));
    one.report->setPagePictureData(redBlockSvg());
    ASSERT_TRUE(one.report->prepare());
    const QImage page = one.report->pages()->renderImage(1, 50);
    EXPECT_EQ(pixelAtMm(page, 150, 200, 50), qRgb(255, 0, 0));
    EXPECT_EQ(pixelAtMm(page, 50, 100, 50), qRgb(255, 255, 255));

    // On paper that already carries the form, printing leaves the picture out.
    one.report->setPrintPicture(false);
    ASSERT_TRUE(one.report->prepare());
    QImage printed(page.size(), QImage::Format_RGB32);
    printed.fill(Qt::white);
    QPainter painter(&printed);
    painter.scale(50 / 254.0, 50 / 254.0);
    one.report->pages()->render(1, painter, true);
    painter.end();
    EXPECT_EQ(pixelAtMm(printed, 150, 200, 50), qRgb(255, 255, 255));
    EXPECT_EQ(pixelAtMm(one.report->pages()->renderImage(1, 50), 150, 200, 50), qRgb(255, 0, 0));
}

TEST(ReportOutputTest, HalfPagesShowThePictureOnBothForms)
{
    OneBandReport one;
    QImage blue(40, 40, QImage::Format_RGB32);
    blue.fill(qRgb(0, 0, 255));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(blue.save(&buffer, "PNG"));
    one.report->setPagePictureData(png);
    one.report->setPageStyle(Report::qrHalfPage);
    one.detail->setForceNewPage(true);
    one.data->setData(codes({"1", "2"}));
    ASSERT_TRUE(one.report->prepare());
    ASSERT_EQ(one.report->pages()->pageCount(), 1);
    const QImage page = one.report->pages()->renderImage(1, 30);
    EXPECT_EQ(pixelAtMm(page, 150, 50, 30), qRgb(0, 0, 255));  // upper half
    EXPECT_EQ(pixelAtMm(page, 150, 200, 30), qRgb(0, 0, 255)); // lower half

    EXPECT_THROW(one.report->setPagePictureData("neither svg nor image"), ReportError);
}

TEST(ReportOutputTest, ImagesAndFormsAreDrawnFromOneSharedPicture)
{
    OneBandReport one;
    auto *logo = new TQRImage(one.detail);
    logo->setObjectName("imgLogo");
    logo->setLeft(200);
    logo->setWidth(300);
    logo->setHeight(100);
    logo->setStretch(true);
    QImage green(600, 200, QImage::Format_RGB32);
    green.fill(qRgb(0, 160, 0));
    logo->setPicture(green);
    one.report->setPageStyle(Report::qrHalfPage);
    one.detail->setForceNewPage(true);
    one.data->setData(codes({"1", "2", "3"}));
    ASSERT_TRUE(one.report->prepare());
    PageStore &pages = *one.report->pages();
    ASSERT_EQ(pages.formCount(), 3);
    ASSERT_EQ(pages.pageCount(), 2);
    // Pages refer to the picture: 480,000 pixels would not fit in what they hold.
    EXPECT_LT(pages.memoryUsage(), 10000u);
    EXPECT_EQ(pages.pageOfForm(3), 2);
    EXPECT_EQ(pages.pageOfForm(4), 0);
    EXPECT_EQ(pages.formRect(2).top(), pages.pageSize().height() / 2);

    // Each form as a picture of its own: the image 10 mm below the form's top margin.
    const double dpi = 50;
    const QImage lower = pages.renderFormImage(2, dpi);
    EXPECT_EQ(lower.height(), qRound(pages.pageSize().height() / 2 * dpi / 254));
    EXPECT_EQ(pixelAtMm(lower, 100, 15, dpi), qRgb(0, 160, 0));
    EXPECT_EQ(pixelAtMm(pages.renderImage(2, dpi), 100, 15, dpi), qRgb(0, 160, 0));
    EXPECT_EQ(pixelAtMm(pages.renderImage(2, dpi), 100, 150 + 15, dpi), qRgb(255, 255, 255));

    // The page as a metafile draws the same.
    const QPicture metafile = pages.picture(1);
    QImage played(pages.renderImage(1, dpi).size(), QImage::Format_RGB32);
    played.fill(Qt::white);
    QPainter painter(&played);
    painter.scale(dpi / 254, dpi / 254);
    painter.drawPicture(0, 0, metafile);
    painter.end();
    EXPECT_EQ(pixelAtMm(played, 100, 150 + 15, dpi), qRgb(0, 160, 0));
}

TEST(ReportOutputTest, BarcodesAreDrawnAndInvalidCharactersGoThroughTheHandler)
{
    OneBandReport one;
    auto *barcode = new TKvQRDBBarcode(one.detail);
    barcode->setObjectName("bcCode");
    barcode->setDataSet(one.data);
    barcode->setDataField("CODE");
    barcode->setBarcodeType(TKvQRDBBarcode::bcCode39);
    barcode->setLeft(0);
    barcode->setTop(20);
    barcode->setWidth(300);
    barcode->setHeight(80);
    std::vector<std::string> invalid;
    barcode->setEventOnInvalidChar(EventHandler([&invalid](QObject *, EventArgs &args) {
        auto &bad = static_cast<BarcodeInvalidCharArgs &>(args);
        invalid.push_back(bad.character + "/" + std::to_string(bad.barcodeType));
        bad.replacement = "X";
    }));
    one.data->setData(codes({"ab-12"}));
    ASSERT_TRUE(one.report->prepare());
    EXPECT_EQ(invalid, (std::vector<std::string>{"a/3", "b/3"}));
    EXPECT_EQ(one.report->pages()->textsOf(1, "bcCode"), QStringList{"XX-12"});

    // Bars: many dark and light runs across the middle of the symbol.
    const double dpi = 150;
    const QImage page = one.report->pages()->renderImage(1, dpi);
    const double pxPerMm = dpi / 25.4;
    const int y = int((10 + (20 + 30) * 0.26458) * pxPerMm); // top margin + into the bars
    int changes = 0;
    bool dark = false;
    for (int x = int(10 * pxPerMm); x < int((10 + 300 * 0.26458) * pxPerMm); ++x) {
        const bool now = qGray(page.pixel(x, y)) < 128;
        changes += now != dark;
        dark = now;
    }
    EXPECT_GT(changes, 40);

    // Data the kind cannot take at all prints nothing, and says why.
    barcode->setBarcodeType(TKvQRDBBarcode::bcCodeEAN13);
    barcode->setEventOnInvalidChar({});
    one.data->setData(codes({"12345"}));
    ASSERT_TRUE(one.report->prepare());
    EXPECT_TRUE(one.report->pages()->textsOf(1, "bcCode").isEmpty());
    EXPECT_FALSE(barcode->lastError().isEmpty());
}

TEST(ReportOutputTest, PagesPrintIntoAPdfFileWithOnePagePerSheet)
{
    OneBandReport one;
    std::vector<std::string> values(14, "x");
    one.data->setData(codes(values));
    QTemporaryDir dir;
    const QString file = dir.filePath("slips.pdf");
    one.report->printToPdf(file);
    const int pages = one.report->pages()->pageCount();
    ASSERT_GT(pages, 1);
    ASSERT_TRUE(QFile::exists(file));
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {file});
    ASSERT_TRUE(pdfinfo.waitForFinished(30000));
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages)))) << info.toStdString();
    // A4 is 595 x 842 points.
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 84[12]")))
        << info.toStdString();

    EXPECT_THROW(one.report->pages()->printToPdf(dir.filePath("missing/dir/x.pdf")), ReportError);
}

TEST(ReportOutputTest, APrinterIndexBeyondTheInstalledPrintersIsRefused)
{
    OneBandReport one;
    one.data->setData(codes({"1"}));
    one.report->setPrinterIndex(1000);
    try {
        one.report->print();
        FAIL() << "printed on printer 1000";
    } catch (const ReportError &error) {
        EXPECT_NE(std::string(error.what()).find("1000"), std::string::npos);
    }
}
