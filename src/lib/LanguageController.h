#pragma once
// Language packages: XML documents (".Lng" files in the shell's language
// folder) that set the texts of a form's components. The root element
// belongs to the form itself; every other component is matched with the
// first element named like it. Each attribute is one assignment: its name a
// property path ("Caption", "Font.Name", "Lines_2", "Items_0.Caption",
// "Columns_1.Caption"), its value the text to set.
//
// TLanguageController is the reader: it holds the document and applies it.
// TKvLangController, the component every module window owns as
// "LangController", finds the document by package name and publishes the
// events and exclusions.

#include "lib/EventHandler.h"
#include "lib/LangCommon.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <stdexcept>
#include <string>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace kv {

// Every failure of a language controller.
class ELanguageController : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Arguments of BeforeLoadComponent / AfterLoadComponent.
class LoadComponentArgs : public EventArgs {
public:
    explicit LoadComponentArgs(QObject *component) : component(component) {}
    QObject *component;
};

class TLanguageController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ isActive WRITE setActive)

public:
    explicit TLanguageController(QObject *owner = nullptr);
    ~TLanguageController() override;

    bool isActive() const { return m_active; }
    // Opening loads the document and applies it to the owner; raises
    // ELanguageController when there is no document or it does not parse.
    // While the owner is being loaded (BeginLoad .. Loaded) the value is only
    // remembered.
    void setActive(bool active);

    void BeginLoad();
    // Applies an Active set while loading.
    void Loaded();

    // The file the document is read from.
    const std::string &fileName() const { return m_fileName; }
    // A document given as text takes the file's place while it has text.
    const QStringList &inlineDocument() const { return m_inlineDocument; }
    void setInlineDocument(const QStringList &lines) { m_inlineDocument = lines; }

    // Applies the document's element for component (the root element for
    // the owner). Raises "No active LanguageController!" without a document.
    void LoadComponent(QObject *component);

protected:
    // Changes the file; a new file drops the inline document and closes.
    void setFileName(const std::string &fileName, const std::string &displayName);

    virtual void DoBeforeOpen() {}
    virtual void DoAfterOpen() {}
    virtual void DoBeforeClose() {}
    virtual void DoAfterClose() {}
    // Applies the document to the owner and what it owns.
    virtual void ApplyDocument();
    // The element of one component; a null node when it has none.
    pugi::xml_node elementOf(const QObject *component) const;
    // Every assignment of one element; combo boxes keep their selection.
    void readElement(QObject *component, const pugi::xml_node &element);

private:
    void open();
    void close();

    bool m_active = false;
    bool m_loading = false;
    bool m_pendingActive = false;
    std::string m_fileName;
    std::string m_displayName; // named in "Cannot Find File" when there is no file
    QStringList m_inlineDocument;
    std::unique_ptr<pugi::xml_document> m_document;
};

class TKvLangController : public TLanguageController {
    Q_OBJECT
    Q_PROPERTY(QString LangPackageName READ langPackageName WRITE setLangPackageName)
    Q_PROPERTY(kv::KvDesign::TDesignType DesignType READ designType WRITE setDesignType)
    Q_PROPERTY(QStringList ExcludeControls READ excludeControls WRITE setExcludeControls)
    Q_PROPERTY(kv::EventHandler BeforeOpen READ beforeOpen WRITE setBeforeOpen)
    Q_PROPERTY(kv::EventHandler AfterOpen READ afterOpen WRITE setAfterOpen)
    Q_PROPERTY(kv::EventHandler BeforeClose READ beforeClose WRITE setBeforeClose)
    Q_PROPERTY(kv::EventHandler AfterClose READ afterClose WRITE setAfterClose)
    // Raised with LoadComponentArgs around the reading of each component.
    Q_PROPERTY(kv::EventHandler BeforeLoadComponent READ beforeLoadComponent WRITE setBeforeLoadComponent)
    Q_PROPERTY(kv::EventHandler AfterLoadComponent READ afterLoadComponent WRITE setAfterLoadComponent)

public:
    explicit TKvLangController(QObject *owner = nullptr);

    QString langPackageName() const { return m_langPackageName; }
    // The file becomes <language folder>/<name>.Lng (by DesignType).
    void setLangPackageName(const QString &name);
    TDesignType designType() const { return m_designType; }
    void setDesignType(TDesignType designType);
    // Names of components the document must not touch (trimmed, any case).
    QStringList excludeControls() const { return m_excludeControls; }
    void setExcludeControls(const QStringList &names) { m_excludeControls = names; }

    EventHandler beforeOpen() const { return m_beforeOpen; }
    void setBeforeOpen(const EventHandler &handler) { m_beforeOpen = handler; }
    EventHandler afterOpen() const { return m_afterOpen; }
    void setAfterOpen(const EventHandler &handler) { m_afterOpen = handler; }
    EventHandler beforeClose() const { return m_beforeClose; }
    void setBeforeClose(const EventHandler &handler) { m_beforeClose = handler; }
    EventHandler afterClose() const { return m_afterClose; }
    void setAfterClose(const EventHandler &handler) { m_afterClose = handler; }
    EventHandler beforeLoadComponent() const { return m_beforeLoadComponent; }
    void setBeforeLoadComponent(const EventHandler &handler) { m_beforeLoadComponent = handler; }
    EventHandler afterLoadComponent() const { return m_afterLoadComponent; }
    void setAfterLoadComponent(const EventHandler &handler) { m_afterLoadComponent = handler; }

protected:
    void DoBeforeOpen() override { m_beforeOpen(this); }
    void DoAfterOpen() override { m_afterOpen(this); }
    void DoBeforeClose() override { m_beforeClose(this); }
    void DoAfterClose() override { m_afterClose(this); }
    void ApplyDocument() override;

private:
    bool isExcluded(const QString &name) const;
    void loadOne(QObject *component, const pugi::xml_node &element);
    void updateFileName();

    QString m_langPackageName;
    TDesignType m_designType = KvDesign::dtClient;
    QStringList m_excludeControls;
    EventHandler m_beforeOpen;
    EventHandler m_afterOpen;
    EventHandler m_beforeClose;
    EventHandler m_afterClose;
    EventHandler m_beforeLoadComponent;
    EventHandler m_afterLoadComponent;
};

} // namespace kv
