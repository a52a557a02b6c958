#include "platform/report/PagePicture.h"

#include "platform/report/ReportError.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

namespace kv {

namespace {

bool looksLikeSvg(const QByteArray &data)
{
    // An XML prologue or comment may precede the root element; look at the start only.
    const QByteArray head = data.left(4096);
    return head.contains("<svg");
}

} // namespace

PagePicture::~PagePicture() = default;

std::shared_ptr<const PagePicture> PagePicture::fromData(const QByteArray &data)
{
    std::shared_ptr<PagePicture> picture(new PagePicture);
    picture->m_data = data;
    if (looksLikeSvg(data)) {
        picture->m_svg = std::make_unique<QSvgRenderer>(data);
        if (!picture->m_svg->isValid())
            throw ReportError("The page picture is an SVG document that cannot be read");
        return picture;
    }
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    if (!reader.read(&picture->m_image))
        throw ReportError("The page picture is neither SVG nor a readable image: " +
                          reader.errorString().toStdString());
    return picture;
}

std::shared_ptr<const PagePicture> PagePicture::fromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError("Cannot read the page picture " + fileName.toStdString() + ": " +
                          file.errorString().toStdString());
    return fromData(file.readAll());
}

void PagePicture::draw(QPainter &painter, const QRectF &target) const
{
    if (m_svg)
        m_svg->render(&painter, target);
    else
        painter.drawImage(target, m_image);
}

} // namespace kv
