// A host of its own that knows the controller only by its binary layout: a
// vtable pointer, then HostApp (variant), ResultCode (32-bit), ResultValue
// (variant) and OnNotify (code address, object), and eighteen operations
// by slot, the destructor after them. It loads the test module, calls every
// slot through the vtable by index and checks that each does what its slot
// stands for. It does not include the controller's header on purpose: a
// change of the layout there must break this test.
#include "DemoShell.h"

#include "HostApp.h"
#include "HostDataSource.h"

#include <QCoreApplication>
#include <QEvent>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class QObject;

namespace {

struct NotifyEvent {
    void (*code)(void *data, std::int32_t code, void *sender);
    void *data;
};

// The controller as the host sees it.
struct ControllerLayout {
    void **vtable;
    kv::Variant HostApp;
    std::int32_t ResultCode;
    kv::Variant ResultValue;
    NotifyEvent OnNotify;
};

// Every operation called as a plain function with the object first, which is
// how the platform's calling convention passes it to a virtual operation.
using GetVersionFn = std::u16string (*)(void *);
using GetVisibleFn = std::int32_t (*)(void *);
using SetVisibleFn = void (*)(void *, std::int16_t);
using GetHandleFn = std::uintptr_t (*)(void *);
using OpenFn = std::int32_t (*)(void *, const kv::Variant &);
using ExecuteFn = std::int32_t (*)(void *, std::int32_t, const kv::Variant &, const kv::Variant &);
using ShowModalFn = kv::Variant (*)(void *);
using VoidFn = void (*)(void *);
using GetInfoFn = std::int32_t (*)(void *, kv::Variant &);
using IsClosedFn = bool (*)(void *);
using SenderFn = void (*)(void *, QObject *);
using DoCloseFn = void (*)(void *, QObject *, std::int32_t &);
using NotifyFn = void (*)(void *, std::int32_t, QObject *);

enum Slot {
    GetVersion, GetVisible, SetVisible, GetHandle, Open, SetConditions, Execute, ShowModal, CloseWindow, GetInfo,
    IsClosed, DoCreate, DoShow, DoHide, DoDestroy, DoClose, Notify, CloseLayout,
    CompleteDestructor, DeletingDestructor
};

class SlotHost {
public:
    explicit SlotHost(ControllerLayout *controller) : m_controller(controller) {}

    template <typename Fn>
    Fn slot(Slot index) const
    {
        return reinterpret_cast<Fn>(m_controller->vtable[index]);
    }
    void *self() const { return m_controller; }
    ControllerLayout &fields() const { return *m_controller; }

private:
    ControllerLayout *m_controller;
};

struct Heard {
    std::int32_t code;
    void *sender;
};

void hear(void *data, std::int32_t code, void *sender)
{
    static_cast<std::vector<Heard> *>(data)->push_back({code, sender});
}

void settle()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

std::vector<std::int32_t> codes(const std::vector<Heard> &heard)
{
    std::vector<std::int32_t> result;
    for (const Heard &h : heard)
        result.push_back(h.code);
    return result;
}

TEST(SlotTable, LayoutOfTheFieldsAsTheHostReadsThem)
{
    const ControllerLayout probe{};
    const auto offset = [&probe](const void *field) {
        return reinterpret_cast<const char *>(field) - reinterpret_cast<const char *>(&probe);
    };
    EXPECT_EQ(8, offset(&probe.HostApp));
    EXPECT_EQ(16, offset(&probe.ResultCode));
    EXPECT_EQ(24, offset(&probe.ResultValue));
    EXPECT_EQ(32, offset(&probe.OnNotify));
    EXPECT_EQ(48u, sizeof(ControllerLayout));
}

TEST(SlotTable, EverySlotOfTheTestModuleDoesItsOperation)
{
    kvtest::DemoShell demo;
    const std::string serverIni = demo.serverIni();
    auto hostApp = std::make_shared<erphost::HostApp>(erphost::HostAppSettings{}, [serverIni] {
        return erphost::HostDataSource::inProcess(serverIni, kvtest::DemoShell::kCompanyDb);
    });

    const std::string modulePath = std::string(QIPR07_BIN_DIR) + "/QIPT07C.so";
    void *module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(nullptr, module) << dlerror();
    auto getController = reinterpret_cast<void *(*)()>(dlsym(module, "GetController"));
    ASSERT_NE(nullptr, getController);

    auto *controller = static_cast<ControllerLayout *>(getController());
    ASSERT_NE(nullptr, controller);
    SlotHost host(controller);
    // The plain constructor leaves every field empty.
    EXPECT_TRUE(host.fields().HostApp.isEmpty());
    EXPECT_EQ(0, host.fields().ResultCode);
    EXPECT_TRUE(host.fields().ResultValue.isEmpty());
    EXPECT_EQ(nullptr, host.fields().OnNotify.code);

    std::vector<Heard> heard;
    host.fields().HostApp = kv::Variant(std::static_pointer_cast<kv::Dispatch>(hostApp));
    host.fields().OnNotify = {&hear, &heard};

    // No window yet.
    kv::Variant info("untouched");
    EXPECT_TRUE(host.slot<IsClosedFn>(IsClosed)(host.self()));
    EXPECT_EQ(u"", host.slot<GetVersionFn>(GetVersion)(host.self()));
    EXPECT_EQ(0, host.slot<GetVisibleFn>(GetVisible)(host.self()));
    EXPECT_EQ(0u, host.slot<GetHandleFn>(GetHandle)(host.self()));
    EXPECT_EQ(kv::Variant(2), host.slot<ShowModalFn>(ShowModal)(host.self()));
    EXPECT_EQ(-1, host.slot<GetInfoFn>(GetInfo)(host.self(), info));
    EXPECT_EQ(kv::Variant("untouched"), info);

    const kv::Variant params = kv::varArrayOf({"DS", "01", "DEMO", 0, "slot host"});
    ASSERT_EQ(0, host.slot<OpenFn>(Open)(host.self(), params));
    EXPECT_EQ((std::vector<std::int32_t>{256}), codes(heard));
    EXPECT_EQ(host.self(), heard.front().sender);
    EXPECT_FALSE(host.slot<IsClosedFn>(IsClosed)(host.self()));
    EXPECT_EQ(u"900101-9.9.9.9", host.slot<GetVersionFn>(GetVersion)(host.self()));
    ASSERT_EQ(0, host.slot<GetInfoFn>(GetInfo)(host.self(), info));
    EXPECT_EQ(kv::Variant("DS"), info[0]);
    EXPECT_EQ(kv::Variant("QIPT07"), info[2]);
    EXPECT_EQ(3, info.array().highBound());

    const kv::Variant names = kv::varArrayOf({kv::varArrayOf({"", "edtNote"})});
    const kv::Variant package = kv::varArrayOf(
        {"", kv::varArrayOf({0, kv::varArrayOf({true, kv::varArrayOf({names, kv::varArrayOf({"slot"})})})})});
    EXPECT_EQ(0, host.slot<OpenFn>(SetConditions)(host.self(), package));
    host.slot<VoidFn>(CloseLayout)(host.self());
    EXPECT_EQ(0, host.slot<ExecuteFn>(Execute)(host.self(), 11, kv::Variant(), kv::varArrayOf({"K", 2, "pre", 200})));
    EXPECT_EQ(-1, host.slot<ExecuteFn>(Execute)(host.self(), 7, kv::Variant(), kv::varArrayOf({true})));

    host.slot<SetVisibleFn>(SetVisible)(host.self(), -1);
    EXPECT_EQ((std::vector<std::int32_t>{256, 272}), codes(heard));
    EXPECT_EQ(-1, host.slot<GetVisibleFn>(GetVisible)(host.self()));
    EXPECT_NE(0u, host.slot<GetHandleFn>(GetHandle)(host.self()));

    // The module's window closes itself once shown; its modal loop ends
    // with the cancel result.
    EXPECT_EQ(kv::Variant(2), host.slot<ShowModalFn>(ShowModal)(host.self()));
    settle();
    EXPECT_TRUE(host.slot<IsClosedFn>(IsClosed)(host.self()));
    ASSERT_EQ(304, heard.back().code);
    EXPECT_EQ(2, host.fields().ResultCode);
    EXPECT_EQ(kv::Variant("ExportByKey key=K kind=2 dpi=200 prefix=pre extra="), host.fields().ResultValue);

    // The event slots, called directly.
    heard.clear();
    std::int32_t action = 2;
    host.slot<SenderFn>(DoCreate)(host.self(), nullptr);
    host.slot<SenderFn>(DoShow)(host.self(), nullptr);
    host.slot<SenderFn>(DoHide)(host.self(), nullptr);
    host.slot<SenderFn>(DoDestroy)(host.self(), nullptr); // no window: nothing to tell
    host.slot<DoCloseFn>(DoClose)(host.self(), nullptr, action);
    host.slot<NotifyFn>(Notify)(host.self(), 4711, nullptr);
    EXPECT_EQ((std::vector<std::int32_t>{256, 272, 288, 320, 4711}), codes(heard));
    EXPECT_EQ(host.self(), heard.back().sender);

    // Reopen, then free the controller through its destructor slot.
    heard.clear();
    ASSERT_EQ(0, host.slot<OpenFn>(Open)(host.self(), params));
    host.slot<VoidFn>(DeletingDestructor)(host.self());
    settle();
    EXPECT_EQ((std::vector<std::int32_t>{256, 304}), codes(heard));
}

} // namespace
