#pragma once
// What the TfrmVROpt tests share: the demo company of the window-base tests
// served by the real in-process program server and host-data objects, a
// host object whose lookup window picks the row a test names, a report
// window on TfrmVROpt with two option controls (a glyph check box and a
// combo box) whose layout class is a slip layout over fixed slip lines,
// and a preview that keeps the texts of the generated forms.

#include "base/BaseTestSupport.h"
#include "report/layout/LayoutTestSupport.h"

#include "controls/BtChkBox.h"
#include "controls/KovMaskEdit.h"
#include "report/layout/VRFormat.h"
#include "report/layout/VRPreviewer.h"
#include "report/options/VROpt.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace opttest {

using kv::Variant;
using kv::varArrayOf;

// The host's lookup window: the lookup data is the real one; the "user"
// picks the row whose first element is `pick` (nothing when empty).
class PickingF2Window : public kv::DispatchObject {
public:
    explicit PickingF2Window(const std::string &companyDb) : DispatchObject("PickingF2Window")
    {
        m_data = kv::createOleObject("QRM.F2Data");
        m_data->put("CompanyDB", companyDb);
        addMethod("F2GetData", 1, 1, [this](std::vector<Variant> &args) {
            const Variant &request = args[0].deref();
            lookups.push_back(request[0].toText() + "/" + request[1].toText() + "/" + kv::varToStr(request[2]));
            const Variant reply = m_data->invoke("F2GetData", args, kv::InvokeKind::Method);
            if (pick.empty() || !reply.isArray())
                return Variant();
            const kv::VariantArray &rows = reply[3].array();
            for (int row = rows.lowBound(); row <= rows.highBound(); ++row)
                if (kv::varToStr(rows.at(row)[0]) == pick)
                    return rows.at(row);
            return Variant();
        });
    }
    std::string pick;
    std::vector<std::string> lookups;

private:
    kv::DispatchPtr m_data;
};

// HostApp: the message catalogue and the server objects of the demo company.
class OptHost : public kv::DispatchObject {
public:
    explicit OptHost(const std::string &companyDb) : DispatchObject("OptHost")
    {
        counter = std::make_shared<basetest::TestCounter>(companyDb);
        f2Window = std::make_shared<PickingF2Window>(companyDb);
        m_messages = kv::createOleObject("QRM.MessageCatalog");
        m_messages->put("CompanyDB", companyDb);
        addMethod("GetMessage", 2, 2, [this](std::vector<Variant> &args) {
            return m_messages->invoke("GetMessage", args, kv::InvokeKind::Method);
        });
        addMethod("SetFormCreateStyle", 1, 1, [](std::vector<Variant> &) { return Variant(); });
        addProperty("Com_Counter", [this] { return Variant(kv::DispatchPtr(counter)); });
        addProperty("Com_Validator", [companyDb] {
            auto validator = kv::createOleObject("QRM.Validator");
            validator->put("CompanyDB", companyDb);
            return Variant(validator);
        });
        addProperty("Com_F2Window", [this] { return Variant(kv::DispatchPtr(f2Window)); });
        addProperty("VersionType", [] { return Variant(2); });
        addProperty("ProductID", [] { return Variant(5); });
    }
    std::shared_ptr<basetest::TestCounter> counter;
    std::shared_ptr<PickingF2Window> f2Window;

private:
    kv::DispatchPtr m_messages;
};

// The slip lines every run of the test layout prints.
inline kv::ResultTable &slipLines()
{
    static kv::ResultTable table = layouttest::slipTable({{"5401", "0001", 2}});
    return table;
}

// A slip layout that opens the fixed slip lines instead of asking the
// server, so that a run reaches the layout's pages.
class FixedSlipLayout : public layouttest::TestSlipLayout {
public:
    explicit FixedSlipLayout(QWidget *owner = nullptr) : TestSlipLayout(owner) {}
    int OpenData(const std::string &sql) override
    {
        lastSql = sql;
        nextData = slipLines();
        return TestSlipLayout::OpenData(sql);
    }
    static inline std::string lastSql;
};

inline constexpr const char *kLayoutClass = "TfrmOptTestFmt";

// A report window on TfrmVROpt: chkPrint and cboKind are the option
// controls its styles are saved with.
class OptWindow : public kv::TfrmVROpt {
public:
    OptWindow()
    {
        setObjectName(QStringLiteral("frmQipVROpt"));
        chkPrint = new kv::TBitCheckBox(tsOption1);
        chkPrint->setObjectName(QStringLiteral("chkPrint"));
        chkPrint->setCaption(QStringLiteral("汇总打印"));
        cboKind = new QComboBox(tsOption1);
        cboKind->setObjectName(QStringLiteral("cboKind"));
        cboKind->addItems({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
        cboKind->setCurrentIndex(0);
        MainTable = "MOCTC";
    }

    void DefineProgram() override
    {
        kv::TfrmVROpt::DefineProgram();
        SlipTypeSetting = "54";
        SetOptionStateControls("chkPrint: TBitCheckBox;cboKind: TComboBox");
        // The servers are there by now: the list is read at once.
        SetLayoutClass(kv::LayoutClass::of<FixedSlipLayout>(kLayoutClass));
    }
    void BuildQuery(int mode, const Variant &valuesOrKey, Variant &sql) override
    {
        kv::TfrmVROpt::BuildQuery(mode, valuesOrKey, sql);
        sql = Variant("SELECT * FROM $$MOCTC WHERE TC001=" + kv::varToStr(valuesOrKey.deref()[0]));
    }

    using kv::TfrmVROpt::PassToLayout;
    using kv::TfrmVROpt::SlipTypeSetting;

    kv::TBitCheckBox *chkPrint;
    QComboBox *cboKind;
};

// Forms the preview was handed, by run.
class FormsPreviewer : public kv::VRPreviewer {
public:
    void ShowPreview(const kv::PreviewRequest &request) override
    {
        runs.push_back(request.pages ? layouttest::formsOf(*request.pages) : std::vector<layouttest::Form>());
    }
    std::vector<std::vector<layouttest::Form>> runs;
};

// Answers OK to every message box: the window's construction is not what
// these tests look at (a button picture the glyph store lacks is reported
// while the base window builds its components).
class AgreeingPrompter : public kv::ScriptedPrompter {
public:
    kv::ModalResult messageBox(const std::string &text, const std::string &, kv::MessageType, kv::MessageButtons,
                               kv::MessageButton) override
    {
        texts.push_back(text);
        return kv::mrOk;
    }
    std::vector<std::string> texts;
};

// Every test gets a fresh shell installation, host object, scripted
// prompter and preview, and a window opened on the demo company with the
// test layout class.
class OptTest : public testing::Test {
protected:
    void SetUp() override
    {
        company = &basetest::DemoCompany::shared();
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n"
                                               "[Server Information]\nComputerName=127.0.0.1\nServerPort=2110\n");
        host = std::make_shared<OptHost>(company->companyDb);
        kv::VRPreviewer::setCurrent(previewer);
        clearStyles();
        restoreProgramRecord();
    }

    void TearDown() override
    {
        kv::VRPreviewer::setCurrent(nullptr);
        if (window)
            window->Free();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    OptWindow *openWindow(bool show = true)
    {
        {
            kv::ScopedPrompter construction(std::make_shared<AgreeingPrompter>());
            window = kv::TKVForm::Create<OptWindow>();
        }
        window->SetModuleFileName("/opt/qrm/QIPR07C.so");
        window->HostApp = Variant(kv::DispatchPtr(host));
        EXPECT_TRUE(window->OpenWindow(varArrayOf({"DS", "01", company->companyDb, 0, "options"})))
            << window->ErrorCodes << " " << window->ErrorTexts;
        if (show) {
            EXPECT_TRUE(kvtest::showActive(window));
        }
        return window;
    }

    // --- the demo company's tables
    std::string table(const char *name) const { return company->database->qualifiedTable(company->companyDb, name); }

    void insert(const char *name, const std::vector<std::pair<std::string, Variant>> &row)
    {
        std::string columns, values;
        slip::SqlParams params;
        for (const auto &[column, value] : row) {
            columns += (columns.empty() ? "" : ", ") + column;
            values += (values.empty() ? ":" : ", :") + column;
            params.emplace_back(column, value);
        }
        company->database->execute("INSERT INTO " + table(name) + " (" + columns + ") VALUES (" + values + ")",
                                   params);
    }

    void execute(const std::string &sql) { company->database->execute(sql); }

    void storeStyle(const std::string &name, const std::string &optionState, const char *layoutClass = kLayoutClass)
    {
        insert("WARRANT", {{"NT001", layoutClass}, {"NT002", name}, {"NT003", "1"}, {"NT005", optionState}});
    }

    void clearStyles() { execute("DELETE FROM " + table("WARRANT")); }

    // The program's print settings as the demo company has them.
    void restoreProgramRecord()
    {
        execute("DELETE FROM " + table("CMSMT"));
        insert("CMSMT", {{"MT001", "QIPR07"}, {"MT002", "F01"}, {"MT003", "Y"}, {"MT004", "S01"}, {"MT005", "Y"},
                         {"MT006", ""}, {"MT007", "N"}, {"MT008", "N"}});
    }

    // A slip type of nature 54 with the given print settings MQ004..MQ013.
    void addSlipType(const std::string &code, const std::vector<std::string> &settings)
    {
        execute("DELETE FROM " + table("CMSMQ") + " WHERE MQ001 = '" + code + "'");
        std::vector<std::pair<std::string, Variant>> row = {
            {"MQ001", code}, {"MQ002", "测试单别 " + code}, {"MQ003", "54"}};
        for (std::size_t i = 0; i < settings.size(); ++i) {
            const int number = 4 + int(i);
            row.emplace_back((number < 10 ? "MQ00" : "MQ0") + std::to_string(number), settings[i]);
        }
        insert("CMSMQ", row);
    }

    void writeUserDefaults(const std::string &entries)
    {
        shell.writeFile("client/UserDef.ini", "[VoucherFormatDef]\n" + entries);
    }

    // --- reading the window
    QStringList styleList() const
    {
        QStringList items;
        for (int i = 0; i < window->cboFormStyleName->count(); ++i)
            items << window->cboFormStyleName->itemText(i);
        return items;
    }
    QString styleText() const { return window->cboFormStyleName->currentText(); }

    QStringList footerLines() const
    {
        return {window->edtNote1->Text(), window->edtNote2->Text(), window->edtNote3->Text()};
    }
    QStringList signOffLines() const
    {
        return {window->edtSignIn1->Text(), window->edtSignIn2->Text(), window->edtSignIn3->Text()};
    }

    std::vector<std::string> messages() const
    {
        return prompter->questionTexts();
    }

    kvtest::ShellFixture shell;
    basetest::DemoCompany *company = nullptr;
    std::shared_ptr<OptHost> host;
    std::shared_ptr<FormsPreviewer> previewer = std::make_shared<FormsPreviewer>();
    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scopedPrompter{prompter};
    QPointer<OptWindow> window;
};

} // namespace opttest
