#pragma once
// kv::TQRShape: a line, box or circle on a band (the rules and frames of a
// slip). PenWidth is in design pixels; a transparent BrushColor fills nothing.

#include "platform/report/ReportPrintable.h"

#include <QColor>

namespace kv {

class TQRShape : public ReportPrintable {
    Q_OBJECT
    Q_PROPERTY(kv::TQRShape::TShapeType Shape READ shape WRITE setShape)
    Q_PROPERTY(QColor PenColor READ penColor WRITE setPenColor)
    Q_PROPERTY(int PenWidth READ penWidth WRITE setPenWidth)
    Q_PROPERTY(QColor BrushColor READ brushColor WRITE setBrushColor)

public:
    enum TShapeType { qrsRectangle, qrsCircle, qrsVertLine, qrsHorLine, qrsTopAndBottom, qrsRightAndLeft };
    Q_ENUM(TShapeType)

    explicit TQRShape(QObject *parent = nullptr);

    TShapeType shape() const { return m_shape; }
    void setShape(TShapeType shape) { m_shape = shape; }
    QColor penColor() const { return m_penColor; }
    void setPenColor(const QColor &color) { m_penColor = color; }
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int width) { m_penWidth = width < 0 ? 0 : width; }
    QColor brushColor() const { return m_brushColor; }
    void setBrushColor(const QColor &color) { m_brushColor = color; }

    void registerRun(PageStore &store, const Report &report) override;
    double layout(double) override { return 0; }
    void draw(const PrintTarget &target) override;

private:
    TShapeType m_shape = qrsRectangle;
    QColor m_penColor = Qt::black;
    int m_penWidth = 1;
    QColor m_brushColor = Qt::transparent;
    int m_style = -1;
};

} // namespace kv
