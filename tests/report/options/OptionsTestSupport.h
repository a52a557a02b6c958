#pragma once
// What the condition-window tests share: a report window built on
// TfrmVRBaseOpt the way a report builds on it (a remark option, a query of
// fixed parts, a final SQL assembled from the parts), a slip layout whose
// data opening the test scripts, and a fixture that opens the window against
// the demo company served by the real in-process program server.

#include "base/BaseTestSupport.h"
#include "report/layout/LayoutTestSupport.h"

#include "base/KvBitBtn.h"
#include "base/KvLabel.h"
#include "controls/BtChkBox.h"
#include "controls/GSpdBtn.h"
#include "controls/KvRadioGroup.h"
#include "report/options/VRBaseOpt.h"

#include <QComboBox>
#include <QLineEdit>

#include <stdexcept>
#include <string>
#include <vector>

namespace optionstest {

using kv::Variant;

// How the next layout windows open their data, and what they were given.
struct LayoutScript {
    int result = 1;                 // answer of OpenData (rows are set for 1)
    kv::ResultTable data = layouttest::slipTable({{"5401", "0001", 2}});
    bool throwOnOpen = false;
    std::vector<std::string> sqls;  // every SQL OpenData was given
    int alive = 0;                  // layout windows not yet freed
    int created = 0;
};

inline LayoutScript &layoutScript()
{
    static LayoutScript script;
    return script;
}

class TestOptLayout : public layouttest::TestSlipLayout {
public:
    explicit TestOptLayout(QWidget *owner = nullptr) : TestSlipLayout(owner)
    {
        ++layoutScript().alive;
        ++layoutScript().created;
    }
    ~TestOptLayout() override { --layoutScript().alive; }

    int OpenData(const std::string &sql) override
    {
        LayoutScript &script = layoutScript();
        script.sqls.push_back(sql);
        if (script.throwOnOpen)
            throw std::runtime_error("data provider failed");
        if (script.result == 1)
            ClientDataSet1->setData(script.data);
        return script.result;
    }
};

// A report window: option slot 1 is a remark; the query has fixed parts
// with a where text the test chooses; FinishWhere answers the final SQL.
class TestOptWindow : public kv::TfrmVRBaseOpt {
public:
    TestOptWindow()
    {
        setObjectName(QStringLiteral("frmQipOpt"));
        edtRemark = named(new QLineEdit(tsOption1), "edtRemark");
        chkPrint = named(new kv::TBitCheckBox(tsOption1), "chkPrint");
        spNo = named(new kv::TSelectPanel(tsOption1), "spNo");
        // One send way per entry of the send-way table, as a report sets them.
        cboSendWay->clear();
        cboSendWay->addItems({"FAX To 供应商", "Email To 供应商", "FAX To 自定义对象", "Email To 自定义对象"});
        SetLayoutClass(kv::LayoutClass::of<TestOptLayout>("TTestOptLayout"));
    }

    void DefineProgram() override
    {
        TfrmVRBaseOpt::DefineProgram();
        SetOptionCount(1);
        MainTable = "MOCTC";
        SendStatusField = "TC017";
        SendWayTable = sendWays;
    }
    bool GetOptionCaptions(Variant &captions, int offset) override
    {
        if (!TfrmVRBaseOpt::GetOptionCaptions(captions, offset))
            return false;
        captions[1] = kv::varArrayOf({"备注", "edtRemark"});
        return true;
    }
    bool GetOptionValues(Variant &values, int offset) override
    {
        if (!TfrmVRBaseOpt::GetOptionValues(values, offset))
            return false;
        values[1] = edtRemark->text().toStdString();
        return true;
    }
    void BuildQuery(int mode, const Variant &valuesOrKey, Variant &sql) override
    {
        TfrmVRBaseOpt::BuildQuery(mode, valuesOrKey, sql);
        modes.push_back(mode);
        SetSelect("A.TC001, A.TC002");
        SetFrom("$$MOCTC A");
        SetWhere(where);
        SetOrderBy("A.TC001");
        sql = Variant("plain sql");
    }
    std::string FinishWhere() override
    {
        TfrmVRBaseOpt::FinishWhere();
        return assemble ? SelectPart + FromPart + WherePart + OrderByPart : std::string();
    }
    void PassToLayout(kv::TfrmVRFormat *layout) override { passed.push_back(layout); }
    void ReloadStyles() override { ++reloads; }

    QLineEdit *edtRemark;
    kv::TBitCheckBox *chkPrint;
    kv::TSelectPanel *spNo;
    std::string sendWays = "FAX,TC006,PURMA010;EMAIL,TC006,PURMA011;FAX,,;EMAIL,,;";
    std::string where = "A.TC001='5401'";
    bool assemble = true;
    std::vector<int> modes;
    std::vector<kv::TfrmVRFormat *> passed;
    int reloads = 0;

private:
    template <class T>
    static T *named(T *widget, const char *name)
    {
        widget->setObjectName(QLatin1String(name));
        return widget;
    }
};

class OptionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        company = &basetest::DemoCompany::shared();
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        writeClientSettings();
        host = std::make_shared<basetest::TestHost>(company->companyDb);
        kv::VRPreviewer::setCurrent(previewer);
        layoutScript() = LayoutScript();
    }

    void TearDown() override
    {
        kv::VRPreviewer::setCurrent(nullptr);
        if (window)
            window->Free();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(prompter->allAnswered());
    }

    void writeClientSettings(const std::string &components = {})
    {
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n"
                                               "[Server Information]\nComputerName=127.0.0.1\nServerPort=2110\n" +
                                                   components);
    }

    // A created window with the module file and host object, not opened.
    TestOptWindow *createWindow()
    {
        window = kv::TKVForm::Create<TestOptWindow>();
        window->SetModuleFileName("/opt/qrm/QIPR07C.so");
        window->HostApp = Variant(kv::DispatchPtr(host));
        return window;
    }

    TestOptWindow *openWindow()
    {
        createWindow();
        EXPECT_TRUE(window->OpenWindow(kv::varArrayOf({"DS", "01", company->companyDb, 0, "options"})));
        return window;
    }

    // The texts of the message boxes asked so far.
    std::vector<std::string> messages() const
    {
        return prompter->messageTexts();
    }

    // Chooses a send type and a send way as the user does.
    void chooseSend(int type, int way)
    {
        window->cboSendWay->setCurrentIndex(way);
        window->rgSendType->setItemIndex(type);
        window->cboSendWayChange();
    }

    kvtest::ShellFixture shell;
    basetest::DemoCompany *company = nullptr;
    std::shared_ptr<basetest::TestHost> host;
    std::shared_ptr<layouttest::RecordingPreviewer> previewer = std::make_shared<layouttest::RecordingPreviewer>();
    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scopedPrompter{prompter};
    QPointer<TestOptWindow> window;
};

} // namespace optionstest
