// erp-host's command line: required context, report commands with the
// parameter arrays their options build, output files and what the module
// learns of them, condition packages as JSON, when the window is shown.
#include "HostOptions.h"
#include "JsonVariant.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <algorithm>

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
    EXPECT_FALSE(parse(kContext + QStringList{"--execute", "5", "--preview", "true"}, true).show);
    EXPECT_TRUE(parse(kContext + QStringList{"--execute", "5", "--preview", "true", "--show"}).show);
}

TEST(HostOptions, EachParamsBelongsToTheExecuteWrittenBeforeIt)
{
    const erphost::HostOptions options =
        parse(kContext + QStringList{"--execute", "5", "--params", "[]", "--execute", "11", "--params",
                                     R"(["K",2,"p",300])", "--execute", "6", "--params", "[true,\"5401\"]"});
    ASSERT_EQ(3u, options.executes.size());
    EXPECT_EQ(5, options.executes[0].kind);
    EXPECT_EQ(kv::varArrayOf({}), options.executes[0].params);
    EXPECT_EQ(11, options.executes[1].kind);
    EXPECT_EQ(kv::varArrayOf({"K", 2, "p", 300}), options.executes[1].params);
    EXPECT_EQ(kv::varArrayOf({true, "5401"}), options.executes[2].params);

    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--execute", "7"}).find("the kinds are"));
    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--params", "[1]"}).find("no --execute"));
    EXPECT_NE(std::string::npos,
              usageError(kContext + QStringList{"--execute", "5", "--params", "[1]", "--params", "[2]"})
                  .find("no --execute"));
}

TEST(HostOptions, CommandOptionsBuildTheExecuteArraysOfTheController)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString prefix = dir.filePath("slip-");
    const erphost::HostOptions options = parse(
        kContext + QStringList{"--execute", "5", "--preview", "false",
                               "--execute", "6", "--preview", "TRUE", "--key", "5401, 20261201001 ,A",
                               "--execute", "11", "--key", "5402,,", "--picture-kind", "3", "--prefix", prefix,
                               "--execute", "11", "--dpi", "300", "--prefix", dir.path() + "/", "--picture-kind", "0",
                               "--key", "5401,0001,"});
    ASSERT_EQ(4u, options.executes.size());
    EXPECT_EQ(kv::varArrayOf({false}), options.executes[0].params);
    EXPECT_EQ(6, options.executes[1].kind);
    EXPECT_EQ(kv::varArrayOf({true, kv::varArrayOf({"5401", "20261201001", "A"})}), options.executes[1].params);
    // Without --dpi the array ends after the prefix: the module's default
    // resolution applies.
    EXPECT_EQ(kv::varArrayOf({kv::varArrayOf({"5402", "", ""}), 3, prefix.toStdString()}),
              options.executes[2].params);
    EXPECT_EQ(kv::varArrayOf({kv::varArrayOf({"5401", "0001", ""}), 0, (dir.path() + "/").toStdString(), 300}),
              options.executes[3].params);

    // A relative prefix reaches the module as an absolute one.
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const erphost::HostOptions relative =
        parse(kContext + QStringList{"--execute", "11", "--key", "5401,1,", "--picture-kind", "1", "--prefix", "p"});
    QDir::setCurrent(cwd);
    EXPECT_EQ(QDir(dir.path()).absoluteFilePath("p").toStdString(), kv::varToStr(relative.executes[0].params[2]));
}

TEST(HostOptions, BadCommandOptionsAreToldClearly)
{
    const auto error = [](const QStringList &command) { return usageError(kContext + command); };
    const auto says = [](const std::string &text, const std::string &part) {
        return text.find(part) != std::string::npos;
    };
    EXPECT_PRED2(says, error({"--execute", "5"}), "--execute 5 needs --preview true|false");
    EXPECT_PRED2(says, error({"--execute", "5", "--preview", "maybe"}), "--preview maybe: give true or false");
    EXPECT_PRED2(says, error({"--execute", "6", "--preview", "true"}), "--execute 6 needs --key TYPE,NUMBER,SETTING");
    EXPECT_PRED2(says, error({"--execute", "6", "--preview", "1", "--key", "5401,0001"}),
                 "--key 5401,0001: give TYPE,NUMBER,SETTING");
    EXPECT_PRED2(says, error({"--execute", "6", "--preview", "1", "--key", " ,0001,"}),
                 "the slip type (before the first comma) must not be empty");
    EXPECT_PRED2(says, error({"--execute", "5", "--key", "5401,1,", "--preview", "true"}),
                 "--key does not belong to --execute 5");
    EXPECT_PRED2(says, error({"--execute", "5", "--preview", "true", "--preview", "false"}),
                 "--preview is given twice for one --execute 5");
    EXPECT_PRED2(says, error({"--preview", "true", "--execute", "5"}), "--preview true has no --execute before it");
    EXPECT_PRED2(says, error({"--execute", "5", "--preview", "true", "--params", "[true]"}),
                 "--execute 5: give either --params or --preview, not both");

    const QStringList exportCommand{"--execute", "11", "--key", "5401,1,", "--prefix", "/tmp/p"};
    EXPECT_PRED2(says, error(exportCommand), "--execute 11 needs --picture-kind 0..3");
    EXPECT_PRED2(says, error(exportCommand + QStringList{"--picture-kind", "4"}),
                 "--picture-kind 4: give 0 (BMP), 1 (JPG), 2 (GIF) or 3 (PDF)");
    EXPECT_PRED2(says, error(exportCommand + QStringList{"--picture-kind", "2", "--dpi", "ninety"}),
                 "--dpi ninety: give a resolution from 24 to 1200");
    EXPECT_PRED2(says, error(exportCommand + QStringList{"--picture-kind", "2", "--dpi", "5000"}),
                 "--dpi 5000: give a resolution from 24 to 1200");
    EXPECT_PRED2(says,
                 error({"--execute", "11", "--key", "5401,1,", "--picture-kind", "2", "--prefix", "/no/such/dir/p"}),
                 "--prefix /no/such/dir/p: the folder /no/such/dir does not exist");
}

TEST(HostOptions, OutputFilesReachTheModuleThroughItsEnvironment)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const erphost::HostOptions options =
        parse(kContext + QStringList{"--print-to-pdf", "slips.pdf", "--pages-json", dir.filePath("pages.json"),
                                     "--grab", "window.png"});
    QDir::setCurrent(cwd);
    const std::string pdf = QDir(dir.path()).absoluteFilePath("slips.pdf").toStdString();
    const std::string json = dir.filePath("pages.json").toStdString();
    using Variables = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ((Variables{{"QIPR07_PRINT_PDF", pdf}, {"QIPR07_PAGES_JSON", json}, {"QIPR07_HEADLESS", "1"}}),
              options.moduleEnvironment(true));
    EXPECT_EQ((Variables{{"QIPR07_PRINT_PDF", pdf}, {"QIPR07_PAGES_JSON", json}}), options.moduleEnvironment(false));
    EXPECT_TRUE(parse(kContext).moduleEnvironment(false).empty());
    // A picture of the window needs the window shown.
    EXPECT_TRUE(options.show);
    EXPECT_EQ(QDir(dir.path()).absoluteFilePath("window.png").toStdString(), options.grabFile);

    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--print-to-pdf", "/no/such/dir/a.pdf"})
                                     .find("the folder /no/such/dir does not exist"));
    EXPECT_NE(std::string::npos,
              usageError(kContext + QStringList{"--pages-json", dir.path()}).find("that is a folder, not a file"));
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

TEST(HostOptions, SendOptionsReachTheModuleAndMistakesAreTold)
{
    using Variables = std::vector<std::pair<std::string, std::string>>;
    const erphost::HostOptions mail = parse(kContext + QStringList{"--send", "mail", "--subject", "领料单 十二月", "--smtp",
                                                                   "smtp://127.0.0.1:2525"});
    EXPECT_EQ((Variables{{"QIPR07_SEND", "mail"}, {"QIPR07_SEND_SUBJECT", "领料单 十二月"},
                         {"QIPR07_SMTP_URL", "smtp://127.0.0.1:2525"}}),
              mail.moduleEnvironment(false));
    const erphost::HostOptions fax =
        parse(kContext + QStringList{"--send", "fax", "--fax-server", "本机", "--fax-spool", "/srv/fax/../faxjobs"});
    EXPECT_EQ((Variables{{"QIPR07_SEND", "fax"}, {"QIPR07_SEND_FAX_SERVER", "本机"}, {"QIPR07_FAX_SPOOL", "/srv/faxjobs"}}),
              fax.moduleEnvironment(false));
    // An empty subject is a subject.
    EXPECT_EQ((Variables{{"QIPR07_SEND", "mail"}, {"QIPR07_SEND_SUBJECT", ""}}),
              parse(kContext + QStringList{"--send", "mail", "--subject", ""}).moduleEnvironment(false));

    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--send", "post"}).find("--send takes mail or fax"));
    EXPECT_NE(std::string::npos,
              usageError(kContext + QStringList{"--send", "mail", "--fax-server", "x"}).find("--fax-server goes with --send fax"));
    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--subject", "x"}).find("--subject goes with --send mail"));
    EXPECT_NE(std::string::npos, usageError(kContext + QStringList{"--smtp", "http://127.0.0.1"}).find("--smtp takes smtp://"));
    EXPECT_NE(std::string::npos, erphost::hostUsage().find("--fax-spool DIR"));
}

namespace {

TEST(HostOptions, StoredStylesTheirDumpAndTheTextToStore)
{
    QTemporaryDir dir;
    const QString text = dir.filePath("layout.txt");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("inherited frmQipr07Fmt: TfrmQipr07Fmt\nend\n");
    file.close();

    const erphost::HostOptions options = parse(kContext + QStringList{"--layout-style", "甲格式", "--dump-layout",
                                                                      dir.filePath("dump.txt"), "--store-layout",
                                                                      " 甲格式 ", "--layout-file", text},
                                               true);
    EXPECT_EQ(options.storeLayout, "甲格式");
    EXPECT_EQ(options.layoutFile, QFileInfo(text).absoluteFilePath().toStdString());
    EXPECT_FALSE(options.show) << "storing is work of its own: no window waits for the user";
    const auto environment = options.moduleEnvironment(false);
    EXPECT_NE(std::find(environment.begin(), environment.end(),
                        std::make_pair(std::string("QIPR07_LAYOUT_STYLE"), std::string("甲格式"))),
              environment.end());
    EXPECT_NE(std::find(environment.begin(), environment.end(),
                        std::make_pair(std::string("QIPR07_DUMP_LAYOUT"), dir.filePath("dump.txt").toStdString())),
              environment.end());
    // The built-in layout can be asked for by name.
    EXPECT_EQ(*parse(kContext + QStringList{"--layout-style", "<New>"}).layoutStyle, "<New>");
    EXPECT_FALSE(parse(kContext).layoutStyle);

    EXPECT_EQ("--store-layout needs --layout-file FILE (the layout text to store)",
              usageError(kContext + QStringList{"--store-layout", "甲"}));
    EXPECT_EQ("--layout-file needs --store-layout NAME (the format style to store it as)",
              usageError(kContext + QStringList{"--layout-file", text}));
    EXPECT_EQ("--store-layout needs a format style name",
              usageError(kContext + QStringList{"--store-layout", " ", "--layout-file", text}));
    EXPECT_NE(usageError(kContext + QStringList{"--store-layout", "甲", "--layout-file", dir.filePath("none")})
                  .find("no readable file"),
              std::string::npos);
    EXPECT_NE(usageError(kContext + QStringList{"--dump-layout", dir.filePath("gone/dump.txt")}).find("does not exist"),
              std::string::npos);
    EXPECT_NE(erphost::hostUsage().find("--store-layout NAME"), std::string::npos);
}

} // namespace
