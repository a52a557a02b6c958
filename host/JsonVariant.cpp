#include "JsonVariant.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace erphost {

namespace {

kv::Variant numberFrom(double value)
{
    // JSON has one number type; a value without fraction is meant as an
    // integer (option indexes, resolutions), anything else as a double.
    if (std::isfinite(value) && std::trunc(value) == value && std::fabs(value) < 9.0e15) {
        if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
            return kv::Variant(static_cast<int>(value));
        return kv::Variant(static_cast<std::int64_t>(value));
    }
    return kv::Variant(value);
}

kv::Variant fromValue(const QJsonValue &value, const std::string &where)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return kv::Variant::null();
    case QJsonValue::Bool:
        return kv::Variant(value.toBool());
    case QJsonValue::Double:
        return numberFrom(value.toDouble());
    case QJsonValue::String:
        return kv::Variant(value.toString().toStdString());
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        std::vector<kv::Variant> items;
        items.reserve(static_cast<std::size_t>(array.size()));
        for (qsizetype i = 0; i < array.size(); ++i)
            items.push_back(fromValue(array.at(i), where + "[" + std::to_string(i) + "]"));
        return kv::varArrayOf(std::move(items));
    }
    case QJsonValue::Object:
        throw JsonVariantError("an object at " + where + " has no variant form; use arrays");
    case QJsonValue::Undefined:
        break;
    }
    throw JsonVariantError("an unreadable value at " + where);
}

} // namespace

kv::Variant variantFromJson(const std::string &json)
{
    // QJsonDocument reads only arrays and objects at the top; wrapping the
    // text lets a single value (a key text, a number) stand alone as well.
    const QByteArray wrapped = "[" + QByteArray::fromStdString(json) + "]";
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError) {
        const int offset = std::max(0, error.offset - 1);
        throw JsonVariantError("not valid JSON (" + error.errorString().toStdString() + " at character " +
                               std::to_string(offset + 1) + ")");
    }
    const QJsonArray outer = document.array();
    if (outer.size() != 1)
        throw JsonVariantError(outer.isEmpty() ? "no JSON value given" : "more than one JSON value given");
    return fromValue(outer.at(0), "the top");
}

} // namespace erphost
