#include "platform/report/TQRShape.h"

#include "platform/report/PageStore.h"

#include <QBrush>
#include <QPen>

namespace kv {

TQRShape::TQRShape(QObject *parent) : ReportPrintable(parent) {}

void TQRShape::registerRun(PageStore &store, const Report &report)
{
    ReportPrintable::registerRun(store, report);
    QPen pen(m_penWidth > 0 ? QBrush(m_penColor) : QBrush(Qt::NoBrush), m_penWidth * tenthsPerPixel());
    if (m_penWidth == 0)
        pen.setStyle(Qt::NoPen);
    const QBrush brush = m_brushColor.alpha() > 0 ? QBrush(m_brushColor) : QBrush(Qt::NoBrush);
    m_style = store.shapeStyle(pen, brush);
}

void TQRShape::draw(const PrintTarget &target)
{
    using Kind = PageStore::ShapeKind;
    const QRectF box = designRect().translated(target.origin);
    const auto line = [&](QPointF from, QPointF to) {
        target.store.addShape(Kind::Line, target.form, QRectF(from, to), m_style);
    };
    switch (m_shape) {
    case qrsRectangle:
        target.store.addShape(Kind::Rectangle, target.form, box, m_style);
        break;
    case qrsCircle:
        target.store.addShape(Kind::Ellipse, target.form, box, m_style);
        break;
    case qrsVertLine:
        line(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.bottom()));
        break;
    case qrsHorLine:
        line(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
        break;
    case qrsTopAndBottom:
        line(box.topLeft(), box.topRight());
        line(box.bottomLeft(), box.bottomRight());
        break;
    case qrsRightAndLeft:
        line(box.topLeft(), box.bottomLeft());
        line(box.topRight(), box.bottomRight());
        break;
    }
}

} // namespace kv
