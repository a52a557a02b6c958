#pragma once
// What the slip report's tests share: one demo company per test program on
// a temporary SQLite database, served by the real in-process program server
// and host-data objects; a throw-away shell installation whose client
// settings name the loop-back address; a stand-in for the host's automation
// object whose validator counts the reads and whose lookup window answers
// what the test scripts; and the report window opened on all of it.

#include "controls/GSpdBtn.h"
#include "qipr07/ConstructionPrompter.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "controls/UserInput.h"
#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
#include "platform/Dispatch.h"
#include "platform/DispatchObject.h"
#include "platform/ScriptedPrompter.h"
#include "qipr07/Qipr07.h"
#include "support/ShellFixture.h"
#include "support/PgServer.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace qipr07test {

using kv::Variant;

using kvtest::pgConnInfo;

// One demo company per engine for the whole test program; activate() makes
// its objects the ones created in-process. The demo slip types are
// 5401-5403 (nature 54) and 5501-5502 (nature 55).
struct DemoCompany {
    QTemporaryDir dir;
    slip::DbEngine engine;
    std::shared_ptr<slip::Database> database;
    std::string companyDb;
    slip::ServerConfig config;

    explicit DemoCompany(slip::DbEngine engine) : engine(engine)
    {
        if (engine == slip::DbEngine::SQLite) {
            companyDb = "QP" + std::to_string(::getpid());
            database = slip::Database::openSqlite(dir.path().toStdString());
            config = slip::ServerConfig::sqlite(dir.path().toStdString());
        } else {
            companyDb = "qp_" + std::to_string(::getpid());
            database = slip::Database::openPostgres(pgConnInfo());
            config = slip::ServerConfig::postgres(pgConnInfo());
        }
        slip::DemoDataOptions options;
        options.companyDb = companyDb;
        options.slips = 30;
        slip::DemoData(*database, options).generate();
    }
    // A PostgreSQL company outlives the process unless dropped; this runs
    // when the tests end, while the database connections still work (not
    // at exit, when the connection pools' thread bookkeeping is gone).
    void drop()
    {
        if (engine != slip::DbEngine::PostgreSQL || dropped)
            return;
        dropped = true;
        try {
            if (database->companyExists(companyDb))
                database->dropCompany(companyDb);
        } catch (const std::exception &error) {
            ADD_FAILURE() << "dropping " << companyDb << ": " << error.what();
        }
    }
    bool dropped = false;

    static DemoCompany &shared(slip::DbEngine engine = slip::DbEngine::SQLite)
    {
        if (engine == slip::DbEngine::SQLite) {
            static DemoCompany sqlite(slip::DbEngine::SQLite);
            return sqlite;
        }
        static DemoCompany postgres(slip::DbEngine::PostgreSQL);
        postgresMade() = &postgres;
        return postgres;
    }
    static DemoCompany *&postgresMade()
    {
        static DemoCompany *made = nullptr;
        return made;
    }

    void activate() { slip::registerServerObjects(database, config); }

    // The shell's server settings that reach this company (for erp-host).
    std::string serverSettings() const
    {
        if (engine == slip::DbEngine::SQLite)
            return "[Slipserv]\nEngine=sqlite\nDataDir=" + dir.path().toStdString() + "\n";
        return "[Slipserv]\nEngine=postgres\nConnInfo=" + std::string(pgConnInfo()) + "\n";
    }

    std::string table(const std::string &name) const { return database->qualifiedTable(companyDb, name); }
};

// Drops the PostgreSQL demo company once every test has run.
class DemoCompanyCleanup : public testing::Environment {
public:
    void TearDown() override
    {
        if (DemoCompany *company = DemoCompany::postgresMade())
            company->drop();
    }
};
inline testing::Environment *const kDemoCompanyCleanup =
    testing::AddGlobalTestEnvironment(new DemoCompanyCleanup);

// Passes every call on to a real object and writes down the method calls
// with their first two arguments ("CheckValue CMSMQ 22").
class RecordingDispatch : public kv::Dispatch {
public:
    explicit RecordingDispatch(kv::DispatchPtr real) : m_real(std::move(real)) {}

    std::string className() const override { return m_real->className(); }

    Variant invoke(std::string_view name, std::vector<Variant> &args, kv::InvokeKind kind) override
    {
        if (kind == kv::InvokeKind::Method) {
            std::string call(name);
            for (std::size_t i = 0; i < args.size() && i < 2; ++i)
                call += " " + textOf(args[i]);
            calls.push_back(call);
        }
        return m_real->invoke(name, args, kind);
    }

    int count(const std::string &call) const { return int(std::count(calls.begin(), calls.end(), call)); }

    std::vector<std::string> calls;

private:
    static std::string textOf(const Variant &value)
    {
        try {
            return kv::varToStr(value.deref());
        } catch (const std::exception &) {
            return value.deref().debugText();
        }
    }

    kv::DispatchPtr m_real;
};

// The host's lookup window: the calendar answers nextDay, a lookup answers
// nextRow (unassigned: the user cancelled). Requests are kept without the
// host object.
class ScriptedF2Window : public kv::DispatchObject {
public:
    ScriptedF2Window() : DispatchObject("ScriptedF2Window")
    {
        addMethod("ShowInputDay", 1, 1, [this](std::vector<Variant> &args) {
            dayRequests.push_back(args[0].deref());
            return Variant(nextDay);
        });
        addMethod("GetPhrase", 3, 3, [](std::vector<Variant> &) { return Variant(std::string()); });
        addMethod("F2GetData", 1, 1, [this](std::vector<Variant> &args) {
            Variant request = args[0].deref();
            request[17] = Variant();
            lookupRequests.push_back(request);
            return nextRow;
        });
    }
    std::vector<Variant> dayRequests;
    std::vector<Variant> lookupRequests;
    std::string nextDay;
    Variant nextRow;
};

// HostApp: messages from the real message catalogue, the demo company's
// counter and validator (the validator recorded), the scripted lookups.
class TestHost : public kv::DispatchObject {
public:
    explicit TestHost(const std::string &companyDb) : DispatchObject("TestHost")
    {
        m_messages = kv::createOleObject("QRM.MessageCatalog");
        m_messages->put("CompanyDB", companyDb);
        m_counter = kv::createOleObject("QRM.Counter");
        m_counter->put("CompanyDB", companyDb);
        auto realValidator = kv::createOleObject("QRM.Validator");
        realValidator->put("CompanyDB", companyDb);
        validator = std::make_shared<RecordingDispatch>(realValidator);
        f2Window = std::make_shared<ScriptedF2Window>();
        addMethod("GetMessage", 2, 2, [this](std::vector<Variant> &args) {
            return m_messages->invoke("GetMessage", args, kv::InvokeKind::Method);
        });
        addMethod("CallHelp", 1, 1, [](std::vector<Variant> &) { return Variant(); });
        addMethod("SetFormCreateStyle", 1, 1, [](std::vector<Variant> &) { return Variant(); });
        addProperty("Com_Counter", [this] { return Variant(m_counter); });
        addProperty("Com_Validator", [this] { return Variant(kv::DispatchPtr(validator)); });
        addProperty("Com_F2Window", [this] { return Variant(kv::DispatchPtr(f2Window)); });
        addProperty("VersionType", [] { return Variant(2); });
        addProperty("ProductID", [] { return Variant(5); });
    }

    std::shared_ptr<RecordingDispatch> validator;
    std::shared_ptr<ScriptedF2Window> f2Window;

private:
    kv::DispatchPtr m_messages;
    kv::DispatchPtr m_counter;
};


// Every test gets a fresh shell installation, host object and scripted
// prompter; openWindow() makes the report window as the controller does.
class ReportWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        company = &DemoCompany::shared(engine());
        company->activate();
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n"
                                               "[Server Information]\nComputerName=127.0.0.1\nServerPort=2110\n");
        host = std::make_shared<TestHost>(company->companyDb);
    }

    void TearDown() override
    {
        if (window)
            window->Free();
        settle();
        for (const std::string &miss : prompter->misses())
            ADD_FAILURE() << "unanswered: " << miss;
        EXPECT_EQ(0u, prompter->pendingAnswers()) << "scripted answers left over";
    }

    // The engine of the demo company; SQLite unless a test runs on both.
    virtual slip::DbEngine engine() const { return slip::DbEngine::SQLite; }

    // Created hidden and without owner, opened with the host's start-up
    // array and shown as the active window.
    kv::TfrmQipr07 *openWindow()
    {
        {
            auto building = std::make_shared<ConstructionPrompter>();
            kv::ScopedPrompter scoped(building);
            window = kv::TKVForm::Create<kv::TfrmQipr07>();
            for (const std::string &miss : building->misses())
                ADD_FAILURE() << "while building the window: " << miss;
        }
        window->SetModuleFileName("/opt/qrm/QIPR07C.so");
        window->HostApp = Variant(kv::DispatchPtr(host));
        EXPECT_TRUE(window->OpenWindow(kv::varArrayOf({"DS", "01", company->companyDb, 0, "options"})))
            << window->ErrorTexts;
        EXPECT_TRUE(kvtest::showActive(window));
        return window;
    }

    // The option values of a run from the window's current conditions.
    Variant optionValues()
    {
        Variant params;
        EXPECT_TRUE(window->BuildRunParameters(params)) << window->ErrorTexts;
        return params.isArray() ? params[2] : Variant();
    }

    // The report's final SQL of a run from conditions (mode 0) or by key.
    std::string conditionSql()
    {
        Variant sql;
        window->BuildQuery(0, optionValues(), sql);
        return window->FinishWhere();
    }
    std::string keySql(const Variant &key)
    {
        Variant sql;
        window->BuildQuery(1, key, sql);
        return window->FinishWhere();
    }

    // Types into edtTC001 as a user does and leaves it for the slip numbers.
    void typeSlipType(const QString &text)
    {
        window->edtTC001->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        window->edtTC001->selectAll();
        kvtest::keyClick(window->edtTC001, Qt::Key_Delete);
        kvtest::typeText(window->edtTC001, text);
        leaveSlipType();
    }
    void leaveSlipType()
    {
        window->splTC002->SetFocus();
        QApplication::processEvents();
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
    QPointer<kv::TfrmQipr07> window;
};

} // namespace qipr07test
