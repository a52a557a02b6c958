#include "platform/report/TQRBand.h"

#include "platform/report/ReportPrintable.h"

namespace kv {

TQRBand::TQRBand(QObject *parent, TQRBandType type) : ReportItem(parent), m_bandType(type) {}

QList<ReportPrintable *> TQRBand::printables() const
{
    return findChildren<ReportPrintable *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace kv
