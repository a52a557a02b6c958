// The main block of the test module QIPT07C.so: it registers the test
// report window as the module's condition-window class, as a report's main
// block registers its own.

#include "TestReportWindow.h"

#include "controller/DLLFunc.h"

namespace {

kv::TfrmVRBaseOpt *createTestWindow()
{
    return kv::TKVForm::Create<TfrmQipt07>();
}

[[maybe_unused]] const bool registered = [] {
    frmVRBaseOptClass = &createTestWindow;
    TfrmQipt07::closeWhenShown = true;
    return true;
}();

} // namespace
