// Memory and speed of a report-sized result table: 100,000 lines with the
// material-issue report's 114 columns, most of them short codes that repeat
// (slip types, warehouses, units, dates), some per slip or per item, a few
// quantities and counts, and empty user fields. Prints its figures.
#include "platform/ResultTable.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

using kv::FieldType;
using kv::ResultTable;

namespace {

struct ColumnKind {
    const char *prefix;
    FieldType type;
    int distinct; // distinct values; 0 = always empty text
    int count;    // how many columns of this kind
};

// 114 columns in all.
constexpr ColumnKind kKinds[] = {
    {"TYPE", FieldType::Text, 12, 20},    // slip types, status codes, units
    {"WH", FieldType::Text, 40, 10},      // warehouses, departments, work centres
    {"DATE", FieldType::Text, 365, 6},    // YYYYMMDD dates
    {"SLIP", FieldType::Text, 5000, 8},   // slip numbers and per-slip texts
    {"ITEM", FieldType::Text, 3000, 20},  // item codes, names, models and sizes
    {"LINE", FieldType::Text, 100000, 4}, // texts unique per line (remarks, lots)
    {"UDF", FieldType::Text, 0, 24},      // user fields, mostly empty
    {"QTY", FieldType::Float, 100000, 18},
    {"CNT", FieldType::Integer, 50, 4},
};

std::string valueText(const ColumnKind &kind, int value)
{
    if (kind.distinct == 0)
        return {};
    if (kind.type == FieldType::Text && std::string(kind.prefix) == "DATE")
        return "2024" + std::to_string(1000 + value % 365).substr(1) + "01";
    return std::string(kind.prefix).substr(0, 2) + std::to_string(value);
}

ResultTable buildReport(int rows)
{
    std::mt19937 random(42);
    ResultTable::Builder builder;
    for (const ColumnKind &kind : kKinds) {
        for (int index = 0; index < kind.count; ++index)
            builder.addColumn(std::string(kind.prefix) + std::to_string(index), kind.type);
    }
    for (int row = 0; row < rows; ++row) {
        int column = 0;
        for (const ColumnKind &kind : kKinds) {
            for (int index = 0; index < kind.count; ++index, ++column) {
                const int value = kind.distinct == 0 ? 0 : int(random() % unsigned(kind.distinct));
                if (kind.type == FieldType::Float)
                    builder.setNumber(column, value / 100.0);
                else if (kind.type == FieldType::Integer)
                    builder.setInteger(column, value);
                else
                    builder.setText(column, valueText(kind, value));
            }
        }
        builder.endRow();
    }
    return builder.finish();
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    const int rows = argc > 1 ? std::stoi(argv[1]) : 100000;
    auto start = std::chrono::steady_clock::now();
    const ResultTable table = buildReport(rows);
    const double buildSeconds = secondsSince(start);

    start = std::chrono::steady_clock::now();
    const std::string packet = table.toDataPacket();
    const double encodeSeconds = secondsSince(start);

    start = std::chrono::steady_clock::now();
    const ResultTable decoded = ResultTable::fromDataPacket(packet);
    const double decodeSeconds = secondsSince(start);

    const double mib = 1024.0 * 1024.0;
    std::printf("rows x columns        %d x %d\n", table.rowCount(), table.columnCount());
    std::printf("memory (built)        %.1f MiB\n", double(table.memoryUsage()) / mib);
    std::printf("memory (decoded)      %.1f MiB\n", double(decoded.memoryUsage()) / mib);
    std::printf("data packet           %.1f MiB\n", double(packet.size()) / mib);
    std::printf("build                 %.2f s\n", buildSeconds);
    std::printf("encode                %.2f s\n", encodeSeconds);
    std::printf("decode                %.2f s\n", decodeSeconds);
    return 0;
}
