#pragma once
// The controller through which the ERP client (the host) drives a report
// module. The host includes this header as well: it reads and writes the four
// public fields directly and calls the operations by their position in the
// virtual table. The order and width of the fields and the order of the
// virtual operations are therefore the module's binary interface:
//   - never reorder the fields or change their types;
//   - the eighteen operations keep their slots 0 to 17; anything else that
//     must be virtual (the destructor included) is declared after them;
//   - no other base class, no data member before HostApp.
// Host and module are built from the same kv::Variant, so a variant field is
// one pointer wide and values cross the boundary unchanged.

#include "platform/Variant.h"

#include <cstdint>
#include <string>

class QObject;
class TDLLBaseController;

// 16-bit boolean of the automation interface: 0 false, -1 (all bits) true;
// any other non-zero value is read as true as well.
using WordBool = std::int16_t;
// 32-bit boolean with the same rule.
using LongBool = std::int32_t;
inline constexpr WordBool kWordTrue = -1;
inline constexpr LongBool kLongTrue = -1;

// A method pointer as the host hands it over: the code address and the
// object it is called on. The code receives the object first, then the
// notification code and the controller that sends it.
struct TDLLNotifyEvent {
    using Code = void (*)(void *data, std::int32_t code, TDLLBaseController *sender);
    Code code = nullptr;
    void *data = nullptr;

    bool assigned() const { return code != nullptr; }
};

// Notification codes sent through OnNotify.
enum DLLNotification : std::int32_t {
    kNotifyCreate = 0x100,
    kNotifyShow = 0x110,
    kNotifyHide = 0x120,
    kNotifyDestroy = 0x130,
    kNotifyClose = 0x140,
};

// Kinds of Execute.
enum DLLExecuteKind : std::int32_t {
    kExecuteRun = 5,
    kExecuteRunByKey = 6,
    kExecuteExportByKey = 11,
};

// What Execute answers: the report command printed, previewed or wrote its
// pages; it failed (the window has shown why); or it ran and found no slips
// (the window has warned "no data"). A host that only asks for 0 takes no
// data for "not done", as before.
enum DLLExecuteResult : std::int32_t {
    kExecuteDone = 0,
    kExecuteFailed = -1,
    kExecuteNoData = 1,
};

class TDLLBaseController {
public:
    // The host's automation object; stored by the host before the first Open.
    kv::Variant HostApp;
    // The window's result code and value, copied when the window is destroyed.
    std::int32_t ResultCode = 0;
    kv::Variant ResultValue;
    // Assigned by the host; notifications are dropped while the code is unset.
    TDLLNotifyEvent OnNotify;

    // Slots 0 to 10: what a concrete controller does with its window.
    virtual std::u16string GetVersion() = 0;                                                   // 0
    virtual LongBool GetVisible() = 0;                                                         // 1
    virtual void SetVisible(WordBool value) = 0;                                               // 2
    virtual std::uintptr_t GetHandle() = 0;                                                    // 3
    virtual std::int32_t Open(const kv::Variant &params) = 0;                                  // 4
    virtual std::int32_t SetConditions(const kv::Variant &params) = 0;                         // 5
    virtual std::int32_t Execute(std::int32_t kind, const kv::Variant &ignored,
                                 const kv::Variant &params) = 0;                               // 6
    virtual kv::Variant ShowModal() = 0;                                                       // 7
    virtual void CloseWindow() = 0;                                                            // 8
    virtual std::int32_t GetInfo(kv::Variant &info) = 0;                                       // 9
    virtual bool IsClosed() = 0;                                                               // 10

    // Slots 11 to 17: the window's life events and the notification itself.
    // They are defined here, so that a host needs nothing but this header:
    // its compiler then emits the class's type data itself.
    virtual void DoCreate(QObject *sender) { Notify(kNotifyCreate, sender); }                   // 11
    virtual void DoShow(QObject *sender) { Notify(kNotifyShow, sender); }                       // 12
    virtual void DoHide(QObject *sender) { Notify(kNotifyHide, sender); }                       // 13
    virtual void DoDestroy(QObject *sender) { Notify(kNotifyDestroy, sender); }                 // 14
    virtual void DoClose(QObject *sender, std::int32_t &action)                                 // 15
    {
        (void)action;
        Notify(kNotifyClose, sender);
    }
    // Calls OnNotify with (code, this controller); nothing while it is unset.
    virtual void Notify(std::int32_t code, QObject *sender)                                     // 16
    {
        (void)sender;
        if (OnNotify.assigned())
            OnNotify.code(OnNotify.data, code, this);
    }
    virtual void CloseLayout() {}                                                               // 17

    // After the eighteen slots: the host frees the controller through it.
    virtual ~TDLLBaseController() = default;

    TDLLBaseController() = default;
    TDLLBaseController(const TDLLBaseController &) = delete;
    TDLLBaseController &operator=(const TDLLBaseController &) = delete;
};

// The one export of a module: a new controller, owned by the caller.
extern "C" TDLLBaseController *GetController();
using GetControllerFunction = TDLLBaseController *(*)();
inline constexpr const char *kGetControllerExport = "GetController";
