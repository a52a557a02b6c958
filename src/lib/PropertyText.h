#pragma once
// Property values as text, the way layouts and language packages write them:
// enumerations by key ("taCenter"), sets as "[fsBold,fsItalic]", booleans as
// True/False, string lists one item a line, numbers with "." as decimal
// point whatever the locale.

#include <QFont>
#include <QMetaProperty>
#include <QString>
#include <QVariant>

#include <optional>
#include <string_view>

namespace kv {

// The property's value as text; empty when it has no text form.
QString propertyText(const QMetaProperty &property, const QVariant &value);

// The text converted to the property's type; nothing when it does not fit.
std::optional<QVariant> propertyValueFromText(const QMetaProperty &property, const QString &text);

// The integer behind an enumeration or flags value; 0 for other values.
int enumerationValue(const QVariant &value);
// A value of the enumeration or flags type holding the integer.
QVariant enumerationVariant(QMetaType type, int value);

// Sets one part of a font from text: Name, Size, Height, Bold, Italic,
// Underline, StrikeOut, Style or Charset. False for another part or text
// that does not fit the part.
bool setFontPart(QFont &font, std::string_view part, const QString &text);

} // namespace kv
