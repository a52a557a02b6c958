#pragma once
// kv::PageBitmaps: the bitmaps a layout window draws its pages on when it
// writes them as picture files (the layout's 16-bit colour bitmap), and what
// it keeps from one picture to the next of a conversion: the pixels of the
// page pictures behind the fields (drawn once for a run of pages that show
// the same ones at the same place), and the picture library, loaded once.
//
// One lives as a child of each layout window (of()), so that it goes with
// the window.

#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <memory>
#include <string>
#include <vector>

namespace kv {

class PagePicture;
class PageStore;

class PageBitmaps : public QObject {
    Q_OBJECT

public:
    explicit PageBitmaps(QObject *owner);
    ~PageBitmaps() override;

    static PageBitmaps &of(QObject &owner);

    // Stored page `page` of `store` on a white bitmap of `size`, the sheet
    // landing on `target`; a page the store does not have stays blank.
    QImage draw(const PageStore *store, int page, QSize size, const QRect &target);

    // The shared library at path, loaded on first use and kept until the
    // window goes; null when it cannot be loaded (errno tells why).
    void *library(const std::string &path);

private:
    struct Backdrop {
        std::vector<std::shared_ptr<const PagePicture>> pictures;
        std::vector<QRectF> rects;
        QSize size;
        QRect target;
        QSizeF sheet;
        QImage pixels;
    };

    Backdrop backdropFor(const PageStore &store, int page, QSize size, const QRect &target) const;
    bool sameBackdrop(const Backdrop &wanted) const;

    Backdrop m_backdrop;
    std::string m_libraryPath;
    void *m_library = nullptr;
};

// A 16-bit colour BMP (5 bits each of red, green and blue, rows bottom-up,
// padded to four bytes) of a bitmap of the layout's format (RGB16).
QByteArray bmp16(const QImage &bitmap);

// count pixels of the layout's format (RGB16) as three bytes each, red,
// green, blue, exactly as QImage converts them to RGB888 (each part's top
// bits repeated into its low bits), without going through 32 bits a pixel.
void rgb16ToRgb888(const quint16 *pixels, int count, uchar *rgb);
// The bitmap as RGB888, the rows the picture writers take.
QImage rgb888(const QImage &bitmap);

} // namespace kv
