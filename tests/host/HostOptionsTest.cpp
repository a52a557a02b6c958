// erp-host's command line: required context, report commands with their
// parameters, condition packages as JSON, when the window is shown.
#include "HostOptions.h"
#include "JsonVariant.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace {

using erphost::HostUsageError;

erphost::HostOptions parse(QStringList arguments, bool display = false)
{
    arguments.prepend("erp-host");
    return erphost::parseHostOptions(arguments, "/opt/qrm/QIPR07C.so", display);
}

const QStringList kContext{"--user", "DS", "--company", "01", "--db", "DEMO"};

std::string usageError(const QStringList &arguments)
{
    try {
        parse(arguments);
    } catch (const HostUsageError &error) {
        return error.what();
    }
    return "accepted";
}

TEST(HostOptions, ContextIsRequiredAndHandedOverAsTheStartupArray)
{
    EXPECT_EQ("--db is required", usageError({"--user", "DS", "--company", "01"}));
    EXPECT_EQ("--user is required", usageError({"--user", " ", "--company", "01", "--db", "DEMO"}));
    EXPECT_EQ("unexpected argument extra", usageError(kContext + QStringList{"extra"}));
    EXPECT_NE("accepted", usageError(kContext + QStringList{"--colour"}));

    const erphost::HostOptions options = parse(kContext);
    EXPECT_EQ("/opt/qrm/QIPR07C.so", options.module);
    EXPECT_EQ(kv::varArrayOf({"DS", "01", "DEMO", 0, "erp-host"}), options.startupParams());
    EXPECT_TRUE(parse({"--help"}).helpShown);
}

TEST(HostOptions, WindowIsShownOnRequestOrWithADisplayWhenNothingIsExecuted)
{
    EXPECT_FALSE(parse(kContext).show);
    EXPECT_TRUE(parse(kContext, true).show);
    EXPECT_TRUE(parse(kContext + QStringList{"--show"}).show);
    EXPECT_FALSE(parse(kContext + QStringList{"--execute", "5"}, true).show);
    EXPECT_TRUE(parse(kContext + QStringList{"--execute", "5", "--show"}).show);
}

TEST(HostOptions, EachParamsBelongsToTheExecuteWrittenBeforeIt)
{
    const erphost::HostOptions options =
        parse(kContext + QStringList{"--execute", "5", "--execute", "11", "--params", R"(["K",2,"p",300])",
                                     "--execute", "6", "--params", "[true,\"5401\"]"});
    ASSERT_EQ(3u, options.executes.size());
    EXPECT_EQ(5, options.executes[0].kind);
    EXPECT_TRUE(options.executes[0].params.isEmpty());
    EXPECT_EQ(11, options.executes[1].kind);
    EXPECT_EQ(kv::varArrayOf({"K", 2, "p", 300}), options.executes[1].params);
    EXPECT_EQ(kv::varArrayOf({true, "5401"}), options.executes[2].params);

    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--execute", "7"}).find("the kinds are"));
    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--params", "[1]"}).find("no --execute"));
    EXPECT_NE(std::string::npos,
              usageError(kContext + QStringList{"--execute", "5", "--params", "[1]", "--params", "[2]"})
                  .find("no --execute"));
}

TEST(HostOptions, ConditionPackageFromTextOrFile)
{
    const char *package = R"(["", [1, [true, [[["", "edtNote"]], ["x"]]]]])";
    const erphost::HostOptions inline_ = parse(kContext + QStringList{"--conditions", package});
    ASSERT_TRUE(inline_.conditions.has_value());
    EXPECT_EQ(1, (*inline_.conditions)[1][0].toInt());

    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(package);
    file.flush();
    const erphost::HostOptions fromFile = parse(kContext + QStringList{"--conditions", "@" + file.fileName()});
    EXPECT_EQ(*inline_.conditions, *fromFile.conditions);

    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--conditions", "@/no/such/file"}).find("cannot read"));
    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--conditions", "[1,"}).find("not valid JSON"));
}

TEST(JsonVariant, ValuesTakeTheirVariantTypes)
{
    using erphost::variantFromJson;
    EXPECT_EQ(kv::VarType::Int32, variantFromJson("42").type());
    EXPECT_EQ(kv::VarType::Int32, variantFromJson("-2147483648").type());
    EXPECT_EQ(kv::Variant(std::int64_t(4294967296)), variantFromJson("4294967296"));
    EXPECT_EQ(kv::Variant(2.5), variantFromJson("2.5"));
    EXPECT_TRUE(variantFromJson("null").isNull());
    EXPECT_EQ(kv::Variant("领料"), variantFromJson("\"领料\""));
    EXPECT_EQ(kv::varArrayOf({true, kv::varArrayOf({}), kv::varArrayOf({1, "a"})}),
              variantFromJson(R"([true, [], [1, "a"]])"));
    EXPECT_THROW(variantFromJson(R"([{"a": 1}])"), erphost::JsonVariantError);
    EXPECT_THROW(variantFromJson("1, 2"), erphost::JsonVariantError);
    EXPECT_THROW(variantFromJson(""), erphost::JsonVariantError);
}

} // namespace
