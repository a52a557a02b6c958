#include "HostDataTestSupport.h"

#include "lib/LangCommon.h"
#include "objects/MessageCatalog.h"
#include "objects/MessageCatalogServer.h"

namespace {

using hostdatatest::HostDataTest;
using kv::Variant;

struct UsedCode {
    const char *kind;
    const char *number;
    std::vector<Variant> args; // what the program windows fill in
};

// Every coded message the report module raises, with the arguments it passes.
const std::vector<UsedCode> &usedCodes()
{
    static const std::vector<UsedCode> codes{
        {"E", "000003", {"选择领料单别"}},
        {"E", "000005", {}},
        {"E", "000006", {}},
        {"E", "000015", {}},
        {"E", "000016", {}},
        {"E", "000025", {"127.0.0.1", "erp-host"}},
        {"E", "000030", {"制表日期不正确"}},
        {"E", "000036", {}},
        {"E", "000037", {}},
        {"E", "000038", {}},
        {"E", "100007", {}},
        {"E", "100319", {}},
        {"I", "000003", {}},
        {"I", "000011", {}},
        {"I", "000012", {"A4", "297.00", "210.00", "MM"}},
        {"R", "100235", {}},
        {"R", "100236", {}},
        {"R", "200235", {}},
        {"W", "000002", {"选择条件文字", 8, 7}},
        {"W", "000003", {"选择条件文字", 8, 3}},
        {"W", "000004", {"页脚信息编号"}},
        {"W", "000006", {}},
        {"W", "000014", {}},
        // "E;-1" (a failure without a number) is looked up without its sign.
        {"E", "1", {}},
    };
    return codes;
}

TEST(MessageCatalogTest, EveryCodeTheModuleRaisesHasATextForItsArguments)
{
    for (const auto &code : usedCodes()) {
        SCOPED_TRACE(std::string(code.kind) + ";" + code.number);
        const auto text = slip::MessageCatalog::defaultText(code.kind, code.number);
        ASSERT_TRUE(text.has_value());
        // Formatted with what the caller passes, every argument shows and no
        // placeholder is left over.
        const std::string shown = kv::FormatText(*text, code.args);
        EXPECT_EQ(shown.find('%'), std::string::npos) << shown;
        for (const auto &arg : code.args)
            EXPECT_NE(shown.find(arg.toText()), std::string::npos) << shown;
    }
}

TEST(MessageCatalogTest, CodesAreNormalisedBeforeTheLookup)
{
    EXPECT_EQ(slip::MessageCatalog::normalisedNumber(" 38 "), "000038");
    EXPECT_EQ(slip::MessageCatalog::normalisedNumber("000038"), "000038");
    EXPECT_EQ(slip::MessageCatalog::normalisedNumber("sX1"), "sX1");
    EXPECT_EQ(slip::MessageCatalog::defaultText("e", "38"), slip::MessageCatalog::defaultText("E", "000038"));
    EXPECT_FALSE(slip::MessageCatalog::defaultText("Q", "000038").has_value());
}

class MessageCatalogDbTest : public HostDataTest {};

TEST_P(MessageCatalogDbTest, SeedingFillsTheCatalogueOnceAndKeepsEditedTexts)
{
    insert("HOST_MESSAGE", {{"MSG_KIND", "W"}, {"MSG_NO", "000006"}, {"MSG_TEXT", "本公司的说法：无资料"}});
    const int builtIn = int(slip::MessageCatalog::defaultMessages().size());
    EXPECT_EQ(slip::MessageCatalog::seed(db(), company), builtIn - 1);
    EXPECT_EQ(slip::MessageCatalog::seed(db(), company), 0);
    const kv::ResultTable count = db().query("SELECT COUNT(*) FROM " + env->table(company, "HOST_MESSAGE"));
    EXPECT_EQ(count.integer(0, 0), builtIn);

    slip::MessageCatalogServer messages(database, company);
    EXPECT_EQ(messages.call("GetMessage", {"W", "000006"}).toText(), "本公司的说法：无资料");
    EXPECT_EQ(messages.call("GetMessage", {"E", "000038"}).toText(),
              *slip::MessageCatalog::defaultText("E", "000038"));
}

TEST_P(MessageCatalogDbTest, StoredTextsComeFirstAndUnknownCodesSaySo)
{
    insert("HOST_MESSAGE", {{"MSG_KIND", "E"}, {"MSG_NO", "000038"}, {"MSG_TEXT", "参数缺'第五项'"}});
    insert("HOST_MESSAGE", {{"MSG_KIND", "E"}, {"MSG_NO", "000037"}, {"MSG_TEXT", "  "}});
    slip::MessageCatalogServer messages(database, company);
    EXPECT_EQ(messages.call("GetMessage", {"E", "38"}).toText(), "参数缺'第五项'");
    // A blanked-out stored text falls back to the built-in one.
    EXPECT_EQ(messages.call("GetMessage", {"E", "000037"}).toText(),
              *slip::MessageCatalog::defaultText("E", "000037"));
    EXPECT_EQ(messages.call("GetMessage", {"X", "123456"}).toText(), "Can not Get Message\rType= X, ID= 123456 ");
    EXPECT_NE(messages.lastError().find("123456"), std::string::npos);

    // Without a company database the built-in texts still answer.
    slip::MessageCatalogServer unbound(database);
    EXPECT_EQ(unbound.call("GetMessage", {"E", "000038"}).toText(), *slip::MessageCatalog::defaultText("E", "000038"));
}

DBTEST_ON_BOTH_ENGINES(MessageCatalogDbTest);

} // namespace
