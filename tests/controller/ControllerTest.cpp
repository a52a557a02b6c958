// The host controller driven as the host drives it: the test window linked
// into this program, the real window base, HostApp and in-process servers on
// a demo company.
#include "DemoShell.h"
#include "TestReportWindow.h"

#include "HeadlessDialogs.h"
#include "HostApp.h"
#include "HostDataSource.h"
#include "controller/DLLFunc.h"
#include "controller/DLLVRCtrller.h"
#include "controls/KovMaskEdit.h"
#include "db/Database.h"
#include "platform/ScriptedPrompter.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>

namespace {

kv::TfrmVRBaseOpt *createTestWindow()
{
    return kv::TKVForm::Create<TfrmQipt07>();
}

// The controller as linked into this program: it names the test module's
// file, as the window would learn it inside that module.
class InProcessController : public TDLLVRCtrller {
public:
    std::string ModuleFileName() const override { return std::string(QIPR07_BIN_DIR) + "/QIPT07C.so"; }
};

void settle()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

kv::Variant startup(int elements = 5)
{
    std::vector<kv::Variant> values{kv::Variant(kvtest::DemoShell::kUser), kv::Variant(kvtest::DemoShell::kCompany),
                                    kv::Variant(kvtest::DemoShell::kCompanyDb), kv::Variant(0),
                                    kv::Variant("test host")};
    values.resize(static_cast<std::size_t>(elements));
    return kv::varArrayOf(values);
}

TEST(ControllerClassVariables, UnsetClassesRaiseTheirExactMessagesWhenFirstNeeded)
{
    const TDLLControllerClass saved = DLLControllerClass;
    DLLControllerClass = nullptr;
    try {
        GetController();
        ADD_FAILURE() << "GetController made a controller without a controller class";
    } catch (const std::exception &error) {
        EXPECT_STREQ("QRM DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible", error.what());
    }
    DLLControllerClass = saved;

    // The window class is only needed by the first Open.
    const TfrmVRBaseOptClass savedWindow = frmVRBaseOptClass;
    frmVRBaseOptClass = nullptr;
    std::unique_ptr<TDLLBaseController> controller(GetController());
    ASSERT_NE(nullptr, dynamic_cast<TDLLVRCtrller *>(controller.get()));
    try {
        controller->Open(startup());
        ADD_FAILURE() << "Open made a window without a window class";
    } catch (const std::exception &error) {
        EXPECT_STREQ("QRM DLL Internal Error :\rNot Assign \"frmVRBaseOptClass\" varible", error.what());
    }
    EXPECT_TRUE(controller->IsClosed());
    frmVRBaseOptClass = savedWindow;
}

class ControllerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_shell = new kvtest::DemoShell; }
    static void TearDownTestSuite()
    {
        delete s_shell;
        s_shell = nullptr;
    }

    void SetUp() override
    {
        m_savedWindowClass = frmVRBaseOptClass;
        frmVRBaseOptClass = &createTestWindow;
        TfrmQipt07::closeWhenShown = false;
        const std::string serverIni = s_shell->serverIni();
        m_hostApp = std::make_shared<erphost::HostApp>(erphost::HostAppSettings{}, [serverIni] {
            return erphost::HostDataSource::inProcess(serverIni, kvtest::DemoShell::kCompanyDb);
        });
        newController();
    }

    void newController()
    {
        m_controller = std::make_unique<InProcessController>();
        m_sender = m_controller.get();
        m_controller->HostApp = kv::Variant(m_hostApp);
        m_controller->OnNotify = {&ControllerTest::record, this};
    }

    void TearDown() override
    {
        m_controller.reset();
        settle();
        frmVRBaseOptClass = m_savedWindowClass;
        for (const std::string &miss : m_prompter->misses())
            ADD_FAILURE() << "unanswered: " << miss;
        EXPECT_EQ(0u, m_prompter->pendingAnswers());
    }

    static void record(void *data, std::int32_t code, TDLLBaseController *sender)
    {
        auto *test = static_cast<ControllerTest *>(data);
        EXPECT_EQ(test->m_sender, sender);
        test->m_codes.push_back(code);
        if (test->m_onNotify)
            test->m_onNotify(code);
    }

    int count(int code) const { return static_cast<int>(std::count(m_codes.begin(), m_codes.end(), code)); }
    TfrmQipt07 *window() const { return static_cast<TfrmQipt07 *>(m_controller->Window.data()); }

    void openAndShow()
    {
        ASSERT_EQ(0, m_controller->Open(startup()));
        m_controller->SetVisible(kWordTrue);
        settle();
    }

    static kvtest::DemoShell *s_shell;
    std::shared_ptr<kv::ScriptedPrompter> m_prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter m_scoped{m_prompter};
    TfrmVRBaseOptClass m_savedWindowClass = nullptr;
    std::shared_ptr<erphost::HostApp> m_hostApp;
    std::unique_ptr<TDLLVRCtrller> m_controller;
    TDLLBaseController *m_sender = nullptr;
    std::vector<int> m_codes;
    std::function<void(int)> m_onNotify;
};

kvtest::DemoShell *ControllerTest::s_shell = nullptr;

TEST_F(ControllerTest, OneWindowLifeTellsCreateShowHideDestroyOnceAndReopens)
{
    openAndShow();
    ASSERT_FALSE(m_controller->IsClosed());
    EXPECT_EQ((std::vector<int>{kNotifyCreate, kNotifyShow}), m_codes);
    EXPECT_EQ(kLongTrue, m_controller->GetVisible());
    EXPECT_NE(0u, m_controller->GetHandle());
    EXPECT_EQ(u"900101-9.9.9.9", m_controller->GetVersion());
    // The window's own show handler still runs, before the host hears of it.
    EXPECT_EQ(1, std::count(window()->calls.begin(), window()->calls.end(), "FormShow"));

    // A second Open is refused by the window and chains nothing again.
    EXPECT_EQ(-1, m_controller->Open(startup()));
    m_controller->SetVisible(0);
    m_controller->SetVisible(kWordTrue);
    EXPECT_EQ(1, count(kNotifyCreate));
    EXPECT_EQ(2, count(kNotifyShow));
    EXPECT_EQ(1, count(kNotifyHide));

    // The user closes the window.
    QTest::keyClick(window(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(1, count(kNotifyDestroy));
    EXPECT_EQ(kNotifyDestroy, m_codes.back());
    EXPECT_TRUE(m_controller->IsClosed());
    EXPECT_EQ(0u, m_controller->GetHandle());
    EXPECT_EQ(kv::Variant(2), m_controller->ShowModal());
    kv::Variant info;
    EXPECT_EQ(-1, m_controller->GetInfo(info));

    m_codes.clear();
    ASSERT_EQ(0, m_controller->Open(startup()));
    EXPECT_EQ((std::vector<int>{kNotifyCreate}), m_codes);
}

TEST_F(ControllerTest, InfoHasFourElementsAndResultsComeBackOnDestroy)
{
    openAndShow();
    kv::Variant info;
    ASSERT_EQ(0, m_controller->GetInfo(info));
    ASSERT_TRUE(info.isArray());
    EXPECT_EQ(0, info.array().lowBound());
    EXPECT_EQ(3, info.array().highBound());
    EXPECT_EQ(kv::Variant("DS"), info[0]);
    EXPECT_EQ(kv::Variant("01"), info[1]);
    EXPECT_EQ(kv::Variant(window()->ProgramCode), info[2]);
    EXPECT_EQ(kv::Variant(window()->ProgramName), info[3]);

    EXPECT_EQ(0, m_controller->Execute(kExecuteRun, kv::Variant(), kv::varArrayOf({kv::Variant(true)})));
    // The host hears of the end with the results already copied and the
    // window already forgotten.
    bool closedAtNotification = false;
    m_onNotify = [&](int code) {
        if (code == kNotifyDestroy)
            closedAtNotification = m_controller->IsClosed();
    };
    m_controller->CloseWindow();
    EXPECT_TRUE(closedAtNotification);
    EXPECT_EQ(1, m_controller->ResultCode);
    EXPECT_EQ(kv::Variant("RunReport preview=1"), m_controller->ResultValue);
}

TEST_F(ControllerTest, ExecuteDispatchesByKindAndReadsItsParameters)
{
    ASSERT_EQ(0, m_controller->Open(startup()));
    const kv::Variant none;
    EXPECT_EQ(0, m_controller->Execute(5, none, kv::varArrayOf({false})));
    EXPECT_EQ(0, m_controller->Execute(6, none, kv::varArrayOf({true, "5401-0001"})));
    EXPECT_EQ(-1, m_controller->Execute(6, none, kv::varArrayOf({false, TfrmQipt07::kMissingKey})));
    EXPECT_EQ(0, m_controller->Execute(11, none, kv::varArrayOf({"K1", 2, "slip", 300})));
    EXPECT_EQ(0, m_controller->Execute(11, none, kv::varArrayOf({"K2", 3, "p"})));
    EXPECT_EQ(0, m_controller->Execute(11, none, kv::varArrayOf({"K3", 1, "p", "fine", "more"})));
    const std::size_t before = window()->calls.size();
    EXPECT_EQ(-1, m_controller->Execute(7, none, kv::varArrayOf({true})));
    EXPECT_EQ(before, window()->calls.size());
    EXPECT_EQ((std::vector<std::string>{"RunReport preview=0", "RunByKey key=5401-0001 preview=1",
                                        "RunByKey key=missing preview=0",
                                        "ExportByKey key=K1 kind=2 dpi=300 prefix=slip extra=",
                                        "ExportByKey key=K2 kind=3 dpi=96 prefix=p extra=",
                                        "ExportByKey key=K3 kind=1 dpi=96 prefix=p extra=more"}),
              window()->calls);

    // Parameters that cannot be read reach the host as the exception.
    EXPECT_THROW(m_controller->Execute(5, none, kv::Variant()), kv::VariantError);
    EXPECT_THROW(m_controller->Execute(6, none, kv::varArrayOf({true})), kv::VariantError);
    m_controller->CloseLayout();
    EXPECT_EQ("CloseLayoutWindow", window()->calls.back());
}

TEST_F(ControllerTest, ConditionPackagesReachTheWindowUnlessNull)
{
    ASSERT_EQ(0, m_controller->Open(startup()));
    EXPECT_EQ(-1, m_controller->SetConditions(kv::Variant::null()));
    EXPECT_TRUE(window()->ConditionPackage.isNull());

    // Mode 0 applies the values by name without running anything.
    const kv::Variant names = kv::varArrayOf({kv::varArrayOf({"", "edtNote"})});
    const kv::Variant package =
        kv::varArrayOf({"", kv::varArrayOf({0, kv::varArrayOf({true, kv::varArrayOf({names, kv::varArrayOf({"abc"})})})})});
    EXPECT_EQ(0, m_controller->SetConditions(package));
    EXPECT_EQ("abc", window()->edtNote->text().toStdString());
    EXPECT_TRUE(std::none_of(window()->calls.begin(), window()->calls.end(),
                             [](const std::string &call) { return call.rfind("Run", 0) == 0; }));
}

TEST_F(ControllerTest, ShowingRestoresAMinimisedWindowHidingLeavesItsState)
{
    openAndShow();
    window()->setWindowStateValue(kv::TKVForm::wsMinimized);
    m_controller->SetVisible(0);
    EXPECT_EQ(kv::TKVForm::wsMinimized, window()->windowStateValue());
    EXPECT_EQ(0, m_controller->GetVisible());
    m_controller->SetVisible(kWordTrue);
    EXPECT_EQ(kv::TKVForm::wsNormal, window()->windowStateValue());
    EXPECT_EQ(kLongTrue, m_controller->GetVisible());
}

TEST_F(ControllerTest, FreeingTheControllerClosesItsWindowAndAHostMayFreeItOnDestroy)
{
    openAndShow();
    QPointer<QWidget> shown = window();
    m_controller.reset();
    settle();
    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(kNotifyDestroy, m_codes.back());

    // A host that frees the controller when it hears of the end.
    newController();
    openAndShow();
    shown = window();
    m_onNotify = [this](int code) {
        if (code == kNotifyDestroy)
            m_controller.reset();
    };
    shown->close();
    settle();
    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(nullptr, m_controller);
    EXPECT_EQ(kNotifyDestroy, m_codes.back());
}

// Confirms every message box; the window decides how many it shows.
class ConfirmingPrompter : public kv::ScriptedPrompter {
public:
    kv::ModalResult messageBox(const std::string &text, const std::string &, kv::MessageType, kv::MessageButtons,
                               kv::MessageButton) override
    {
        texts.push_back(text);
        return kv::mrOk;
    }
    std::vector<std::string> texts;
};

TEST_F(ControllerTest, StartupWithoutHostOptionsFailsAndTheWindowClosesItself)
{
    auto confirming = std::make_shared<ConfirmingPrompter>();
    kv::ScopedPrompter scoped(confirming);
    EXPECT_EQ(-1, m_controller->Open(startup(4)));
    settle();
    EXPECT_FALSE(confirming->texts.empty());
    EXPECT_TRUE(m_controller->IsClosed());
    EXPECT_EQ((std::vector<int>{kNotifyCreate, kNotifyDestroy}), m_codes);
}

// The real module as the host loads it: its controller created by its own
// GetController (the module keeps its own copies of the shared code).
std::unique_ptr<TDLLBaseController> realModuleController()
{
    const std::string path = std::string(QIPR07_BIN_DIR) + "/QIPR07C.so";
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!module)
        return nullptr;
    using GetControllerFn = TDLLBaseController *(*)();
    auto getController = reinterpret_cast<GetControllerFn>(dlsym(module, "GetController"));
    return std::unique_ptr<TDLLBaseController>(getController ? getController() : nullptr);
}

// The report commands tell the host whether they printed (0), failed (-1,
// after the window said why) or found no slips (1). The module's message
// boxes are answered as erp-host answers them without a screen.
TEST_F(ControllerTest, TheRealModulesReportCommandsSayWhetherTheyPrintedFoundNothingOrFailed)
{
    std::unique_ptr<TDLLBaseController> controller = realModuleController();
    ASSERT_NE(nullptr, controller);
    controller->HostApp = kv::Variant(m_hostApp);
    std::ostringstream told;
    erphost::HeadlessDialogs dialogs(told);
    dialogs.install();
    qputenv("QIPR07_HEADLESS", "1");
    ASSERT_EQ(0, controller->Open(startup()));

    const auto database = s_shell->database();
    const kv::ResultTable slips = database->query(
        "SELECT TC001, TC002 FROM " + database->qualifiedTable(kvtest::DemoShell::kCompanyDb, "MOCTC") +
        " ORDER BY TC001, TC002");
    ASSERT_GT(slips.rowCount(), 0);
    const kv::Variant key = kv::varArrayOf({std::string(slips.text(0, 0)), std::string(slips.text(0, 1)), ""});
    const kv::Variant missing = kv::varArrayOf({std::string(slips.text(0, 0)), "NOSUCHSLIP", ""});
    const auto execute = [&](int kind, const std::vector<kv::Variant> &params) {
        return controller->Execute(kind, kv::Variant(), kv::varArrayOf(params));
    };

    EXPECT_EQ(kExecuteDone, execute(kExecuteRunByKey, {kv::Variant(true), key})) << told.str();
    EXPECT_EQ(0, dialogs.answered()) << told.str();

    EXPECT_EQ(kExecuteNoData, execute(kExecuteRunByKey, {kv::Variant(true), missing}));
    EXPECT_NE(std::string::npos, told.str().find("没有符合条件的资料！")) << told.str();
    EXPECT_EQ(kExecuteNoData, execute(kExecuteExportByKey, {missing, kv::Variant(3), kv::Variant("slip")}));
    // A key that names no slip finds nothing rather than every slip.
    const kv::Variant empty = kv::varArrayOf({"", "", ""});
    EXPECT_EQ(kExecuteNoData, execute(kExecuteRunByKey, {kv::Variant(true), empty}));
    EXPECT_EQ(kExecuteNoData, execute(kExecuteExportByKey, {empty, kv::Variant(3), kv::Variant("slip")}));

    // A print into a file that cannot be written, and pictures into a
    // folder that does not exist.
    QTemporaryDir dir;
    const QString pdf = dir.filePath("slips.pdf");
    ASSERT_TRUE(QFile::link(dir.filePath("gone/slips.pdf"), pdf));
    qputenv("QIPR07_PRINT_PDF", pdf.toLocal8Bit());
    EXPECT_EQ(kExecuteFailed, execute(kExecuteRunByKey, {kv::Variant(false), key}));
    qunsetenv("QIPR07_PRINT_PDF");
    EXPECT_NE(std::string::npos, told.str().find("Cannot start printing on " + pdf.toStdString())) << told.str();
    const std::string prefix = dir.filePath("gone/slip").toStdString();
    EXPECT_EQ(kExecuteFailed, execute(kExecuteExportByKey, {key, kv::Variant(3), kv::Variant(prefix)}));
    EXPECT_NE(std::string::npos, told.str().find("页面图片写入失败：" + prefix)) << told.str();
    // The command after a failure is not taken for one.
    EXPECT_EQ(kExecuteDone, execute(kExecuteRunByKey, {kv::Variant(true), key}));

    qunsetenv("QIPR07_HEADLESS");
    controller->CloseWindow();
    settle();
}

// The real module registers the material-issue report's window when it is
// loaded: its controller opens TfrmQipr07 on the demo company, which reports
// the report's own version stamp and program code.
TEST_F(ControllerTest, TheRealModuleOpensTheSlipReportWindow)
{
    const std::string path = std::string(QIPR07_BIN_DIR) + "/QIPR07C.so";
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(nullptr, module) << dlerror();
    using GetControllerFn = TDLLBaseController *(*)();
    auto getController = reinterpret_cast<GetControllerFn>(dlsym(module, "GetController"));
    ASSERT_NE(nullptr, getController);

    std::unique_ptr<TDLLBaseController> controller(getController());
    ASSERT_NE(nullptr, controller);
    std::vector<int> codes;
    controller->HostApp = kv::Variant(m_hostApp);
    controller->OnNotify = {[](void *data, std::int32_t code, TDLLBaseController *) {
                                static_cast<std::vector<int> *>(data)->push_back(code);
                            },
                            &codes};
    ASSERT_EQ(0, controller->Open(startup()));
    EXPECT_EQ((std::vector<int>{kNotifyCreate}), codes);
    EXPECT_EQ(u"890830-1.4.1.0", controller->GetVersion());
    kv::Variant info;
    ASSERT_EQ(0, controller->GetInfo(info));
    EXPECT_EQ(kv::Variant("QIPR07"), info[2]);

    controller->CloseWindow();
    settle();
    EXPECT_TRUE(controller->IsClosed());
    EXPECT_EQ(kNotifyDestroy, codes.back());
}

} // namespace
