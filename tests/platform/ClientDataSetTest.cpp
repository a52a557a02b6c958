#include "platform/ClientDataSet.h"
#include "platform/DispatchObject.h"

#include <QVariant>

#include <gtest/gtest.h>

using kv::ClientDataSet;
using kv::DataSetError;
using kv::FieldType;
using kv::ResultTable;
using kv::Variant;

namespace {

// Saved condition sets as the "pvdConSave" provider lists them.
ResultTable conditionSets()
{
    ResultTable::Builder builder;
    builder.addColumn("NCONDITION", FieldType::Text);
    builder.addColumn("CREATOR", FieldType::Text);
    builder.addColumn("PROGRAMME", FieldType::Text);
    builder.addColumn("SEQ", FieldType::Integer);
    builder.addColumn("QTY", FieldType::Float);
    const auto row = [&builder](const char *name, const char *user, Variant seq, Variant qty) {
        builder.setText(0, name);
        builder.setText(1, user);
        builder.setText(2, "QIPR07");
        builder.setValue(3, seq);
        builder.setValue(4, qty);
        builder.endRow();
    };
    row("本月领料", "DS", Variant(10), Variant(2.5));
    row("Weekly", "ds", Variant(9), Variant::null());
    row("weekly", "DS", Variant::null(), Variant(1.0));
    return builder.finish();
}

// Serves one table for any provider and records the arguments of each fetch.
class FakeServer : public kv::DispatchObject {
public:
    FakeServer() : DispatchObject("Test.Server")
    {
        addMethod("AS_GetRecords", 4, 4, [this](std::vector<Variant> &args) -> Variant {
            calls.push_back(args);
            if (!failure.empty())
                throw std::runtime_error(failure);
            return reply;
        });
    }
    std::vector<std::vector<Variant>> calls;
    Variant reply = Variant(conditionSets().toDataPacket());
    std::string failure;
};

std::string openError(ClientDataSet &dataSet)
{
    try {
        dataSet.Open();
    } catch (const DataSetError &error) {
        return error.what();
    }
    return "<opened>";
}

std::vector<std::string> walk(ClientDataSet &dataSet)
{
    std::vector<std::string> names;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        names.push_back(dataSet.FieldByName("NCONDITION").AsString());
    return names;
}

} // namespace

TEST(ClientDataSet, FetchesThroughTheRemoteServerWithProviderCommandParamsAndRequest)
{
    auto server = std::make_shared<FakeServer>();
    ClientDataSet dataSet;
    dataSet.setObjectName("ClientDataSet1");
    dataSet.setProviderName("pvdMain");
    EXPECT_NE(openError(dataSet).find("ClientDataSet1: Missing data provider"), std::string::npos);

    dataSet.setRemoteServer(server);
    dataSet.setCommandText("SELECT * FROM DEMO..MOCTC");
    dataSet.setParam("TC001", Variant("5401"));
    dataSet.setParam("tc001", Variant("5402")); // same parameter, case ignored
    dataSet.setParam("MAX", Variant(10));
    EXPECT_TRUE(dataSet.DataRequest(Variant("SELECT 1")).isEmpty());
    dataSet.Open();
    dataSet.Open(); // already open: no second fetch

    ASSERT_EQ(server->calls.size(), 1u);
    const std::vector<Variant> &args = server->calls[0];
    EXPECT_EQ(args[0], Variant("pvdMain"));
    EXPECT_EQ(args[1], Variant("SELECT * FROM DEMO..MOCTC"));
    const kv::VariantArray &params = args[2].array();
    ASSERT_EQ(params.dimCount(), 2);
    EXPECT_EQ(params.highBound(2), 1);
    EXPECT_EQ(params.at(0, 0), Variant("TC001"));
    EXPECT_EQ(params.at(1, 0), Variant("5402"));
    EXPECT_EQ(params.at(0, 1), Variant("MAX"));
    EXPECT_EQ(args[3], Variant("SELECT 1"));
    EXPECT_EQ(dataSet.RecordCount(), 3);
    EXPECT_TRUE(dataSet.property("Active").toBool());

    // The request stays for later fetches; parameters can be dropped.
    dataSet.setActive(false);
    dataSet.clearParams();
    dataSet.setActive(true);
    ASSERT_EQ(server->calls.size(), 2u);
    EXPECT_TRUE(server->calls[1][2].isEmpty());
    EXPECT_EQ(server->calls[1][3], Variant("SELECT 1"));
}

TEST(ClientDataSet, ReportsFailedFetchesAndStaysClosed)
{
    auto server = std::make_shared<FakeServer>();
    ClientDataSet dataSet;
    dataSet.setObjectName("ClientDataSet2");
    dataSet.setProviderName("Provider2");
    dataSet.setRemoteServer(server);

    server->failure = "no such table: QMSTA";
    EXPECT_NE(openError(dataSet).find("no such table: QMSTA"), std::string::npos);
    EXPECT_FALSE(dataSet.Active());
    server->failure.clear();

    server->reply = Variant(7);
    EXPECT_NE(openError(dataSet).find("sent no data packet"), std::string::npos);
    server->reply = Variant(std::string("KVRT\x01", 5));
    EXPECT_NE(openError(dataSet).find("Invalid data packet"), std::string::npos);
    EXPECT_FALSE(dataSet.Active());
    EXPECT_EQ(dataSet.RecordCount(), 0);
    EXPECT_TRUE(dataSet.IsEmpty());
    EXPECT_THROW(dataSet.First(), DataSetError);
}

TEST(ClientDataSet, CursorStopsAtBothEnds)
{
    ClientDataSet dataSet;
    dataSet.setData(conditionSets());
    EXPECT_TRUE(dataSet.Bof());
    EXPECT_FALSE(dataSet.Eof());
    EXPECT_EQ(dataSet.RecNo(), 1);
    dataSet.Prior();
    EXPECT_EQ(dataSet.RecNo(), 1);
    EXPECT_EQ(walk(dataSet), (std::vector<std::string>{"本月领料", "Weekly", "weekly"}));
    // Next past the end keeps the last record current.
    EXPECT_EQ(dataSet.RecNo(), 3);
    EXPECT_FALSE(dataSet.Bof());
    dataSet.Prior();
    EXPECT_FALSE(dataSet.Eof());
    EXPECT_EQ(dataSet.RecNo(), 2);
    dataSet.Last();
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_EQ(dataSet.FieldByName("NCONDITION").AsString(), "weekly");
    dataSet.setRecNo(1);
    EXPECT_EQ(dataSet.FieldByName("NCONDITION").AsString(), "本月领料");
    EXPECT_THROW(dataSet.setRecNo(4), DataSetError);

    ResultTable::Builder empty;
    empty.addColumn("NCONDITION", FieldType::Text);
    dataSet.setData(empty.finish());
    EXPECT_TRUE(dataSet.Bof() && dataSet.Eof() && dataSet.IsEmpty());
    EXPECT_EQ(dataSet.RecNo(), 0);
    dataSet.Next();
    dataSet.Last();
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_TRUE(dataSet.FieldByName("NCONDITION").IsNull());
    EXPECT_EQ(dataSet.FieldByName("NCONDITION").AsString(), "");
}

TEST(ClientDataSet, FieldsReadTheCurrentRecordByNameAndType)
{
    ClientDataSet dataSet;
    dataSet.setObjectName("ClientDataSet1");
    dataSet.setData(conditionSets());
    ASSERT_EQ(dataSet.FieldCount(), 5);
    EXPECT_EQ(dataSet.Fields()[3]->FieldName(), "SEQ");
    EXPECT_EQ(dataSet.FindField("missing"), nullptr);
    try {
        dataSet.FieldByName("TC001");
        FAIL() << "no error";
    } catch (const DataSetError &error) {
        EXPECT_STREQ(error.what(), "ClientDataSet1: Field 'TC001' not found");
    }

    ClientDataSet::Field &seq = dataSet.FieldByName("seq");
    ClientDataSet::Field &qty = dataSet.FieldByName("QTY");
    EXPECT_EQ(seq.DataType(), FieldType::Integer);
    EXPECT_EQ(seq.AsInteger(), 10);
    EXPECT_EQ(seq.AsString(), "10");
    EXPECT_DOUBLE_EQ(qty.AsFloat(), 2.5);
    EXPECT_EQ(qty.AsVariant(), Variant(2.5));
    dataSet.Next();
    EXPECT_TRUE(qty.IsNull());
    EXPECT_EQ(qty.AsFloat(), 0.0);
    EXPECT_TRUE(qty.AsVariant().isNull());
    EXPECT_THROW(dataSet.FieldByName("CREATOR").AsInteger(), DataSetError);

    ClientDataSet::Field &name = dataSet.FieldByName("NCONDITION");
    name.setOnGetText([](const ClientDataSet::Field &, const std::string &text) { return "[" + text + "]"; });
    EXPECT_EQ(name.DisplayText(), "[Weekly]");
    EXPECT_EQ(name.AsString(), "Weekly");

    dataSet.Close();
    EXPECT_EQ(dataSet.FindField("SEQ"), nullptr);
}

TEST(ClientDataSet, LocateFindsRecordsByOneOrSeveralFields)
{
    ClientDataSet dataSet;
    dataSet.setData(conditionSets());
    const Variant key = kv::varArrayOf({Variant("weekly"), Variant("DS"), Variant("QIPR07")});
    ASSERT_TRUE(dataSet.Locate("NCONDITION;CREATOR;PROGRAMME", key));
    EXPECT_EQ(dataSet.RecNo(), 3);
    ASSERT_TRUE(dataSet.Locate("NCONDITION; CREATOR", kv::varArrayOf({Variant("WEEKLY"), Variant("ds")}),
                               {.caseInsensitive = true}));
    EXPECT_EQ(dataSet.RecNo(), 2);
    ASSERT_TRUE(dataSet.Locate("NCONDITION", Variant("本月"), {.partialKey = true}));
    EXPECT_EQ(dataSet.RecNo(), 1);

    dataSet.Last();
    EXPECT_FALSE(dataSet.Locate("NCONDITION", Variant("Monthly")));
    EXPECT_EQ(dataSet.RecNo(), 3);
    EXPECT_TRUE(dataSet.Eof()); // a failed search leaves the cursor alone
    EXPECT_TRUE(dataSet.Locate("SEQ", Variant("9")));
    EXPECT_EQ(dataSet.RecNo(), 2);
    EXPECT_FALSE(dataSet.Locate("SEQ", Variant("nine")));
    EXPECT_TRUE(dataSet.Locate("SEQ", Variant::null()));
    EXPECT_EQ(dataSet.RecNo(), 3);
    EXPECT_THROW(dataSet.Locate("NCONDITION;CREATOR", Variant("weekly")), DataSetError);
}

TEST(ClientDataSet, IndexOrdersRecordsAndPostedEditsStayLocal)
{
    auto server = std::make_shared<FakeServer>();
    ClientDataSet dataSet;
    dataSet.setProviderName("pvdConSave");
    dataSet.setRemoteServer(server);
    dataSet.setIndexFieldNames("SEQ");
    dataSet.Open();
    // Nulls first, then numbers by value (9 before 10).
    EXPECT_EQ(walk(dataSet), (std::vector<std::string>{"weekly", "Weekly", "本月领料"}));
    EXPECT_THROW(dataSet.setIndexFieldNames("NOPE"), DataSetError);
    EXPECT_EQ(dataSet.IndexFieldNames(), "SEQ");

    dataSet.setIndexFieldNames("NCONDITION;CREATOR");
    EXPECT_EQ(walk(dataSet), (std::vector<std::string>{"Weekly", "weekly", "本月领料"}));

    // Renaming a set: the record takes its new place and stays current.
    ASSERT_TRUE(dataSet.Locate("NCONDITION", Variant("本月领料")));
    EXPECT_THROW(dataSet.FieldByName("NCONDITION").setAsString("x"), DataSetError);
    dataSet.Edit();
    dataSet.FieldByName("NCONDITION").setAsString("Annual");
    EXPECT_EQ(dataSet.FieldByName("NCONDITION").AsString(), "Annual");
    dataSet.Post();
    EXPECT_EQ(dataSet.RecNo(), 1);
    EXPECT_EQ(dataSet.FieldByName("NCONDITION").AsString(), "Annual");
    EXPECT_EQ(walk(dataSet), (std::vector<std::string>{"Annual", "Weekly", "weekly"}));
    EXPECT_EQ(dataSet.Data().text(0, 0), "本月领料"); // the fetched records are untouched

    dataSet.First();
    dataSet.Edit();
    dataSet.FieldByName("SEQ").setAsString("12");
    EXPECT_THROW(dataSet.FieldByName("SEQ").setAsString("twelve"), DataSetError);
    dataSet.Cancel();
    EXPECT_EQ(dataSet.FieldByName("SEQ").AsInteger(), 10);
    dataSet.Edit();
    dataSet.FieldByName("QTY").Clear();
    dataSet.Next(); // moving on posts the edit
    dataSet.First();
    EXPECT_TRUE(dataSet.FieldByName("QTY").IsNull());

    dataSet.Close();
    dataSet.Open();
    EXPECT_EQ(walk(dataSet).back(), "本月领料"); // edits end with the records
}
