#pragma once
// Published properties of components read and written by name. A property is
// published when the component's class declares it as a Q_PROPERTY; names
// are case-sensitive as published ("Caption", "ItemIndex"). A missing
// component or property is not an error: reads give an empty value and
// writes do nothing, because the callers apply settings meant for many kinds
// of component to whatever they find.

#include "lib/EventHandler.h"

#include <QObject>

#include <string>
#include <string_view>

namespace kv {

// True when the object is given, the name is not empty and the object's
// class publishes a property of that name.
bool CheckPropertyExist(const QObject *object, std::string_view name);

// The property's value as text; empty when missing.
std::string GetStringProperty(const QObject *object, std::string_view name);
// Sets the property from text (converted to its type when it is not text).
void SetStringProperty(QObject *object, std::string_view name, const std::string &text);

// The ordinal value of an integer, enumeration, set (flags) or boolean
// property (true is 1); 0 when missing or of another kind.
int GetOrdinalProperty(const QObject *object, std::string_view name);
void SetOrdinalProperty(QObject *object, std::string_view name, int value);

// The handler bound to an event property; an empty handler when missing.
EventHandler GetObjectMethod(const QObject *object, std::string_view name);
void SetObjectMethod(QObject *object, std::string_view name, const EventHandler &handler);

// Sets the property at a dotted path from text, as language packages and
// stored layouts write it: "Caption", "Font.Name", "Panel.Font.Size". Every
// step but the last is a published QObject* property or a QFont property;
// the font's parts are Name, Size, Height, Bold, Italic, Underline,
// StrikeOut, Style ("[fsBold,fsItalic]") and Charset (accepted, as fonts
// cover every script). The text is converted to the property's type: numbers,
// true/false, enumeration keys or numbers, sets as "[a,b]", string lists one
// item a line. False when the path does not resolve or the text does not fit.
bool setPropertyByPath(QObject *object, std::string_view path, const std::string &text);

// Gives a component built in code its form name (the name properties,
// language packages and stored layouts find it by) and hands it back.
template <class T>
T *named(T *component, const char *name)
{
    component->setObjectName(QLatin1String(name));
    return component;
}

} // namespace kv
