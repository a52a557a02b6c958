#include "db/SqlValue.h"

#include "db/DatabaseError.h"

#include <QDate>
#include <QString>

namespace slip {

QVariant SqlValue::fromVariant(const kv::Variant &variant)
{
    const kv::Variant &value = variant.deref();
    switch (value.type()) {
    case kv::VarType::Empty:
    case kv::VarType::Null:
        return QVariant();
    case kv::VarType::Bool:
        return QVariant(value.toBool());
    case kv::VarType::Int32:
    case kv::VarType::Int64:
        return QVariant(static_cast<qlonglong>(value.toInt64()));
    case kv::VarType::Double:
    case kv::VarType::Currency:
        return QVariant(value.toDouble());
    case kv::VarType::Date:
        return QVariant(value.toDate().toDate().toString(QStringLiteral("yyyyMMdd")));
    case kv::VarType::Text:
        return QVariant(QString::fromStdString(value.toText()));
    case kv::VarType::Array:
    case kv::VarType::Object:
    case kv::VarType::Ref:
        break;
    }
    throw DatabaseError("a parameter of type " + value.debugText() + " has no SQL value");
}

} // namespace slip
