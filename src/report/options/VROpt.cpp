#include "report/options/VROpt.h"

namespace kv {

TfrmVROpt::TfrmVROpt(QWidget *parent) : TfrmVRBaseOpt(parent)
{
    setObjectName("frmVROpt");
}

TfrmVROpt::~TfrmVROpt() = default;

} // namespace kv
