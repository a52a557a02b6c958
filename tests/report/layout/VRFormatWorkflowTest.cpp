// Workflow sign-offs of the standard slip layout: the registration check,
// the request for every slip (read back by the application server's own
// parser), both kinds of reply, rows that are not printed, time stamps the
// layout cannot read, a server without the call, and when nothing is asked.

#include "LayoutTestSupport.h"

#include "lib/LibStrs.h"
#include "objects/SignOffHistory.h"

#include <QDir>
#include <QFile>

using namespace layouttest;
using kv::varArrayOf;

namespace {

const kv::TfrmBaseGene::SettingList kWorkflow = {{"Sys060", "Y"}, {"Sys174", "N"}};
const kv::TfrmBaseGene::SettingList kWebService = {{"SYS060", "Y"}, {"Sys174", "Y"}};

// A table of sign-off rows [column 0..12, row] as the server sends it.
struct Step {
    std::string title, name, signedAt;
};

Variant stepTable(const std::vector<Step> &steps)
{
    kv::VariantArray table({0, 12}, {0, int(steps.size()) - 1});
    for (int row = 0; row < int(steps.size()); ++row) {
        for (int column = 0; column < 13; ++column)
            table.at(column, row) = Variant("c" + std::to_string(column));
        table.at(5, row) = Variant(steps[std::size_t(row)].signedAt);
        table.at(10, row) = Variant(steps[std::size_t(row)].name);
        table.at(12, row) = Variant(steps[std::size_t(row)].title);
    }
    return Variant(std::move(table));
}

Variant entry(const std::string &type, const std::string &sheet, const std::vector<Step> &steps)
{
    return varArrayOf({int(steps.size()), type, sheet, "", "", stepTable(steps)});
}

std::string pad(const std::string &text)
{
    return kv::PadL(text, 14);
}

} // namespace

class WorkflowTest : public LayoutTest {
protected:
    // The lines written to an alert log of today.
    QStringList logLines(const QString &name) const
    {
        QStringList lines;
        const QDir folder(QString::fromStdString(shell.clientDir() + "Log"));
        for (const QString &file : folder.entryList({QStringLiteral("Alert_%1_*").arg(name)})) {
            QFile log(folder.filePath(file));
            if (log.open(QIODevice::ReadOnly))
                lines += QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        return lines;
    }
    static bool anyContains(const QStringList &lines, const QString &text)
    {
        return std::any_of(lines.begin(), lines.end(), [&text](const QString &line) { return line.contains(text); });
    }
};

TEST_F(WorkflowTest, RequestNamesEverySlipOnceAndQuotesWhatItPastes)
{
    openLayout(slipTable({{"5401", "A'001", 3}, {"5401", "A<2>", 1}, {"", "A003", 2}, {"5402", "", 1}}), kWorkflow);
    layout->WorkflowFormCode = "MOC'TC";
    layout->ClientDataSet1->setRecNo(2);
    layout->RequestSignOffData("QIPR07");

    ASSERT_EQ(server->freeSql.size(), 1u);
    EXPECT_EQ(server->freeSql[0], "SELECT * FROM $$ADMMQ WHERE MQ002='MOC''TC'");
    EXPECT_TRUE(layout->UnderWorkflow);
    ASSERT_EQ(server->requests.size(), 1u);
    // The walk starts at the current record; slips without type or number
    // are left out.
    const auto forms = slip::SignOffHistory::parseRequest(server->requests[0]);
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[0].formType, "5401");
    EXPECT_EQ(forms[0].sheetNo, "A'001");
    EXPECT_EQ(forms[0].param3, "");
    EXPECT_EQ(forms[1].sheetNo, "A<2>");
    EXPECT_EQ(layout->ClientDataSet1->RecNo(), 1);
    EXPECT_TRUE(anyContains(logLines("ZQWebservice"), QStringLiteral("mPara:<FormSet> ")));

    // A third and fourth key part travel as the parameters.
    server->requests.clear();
    layout->QRGroup->setExpression(QStringLiteral("ClientDataSet1.TC001 + ClientDataSet1.TC002 + "
                                                  "ClientDataSet1.TE003 + ClientDataSet1.TE004 + ClientDataSet1.TE005"));
    layout->RequestSignOffData("QIPR07");
    ASSERT_EQ(server->requests.size(), 1u);
    const auto lines = slip::SignOffHistory::parseRequest(server->requests[0]);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].param3, "1");
    EXPECT_EQ(lines[0].param4, "ITEM-1");
}

TEST_F(WorkflowTest, NothingIsAskedWithoutWorkflowRegistrationOrWithASinglePartKey)
{
    openLayout(slipTable({{"5401", "A001", 2}}), kWorkflow);
    // No form code: not under workflow.
    layout->RequestSignOffData("QIPR07");
    EXPECT_TRUE(server->freeSql.empty());
    EXPECT_FALSE(layout->UnderWorkflow);
    // A form code the workflow does not know.
    layout->WorkflowFormCode = "MOCTC";
    server->freeSqlRows = 0;
    layout->RequestSignOffData("QIPR07");
    EXPECT_FALSE(layout->UnderWorkflow);
    // Registered, but a key of one part names no sheet.
    server->freeSqlRows = 1;
    layout->QRGroup->setExpression(QStringLiteral("ClientDataSet1.TC002"));
    layout->RequestSignOffData("QIPR07");
    EXPECT_TRUE(layout->UnderWorkflow);
    EXPECT_TRUE(server->requests.empty());

    // Without the workflow setting the typed sign-off lines print as they are.
    layout->Settings = {{"Sys060", "N"}};
    layout->QRGroup->setExpression(QStringLiteral("ClientDataSet1.TC001+ClientDataSet1.TC002"));
    layout->UseWorkflowSignIn = true;
    layout->UnderWorkflow = true;
    layout->SetSignIns({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
    const std::vector<Form> forms = generate();
    ASSERT_EQ(forms.size(), 1u);
    EXPECT_EQ(forms[0].text("lblSignIn1") + forms[0].text("lblSignIn2") + forms[0].text("lblSignIn3"),
              QStringLiteral("甲乙丙"));
}

TEST_F(WorkflowTest, SignOffTablesArePrintedOnTheSlipsFirstPage)
{
    openLayout(slipTable({{"5401", "A001", 12}, {"5401", "A002", 1}}), kWorkflow);
    layout->WorkflowFormCode = "MOCTC";
    layout->UseWorkflowSignIn = true;
    layout->SignInEveryPage = true;
    layout->SetSignIns({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
    server->zqReply = varArrayOf({2,
                                  entry("5401", "A001",
                                        {{"主管", "王五", "2024/05/06 10:11:12"},
                                         {"", "无职称", "2024/05/07 08:00:00"},
                                         {"经理", "赵六", "2024.05.08"}}),
                                  entry("5401", "OTHER", {{"主管", "李四", "2024/01/01 00:00:00"}})});
    layout->RequestSignOffData("QIPR07");
    ASSERT_EQ(server->requests.size(), 1u);

    const Variant found = layout->SignOffForSlip(varArrayOf({2, "5401", "A001"}));
    EXPECT_EQ(found[0].toInt(), 1);
    // The last row comes first; a row without a title is not printed; a time
    // the layout cannot read is taken from fixed positions.
    EXPECT_EQ(found[1].toText(), "职      称:" + pad("经理") + pad("主管"));
    EXPECT_EQ(found[2].toText(), "签核人姓名:" + pad("赵六") + pad("王五"));
    EXPECT_EQ(found[3].toText(), "签核  时间:" + pad("2024/05/08") + pad("2024/05/06"));

    const Variant missing = layout->SignOffForSlip(varArrayOf({2, "5401", "A002"}));
    EXPECT_EQ(missing[0].toInt(), 0);
    EXPECT_EQ(missing[1].toText(), "职      称:");
    const Variant blank = layout->SignOffForSlip(varArrayOf({2, "5401", ""}));
    EXPECT_EQ(blank, varArrayOf({0, "", "", ""}));

    const QStringList trace = logLines(QStringLiteral("Tessary_ReturnValue"));
    EXPECT_TRUE(trace.filter(QStringLiteral("Key 1=5401")).size() == 1);
    EXPECT_TRUE(anyContains(trace, QStringLiteral("10:签核人姓名=无职称")));
    EXPECT_TRUE(anyContains(trace, QStringLiteral("12:签核人职称=")));

    // Printed: the workflow lines on the slip's pages; the slip the workflow
    // has no data for prints empty sign-off lines instead of the typed ones.
    const std::vector<Form> forms = generate();
    ASSERT_EQ(forms.size(), 3u);
    for (int page : {0, 1})
        EXPECT_EQ(forms[std::size_t(page)].text("lblSignIn2").toStdString(), found[2].toText()) << page;
    EXPECT_FALSE(forms[2].has("lblSignIn1"));
    EXPECT_TRUE(layout->SignInTexts.isEmpty());
}

TEST_F(WorkflowTest, UnreadableTimesFollowTheDateType)
{
    openLayout(slipTable({{"5401", "A001", 1}}), kWorkflow);
    layout->DateType = 5;
    layout->DateFormat = ".x";
    layout->WorkflowReply =
        varArrayOf({1, entry("5401", "A001", {{"主管", "王五", "2024-05-06 07:08:09"}, {"员", "甲", "ab/cd/ef"}})});
    const Variant found = layout->SignOffForSlip(varArrayOf({2, "5401", "A001"}));
    EXPECT_EQ(found[3].toText(), "签核  时间:" + pad("038.10.01") + pad("113.05.06"));
    layout->DateType = 2;
    layout->DateFormat.clear();
    layout->WorkflowReply = varArrayOf({1, entry("5401", "A001", {{"员", "甲", "2023x12y31"}})});
    EXPECT_EQ(layout->SignOffForSlip(varArrayOf({2, "5401", "A001"}))[3].toText(), "签核  时间:" + pad("12312023"));
}

TEST_F(WorkflowTest, WebServiceReplyGivesTheSignOffLinesAndFinalResult)
{
    openLayout(slipTable({{"5401", "A'001", 1}}), kWebService);
    layout->WorkflowFormCode = "MOCTC";
    server->webReply = "<FormSet><Form wfFormType=\"5401\" wfSheetNo=\"A'001\">1  1  王五  主管  核准  "
                       "2024/05/06  同意||1  2  赵六  经理  核准  2024/05/07  ||核准</Form>"
                       "<Form wfFormType=\"5401\" wfSheetNo=\"A002\">x||y</Form></FormSet>";
    layout->RequestSignOffData("QIPR07");
    ASSERT_EQ(server->freeSql.size(), 1u);
    EXPECT_EQ(server->freeSql[0], "SELECT * FROM $$ZQSMC WHERE MC002='MOCTC'");
    ASSERT_EQ(server->programs, std::vector<std::string>{"QIPR07"});
    EXPECT_TRUE(server->zqReply.isEmpty());

    const Variant found = layout->SignOffForSlip(varArrayOf({2, "5401", "A'001"}));
    EXPECT_EQ(found[0].toInt(), 1);
    EXPECT_EQ(found[1].toText(), "关号  支号  签核人  职称  签核结果  签核日期  签核意见");
    EXPECT_EQ(found[2].toText(), "1  1  王五  主管  核准  2024/05/06  同意\r\n1  2  赵六  经理  核准  2024/05/07  \r\n"
                                 "签核最终结果:核准");
    EXPECT_EQ(found[3].toText(), "");
    EXPECT_EQ(layout->SignOffForSlip(varArrayOf({2, "5401", "A003"}))[0].toInt(), 0);

    layout->WebServiceReply = "<FormSet><Form>";
    EXPECT_EQ(layout->SignOffForSlip(varArrayOf({2, "5401", "A'001"}))[0].toInt(), 0);
    const QStringList log = logLines(QStringLiteral("ZQWebservice"));
    EXPECT_TRUE(anyContains(log, QStringLiteral("c_ZQWebserviceData:<FormSet><Form>")));
    EXPECT_TRUE(anyContains(log, QStringLiteral("GetZQSignin Error:")));
}

TEST_F(WorkflowTest, ServerWithoutTheCallWarnsAndPrintingGoesOn)
{
    openLayout(slipTable({{"5401", "A001", 2}}), kWorkflow);
    layout->WorkflowFormCode = "MOCTC";
    layout->UseWorkflowSignIn = true;
    server->failSignOff = true;
    prompter->answerMessage(kv::mrNo);
    layout->RequestSignOffData("QIPR07");
    ASSERT_EQ(prompter->questions().size(), 1u);
    const kv::Question &warning = prompter->questions()[0];
    EXPECT_EQ(warning.text.rfind("无法Create GetZQData取得Tessary 的签核资料,可能後端未更新,请更新Slipserv.exe!!", 0), 0u);
    EXPECT_EQ(warning.type, kv::MessageType::Warning);
    EXPECT_EQ(warning.buttons, kv::MessageButtons(kv::MessageButton::Yes) | kv::MessageButton::No);
    EXPECT_EQ(warning.caption, "领料单打印");

    layout->SetSignIns({QStringLiteral("甲")});
    const std::vector<Form> forms = generate();
    ASSERT_EQ(forms.size(), 1u);
    EXPECT_EQ(forms[0].all("lblSeq").size(), 2);
    EXPECT_FALSE(forms[0].has("lblSignIn1"));
    EXPECT_TRUE(prompter->allAnswered());
}
