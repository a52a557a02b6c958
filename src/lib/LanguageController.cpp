#include "lib/LanguageController.h"

#include "lib/LibVCLs.h"

#include <QComboBox>
#include <QListWidget>
#include <QTreeWidget>

#include <pugixml.hpp>

#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

namespace kv {

namespace {

std::vector<std::string_view> splitPath(std::string_view path)
{
    std::vector<std::string_view> segments;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = path.find('.', start);
        segments.push_back(path.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
        if (dot == std::string_view::npos)
            return segments;
        start = dot + 1;
    }
}

// "Items_3" -> ("Items", 3); nothing when the segment has no "_" + number.
std::optional<std::pair<std::string_view, int>> indexedSegment(std::string_view segment)
{
    const std::size_t underscore = segment.rfind('_');
    if (underscore == std::string_view::npos || underscore == 0)
        return std::nullopt;
    const std::string_view digits = segment.substr(underscore + 1);
    int index = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || index < 0)
        return std::nullopt;
    return std::pair(segment.substr(0, underscore), index);
}

bool isTextName(std::string_view name)
{
    return name == "Caption" || name == "Text";
}

// Walks one attribute's property path from a component and performs the
// assignment. Standard Qt item views keep their entries outside properties,
// so "Items_n" / "Columns_n" steps lead to those entries; everything that
// stays on the component is handed to setPropertyByPath.
class PathAssignment {
public:
    PathAssignment(QObject *component, std::string_view path) : m_component(component), m_path(path) {}

    bool apply(const std::string &value)
    {
        const std::vector<std::string_view> segments = splitPath(m_path);
        for (std::size_t i = 0; i + 1 < segments.size(); ++i)
            if (!step(segments[i]))
                return false;
        return assign(segments.back(), value);
    }

private:
    bool atComponent() const { return !m_treeItem && m_treeColumn < 0 && !m_listItem && m_comboIndex < 0 && m_listLine < 0; }

    bool step(std::string_view segment)
    {
        const auto indexed = indexedSegment(segment);
        if (!indexed)
            return segment.find('_') == std::string_view::npos && stepInto(segment);
        const auto [name, index] = *indexed;
        if (name == "Items")
            stepToItem(index);
        else if (name == "Columns")
            stepToColumn(index);
        else
            return false; // any other "_" segment ends the path
        return true;
    }

    // A plain segment steps into a published property of the component;
    // entries have none.
    bool stepInto(std::string_view segment)
    {
        if (!atComponent())
            return false;
        m_prefix += std::string(segment) + ".";
        return true;
    }

    // An index beyond the count leaves the step where it is.
    void stepToItem(int index)
    {
        if (m_treeItem) {
            if (index < m_treeItem->childCount())
                m_treeItem = m_treeItem->child(index);
            return;
        }
        if (!atComponent())
            return;
        if (!m_prefix.empty()) {
            stepToListLine(index);
            return;
        }
        if (auto *tree = qobject_cast<QTreeWidget *>(m_component)) {
            if (index < tree->topLevelItemCount())
                m_treeItem = tree->topLevelItem(index);
        } else if (auto *list = qobject_cast<QListWidget *>(m_component)) {
            if (index < list->count())
                m_listItem = list->item(index);
        } else if (auto *combo = qobject_cast<QComboBox *>(m_component)) {
            if (index < combo->count())
                m_comboIndex = index;
        }
    }

    // "Panels.Items_1.Text": entry n of a string-list property.
    void stepToListLine(int index)
    {
        const std::string name = m_prefix.substr(0, m_prefix.size() - 1);
        if (name.find('.') != std::string::npos)
            return;
        const QVariant lines = m_component->property(name.c_str());
        if (lines.typeId() == QMetaType::QStringList && index < lines.toStringList().size()) {
            m_listProperty = name;
            m_listLine = index;
        }
    }

    void stepToColumn(int index)
    {
        auto *tree = qobject_cast<QTreeWidget *>(m_component);
        if (tree && atComponent() && m_prefix.empty() && index < tree->columnCount())
            m_treeColumn = index;
    }

    bool assign(std::string_view name, const std::string &value)
    {
        const QString text = QString::fromStdString(value);
        if (m_treeItem)
            return assignTreeItem(name, text);
        if (m_treeColumn >= 0)
            return assignColumn(name, text);
        if (m_listItem)
            return isTextName(name) && (m_listItem->setText(text), true);
        if (m_comboIndex >= 0) {
            if (!isTextName(name))
                return false;
            qobject_cast<QComboBox *>(m_component)->setItemText(m_comboIndex, text);
            return true;
        }
        if (m_listLine >= 0)
            return isTextName(name) && setLine(m_listProperty, m_listLine, text);
        if (const auto indexed = indexedSegment(name); indexed && m_prefix.empty())
            return setLine(std::string(indexed->first), indexed->second, text);
        return setPropertyByPath(m_component, m_prefix + std::string(name), value);
    }

    // A list item's Caption and a tree node's Text are the first column;
    // "SubItems_n" are the columns after it.
    bool assignTreeItem(std::string_view name, const QString &text)
    {
        if (isTextName(name)) {
            m_treeItem->setText(0, text);
            return true;
        }
        const auto indexed = indexedSegment(name);
        if (!indexed || indexed->first != "SubItems")
            return false;
        m_treeItem->setText(indexed->second + 1, text);
        return true;
    }

    bool assignColumn(std::string_view name, const QString &text)
    {
        auto *tree = qobject_cast<QTreeWidget *>(m_component);
        if (name == "Caption") {
            tree->headerItem()->setText(m_treeColumn, text);
            return true;
        }
        bool ok = false;
        const int width = text.toInt(&ok);
        if (name != "Width" || !ok || width < 0)
            return false;
        tree->setColumnWidth(m_treeColumn, width);
        return true;
    }

    // Line n of the component's string list of that name; empty lines are
    // added up to n.
    bool setLine(const std::string &property, int line, const QString &text)
    {
        if (!CheckPropertyExist(m_component, property))
            return false;
        const QVariant value = m_component->property(property.c_str());
        if (value.typeId() != QMetaType::QStringList)
            return false;
        QStringList lines = value.toStringList();
        while (lines.size() <= line)
            lines.append(QString());
        lines[line] = text;
        return m_component->setProperty(property.c_str(), lines);
    }

    QObject *m_component;
    std::string_view m_path;
    std::string m_prefix; // plain segments walked so far, each followed by "."
    QTreeWidgetItem *m_treeItem = nullptr;
    int m_treeColumn = -1;
    QListWidgetItem *m_listItem = nullptr;
    int m_comboIndex = -1;
    std::string m_listProperty;
    int m_listLine = -1;
};

// Lines a single entry can reach with "Name_n": far beyond any real list,
// small enough that a damaged file cannot make us allocate gigabytes.
constexpr int kMaxLineIndex = 100000;

} // namespace

// ---------------------------------------------------------------------------
// TLanguageController

TLanguageController::TLanguageController(QObject *owner) : QObject(owner) {}

TLanguageController::~TLanguageController() = default;

void TLanguageController::setActive(bool active)
{
    if (m_loading) {
        m_pendingActive = active;
        return;
    }
    if (active == m_active)
        return;
    if (active)
        open();
    else
        close();
}

void TLanguageController::BeginLoad()
{
    m_loading = true;
    m_pendingActive = m_active;
}

void TLanguageController::Loaded()
{
    if (!m_loading)
        return;
    m_loading = false;
    setActive(m_pendingActive);
}

void TLanguageController::setFileName(const std::string &fileName, const std::string &displayName)
{
    m_displayName = displayName;
    if (fileName == m_fileName)
        return;
    m_fileName = fileName;
    m_inlineDocument.clear();
    setActive(false);
}

void TLanguageController::open()
{
    DoBeforeOpen();
    auto document = std::make_unique<pugi::xml_document>();
    const QString inlineText = m_inlineDocument.join(QLatin1Char('\n'));
    if (!inlineText.trimmed().isEmpty()) {
        const QByteArray utf8 = inlineText.toUtf8();
        const pugi::xml_parse_result result =
            document->load_buffer(utf8.constData(), std::size_t(utf8.size()), pugi::parse_default, pugi::encoding_utf8);
        if (!result)
            throw ELanguageController(result.description());
    } else {
        if (m_fileName.empty())
            throw ELanguageController("Cannot Find File " + m_displayName + "!");
        std::string reason;
        if (!LoadLanguageFile(m_fileName, *document, reason))
            throw ELanguageController(reason);
    }
    m_document = std::move(document);
    m_active = true;
    ApplyDocument();
    DoAfterOpen();
}

void TLanguageController::close()
{
    DoBeforeClose();
    m_document.reset();
    m_active = false;
    DoAfterClose();
}

pugi::xml_node TLanguageController::elementOf(const QObject *component) const
{
    if (!m_document)
        return {};
    if (component == parent())
        return m_document->document_element();
    const std::string name = component->objectName().toStdString();
    if (name.empty())
        return {};
    // The first element of that name anywhere in the document, the root
    // included ("//" + name), found without building an XPath from a name.
    return m_document->find_node([&name](const pugi::xml_node &node) {
        return node.type() == pugi::node_element && name == node.name();
    });
}

void TLanguageController::readElement(QObject *component, const pugi::xml_node &element)
{
    auto *combo = qobject_cast<QComboBox *>(component);
    const int comboIndex = combo ? combo->currentIndex() : -1;
    for (const pugi::xml_attribute &attribute : element.attributes()) {
        const std::string_view path = attribute.name();
        if (const auto indexed = indexedSegment(path.substr(path.rfind('.') + 1));
            indexed && indexed->second > kMaxLineIndex)
            continue;
        PathAssignment(component, path).apply(attribute.value());
    }
    if (combo && comboIndex < combo->count())
        combo->setCurrentIndex(comboIndex);
}

void TLanguageController::LoadComponent(QObject *component)
{
    if (!m_document)
        throw ELanguageController("No active LanguageController!");
    if (!component)
        return;
    const pugi::xml_node element = elementOf(component);
    if (element)
        readElement(component, element);
}

void TLanguageController::ApplyDocument()
{
    QObject *owner = parent();
    if (!owner)
        return;
    LoadComponent(owner);
    for (QObject *component : owner->findChildren<QObject *>())
        if (component != this)
            LoadComponent(component);
}

// ---------------------------------------------------------------------------
// TKvLangController

TKvLangController::TKvLangController(QObject *owner) : TLanguageController(owner) {}

void TKvLangController::setLangPackageName(const QString &name)
{
    if (name == m_langPackageName)
        return;
    m_langPackageName = name;
    updateFileName();
}

void TKvLangController::setDesignType(TDesignType designType)
{
    if (designType == m_designType)
        return;
    m_designType = designType;
    if (!m_langPackageName.isEmpty())
        updateFileName();
}

void TKvLangController::updateFileName()
{
    const std::string package = m_langPackageName.toStdString() + ".Lng";
    // Without a language folder there is no file: a name relative to the
    // working directory could pick up an unrelated file.
    const std::string folder = m_langPackageName.isEmpty() ? std::string() : LanguageDirectory(m_designType);
    setFileName(folder.empty() ? std::string() : folder + package, package);
}

bool TKvLangController::isExcluded(const QString &name) const
{
    for (const QString &excluded : m_excludeControls)
        if (excluded.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void TKvLangController::loadOne(QObject *component, const pugi::xml_node &element)
{
    LoadComponentArgs args(component);
    m_beforeLoadComponent(this, args);
    readElement(component, element);
    m_afterLoadComponent(this, args);
}

void TKvLangController::ApplyDocument()
{
    QObject *owner = parent();
    if (!owner)
        return;
    if (const pugi::xml_node root = elementOf(owner))
        loadOne(owner, root);
    for (QObject *component : owner->findChildren<QObject *>()) {
        const QString name = component->objectName();
        if (component == this || name.isEmpty() || name.startsWith(QLatin1String("qt_")) || isExcluded(name))
            continue;
        if (const pugi::xml_node element = elementOf(component))
            loadOne(component, element);
    }
}

} // namespace kv
