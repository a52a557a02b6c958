#include "platform/ClientDataSet.h"

#include <algorithm>

namespace kv {

namespace {

bool sameText(std::string_view a, std::string_view b, bool caseInsensitive)
{
    if (!caseInsensitive)
        return a == b;
    return QString::fromUtf8(a.data(), qsizetype(a.size()))
               .compare(QString::fromUtf8(b.data(), qsizetype(b.size())), Qt::CaseInsensitive) == 0;
}

std::vector<std::string_view> splitFieldNames(std::string_view names)
{
    std::vector<std::string_view> parts;
    while (!names.empty()) {
        const std::size_t end = names.find(';');
        std::string_view part = names.substr(0, end);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        if (!part.empty())
            parts.push_back(part);
        if (end == std::string_view::npos)
            break;
        names.remove_prefix(end + 1);
    }
    return parts;
}

// Order of two cell values of one column for an index: nulls first, then
// numbers by value and texts by their bytes (code point order for UTF-8).
int compareCells(const Variant &a, const Variant &b, FieldType type)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    const auto order = [](const auto &x, const auto &y) { return (x > y) - (x < y); };
    switch (type) {
    case FieldType::Text:
    case FieldType::Blob: return order(a.toText().compare(b.toText()), 0);
    case FieldType::Integer: return order(a.toInt64(), b.toInt64());
    case FieldType::Float: return order(a.toDouble(), b.toDouble());
    case FieldType::Boolean: return order(a.toBool(), b.toBool());
    }
    return 0;
}

// The value stored for a field of the given type; a value that cannot be
// converted throws VariantError.
Variant fieldValue(const Variant &value, FieldType type)
{
    const Variant &plain = value.deref();
    if (plain.isEmptyOrNull())
        return Variant::null();
    switch (type) {
    case FieldType::Text:
    case FieldType::Blob: return Variant(plain.toText());
    case FieldType::Integer: return Variant(plain.toInt64());
    case FieldType::Float: return Variant(plain.toDouble());
    case FieldType::Boolean: return Variant(plain.toBool());
    }
    return plain;
}

} // namespace

ClientDataSet::ClientDataSet(QObject *parent) : QObject(parent) {}
ClientDataSet::~ClientDataSet() = default;

[[noreturn]] void ClientDataSet::fail(const std::string &message) const
{
    const std::string name = objectName().isEmpty() ? "ClientDataSet" : objectName().toStdString();
    throw DataSetError(name + ": " + message);
}

void ClientDataSet::checkActive() const
{
    if (!Active())
        fail("Cannot perform this operation on a closed dataset");
}

// ---------------------------------------------------------------------------
// Parameters and requests

void ClientDataSet::setParam(std::string_view name, const Variant &value)
{
    for (auto &[existing, stored] : m_params) {
        if (sameText(existing, name, true)) {
            stored = value.deref();
            return;
        }
    }
    m_params.emplace_back(std::string(name), value.deref());
}

Variant ClientDataSet::param(std::string_view name) const
{
    for (const auto &[existing, stored] : m_params) {
        if (sameText(existing, name, true))
            return stored;
    }
    return Variant();
}

Variant ClientDataSet::paramsVariant() const
{
    if (m_params.empty())
        return Variant();
    VariantArray array(ArrayBounds{0, 1}, ArrayBounds{0, int(m_params.size()) - 1});
    for (std::size_t index = 0; index < m_params.size(); ++index) {
        array.at(0, int(index)) = Variant(m_params[index].first);
        array.at(1, int(index)) = m_params[index].second;
    }
    return Variant(std::move(array));
}

Variant ClientDataSet::DataRequest(const Variant &data)
{
    m_dataRequest = data.deref();
    return Variant();
}

// ---------------------------------------------------------------------------
// Opening and closing

void ClientDataSet::setActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void ClientDataSet::Open()
{
    if (Active())
        return;
    openOn(fetch());
}

ResultTable ClientDataSet::fetch()
{
    if (!m_remoteServer || m_providerName.empty())
        fail("Missing data provider or data packet");
    try {
        std::vector<Variant> args{Variant(m_providerName), Variant(m_commandText), paramsVariant(), m_dataRequest};
        std::string packet;
        {
            const Variant reply = m_remoteServer->invoke(kGetRecordsMethod, args, InvokeKind::Method);
            if (!reply.isText())
                fail("Provider " + m_providerName + " sent no data packet");
            packet = reply.toText();
        }
        // The reply is gone before the table is decoded: a large run holds
        // the packet and its table, never two packets and the table.
        return ResultTable::fromDataPacket(packet);
    } catch (const DataSetError &) {
        throw;
    } catch (const std::exception &error) {
        fail(error.what());
    }
}

void ClientDataSet::setData(ResultTable table)
{
    Close();
    openOn(std::move(table));
}

void ClientDataSet::openOn(ResultTable table)
{
    m_table = std::move(table);
    buildFields();
    try {
        applyIndex();
    } catch (...) {
        m_fields.clear();
        m_table = ResultTable();
        throw;
    }
    m_state = State::Browse;
    First();
    emit afterOpen();
}

void ClientDataSet::buildFields()
{
    m_fields.clear();
    for (int column = 0; column < m_table.columnCount(); ++column)
        m_fields.push_back(std::make_unique<Field>(*this, column));
}

void ClientDataSet::Close()
{
    if (!Active())
        return;
    m_state = State::Inactive;
    m_fields.clear();
    m_table = ResultTable();
    m_order.clear();
    m_posted.clear();
    m_pending.clear();
    m_position = -1;
    m_bof = m_eof = true;
    emit afterClose();
}

// ---------------------------------------------------------------------------
// Cursor

int ClientDataSet::RecordCount() const
{
    return Active() ? m_table.rowCount() : 0;
}

int ClientDataSet::RecNo() const
{
    return Active() && m_position >= 0 ? m_position + 1 : 0;
}

int ClientDataSet::currentRow() const
{
    if (!Active() || m_position < 0 || m_position >= RecordCount())
        return -1;
    return m_order.empty() ? m_position : m_order[std::size_t(m_position)];
}

void ClientDataSet::checkBrowseMode()
{
    checkActive();
    if (m_state == State::Edit)
        Post();
}

void ClientDataSet::moveTo(int position)
{
    m_position = RecordCount() == 0 ? -1 : position;
    emit afterScroll();
}

void ClientDataSet::setRecNo(int recNo)
{
    checkBrowseMode();
    if (recNo < 1 || recNo > RecordCount())
        fail("Record " + std::to_string(recNo) + " out of range (" + std::to_string(RecordCount()) + " records)");
    m_bof = m_eof = false;
    moveTo(recNo - 1);
}

void ClientDataSet::First()
{
    checkBrowseMode();
    m_bof = true;
    m_eof = RecordCount() == 0;
    moveTo(0);
}

void ClientDataSet::Last()
{
    checkBrowseMode();
    m_eof = true;
    m_bof = RecordCount() == 0;
    moveTo(RecordCount() - 1);
}

// Moving past the last record sets Eof and stays on it; leaving the first
// record forward clears Bof even when there is nowhere to go.
void ClientDataSet::Next()
{
    checkBrowseMode();
    if (m_eof)
        return;
    m_bof = false;
    if (m_position + 1 < RecordCount())
        moveTo(m_position + 1);
    else
        m_eof = true;
}

void ClientDataSet::Prior()
{
    checkBrowseMode();
    if (m_bof)
        return;
    m_eof = false;
    if (m_position > 0)
        moveTo(m_position - 1);
    else
        m_bof = true;
}

std::vector<int> ClientDataSet::columnsOf(std::string_view fieldNames) const
{
    std::vector<int> columns;
    for (std::string_view name : splitFieldNames(fieldNames))
        columns.push_back(FieldByName(name).Index());
    return columns;
}

bool ClientDataSet::recordMatches(int row, const std::vector<int> &columns, const std::vector<Variant> &keys,
                                  LocateOptions options) const
{
    for (std::size_t index = 0; index < columns.size(); ++index) {
        const Variant cell = cellValue(row, columns[index]);
        const Variant &key = keys[index].deref();
        if (cell.isNull() || key.isEmptyOrNull()) {
            if (cell.isNull() != key.isEmptyOrNull())
                return false;
            continue;
        }
        const FieldType type = m_table.columnType(columns[index]);
        if (type == FieldType::Text || type == FieldType::Blob) {
            std::string text = cell.toText();
            const std::string wanted = key.toText();
            if (options.partialKey && text.size() > wanted.size())
                text.resize(wanted.size());
            if (!sameText(text, wanted, options.caseInsensitive))
                return false;
        } else if (compareCells(cell, fieldValue(key, type), type) != 0) {
            return false;
        }
    }
    return true;
}

bool ClientDataSet::Locate(std::string_view keyFields, const Variant &keyValues, LocateOptions options)
{
    checkBrowseMode();
    const std::vector<int> columns = columnsOf(keyFields);
    if (columns.empty())
        fail("Locate needs at least one field");
    const Variant &values = keyValues.deref();
    std::vector<Variant> keys =
        values.isArray() && columns.size() > 1 ? values.array().items() : std::vector<Variant>{values};
    if (keys.size() != columns.size())
        fail("Locate on " + std::to_string(columns.size()) + " fields needs as many values, " +
             std::to_string(keys.size()) + " given");
    for (int position = 0; position < RecordCount(); ++position) {
        const int row = m_order.empty() ? position : m_order[std::size_t(position)];
        try {
            if (!recordMatches(row, columns, keys, options))
                continue;
        } catch (const VariantError &) {
            continue; // a key that is no number matches no number field
        }
        m_bof = m_eof = false;
        moveTo(position);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Index

void ClientDataSet::setIndexFieldNames(std::string names)
{
    if (Active()) {
        checkBrowseMode();
        columnsOf(names); // refuses an unknown field before anything changes
    }
    m_indexFieldNames = std::move(names);
    if (Active()) {
        applyIndex();
        First();
    }
}

void ClientDataSet::applyIndex()
{
    m_order.clear();
    if (m_indexFieldNames.empty())
        return;
    const std::vector<int> columns = columnsOf(m_indexFieldNames);
    m_order.resize(std::size_t(m_table.rowCount()));
    for (std::size_t row = 0; row < m_order.size(); ++row)
        m_order[row] = int(row);
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        for (int column : columns) {
            const int order = compareCells(cellValue(a, column), cellValue(b, column), m_table.columnType(column));
            if (order != 0)
                return order < 0;
        }
        return false;
    });
}

// ---------------------------------------------------------------------------
// Fields

ClientDataSet::Field *ClientDataSet::FindField(std::string_view name) const
{
    const int column = m_table.columnIndex(name);
    return column >= 0 && column < int(m_fields.size()) ? m_fields[std::size_t(column)].get() : nullptr;
}

ClientDataSet::Field &ClientDataSet::FieldByName(std::string_view name) const
{
    Field *field = FindField(name);
    if (!field)
        fail("Field '" + std::string(name) + "' not found");
    return *field;
}

std::vector<ClientDataSet::Field *> ClientDataSet::Fields() const
{
    std::vector<Field *> fields;
    for (const auto &field : m_fields)
        fields.push_back(field.get());
    return fields;
}

std::optional<Variant> ClientDataSet::editedValue(int row, int column) const
{
    if (m_state == State::Edit && row == currentRow()) {
        const auto pending = m_pending.find(column);
        if (pending != m_pending.end())
            return pending->second;
    }
    const auto posted = m_posted.find({row, column});
    if (posted != m_posted.end())
        return posted->second;
    return std::nullopt;
}

Variant ClientDataSet::cellValue(int row, int column) const
{
    if (row < 0)
        return Variant::null();
    if (std::optional<Variant> edited = editedValue(row, column))
        return *edited;
    return m_table.value(row, column);
}

// ---------------------------------------------------------------------------
// Local edits

void ClientDataSet::Edit()
{
    checkActive();
    if (currentRow() < 0)
        fail("Cannot edit: the dataset has no current record");
    m_state = State::Edit;
}

void ClientDataSet::Post()
{
    checkActive();
    if (m_state != State::Edit)
        return;
    const int row = currentRow();
    for (auto &[column, value] : m_pending)
        m_posted[{row, column}] = std::move(value);
    m_pending.clear();
    m_state = State::Browse;
    if (m_order.empty())
        return;
    // A posted key may move the record within the index; the cursor stays on it.
    applyIndex();
    m_position = int(std::find(m_order.begin(), m_order.end(), row) - m_order.begin());
}

void ClientDataSet::Cancel()
{
    checkActive();
    m_pending.clear();
    m_state = State::Browse;
}

void ClientDataSet::storeEdit(int column, const Variant &value)
{
    if (m_state != State::Edit)
        fail("Dataset not in edit mode");
    m_pending[column] = value;
}

// ---------------------------------------------------------------------------
// Field

ClientDataSet::Field::Field(ClientDataSet &dataSet, int column)
    : m_dataSet(dataSet), m_column(column), m_displayLabel(dataSet.m_table.columnName(column))
{
}

const std::string &ClientDataSet::Field::FieldName() const
{
    return m_dataSet.m_table.columnName(m_column);
}

FieldType ClientDataSet::Field::DataType() const
{
    return m_dataSet.m_table.columnType(m_column);
}

Variant ClientDataSet::Field::AsVariant() const
{
    return m_dataSet.cellValue(m_dataSet.currentRow(), m_column);
}

bool ClientDataSet::Field::IsNull() const
{
    return AsVariant().isNull();
}

template <typename Result>
Result ClientDataSet::Field::read(Result (Variant::*cast)() const, const char *typeName) const
{
    const Variant value = AsVariant();
    if (value.isNull())
        return Result();
    try {
        return (value.*cast)();
    } catch (const VariantError &) {
        m_dataSet.fail("'" + value.toText() + "' is not a valid " + typeName + " value for field '" + FieldName() +
                       "'");
    }
}

std::string ClientDataSet::Field::AsString() const
{
    return read(&Variant::toText, "text");
}

std::int32_t ClientDataSet::Field::AsInteger() const
{
    return read(&Variant::toInt, "integer");
}

std::int64_t ClientDataSet::Field::AsLargeInt() const
{
    return read(&Variant::toInt64, "integer");
}

double ClientDataSet::Field::AsFloat() const
{
    return read(&Variant::toDouble, "floating-point");
}

bool ClientDataSet::Field::AsBoolean() const
{
    return read(&Variant::toBool, "boolean");
}

void ClientDataSet::Field::setAsVariant(const Variant &value)
{
    Variant stored;
    try {
        stored = fieldValue(value, DataType());
    } catch (const VariantError &) {
        m_dataSet.fail("'" + varToStr(value.deref()) + "' is not a valid value for field '" + FieldName() + "'");
    }
    m_dataSet.storeEdit(m_column, stored);
}

std::string ClientDataSet::Field::DisplayText() const
{
    const std::string text = AsString();
    return m_onGetText ? m_onGetText(*this, text) : text;
}

void ClientDataSet::Field::setText(std::string_view text)
{
    setAsString(m_onSetText ? m_onSetText(*this, std::string(text)) : std::string(text));
}

} // namespace kv
