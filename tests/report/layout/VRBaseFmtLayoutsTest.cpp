// Stored format styles of the layout window against the real program
// server, on SQLite and (with QIPR07_PG_CONNINFO) PostgreSQL: saving,
// loading, versions, names, the save lock between two clients, local files
// and what a stored style changes in the printed pages.
#include "report/layout/LayoutTestSupport.h"

#include "db/Database.h"
#include "objects/ProgramServer.h"
#include "objects/ServerConfig.h"
#include "platform/layoutio/LayoutText.h"
#include "platform/report/PageStore.h"
#include "support/PgServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace layoutstest {

using kv::Variant;
using kv::varArrayOf;
using testing::HasSubstr;

// The test slip layout as a class of its own, which can make its built-in
// layout again.
class StyleLayout : public layouttest::TestSlipLayout {
    Q_OBJECT
public:
    explicit StyleLayout(QWidget *owner = nullptr) : TestSlipLayout(owner) { setObjectName("frmStyleLayout"); }
    kv::TfrmVRBaseFmt *createPristine(QWidget *owner) const override
    {
        return kv::TKVForm::Create<StyleLayout>(owner);
    }
};

// A class that answers its base's built-in layout.
class WrongPristineLayout : public StyleLayout {
    Q_OBJECT
public:
    using StyleLayout::StyleLayout;
};

// The scripted prompter, which can run a step of another client when a
// question comes up (before its answer is taken).
class HookPrompter : public kv::ScriptedPrompter {
public:
    kv::ModalResult messageBox(const std::string &text, const std::string &caption, kv::MessageType type,
                               kv::MessageButtons buttons, kv::MessageButton defaultButton) override
    {
        if (hook && text.find(trigger) != std::string::npos) {
            const auto run = std::exchange(hook, {});
            run();
        }
        return ScriptedPrompter::messageBox(text, caption, type, buttons, defaultButton);
    }
    std::string trigger;
    std::function<void()> hook;
};

using kvtest::pgConnInfo;

// One client: its program server session, condition window and layout.
struct Client {
    std::shared_ptr<slip::ProgramServer> server;
    QPointer<kv::TfrmBaseGene> owner;
    QPointer<StyleLayout> layout;
    std::vector<std::string> added; // styles the layout reported as new
};

class VRBaseFmtLayoutsTest : public testing::TestWithParam<slip::DbEngine> {
protected:
    void SetUp() override
    {
        if (GetParam() == slip::DbEngine::PostgreSQL && !pgConnInfo())
            GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n");
        static std::atomic<int> counter{0};
        companyDb = "LS_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        if (GetParam() == slip::DbEngine::SQLite) {
            database = slip::Database::openSqlite(dataDir.path().toStdString());
            config = slip::ServerConfig::sqlite(dataDir.path().toStdString());
        } else {
            database = slip::Database::openPostgres(pgConnInfo());
            config = slip::ServerConfig::postgres(pgConnInfo());
        }
        database->openCompany(companyDb, slip::OpenMode::CreateNew);
    }

    void TearDown() override
    {
        for (Client *client : {&a, &b}) {
            if (client->layout)
                client->layout->Free();
            if (client->owner)
                client->owner->Free();
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        a.server.reset();
        b.server.reset();
        if (database && GetParam() == slip::DbEngine::PostgreSQL)
            database->dropCompany(companyDb);
    }

    void connect(Client &client, const char *user)
    {
        client.server = std::make_shared<slip::ProgramServer>(database, config);
        std::vector<Variant> args{varArrayOf({"QIPR07", user, "01", companyDb, "MOCTC", {}, {}, {}})};
        client.server->invoke("Connect", args, kv::InvokeKind::Method);
        client.owner = kv::TKVForm::Create<kv::TfrmBaseGene>();
        client.owner->setCaption(QStringLiteral("领料单打印"));
        client.owner->ProgramServer = Variant(kv::DispatchPtr(client.server));
        client.owner->CompanyID = "01";
        client.owner->UserID = user;
    }

    template <class Layout = StyleLayout>
    Layout *open(Client &client, const std::string &style)
    {
        if (!client.server)
            connect(client, &client == &a ? "0001" : "0002");
        if (client.layout)
            client.layout->Free();
        auto *layout = kv::TKVForm::Create<Layout>(client.owner.data());
        client.layout = layout;
        layout->StyleOwner.layoutDirectory = localDir.path().toStdString() + "/";
        layout->StyleOwner.styleAdded = [&client](const std::string &name) { client.added.push_back(name); };
        layout->ApplyLayoutName(style);
        layout->ReadMaxNameLength();
        return layout;
    }

    // The stored [version, text] of a style; unassigned when none.
    Variant stored(const std::string &name, const std::string &className = "StyleLayout")
    {
        Variant value;
        std::vector<Variant> args{varArrayOf({className, name}), Variant::ref(value)};
        a.server->invoke("GetBlobField", args, kv::InvokeKind::Method);
        return value;
    }

    void setVersion(const std::string &version)
    {
        database->execute("UPDATE " + database->qualifiedTable(companyDb, "WARRANT") + " SET NT003 = :V",
                          {{"V", version}});
    }

    // A new style saved through the designer's question, under name.
    void saveNew(StyleLayout &layout, const std::string &name)
    {
        layout.LayoutName = "<New>";
        prompter->answerMessage(kv::mrYes);
        prompter->answerInput(true, name);
        EXPECT_TRUE(layout.DreamDesigner1SaveChanges());
    }

    // An existing style saved again (the answers of the two questions).
    bool saveAgain(StyleLayout &layout)
    {
        prompter->answerMessage(kv::mrYes);
        prompter->answerMessage(kv::mrYes);
        return layout.DreamDesigner1SaveChanges();
    }

    std::vector<std::string> messages() const { return prompter->messageTexts(); }

    kvtest::ShellFixture shell;
    QTemporaryDir dataDir;
    QTemporaryDir localDir;
    std::shared_ptr<slip::Database> database;
    slip::ServerConfig config;
    std::string companyDb;
    std::shared_ptr<HookPrompter> prompter = std::make_shared<HookPrompter>();
    kv::ScopedPrompter scopedPrompter{prompter};
    Client a;
    Client b;
};

TEST_P(VRBaseFmtLayoutsTest, AStoredStyleHoldsOnlyTheChangesAndLoadsBackWithTheUsersComponents)
{
    StyleLayout *design = open(a, "<New>");
    EXPECT_EQ(design->MaxNameLength, 20);
    design->txtTE004->setLeft(300);
    design->lblSeq->setEnabled(false);
    auto *label = new kv::TQRLabel(design->QRDetailBand);
    label->setObjectName(QStringLiteral("ExLbl1"));
    label->setCaption(QStringLiteral("新建标签"));
    label->setLeft(500);
    design->UserComponents << QStringLiteral("ExLbl1");
    saveNew(*design, "甲格式");
    EXPECT_TRUE(prompter->allAnswered()) << testing::PrintToString(prompter->misses());
    EXPECT_TRUE(design->SaveDone);
    EXPECT_EQ(design->LayoutName, "甲格式");
    EXPECT_EQ(a.added, std::vector<std::string>{"甲格式"});

    const Variant first = stored("甲格式");
    ASSERT_TRUE(first.isArray());
    EXPECT_EQ(first[0].toText(), "1");
    const std::string text = first[1].toText();
    EXPECT_THAT(text, HasSubstr("inherited txtTE004: TKVQRDBText"));
    EXPECT_THAT(text, HasSubstr("object ExLbl1: TQRLabel"));
    EXPECT_THAT(text, testing::Not(HasSubstr("txtTotal"))) << "an unchanged field is stored";
    const std::string designed = kv::LayoutText::Write(*design);

    StyleLayout *loaded = open(b, "甲格式");
    EXPECT_EQ(loaded->txtTE004->left(), 300);
    EXPECT_FALSE(loaded->lblSeq->isEnabled());
    EXPECT_TRUE(loaded->UserComponents.contains(QStringLiteral("ExLbl1")));
    EXPECT_EQ(kv::LayoutText::Write(*loaded), designed);

    // Stored and loaded again, nothing changes but the version.
    EXPECT_TRUE(saveAgain(*loaded));
    const Variant second = stored("甲格式");
    EXPECT_EQ(second[0].toText(), "2");
    EXPECT_EQ(second[1].toText(), text);
    EXPECT_EQ(b.added, std::vector<std::string>{}) << "an update is no new style";

    // A style that is not stored leaves the built-in layout.
    StyleLayout *plain = open(a, "乙格式");
    EXPECT_EQ(plain->txtTE004->left(), 40);
    EXPECT_TRUE(plain->UserComponents.isEmpty());
    EXPECT_TRUE(prompter->allAnswered()) << testing::PrintToString(prompter->misses());
}

TEST_P(VRBaseFmtLayoutsTest, VersionsStartAgainAfterNineHundredNinetyNineAndDeclinedQuestionsStoreNothing)
{
    StyleLayout *design = open(a, "<New>");
    saveNew(*design, "甲格式");
    setVersion("999");
    design->txtTE004->setLeft(120);
    EXPECT_TRUE(saveAgain(*design));
    EXPECT_EQ(stored("甲格式")[0].toText(), "1");

    // No to "save?" ends design without storing; No to "replace?" keeps it open.
    design->txtTE004->setLeft(130);
    prompter->answerMessage(kv::mrNo);
    EXPECT_TRUE(design->DreamDesigner1SaveChanges());
    prompter->answerMessage(kv::mrYes);
    prompter->answerMessage(kv::mrNo);
    EXPECT_FALSE(design->DreamDesigner1SaveChanges());
    EXPECT_FALSE(design->SaveAccepted);
    EXPECT_EQ(stored("甲格式")[0].toText(), "1");
    EXPECT_TRUE(prompter->allAnswered());
    EXPECT_THAT(messages().back(), HasSubstr("该格式档[甲格式]已经存在"));
}

TEST_P(VRBaseFmtLayoutsTest, NamesAreCheckedAgainstNewTheColumnLengthAndBlankness)
{
    StyleLayout *design = open(a, "<New>");
    // "<new>" in any case is refused, then a name one too long, then the
    // blank name is confirmed only on the second asking.
    prompter->answerMessage(kv::mrYes);
    prompter->answerInput(true, "<new>");
    prompter->answerMessage(kv::mrOk);
    prompter->answerInput(true, std::string(21, 'A'));
    prompter->answerMessage(kv::mrOk);
    prompter->answerInput(true, "");
    prompter->answerMessage(kv::mrNo);
    prompter->answerInput(true, "");
    prompter->answerMessage(kv::mrYes);
    EXPECT_TRUE(design->DreamDesigner1SaveChanges());
    EXPECT_TRUE(prompter->allAnswered()) << testing::PrintToString(prompter->misses());
    const std::vector<std::string> shown = messages();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_THAT(shown[1], HasSubstr("请输入一个新的凭证格式档名称"));
    EXPECT_THAT(shown[2], HasSubstr("自定单据格式名称不可大于 20 码"));
    EXPECT_THAT(shown[3], HasSubstr("当前的凭证格式档名称为空白"));
    EXPECT_TRUE(stored("").isArray());
    EXPECT_FALSE(stored("<new>").isArray());

    // Twenty characters fit; a cancelled prompt stores nothing and keeps
    // the designer open.
    prompter->answerInput(true, std::string(20, 'B'));
    std::string name;
    EXPECT_TRUE(design->AskLayoutName("保存凭证格式档", "凭证格式档名称", name));
    EXPECT_EQ(name, std::string(20, 'B'));
    design->LayoutName = "<New>";
    prompter->answerMessage(kv::mrYes);
    prompter->answerInput(false);
    EXPECT_FALSE(design->DreamDesigner1SaveChanges());
    EXPECT_FALSE(design->SaveAccepted);

    // Without the column length every name but the blank one is too long.
    design->MaxNameLength = 99;
    a.owner->ProgramServer = Variant();
    design->ReadMaxNameLength();
    EXPECT_EQ(design->MaxNameLength, 0);
    prompter->answerInput(true, "A");
    prompter->answerMessage(kv::mrOk);
    prompter->answerInput(false);
    EXPECT_FALSE(design->AskLayoutName("保存凭证格式档", "凭证格式档名称", name));
    EXPECT_THAT(messages().back(), HasSubstr("不可大于 0 码"));
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_P(VRBaseFmtLayoutsTest, OfTwoClientsSavingTheSameStyleTheSecondIsRefusedAndKeepsALocalCopy)
{
    saveNew(*open(a, "<New>"), "甲格式");
    StyleLayout *first = open(a, "甲格式");
    StyleLayout *second = open(b, "甲格式");
    first->txtTE004->setLeft(111);
    second->txtTE004->setLeft(222);

    // While the second client is asked whether to replace the style, the
    // first saves it: the version the second read is gone.
    prompter->answerMessage(kv::mrYes);  // second: save?
    prompter->answerMessage(kv::mrYes);  // first: save?
    prompter->answerMessage(kv::mrYes);  // first: replace?
    prompter->answerMessage(kv::mrYes);  // second: replace?
    prompter->answerMessage(kv::mrOk);   // second: lock refused
    prompter->trigger = "已经存在";
    prompter->hook = [&] { EXPECT_TRUE(first->DreamDesigner1SaveChanges()); };
    EXPECT_FALSE(second->DreamDesigner1SaveChanges());
    EXPECT_TRUE(prompter->allAnswered()) << testing::PrintToString(prompter->misses());
    EXPECT_THAT(messages().back(), HasSubstr("锁定格式档失败，请重新编辑保存！！"));
    EXPECT_FALSE(second->SaveAccepted);
    EXPECT_THAT(stored("甲格式")[1].toText(), HasSubstr("Left = 111"));
    const std::string copy = second->LocalLayoutFile("甲格式");
    EXPECT_EQ(copy, localDir.path().toStdString() + "/CHS_StyleLayout_甲格式.dat");
    ASSERT_TRUE(QFile::exists(QString::fromStdString(copy)));

    // A client between its lock and its write holds the style as well.
    std::vector<Variant> lock{varArrayOf({2, "2", "StyleLayout", "甲格式"})};
    ASSERT_EQ(a.server->invoke("RunUpdFlagSQL", lock, kv::InvokeKind::Method).toInt(), 1);
    prompter->answerMessage(kv::mrYes);
    prompter->answerMessage(kv::mrYes);
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(second->DreamDesigner1SaveChanges());
    EXPECT_THAT(messages().back(), HasSubstr("锁定格式档失败"));
    EXPECT_THAT(stored("甲格式")[1].toText(), HasSubstr("Left = 111"));

    // The second client's work comes back from its local copy.
    StyleLayout *again = open(b, "甲格式");
    EXPECT_EQ(again->txtTE004->left(), 111);
    prompter->answerMessage(kv::mrYes);
    prompter->answerInput(true, "甲格式");
    kv::KeyEventArgs keys(Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
    again->FormKeyDown(keys);
    EXPECT_EQ(keys.key, 0);
    EXPECT_EQ(again->txtTE004->left(), 222);
    EXPECT_TRUE(prompter->allAnswered()) << testing::PrintToString(prompter->misses());
}

TEST_P(VRBaseFmtLayoutsTest, StoredTextsAreReadWithTheirProblemsReportedAndBig5FontsUnderCodePage950)
{
    connect(a, "0001");
    const auto storeText = [&](const std::string &name, const std::string &text) {
        Variant size = 0;
        Variant lines = varArrayOf({text});
        std::vector<Variant> args{0, Variant::ref(lines),
                                  varArrayOf({"01", "0001", "", "StyleLayout", name, "", ""}), Variant::ref(size)};
        ASSERT_EQ(a.server->invoke("RunInsUpdSQL", args, kv::InvokeKind::Method).toInt(), 1);
    };
    storeText("坏", "inherited frmStyleLayout: StyleLayout\n"
                   "  inherited QuickRep1: Report\n"
                   "    inherited QRDetailBand: TQRBand\n"
                   "      inherited txtTE004: TKVQRDBText\n"
                   "        Left = 77\n"
                   "        Bogus = 1\n"
                   "        Font.Charset = GB2312_CHARSET\n"
                   "      end\n"
                   "    end\n"
                   "  end\n"
                   "end");
    storeText("空", "nothing of a layout");

    prompter->answerMessage(kv::mrOk);
    StyleLayout *layout = open(a, "坏");
    EXPECT_EQ(layout->txtTE004->left(), 77) << "what could be read is applied";
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_THAT(messages()[0], HasSubstr("Can not read DFM data !!"));
    EXPECT_THAT(messages()[0], HasSubstr("Bogus"));
    EXPECT_EQ(prompter->questions()[0].caption, "Open Error");
    EXPECT_EQ(layout->txtTE004->property("FontCharset").toString(), QStringLiteral("GB2312_CHARSET"));
    EXPECT_EQ(open(a, "空")->txtTE004->left(), 40);
    EXPECT_EQ(messages().size(), 1u);

    // Traditional Chinese: Big5 fonts on the screen, GB2312 on the server.
    a.layout->Free();
    a.owner->Free();
    shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=950\nDBCodePage=950\n");
    a.server.reset();
    connect(a, "0001");
    prompter->answerMessage(kv::mrOk);
    StyleLayout *traditional = open(a, "坏");
    EXPECT_EQ(traditional->LanguageMode, 2);
    EXPECT_EQ(traditional->txtTE004->property("FontCharset").toString(), QStringLiteral("CHINESEBIG5_CHARSET"));
    EXPECT_THAT(traditional->StoredLayoutText(), HasSubstr("CHINESEBIG5_CHARSET"));
    traditional->txtTE004->setLeft(88);
    traditional->LayoutName = "坏";
    EXPECT_TRUE(saveAgain(*traditional));
    const std::string saved = stored("坏")[1].toText();
    EXPECT_THAT(saved, HasSubstr("GB2312_CHARSET"));
    EXPECT_THAT(saved, testing::Not(HasSubstr("CHINESEBIG5_CHARSET")));
    EXPECT_EQ(traditional->LocalLayoutFile(" A "), localDir.path().toStdString() + "/CHT_StyleLayout_A.dat");
    traditional->StyleOwner.layoutDirectory.clear();
    EXPECT_EQ(traditional->LocalLayoutFile(""), traditional->ClientRoot + "C_DATA/CHT_StyleLayout.dat");
}

TEST_P(VRBaseFmtLayoutsTest, APrintWithAStoredStyleShowsTheMovedFieldAndWithoutItTheBuiltInLayout)
{
    StyleLayout *design = open(a, "<New>");
    design->txtTE004->setLeft(300);
    saveNew(*design, "右移");

    const auto itemLeft = [&](const std::string &style) {
        StyleLayout *layout = open(b, style);
        layout->ConnectData();
        layout->nextData = layouttest::slipTable({{"5401", "0001", 2}});
        EXPECT_EQ(layout->OpenData("SELECT ..."), 1);
        EXPECT_TRUE(layout->GeneratePages());
        const kv::PageStore &pages = *layout->QuickRep1->pages();
        for (const kv::PageText &text : pages.texts(1))
            if (text.component == QStringLiteral("txtTE004"))
                return text.rect.left();
        ADD_FAILURE() << "no item printed";
        return -1.0;
    };
    const double builtIn = itemLeft("<New>");
    const double moved = itemLeft("右移");
    EXPECT_GT(moved, builtIn + 100);
}

TEST_P(VRBaseFmtLayoutsTest, AClassThatCannotMakeItsOwnBuiltInLayoutStoresNothing)
{
    auto *layout = open<WrongPristineLayout>(a, "<New>");
    layout->txtTE004->setLeft(300);
    prompter->answerMessage(kv::mrYes);
    prompter->answerInput(true, "甲格式");
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(layout->DreamDesigner1SaveChanges());
    EXPECT_THAT(messages().back(), HasSubstr("保存失败，请检查数据库的设置是否有错!"));
    EXPECT_FALSE(stored("甲格式", "WrongPristineLayout").isArray());
    EXPECT_TRUE(prompter->allAnswered()) << testing::PrintToString(prompter->misses());
}

INSTANTIATE_TEST_SUITE_P(Engines, VRBaseFmtLayoutsTest,
                         testing::Values(slip::DbEngine::SQLite, slip::DbEngine::PostgreSQL),
                         [](const testing::TestParamInfo<slip::DbEngine> &info) {
                             return info.param == slip::DbEngine::SQLite ? std::string("SQLite")
                                                                         : std::string("PostgreSQL");
                         });

} // namespace layoutstest

#include "VRBaseFmtLayoutsTest.moc"
