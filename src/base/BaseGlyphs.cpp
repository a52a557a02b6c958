#include "base/BaseGlyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace kv {

namespace {

void drawSheet(QPainter &painter, const QRectF &box)
{
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.setPen(QPen(QColor(0x30, 0x60, 0xC0), 1));
    for (qreal y = box.top() + box.height() / 4; y < box.bottom() - 1; y += box.height() / 4)
        painter.drawLine(QPointF(box.left() + 2, y), QPointF(box.right() - 2, y));
}

// A printer seen from the front: paper going in at the top, the body with
// its slot, the printed sheet coming out below. Nothing crosses it.
void drawPrinter(QPainter &painter, qreal s)
{
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(s * 0.28, s * 0.08, s * 0.44, s * 0.3));
    painter.setBrush(QColor(0xB0, 0xB8, 0xC8));
    painter.drawRoundedRect(QRectF(s * 0.08, s * 0.36, s * 0.84, s * 0.36), s * 0.06, s * 0.06);
    painter.setBrush(QColor(0x40, 0xB0, 0x40));
    painter.drawRect(QRectF(s * 0.74, s * 0.44, s * 0.08, s * 0.07));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(s * 0.24, s * 0.6, s * 0.52, s * 0.32));
    painter.setPen(QPen(QColor(0x30, 0x60, 0xC0), 1));
    for (qreal y = s * 0.72; y < s * 0.9; y += s * 0.1)
        painter.drawLine(QPointF(s * 0.32, y), QPointF(s * 0.68, y));
}

} // namespace

QPixmap BaseGlyphs::draw(Picture picture, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (picture) {
    case ConditionSet:
        drawSheet(painter, QRectF(s * 0.2, s * 0.1, s * 0.6, s * 0.8));
        break;
    case Save:
        painter.setPen(QPen(QColor(0x20, 0x20, 0x60), 1));
        painter.setBrush(QColor(0x40, 0x60, 0xC0));
        painter.drawRect(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(s * 0.25, s * 0.1, s * 0.5, s * 0.3));
        break;
    case Open: {
        painter.setPen(QPen(QColor(0x80, 0x60, 0x10), 1));
        painter.setBrush(QColor(0xF0, 0xC8, 0x40));
        QPainterPath folder;
        folder.moveTo(s * 0.1, s * 0.25);
        folder.lineTo(s * 0.4, s * 0.25);
        folder.lineTo(s * 0.5, s * 0.35);
        folder.lineTo(s * 0.9, s * 0.35);
        folder.lineTo(s * 0.9, s * 0.85);
        folder.lineTo(s * 0.1, s * 0.85);
        folder.closeSubpath();
        painter.drawPath(folder);
        break;
    }
    case Delete:
        painter.setPen(QPen(QColor(0xC0, 0x20, 0x20), s / 8, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(s * 0.2, s * 0.2), QPointF(s * 0.8, s * 0.8));
        painter.drawLine(QPointF(s * 0.8, s * 0.2), QPointF(s * 0.2, s * 0.8));
        break;
    case View:
        painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
        painter.setBrush(QColor(0xA0, 0xC0, 0xF0));
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
                painter.drawRect(QRectF(s * (0.12 + 0.42 * column), s * (0.12 + 0.42 * row), s * 0.32, s * 0.32));
        break;
    case Print:
        drawPrinter(painter, s);
        break;
    }
    return pixmap;
}

} // namespace kv
