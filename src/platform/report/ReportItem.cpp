#include "platform/report/ReportItem.h"

#include "platform/report/Report.h"
#include "platform/report/ReportUnits.h"

#include <cmath>

namespace kv {

ReportItem::ReportItem(QObject *parent) : QObject(parent)
{
    if (const auto *item = qobject_cast<const ReportItem *>(parent))
        m_font = item->font();
    else if (const auto *owner = qobject_cast<const Report *>(parent))
        m_font = owner->font();
    else
        m_font = Report::defaultFont();
}

Report *ReportItem::report() const
{
    for (QObject *object = parent(); object; object = object->parent()) {
        if (auto *found = qobject_cast<Report *>(object))
            return found;
    }
    return nullptr;
}

double ReportItem::tenthsPerPixel() const
{
    const Report *owner = report();
    return report_units::tenthsPerPixel(owner ? owner->zoom() : 100);
}

int ReportItem::toPixels(double tenths) const
{
    return int(std::lround(tenths / tenthsPerPixel()));
}

double ReportItem::toTenths(int pixels) const
{
    return pixels * tenthsPerPixel();
}

} // namespace kv
