#include "platform/layoutio/LayoutProperties.h"

#include <QByteArray>
#include <QMetaClassInfo>
#include <QMetaObject>
#include <QObject>

#include "platform/layoutio/LayoutDocument.h"
#include "platform/report/Report.h"

#include <algorithm>
#include <array>

namespace kv {

namespace {

constexpr std::array<std::string_view, 26> kKept = {
    "Left",     "Top",       "Width",       "Height",   "Enabled",      "Visible",
    "Caption",  "Lines",     "Alignment",   "AlignToBand", "AutoSize", "AutoStretch",
    "WordWrap", "DataField", "DataSet",     "Mask",     "TextType",     "Dictionary",
    "CodeList", "Hint",      "BarcodeType", "TextPosition", "Modul",    "Text",
    // the extension fields of the layout's SQL builder
    "Relations", "MaxComponentNum",
};

// Drops the properties that are not kept; false when nothing of the node
// is left that a layout needs.
bool reduce(LayoutNode &node, bool isRoot)
{
    std::erase_if(node.properties, [](const LayoutProperty &p) { return !LayoutProperties::isKept(p.name); });
    std::erase_if(node.children, [](LayoutNode &child) { return !reduce(child, false); });
    return isRoot || !node.inherited || !node.properties.empty() || !node.children.empty();
}

} // namespace

bool LayoutProperties::isKept(std::string_view name)
{
    if (name.starts_with("Font."))
        return name.find('.', 5) == std::string_view::npos;
    return std::find(kKept.begin(), kKept.end(), name) != kKept.end();
}

std::optional<std::vector<std::string>> LayoutProperties::storedPartProperties(const QObject &object)
{
    const QMetaObject *meta = object.metaObject();
    const int index = meta->indexOfClassInfo("LayoutStored");
    if (index < 0)
        return std::nullopt;
    std::vector<std::string> names;
    for (const QByteArray &name : QByteArray(meta->classInfo(index).value()).split(','))
        if (!name.trimmed().isEmpty())
            names.push_back(name.trimmed().toStdString());
    return names;
}

bool LayoutProperties::isKeptOn(const QObject &object, std::string_view name)
{
    const std::optional<std::vector<std::string>> listed = storedPartProperties(object);
    if (!listed)
        return isKept(name);
    return std::find(listed->begin(), listed->end(), name) != listed->end();
}

std::optional<LayoutProperties::Range> LayoutProperties::range(std::string_view name)
{
    constexpr long long kMaxPixels = 100000;
    if (name == "Left" || name == "Top")
        return Range{-kMaxPixels, kMaxPixels};
    if (name == "Width" || name == "Height")
        return Range{0, kMaxPixels};
    if (name == "Modul")
        return Range{0, 100};
    return std::nullopt;
}

bool LayoutProperties::isScale(const QObject &object, std::string_view name)
{
    return name == "Zoom" && qobject_cast<const Report *>(&object);
}

std::string LayoutProperties::filter(std::string_view text)
{
    std::vector<LayoutProblem> ignored;
    ProblemLog problems(ignored);
    std::optional<LayoutNode> root = LayoutDocument::parse(text, problems);
    if (!root)
        return {};
    reduce(*root, true);
    return LayoutDocument::write(*root);
}

std::string GetMyNeedProp(std::string_view text) { return LayoutProperties::filter(text); }

} // namespace kv
