// The module's main block: from the moment QIPR07C.so is loaded, the
// controller makes TfrmQipr07 its condition window, and previews show the
// preview window. Linked whole into the module only (nothing refers to this
// file, so programs that link the report library do not run it).

#include "qipr07/Qipr07.h"

#include "controller/DLLFunc.h"
#include "report/layout/PreviewWindowPreviewer.h"

namespace {

// The controller shows the window itself: it is made hidden and without owner.
kv::TfrmVRBaseOpt *createReportWindow()
{
    return kv::TKVForm::Create<kv::TfrmQipr07>();
}

[[maybe_unused]] const bool registered = [] {
    frmVRBaseOptClass = &createReportWindow;
    kv::PreviewWindowPreviewer::Install();
    return true;
}();

} // namespace
