#include "lib/LibVCLs.h"

#include "lib/PropertyText.h"

#include <QMetaProperty>

namespace kv {

namespace {

QMetaProperty publishedProperty(const QObject *object, std::string_view name)
{
    if (!object || name.empty())
        return {};
    const QByteArray key(name.data(), qsizetype(name.size()));
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(key.constData());
    return index < 0 ? QMetaProperty() : meta->property(index);
}

bool isOrdinal(const QMetaProperty &property)
{
    if (property.isEnumType())
        return true;
    switch (property.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return true;
    default: return false;
    }
}

bool isEventProperty(const QMetaProperty &property)
{
    return property.metaType() == QMetaType::fromType<EventHandler>();
}

// One step into a published sub-object; null when the step does not lead to one.
QObject *subObject(QObject *object, std::string_view name)
{
    const QMetaProperty property = publishedProperty(object, name);
    if (!property.isValid() || !(property.metaType().flags() & QMetaType::PointerToQObject))
        return nullptr;
    return qvariant_cast<QObject *>(property.read(object));
}

} // namespace

bool CheckPropertyExist(const QObject *object, std::string_view name)
{
    return publishedProperty(object, name).isValid();
}

std::string GetStringProperty(const QObject *object, std::string_view name)
{
    const QMetaProperty property = publishedProperty(object, name);
    if (!property.isValid())
        return {};
    return propertyText(property, property.read(object)).toStdString();
}

void SetStringProperty(QObject *object, std::string_view name, const std::string &text)
{
    const QMetaProperty property = publishedProperty(object, name);
    if (!property.isValid())
        return;
    if (const std::optional<QVariant> value = propertyValueFromText(property, QString::fromStdString(text)))
        property.write(object, *value);
}

int GetOrdinalProperty(const QObject *object, std::string_view name)
{
    const QMetaProperty property = publishedProperty(object, name);
    if (!property.isValid() || !isOrdinal(property))
        return 0;
    const QVariant value = property.read(object);
    if (property.isEnumType())
        return enumerationValue(value);
    return value.metaType().id() == QMetaType::Bool ? int(value.toBool()) : value.toInt();
}

void SetOrdinalProperty(QObject *object, std::string_view name, int value)
{
    const QMetaProperty property = publishedProperty(object, name);
    if (!property.isValid() || !isOrdinal(property))
        return;
    if (property.isEnumType())
        property.write(object, enumerationVariant(property.metaType(), value));
    else if (property.metaType().id() == QMetaType::Bool)
        property.write(object, QVariant(value != 0));
    else
        property.write(object, QVariant(value));
}

EventHandler GetObjectMethod(const QObject *object, std::string_view name)
{
    const QMetaProperty property = publishedProperty(object, name);
    if (!property.isValid() || !isEventProperty(property))
        return {};
    return qvariant_cast<EventHandler>(property.read(object));
}

void SetObjectMethod(QObject *object, std::string_view name, const EventHandler &handler)
{
    const QMetaProperty property = publishedProperty(object, name);
    if (property.isValid() && isEventProperty(property))
        property.write(object, QVariant::fromValue(handler));
}

bool setPropertyByPath(QObject *object, std::string_view path, const std::string &text)
{
    const QString value = QString::fromStdString(text);
    while (object) {
        const std::size_t dot = path.find('.');
        const std::string_view name = path.substr(0, dot);
        if (name.empty())
            return false;
        if (dot == std::string_view::npos) {
            const QMetaProperty property = publishedProperty(object, name);
            if (!property.isValid() || !property.isWritable())
                return false;
            const std::optional<QVariant> converted = propertyValueFromText(property, value);
            return converted && property.write(object, *converted);
        }
        const std::string_view rest = path.substr(dot + 1);
        const QMetaProperty property = publishedProperty(object, name);
        if (property.isValid() && property.metaType().id() == QMetaType::QFont) {
            QFont font = qvariant_cast<QFont>(property.read(object));
            return rest.find('.') == std::string_view::npos && setFontPart(font, rest, value)
                   && property.write(object, QVariant(font));
        }
        object = subObject(object, name);
        path = rest;
    }
    return false;
}

} // namespace kv
