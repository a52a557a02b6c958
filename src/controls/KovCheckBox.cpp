#include "controls/KovCheckBox.h"

namespace kv {

TKovCheckBox::TKovCheckBox(QWidget *parent) : TBitCheckBox(parent) {}

} // namespace kv
