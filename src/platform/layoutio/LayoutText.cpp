#include "platform/layoutio/LayoutText.h"

#include "platform/layoutio/ComponentFactory.h"
#include "platform/layoutio/LayoutDocument.h"
#include "platform/layoutio/LayoutProperties.h"
#include "platform/layoutio/PropertyCodec.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

#include <exception>
#include <map>

namespace kv {

namespace {

// --- writing

struct ComponentTexts {
    std::string className;
    std::vector<PropertyText> properties;
};

LayoutNode nodeOf(const QObject &object, bool inherited)
{
    LayoutNode node;
    node.inherited = inherited;
    node.name = object.objectName().toStdString();
    node.className = ComponentFactory::className(object);
    return node;
}

void addProperties(LayoutNode &node, const std::vector<PropertyText> &texts, bool withNil)
{
    for (const PropertyText &text : texts) {
        if (withNil || !text.isNil)
            node.properties.push_back({0, text.name, text.value});
    }
}

// The layout components below object, children of a plain object (a widget
// between the window and its report) counted as the object's own.
void layoutChildren(const QObject &object, std::vector<const QObject *> &out)
{
    for (const QObject *child : object.children()) {
        if (ComponentFactory::isLayoutComponent(*child)) {
            if (!child->objectName().isEmpty())
                out.push_back(child);
        } else {
            layoutChildren(*child, out);
        }
    }
}

std::vector<const QObject *> layoutChildren(const QObject &object)
{
    std::vector<const QObject *> out;
    layoutChildren(object, out);
    return out;
}

LayoutNode fullNode(const QObject &object, bool inherited)
{
    LayoutNode node = nodeOf(object, inherited);
    if (ComponentFactory::isLayoutComponent(object))
        addProperties(node, PropertyCodec::read(object), false);
    for (const QObject *child : layoutChildren(object))
        node.children.push_back(fullNode(*child, false));
    return node;
}

void collectTexts(const QObject &object, std::map<std::string, ComponentTexts> &out)
{
    for (const QObject *child : layoutChildren(object)) {
        out.emplace(child->objectName().toStdString(),
                    ComponentTexts{ComponentFactory::className(*child), PropertyCodec::read(*child)});
        collectTexts(*child, out);
    }
}

// The changed kept properties of object against its ancestor's version.
std::vector<PropertyText> changedProperties(const QObject &object, const ComponentTexts &ancestor)
{
    std::vector<PropertyText> changed;
    for (const PropertyText &text : PropertyCodec::read(object)) {
        bool same = false;
        for (const PropertyText &old : ancestor.properties) {
            if (old.name == text.name) {
                same = old.value == text.value;
                break;
            }
        }
        if (!same)
            changed.push_back(text);
    }
    return changed;
}

// The difference node of object; nothing when it and its children are
// unchanged.
std::optional<LayoutNode> differenceNode(const QObject &object, const std::map<std::string, ComponentTexts> &ancestor)
{
    const auto found = ancestor.find(object.objectName().toStdString());
    if (found == ancestor.end() || found->second.className != ComponentFactory::className(object))
        return fullNode(object, false);
    LayoutNode node = nodeOf(object, true);
    addProperties(node, changedProperties(object, found->second), true);
    for (const QObject *child : layoutChildren(object)) {
        if (auto childNode = differenceNode(*child, ancestor))
            node.children.push_back(std::move(*childNode));
    }
    if (node.properties.empty() && node.children.empty())
        return std::nullopt;
    return node;
}

// --- reading

// A reference property, set once every component of the text exists.
struct PendingReference {
    QPointer<QObject> object;
    LayoutProperty property;
};

class Applier {
public:
    Applier(QObject &root, ProblemLog &problems) : m_root(root), m_problems(problems) {}

    void run(const LayoutNode &rootNode)
    {
        const std::string rootClass = ComponentFactory::className(m_root);
        if (rootNode.className != rootClass)
            m_problems.add(rootNode.line, "the text describes a " + rootNode.className + ", not a " + rootClass);
        applyNode(rootNode, m_root);
        for (const PendingReference &pending : m_references) {
            if (pending.object)
                setProperty(*pending.object, pending.property);
        }
    }

private:
    void applyNode(const LayoutNode &node, QObject &target)
    {
        // The window's own settings are not part of a layout: a text may
        // not retitle or restyle it.
        if (!ComponentFactory::isLayoutComponent(target) && !node.properties.empty())
            m_problems.add(node.properties.front().line,
                           "properties of " + node.name + " are not part of a layout; they are skipped");
        else
            applyProperties(node, target);
        for (const LayoutNode &child : node.children) {
            if (QObject *component = componentFor(child, target))
                applyNode(child, *component);
        }
    }

    void applyProperties(const LayoutNode &node, QObject &target)
    {
        for (const LayoutProperty &property : node.properties) {
            if (PropertyCodec::isReference(target, property.name))
                m_references.push_back({&target, property});
            else
                setProperty(target, property);
        }
    }

    void setProperty(QObject &target, const LayoutProperty &property)
    {
        // A window part stored with the layout takes only its listed properties.
        if (LayoutProperties::storedPartProperties(target) && !LayoutProperties::isKeptOn(target, property.name)) {
            m_problems.add(property.line, target.objectName().toStdString() + "." + property.name +
                                              ": not stored with a layout; skipped");
            return;
        }
        // A full form description may repeat the zoom the window has.
        if (LayoutProperties::isScale(target, property.name)) {
            if (property.value != target.property(property.name.c_str()).toString().toStdString())
                m_problems.add(property.line, target.objectName().toStdString() + "." + property.name +
                                                  ": the window's own scale, not stored with a layout; skipped");
            return;
        }
        std::string error;
        bool written = false;
        try {
            written = PropertyCodec::write(target, property.name, property.value, m_root, error);
        } catch (const std::exception &fault) {
            // A setter that refuses a value by throwing (a page picture
            // that is no picture) costs this property only.
            error = fault.what();
        }
        if (!written)
            m_problems.add(property.line, target.objectName().toStdString() + "." + property.name + ": " + error);
    }

    // Only the report and its parts can be named by a block: the window's
    // data sets, builder and widgets are not the layout's to change.
    QObject *findComponent(const std::string &name, bool &foreign) const
    {
        const QList<QObject *> found =
            m_root.findChildren<QObject *>(QString::fromStdString(name), Qt::FindChildrenRecursively);
        foreign = false;
        for (QObject *object : found) {
            if (ComponentFactory::isLayoutComponent(*object))
                return object;
            foreign = true;
        }
        return nullptr;
    }

    // The existing component a block names, or a new one for an "object"
    // block; nullptr (listed as a problem) when the block must be skipped.
    QObject *componentFor(const LayoutNode &node, QObject &parent)
    {
        bool foreign = false;
        QObject *existing = findComponent(node.name, foreign);
        if (foreign && !existing) {
            m_problems.add(node.line, node.name + " is not a component of the layout; the block is skipped");
            return nullptr;
        }
        if (existing) {
            if (ComponentFactory::className(*existing) == node.className)
                return existing;
            m_problems.add(node.line, node.name + " is a " + ComponentFactory::className(*existing) + ", not a " +
                                          node.className + "; the block is skipped");
            return nullptr;
        }
        if (node.inherited) {
            m_problems.add(node.line, "no component named " + node.name + "; the block is skipped");
            return nullptr;
        }
        std::string error;
        QObject *created = ComponentFactory::create(node.className, parent, error);
        if (!created) {
            m_problems.add(node.line, node.name + ": " + error + "; the block is skipped");
            return nullptr;
        }
        created->setObjectName(QString::fromStdString(node.name));
        return created;
    }

    QObject &m_root;
    ProblemLog &m_problems;
    std::vector<PendingReference> m_references;
};

} // namespace

std::string LayoutText::Write(const QObject &root)
{
    return LayoutDocument::write(fullNode(root, false));
}

std::string LayoutText::WriteDifferences(const QObject &root, const QObject &ancestor)
{
    std::map<std::string, ComponentTexts> ancestorTexts;
    collectTexts(ancestor, ancestorTexts);
    LayoutNode node = nodeOf(root, true);
    for (const QObject *child : layoutChildren(root)) {
        if (auto childNode = differenceNode(*child, ancestorTexts))
            node.children.push_back(std::move(*childNode));
    }
    return LayoutDocument::write(node);
}

bool LayoutText::Read(QObject &root, std::string_view text, std::vector<LayoutProblem> &problems)
{
    ProblemLog log(problems);
    try {
        std::optional<LayoutNode> rootNode = LayoutDocument::parse(text, log);
        if (!rootNode)
            return false;
        Applier(root, log).run(*rootNode);
        return true;
    } catch (const std::exception &error) {
        // Out of memory or a fault of a component: what was read stays.
        log.add(0, std::string("reading stopped: ") + error.what());
        return true;
    } catch (...) {
        log.add(0, "reading stopped by an unknown error");
        return true;
    }
}

} // namespace kv
