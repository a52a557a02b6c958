#pragma once
// TKovCheckBox: the style switch inside a selection panel. It is a glyph
// check box under its own class name, so that stored layouts and language
// packages can tell it apart; the panel gives it its behaviour.

#include "controls/BtChkBox.h"

namespace kv {

class TKovCheckBox : public TBitCheckBox {
    Q_OBJECT

public:
    explicit TKovCheckBox(QWidget *parent = nullptr);
};

} // namespace kv
