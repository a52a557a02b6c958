#pragma once
// TfrmVROpt: the condition window a concrete report derives from. It will
// own the format-style list; for now it adds nothing to TfrmVRBaseOpt and
// fixes the place of the class in the chain every report window follows.

#include "report/options/VRBaseOpt.h"

namespace kv {

class TfrmVROpt : public TfrmVRBaseOpt {
    Q_OBJECT

public:
    explicit TfrmVROpt(QWidget *parent = nullptr);
    ~TfrmVROpt() override;
};

} // namespace kv
