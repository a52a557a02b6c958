#include "platform/ResultTable.h"

#include "platform/HashIndex.h"

#include <QString>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <functional>

namespace kv {

namespace {

// ---------------------------------------------------------------------------
// Dictionary ids of a text column, packed one, two or four bytes wide: a
// column of short codes with few distinct values costs one byte a row.

class IdColumn {
public:
    std::size_t size() const { return m_bytes.size() / m_width; }
    int width() const { return m_width; }
    std::size_t capacityBytes() const { return m_bytes.capacity(); }
    void shrink() { m_bytes.shrink_to_fit(); }
    void reserve(std::size_t rows) { m_bytes.reserve(rows * std::size_t(m_width)); }

    static std::uint32_t maxFor(int width) { return width == 1 ? 0xFF : width == 2 ? 0xFFFF : 0xFFFFFFFF; }

    static int widthFor(std::uint64_t maxId)
    {
        if (maxId <= 0xFF)
            return 1;
        return maxId <= 0xFFFF ? 2 : 4;
    }

    void setWidth(int width)
    {
        if (width <= m_width)
            return;
        IdColumn wider;
        wider.m_width = width;
        wider.reserve(size() * 2);
        for (std::size_t row = 0; row < size(); ++row)
            wider.push(at(row));
        *this = std::move(wider);
    }

    void push(std::uint32_t id)
    {
        if (id > maxFor(m_width))
            setWidth(widthFor(id));
        if (m_width == 1) {
            m_bytes.push_back(std::uint8_t(id));
            return;
        }
        std::uint8_t raw[4];
        if (m_width == 2) {
            const std::uint16_t narrow = std::uint16_t(id);
            std::memcpy(raw, &narrow, 2);
        } else {
            std::memcpy(raw, &id, 4);
        }
        m_bytes.insert(m_bytes.end(), raw, raw + m_width);
    }

    std::uint32_t at(std::size_t row) const
    {
        const std::uint8_t *cell = &m_bytes[row * std::size_t(m_width)];
        if (m_width == 1)
            return *cell;
        if (m_width == 2) {
            std::uint16_t narrow = 0;
            std::memcpy(&narrow, cell, 2);
            return narrow;
        }
        std::uint32_t id = 0;
        std::memcpy(&id, cell, 4);
        return id;
    }

private:
    std::vector<std::uint8_t> m_bytes;
    int m_width = 1;
};

bool isTextType(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Blob;
}

const char *typeName(FieldType type)
{
    switch (type) {
    case FieldType::Text: return "text";
    case FieldType::Integer: return "integer";
    case FieldType::Float: return "float";
    case FieldType::Boolean: return "boolean";
    case FieldType::Blob: return "blob";
    }
    return "unknown";
}

// ---------------------------------------------------------------------------
// Storage

struct Column {
    std::string name;
    FieldType type = FieldType::Text;
    std::size_t cells = 0;
    std::vector<std::uint64_t> nulls; // one bit a row
    // Text and blob: distinct values back to back, value i spans
    // offsets[i]..offsets[i + 1]; each cell holds the id of its value.
    std::string dictionary;
    std::vector<std::uint32_t> offsets{0};
    IdColumn ids;
    std::vector<std::int64_t> integers;
    std::vector<double> numbers;
    std::vector<std::uint8_t> booleans;

    std::uint32_t distinctCount() const { return std::uint32_t(offsets.size() - 1); }

    std::string_view entry(std::uint32_t id) const
    {
        return std::string_view(dictionary).substr(offsets[id], offsets[id + 1] - offsets[id]);
    }

    bool isNull(std::size_t row) const { return (nulls[row / 64] >> (row % 64)) & 1U; }

    void pushNullBit(bool null)
    {
        if (cells % 64 == 0)
            nulls.push_back(0);
        if (null)
            nulls.back() |= std::uint64_t(1) << (cells % 64);
    }

    void appendNull()
    {
        pushNullBit(true);
        switch (type) {
        case FieldType::Text:
        case FieldType::Blob: ids.push(0); break;
        case FieldType::Integer: integers.push_back(0); break;
        case FieldType::Float: numbers.push_back(0); break;
        case FieldType::Boolean: booleans.push_back(0); break;
        }
        ++cells;
    }

    std::uint32_t addEntry(std::string_view value)
    {
        if (dictionary.size() + value.size() > std::numeric_limits<std::uint32_t>::max())
            throw ResultTableError("Column " + name + " holds more than 4 GB of distinct texts");
        dictionary.append(value);
        offsets.push_back(std::uint32_t(dictionary.size()));
        return distinctCount() - 1;
    }

    std::size_t bytes() const
    {
        return sizeof(Column) + name.capacity() + nulls.capacity() * sizeof(std::uint64_t) + dictionary.capacity() +
               offsets.capacity() * sizeof(std::uint32_t) + ids.capacityBytes() +
               integers.capacity() * sizeof(std::int64_t) + numbers.capacity() * sizeof(double) +
               booleans.capacity();
    }

    void shrink()
    {
        nulls.shrink_to_fit();
        dictionary.shrink_to_fit();
        offsets.shrink_to_fit();
        ids.shrink();
        integers.shrink_to_fit();
        numbers.shrink_to_fit();
        booleans.shrink_to_fit();
    }
};

// Finds the id of a text already in a column's dictionary; the index looks
// the texts themselves up in the dictionary, so building costs no second
// copy of every distinct text. Report columns often repeat the previous
// row's text (the header fields of a slip's lines), so that one is tried
// first.
class EntryLookup {
public:
    std::uint32_t idOf(Column &column, std::string_view text)
    {
        if (m_last != HashIndex::kNone && column.entry(m_last) == text)
            return m_last;
        const std::size_t full = std::hash<std::string_view>()(text);
        return m_last = m_index.findOrAdd(
                   std::uint32_t(full ^ (full >> 32)), [&](std::uint32_t id) { return column.entry(id) == text; },
                   [&] { return column.addEntry(text); });
    }

private:
    HashIndex m_index;
    std::uint32_t m_last = HashIndex::kNone;
};

} // namespace

struct ResultTable::Storage {
    std::vector<Column> columns;
    int rows = 0;

    // Build state only: the dictionary lookup of each text column.
    std::vector<std::unique_ptr<EntryLookup>> lookups;

    // What a moved-from table reads as.
    static const Storage &empty()
    {
        static const Storage none;
        return none;
    }

    std::unique_ptr<Storage> cloneData() const
    {
        auto copy = std::make_unique<Storage>();
        copy->columns = columns;
        copy->rows = rows;
        return copy;
    }

    const Column &column(int index) const
    {
        if (index < 0 || index >= int(columns.size()))
            throw ResultTableError("Column " + std::to_string(index) + " out of range (" +
                                   std::to_string(columns.size()) + " columns)");
        return columns[std::size_t(index)];
    }

    const Column &cell(int row, int index) const
    {
        const Column &found = column(index);
        if (row < 0 || row >= rows)
            throw ResultTableError("Row " + std::to_string(row) + " out of range (" + std::to_string(rows) +
                                   " rows)");
        return found;
    }

    // The column of the row being built, checked not to be set already.
    Column &openCell(int index)
    {
        Column &found = const_cast<Column &>(column(index));
        if (found.cells != std::size_t(rows))
            throw ResultTableError("Column " + found.name + " is set twice in row " + std::to_string(rows));
        return found;
    }

    void addColumn(std::string name, FieldType type)
    {
        if (rows != 0 || std::any_of(columns.begin(), columns.end(), [](const Column &c) { return c.cells != 0; }))
            throw ResultTableError("Column " + name + " is added after the first row");
        Column added;
        added.name = std::move(name);
        added.type = type;
        columns.push_back(std::move(added));
        lookups.push_back(isTextType(type) ? std::make_unique<EntryLookup>() : nullptr);
    }

    // Appends a number to a column of the wanted type; false for a column of
    // another type, which the caller converts to.
    template <typename Value>
    bool appendFixed(int index, FieldType wanted, std::vector<Value> Column::*values, Value value)
    {
        Column &cell = openCell(index);
        if (cell.type != wanted)
            return false;
        cell.pushNullBit(false);
        (cell.*values).push_back(value);
        ++cell.cells;
        return true;
    }

    std::uint32_t entryId(int index, std::string_view text)
    {
        return lookups[std::size_t(index)]->idOf(columns[std::size_t(index)], text);
    }

    void endRow()
    {
        if (columns.empty())
            throw ResultTableError("A row needs at least one column");
        if (rows == std::numeric_limits<int>::max())
            throw ResultTableError("Too many rows");
        for (Column &each : columns) {
            if (each.cells == std::size_t(rows))
                each.appendNull();
        }
        ++rows;
    }

    void finishBuild()
    {
        for (const Column &each : columns) {
            if (each.cells != std::size_t(rows))
                throw ResultTableError("The last row is not ended (column " + each.name + " is set)");
        }
        lookups.clear();
        for (Column &each : columns)
            each.shrink();
        columns.shrink_to_fit();
    }
};

namespace {

// ---------------------------------------------------------------------------
// Data packet. All numbers little-endian:
//   "KVRT" version:u8 columns:u32 rows:u32, then per column
//   nameLength:u32 name type:u8 hasNulls:u8 [null bits: (rows + 7) / 8 bytes]
//   text, blob:  distinct:u32 idWidth:u8 lengths:u32[distinct] bytes ids[rows]
//   integer:     i64[rows]      float: IEEE double bits u64[rows]
//   boolean:     u8[rows] (0 or 1)

constexpr std::string_view kMagic = "KVRT";
constexpr std::uint8_t kPacketVersion = 1;

class PacketWriter {
public:
    void bytes(std::string_view data) { m_out.append(data); }
    void u8(std::uint8_t value) { m_out.push_back(char(value)); }
    void u16(std::uint16_t value) { little(value, 2); }
    void u32(std::uint32_t value) { little(value, 4); }
    void u64(std::uint64_t value) { little(value, 8); }
    void reserve(std::size_t bytes) { m_out.reserve(bytes); }
    std::string take() { return std::move(m_out); }

private:
    void little(std::uint64_t value, int size)
    {
        if constexpr (std::endian::native == std::endian::little) {
            char raw[8];
            std::memcpy(raw, &value, 8);
            m_out.append(raw, std::size_t(size));
        } else {
            for (int byte = 0; byte < size; ++byte)
                m_out.push_back(char((value >> (8 * byte)) & 0xFF));
        }
    }
    std::string m_out;
};

class PacketReader {
public:
    explicit PacketReader(std::string_view data) : m_data(data) {}

    [[noreturn]] void fail(const std::string &reason) const
    {
        throw ResultTableError("Invalid data packet at byte " + std::to_string(m_pos) + ": " + reason);
    }

    std::size_t remaining() const { return m_data.size() - m_pos; }

    // Every claimed size is checked here before anything is allocated for it.
    void need(std::uint64_t count, const char *what) const
    {
        if (count > remaining())
            fail(std::string(what) + " needs " + std::to_string(count) + " bytes, " + std::to_string(remaining()) +
                 " are left");
    }

    std::string_view bytes(std::uint64_t count, const char *what)
    {
        need(count, what);
        const std::string_view out = m_data.substr(m_pos, std::size_t(count));
        m_pos += std::size_t(count);
        return out;
    }

    std::uint64_t little(int size, const char *what)
    {
        const std::string_view raw = bytes(std::uint64_t(size), what);
        std::uint64_t value = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, raw.data(), std::size_t(size));
        } else {
            for (int byte = size - 1; byte >= 0; --byte)
                value = (value << 8) | std::uint8_t(raw[std::size_t(byte)]);
        }
        return value;
    }

    std::uint8_t u8(const char *what) { return std::uint8_t(little(1, what)); }
    std::uint32_t u32(const char *what) { return std::uint32_t(little(4, what)); }
    std::uint64_t u64(const char *what) { return little(8, what); }

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
};

void writeNulls(PacketWriter &out, const Column &column, int rows)
{
    bool any = false;
    for (std::uint64_t word : column.nulls)
        any = any || word != 0;
    out.u8(any ? 1 : 0);
    if (!any)
        return;
    for (int byte = 0; byte < (rows + 7) / 8; ++byte)
        out.u8(std::uint8_t(column.nulls[std::size_t(byte) / 8] >> (8 * (byte % 8))));
}

void writeTextColumn(PacketWriter &out, const Column &column, int rows)
{
    const std::uint32_t distinct = column.distinctCount();
    const int width = IdColumn::widthFor(distinct == 0 ? 0 : distinct - 1);
    out.u32(distinct);
    out.u8(std::uint8_t(width));
    for (std::uint32_t id = 0; id < distinct; ++id)
        out.u32(column.offsets[id + 1] - column.offsets[id]);
    out.bytes(column.dictionary);
    for (int row = 0; row < rows; ++row) {
        const std::uint32_t id = column.ids.at(std::size_t(row));
        if (width == 1)
            out.u8(std::uint8_t(id));
        else if (width == 2)
            out.u16(std::uint16_t(id));
        else
            out.u32(id);
    }
}

void writeColumn(PacketWriter &out, const Column &column, int rows)
{
    out.u32(std::uint32_t(column.name.size()));
    out.bytes(column.name);
    out.u8(std::uint8_t(column.type));
    writeNulls(out, column, rows);
    switch (column.type) {
    case FieldType::Text:
    case FieldType::Blob: writeTextColumn(out, column, rows); break;
    case FieldType::Integer:
        for (std::int64_t value : column.integers)
            out.u64(std::uint64_t(value));
        break;
    case FieldType::Float:
        for (double value : column.numbers)
            out.u64(std::bit_cast<std::uint64_t>(value));
        break;
    case FieldType::Boolean:
        for (std::uint8_t value : column.booleans)
            out.u8(value);
        break;
    }
}

FieldType readType(PacketReader &in)
{
    const std::uint8_t raw = in.u8("a column type");
    if (raw > std::uint8_t(FieldType::Blob))
        in.fail("unknown column type " + std::to_string(raw));
    return FieldType(raw);
}

void readNulls(PacketReader &in, Column &column, int rows)
{
    const std::uint8_t flag = in.u8("a null flag");
    if (flag > 1)
        in.fail("null flag " + std::to_string(flag));
    column.nulls.assign((std::size_t(rows) + 63) / 64, 0);
    if (flag == 0)
        return;
    const std::string_view bits = in.bytes((std::uint64_t(rows) + 7) / 8, "the null bits");
    for (std::size_t byte = 0; byte < bits.size(); ++byte)
        column.nulls[byte / 8] |= std::uint64_t(std::uint8_t(bits[byte])) << (8 * (byte % 8));
    // Bits past the last row would make a later row null if rows were added.
    if (rows % 64 != 0)
        column.nulls.back() &= (std::uint64_t(1) << (rows % 64)) - 1;
}

void readTextColumn(PacketReader &in, Column &column, int rows)
{
    const std::uint32_t distinct = in.u32("a distinct-value count");
    const int width = in.u8("an id width");
    if (width != 1 && width != 2 && width != 4)
        in.fail("id width " + std::to_string(width));
    in.need(std::uint64_t(distinct) * 4, "the value lengths");
    std::vector<std::uint32_t> lengths(distinct);
    std::uint64_t total = 0;
    for (std::uint32_t &length : lengths) {
        length = in.u32("a value length");
        total += length;
    }
    if (total > std::numeric_limits<std::uint32_t>::max())
        in.fail("more than 4 GB of distinct texts");
    const std::string_view values = in.bytes(total, "the distinct values");
    column.dictionary.assign(values);
    column.offsets.reserve(std::size_t(distinct) + 1);
    for (std::uint32_t length : lengths)
        column.offsets.push_back(column.offsets.back() + length);
    in.need(std::uint64_t(rows) * std::uint64_t(width), "the value ids");
    column.ids.setWidth(width);
    column.ids.reserve(std::size_t(rows));
    for (int row = 0; row < rows; ++row) {
        std::uint32_t id = std::uint32_t(in.little(width, "a value id"));
        if (column.isNull(std::size_t(row)))
            id = 0;
        else if (id >= distinct)
            in.fail("row " + std::to_string(row) + " names value " + std::to_string(id) + " of " +
                    std::to_string(distinct));
        column.ids.push(id);
    }
}

template <typename Value, typename Convert>
void readFixed(PacketReader &in, std::vector<Value> &out, int rows, int size, Convert convert)
{
    in.need(std::uint64_t(rows) * std::uint64_t(size), "the column values");
    out.reserve(std::size_t(rows));
    for (int row = 0; row < rows; ++row)
        out.push_back(convert(in.little(size, "a value")));
}

Column readColumn(PacketReader &in, int rows)
{
    Column column;
    column.name = std::string(in.bytes(in.u32("a column name length"), "a column name"));
    column.type = readType(in);
    readNulls(in, column, rows);
    switch (column.type) {
    case FieldType::Text:
    case FieldType::Blob: readTextColumn(in, column, rows); break;
    case FieldType::Integer:
        readFixed(in, column.integers, rows, 8, [](std::uint64_t raw) { return std::int64_t(raw); });
        break;
    case FieldType::Float:
        readFixed(in, column.numbers, rows, 8, [](std::uint64_t raw) { return std::bit_cast<double>(raw); });
        break;
    case FieldType::Boolean:
        readFixed(in, column.booleans, rows, 1, [&in](std::uint64_t raw) {
            if (raw > 1)
                in.fail("boolean value " + std::to_string(raw));
            return std::uint8_t(raw);
        });
        break;
    }
    column.cells = std::size_t(rows);
    return column;
}

// Reading a cell as another type goes through the variant casts, so a table
// converts exactly as the variants it replaces did.
Variant cellVariant(const Column &column, std::size_t row)
{
    switch (column.type) {
    case FieldType::Text:
    case FieldType::Blob: return Variant(column.entry(column.ids.at(row)));
    case FieldType::Integer: return Variant(column.integers[row]);
    case FieldType::Float: return Variant(column.numbers[row]);
    case FieldType::Boolean: return Variant(column.booleans[row] != 0);
    }
    return Variant();
}

// A number cell: null reads as 0, a cell of another type is cast.
template <typename Value>
Value fixedCell(const Column &cell, std::size_t row, FieldType native, std::vector<Value> Column::*values,
                Value (Variant::*cast)() const)
{
    if (cell.isNull(row))
        return 0;
    if (cell.type == native)
        return (cell.*values)[row];
    return (cellVariant(cell, row).*cast)();
}

} // namespace

// ---------------------------------------------------------------------------
// ResultTable

ResultTable::ResultTable() : m_storage(std::make_unique<Storage>()) {}
ResultTable::ResultTable(const ResultTable &other) : m_storage(other.m_storage ? other.m_storage->cloneData() : nullptr)
{
}
ResultTable::ResultTable(ResultTable &&) noexcept = default;
ResultTable &ResultTable::operator=(ResultTable &&) noexcept = default;
ResultTable::~ResultTable() = default;

ResultTable &ResultTable::operator=(const ResultTable &other)
{
    if (this != &other)
        m_storage = other.m_storage ? other.m_storage->cloneData() : nullptr;
    return *this;
}

const ResultTable::Storage &ResultTable::storage() const
{
    return m_storage ? *m_storage : Storage::empty();
}


int ResultTable::columnCount() const
{
    return int(storage().columns.size());
}

int ResultTable::rowCount() const
{
    return storage().rows;
}

const std::string &ResultTable::columnName(int column) const
{
    return storage().column(column).name;
}

FieldType ResultTable::columnType(int column) const
{
    return storage().column(column).type;
}

int ResultTable::columnIndex(std::string_view name) const
{
    const QString wanted = QString::fromUtf8(name.data(), qsizetype(name.size()));
    const std::vector<Column> &columns = storage().columns;
    for (std::size_t index = 0; index < columns.size(); ++index) {
        if (QString::fromStdString(columns[index].name).compare(wanted, Qt::CaseInsensitive) == 0)
            return int(index);
    }
    return -1;
}

bool ResultTable::isNull(int row, int column) const
{
    return storage().cell(row, column).isNull(std::size_t(row));
}

std::string_view ResultTable::text(int row, int column) const
{
    const Column &cell = storage().cell(row, column);
    if (cell.isNull(std::size_t(row)))
        return {};
    if (isTextType(cell.type))
        return cell.entry(cell.ids.at(std::size_t(row)));
    thread_local std::string converted;
    converted = cellVariant(cell, std::size_t(row)).toText();
    return converted;
}

std::int64_t ResultTable::integer(int row, int column) const
{
    return fixedCell(storage().cell(row, column), std::size_t(row), FieldType::Integer, &Column::integers,
                     &Variant::toInt64);
}

double ResultTable::number(int row, int column) const
{
    return fixedCell(storage().cell(row, column), std::size_t(row), FieldType::Float, &Column::numbers,
                     &Variant::toDouble);
}

Variant ResultTable::value(int row, int column) const
{
    const Column &cell = storage().cell(row, column);
    if (cell.isNull(std::size_t(row)))
        return Variant::null();
    return cellVariant(cell, std::size_t(row));
}

std::size_t ResultTable::memoryUsage() const
{
    const Storage &table = storage();
    std::size_t total = sizeof(Storage) + table.columns.capacity() * sizeof(Column);
    for (const Column &column : table.columns)
        total += column.bytes() - sizeof(Column);
    return total;
}

std::string ResultTable::toDataPacket() const
{
    const Storage &table = storage();
    PacketWriter out;
    // The storage is about the packet's size; one allocation instead of
    // doubling through it.
    out.reserve(memoryUsage() + 64);
    out.bytes(kMagic);
    out.u8(kPacketVersion);
    out.u32(std::uint32_t(table.columns.size()));
    out.u32(std::uint32_t(table.rows));
    for (const Column &column : table.columns)
        writeColumn(out, column, table.rows);
    return out.take();
}

ResultTable ResultTable::fromDataPacket(std::string_view packet)
{
    PacketReader in(packet);
    if (in.bytes(kMagic.size(), "the packet mark") != kMagic)
        in.fail("not a data packet");
    const std::uint8_t version = in.u8("the packet version");
    if (version != kPacketVersion)
        in.fail("unknown packet version " + std::to_string(version));
    const std::uint32_t columns = in.u32("the column count");
    const std::uint32_t rows = in.u32("the row count");
    // A column takes at least its name length, type and null flag.
    in.need(std::uint64_t(columns) * 6, "the columns");
    if (rows > std::uint32_t(std::numeric_limits<int>::max()))
        in.fail(std::to_string(rows) + " rows are too many");
    if (columns == 0 && rows != 0)
        in.fail("rows without columns");
    ResultTable table;
    table.m_storage->rows = int(rows);
    table.m_storage->columns.reserve(columns);
    for (std::uint32_t index = 0; index < columns; ++index)
        table.m_storage->columns.push_back(readColumn(in, int(rows)));
    if (in.remaining() != 0)
        in.fail(std::to_string(in.remaining()) + " bytes follow the last column");
    return table;
}

// ---------------------------------------------------------------------------
// Builder

ResultTable::Builder::Builder() : m_storage(std::make_unique<Storage>()) {}
ResultTable::Builder::~Builder() = default;

void ResultTable::Builder::addColumn(std::string name, FieldType type)
{
    m_storage->addColumn(std::move(name), type);
}

void ResultTable::Builder::setNull(int column)
{
    m_storage->openCell(column).appendNull();
}

void ResultTable::Builder::setText(int column, std::string_view value)
{
    Column &cell = m_storage->openCell(column);
    if (!isTextType(cell.type)) {
        setValue(column, Variant(value));
        return;
    }
    const std::uint32_t id = m_storage->entryId(column, value);
    cell.pushNullBit(false);
    cell.ids.push(id);
    ++cell.cells;
}

void ResultTable::Builder::setInteger(int column, std::int64_t value)
{
    if (!m_storage->appendFixed(column, FieldType::Integer, &Column::integers, value))
        setValue(column, Variant(value));
}

void ResultTable::Builder::setNumber(int column, double value)
{
    if (!m_storage->appendFixed(column, FieldType::Float, &Column::numbers, value))
        setValue(column, Variant(value));
}

void ResultTable::Builder::setBoolean(int column, bool value)
{
    if (!m_storage->appendFixed(column, FieldType::Boolean, &Column::booleans, std::uint8_t(value ? 1 : 0)))
        setValue(column, Variant(value));
}

void ResultTable::Builder::setValue(int column, const Variant &value)
{
    const Column &cell = m_storage->openCell(column);
    const Variant &plain = value.deref();
    if (plain.isEmptyOrNull()) {
        setNull(column);
        return;
    }
    try {
        switch (cell.type) {
        case FieldType::Text:
        case FieldType::Blob: setText(column, plain.toText()); break;
        case FieldType::Integer: setInteger(column, plain.toInt64()); break;
        case FieldType::Float: setNumber(column, plain.toDouble()); break;
        case FieldType::Boolean: setBoolean(column, plain.toBool()); break;
        }
    } catch (const VariantError &error) {
        throw ResultTableError("Column " + cell.name + " (" + typeName(cell.type) + "): " + error.what());
    }
}

void ResultTable::Builder::endRow()
{
    m_storage->endRow();
}

ResultTable ResultTable::Builder::finish()
{
    m_storage->finishBuild();
    ResultTable table;
    table.m_storage = std::exchange(m_storage, std::make_unique<Storage>());
    return table;
}

} // namespace kv
