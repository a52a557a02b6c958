#include "db/SqliteRowSource.h"

#include "db/DatabaseError.h"
#include "db/RequestDeadline.h"
#include "platform/TextCodec.h"
#include "platform/TextUtil.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <cstdint>
#include <cstring>

namespace slip {
namespace {

constexpr std::size_t kShownSql = 300;

std::string_view bytesOf(const void *data, int size)
{
    return data ? std::string_view(static_cast<const char *>(data), std::size_t(size)) : std::string_view();
}

// Most cells are codes and numbers in ASCII; only others need the full check.
bool isUtf8(std::string_view bytes)
{
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        if (word & 0x8080808080808080ULL)
            return kv::isValidUtf8(bytes);
    }
    for (; at < bytes.size(); ++at) {
        if (static_cast<unsigned char>(bytes[at]) & 0x80)
            return kv::isValidUtf8(bytes);
    }
    return true;
}

bool blankTail(const char *tail)
{
    return !tail || kv::trimBlanks(tail).empty();
}

} // namespace

std::optional<kv::FieldType> SqliteRowSource::typeOfDeclared(const char *declared)
{
    if (!declared || !*declared)
        return std::nullopt;
    const std::string type = kv::upperAscii(declared);
    const auto has = [&type](const char *part) { return type.find(part) != std::string::npos; };
    if (has("INT"))
        return kv::FieldType::Integer;
    if (has("CHAR") || has("CLOB") || has("TEXT"))
        return kv::FieldType::Text;
    if (has("BLOB"))
        return kv::FieldType::Blob;
    if (has("REAL") || has("FLOA") || has("DOUB"))
        return kv::FieldType::Float;
    if (has("BOOL"))
        return kv::FieldType::Boolean;
    return std::nullopt;
}

SqliteRowSource::SqliteRowSource(sqlite3 *connection, const std::string &sql, const std::vector<QVariant> &values,
                                 std::string_view sqlForErrors)
    : m_connection(connection)
    , m_sqlForErrors(sqlForErrors.substr(0, kShownSql))
{
    if (sqlForErrors.size() > kShownSql)
        m_sqlForErrors += "...";
    const char *tail = nullptr;
    const int prepared = sqlite3_prepare_v2(m_connection, sql.c_str(), int(sql.size()) + 1, &m_statement, &tail);
    m_holder.reset(m_statement);
    if (prepared != SQLITE_OK)
        fail("cannot prepare the statement");
    // As the Qt driver: what follows the first statement is refused, not
    // silently dropped.
    if (!blankTail(tail))
        throw DatabaseError("Unable to execute multiple statements at a time [SQL: " + m_sqlForErrors + "]");
    if (!m_statement) { // only blanks or comments
        m_done = true;
        return;
    }
    m_columns = sqlite3_column_count(m_statement);
    bind(values);
    m_pendingRow = step() == SQLITE_ROW;
    m_done = !m_pendingRow;
}

void SqliteRowSource::Finalize::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

void SqliteRowSource::fail(const char *what) const
{
    RequestDeadline::raiseIfStopped(sqlite3_errcode(m_connection) == SQLITE_INTERRUPT, m_sqlForErrors);
    throw DatabaseError(std::string(sqlite3_errmsg(m_connection)) + " (" + what + ") [SQL: " + m_sqlForErrors + "]");
}

// Binds as the Qt SQLite driver does, so a value compares the same way in
// both paths.
void SqliteRowSource::bind(const std::vector<QVariant> &values)
{
    if (sqlite3_bind_parameter_count(m_statement) != int(values.size()))
        throw DatabaseError("Parameter count mismatch [SQL: " + m_sqlForErrors + "]");
    for (std::size_t i = 0; i < values.size(); ++i) {
        const QVariant &value = values[i];
        const int at = int(i) + 1;
        int result = SQLITE_OK;
        if (value.isNull()) {
            result = sqlite3_bind_null(m_statement, at);
        } else {
            switch (value.metaType().id()) {
            case QMetaType::QByteArray: {
                const QByteArray bytes = value.toByteArray();
                result = sqlite3_bind_blob64(m_statement, at, bytes.constData(), sqlite3_uint64(bytes.size()),
                                             SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::Int:
            case QMetaType::Bool:
                result = sqlite3_bind_int(m_statement, at, value.toInt());
                break;
            case QMetaType::Double:
                result = sqlite3_bind_double(m_statement, at, value.toDouble());
                break;
            case QMetaType::UInt:
            case QMetaType::LongLong:
                result = sqlite3_bind_int64(m_statement, at, value.toLongLong());
                break;
            default: {
                const QByteArray text = value.toString().toUtf8();
                result = sqlite3_bind_text64(m_statement, at, text.constData(), sqlite3_uint64(text.size()),
                                             SQLITE_TRANSIENT, SQLITE_UTF8);
                break;
            }
            }
        }
        if (result != SQLITE_OK)
            fail("cannot bind a parameter");
    }
}

int SqliteRowSource::step()
{
    const int result = sqlite3_step(m_statement);
    if (result != SQLITE_ROW && result != SQLITE_DONE)
        fail("cannot read the rows");
    return result;
}

std::string SqliteRowSource::columnName(int column) const
{
    // The Qt driver drops the double quotes of a name written with them.
    std::string name = sqlite3_column_name(m_statement, column);
    std::erase(name, '"');
    return name;
}

std::vector<std::optional<kv::FieldType>> SqliteRowSource::declaredTypes() const
{
    std::vector<std::optional<kv::FieldType>> types;
    for (int i = 0; i < m_columns; ++i)
        types.push_back(typeOfDeclared(sqlite3_column_decltype(m_statement, i)));
    return types;
}

bool SqliteRowSource::next()
{
    if (m_pendingRow) {
        m_pendingRow = false;
        return true;
    }
    if (m_done)
        return false;
    m_done = step() == SQLITE_DONE;
    return !m_done;
}

QVariant SqliteRowSource::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_BLOB: {
        const void *blob = sqlite3_column_blob(m_statement, column);
        return QByteArray(static_cast<const char *>(blob), sqlite3_column_bytes(m_statement, column));
    }
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    default: {
        const void *text = sqlite3_column_text16(m_statement, column);
        const int bytes = sqlite3_column_bytes16(m_statement, column);
        return QString(static_cast<const QChar *>(text), bytes / qsizetype(sizeof(QChar)));
    }
    }
}

bool SqliteRowSource::writeDirect(int column, kv::FieldType type, kv::ResultTable::Builder &builder) const
{
    const int kind = sqlite3_column_type(m_statement, column);
    if (kind == SQLITE_NULL) {
        builder.setNull(column);
        return true;
    }
    switch (type) {
    case kv::FieldType::Text:
    case kv::FieldType::Blob:
        if (kind == SQLITE_TEXT) {
            const unsigned char *text = sqlite3_column_text(m_statement, column);
            const std::string_view bytes = bytesOf(text, sqlite3_column_bytes(m_statement, column));
            // Other bytes would read differently through UTF-16.
            if (!isUtf8(bytes))
                return false;
            builder.setText(column, bytes);
            return true;
        }
        if (kind == SQLITE_BLOB) {
            const void *blob = sqlite3_column_blob(m_statement, column);
            builder.setText(column, bytesOf(blob, sqlite3_column_bytes(m_statement, column)));
            return true;
        }
        return false;
    case kv::FieldType::Integer:
        if (kind != SQLITE_INTEGER)
            return false;
        builder.setInteger(column, sqlite3_column_int64(m_statement, column));
        return true;
    case kv::FieldType::Float:
        if (kind == SQLITE_FLOAT)
            builder.setNumber(column, sqlite3_column_double(m_statement, column));
        else if (kind == SQLITE_INTEGER)
            builder.setNumber(column, double(sqlite3_column_int64(m_statement, column)));
        else
            return false;
        return true;
    case kv::FieldType::Boolean:
        if (kind != SQLITE_INTEGER)
            return false;
        builder.setBoolean(column, sqlite3_column_int64(m_statement, column) != 0);
        return true;
    }
    return false;
}

} // namespace slip
