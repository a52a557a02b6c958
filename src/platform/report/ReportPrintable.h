#pragma once
// kv::ReportPrintable: a component printed on a band (label, data text,
// expression, memo, image, shape, barcode). Left and Top place it on its
// band in design pixels. A component prints only when Enabled and Visible.
//
// The engine drives a component in three steps: prepareRun() once before
// the pages are generated (fonts and pictures registered with the page
// store, data fields and expressions resolved: a fault there stops the run
// with a ReportError naming the component), layout() each time its band
// prints (what to print and where, relative to the band) and draw(). A
// component that does not print when the run starts is only registered
// (registerRun), so that it prints right if it is switched on later.

#include "platform/report/ReportItem.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

namespace kv {

class PageStore;
class TQRBand;

// Where a band is being printed: the store, the form of the sheet and the
// band's top-left corner on the sheet (page units).
struct PrintTarget {
    PageStore &store;
    int form = 0;
    QPointF origin;
};

class ReportPrintable : public ReportItem {
    Q_OBJECT
    Q_PROPERTY(int Left READ left WRITE setLeft)
    Q_PROPERTY(int Top READ top WRITE setTop)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(QColor Color READ color WRITE setColor)

public:
    int left() const { return toPixels(m_left); }
    void setLeft(int pixels) { m_left = toTenths(pixels); }
    int top() const { return toPixels(m_top); }
    void setTop(int pixels) { m_top = toTenths(pixels); }
    double leftTenths() const { return m_left; }
    void setLeftTenths(double tenths) { m_left = tenths; }
    double topTenths() const { return m_top; }
    void setTopTenths(double tenths) { m_top = tenths; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    // The background; transparent (the default) fills nothing.
    QColor color() const { return m_color; }
    void setColor(const QColor &color) { m_color = color; }

    TQRBand *band() const;
    bool isPrinted() const { return isEnabled() && isVisible(); }

    // --- the engine's side
    // Registers the component's name and styles with the run's page store;
    // never fails. Every component of the layout is registered, printed or
    // not: the layout's handlers may switch one on while the run goes.
    virtual void registerRun(PageStore &store, const Report &report);
    // Readies a component that prints: registerRun, then its data fields and
    // expressions resolved.
    virtual void prepareRun(PageStore &store, const Report &report) { registerRun(store, report); }
    // Decides what to print for the current record; returns how far the
    // component reaches below its design bottom (page units, 0 when it does
    // not stretch). bandWidth is the width the band prints in.
    virtual double layout(double bandWidth) = 0;
    virtual void draw(const PrintTarget &target) = 0;

protected:
    explicit ReportPrintable(QObject *parent);

    int componentIndex() const { return m_componentIndex; }
    QRectF designRect() const;

private:
    double m_left = 0;
    double m_top = 0;
    bool m_visible = true;
    QColor m_color = Qt::transparent;
    int m_componentIndex = -1;
};

} // namespace kv
