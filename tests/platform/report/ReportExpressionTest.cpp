// Expressions of groups and expression fields, and number masks.
#include "platform/ClientDataSet.h"
#include "platform/report/NumberMask.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportExpression.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct Context {
    Context()
    {
        slips = new ClientDataSet(&window);
        slips->setObjectName("ClientDataSet1");
        ResultTable::Builder builder;
        builder.addColumn("TC001", FieldType::Text);
        builder.addColumn("TC002", FieldType::Text);
        builder.addColumn("TE005", FieldType::Float);
        builder.addColumn("TE003", FieldType::Integer);
        builder.setText(0, "5401");
        builder.setText(1, "20240001");
        builder.setNumber(2, 2.5);
        builder.setInteger(3, 7);
        builder.endRow();
        builder.setText(0, "5401");
        builder.setNull(1);
        builder.setNumber(2, -1);
        builder.setInteger(3, 8);
        builder.endRow();
        slips->setData(builder.finish());
        lookups = new ClientDataSet(&window);
        lookups->setObjectName("ClientDataSet2");
        report = new Report(&window);
        report->setDataSet(slips);
        report->setReportTitle("领料单");
    }
    std::string text(const QString &expression)
    {
        ReportExpression parsed(expression);
        parsed.prepare(report);
        return parsed.valueText();
    }
    std::string error(const QString &expression)
    {
        try {
            ReportExpression parsed(expression);
            parsed.prepare(report);
            parsed.value();
        } catch (const ReportError &error) {
            return error.what();
        }
        return "no error";
    }
    QObject window;
    ClientDataSet *slips;
    ClientDataSet *lookups;
    Report *report;
};

} // namespace

TEST(ReportExpressionTest, GroupKeysJoinFieldsAsText)
{
    Context c;
    ReportExpression key("ClientDataSet1.TC001+ClientDataSet1.TC002");
    key.prepare(c.report);
    EXPECT_EQ(key.valueText(), "540120240001");
    c.slips->Next();
    EXPECT_EQ(key.valueText(), "5401"); // a null field joins as nothing
    // Bare names are fields of the report's data set; names ignore case.
    c.slips->First();
    EXPECT_EQ(c.text("tc001 + clientdataset1.tc002"), "540120240001");
}

TEST(ReportExpressionTest, NumbersOperatorsAndFunctions)
{
    Context c;
    EXPECT_EQ(c.text("TE003 + 1"), "8");
    EXPECT_EQ(c.text("TE005 * 2 + TE003"), "12");
    EXPECT_EQ(c.text("(TE005 + 0.5) * -2"), "-6");
    EXPECT_EQ(c.text("7 / 2"), "3.5");
    EXPECT_EQ(c.text("'Qty: ' + TE005"), "Qty: 2.5");
    EXPECT_EQ(c.text("IF(TE005 > 0, 'issue', 'return')"), "issue");
    EXPECT_EQ(c.text("IF(TE003 >= 7 AND NOT TC001 = '9999', 1, 0)"), "1");
    EXPECT_EQ(c.text("TE003 <> 7 OR FALSE"), "False");
    EXPECT_EQ(c.text("COPY(TC002, 1, 4) + UPPER('x') + LOWER('Y')"), "2024Xy");
    EXPECT_EQ(c.text("COPY('领料单据', 2, 2)"), "料单");
    EXPECT_EQ(c.text("INT(TE005) + STR(TE003)"), "27");
    EXPECT_EQ(c.text("FORMATNUMERIC('#,##0.00', 1234.5)"), "1,234.50");
    EXPECT_EQ(c.text("'It''s ' + \"ok\""), "It's ok");
    EXPECT_EQ(c.text("REPORTTITLE + PAGENUMBER + COLUMNNUMBER"), "领料单01");
}

TEST(ReportExpressionTest, TheReportsOwnFunctionsAndOtherDataSetsOfItsWindow)
{
    Context c;
    c.report->setFunctions({"DOUBLED=TE003*2", "LABEL='No. '+DOUBLED"});
    EXPECT_EQ(c.text("LABEL"), "No. 14");
    c.report->setFunctions({"LOOP=LOOP+1"});
    EXPECT_NE(c.error("LOOP").find("calls itself"), std::string::npos);

    // A closed data set is found when the expression is prepared and read when it is open.
    ReportExpression remark("ClientDataSet2.TA027");
    remark.prepare(c.report);
    EXPECT_NE(c.error("ClientDataSet2.TA027").find("not open"), std::string::npos);
    ResultTable::Builder builder;
    builder.addColumn("TA027", FieldType::Text);
    builder.setText(0, "合格");
    builder.endRow();
    c.lookups->setData(builder.finish());
    EXPECT_EQ(remark.valueText(), "合格");
    // Reopened with other records, the field is looked up again.
    ResultTable::Builder other;
    other.addColumn("X", FieldType::Text);
    other.addColumn("TA027", FieldType::Text);
    other.setText(0, "-");
    other.setText(1, "不合格");
    other.endRow();
    c.lookups->setData(other.finish());
    EXPECT_EQ(remark.valueText(), "不合格");
}

TEST(ReportExpressionTest, FaultsSayWhatAndWhere)
{
    Context c;
    EXPECT_NE(c.error("TE003 +").find("operand missing"), std::string::npos);
    EXPECT_NE(c.error("'open").find("not closed"), std::string::npos);
    EXPECT_NE(c.error("NOPE(1)").find("unknown function NOPE"), std::string::npos);
    EXPECT_NE(c.error("ClientDataSet9.TC001").find("unknown data set"), std::string::npos);
    EXPECT_NE(c.error("TC999").find("TC999"), std::string::npos);
    EXPECT_NE(c.error("IF(1, 2)").find("3 argument"), std::string::npos);
    EXPECT_NE(c.error("TE003 / 0").find("division by zero"), std::string::npos);
    EXPECT_NE(c.error("TE003 * 'abc'").find("not a number"), std::string::npos);
    EXPECT_NE(c.error("TE003 # 2").find("position 7"), std::string::npos);
    EXPECT_THROW(ReportExpression("1").value(), ReportError); // not prepared
}

TEST(NumberMaskTest, MasksRoundGroupAndPad)
{
    EXPECT_EQ(formatNumberMask("#,##0.00", 1234.5), "1,234.50");
    EXPECT_EQ(formatNumberMask("0.00", 1234.5), "1234.50");
    EXPECT_EQ(formatNumberMask("#,##0", 1234567.5), "1,234,568");
    EXPECT_EQ(formatNumberMask("#,##0.00", -1234.005), "-1,234.01");
    EXPECT_EQ(formatNumberMask("0.00", 2.675), "2.68");
    EXPECT_EQ(formatNumberMask("0.0#", 1.5), "1.5");
    EXPECT_EQ(formatNumberMask("0.0#", 1.256), "1.26");
    EXPECT_EQ(formatNumberMask("#.##", 0.5), ".5");
    EXPECT_EQ(formatNumberMask("000", 7), "007");
    EXPECT_EQ(formatNumberMask("0.00", -0.001), "0.00");
    EXPECT_EQ(formatNumberMask("\"NT$\"#,##0' 元'", 1500), "NT$1,500 元");
    EXPECT_EQ(formatNumberMask("#,##0.00;(#,##0.00);-", -12.5), "(12.50)");
    EXPECT_EQ(formatNumberMask("#,##0.00;(#,##0.00);-", 0), "-");
    EXPECT_EQ(formatNumberMask("", 1234.5), "1234.5");
}
