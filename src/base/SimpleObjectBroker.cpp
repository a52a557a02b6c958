#include "base/SimpleObjectBroker.h"

namespace kv {

TSimpleObjectBroker::TSimpleObjectBroker(QObject *parent) : QObject(parent) {}

} // namespace kv
