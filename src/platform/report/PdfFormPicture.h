#pragma once
// kv::PdfFormPicture: a page picture drawn for a PDF file so that its
// captions stay text. Qt's SVG renderer lays every <text> out with an
// outline pen (even "no pen"), and a text with an outline is drawn as glyph
// outlines: a PDF viewer could neither find nor copy the form's captions, and
// every caption costs kilobytes of path data. Here the simple texts of an
// SVG picture (plain <text> under the root or under groups, with presentation
// attributes this class understands) are taken out of the document and drawn
// with QPainter::drawText, which the PDF engine writes as text in an embedded
// font subset; everything else still goes through the SVG renderer.
// Raster pictures are drawn as they are.

#include "platform/report/PagePicture.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <memory>
#include <vector>

class QPainter;
class QSvgRenderer;

namespace kv {

class PdfFormPicture {
public:
    // One caption taken over from the SVG document, in its user units.
    struct Caption {
        QString text;
        QPointF baseline; // the anchor point on the baseline
        QTransform transform; // the groups' and the text's transforms
        QFont font; // 100 pixels high; scaled by size / 100 when drawn
        double size = 0;
        Qt::Alignment anchor = Qt::AlignLeft;
        QColor colour;
    };

    explicit PdfFormPicture(std::shared_ptr<const PagePicture> picture);
    ~PdfFormPicture();
    PdfFormPicture(const PdfFormPicture &) = delete;
    PdfFormPicture &operator=(const PdfFormPicture &) = delete;

    // Stretches the picture over the target rectangle, as PagePicture does.
    void draw(QPainter &painter, const QRectF &target) const;
    const std::vector<Caption> &captions() const { return m_captions; }

private:
    std::shared_ptr<const PagePicture> m_picture;
    std::unique_ptr<QSvgRenderer> m_rest; // the SVG without the captions
    QRectF m_viewBox;
    std::vector<Caption> m_captions;
};

} // namespace kv
