#include "platform/layoutio/PropertyCodec.h"

#include "platform/layoutio/FontCodec.h"
#include "platform/layoutio/LayoutProperties.h"

#include <QFont>
#include <QLocale>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>

namespace kv {

namespace {

struct NamedColor {
    std::string_view name;
    long long value; // Delphi colour: $00BBGGRR
};

constexpr std::array<NamedColor, 16> kColors = {{
    {"clBlack", 0x000000},  {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},   {"clPurple", 0x800080}, {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},    {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
}};

constexpr long long kClNone = 0x1FFFFFFF;

QColor fromDelphi(long long value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

bool isObjectPointer(const QMetaProperty &property)
{
    return property.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

QObject *pointerValue(const QVariant &value)
{
    return *static_cast<QObject *const *>(value.constData());
}

std::string numberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest).toStdString();
}

std::optional<std::string> enumText(const QMetaProperty &property, const QVariant &value)
{
    const QMetaEnum meta = property.enumerator();
    const int number = value.toInt();
    if (meta.isFlag()) {
        std::vector<std::string> names;
        for (int i = 0; i < meta.keyCount(); ++i) {
            const int flag = meta.value(i);
            if (flag != 0 && (number & flag) == flag)
                names.emplace_back(meta.key(i));
        }
        return LayoutValue::setText(names);
    }
    if (const char *key = meta.valueToKey(number))
        return std::string(key);
    return std::to_string(number);
}

// The value of one non-font property; nothing for a type a layout text
// does not carry.
std::optional<PropertyText> valueText(const QObject &object, const QMetaProperty &property)
{
    const QVariant value = property.read(&object);
    PropertyText text{property.name(), {}};
    if (property.isEnumType()) {
        auto written = enumText(property, value);
        if (!written)
            return std::nullopt;
        text.value = *written;
        return text;
    }
    if (isObjectPointer(property)) {
        if (!property.isWritable())
            return std::nullopt; // an owned part, not a reference
        const QObject *target = pointerValue(value);
        if (!target || target->objectName().isEmpty()) {
            text.value = "nil";
            text.isNil = true;
        } else {
            text.value = target->objectName().toStdString();
        }
        return text;
    }
    switch (property.metaType().id()) {
    case QMetaType::Bool:
        text.value = value.toBool() ? "True" : "False";
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        text.value = std::to_string(value.toLongLong());
        break;
    case QMetaType::Double:
        text.value = numberText(value.toDouble());
        break;
    case QMetaType::QString:
        text.value = LayoutValue::quote(value.toString());
        break;
    case QMetaType::QStringList:
        text.value = LayoutValue::quoteList(value.toStringList());
        break;
    case QMetaType::QColor:
        text.value = PropertyCodec::colorText(value.value<QColor>());
        break;
    default:
        return std::nullopt;
    }
    return text;
}

bool writeVariant(QObject &object, const QMetaProperty &property, const QVariant &value, std::string &error)
{
    if (!property.write(&object, value)) {
        error = "the value was refused";
        return false;
    }
    return true;
}

bool writeEnum(QObject &object, const QMetaProperty &property, const LayoutValue &value, std::string &error)
{
    const QMetaEnum meta = property.enumerator();
    int number = 0;
    if (meta.isFlag()) {
        if (value.kind != LayoutValue::Set) {
            error = "a set of flags was expected";
            return false;
        }
        for (const std::string &name : value.names) {
            bool ok = false;
            const int flag = meta.keyToValue(name.c_str(), &ok);
            if (!ok) {
                error = "unknown flag " + name;
                return false;
            }
            number |= flag;
        }
    } else {
        bool ok = false;
        if (value.kind == LayoutValue::Atom)
            number = meta.keyToValue(value.atom.c_str(), &ok);
        if (!ok) {
            error = "one of the names of " + std::string(meta.name()) + " was expected";
            return false;
        }
    }
    QVariant variant(number);
    if (!variant.convert(property.metaType())) {
        error = "the value was refused";
        return false;
    }
    return writeVariant(object, property, variant, error);
}

QObject *findBelow(const QObject &scope, const QString &name)
{
    return scope.findChild<QObject *>(name, Qt::FindChildrenRecursively);
}

bool writeReference(QObject &object, const QMetaProperty &property, const LayoutValue &value, const QObject &scope,
                    std::string &error)
{
    if (value.kind != LayoutValue::Atom || value.atom.empty()) {
        error = "a component name was expected";
        return false;
    }
    QObject *target = nullptr;
    if (value.atom != "nil") {
        // A qualified name ("Form1.ClientDataSet1") names the component by its last part.
        const std::string name = value.atom.substr(value.atom.rfind('.') + 1);
        const QString wanted = QString::fromStdString(name);
        target = findBelow(scope, wanted);
        if (!target) {
            const QObject *top = &scope;
            while (top->parent())
                top = top->parent();
            if (top != &scope)
                target = findBelow(*top, wanted);
        }
        if (!target) {
            error = "no component named " + name;
            return false;
        }
        const QMetaObject *wantedClass = property.metaType().metaObject();
        if (wantedClass && !target->metaObject()->inherits(wantedClass)) {
            error = name + " is not a " + wantedClass->className();
            return false;
        }
    }
    // The pointer as the property's own pointer type (QObject comes first in
    // every class here, so the address is the same).
    return writeVariant(object, property, QVariant(property.metaType(), &target), error);
}

std::optional<QVariant> plainValue(const QMetaProperty &property, const LayoutValue &value, std::string &error)
{
    const int type = property.metaType().id();
    if (type == QMetaType::QString && value.kind == LayoutValue::String)
        return QVariant(value.text);
    if (type == QMetaType::QStringList && value.kind == LayoutValue::List)
        return QVariant(value.items);
    if (type == QMetaType::QColor) {
        if (auto color = PropertyCodec::toColor(value))
            return QVariant(*color);
    } else if (value.kind == LayoutValue::Atom) {
        if (type == QMetaType::Bool) {
            if (value.atom == "True" || value.atom == "False")
                return QVariant(value.atom == "True");
        } else if (type == QMetaType::Int || type == QMetaType::UInt || type == QMetaType::LongLong) {
            const auto number = LayoutValue::toInteger(value.atom);
            long long low = type == QMetaType::LongLong ? LLONG_MIN : type == QMetaType::UInt ? 0 : INT_MIN;
            long long high = type == QMetaType::LongLong ? LLONG_MAX : type == QMetaType::UInt ? UINT_MAX : INT_MAX;
            if (const auto range = LayoutProperties::range(property.name())) {
                low = range->low;
                high = range->high;
            }
            if (number && *number >= low && *number <= high)
                return type == QMetaType::LongLong ? QVariant(*number)
                       : type == QMetaType::UInt   ? QVariant(uint(*number))
                                                   : QVariant(int(*number));
        } else if (type == QMetaType::Double) {
            double number = 0;
            const char *begin = value.atom.data();
            const char *end = begin + value.atom.size();
            const auto [stop, ec] = std::from_chars(begin, end, number);
            if (ec == std::errc() && stop == end && std::isfinite(number))
                return QVariant(number);
        }
    }
    switch (type) {
    case QMetaType::Bool:
        error = "True or False was expected";
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        error = "an integer in range was expected";
        break;
    case QMetaType::Double:
        error = "a number was expected";
        break;
    case QMetaType::QString:
        error = "a quoted string was expected";
        break;
    case QMetaType::QStringList:
        error = "a list of strings was expected";
        break;
    case QMetaType::QColor:
        error = "a colour was expected";
        break;
    default:
        error = "this property cannot be set from a layout text";
        break;
    }
    return std::nullopt;
}

int propertyIndex(const QObject &object, const std::string &name)
{
    const int index = object.metaObject()->indexOfProperty(name.c_str());
    // objectName is the component line's business, not a property line's.
    return index >= QObject::staticMetaObject.propertyCount() ? index : -1;
}

} // namespace

std::vector<PropertyText> PropertyCodec::read(const QObject &object)
{
    std::vector<PropertyText> texts;
    const QMetaObject *meta = object.metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.metaType().id() == QMetaType::QFont) {
            if (std::string(property.name()) == "Font") {
                for (PropertyText &text : FontCodec::read(object, property.read(&object).value<QFont>()))
                    texts.push_back(std::move(text));
            }
            continue;
        }
        if (!LayoutProperties::isKeptOn(object, property.name()))
            continue;
        if (auto text = valueText(object, property))
            texts.push_back(std::move(*text));
    }
    // Position and size first, as a form description shows them.
    static const std::array<std::string_view, 4> kLeading = {"Left", "Top", "Width", "Height"};
    auto rank = [](const PropertyText &text) {
        const auto found = std::find(kLeading.begin(), kLeading.end(), text.name);
        return int(found - kLeading.begin());
    };
    std::stable_sort(texts.begin(), texts.end(),
                     [&](const PropertyText &a, const PropertyText &b) { return rank(a) < rank(b); });
    return texts;
}

bool PropertyCodec::isReference(const QObject &object, const std::string &name)
{
    const int index = propertyIndex(object, name);
    return index >= 0 && isObjectPointer(object.metaObject()->property(index));
}

bool PropertyCodec::write(QObject &object, const std::string &name, const std::string &valueText, const QObject &scope,
                          std::string &error)
{
    const auto value = LayoutValue::parse(valueText, error);
    if (!value)
        return false;
    if (name.starts_with("Font.")) {
        const int index = propertyIndex(object, "Font");
        if (index < 0) {
            error = "unknown property " + name;
            return false;
        }
        const QMetaProperty property = object.metaObject()->property(index);
        QFont font = property.read(&object).value<QFont>();
        if (!FontCodec::write(object, font, name.substr(5), *value, error))
            return false;
        return writeVariant(object, property, QVariant(font), error);
    }
    const int index = propertyIndex(object, name);
    if (index < 0 || !object.metaObject()->property(index).isWritable()) {
        error = "unknown property " + name;
        return false;
    }
    const QMetaProperty property = object.metaObject()->property(index);
    if (property.isEnumType())
        return writeEnum(object, property, *value, error);
    if (isObjectPointer(property))
        return writeReference(object, property, *value, scope, error);
    const auto variant = plainValue(property, *value, error);
    return variant && writeVariant(object, property, *variant, error);
}

std::string PropertyCodec::colorText(const QColor &color)
{
    if (color.alpha() == 0)
        return "clNone";
    const long long value = color.red() | (color.green() << 8) | (color.blue() << 16);
    for (const NamedColor &named : kColors) {
        if (named.value == value)
            return std::string(named.name);
    }
    return std::to_string(value);
}

std::optional<QColor> PropertyCodec::toColor(const LayoutValue &value)
{
    if (value.kind != LayoutValue::Atom)
        return std::nullopt;
    if (value.atom == "clNone")
        return QColor(Qt::transparent);
    // The system colours a form description may carry, as the default
    // Windows scheme shows them.
    if (value.atom == "clWindowText" || value.atom == "clBtnText")
        return QColor(Qt::black);
    if (value.atom == "clWindow")
        return QColor(Qt::white);
    if (value.atom == "clBtnFace")
        return QColor(0xF0, 0xF0, 0xF0);
    for (const NamedColor &named : kColors) {
        if (named.name == value.atom)
            return fromDelphi(named.value);
    }
    const auto number = LayoutValue::toInteger(value.atom);
    if (number && *number == kClNone)
        return QColor(Qt::transparent);
    if (number && *number >= 0 && *number <= 0xFFFFFF)
        return fromDelphi(*number);
    return std::nullopt;
}

} // namespace kv
