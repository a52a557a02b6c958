// Page bitmaps of the picture export: a page drawn over the kept pixels of
// its page picture is pixel for pixel the page drawn in one go, for pages
// that share the picture, pages that place it elsewhere and pages that draw
// it after other items; the BMP rows are the bitmap's colours, and the
// RGB888 rows the picture writers take are Qt's conversion of every colour.

#include "platform/report/PagePicture.h"
#include "platform/report/PageStore.h"
#include "report/layout/PageBitmaps.h"

#include <QFont>
#include <QPainter>
#include <QtEndian>

#include <cstring>

#include <gtest/gtest.h>

namespace {

// A form with anti-aliased edges and a gradient: pixels that depend on
// what lies below them.
const char *kForm = R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="210" height="297" viewBox="0 0 210 297">
  <defs><linearGradient id="g"><stop offset="0" stop-color="#dde4f0"/><stop offset="1" stop-color="#ffffff"/></linearGradient></defs>
  <rect x="5.3" y="7.7" width="199.1" height="40.2" fill="url(#g)" stroke="#334" stroke-width="0.7"/>
  <circle cx="100.5" cy="150.25" r="33.3" fill="none" stroke="#a00" stroke-width="1.3"/>
  <path d="M10 280 L200 200" stroke="#060" stroke-width="0.9"/>
</svg>)svg";

const QSizeF kSheet(2100, 2970);

// The page drawn in one pass, as the export drew it before.
QImage onePass(const kv::PageStore &store, int page, QSize size, const QRect &target)
{
    QImage bitmap(size, QImage::Format_RGB16);
    bitmap.fill(Qt::white);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / kSheet.width(), target.height() / kSheet.height());
    store.render(page, painter);
    return bitmap;
}

class PageBitmapsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.reset(kSheet, false);
        picture = store.pictureStyle(kv::PagePicture::fromData(QByteArray(kForm)));
        text = store.textStyle(QFont(QStringLiteral("宋体"), 9), QColor(Qt::transparent));
        shape = store.shapeStyle(QPen(Qt::black, 3), QBrush(QColor(200, 30, 30, 128)));
    }
    void fields(int page)
    {
        store.addText(-1, 0, QRectF(150, 120 + 10 * page, 600, 40), Qt::AlignLeft, text,
                      QStringLiteral("领料单 %1").arg(page));
        store.addShape(kv::PageStore::ShapeKind::Rectangle, 0, QRectF(100, 100, 900, 300), shape);
    }

    kv::PageStore store;
    int picture = 0, text = 0, shape = 0;
};

TEST_F(PageBitmapsTest, PagesOverKeptPicturePixelsMatchOnePass)
{
    const QRectF whole(QPointF(0, 0), kSheet);
    for (int page = 1; page <= 5; ++page) {
        store.beginPage(page);
        if (page == 4) { // the picture after a field: drawn in one pass
            fields(page);
            store.addPicture(0, whole, picture);
        } else {
            // Page 3 moves the picture: its pixels are drawn anew.
            store.addPicture(0, page == 3 ? whole.translated(13.7, 21.1) : whole, picture);
            fields(page);
        }
        store.endPage(1);
    }
    store.finish(false);
    QObject window;
    kv::PageBitmaps &bitmaps = kv::PageBitmaps::of(window);
    EXPECT_EQ(&kv::PageBitmaps::of(window), &bitmaps);
    const QSize size(794, 1123);
    const QRect target(-19, -38, 794, 1123);
    for (int page : {1, 2, 3, 2, 4, 5}) {
        const QImage drawn = bitmaps.draw(&store, page, size, target);
        EXPECT_EQ(drawn, onePass(store, page, size, target)) << "page " << page;
    }
    // Another resolution of the same pages.
    const QSize large(1654, 2339);
    EXPECT_EQ(bitmaps.draw(&store, 2, large, QRect(QPoint(0, 0), large)),
              onePass(store, 2, large, QRect(QPoint(0, 0), large)));
    // A page the store does not have is white.
    const QImage blank = bitmaps.draw(&store, 9, size, target);
    EXPECT_EQ(blank.pixel(400, 500), qRgb(255, 255, 255));
}

TEST(PageBitmapsBmpTest, RowsAreTheBitmapColoursBottomUp)
{
    QImage bitmap(5, 3, QImage::Format_RGB16);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            bitmap.setPixel(x, y, qRgb(x * 60, y * 100 + x * 7, 255 - x * 50));
    const QByteArray bmp = kv::bmp16(bitmap);
    const int rowBytes = 12; // 5 pixels of two bytes, padded to four
    ASSERT_EQ(bmp.size(), 54 + rowBytes * 3);
    EXPECT_EQ(qFromLittleEndian<quint16>(bmp.constData() + 28), 16);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const QRgb colour = bitmap.pixel(x, y); // through eight bits a colour
            const quint16 expected = quint16((qRed(colour) >> 3) << 10 | (qGreen(colour) >> 3) << 5 | qBlue(colour) >> 3);
            const char *cell = bmp.constData() + 54 + (2 - y) * rowBytes + 2 * x;
            EXPECT_EQ(qFromLittleEndian<quint16>(cell), expected) << x << "," << y;
        }
    }
    // Read back by Qt's own BMP reader.
    QImage read;
    ASSERT_TRUE(read.loadFromData(bmp, "BMP"));
    EXPECT_EQ(read.size(), QSize(5, 3));
}

TEST(PageBitmapsRgbTest, EveryColourConvertsAsQtConvertsIt)
{
    // All 65,536 colours of the layout's bitmap, on rows of an odd width
    // (RGB888 rows are then padded).
    QImage bitmap(257, 256, QImage::Format_RGB16);
    bitmap.fill(Qt::white);
    for (int colour = 0; colour < 65536; ++colour)
        reinterpret_cast<quint16 *>(bitmap.scanLine(colour / 257))[colour % 257] = quint16(colour);
    const QImage expected = bitmap.convertToFormat(QImage::Format_RGB888);
    const QImage converted = kv::rgb888(bitmap);
    ASSERT_EQ(converted.format(), QImage::Format_RGB888);
    ASSERT_EQ(converted.size(), bitmap.size());
    for (int y = 0; y < bitmap.height(); ++y)
        ASSERT_EQ(std::memcmp(converted.constScanLine(y), expected.constScanLine(y), 3 * 257), 0) << "row " << y;
    // Other formats go through Qt.
    const QImage argb = bitmap.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(kv::rgb888(argb), argb.convertToFormat(QImage::Format_RGB888));
}

} // namespace
