#pragma once
// kv::PagePicture: the picture printed behind the fields of every form of a
// report (a pre-printed slip form), SVG or any raster format Qt reads (PNG).
// One picture is shared by every page that shows it: pages keep a reference,
// never a copy, and draw it when they are shown or printed.

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QString>

#include <memory>

class QPainter;
class QSvgRenderer;

namespace kv {

class PagePicture {
public:
    // Throws ReportError when the bytes are neither SVG nor a readable image.
    static std::shared_ptr<const PagePicture> fromData(const QByteArray &data);
    // Throws ReportError when the file cannot be read or is no picture.
    static std::shared_ptr<const PagePicture> fromFile(const QString &fileName);

    ~PagePicture();
    PagePicture(const PagePicture &) = delete;
    PagePicture &operator=(const PagePicture &) = delete;

    const QByteArray &data() const { return m_data; }
    bool isSvg() const { return m_svg != nullptr; }
    // Stretches the picture over the target rectangle.
    void draw(QPainter &painter, const QRectF &target) const;

private:
    PagePicture() = default;

    QByteArray m_data;
    std::unique_ptr<QSvgRenderer> m_svg;
    QImage m_image;
};

} // namespace kv
