#include "platform/layoutio/ComponentFactory.h"

#include "platform/layoutio/LayoutProperties.h"
#include "platform/report/Report.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRDBText.h"
#include "platform/report/TQRExpr.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRImage.h"
#include "platform/report/TQRLabel.h"
#include "platform/report/TQRMemo.h"
#include "platform/report/TQRShape.h"

#include <array>
#include <functional>

namespace kv {

namespace {

enum class Place { OutsideReport, OnReport, OnBand };

struct Kind {
    std::string_view name;
    Place place;
    QObject *(*make)(QObject *parent);
};

template <class T>
QObject *make(QObject *parent)
{
    return new T(parent);
}

const std::array<Kind, 12> kKinds = {{
    {"Report", Place::OutsideReport, &make<Report>},
    {"TQRBand", Place::OnReport, &make<TQRBand>},
    {"TQRChildBand", Place::OnReport, &make<TQRChildBand>},
    {"TQRGroup", Place::OnReport, &make<TQRGroup>},
    {"TQRLabel", Place::OnBand, &make<TQRLabel>},
    {"TQRDBText", Place::OnBand, &make<TQRDBText>},
    {"TKVQRDBText", Place::OnBand, &make<TKVQRDBText>},
    {"TQRExpr", Place::OnBand, &make<TQRExpr>},
    {"TQRMemo", Place::OnBand, &make<TQRMemo>},
    {"TQRImage", Place::OnBand, &make<TQRImage>},
    {"TQRShape", Place::OnBand, &make<TQRShape>},
    {"TKvQRDBBarcode", Place::OnBand, &make<TKvQRDBBarcode>},
}};

const Kind *findKind(std::string_view className)
{
    for (const Kind &kind : kKinds) {
        if (kind.name == className)
            return &kind;
    }
    return nullptr;
}

bool insideReport(const QObject &object)
{
    for (const QObject *o = &object; o; o = o->parent()) {
        if (qobject_cast<const Report *>(o) || qobject_cast<const ReportItem *>(o))
            return true;
    }
    return false;
}

bool fits(Place place, QObject &parent)
{
    switch (place) {
    case Place::OutsideReport:
        return !insideReport(parent);
    case Place::OnReport:
        return qobject_cast<Report *>(&parent) != nullptr;
    case Place::OnBand:
        return qobject_cast<TQRBand *>(&parent) != nullptr;
    }
    return false;
}

} // namespace

std::string ComponentFactory::className(const QObject &object)
{
    std::string_view name = object.metaObject()->className();
    if (const std::size_t colons = name.rfind("::"); colons != std::string_view::npos)
        name.remove_prefix(colons + 2);
    return std::string(name);
}

bool ComponentFactory::isLayoutComponent(const QObject &object)
{
    return qobject_cast<const Report *>(&object) || qobject_cast<const ReportItem *>(&object) ||
           LayoutProperties::storedPartProperties(object).has_value();
}

bool ComponentFactory::isKnownClass(std::string_view className) { return findKind(className) != nullptr; }

QObject *ComponentFactory::create(std::string_view kindName, QObject &parent, std::string &error)
{
    const Kind *kind = findKind(kindName);
    if (!kind) {
        error = "unknown class " + std::string(kindName);
        return nullptr;
    }
    if (!fits(kind->place, parent)) {
        error = "a " + std::string(kindName) + " cannot be placed on " +
                (parent.objectName().isEmpty() ? className(parent) : parent.objectName().toStdString());
        return nullptr;
    }
    return kind->make(&parent);
}

} // namespace kv
