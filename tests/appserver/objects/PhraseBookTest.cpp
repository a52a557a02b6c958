#include "HostDataTestSupport.h"

#include "objects/F2DataServer.h"

namespace {

using hostdatatest::HostDataTest;
using kv::Variant;
using Reply = slip::F2DataServer::ReplyElement;

class PhraseBookTest : public HostDataTest {};

TEST_P(PhraseBookTest, UserGetsOwnPhrasesFirstThenThoseOfEveryone)
{
    insert("HOST_PHRASE", {{"USER_ID", ""}, {"PHRASE_NO", 1}, {"PHRASE_TEXT", "请尽快发料"}});
    insert("HOST_PHRASE", {{"USER_ID", "DS"}, {"PHRASE_NO", 2}, {"PHRASE_TEXT", "急件'优先"}});
    insert("HOST_PHRASE", {{"USER_ID", "DS"}, {"PHRASE_NO", 1}, {"PHRASE_TEXT", "按工单领料"}});
    insert("HOST_PHRASE", {{"USER_ID", "KK"}, {"PHRASE_NO", 3}, {"PHRASE_TEXT", "别人的短语"}});

    slip::F2DataServer f2(database);
    Variant db(company);
    const Variant reply = f2.call("GetPhrase", {"DS", Variant::ref(db), 0});
    ASSERT_TRUE(reply.isArray()) << f2.lastError();
    EXPECT_EQ(reply[Reply::Title].toText(), "常用短语");
    const kv::VariantArray &rows = reply[Reply::Rows].array();
    ASSERT_EQ(rows.elementCount(), 3u);
    EXPECT_EQ(rows.at(0)[1].toText(), "按工单领料");
    EXPECT_EQ(rows.at(1)[1].toText(), "急件'优先");
    EXPECT_EQ(rows.at(2)[1].toText(), "请尽快发料");
    EXPECT_EQ(rows.at(2)[2].toText(), "");

    // A user without phrases of their own sees the shared ones only; a user
    // code with a quote is a value like any other.
    EXPECT_EQ(f2.phraseRows("O'Hara", "")[Reply::Rows].array().elementCount(), 1u);
}

TEST_P(PhraseBookTest, UnknownCompanyAnswersUnassigned)
{
    slip::F2DataServer f2(database);
    EXPECT_TRUE(f2.call("GetPhrase", {"DS", "NOT_THERE"}).isEmpty());
    EXPECT_NE(f2.lastError().find("NOT_THERE"), std::string::npos);
}

DBTEST_ON_BOTH_ENGINES(PhraseBookTest);

} // namespace
