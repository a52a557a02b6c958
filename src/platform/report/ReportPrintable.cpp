#include "platform/report/ReportPrintable.h"

#include "platform/report/PageStore.h"
#include "platform/report/TQRBand.h"

namespace kv {

ReportPrintable::ReportPrintable(QObject *parent) : ReportItem(parent) {}

TQRBand *ReportPrintable::band() const
{
    return qobject_cast<TQRBand *>(parent());
}

void ReportPrintable::registerRun(PageStore &store, const Report &)
{
    m_componentIndex = store.componentIndex(objectName());
}

QRectF ReportPrintable::designRect() const
{
    return QRectF(m_left, m_top, widthTenths(), heightTenths());
}

} // namespace kv
