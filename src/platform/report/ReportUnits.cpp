#include "platform/report/ReportUnits.h"

#include "platform/report/PageStore.h"

#include <algorithm>
#include <cmath>

namespace kv::report_units {

namespace {

double tenthsPerUnit(Unit unit, int zoom, Qt::Orientation direction)
{
    switch (unit) {
    case Unit::MM:
        return 10.0;
    case Unit::Inches:
        return kTenthsPerInch;
    case Unit::Pixels:
        return tenthsPerPixel(zoom);
    case Unit::Characters:
        return direction == Qt::Horizontal ? kTenthsPerInch / 10.0 : kTenthsPerInch / 6.0;
    case Unit::Native:
        break;
    }
    return 1.0;
}

} // namespace

double tenthsPerPixel(int zoom)
{
    // A zoom of 0 or less would divide by zero; such a report shows at 100 %.
    const double scale = zoom > 0 ? zoom / 100.0 : 1.0;
    return kTenthsPerInch / kScreenDpi / scale;
}

double toUnit(double tenths, Unit unit, int zoom, Qt::Orientation direction)
{
    return tenths / tenthsPerUnit(unit, zoom, direction);
}

double fromUnit(double value, Unit unit, int zoom, Qt::Orientation direction)
{
    return value * tenthsPerUnit(unit, zoom, direction);
}

QFont pageFont(const QFont &font)
{
    double points = 10.0;
    if (font.pixelSize() > 0)
        points = pixelsToPoints(font.pixelSize());
    else if (font.pointSizeF() > 0)
        points = font.pointSizeF();
    QFont scaled(font);
    scaled.setPixelSize(std::max(1, int(std::lround(points * kTenthsPerPoint * PageStore::kTextScale))));
    scaled.setHintingPreference(QFont::PreferNoHinting);
    return scaled;
}

} // namespace kv::report_units
