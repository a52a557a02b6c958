#include "Glyphres.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <cstdlib>
#include <cstring>

namespace {

const QString kImageFolder = QStringLiteral(":/glyphres/");

// Renders one SVG of the image folder at its own size as PNG bytes.
QByteArray renderPng(const QString &fileName)
{
    QSvgRenderer renderer(kImageFolder + fileName);
    if (!renderer.isValid() || renderer.defaultSize().isEmpty())
        return {};
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return png;
}

int handOut(const QByteArray &png, unsigned char **data, size_t *size)
{
    if (png.isEmpty())
        return 0;
    auto *copy = static_cast<unsigned char *>(std::malloc(size_t(png.size())));
    if (!copy)
        return 0;
    std::memcpy(copy, png.constData(), size_t(png.size()));
    *data = copy;
    *size = size_t(png.size());
    return 1;
}

QString glyphFileName(int number)
{
    return QStringLiteral("glyph%1.svg").arg(number, 3, 10, QLatin1Char('0'));
}

} // namespace

extern "C" {

int GetMaxBmpID(void)
{
    try {
        static const QRegularExpression pattern(QStringLiteral("^glyph(\\d+)\\.svg$"));
        int highest = 0;
        for (const QString &name : QDir(kImageFolder).entryList(QDir::Files)) {
            const QRegularExpressionMatch match = pattern.match(name);
            if (match.hasMatch())
                highest = qMax(highest, match.captured(1).toInt());
        }
        return highest;
    } catch (...) {
        return 0;
    }
}

int LoadBmp(int number, unsigned char **data, size_t *size)
{
    if (!data || !size || number <= 0)
        return 0;
    try {
        return handOut(renderPng(glyphFileName(number)), data, size);
    } catch (...) {
        return 0;
    }
}

int LoadNamedBmp(const char *name, unsigned char **data, size_t *size)
{
    if (!name || !data || !size)
        return 0;
    try {
        // Only plain names: a name must not reach outside the image folder.
        static const QRegularExpression pattern(QStringLiteral("^[A-Z0-9_]{1,64}$"));
        const QString imageName = QString::fromUtf8(name);
        if (!pattern.match(imageName).hasMatch())
            return 0;
        return handOut(renderPng(imageName + QStringLiteral(".svg")), data, size);
    } catch (...) {
        return 0;
    }
}

void FreeBmp(unsigned char *data)
{
    std::free(data);
}

} // extern "C"
