#pragma once
// The designer's drawing of a report page: the bands stacked as they print
// (title, headers, detail, footers, each child band after its parent), each
// with its caption, and every component as a placeholder of what it prints
// (caption, data field, expression, barcode bars, picture or shape) at its
// place and size in design pixels. Disabled components are hatched, hidden
// ones drawn with a dotted outline only, so that both can still be found
// and switched on again.
//
// The surface turns mouse, keys and drops into the designer's operations:
// click, Shift+click and rubber band select, dragging moves the selection,
// the eight handles of a single selected component resize it, the handle
// at the bottom of a selected band changes its height; keys go to the
// designer. It paints the report as it is each time, so components
// added or removed elsewhere appear once it is updated.

#include "platform/designer/DesignCommands.h"

#include "platform/report/Report.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

namespace kv {

class Report;
class ReportPrintable;
class TDreamDesigner;
class TQRBand;

class DesignSurface : public QWidget {
    Q_OBJECT
public:
    // Room around the page, so that the page edge stays visible.
    static constexpr int kPadding = 16;
    static constexpr int kHandleSize = 6;

    DesignSurface(TDreamDesigner &designer, Report *report, QWidget *parent = nullptr);

    // The bands in the order they are drawn, and where.
    QList<TQRBand *> orderedBands() const;
    QRect bandRect(TQRBand *band) const;
    QRect pageRect() const;
    // A component's box and the band at a point (surface coordinates).
    QRect itemRect(const ReportPrintable *item) const;
    ReportPrintable *itemAt(QPoint point) const;
    TQRBand *bandAt(QPoint point) const;
    // The handle 0..7 (clockwise from the top left) of the one selected
    // component under point, or -1.
    int handleAt(QPoint point) const;
    QRect handleRect(const QRect &box, int handle) const;
    // The band alone selected, whose bottom handle is shown; or null.
    TQRBand *selectedBand() const;
    bool onBandHandle(QPoint point) const;

    // Sizes itself to the page (after a change of the report's layout).
    void relayout();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool event(QEvent *event) override;

private:
    enum class Mode { None, Move, Resize, BandHeight, Rubber };

    double pixelsPerTenth() const;
    int contentWidth() const;
    void paintBand(class QPainter &painter, TQRBand *band) const;
    void paintItem(QPainter &painter, const ReportPrintable *item) const;
    void paintSelection(QPainter &painter) const;
    bool dragTarget(QPoint point, TQRBand *&band, QPoint &bandPoint) const;
    void dragMoved(QPoint delta);

    TDreamDesigner &m_designer;
    QPointer<Report> m_report;
    Mode m_mode = Mode::None;
    QPoint m_pressPoint;
    QPoint m_currentPoint;
    int m_handle = -1;
    bool m_changed = false;
    QPointer<TQRBand> m_pressBand;
    int m_bandHeight = 0; // height of the band being resized, at the press
    std::vector<GeometryChange> m_dragging;
};

} // namespace kv
