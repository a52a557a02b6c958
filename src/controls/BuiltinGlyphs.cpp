#include "controls/BuiltinGlyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace kv {

namespace {

const QColor kInk(0x40, 0x40, 0x40);
const QColor kRed(0xc0, 0x00, 0x00);
const QColor kGray(0xa0, 0xa0, 0xa0);

QImage blank(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A sheet with ruled lines, the base of the list glyphs.
void drawSheet(QPainter &painter, QRectF sheet, const QColor &ink)
{
    painter.setPen(ink);
    painter.setBrush(Qt::white);
    painter.drawRect(sheet);
    for (qreal y = sheet.top() + 3; y < sheet.bottom() - 1; y += 3)
        painter.drawLine(QPointF(sheet.left() + 2, y), QPointF(sheet.right() - 2, y));
}

void drawCross(QPainter &painter, QPointF centre, qreal half, const QColor &colour)
{
    painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
    painter.drawLine(centre + QPointF(half, -half), centre + QPointF(-half, half));
}

// Glyph 4: clear the list; an enabled and a disabled image side by side.
QImage clearGlyph()
{
    QImage image = blank(32, 16);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawSheet(painter, QRectF(1.5, 2.5, 10, 12), kInk);
    drawCross(painter, QPointF(11.5, 10.5), 3.5, kRed);
    drawSheet(painter, QRectF(17.5, 2.5, 10, 12), kGray);
    drawCross(painter, QPointF(27.5, 10.5), 3.5, kGray);
    return image;
}

// Glyph 8: the lookup window (a list under a lens).
QImage lookupGlyph()
{
    QImage image = blank(16, 16);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawSheet(painter, QRectF(0.5, 0.5, 10, 12), kInk);
    painter.setPen(QPen(Qt::black, 1.4));
    painter.setBrush(QColor(0xd8, 0xec, 0xff));
    painter.drawEllipse(QPointF(10, 10), 3.2, 3.2);
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(12.3, 12.3), QPointF(15, 15));
    return image;
}

// Glyph 9: the calendar.
QImage calendarGlyph()
{
    QImage image = blank(16, 16);
    QPainter painter(&image);
    painter.setPen(kInk);
    painter.setBrush(Qt::white);
    painter.drawRect(1, 2, 13, 12);
    painter.fillRect(2, 3, 12, 3, QColor(0xc0, 0x30, 0x30));
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            painter.fillRect(3 + column * 4, 8 + row * 3, 2, 2, kInk);
    return image;
}

// Glyph 47: delete the chosen rows (a row struck out).
QImage deleteGlyph()
{
    QImage image = blank(16, 16);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(kInk);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(1.5, 5.5, 13, 5));
    painter.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(2, 3), QPointF(14, 13));
    return image;
}

// Glyph 81: edit a setting (a sheet with a pencil).
QImage editGlyph()
{
    QImage image = blank(16, 16);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawSheet(painter, QRectF(1.5, 1.5, 11, 13), kInk);
    QPainterPath pencil;
    pencil.moveTo(8, 14);
    pencil.lineTo(9, 11);
    pencil.lineTo(14.5, 5.5);
    pencil.lineTo(16, 7.5);
    pencil.lineTo(11, 13);
    pencil.closeSubpath();
    painter.setPen(QPen(QColor(0x60, 0x40, 0x00), 0.8));
    painter.setBrush(QColor(0xf0, 0xc0, 0x40));
    painter.drawPath(pencil);
    return image;
}

// A sunken 13 x 13 box at the left of a 19 x 14 cell.
QImage checkImage(bool ticked, bool grayed)
{
    QImage image = blank(19, 14);
    QPainter painter(&image);
    painter.fillRect(2, 1, 12, 12, grayed ? QColor(0xd4, 0xd0, 0xc8) : QColor(Qt::white));
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(1, 0, 12, 12);
    painter.setPen(kInk);
    painter.drawLine(2, 11, 2, 1);
    painter.drawLine(2, 1, 12, 1);
    if (ticked) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(grayed ? QColor(0x80, 0x80, 0x80) : QColor(Qt::black), 1.8));
        const QPointF tick[] = {{4.5, 7}, {7, 9.5}, {12, 4}};
        painter.drawPolyline(tick, 3);
    }
    return image;
}

} // namespace

int BuiltinGlyphs::maxId()
{
    return 81;
}

QImage BuiltinGlyphs::glyph(int number)
{
    switch (number) {
    case 4: return clearGlyph();
    case 8: return lookupGlyph();
    case 9: return calendarGlyph();
    case 47: return deleteGlyph();
    case 81: return editGlyph();
    default: return {};
    }
}

QImage BuiltinGlyphs::named(const QString &name)
{
    if (name == QLatin1String("CHECKED"))
        return checkImage(true, false);
    if (name == QLatin1String("UNCHECKED"))
        return checkImage(false, false);
    if (name == QLatin1String("GRAYED"))
        return checkImage(true, true);
    return {};
}

} // namespace kv
