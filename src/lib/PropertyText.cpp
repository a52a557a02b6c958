#include "lib/PropertyText.h"

#include "lib/EventHandler.h"

#include <QMetaEnum>
#include <QStringList>

#include <cstdlib>

namespace kv {

namespace {

std::optional<bool> boolFromText(const QString &text)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || word == QLatin1String("1"))
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || word == QLatin1String("0"))
        return false;
    return std::nullopt;
}

// A string list from text with one item a line; a final line break ends the
// last item rather than starting an empty one.
QStringList linesFromText(QString text)
{
    if (text.isEmpty())
        return {};
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

// "[fsBold, fsItalic]" or "fsBold|fsItalic" as the "|"-joined keys Qt reads.
QByteArray setKeys(const QString &text)
{
    QString keys = text.trimmed();
    if (keys.startsWith(QLatin1Char('[')) && keys.endsWith(QLatin1Char(']')))
        keys = keys.mid(1, keys.size() - 2);
    keys.replace(QLatin1Char(','), QLatin1Char('|'));
    keys.remove(QLatin1Char(' '));
    return keys.toLatin1();
}

std::optional<int> enumerationFromText(const QMetaEnum &enumeration, const QString &text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (ok)
        return number;
    if (enumeration.isFlag()) {
        const QByteArray keys = setKeys(text);
        if (keys.isEmpty())
            return 0;
        const int value = enumeration.keysToValue(keys.constData(), &ok);
        return ok ? std::optional<int>(value) : std::nullopt;
    }
    const int value = enumeration.keyToValue(text.trimmed().toLatin1().constData(), &ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString enumerationText(const QMetaEnum &enumeration, int value)
{
    if (enumeration.isFlag()) {
        QString keys = QString::fromLatin1(enumeration.valueToKeys(value));
        return QLatin1Char('[') + keys.replace(QLatin1Char('|'), QLatin1Char(',')) + QLatin1Char(']');
    }
    const char *key = enumeration.valueToKey(value);
    return key ? QString::fromLatin1(key) : QString::number(value);
}

std::optional<QVariant> converted(QVariant value, QMetaType type)
{
    return value.convert(type) ? std::optional<QVariant>(std::move(value)) : std::nullopt;
}

std::optional<QVariant> numberFromText(const QString &text, QMetaType type)
{
    bool ok = false;
    const QString word = text.trimmed();
    switch (type.id()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double real = word.toDouble(&ok); // C locale: "." whatever the user's locale
        return ok ? converted(QVariant(real), type) : std::nullopt;
    }
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar: {
        const qulonglong number = word.toULongLong(&ok);
        return ok ? converted(QVariant(number), type) : std::nullopt;
    }
    default: {
        const qlonglong number = word.toLongLong(&ok);
        return ok ? converted(QVariant(number), type) : std::nullopt;
    }
    }
}

bool isNumberType(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: return true;
    default: return false;
    }
}

// Font styles as a set of fsBold, fsItalic, fsUnderline, fsStrikeOut.
bool setFontStyle(QFont &font, const QString &text)
{
    QFont styled = font;
    styled.setBold(false);
    styled.setItalic(false);
    styled.setUnderline(false);
    styled.setStrikeOut(false);
    const QString keys = QString::fromLatin1(setKeys(text));
    for (const QString &key : keys.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        if (key == QLatin1String("fsBold"))
            styled.setBold(true);
        else if (key == QLatin1String("fsItalic"))
            styled.setItalic(true);
        else if (key == QLatin1String("fsUnderline"))
            styled.setUnderline(true);
        else if (key == QLatin1String("fsStrikeOut"))
            styled.setStrikeOut(true);
        else
            return false;
    }
    font = styled;
    return true;
}

// Character sets named a font's script; fonts here are Unicode and cover
// every script, so a valid character set is accepted and changes nothing.
bool isCharset(const QString &text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (ok)
        return number >= 0 && number <= 255;
    return text.trimmed().endsWith(QLatin1String("_CHARSET"));
}

bool setFontFlag(QFont &font, std::string_view part, bool on)
{
    if (part == "Bold")
        font.setBold(on);
    else if (part == "Italic")
        font.setItalic(on);
    else if (part == "Underline")
        font.setUnderline(on);
    else if (part == "StrikeOut")
        font.setStrikeOut(on);
    else
        return false;
    return true;
}

} // namespace

QString propertyText(const QMetaProperty &property, const QVariant &value)
{
    if (property.isEnumType())
        return enumerationText(property.enumerator(), enumerationValue(value));
    switch (value.metaType().id()) {
    case QMetaType::QStringList: return value.toStringList().join(QLatin1Char('\n'));
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: return QString::number(value.toDouble(), 'g', 15);
    default: break;
    }
    if (value.metaType() == QMetaType::fromType<EventHandler>())
        return QString::fromStdString(qvariant_cast<EventHandler>(value).methodName());
    return value.canConvert<QString>() ? value.toString() : QString();
}

std::optional<QVariant> propertyValueFromText(const QMetaProperty &property, const QString &text)
{
    const QMetaType type = property.metaType();
    if (property.isEnumType()) {
        const std::optional<int> value = enumerationFromText(property.enumerator(), text);
        return value ? std::optional<QVariant>(enumerationVariant(type, *value)) : std::nullopt;
    }
    if (isNumberType(type))
        return numberFromText(text, type);
    switch (type.id()) {
    case QMetaType::QString: return QVariant(text);
    case QMetaType::QStringList: return QVariant(linesFromText(text));
    case QMetaType::QVariant: return QVariant::fromValue(QVariant(text));
    case QMetaType::Bool: {
        const std::optional<bool> value = boolFromText(text);
        return value ? std::optional<QVariant>(QVariant(*value)) : std::nullopt;
    }
    default: break;
    }
    // Other types (colours, ...) through Qt's own text conversions.
    if (!QMetaType::canConvert(QMetaType::fromType<QString>(), type))
        return std::nullopt;
    return converted(QVariant(text), type);
}

int enumerationValue(const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (!(type.flags() & QMetaType::IsEnumeration))
        return value.canConvert<int>() ? value.toInt() : 0;
    // An enumeration or flags value is stored as an integer of its size.
    switch (type.sizeOf()) {
    case 1: return *static_cast<const qint8 *>(value.constData());
    case 2: return *static_cast<const qint16 *>(value.constData());
    case 4: return *static_cast<const qint32 *>(value.constData());
    case 8: return int(*static_cast<const qint64 *>(value.constData()));
    default: return 0;
    }
}

QVariant enumerationVariant(QMetaType type, int value)
{
    switch (type.sizeOf()) {
    case 1: {
        const qint8 small = qint8(value);
        return QVariant(type, &small);
    }
    case 2: {
        const qint16 small = qint16(value);
        return QVariant(type, &small);
    }
    case 4: return QVariant(type, &value);
    case 8: {
        const qint64 wide = value;
        return QVariant(type, &wide);
    }
    default: return QVariant(value);
    }
}

bool setFontPart(QFont &font, std::string_view part, const QString &text)
{
    if (part == "Name") {
        if (text.trimmed().isEmpty())
            return false;
        font.setFamily(text.trimmed());
        return true;
    }
    if (part == "Size" || part == "Height") {
        // Size is in points; Height is the character height in pixels, written
        // negative by convention.
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        const std::optional<int> size = ok && value != 0 ? std::optional<int>(value) : std::nullopt;
        if (!size || (part == "Size" && *size < 0))
            return false;
        part == "Size" ? font.setPointSize(*size) : font.setPixelSize(std::abs(*size));
        return true;
    }
    if (part == "Style")
        return setFontStyle(font, text);
    if (part == "Charset")
        return isCharset(text);
    const std::optional<bool> on = boolFromText(text);
    return on && setFontFlag(font, part, *on);
}

} // namespace kv
