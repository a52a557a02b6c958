#include "platform/report/TQRLabel.h"

namespace kv {

TQRLabel::TQRLabel(QObject *parent) : ReportText(parent) {}

} // namespace kv
