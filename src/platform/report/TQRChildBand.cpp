#include "platform/report/TQRChildBand.h"

namespace kv {

TQRChildBand::TQRChildBand(QObject *parent) : TQRBand(parent, rbChild) {}

} // namespace kv
