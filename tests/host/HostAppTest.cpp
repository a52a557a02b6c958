// HostApp as the program windows use it, on a demo company: messages,
// numbers, server objects, the lookup, calendar and phrase windows answered
// as a user would, help pages, server files, and the data objects in-process
// or through slipserv.
#include "DemoShell.h"

#include "HostApp.h"
#include "HostDataSource.h"
#include "HostSettings.h"

#include "net/SlipServer.h"
#include "objects/HostDataRegistration.h"
#include "platform/ScriptedPrompter.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using kv::Variant;

class HostAppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_demo = new kvtest::DemoShell; }
    static void TearDownTestSuite()
    {
        delete s_demo;
        s_demo = nullptr;
    }

    void SetUp() override
    {
        m_settings = erphost::HostSettings::load();
        erphost::HostAppSettings appSettings;
        appSettings.productId = m_settings.productId;
        appSettings.versionType = m_settings.versionType;
        appSettings.helpBaseUrl = "https://help.example/erp/";
        const erphost::HostSettings settings = m_settings;
        m_app = std::make_shared<erphost::HostApp>(appSettings, [settings, this] {
            ++m_opened;
            return erphost::HostDataSource::fromSettings(settings, kvtest::DemoShell::kCompanyDb);
        });
        m_app->setUrlOpener([this](const std::string &url) { m_urls.push_back(url); });
    }

    void TearDown() override { EXPECT_TRUE(m_prompter->allAnswered()); }

    kv::DispatchPtr f2() { return m_app->get("Com_F2Window").toObject(); }

    // A lookup request as the windows send it (19 elements).
    static Variant request(const std::string &name, const std::string &search = {})
    {
        std::vector<Variant> items(19);
        items[0] = Variant(name);
        items[1] = Variant("01");
        items[4] = Variant(search);
        items[6] = Variant(kvtest::DemoShell::kCompanyDb);
        return kv::varArrayOf(items);
    }

    static kvtest::DemoShell *s_demo;
    erphost::HostSettings m_settings;
    std::shared_ptr<erphost::HostApp> m_app;
    std::vector<std::string> m_urls;
    int m_opened = 0;
    std::shared_ptr<kv::ScriptedPrompter> m_prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter m_scoped{m_prompter};
};

kvtest::DemoShell *HostAppTest::s_demo = nullptr;

TEST_F(HostAppTest, AnswersMessagesNumbersAndTheSameServerObjectsEachTime)
{
    EXPECT_EQ(Variant("启动参数不完整，程序不能执行！"), m_app->call("GetMessage", {"E", "000038"}));
    EXPECT_EQ(Variant(5), m_app->get("ProductID"));
    EXPECT_EQ(Variant(2), m_app->call("VersionType"));

    const kv::DispatchPtr counter = m_app->get("Com_Counter").toObject();
    EXPECT_EQ(counter, m_app->get("Com_Counter").toObject());
    Variant step;
    const Variant context = kv::varArrayOf({"01", "DEMO"});
    EXPECT_EQ(1, counter->call("GetCounter", {"HOSTTEST", Variant::ref(step), context}).toInt());
    EXPECT_EQ(2, counter->call("GetCounter", {"HOSTTEST", Variant::ref(step), context}).toInt());

    Variant row;
    const kv::DispatchPtr validator = m_app->get("Com_Validator").toObject();
    EXPECT_TRUE(validator->call("CheckValue", {"CMSML", "01", "DEMO", kv::varArrayOf({"01"}), Variant::ref(row)})
                    .toBool());
    EXPECT_EQ(Variant("01"), row[0]);
    EXPECT_EQ(1, m_opened);

    m_app->call("SetFormCreateStyle", {"A4 横式"});
    EXPECT_EQ(Variant("A4 横式"), m_app->get("FormCreateStyle"));
}

TEST_F(HostAppTest, LookupWindowSearchesAndHandsBackThePickedRow)
{
    const kv::DispatchPtr data = m_app->source().create("QRM.F2Data");
    const Variant all = data->call("F2GetData", {request("CMSMC")});
    const Variant &rows = all[3];
    ASSERT_GE(rows.array().highBound(), 1);
    const std::string wanted = rows[1][0].toText();

    m_prompter->answerDialog([&](QDialog &dialog) {
        auto *table = dialog.findChild<QTableWidget *>("grdRows");
        EXPECT_EQ(rows.array().highBound() + 1, table->rowCount());
        EXPECT_EQ(QString("仓库编号"), table->horizontalHeaderItem(0)->text());
        dialog.findChild<QLineEdit *>("edtSearch")->setText(QString::fromStdString(wanted));
        dialog.findChild<QPushButton *>("btnSearch")->click();
        EXPECT_EQ(1, table->rowCount());
        table->selectRow(0);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(rows[1], f2()->call("F2GetData", {request("CMSMC")}));

    m_prompter->answerDialog(QDialog::Rejected);
    EXPECT_TRUE(f2()->call("F2GetData", {request("CMSMC")}).isEmpty());
    // An unknown lookup finds nothing and shows nothing.
    EXPECT_TRUE(f2()->call("F2GetData", {request("NOSUCH")}).isEmpty());
    EXPECT_THROW(f2()->call("F2GetData", {"CMSMC"}), kv::DispatchError);
}

TEST_F(HostAppTest, CalendarStartsAtTheGivenDayAndAnswersTheStoredForm)
{
    m_prompter->answerDialog([](QDialog &dialog) {
        auto *calendar = dialog.findChild<QCalendarWidget *>("calDate");
        EXPECT_EQ(QDate(2023, 1, 15), calendar->selectedDate());
        calendar->setSelectedDate(QDate(2024, 2, 29));
        EXPECT_TRUE(dialog.findChild<QLabel *>("lblDate")->text().contains("民国 113 年"));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(Variant("20240229"), f2()->call("ShowInputDay", {kv::varArrayOf({true, "20230115", "DEMO"})}));

    m_prompter->answerDialog([](QDialog &dialog) {
        EXPECT_EQ(QDate::currentDate(), dialog.findChild<QCalendarWidget *>("calDate")->selectedDate());
        return int(QDialog::Rejected);
    });
    EXPECT_EQ(Variant(""), f2()->call("ShowInputDay", {kv::varArrayOf({false, "2023", "DEMO"})}));
}

TEST_F(HostAppTest, PhraseWindowAnswersThePickedText)
{
    const Variant phrases = m_app->source().create("QRM.F2Data")->call("GetPhrase", {"DS", "DEMO"});
    ASSERT_GE(phrases[3].array().highBound(), 1);
    m_prompter->answerDialog([](QDialog &dialog) {
        dialog.findChild<QTableWidget *>("grdRows")->selectRow(1);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(phrases[3][1][1], f2()->call("GetPhrase", {"DS", "DEMO", 0}));
    m_prompter->answerDialog(QDialog::Rejected);
    EXPECT_EQ(Variant(""), f2()->call("GetPhrase", {"DS", "DEMO", 0}));
}

TEST_F(HostAppTest, HelpPagesAndServerFiles)
{
    m_app->call("CallHelp", {kv::varArrayOf({"qip", "12070000"})});
    EXPECT_EQ((std::vector<std::string>{"https://help.example/erp/QIP/12070000.htm"}), m_urls);
    EXPECT_THROW(m_app->call("CallHelp", {kv::varArrayOf({"QIP"})}), kv::DispatchError);

    // The demo server publishes no files: the module keeps what it has.
    EXPECT_EQ(Variant(""), m_app->call("GetFileList", {kv::varArrayOf({"qipr07s.so"})}));
    EXPECT_EQ(Variant(""), m_app->call("GetFileList", {kv::varArrayOf({"../qipr07s.so"})}));
}

TEST(HostAppSource, AFailingSourceIsToldInPlainWordsAndNotRetried)
{
    int attempts = 0;
    erphost::HostApp app({}, [&attempts]() -> std::unique_ptr<erphost::HostDataSource> {
        ++attempts;
        throw kv::DispatchError("server 10.0.0.9:7211 refused the connection");
    });
    for (int i = 0; i < 2; ++i) {
        try {
            app.get("Com_Counter");
            ADD_FAILURE() << "no error";
        } catch (const kv::DispatchError &error) {
            EXPECT_STREQ("the host's data objects are not available: server 10.0.0.9:7211 refused the connection",
                         error.what());
        }
    }
    EXPECT_EQ(1, attempts);

    erphost::HostSettings unread;
    unread.errorCode = "E;000015";
    try {
        erphost::HostDataSource::fromSettings(unread, "DEMO");
        ADD_FAILURE() << "no error";
    } catch (const kv::DispatchError &error) {
        EXPECT_NE(std::string::npos, std::string(error.what()).find("E;000015"));
    }
}

TEST(HostAppRemote, DataObjectsThroughSlipservWhenTheServerIsNotTheLoopBackAddress)
{
    kvtest::DemoShell demo;
    slip::registerHostDataObjects(demo.database());
    slip::SlipServerConfig config;
    config.accessToken = "host-test-token";
    config.port = 0;
    slip::SlipServer server(config);
    server.start();
    demo.shell().writeFile("client/MarshalC.ini",
                           "[Server Information]\nComputerName=localhost\nServerPort=" +
                               std::to_string(server.port()) + "\nAccessToken=host-test-token\n");

    const erphost::HostSettings settings = erphost::HostSettings::load();
    EXPECT_FALSE(settings.localServer());
    erphost::HostApp app({}, [settings] { return erphost::HostDataSource::fromSettings(settings, "DEMO"); });
    EXPECT_EQ(Variant("没有符合条件的资料！"), app.call("GetMessage", {"W", "000006"}));
    EXPECT_NE(std::string::npos, app.source().where().find("localhost"));
    EXPECT_EQ(1, server.connectionCount());
    server.stop();
}

} // namespace
