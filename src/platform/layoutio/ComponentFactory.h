#pragma once
// kv::ComponentFactory: the report components a layout text may create, by
// their class name as written in the text (without the kv:: namespace), and
// where each may be placed: a report anywhere outside another report, bands
// only on a report, printed components only on a band.

#include <QString>

#include <string>
#include <string_view>

class QObject;

namespace kv {

class ComponentFactory {
public:
    // The class name as a layout text writes it ("TQRLabel", "Report").
    static std::string className(const QObject &object);
    // The report itself, its bands and its printed components (named or not).
    static bool isLayoutComponent(const QObject &object);
    static bool isKnownClass(std::string_view className);
    // A new component of className owned by parent; nullptr, with the reason
    // in error, for an unknown class or a parent it cannot be placed on.
    static QObject *create(std::string_view className, QObject &parent, std::string &error);
};

} // namespace kv
