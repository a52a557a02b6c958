#include "platform/report/TQRGroup.h"

namespace kv {

TQRGroup::TQRGroup(QObject *parent) : TQRBand(parent, rbGroupHeader) {}

} // namespace kv
