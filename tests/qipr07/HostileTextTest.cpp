// Text a clerk types, or that stands in a slip, never changes a statement:
// quotes, comment markers, semicolons and characters outside the basic
// plane go through the conditions, a run by key, a stored condition set and
// a printed slip exactly as they were typed, on both engines.
#include "Qipr07TestSupport.h"

#include "base/KvToolButton.h"
#include "controls/KovListView.h"
#include "platform/report/PageStore.h"
#include "report/layout/VRPreviewer.h"

#include <QSet>

namespace {

using kv::Variant;

// Texts built to end a literal, comment out the rest, start a second
// statement, or be cut in the middle of a surrogate pair.
const char *const kHostile[] = {
    "O'Brien", "1' OR '1'='1", "x'; DROP TABLE MOCTC; --", "/* a */ -- b", "𠀀𠮷 \"q\" \\ %_",
};

class KeptTexts : public kv::VRPreviewer {
public:
    void ShowPreview(const kv::PreviewRequest &request) override
    {
        texts.clear();
        for (int page = 1; request.pages && page <= request.pages->pageCount(); ++page)
            for (const kv::PageText &text : request.pages->texts(page))
                texts.insert(text.component + "=" + text.text);
    }
    QSet<QString> texts;
};

class HostileTextTest : public qipr07test::ReportWindowTest, public testing::WithParamInterface<slip::DbEngine> {
protected:
    slip::DbEngine engine() const override { return GetParam(); }

    void SetUp() override
    {
        if (GetParam() == slip::DbEngine::PostgreSQL && !qipr07test::pgConnInfo())
            GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
        ReportWindowTest::SetUp();
        kv::VRPreviewer::setCurrent(previewer);
        openWindow();
    }
    void TearDown() override
    {
        ReportWindowTest::TearDown();
        kv::VRPreviewer::setCurrent(nullptr);
    }

    std::int64_t slipRows() const
    {
        return company->database->query("SELECT COUNT(*) FROM " + company->table("MOCTC")).integer(0, 0);
    }
    std::string firstSlip(const char *type) const
    {
        return std::string(company->database
                               ->query("SELECT MIN(TC002) FROM " + company->table("MOCTC") + " WHERE TC001 = :T",
                                       {{"T", Variant(type)}})
                               .text(0, 0));
    }

    std::shared_ptr<KeptTexts> previewer = std::make_shared<KeptTexts>();
};

TEST_P(HostileTextTest, TypedConditionsAndKeysFindNothingAndChangeNothing)
{
    const std::int64_t before = slipRows();
    for (const char *text : kHostile) {
        SCOPED_TRACE(text);
        typeSlipType("5401");
        window->splTC002->setUserChoice(true);
        window->splTC002->edBegin()->setText_(QString::fromUtf8(text));
        window->splTC002->edFinal()->setText_(QString::fromUtf8(text));
        prompter->answerMessage(kv::mrOk);
        window->RunReport(true);
        EXPECT_EQ(window->LastRunOutcome, kv::TfrmVRBaseOpt::RunOutcome::NoData) << window->ErrorTexts;

        prompter->answerMessage(kv::mrOk);
        EXPECT_FALSE(window->RunByKey(kv::varArrayOf({"5401", text, "54"}), true));
        prompter->answerMessage(kv::mrOk);
        EXPECT_FALSE(window->RunByKey(kv::varArrayOf({text, "001", "54"}), true));
    }
    EXPECT_EQ(slipRows(), before);
    // A hostile slip type is an unknown one; the rest find no slip.
    for (const std::string &message : messages())
        EXPECT_TRUE(message == "没有符合条件的资料！" || message == "单别不存在，或不是本作业可用的单据性质！") << message;
}

TEST_P(HostileTextTest, ASlipsOwnTextPrintsExactlyAsStored)
{
    const std::string number = firstSlip("5402");
    ASSERT_FALSE(number.empty());
    for (const char *text : kHostile) {
        SCOPED_TRACE(text);
        company->database->execute("UPDATE " + company->table("MOCTC") +
                                       " SET TC007 = :N WHERE TC001 = '5402' AND TC002 = :K",
                                   {{"N", Variant(text)}, {"K", Variant(number)}});
        ASSERT_TRUE(window->RunByKey(kv::varArrayOf({"5402", number, "54"}), true)) << window->ErrorTexts;
        EXPECT_TRUE(previewer->texts.contains("txtTC007=" + QString::fromUtf8(text))) << text;
    }
}

TEST_P(HostileTextTest, AConditionSetKeepsNameAndValuesExactly)
{
    typeSlipType("5401");
    window->splTC002->setUserChoice(true);
    for (const char *text : kHostile) {
        SCOPED_TRACE(text);
        const std::string name = std::string(text).substr(0, 12);
        // The slip-number edits take as much as the column holds.
        window->splTC002->edBegin()->setText_(QString::fromUtf8(text));
        window->splTC002->edFinal()->setText_(QStringLiteral("末'--;"));
        const QString typed = window->splTC002->edBegin()->Text();
        EXPECT_TRUE(QString::fromUtf8(text).startsWith(typed) && !typed.isEmpty());
        window->ConditionSetName = name;
        ASSERT_TRUE(window->SaveConditionSet(window->OptionControls(), name, true));
        window->splTC002->edBegin()->setText_(QString());
        window->splTC002->edFinal()->setText_(QString());
        window->LoadConditionSets();
        const int row = window->lstCondition->FindCaption(QString::fromStdString(name));
        ASSERT_GE(row, 0) << name;
        window->lstCondition->setItemIndex(row);
        kvtest::click(window->btnOpen);
        EXPECT_EQ(window->splTC002->edBegin()->Text(), typed);
        EXPECT_EQ(window->splTC002->edFinal()->Text(), QStringLiteral("末'--;"));
    }
    EXPECT_TRUE(messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, HostileTextTest,
                         testing::Values(slip::DbEngine::SQLite, slip::DbEngine::PostgreSQL),
                         [](const auto &info) { return info.param == slip::DbEngine::SQLite ? "SQLite" : "PostgreSQL"; });

} // namespace
