// The schema definition: that it covers what the report and the server use,
// that its own rules hold for every column, the catalogue look-ups, company
// database naming, and that docs/schema.md is current.
#include "schema/CompanySchema.h"
#include "schema/SchemaDdl.h"
#include "schema/SchemaDoc.h"
#include "schema/SchemaInfo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

using namespace slip;

namespace {

// Columns read or written by the report queries, the layouts, the workflow
// and send-out code and the layout store, per table.
const std::vector<std::pair<const char *, const char *>> kUsedColumns{
    {"MOCTC", "TC001 TC002 TC003 TC004 TC005 TC006 TC007 TC008 TC009 TC010 TC011 TC012 TC013 TC014 TC015 TC016 "
              "TC017 TC018 TC019 TC020 TC021 TC028 TC029 TC030 TC031 CREATOR UDF01 UDF02 UDF03 UDF04 UDF05 UDF06 "
              "UDF51 UDF52 UDF53 UDF54 UDF55 UDF56"},
    {"MOCTE", "TE001 TE002 TE003 TE004 TE005 TE006 TE008 TE009 TE010 TE011 TE012 TE013 TE014 TE015 TE016 TE017 "
              "TE018 TE019 TE020 TE021 TE022 TE023 TE024 TE025 TE026 TE027 TEC01 UDF01 UDF06 UDF51 UDF56"},
    {"MOCTA", "TA001 TA002 TA006 TA015 TA016 TA034 TA035 TA057 TA058"},
    {"MOCTB", "TB001 TB002 TB003 TB004 TB005 TB006 TB019 TB020"},
    {"MOCTD", "TD001 TD002 TD003 TD004 TD006"},
    {"CMSMQ", "MQ001 MQ002"}, {"CMSMB", "MB001 MB002"}, {"CMSMD", "MD001 MD002"}, {"CMSME", "ME001 ME002"},
    {"CMSNO", "NO001 NO002"}, {"CMSMV", "MV001 MV002"}, {"CMSMW", "MW001 MW002"}, {"CMSMC", "MC001 MC002"},
    {"INVMB", "MB001 MB002 MB003"}, {"INVMC", "MC001 MC002 MC003"},
    {"INVME", "ME001 ME002 ME017 ME018 ME019 ME020 ME021"},
    {"PURMA", "MA001 MA002 MA003 MA010 MA011"}, {"ADMMF", "MF001 MF002"},
    {"QMSTA", "TA001 TA002 TA003 TA026 TA027"}, {"QMSTD", "TD001 TD002 TD003 TD026 TD027"},
    {"QMSTG", "TG001 TG002 TG003 TG026 TG027"},
    {"ADMTA", "COMPANY CREATOR USR_GROUP CREATE_DATE FLAG TA001 TA002 TA003 TA004 TA005 TA006"},
    {"ADMMQ", "MQ002"}, {"ZQSMC", "MC002"}, {"WARRANT", "NT001 NT002"},
    {"GENES", "NCONDITION CREATOR PROGRAMME CREATE_DATE SCONDITION VCONDITION"},
};

std::vector<std::string> words(const char *text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

TEST(SchemaTest, CoversEveryColumnTheReportAndServerUse)
{
    const SchemaInfo &schema = SchemaInfo::company();
    for (const auto &[table, columns] : kUsedColumns) {
        ASSERT_TRUE(schema.hasTable(table)) << table;
        for (const auto &column : words(columns))
            EXPECT_TRUE(schema.hasColumn(table, column)) << table << "." << column;
    }
    for (const char *table : {"MOCTC", "MOCTE", "MOCTA", "MOCTB", "MOCTD", "CMSMQ", "CMSMB", "CMSMD", "CMSME",
                              "CMSNO", "CMSMV", "CMSMW", "CMSMC", "INVMB", "INVMC", "INVME", "PURMA", "ADMMF",
                              "QMSTA", "QMSTD", "QMSTG", "ADMTA", "ADMMQ", "ZQSMC", "SIGNOFF_HISTORY", "ADMMB",
                              "CMSML", "CMSMT", "CMSMS", "WARRANT", "GENES", "SYSINFO", "USER_RIGHT",
                              "PERMISSION_RULE", "HOST_MESSAGE", "HOST_PHRASE"})
        EXPECT_TRUE(schema.hasTable(table)) << table;
}

TEST(SchemaTest, EveryColumnHasATypeFitLengthAndOneLineComment)
{
    for (const auto &table : CompanySchema::tables()) {
        EXPECT_FALSE(table.comment.empty()) << table.name;
        std::set<std::string> names;
        std::vector<int> keys;
        for (const auto &column : table.columns) {
            const std::string where = table.name + "." + column.name;
            EXPECT_TRUE(names.insert(column.name).second) << "duplicate " << where;
            EXPECT_FALSE(column.comment.empty()) << where;
            EXPECT_EQ(column.comment.find('\n'), std::string::npos) << where;
            if (column.type == ColumnType::Text) {
                EXPECT_GT(column.length, 0) << where;
            }
            if (column.type == ColumnType::Date) {
                EXPECT_EQ(column.length, 8) << where;
            }
            if (column.type == ColumnType::Numeric) {
                EXPECT_GT(column.length, column.scale) << where;
            }
            if (column.keyPosition > 0) {
                keys.push_back(column.keyPosition);
                EXPECT_NE(column.type, ColumnType::Memo) << where << " cannot be a key";
            }
        }
        std::sort(keys.begin(), keys.end());
        for (std::size_t i = 0; i < keys.size(); ++i)
            EXPECT_EQ(keys[i], int(i) + 1) << table.name << " key positions";
    }
}

TEST(SchemaTest, CatalogueAnswersTypesAndLengthsWithoutRegardToCase)
{
    const ColumnCatalog &catalog = SchemaInfo::company();
    EXPECT_EQ(catalog.declaredLength("WARRANT", "NT002"), 20);
    EXPECT_EQ(catalog.declaredLength("warrant", "nt002"), 20);
    EXPECT_EQ(catalog.declaredLength("MOCTC", "TC003"), 8) << "dates are 8-character texts";
    EXPECT_EQ(catalog.declaredLength("MOCTE", "TE005"), std::nullopt) << "quantities are numbers";
    EXPECT_EQ(catalog.declaredLength("WARRANT", "NT004"), std::nullopt) << "layout text has no limit";
    EXPECT_EQ(catalog.declaredLength("WARRANT", "NOPE"), std::nullopt);

    EXPECT_TRUE(catalog.isTextColumn("Moctc", "tc001"));
    EXPECT_TRUE(catalog.isTextColumn("MOCTC", "TC014"));
    EXPECT_TRUE(catalog.isTextColumn("WARRANT", "NT004"));
    EXPECT_FALSE(catalog.isTextColumn("MOCTC", "TC010"));
    EXPECT_FALSE(catalog.isTextColumn("MOCTE", "TE005"));
    EXPECT_FALSE(catalog.isTextColumn("NOPE", "TC001"));

    EXPECT_TRUE(catalog.hasTable("invme"));
    EXPECT_FALSE(catalog.hasTable("syscolumns"));
    EXPECT_FALSE(catalog.hasColumn("MOCTC", "TE001")) << "columns belong to their own table";

    EXPECT_EQ(SchemaInfo::fieldType(SchemaInfo::company().column("MOCTE", "TE005")->type), kv::FieldType::Float);
    EXPECT_EQ(SchemaInfo::fieldType(SchemaInfo::company().column("MOCTC", "TC010")->type), kv::FieldType::Integer);
}

TEST(SchemaTest, CompanyDatabaseNamesAreCheckedBeforeTheyReachSql)
{
    EXPECT_EQ(SchemaDdl::qualifiedTable(DbEngine::SQLite, "Demo_01", "MOCTC"), "\"Demo_01\".MOCTC");
    EXPECT_EQ(SchemaDdl::qualifiedTable(DbEngine::PostgreSQL, "Demo_01", "MOCTC"), "\"demo_01\".MOCTC");
    for (const char *bad : {"", "1DEMO", "DEMO\"; DROP TABLE x", "DE MO", "main", "TEMP", "pg_catalog", "public",
                            "sqlite_x", "中文"})
        EXPECT_THROW(SchemaDdl::checkCompanyName(bad), SchemaNameError) << bad;
    EXPECT_THROW(SchemaDdl::checkCompanyName(std::string(64, 'A')), SchemaNameError);
    EXPECT_NO_THROW(SchemaDdl::checkCompanyName(std::string(63, 'A')));
}

TEST(SchemaTest, CommentsAndTextsAreQuotedIntoDdl)
{
    TableDef table{"T1", "it's a table", {{"C1", ColumnType::Text, 4, 0, "the 'code'", 1}}};
    const auto postgres = SchemaDdl::createTable(DbEngine::PostgreSQL, "X", table);
    ASSERT_EQ(postgres.size(), 3u);
    EXPECT_EQ(postgres[1], "COMMENT ON TABLE \"x\".T1 IS 'it''s a table'");
    EXPECT_EQ(postgres[2], "COMMENT ON COLUMN \"x\".T1.C1 IS 'the ''code'''");
    const auto sqlite = SchemaDdl::createTable(DbEngine::SQLite, "X", table);
    ASSERT_EQ(sqlite.size(), 1u);
    EXPECT_NE(sqlite[0].find("CHECK (length(C1) <= 4)"), std::string::npos) << sqlite[0];
}

TEST(SchemaTest, SchemaDocumentIsCurrent)
{
    const std::string path = std::string(QIPR07_TEST_DATA) + "/../../docs/schema.md";
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    std::stringstream stored;
    stored << file.rdbuf();
    EXPECT_TRUE(stored.str() == SchemaDoc::markdown(CompanySchema::tables()))
        << "docs/schema.md is out of date: run qipr07-schema-doc docs/schema.md";
}

} // namespace
