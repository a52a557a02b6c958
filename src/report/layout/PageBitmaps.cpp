#include "report/layout/PageBitmaps.h"

#include "platform/report/PageStore.h"

#include <QPainter>
#include <QtEndian>

#include <dlfcn.h>

namespace kv {

namespace {

constexpr const char *kObjectName = "pageBitmaps";

// The painter of a page bitmap: the sheet scaled onto its target, with the
// hints the layout's bitmap is drawn with.
void preparePainter(QPainter &painter, const QRect &target, QSizeF sheet)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / sheet.width(), target.height() / sheet.height());
}

} // namespace

PageBitmaps::PageBitmaps(QObject *owner) : QObject(owner)
{
    setObjectName(QLatin1String(kObjectName));
}

PageBitmaps::~PageBitmaps()
{
    if (m_library)
        dlclose(m_library);
}

PageBitmaps &PageBitmaps::of(QObject &owner)
{
    if (auto *found = owner.findChild<PageBitmaps *>(QLatin1String(kObjectName), Qt::FindDirectChildrenOnly))
        return *found;
    return *new PageBitmaps(&owner);
}

PageBitmaps::Backdrop PageBitmaps::backdropFor(const PageStore &store, int page, QSize size,
                                               const QRect &target) const
{
    Backdrop backdrop;
    for (const PageStore::PlacedPicture &placed : store.leadingPictures(page)) {
        backdrop.pictures.push_back(store.pagePicture(placed.style));
        backdrop.rects.push_back(placed.rect);
    }
    backdrop.size = size;
    backdrop.target = target;
    backdrop.sheet = store.pageSize();
    return backdrop;
}

bool PageBitmaps::sameBackdrop(const Backdrop &wanted) const
{
    return !m_backdrop.pixels.isNull() && m_backdrop.pictures == wanted.pictures && m_backdrop.rects == wanted.rects &&
           m_backdrop.size == wanted.size && m_backdrop.target == wanted.target && m_backdrop.sheet == wanted.sheet;
}

QImage PageBitmaps::draw(const PageStore *store, int page, QSize size, const QRect &target)
{
    QImage bitmap(size, QImage::Format_RGB16);
    bitmap.fill(Qt::white);
    if (bitmap.isNull() || !store || page < 1 || page > store->pageCount())
        return bitmap;
    Backdrop wanted = backdropFor(*store, page, size, target);
    if (wanted.pictures.empty()) {
        QPainter painter(&bitmap);
        preparePainter(painter, target, wanted.sheet);
        store->render(page, painter);
        return bitmap;
    }
    // The pictures come first on the page: their pixels on white are the
    // same on every page that shows them at the same place, and the fields
    // are drawn over a copy of them as they would be over the pictures.
    if (!sameBackdrop(wanted)) {
        QPainter painter(&bitmap);
        preparePainter(painter, target, wanted.sheet);
        store->renderPictures(page, painter);
        painter.end();
        wanted.pixels = bitmap;
        m_backdrop = std::move(wanted);
    }
    bitmap = m_backdrop.pixels.copy();
    QPainter painter(&bitmap);
    preparePainter(painter, target, m_backdrop.sheet);
    store->renderWithoutPictures(page, painter);
    return bitmap;
}

void *PageBitmaps::library(const std::string &path)
{
    if (m_library && m_libraryPath == path)
        return m_library;
    void *loaded = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!loaded)
        return nullptr;
    if (m_library)
        dlclose(m_library);
    m_library = loaded;
    m_libraryPath = path;
    return m_library;
}

QByteArray bmp16(const QImage &image)
{
    const QImage bitmap = image.format() == QImage::Format_RGB16 ? image : image.convertToFormat(QImage::Format_RGB16);
    const int rowBytes = (bitmap.width() * 2 + 3) & ~3;
    const quint32 dataSize = quint32(rowBytes) * quint32(bitmap.height());
    QByteArray bytes(54 + int(dataSize), '\0');
    auto *d = reinterpret_cast<uchar *>(bytes.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(54 + dataSize, d + 2);
    qToLittleEndian<quint32>(54, d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(bitmap.width(), d + 18);
    qToLittleEndian<qint32>(bitmap.height(), d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(16, d + 28);
    qToLittleEndian<quint32>(dataSize, d + 34);
    qToLittleEndian<qint32>(3780, d + 38); // 96 dpi in pixels per metre
    qToLittleEndian<qint32>(3780, d + 42);
    // 5-6-5 bits to 5-5-5: green loses its lowest bit, as it would through
    // eight bits a colour.
    for (int y = 0; y < bitmap.height(); ++y) {
        const auto *src = reinterpret_cast<const quint16 *>(bitmap.constScanLine(y));
        uchar *dst = d + 54 + std::size_t(bitmap.height() - 1 - y) * std::size_t(rowBytes);
        for (int x = 0; x < bitmap.width(); ++x) {
            const quint16 p = src[x];
            qToLittleEndian<quint16>(quint16((p >> 11) << 10 | ((p >> 6) & 0x1F) << 5 | (p & 0x1F)), dst + 2 * x);
        }
    }
    return bytes;
}

void rgb16ToRgb888(const quint16 *pixels, int count, uchar *rgb)
{
    for (int x = 0; x < count; ++x, rgb += 3) {
        const unsigned p = pixels[x];
        const unsigned red = p >> 11;
        const unsigned green = (p >> 5) & 0x3F;
        const unsigned blue = p & 0x1F;
        rgb[0] = uchar(red << 3 | red >> 2);
        rgb[1] = uchar(green << 2 | green >> 4);
        rgb[2] = uchar(blue << 3 | blue >> 2);
    }
}

QImage rgb888(const QImage &bitmap)
{
    if (bitmap.format() != QImage::Format_RGB16)
        return bitmap.convertToFormat(QImage::Format_RGB888);
    QImage rgb(bitmap.size(), QImage::Format_RGB888);
    if (rgb.isNull())
        return rgb;
    for (int y = 0; y < bitmap.height(); ++y)
        rgb16ToRgb888(reinterpret_cast<const quint16 *>(bitmap.constScanLine(y)), bitmap.width(), rgb.scanLine(y));
    return rgb;
}

} // namespace kv
