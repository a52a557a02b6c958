#pragma once
// TDLLVRCtrller: the controller of a report module. It owns at most one
// condition window: it creates the window on the first Open (of the class
// the module registered in frmVRBaseOptClass), forwards every later host call
// to it, chains itself into the window's show, hide and destroy events to
// report them to the host, and forgets the window when it is destroyed.

#include "controller/DLLBaseCtrller.h"
#include "lib/EventHandler.h"

#include <QPointer>

namespace kv {
class TfrmVRBaseOpt;
}

class TDLLVRCtrller : public TDLLBaseController {
public:
    // The condition window; null when there is none (also when it went away
    // without telling the controller).
    QPointer<kv::TfrmVRBaseOpt> Window;
    // The window's own handlers, as they were before the controller chained
    // itself in.
    kv::EventHandler SavedOnShow;
    kv::EventHandler SavedOnHide;
    kv::EventHandler SavedOnDestroy;

    std::u16string GetVersion() override;
    LongBool GetVisible() override;
    void SetVisible(WordBool value) override;
    std::uintptr_t GetHandle() override;
    std::int32_t Open(const kv::Variant &params) override;
    std::int32_t SetConditions(const kv::Variant &params) override;
    std::int32_t Execute(std::int32_t kind, const kv::Variant &ignored, const kv::Variant &params) override;
    kv::Variant ShowModal() override;
    void CloseWindow() override;
    std::int32_t GetInfo(kv::Variant &info) override;
    bool IsClosed() override;

    void DoShow(QObject *sender) override;
    void DoHide(QObject *sender) override;
    void DoDestroy(QObject *sender) override;
    void CloseLayout() override;

    ~TDLLVRCtrller() override;

    // The file the window is told it was loaded from: the module's own file.
    // A controller linked into a program for testing names the module file
    // it stands in for.
    virtual std::string ModuleFileName() const;

private:
    // The resolution of a picture export: element 3 of the parameters as an
    // integer, 96 when it is missing or not a number.
    static int ExportResolution(const kv::Variant &params);
    // Execute's answer for a report command that returned `done`.
    std::int32_t RunResult(bool done) const;
    void chainEvents(kv::TfrmVRBaseOpt *window);
    void unchainEvents(kv::TfrmVRBaseOpt *window);
};
