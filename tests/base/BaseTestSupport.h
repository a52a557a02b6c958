#pragma once
// What the window-base tests share: a demo company database served by the
// real in-process program server and host-data objects, a throw-away shell
// installation whose client settings name the loop-back address, a stand-in
// for the host's automation object, and a small program window built on
// TfrmBaseGene the way a report window is.

#include "base/BaseGene.h"
#include "base/KvBitBtn.h"
#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "base/ListView.h"
#include "base/SocketConnection.h"
#include "controls/SelectPnl.h"
#include "controls/UserInput.h"
#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
#include "platform/DispatchObject.h"
#include "platform/ScriptedPrompter.h"
#include "support/ShellFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace basetest {

using kv::Variant;

// One demo company for the whole test program, its objects registered for
// in-process creation.
struct DemoCompany {
    QTemporaryDir dir;
    std::shared_ptr<slip::Database> database;
    std::string companyDb = "BG" + std::to_string(::getpid());

    DemoCompany()
    {
        database = slip::Database::openSqlite(dir.path().toStdString());
        slip::DemoDataOptions options;
        options.companyDb = companyDb;
        options.slips = 2;
        slip::DemoData(*database, options).generate();
        slip::registerServerObjects(database, slip::ServerConfig::sqlite(dir.path().toStdString()));
    }

    static DemoCompany &shared()
    {
        static DemoCompany company;
        return company;
    }

    void clearConditionSets() { database->execute("DELETE FROM " + database->qualifiedTable(companyDb, "GENES")); }
};

// The host's counter object, with a switch that makes GetSysInfo answer
// nothing (a server that lost its settings).
class TestCounter : public kv::DispatchObject {
public:
    explicit TestCounter(const std::string &companyDb) : DispatchObject("TestCounter")
    {
        m_real = kv::createOleObject("QRM.Counter");
        m_real->put("CompanyDB", companyDb);
        addMethod("GetSysInfo", 1, 1, [this](std::vector<Variant> &args) {
            return emptyReply ? Variant() : m_real->invoke("GetSysInfo", args, kv::InvokeKind::Method);
        });
        addMethod("GetCounter", 3, 3, [this](std::vector<Variant> &args) {
            return m_real->invoke("GetCounter", args, kv::InvokeKind::Method);
        });
    }
    bool emptyReply = false;

private:
    kv::DispatchPtr m_real;
};

// The host's lookup window object: the calendar and phrase picker answer
// what the test sets; lookups go to the real lookup data.
class TestF2Window : public kv::DispatchObject {
public:
    explicit TestF2Window(const std::string &companyDb) : DispatchObject("TestF2Window")
    {
        m_data = kv::createOleObject("QRM.F2Data");
        m_data->put("CompanyDB", companyDb);
        addMethod("ShowInputDay", 1, 1, [this](std::vector<Variant> &args) {
            dayRequests.push_back(args[0]);
            return Variant(nextDay);
        });
        addMethod("GetPhrase", 3, 3, [this](std::vector<Variant> &) { return Variant(nextPhrase); });
        addMethod("F2GetData", 1, 1, [this](std::vector<Variant> &args) {
            const Variant reply = m_data->invoke("F2GetData", args, kv::InvokeKind::Method);
            // Kept without the host object, which holds this object.
            Variant request = args[0];
            request[17] = Variant();
            lookupRequests.push_back(request);
            return reply;
        });
    }
    std::vector<Variant> dayRequests;
    std::vector<Variant> lookupRequests;
    std::string nextDay;
    std::string nextPhrase;

private:
    kv::DispatchPtr m_data;
};

// HostApp: messages from the real message catalogue, the server objects of
// the demo company, and a record of the help calls.
class TestHost : public kv::DispatchObject {
public:
    explicit TestHost(const std::string &companyDb) : DispatchObject("TestHost")
    {
        counter = std::make_shared<TestCounter>(companyDb);
        f2Window = std::make_shared<TestF2Window>(companyDb);
        m_messages = kv::createOleObject("QRM.MessageCatalog");
        m_messages->put("CompanyDB", companyDb);
        addMethod("GetMessage", 2, 2, [this](std::vector<Variant> &args) {
            return m_messages->invoke("GetMessage", args, kv::InvokeKind::Method);
        });
        addMethod("CallHelp", 1, 1, [this](std::vector<Variant> &args) {
            helpCalls.push_back(args[0]);
            return Variant();
        });
        addProperty("Com_Counter", [this] { return Variant(kv::DispatchPtr(counter)); });
        addProperty("Com_Validator", [this, companyDb] {
            if (!withValidator)
                throw kv::DispatchError("no validator");
            auto validator = kv::createOleObject("QRM.Validator");
            validator->put("CompanyDB", companyDb);
            return Variant(validator);
        });
        addProperty("Com_F2Window", [this] { return Variant(kv::DispatchPtr(f2Window)); });
        addProperty("VersionType", [] { return Variant(2); });
        addProperty("ProductID", [] { return Variant(5); });
    }

    std::shared_ptr<TestCounter> counter;
    std::shared_ptr<TestF2Window> f2Window;
    std::vector<Variant> helpCalls;
    bool withValidator = true;

private:
    kv::DispatchPtr m_messages;
};

// A program window as the report windows build on the base: a date range,
// a code panel, a year-month edit, a remark, a kind list and a memo on the
// first page; it connects its program server like the condition window.
class TestWindow : public kv::TfrmBaseGene {
public:
    TestWindow()
    {
        setObjectName(QStringLiteral("frmQipTest"));
        MainMidas->setServerName(QStringLiteral("Slipserv.Class1"));
        spDate = named(new kv::TSelectPanel(tsOption1), "spDate");
        spDate->setGeometry(8, 8, 300, 60);
        spCode = named(new kv::TSelectPanel(tsOption1), "spCode");
        spCode->setGeometry(8, 72, 300, 60);
        spCode->setStyle(kv::TSelectPanel::sp_UserChoice);
        edtMonth = named(new kv::TKovMaskEdit(tsOption1), "edtMonth");
        edtMonth->setGeometry(8, 136, 80, 21);
        edtRemark = named(new kv::TKovMaskEdit(tsOption1), "edtRemark");
        edtRemark->setGeometry(100, 136, 120, 21);
        cboKind = named(new QComboBox(tsOption1), "cboKind");
        cboKind->addItems({"甲", "乙", "丙"});
        cboKind->setGeometry(8, 160, 80, 21);
        moNote = named(new QPlainTextEdit(tsOption1), "moNote");
        moNote->setGeometry(100, 160, 120, 60);
    }

    static constexpr const char *kSpecs = "spDate.style;spCode.style;edtMonth.text;edtRemark.text;cboKind.itemindex";

    bool OpenWindow(const Variant &params) override
    {
        const bool opened = TfrmBaseGene::OpenWindow(params);
        if (ProgramServer.isObject())
            ProgramServer.toObject()->call(
                "Connect", {kv::varArrayOf({ProgramCode, UserID, CompanyID, CompanyDB, "MOCTC", {}, {}, {}})});
        return opened;
    }
    void DefineProgram() override
    {
        TfrmBaseGene::DefineProgram();
        F2Flags |= 7;
        AddDateField("spDate");
        AddMonthField("edtMonth");
        CheckDateInput(spDate, true);
        CheckMonthInput(edtMonth, true);
        CheckDateInput(edPrintDate, true);
        SetOptionCount(1);
    }
    bool GetOptionCaptions(Variant &captions, int offset) override
    {
        if (!TfrmBaseGene::GetOptionCaptions(captions, offset))
            return false;
        if (!skipRemarkCaption)
            captions[1] = kv::varArrayOf({"备注", "edtRemark"});
        return true;
    }
    bool GetOptionValues(Variant &values, int offset) override
    {
        if (!TfrmBaseGene::GetOptionValues(values, offset))
            return false;
        values[1] = edtRemark->Text().toStdString();
        return true;
    }
    void btnOkClick() override { ++runs; }
    void btnInsertClick() override
    {
        TfrmBaseGene::btnInsertClick();
        if (InputInvalid)
            return;
        if (viaDialog) {
            saved = SaveConditionSetAs(kSpecs, DateFields, 0);
            return;
        }
        saved = SaveConditionSet(kSpecs, nextSetName, false);
        LoadConditionSets();
    }
    bool RunExternalMode(int mode) override
    {
        externalModes.push_back(mode);
        return true;
    }

    kv::TSelectPanel *spDate;
    kv::TSelectPanel *spCode;
    kv::TKovMaskEdit *edtMonth;
    kv::TKovMaskEdit *edtRemark;
    QComboBox *cboKind;
    QPlainTextEdit *moNote;
    int runs = 0;
    bool saved = false;
    bool skipRemarkCaption = false;
    std::string nextSetName = "方案一";
    // The save button asks through the set dialog instead of nextSetName.
    bool viaDialog = false;
    std::vector<int> externalModes;

private:
    template <class T>
    static T *named(T *widget, const char *name)
    {
        widget->setObjectName(QLatin1String(name));
        return widget;
    }
};

// Every test gets a fresh shell installation, host object and scripted
// prompter; windows are made with openWindow().
class BaseGeneTest : public testing::Test {
protected:
    void SetUp() override
    {
        company = &DemoCompany::shared();
        company->clearConditionSets();
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        writeClientSettings("127.0.0.1");
        host = std::make_shared<TestHost>(company->companyDb);
    }

    void TearDown() override
    {
        if (window)
            window->Free();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void writeClientSettings(const std::string &servers, const std::string &extra = {})
    {
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n"
                                               "[Server Information]\nComputerName=" +
                                                   servers + "\nServerPort=2110\n" + extra);
    }

    // A created window with the module file and host object, not opened.
    TestWindow *createWindow(const std::string &module = "/opt/qrm/QIPR07C.so")
    {
        window = kv::TKVForm::Create<TestWindow>();
        window->SetModuleFileName(module);
        window->HostApp = Variant(kv::DispatchPtr(host));
        return window;
    }

    Variant startArray(int elements = 5) const
    {
        std::vector<Variant> values = {"DS", "01", company->companyDb, 0, "options"};
        values.resize(std::size_t(elements));
        return kv::varArrayOf(values);
    }

    // Created, opened with the full start array and shown as the active window.
    TestWindow *openWindow()
    {
        createWindow();
        EXPECT_TRUE(window->OpenWindow(startArray()));
        EXPECT_TRUE(kvtest::showActive(window));
        return window;
    }

    // The texts of the message boxes asked so far.
    std::vector<std::string> messages() const
    {
        return prompter->messageTexts();
    }

    // Lets posted close requests and deferred frees happen.
    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    kvtest::ShellFixture shell;
    DemoCompany *company = nullptr;
    std::shared_ptr<TestHost> host;
    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scopedPrompter{prompter};
    QPointer<TestWindow> window;
};

} // namespace basetest
