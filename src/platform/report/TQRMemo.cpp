#include "platform/report/TQRMemo.h"

namespace kv {

TQRMemo::TQRMemo(QObject *parent) : ReportText(parent) {}

} // namespace kv
