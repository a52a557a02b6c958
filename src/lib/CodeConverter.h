#pragma once
// TCodeConverter converts texts between simplified (GB, code page 936) and
// traditional (Big5, code page 950) Chinese in the direction the shell's
// settings ask for: the interface conversion mode for captions, hints and
// messages, the data conversion mode for data going to and coming from the
// database. Every module window owns one, named "KvConverter".
//
// Conversion kinds: 1 = Big5 -> GB, 2 = GB -> Big5; 0, 3 and 4 leave texts as
// they are. The settings are read once, at construction.

#include "lib/LangCommon.h"
#include "platform/Prompter.h"
#include "platform/Variant.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QFont;
class QWidget;

namespace kv {

class TTranslator;

class TCodeConverter : public QObject {
    Q_OBJECT
    // Which settings were read: the client's (dtClient) or the server's.
    Q_PROPERTY(kv::KvDesign::TDesignType DesignType READ designType WRITE setDesignType)
    // Lines "ComponentName" or "ComponentName=Prop1,Prop2" consulted by
    // DoTranslate when it is given a non-empty exclusion text: a named
    // component is skipped, or only the listed properties are left alone.
    Q_PROPERTY(QStringList ExclusionLines READ exclusionLines WRITE setExclusionLines)

public:
    // Reads the client or server settings and, when a conversion mode asks
    // for it, loads the language library (raising ETranslator when that
    // fails).
    explicit TCodeConverter(QObject *owner = nullptr, TDesignType designType = KvDesign::dtClient);
    ~TCodeConverter() override;

    TDesignType designType() const { return m_designType; }
    // Only records the value: the settings stay the ones read at construction.
    void setDesignType(TDesignType designType) { m_designType = designType; }
    const QStringList &exclusionLines() const { return m_exclusionLines; }
    void setExclusionLines(const QStringList &lines) { m_exclusionLines = lines; }

    const std::string &sysCodePage() const { return m_sysCodePage; }
    const std::string &uiCodePage() const { return m_uiCodePage; }
    const std::string &dbCodePage() const { return m_dbCodePage; }
    int uiConvertMode() const { return m_uiConvertMode; }
    int dataConvertMode() const { return m_dataConvertMode; }
    bool hasTranslator() const { return m_translator != nullptr; }

    // A copy of value with its texts converted (kind 1 or 2, with a
    // translator, value neither empty nor null); arrays of one or two
    // dimensions element by element, nested arrays too; non-texts stay.
    Variant StrTransCode(int kind, const Variant &value) const;
    // StrTransCode for one widget text.
    QString StrTransText(int kind, const QString &text) const;

    Variant ConvertUIString(const Variant &value) const;
    Variant ConvertDataString(const Variant &value) const;
    // The reverse directions; on any error the value comes back unchanged.
    Variant RecoverUIString(const Variant &value) const;
    Variant RecoverDataString(const Variant &value) const;

    std::string GBToBig5(const std::string &text) const;
    std::string Big5ToGB(const std::string &text) const;

    // Sets the interface font "SimSun" on font and returns the character set
    // the mode calls for: 134 (GB2312) for modes 0, 1 and 4, 136 (Big5) for
    // modes 2 and 3. Qt fonts carry no character set, so it is returned.
    static int SetUIFont(int mode, QFont &font);

    // A message box through the prompter, captioned with the owning window's
    // caption (the window is restored first when minimised). An empty text
    // shows nothing and gives mrNone.
    ModalResult KvCodeMessageDlg(const std::string &text, MessageType type, MessageButtons buttons);

    // Converts the texts of a form and of the components it owns by the
    // interface conversion mode; deep also converts tree nodes and table
    // cells. Does nothing when the interface mode is 0.
    void DoTranslate(QWidget *form, const QString &exclusion, bool deep);

private:
    void readSettings();
    void convertVariant(int kind, Variant &value) const;
    std::string convertText(int kind, const std::string &text) const;
    QWidget *owningWindow() const;
    // False when an exclusion line skips the component; otherwise keep
    // receives the properties a line leaves alone.
    bool excludedProperties(QObject *component, QStringList &keep) const;
    void convertPublished(QObject *component, const QStringList &keep,
                          const std::function<QString(const QString &)> &convert) const;

    TDesignType m_designType;
    std::string m_sysCodePage = "936";
    std::string m_uiCodePage = "936";
    std::string m_dbCodePage = "936";
    std::uint8_t m_uiConvertMode = 0;
    std::uint8_t m_dataConvertMode = 0;
    std::unique_ptr<TTranslator> m_translator;
    QStringList m_exclusionLines;
};

} // namespace kv
