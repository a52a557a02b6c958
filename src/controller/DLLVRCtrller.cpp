#include "controller/DLLVRCtrller.h"

#include "controller/DLLFunc.h"
#include "report/options/VRBaseOpt.h"

#include <QString>

#include <stdexcept>

namespace {

constexpr int kDefaultResolution = 96;

TDLLBaseController *createVRController()
{
    return new TDLLVRCtrller;
}

// The module makes TDLLVRCtrller controllers from the moment it is loaded.
[[maybe_unused]] const bool registered = (DLLControllerClass = &createVRController, true);

bool hasElement(const kv::Variant &params, int index)
{
    const kv::Variant &value = params.deref();
    return value.isArray() && value.array().dimCount() == 1 && value.array().lowBound() <= index &&
           index <= value.array().highBound();
}

} // namespace

TDLLVRCtrller::~TDLLVRCtrller()
{
    if (Window)
        CloseWindow();
}

std::string TDLLVRCtrller::ModuleFileName() const
{
    return DLLModuleFileName();
}

std::u16string TDLLVRCtrller::GetVersion()
{
    if (!Window)
        return {};
    return QString::fromStdString(Window->VersionStamp).toStdU16String();
}

LongBool TDLLVRCtrller::GetVisible()
{
    return Window && Window->isVisible() ? kLongTrue : 0;
}

void TDLLVRCtrller::SetVisible(WordBool value)
{
    if (!Window)
        return;
    Window->setVisible(value != 0);
    if (value == 0 || !Window)
        return;
    if (Window->windowStateValue() == kv::TKVForm::wsMinimized)
        Window->setWindowStateValue(kv::TKVForm::wsNormal);
    Window->raise();
    Window->activateWindow();
}

std::uintptr_t TDLLVRCtrller::GetHandle()
{
    return Window ? static_cast<std::uintptr_t>(Window->winId()) : 0;
}

std::int32_t TDLLVRCtrller::Open(const kv::Variant &params)
{
    if (!Window) {
        if (!frmVRBaseOptClass)
            throw std::runtime_error(kNotAssignWindowClass);
        kv::TfrmVRBaseOpt *window = frmVRBaseOptClass();
        Window = window;
        window->SetModuleFileName(ModuleFileName());
        window->HostApp = HostApp;
        DoCreate(window);
        if (Window != window)
            return -1; // the host closed the new window on hearing of it
        chainEvents(window);
    }
    return Window->OpenWindow(params) ? 0 : -1;
}

void TDLLVRCtrller::chainEvents(kv::TfrmVRBaseOpt *window)
{
    SavedOnShow = window->onShow();
    SavedOnHide = window->onHide();
    SavedOnDestroy = window->onDestroy();
    window->setOnShow(kv::EventHandler([this](QObject *sender, kv::EventArgs &) { DoShow(sender); }, "DoShow"));
    window->setOnHide(kv::EventHandler([this](QObject *sender, kv::EventArgs &) { DoHide(sender); }, "DoHide"));
    window->setOnDestroy(
        kv::EventHandler([this](QObject *sender, kv::EventArgs &) { DoDestroy(sender); }, "DoDestroy"));
}

// Gives the window its own show and hide handlers back, so that nothing it
// raises while it goes away (a hide on the way out) reaches a controller the
// host may free meanwhile. OnDestroy is raised only once and is running when
// this is called, so it stays.
void TDLLVRCtrller::unchainEvents(kv::TfrmVRBaseOpt *window)
{
    window->setOnShow(SavedOnShow);
    window->setOnHide(SavedOnHide);
}

std::int32_t TDLLVRCtrller::SetConditions(const kv::Variant &params)
{
    if (!Window || params.deref().isNull())
        return -1;
    try {
        Window->ApplyConditions(params);
        return 0;
    } catch (...) {
        return -1;
    }
}

int TDLLVRCtrller::ExportResolution(const kv::Variant &params)
{
    if (!hasElement(params, 3))
        return kDefaultResolution;
    try {
        return params.deref()[3].toInt();
    } catch (const kv::VariantError &) {
        return kDefaultResolution;
    }
}

std::int32_t TDLLVRCtrller::Execute(std::int32_t kind, const kv::Variant &ignored, const kv::Variant &params)
{
    (void)ignored;
    if (!Window)
        return -1;
    const kv::Variant &p = params.deref();
    switch (kind) {
    case kExecuteRun: {
        const bool preview = p[0].toBool();
        Window->LastRunOutcome = kv::TfrmVRBaseOpt::RunOutcome::Failed;
        return RunResult(Window->RunReport(preview));
    }
    case kExecuteRunByKey: {
        const bool preview = p[0].toBool();
        Window->LastRunOutcome = kv::TfrmVRBaseOpt::RunOutcome::Failed;
        return RunResult(Window->RunByKey(p[1], preview));
    }
    case kExecuteExportByKey: {
        const kv::Variant &key = p[0];
        const int pictureKind = p[1].toInt();
        const std::string prefix = p[2].toText();
        const int resolution = ExportResolution(p);
        const std::string extra = hasElement(p, 4) ? p[4].toText() : std::string();
        Window->LastRunOutcome = kv::TfrmVRBaseOpt::RunOutcome::Failed;
        return RunResult(Window->ExportByKey(key, pictureKind, resolution, prefix, extra));
    }
    default:
        return kExecuteFailed;
    }
}

std::int32_t TDLLVRCtrller::RunResult(bool done) const
{
    if (done)
        return kExecuteDone;
    // The window may have gone while it ran (a message box closed it).
    if (Window && Window->LastRunOutcome == kv::TfrmVRBaseOpt::RunOutcome::NoData)
        return kExecuteNoData;
    return kExecuteFailed;
}

kv::Variant TDLLVRCtrller::ShowModal()
{
    if (!Window)
        return kv::Variant(static_cast<int>(kv::mrCancel));
    return kv::Variant(Window->ShowModal());
}

void TDLLVRCtrller::CloseWindow()
{
    if (Window && !Window->isDestroying())
        Window->Free();
}

std::int32_t TDLLVRCtrller::GetInfo(kv::Variant &info)
{
    if (!Window)
        return -1;
    info = kv::varArrayOf({kv::Variant(Window->UserID), kv::Variant(Window->CompanyID),
                           kv::Variant(QString::fromStdString(Window->ProgramCode).toUpper().toStdString()),
                           kv::Variant(Window->ProgramName)});
    return 0;
}

bool TDLLVRCtrller::IsClosed()
{
    return !Window;
}

void TDLLVRCtrller::DoShow(QObject *sender)
{
    if (SavedOnShow)
        SavedOnShow(sender);
    TDLLBaseController::DoShow(sender);
}

void TDLLVRCtrller::DoHide(QObject *sender)
{
    if (SavedOnHide)
        SavedOnHide(sender);
    TDLLBaseController::DoHide(sender);
}

void TDLLVRCtrller::DoDestroy(QObject *sender)
{
    kv::TfrmVRBaseOpt *window = Window.data();
    // The window is forgotten before the host hears of its end: during the
    // notification IsClosed is already true, and a host that frees the
    // controller there leaves nothing behind that still refers to it.
    Window = nullptr;
    if (!window)
        return;
    ResultCode = window->ResultCode;
    ResultValue = window->ResultValue;
    unchainEvents(window);
    const kv::EventHandler ownDestroy = SavedOnDestroy;
    // The saved handlers belong to the window that is going away; a later
    // DoShow or DoHide must not call into it.
    SavedOnShow = {};
    SavedOnHide = {};
    SavedOnDestroy = {};
    if (ownDestroy)
        ownDestroy(sender);
    TDLLBaseController::DoDestroy(sender);
}

void TDLLVRCtrller::CloseLayout()
{
    if (Window)
        Window->CloseLayoutWindow();
}
