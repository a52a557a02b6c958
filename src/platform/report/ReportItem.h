#pragma once
// kv::ReportItem: what bands and printable components share. Sizes are kept
// in page units (tenths of a millimetre) and published in design pixels at
// the report's zoom (Width, Height; Left and Top on components), so a change
// of zoom rescales the design without moving anything on paper. An item
// finds its report through its parents; without one it counts at zoom 100.
//
// A new item takes the font of the band or report it is created in.

#include "platform/report/ReportEvents.h"

#include <QFont>
#include <QObject>
#include <QString>

namespace kv {

class Report;

class ReportItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Width READ width WRITE setWidth)
    Q_PROPERTY(int Height READ height WRITE setHeight)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(int Tag READ tag WRITE setTag)

public:
    // The report this item belongs to (nearest ancestor), or nullptr.
    Report *report() const;
    double tenthsPerPixel() const;

    int width() const { return toPixels(m_width); }
    void setWidth(int pixels) { m_width = toTenths(pixels); }
    int height() const { return toPixels(m_height); }
    void setHeight(int pixels) { m_height = toTenths(pixels); }
    double widthTenths() const { return m_width; }
    void setWidthTenths(double tenths) { m_width = tenths; }
    double heightTenths() const { return m_height; }
    void setHeightTenths(double tenths) { m_height = tenths; }

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    QString hint() const { return m_hint; }
    void setHint(const QString &hint) { m_hint = hint; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

protected:
    explicit ReportItem(QObject *parent);

    int toPixels(double tenths) const;
    double toTenths(int pixels) const;

private:
    double m_width = 0;
    double m_height = 0;
    bool m_enabled = true;
    QFont m_font;
    QString m_hint;
    int m_tag = 0;
};

} // namespace kv
