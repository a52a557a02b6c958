// The page store keeps texts and rectangles once a run: what a page reads
// back is exactly what was recorded, page after page, and a new run starts
// empty.

#include "platform/report/PageStore.h"
#include "platform/report/PageValuePools.h"

#include <QFont>

#include <gtest/gtest.h>

namespace {

TEST(PageValuePoolsTest, TextsAndRectanglesAreKeptOnceAndReadBackExactly)
{
    kv::TextPool texts;
    const std::uint32_t first = texts.intern(u"材料品号");
    EXPECT_EQ(texts.intern(u"材料品号"), first);
    const std::uint32_t empty = texts.intern(u"");
    EXPECT_NE(empty, first);
    EXPECT_EQ(texts.text(empty), QString());
    // Enough distinct texts to grow the index several times.
    std::vector<std::uint32_t> ids;
    for (int n = 0; n < 5000; ++n)
        ids.push_back(texts.intern(QString::number(n * 7919)));
    for (int n = 0; n < 5000; ++n) {
        EXPECT_EQ(texts.text(ids[std::size_t(n)]), QString::number(n * 7919));
        EXPECT_EQ(texts.intern(QString::number(n * 7919)), ids[std::size_t(n)]);
    }
    EXPECT_EQ(texts.text(first), QStringLiteral("材料品号"));

    kv::RectPool rects;
    const QRectF fraction(12.3456789, 1e-3, 31.75, 0.1);
    const std::uint32_t id = rects.intern(fraction);
    EXPECT_EQ(rects.intern(fraction), id);
    // Kept as floats, as the page store always kept its rectangles.
    EXPECT_EQ(rects.rect(id), QRectF(float(fraction.x()), float(fraction.y()), 31.75f, float(0.1)));
    EXPECT_NE(rects.intern(QRectF(-0.0, 0, 1, 1)), rects.intern(QRectF(0.0, 0, 1, 1)));
}

TEST(PageValuePoolsTest, PagesReadBackTheirOwnTextsAndPlacesAcrossRuns)
{
    kv::PageStore store;
    for (int run = 0; run < 2; ++run) {
        store.reset(QSizeF(2100, 2970), true);
        const int component = store.componentIndex(QStringLiteral("TE004"));
        const int style = store.textStyle(QFont(), QColor(Qt::transparent));
        for (int page = 1; page <= 3; ++page) {
            store.beginPage(page);
            store.addText(component, 0, QRectF(40, 14.5, 95, 14), 0, style, QStringLiteral("共同"));
            store.addText(component, 0, QRectF(40, 77.5 * page, 95, 14), 0, style,
                          QStringLiteral("run %1 page %2").arg(run).arg(page));
            store.addShape(kv::PageStore::ShapeKind::Line, 0, QRectF(0, 60, 740, 0), store.shapeStyle(QPen(), QBrush()));
            store.addText(component, 0, QRectF(40, 300, 95, 14), 0, style, QString());
            store.endPage(1);
        }
        store.finish(false);
        for (int page = 1; page <= 3; ++page) {
            const std::vector<kv::PageText> texts = store.texts(page);
            ASSERT_EQ(texts.size(), 3u);
            EXPECT_EQ(texts[0].text, QStringLiteral("共同"));
            EXPECT_EQ(texts[0].rect, QRectF(40, 14.5, 95, 14));
            EXPECT_EQ(texts[1].text, QStringLiteral("run %1 page %2").arg(run).arg(page));
            EXPECT_EQ(texts[1].rect, QRectF(40, 77.5 * page, 95, 14));
            EXPECT_EQ(texts[1].component, QStringLiteral("TE004"));
            EXPECT_EQ(texts[2].text, QString());
        }
    }
}

} // namespace
