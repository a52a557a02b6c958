#pragma once
// Lengths of the report engine. Everything physical is kept in tenths of a
// millimetre ("page units"): paper, margins, the recorded pages. Bands and
// components are placed in design pixels: screen pixels (96 per inch) at the
// report's zoom, so a layout drawn at zoom 80 keeps its look at zoom 100.
// The report's Units only choose how page sizes are shown to the user.

#include <QFont>
#include <Qt>

namespace kv::report_units {

inline constexpr double kTenthsPerInch = 254.0;
inline constexpr double kScreenDpi = 96.0;

// Page units per design pixel at a zoom in percent (zoom 100: 0.2646 mm).
double tenthsPerPixel(int zoom);

enum class Unit { MM, Inches, Pixels, Characters, Native };

// A length in page units expressed in a unit; Characters are 10 per inch
// across and 6 per inch down, Pixels are design pixels at the zoom, Native
// is the page unit itself.
double toUnit(double tenths, Unit unit, int zoom, Qt::Orientation direction = Qt::Vertical);
double fromUnit(double value, Unit unit, int zoom, Qt::Orientation direction = Qt::Vertical);

// Font sizes: a point in page units, and the pixel height the designer
// writes for a font (Height at 96 dots per inch) in points.
inline constexpr double kTenthsPerPoint = kTenthsPerInch / 72.0;
inline constexpr double pixelsToPoints(double pixels) { return pixels * 72.0 / kScreenDpi; }

// The font as the page store draws it: sized in sixteenths of a page unit,
// unhinted, so that its measures scale exactly to any printer.
QFont pageFont(const QFont &font);

} // namespace kv::report_units
