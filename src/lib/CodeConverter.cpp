#include "lib/CodeConverter.h"

#include "lib/LibVCLs.h"
#include "lib/MarshalIniC.h"
#include "lib/MarshalIniS.h"
#include "lib/TextTranslatable.h"
#include "lib/Translator.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QTreeWidget>
#include <QWidget>

#include <functional>

namespace kv {

namespace {

using TextFunc = std::function<QString(const QString &)>;

// The properties DoTranslate converts on every component that publishes them.
const QStringList kTextProperties = {"Caption", "Hint", "ButtonHint", "Text"};
const QStringList kListProperties = {"Items", "Lines", "Panels"};
const QStringList kFontProperties = {"Font", "TitleFont"};

bool hasProperty(const QObject *object, const char *name)
{
    return CheckPropertyExist(object, name);
}

void convertStringProperty(QObject *object, const QString &name, const TextFunc &convert)
{
    const QByteArray key = name.toLatin1();
    if (!hasProperty(object, key.constData()))
        return;
    const QVariant value = object->property(key.constData());
    if (value.typeId() == QMetaType::QString)
        object->setProperty(key.constData(), convert(value.toString()));
}

void convertListProperty(QObject *object, const QString &name, const TextFunc &convert)
{
    const QByteArray key = name.toLatin1();
    if (!hasProperty(object, key.constData()))
        return;
    const QVariant value = object->property(key.constData());
    if (value.typeId() != QMetaType::QStringList)
        return;
    QStringList lines = value.toStringList();
    for (QString &line : lines)
        line = convert(line);
    object->setProperty(key.constData(), lines);
}

// Owner-drawn styles made the described controls draw the converted text
// themselves; the published style keeps that meaning for stored layouts.
void switchToOwnerDraw(QObject *component)
{
    if (!hasProperty(component, "Style"))
        return;
    const QString style = component->property("Style").toString();
    QString drawn;
    if (qobject_cast<QComboBox *>(component)) {
        if (style == QLatin1String("csDropDown"))
            drawn = QStringLiteral("csOwnerDrawVariable");
        else if (style == QLatin1String("csDropDownList"))
            drawn = QStringLiteral("csOwnerDrawFixed");
    } else if (qobject_cast<QListWidget *>(component) && style == QLatin1String("lbStandard")) {
        drawn = QStringLiteral("lbOwnerDrawFixed");
    }
    if (!drawn.isEmpty())
        component->setProperty("Style", drawn);
}

void convertTreeItem(QTreeWidgetItem *item, const TextFunc &convert, bool recurse)
{
    for (int column = 0; column < item->columnCount(); ++column)
        item->setText(column, convert(item->text(column)));
    if (!recurse)
        return;
    for (int i = 0; i < item->childCount(); ++i)
        convertTreeItem(item->child(i), convert, true);
}

// List views (column captions, items, sub-items); with deep, tree nodes too.
void convertTreeWidget(QTreeWidget *tree, const TextFunc &convert, bool deep)
{
    if (QTreeWidgetItem *header = tree->headerItem())
        convertTreeItem(header, convert, false);
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        convertTreeItem(tree->topLevelItem(i), convert, deep);
}

void convertListWidget(QListWidget *list, const TextFunc &convert)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setText(convert(list->item(i)->text()));
}

void convertComboBox(QComboBox *combo, const TextFunc &convert)
{
    for (int i = 0; i < combo->count(); ++i)
        combo->setItemText(i, convert(combo->itemText(i)));
}

void convertTabs(QTabBar *tabs, const TextFunc &convert)
{
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setTabText(i, convert(tabs->tabText(i)));
        tabs->setTabToolTip(i, convert(tabs->tabToolTip(i)));
    }
}

void convertTabWidget(QTabWidget *tabs, const TextFunc &convert)
{
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setTabText(i, convert(tabs->tabText(i)));
        tabs->setTabToolTip(i, convert(tabs->tabToolTip(i)));
    }
}

// Menu item captions, sub-menus included; a menu reachable twice is
// converted once.
void convertActions(const QList<QAction *> &actions, const TextFunc &convert, QSet<QMenu *> &seen)
{
    for (QAction *action : actions) {
        action->setText(convert(action->text()));
        action->setToolTip(convert(action->toolTip()));
        QMenu *menu = action->menu();
        if (menu && !seen.contains(menu)) {
            seen.insert(menu);
            menu->setTitle(convert(menu->title()));
            convertActions(menu->actions(), convert, seen);
        }
    }
}

void convertTableItem(QTableWidgetItem *item, const TextFunc &convert)
{
    if (!item)
        return;
    item->setText(convert(item->text()));
    item->setToolTip(convert(item->toolTip()));
}

void convertTableWidget(QTableWidget *table, const TextFunc &convert)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        convertTableItem(table->verticalHeaderItem(row), convert);
        for (int column = 0; column < table->columnCount(); ++column)
            convertTableItem(table->item(row, column), convert);
    }
    for (int column = 0; column < table->columnCount(); ++column)
        convertTableItem(table->horizontalHeaderItem(column), convert);
}

// The class-specific texts, which standard Qt widgets keep outside
// properties.
void convertByClass(QObject *component, const TextFunc &convert, bool deep)
{
    if (auto *tree = qobject_cast<QTreeWidget *>(component))
        convertTreeWidget(tree, convert, deep);
    else if (auto *list = qobject_cast<QListWidget *>(component))
        convertListWidget(list, convert);
    else if (auto *combo = qobject_cast<QComboBox *>(component))
        convertComboBox(combo, convert);
    else if (auto *tabBar = qobject_cast<QTabBar *>(component))
        convertTabs(tabBar, convert);
    else if (auto *tabWidget = qobject_cast<QTabWidget *>(component))
        convertTabWidget(tabWidget, convert);
    else if (auto *table = qobject_cast<QTableWidget *>(component); table && deep)
        convertTableWidget(table, convert);

    QSet<QMenu *> seen;
    if (auto *menu = qobject_cast<QMenu *>(component)) {
        seen.insert(menu);
        convertActions(menu->actions(), convert, seen);
    } else if (auto *menuBar = qobject_cast<QMenuBar *>(component)) {
        convertActions(menuBar->actions(), convert, seen);
    }
    if (auto *translatable = dynamic_cast<TextTranslatable *>(component))
        translatable->translateTexts(convert);
}

// Components in the form's sense: named objects below the form. Qt's own
// internal children (unnamed, or named "qt_...") belong to their widget.
QList<QObject *> componentsOf(QWidget *form)
{
    QList<QObject *> components;
    for (QObject *child : form->findChildren<QObject *>()) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            components.append(child);
    }
    return components;
}

} // namespace

TCodeConverter::TCodeConverter(QObject *owner, TDesignType designType) : QObject(owner), m_designType(designType)
{
    readSettings();
}

TCodeConverter::~TCodeConverter() = default;

void TCodeConverter::readSettings()
{
    std::unique_ptr<TMarshalIniBase> settings;
    if (m_designType == KvDesign::dtServer)
        settings = std::make_unique<TMarshalIniS>();
    else
        settings = std::make_unique<TMarshalIniC>();
    m_sysCodePage = settings->SysCodePage;
    m_uiCodePage = settings->UICodePage;
    m_dbCodePage = settings->DBCodePage;
    m_uiConvertMode = settings->UIConvertMode;
    m_dataConvertMode = settings->DataConvertMode;
    // The data conversion needs the library as much as the interface one: a
    // simplified interface on a traditional database (data mode 1) has
    // interface mode 0 and would otherwise show its data unconverted.
    if (m_uiConvertMode != 0 || m_dataConvertMode != 0)
        m_translator = std::make_unique<TTranslator>();
}

std::string TCodeConverter::convertText(int kind, const std::string &text) const
{
    if (!m_translator)
        return text;
    if (kind == 1)
        return m_translator->BIG5toGB(text);
    if (kind == 2)
        return m_translator->GBtoBIG5(text);
    return text;
}

void TCodeConverter::convertVariant(int kind, Variant &value) const
{
    if (value.isRef())
        value = value.deref();
    if (value.isText()) {
        value = Variant(convertText(kind, value.toText()));
    } else if (value.isArray()) {
        for (Variant &element : value.array().items())
            convertVariant(kind, element);
    }
}

Variant TCodeConverter::StrTransCode(int kind, const Variant &value) const
{
    Variant result = value.deref();
    if ((kind == 1 || kind == 2) && m_translator && !result.isEmptyOrNull())
        convertVariant(kind, result);
    return result;
}

QString TCodeConverter::StrTransText(int kind, const QString &text) const
{
    if ((kind != 1 && kind != 2) || !m_translator || text.isEmpty())
        return text;
    return QString::fromStdString(convertText(kind, text.toStdString()));
}

Variant TCodeConverter::ConvertUIString(const Variant &value) const
{
    return StrTransCode(m_uiConvertMode, value);
}

Variant TCodeConverter::ConvertDataString(const Variant &value) const
{
    return StrTransCode(m_dataConvertMode, value);
}

namespace {

int reverseKind(int mode)
{
    return mode == 1 ? 2 : mode == 2 ? 1 : 0;
}

} // namespace

Variant TCodeConverter::RecoverUIString(const Variant &value) const
{
    try {
        return StrTransCode(reverseKind(m_uiConvertMode), value);
    } catch (...) {
        return value;
    }
}

Variant TCodeConverter::RecoverDataString(const Variant &value) const
{
    try {
        return StrTransCode(reverseKind(m_dataConvertMode), value);
    } catch (...) {
        return value;
    }
}

std::string TCodeConverter::GBToBig5(const std::string &text) const
{
    return text.empty() ? text : convertText(2, text);
}

std::string TCodeConverter::Big5ToGB(const std::string &text) const
{
    return text.empty() ? text : convertText(1, text);
}

int TCodeConverter::SetUIFont(int mode, QFont &font)
{
    font.setFamilies({QStringLiteral("SimSun")});
    return (mode == 2 || mode == 3) ? 136 : 134;
}

QWidget *TCodeConverter::owningWindow() const
{
    auto *widget = qobject_cast<QWidget *>(parent());
    return widget ? widget->window() : nullptr;
}

namespace {

// The button a message box focuses: OK, else Yes, else Retry, else the
// first one it shows.
MessageButton defaultButtonOf(MessageButtons buttons)
{
    for (const MessageButton candidate : {MessageButton::OK, MessageButton::Yes, MessageButton::Retry})
        if (buttons.testFlag(candidate))
            return candidate;
    for (unsigned bit = 1; bit <= static_cast<unsigned>(MessageButton::Help); bit <<= 1)
        if (buttons.testFlag(static_cast<MessageButton>(bit)))
            return static_cast<MessageButton>(bit);
    return MessageButton::OK;
}

QString captionOf(const QWidget *window)
{
    const QVariant caption = window->property("Caption");
    if (caption.typeId() == QMetaType::QString)
        return caption.toString();
    return window->windowTitle();
}

} // namespace

ModalResult TCodeConverter::KvCodeMessageDlg(const std::string &text, MessageType type, MessageButtons buttons)
{
    if (text.empty())
        return mrNone;
    std::string shown = text;
    // Simplified-Chinese dialogs came out too narrow for their text.
    if (m_uiCodePage == "936" || m_sysCodePage == "936")
        shown += "      ";
    std::string caption;
    if (QWidget *window = owningWindow()) {
        if (window->isMinimized())
            window->showNormal();
        caption = captionOf(window).toStdString();
    }
    const MessageButtons effective = Prompter::effectiveButtons(buttons);
    return Prompter::current()->messageBox(shown, caption, type, effective, defaultButtonOf(effective));
}

void TCodeConverter::DoTranslate(QWidget *form, const QString &exclusion, bool deep)
{
    if (!form || !m_translator || m_uiConvertMode == 0)
        return;
    const int uiKind = m_uiConvertMode;
    const TextFunc byMode = [this, uiKind](const QString &text) { return StrTransText(uiKind, text); };

    // 1. A traditional system draws window captions in Big5.
    if (m_sysCodePage == "950") {
        const TextFunc toBig5 = [this](const QString &text) { return StrTransText(2, text); };
        convertStringProperty(form, hasProperty(form, "Caption") ? "Caption" : "windowTitle", toBig5);
    }

    // 2. The form's hints and the application-wide hint and menu fonts.
    convertStringProperty(form, "Hint", byMode);
    convertStringProperty(form, "ButtonHint", byMode);
    QFont hintFont = QToolTip::font();
    SetUIFont(m_uiConvertMode, hintFont);
    QToolTip::setFont(hintFont);
    QFont menuFont = QApplication::font("QMenu");
    SetUIFont(m_uiConvertMode, menuFont);
    QApplication::setFont(menuFont, "QMenu");
    QApplication::setFont(menuFont, "QMenuBar");
    QToolTip::hideText(); // the next hint is shown with the new font

    // 3. The components.
    const int classKind = (m_uiConvertMode == 1 || m_uiConvertMode == 2) ? m_uiConvertMode : 0;
    const TextFunc byClass = [this, classKind](const QString &text) { return StrTransText(classKind, text); };
    for (QObject *component : componentsOf(form)) {
        QStringList keep;
        if (!exclusion.isEmpty() && !excludedProperties(component, keep))
            continue;
        auto *combo = qobject_cast<QComboBox *>(component);
        const int comboIndex = combo ? combo->currentIndex() : -1;
        convertPublished(component, keep, byMode);
        if (classKind != 0)
            convertByClass(component, byClass, deep);
        // 4. Rewriting the items must not change the user's choice.
        if (combo && combo->count() > 0)
            combo->setCurrentIndex(comboIndex);
    }
}

bool TCodeConverter::excludedProperties(QObject *component, QStringList &keep) const
{
    const QString name = component->objectName();
    for (const QString &line : m_exclusionLines) {
        const QString named = line.section(QLatin1Char('='), 0, 0).trimmed();
        if (named.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (hasProperty(component, "ParentFont"))
            component->setProperty("ParentFont", false);
        const QString listed = line.section(QLatin1Char('='), 1).trimmed();
        if (listed.isEmpty())
            return false;
        for (const QString &property : listed.split(QLatin1Char(','), Qt::SkipEmptyParts))
            keep.append(property.trimmed());
        return true;
    }
    return true;
}

void TCodeConverter::convertPublished(QObject *component, const QStringList &keep, const TextFunc &convert) const
{
    const auto wanted = [&keep](const QString &property) { return !keep.contains(property, Qt::CaseInsensitive); };
    for (const QString &property : kFontProperties) {
        const QByteArray key = property.toLatin1();
        if (!wanted(property) || !hasProperty(component, key.constData()))
            continue;
        QVariant value = component->property(key.constData());
        if (value.typeId() != QMetaType::QFont)
            continue;
        QFont font = value.value<QFont>();
        const int charset = SetUIFont(m_uiConvertMode, font);
        component->setProperty(key.constData(), font);
        component->setProperty((key + "Charset").constData(), charset);
    }
    for (const QString &property : kTextProperties)
        if (wanted(property))
            convertStringProperty(component, property, convert);
    for (const QString &property : kListProperties)
        if (wanted(property))
            convertListProperty(component, property, convert);
    if (wanted(QStringLiteral("Style")))
        switchToOwnerDraw(component);
}

} // namespace kv
