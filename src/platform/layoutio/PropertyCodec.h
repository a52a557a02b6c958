#pragma once
// kv::PropertyCodec: the published properties of a report component as layout
// text values, and the setting of a property from such a value. Types
// handled: integers, booleans, floating point numbers, strings, string
// lists, enumerations and flag sets of the component's class (by key name),
// colours, references to other components (by object name) and the font
// (through FontCodec). Other types (pictures, event handlers, owned
// sub-objects) are not part of a layout text.

#include "platform/layoutio/LayoutValue.h"

#include <QColor>

#include <optional>
#include <string>
#include <vector>

class QObject;

namespace kv {

struct PropertyText {
    std::string name;
    std::string value;
    bool isNil = false; // a reference to nothing: left out of a full text
};

class PropertyCodec {
public:
    // The kept properties of object (LayoutProperties::isKept), in the order
    // the class declares them, the font expanded into its sub-properties.
    static std::vector<PropertyText> read(const QObject &object);

    // Whether name is a reference property of object (set after every
    // component exists, so that it may name one further down the text).
    static bool isReference(const QObject &object, const std::string &name);

    // Sets the property from its value text; references are looked up below
    // scope. False, with the reason in error, when the property does not
    // exist, cannot be set from a text or the value does not fit it.
    static bool write(QObject &object, const std::string &name, const std::string &valueText, const QObject &scope,
                      std::string &error);

    // Colours: cl... names of the standard colours, else the Delphi colour
    // integer ($00BBGGRR); clNone is transparent.
    static std::string colorText(const QColor &color);
    static std::optional<QColor> toColor(const LayoutValue &value);
};

} // namespace kv
