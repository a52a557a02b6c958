#pragma once
// What the layout-window tests share: slip data built in memory, a test slip
// layout on the standard slip window (ten lines to a page, an item field
// that can stretch, an asterisk total), the condition window that owns it
// with a program server the test scripts, a preview that records what it
// was handed, and the texts of the generated forms.

#include "base/BaseGene.h"
#include "platform/ClientDataSet.h"
#include "platform/DispatchObject.h"
#include "platform/ScriptedPrompter.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"
#include "report/layout/VRFormat.h"
#include "report/layout/VRPreviewer.h"
#include "support/ShellFixture.h"

#include <QApplication>
#include <QPointer>

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

// Readable test failures for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace layouttest {

using kv::Variant;

// One slip: type, number and its number of lines.
struct Slip {
    std::string type;
    std::string number;
    int lines = 1;
};

// Slip lines with the columns the test layout prints: TC001, TC002 (slip
// key), TE003 (line), TE004 (item; long where asked, counting rows from 0),
// TE005 (quantity) and TOTAL (the slip's total quantity on every line).
inline kv::ResultTable slipTable(const std::vector<Slip> &slips, const std::set<int> &longRows = {})
{
    kv::ResultTable::Builder builder;
    for (const char *name : {"TC001", "TC002", "TE003", "TE004"})
        builder.addColumn(name, kv::FieldType::Text);
    builder.addColumn("TE005", kv::FieldType::Float);
    builder.addColumn("TOTAL", kv::FieldType::Float);
    int row = 0;
    for (const Slip &slip : slips) {
        for (int line = 1; line <= slip.lines; ++line, ++row) {
            builder.setText(0, slip.type);
            builder.setText(1, slip.number);
            builder.setText(2, std::to_string(line));
            const std::string item = "ITEM-" + std::to_string(line);
            builder.setText(3, longRows.count(row) ? item + " 一段很长很长的材料说明，要占好几行才印得完，所以这一行会被撑高"
                                                   : item);
            builder.setNumber(4, line);
            builder.setNumber(5, slip.lines * (slip.lines + 1) / 2.0);
            builder.endRow();
        }
    }
    return builder.finish();
}

// The standard slip window with ten lines to a page: a line is 10 high and
// the footer 90 (footer / line + 1 lines fit).
class TestSlipLayout : public kv::TfrmVRFormat {
public:
    static constexpr int kLine = 10;

    explicit TestSlipLayout(QWidget *owner = nullptr) : TfrmVRFormat(owner)
    {
        QRDetailBand->setHeight(kLine);
        QRGroupFooter->setHeight(9 * kLine);
        lblSeq->setTop(0);
        lblSeq->setHeight(9);
        QRGroup->setExpression(QStringLiteral("ClientDataSet1.TC001+ClientDataSet1.TC002"));

        txtTE004 = field(QRDetailBand, "txtTE004", "TE004", 40, 0);
        txtTE004->setWidth(120);
        // Small enough that a one-line item stays within its line.
        QFont small = txtTE004->font();
        small.setPixelSize(8);
        txtTE004->setFont(small);
        txtTE004->setAutoStretch(true);
        txtTotal = field(GroupFooterChildBand, "txtTotal", "TOTAL", 400, 6);
        txtTotal->setTextType(4);
    }

    kv::TKVQRDBText *field(kv::TQRBand *band, const char *name, const char *dataField, int left, int top)
    {
        auto *text = new kv::TKVQRDBText(band);
        text->setObjectName(QLatin1String(name));
        text->setDataSet(ClientDataSet1);
        text->setDataField(QLatin1String(dataField));
        text->setLeft(left);
        text->setTop(top);
        text->setWidth(80);
        text->setHeight(9);
        return text;
    }

    // Opens the report data as the layout's OpenData would.
    int OpenData(const std::string &sql) override
    {
        (void)sql;
        ClientDataSet1->setData(nextData);
        return ClientDataSet1->IsEmpty() ? 0 : 1;
    }

    kv::ResultTable nextData;
    kv::TKVQRDBText *txtTE004 = nullptr;
    kv::TKVQRDBText *txtTotal = nullptr;
};

// The texts one form (one slip page) shows, by component, top to bottom.
struct Form {
    std::map<QString, QStringList> texts;
    QString text(const QString &component) const
    {
        const auto found = texts.find(component);
        return found == texts.end() || found->second.isEmpty() ? QStringLiteral("<none>") : found->second.first();
    }
    QStringList all(const QString &component) const
    {
        const auto found = texts.find(component);
        return found == texts.end() ? QStringList() : found->second;
    }
    bool has(const QString &component) const { return texts.count(component) > 0; }
};

inline std::vector<Form> formsOf(const kv::PageStore &store)
{
    std::map<int, std::vector<kv::PageText>> byForm;
    for (int page = 1; page <= store.pageCount(); ++page) {
        for (kv::PageText &text : store.texts(page))
            byForm[text.form].push_back(std::move(text));
    }
    std::vector<Form> forms;
    for (auto &[number, texts] : byForm) {
        std::stable_sort(texts.begin(), texts.end(),
                         [](const kv::PageText &a, const kv::PageText &b) { return a.rect.top() < b.rect.top(); });
        Form form;
        for (const kv::PageText &text : texts)
            form.texts[text.component] << text.text;
        forms.push_back(std::move(form));
    }
    return forms;
}

// The program server of the condition window: every call is recorded;
// replies are what the test sets.
class FakeProgramServer : public kv::DispatchObject {
public:
    FakeProgramServer() : DispatchObject("FakeProgramServer")
    {
        addMethod("RunFreeSQL", 1, 1, [this](std::vector<Variant> &args) {
            freeSql.push_back(args[0].deref().toText());
            return Variant(freeSqlRows);
        });
        addMethod("GetZQData", 1, 1, [this](std::vector<Variant> &args) {
            requests.push_back(args[0].deref().toText());
            if (failSignOff)
                throw kv::DispatchError("GetZQData: not served");
            return zqReply;
        });
        addMethod("GetWebserviceZQData", 2, 2, [this](std::vector<Variant> &args) {
            requests.push_back(args[0].deref().toText());
            programs.push_back(args[1].deref().toText());
            return Variant(webReply);
        });
        addMethod("UpdatePrintCount", 1, 1, [this](std::vector<Variant> &args) {
            printCounts.push_back(args[0].deref());
            return Variant(1);
        });
    }

    int freeSqlRows = 1;
    bool failSignOff = false;
    Variant zqReply;
    std::string webReply;
    std::vector<std::string> freeSql;
    std::vector<std::string> requests;
    std::vector<std::string> programs;
    std::vector<Variant> printCounts;
};

// A preview that records what it was handed instead of showing a window.
class RecordingPreviewer : public kv::VRPreviewer {
public:
    void ShowPreview(const kv::PreviewRequest &request) override
    {
        requests.push_back(request);
        pageCounts.push_back(request.pages ? request.pages->pageCount() : -1);
    }
    std::vector<kv::PreviewRequest> requests;
    std::vector<int> pageCounts;
};

// Every test gets a throw-away shell (settings, alert logs), a condition
// window owning the layout, a scripted prompter and a recording preview.
class LayoutTest : public testing::Test {
protected:
    void SetUp() override
    {
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n");
        owner = kv::TKVForm::Create<kv::TfrmBaseGene>();
        owner->setCaption(QStringLiteral("领料单打印"));
        owner->ProgramServer = Variant(kv::DispatchPtr(server));
        kv::VRPreviewer::setCurrent(previewer);
    }

    void TearDown() override
    {
        kv::VRPreviewer::setCurrent(nullptr);
        if (layout)
            layout->Free();
        if (owner)
            owner->Free();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A test slip layout owned by the condition window, context copied in,
    // data connected and opened.
    TestSlipLayout *openLayout(kv::ResultTable data, kv::TfrmBaseGene::SettingList settings = {})
    {
        layout = kv::TKVForm::Create<TestSlipLayout>(owner.data());
        layout->ProgramCode = "QIPR07";
        layout->CompanyID = "01";
        layout->CompanyDB = "DEMO";
        layout->UserID = "DS";
        layout->DateType = 1;
        layout->DateFormat = "/";
        layout->Settings = std::move(settings);
        layout->CompanyInfo = QStringList{QStringLiteral("01"), QStringLiteral("示范公司")};
        layout->ConnectData();
        layout->nextData = std::move(data);
        EXPECT_EQ(layout->OpenData("SELECT ..."), 1);
        return layout;
    }

    std::vector<Form> generate()
    {
        EXPECT_TRUE(layout->GeneratePages());
        return formsOf(*layout->QuickRep1->pages());
    }

    std::vector<std::string> messages() const
    {
        return prompter->questionTexts();
    }

    kvtest::ShellFixture shell;
    std::shared_ptr<FakeProgramServer> server = std::make_shared<FakeProgramServer>();
    std::shared_ptr<RecordingPreviewer> previewer = std::make_shared<RecordingPreviewer>();
    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scopedPrompter{prompter};
    QPointer<kv::TfrmBaseGene> owner;
    QPointer<TestSlipLayout> layout;
};

} // namespace layouttest
