#include "platform/ResultTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using kv::FieldType;
using kv::ResultTable;
using kv::ResultTableError;
using kv::Variant;

namespace {

const std::string kBinary("\x00\xff\x01KV\x80", 6);

// Every type, nulls in every column, an empty text apart from a null text,
// and extreme numbers.
ResultTable sampleTable()
{
    ResultTable::Builder builder;
    builder.addColumn("TC001", FieldType::Text);
    builder.addColumn("TC010", FieldType::Integer);
    builder.addColumn("TE005", FieldType::Float);
    builder.addColumn("Flag", FieldType::Boolean);
    builder.addColumn("NT003", FieldType::Blob);

    builder.setText(0, "领料单");
    builder.setInteger(1, std::numeric_limits<std::int64_t>::min());
    builder.setNumber(2, -0.125);
    builder.setBoolean(3, true);
    builder.setText(4, kBinary);
    builder.endRow();

    builder.setText(0, "");
    builder.setInteger(1, std::numeric_limits<std::int64_t>::max());
    builder.setNumber(2, std::numeric_limits<double>::infinity());
    builder.setBoolean(3, false);
    builder.setNull(4);
    builder.endRow();

    builder.endRow(); // a row of nulls only

    // Cells may be set in any order.
    builder.setText(4, "");
    builder.setNumber(2, 1e300);
    builder.setText(0, "领料单");
    builder.endRow();
    return builder.finish();
}

void expectSameTable(const ResultTable &expected, const ResultTable &actual)
{
    ASSERT_EQ(expected.columnCount(), actual.columnCount());
    ASSERT_EQ(expected.rowCount(), actual.rowCount());
    for (int column = 0; column < expected.columnCount(); ++column) {
        EXPECT_EQ(expected.columnName(column), actual.columnName(column));
        EXPECT_EQ(expected.columnType(column), actual.columnType(column));
        for (int row = 0; row < expected.rowCount(); ++row)
            EXPECT_EQ(expected.value(row, column), actual.value(row, column)) << "row " << row << " column " << column;
    }
}

std::string packetError(std::string_view packet)
{
    try {
        ResultTable::fromDataPacket(packet);
    } catch (const ResultTableError &error) {
        return error.what();
    }
    return "<decoded>";
}

void putLittle32(std::string &packet, std::size_t at, std::uint32_t value)
{
    for (int byte = 0; byte < 4; ++byte)
        packet[at + std::size_t(byte)] = char((value >> (8 * byte)) & 0xFF);
}

} // namespace

TEST(ResultTable, KeepsEveryTypeAndNullThroughItsDataPacket)
{
    const ResultTable table = sampleTable();
    EXPECT_EQ(table.value(0, 0), Variant("领料单"));
    EXPECT_EQ(table.value(0, 1), Variant(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(table.value(0, 4), Variant(kBinary));
    EXPECT_EQ(table.text(0, 4).size(), 6u);
    EXPECT_FALSE(table.isNull(1, 0));
    EXPECT_EQ(table.text(1, 0), "");
    EXPECT_TRUE(table.isNull(1, 4));
    for (int column = 0; column < 5; ++column)
        EXPECT_TRUE(table.value(2, column).isNull()) << column;
    EXPECT_TRUE(table.isNull(3, 1));
    EXPECT_TRUE(table.isNull(3, 3));
    EXPECT_EQ(table.value(3, 2), Variant(1e300));

    const ResultTable decoded = ResultTable::fromDataPacket(table.toDataPacket());
    expectSameTable(table, decoded);

    // NaN compares unequal to itself, so check its bits survive separately.
    ResultTable::Builder builder;
    builder.addColumn("x", FieldType::Float);
    builder.setNumber(0, std::nan(""));
    builder.endRow();
    EXPECT_TRUE(std::isnan(ResultTable::fromDataPacket(builder.finish().toDataPacket()).number(0, 0)));

    const ResultTable empty = ResultTable::fromDataPacket(ResultTable().toDataPacket());
    EXPECT_EQ(empty.columnCount(), 0);
    EXPECT_EQ(empty.rowCount(), 0);
}

TEST(ResultTable, ReadsCellsAsOtherTypesWithTheVariantRules)
{
    ResultTable::Builder builder;
    builder.addColumn("Qty", FieldType::Text);
    builder.addColumn("Amount", FieldType::Float);
    builder.addColumn("Count", FieldType::Integer);
    builder.setText(0, "12.5");
    builder.setNumber(1, 2.5);
    builder.setValue(2, Variant("42"));
    builder.endRow();
    builder.setText(0, "A01");
    builder.setValue(1, Variant());
    builder.setValue(2, Variant::null());
    builder.endRow();
    const ResultTable table = builder.finish();

    EXPECT_DOUBLE_EQ(table.number(0, 0), 12.5);
    EXPECT_EQ(table.integer(0, 1), 2); // halves round to even
    EXPECT_EQ(std::string(table.text(0, 1)), "2.5");
    EXPECT_EQ(table.integer(0, 2), 42);
    EXPECT_EQ(std::string(table.text(0, 2)), "42");
    EXPECT_THROW(table.integer(1, 0), kv::VariantError);
    EXPECT_TRUE(table.isNull(1, 1));
    EXPECT_EQ(table.number(1, 1), 0.0);
    EXPECT_EQ(table.text(1, 2), "");

    EXPECT_EQ(table.columnIndex("amount"), 1);
    EXPECT_EQ(table.columnIndex("missing"), -1);
    EXPECT_THROW(table.value(2, 0), ResultTableError);
    EXPECT_THROW(table.value(0, 3), ResultTableError);
    EXPECT_THROW(table.columnName(-1), ResultTableError);
}

TEST(ResultTable, BuilderRefusesMisuse)
{
    ResultTable::Builder builder;
    EXPECT_THROW(builder.endRow(), ResultTableError);
    builder.addColumn("TE004", FieldType::Text);
    builder.addColumn("TE005", FieldType::Integer);
    builder.setText(0, "A");
    EXPECT_THROW(builder.setText(0, "B"), ResultTableError);
    EXPECT_THROW(builder.addColumn("late", FieldType::Text), ResultTableError);
    EXPECT_THROW(builder.setText(2, "x"), ResultTableError);
    EXPECT_THROW(builder.finish(), ResultTableError);
    try {
        builder.setValue(1, Variant("not a number"));
        FAIL() << "no error";
    } catch (const ResultTableError &error) {
        EXPECT_NE(std::string(error.what()).find("TE005"), std::string::npos) << error.what();
    }
    builder.endRow();
    const ResultTable table = builder.finish();
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_TRUE(table.isNull(0, 1));
}

TEST(ResultTable, CopiesAreDeepAndMovedFromTablesAreEmpty)
{
    ResultTable table = sampleTable();
    ResultTable copy = table;
    ResultTable moved = std::move(table);
    expectSameTable(copy, moved);
    EXPECT_EQ(table.rowCount(), 0); // NOLINT(bugprone-use-after-move): a moved-from table reads as empty
    EXPECT_EQ(table.columnIndex("TC001"), -1);
    table = copy;
    expectSameTable(copy, table);
}

TEST(ResultTable, StoresRepeatedTextsOnceAndWidensIdsAsValuesGrow)
{
    const auto build = [](int rows, int distinct) {
        ResultTable::Builder builder;
        builder.addColumn("TE004", FieldType::Text);
        for (int row = 0; row < rows; ++row) {
            builder.setText(0, "ITEM-" + std::to_string(100000 + row % distinct));
            builder.endRow();
        }
        return builder.finish();
    };
    const int rows = 70000;
    const ResultTable repeated = build(rows, 3);
    const ResultTable distinct = build(rows, rows);
    // Three distinct codes: one byte a row; every code distinct: the text
    // itself plus its offset and a four-byte id.
    EXPECT_LT(repeated.memoryUsage(), std::size_t(rows) * 2);
    EXPECT_GT(distinct.memoryUsage(), std::size_t(rows) * 15);

    // Past 256 and 65,536 distinct values the ids widen; every row still
    // reads its own value, before and after the wire.
    for (int values : {300, rows}) {
        const ResultTable table = values == rows ? distinct : build(rows, values);
        const ResultTable decoded = ResultTable::fromDataPacket(table.toDataPacket());
        for (int row : {0, 255, 256, 299, 300, 65535, 65536, rows - 1}) {
            const std::string expected = "ITEM-" + std::to_string(100000 + row % values);
            EXPECT_EQ(table.text(row, 0), expected) << row;
            EXPECT_EQ(decoded.text(row, 0), expected) << row;
        }
    }
}

TEST(ResultTable, RefusesEveryTruncatedOrDamagedPacket)
{
    const std::string packet = sampleTable().toDataPacket();
    for (std::size_t length = 0; length < packet.size(); ++length)
        EXPECT_NE(packetError(packet.substr(0, length)), "<decoded>") << "prefix of " << length << " bytes";
    EXPECT_NE(packetError(packet + "x").find("follow"), std::string::npos);
    EXPECT_NE(packetError("XXXX" + packet.substr(4)).find("not a data packet"), std::string::npos);

    // Single flipped bytes either decode to some table or give a clean error.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = packet;
        damaged[random() % damaged.size()] = char(random() % 256);
        try {
            ResultTable::fromDataPacket(damaged);
        } catch (const ResultTableError &) {
        }
    }
}

TEST(ResultTable, RefusesSizeClaimsBeyondTheBytesPresent)
{
    ResultTable::Builder builder;
    builder.addColumn("A", FieldType::Text);
    builder.setText(0, "x");
    builder.endRow();
    const std::string packet = builder.finish().toDataPacket();
    // Layout: mark 4, version 1, columns 4 @5, rows 4 @9, name length 4 @13,
    // name 1 @17, type 1 @18, null flag 1 @19, distinct 4 @20, width 1 @24,
    // length 4 @25, value 1 @29, id 1 @30.
    ASSERT_EQ(packet.size(), 31u);
    const auto claim = [&packet](std::size_t at, std::uint32_t value) {
        std::string damaged = packet;
        putLittle32(damaged, at, value);
        return packetError(damaged);
    };
    EXPECT_NE(claim(5, 0xFFFFFFFF).find("columns"), std::string::npos);
    EXPECT_NE(claim(9, 0xFFFFFFFF), "<decoded>");
    EXPECT_NE(claim(9, 0x7FFFFFFF).find("value ids"), std::string::npos);
    EXPECT_NE(claim(13, 0xFFFFFFFF).find("column name"), std::string::npos);
    EXPECT_NE(claim(20, 0xFFFFFFFF).find("value lengths"), std::string::npos);
    EXPECT_NE(claim(25, 0xFFFFFFFF).find("distinct values"), std::string::npos);

    std::string badId = packet;
    badId[30] = 1;
    EXPECT_NE(packetError(badId).find("names value 1"), std::string::npos);
    std::string badType = packet;
    badType[18] = 9;
    EXPECT_NE(packetError(badType).find("column type"), std::string::npos);
}
