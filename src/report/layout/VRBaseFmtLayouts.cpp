// TfrmVRBaseFmt: stored format styles. A style is the window's layout kept
// on the server under (class name, style name) as the differences from the
// built-in layout of its class, in the layout text format. Loading applies
// it whenever a window is created for that name, for printing as well as
// for design; saving writes it back under a version lock. A save that the
// server refuses leaves a local file, which the user can load back, so the
// work of a design session is never lost.
#include "report/layout/VRBaseFmt.h"

#include "controls/BtChkBox.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "platform/Prompter.h"
#include "platform/ResultTable.h"
#include "platform/layoutio/LayoutText.h"
#include "platform/report/Report.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <stdexcept>

namespace kv {

namespace {

constexpr const char *kAlertLog = "VRBASE";
constexpr const char *kNewStyle = "<NEW>";
constexpr const char *kMaxNameLengthSql =
    "select col.length from syscolumns col inner join sysobjects obj on obj.id=col.id "
    "where obj.name = 'WARRANT' AND col.name ='NT002'";

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

bool isNewStyleName(const std::string &name)
{
    return qs(name).trimmed().toUpper() == QLatin1String(kNewStyle);
}

// The component a line of a layout text opens ("object Name: TClass",
// "inherited Name: TClass"): the second blank-separated word before the
// first ":"; empty for other lines.
QString componentOfLine(const QString &line, bool &isObject)
{
    const QString head = line.section(QLatin1Char(':'), 0, 0).trimmed();
    const QStringList words = head.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    isObject = !words.isEmpty() && words.first() == QLatin1String("object");
    if (words.size() < 2 || !line.contains(QLatin1Char(':')) ||
        (words.first() != QLatin1String("object") && words.first() != QLatin1String("inherited")))
        return {};
    return words.at(1);
}

// A number as the version text holds it: 0 when it is none, and 999 (the
// last version) counts as 0 so that versions start at 1 again.
int versionNumber(const std::string &text)
{
    bool ok = false;
    const int number = qs(text).trimmed().toInt(&ok);
    return !ok || number < 0 || number >= 999 ? 0 : number;
}

// The hourglass for the time a save talks to the server.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

struct FormFree {
    void operator()(TfrmVRBaseFmt *form) const
    {
        if (form)
            form->Free();
    }
};
using PristinePtr = std::unique_ptr<TfrmVRBaseFmt, FormFree>;

} // namespace

// ---------------------------------------------------------------- names and files

std::string TfrmVRBaseFmt::LayoutClassName() const
{
    if (!StyleOwner.className.empty())
        return StyleOwner.className;
    QString name = QString::fromLatin1(metaObject()->className());
    const int scope = name.lastIndexOf(QLatin1String("::"));
    return (scope >= 0 ? name.mid(scope + 2) : name).toStdString();
}

TfrmVRBaseFmt *TfrmVRBaseFmt::createPristine(QWidget *owner) const
{
    (void)owner;
    return nullptr;
}

std::string TfrmVRBaseFmt::LocalLayoutFile(const std::string &name) const
{
    std::string prefix = LayoutClassName();
    if (LanguageMode == 1)
        prefix = "CHS_" + prefix;
    else if (LanguageMode == 2)
        prefix = "CHT_" + prefix;
    const std::string trimmed = qs(name).trimmed().toStdString();
    const std::string directory =
        StyleOwner.layoutDirectory.empty() ? ClientRoot + "C_DATA/" : StyleOwner.layoutDirectory;
    return directory + prefix + (trimmed.empty() ? std::string() : "_" + trimmed) + ".dat";
}

void TfrmVRBaseFmt::SetBackgroundFile()
{
    if (LanguageMode != 1 && LanguageMode != 2)
        return;
    const QString upper = qs(LayoutClassName()).toUpper();
    const int from = upper.indexOf(QLatin1String("FRM"));
    const int fmt = upper.lastIndexOf(QLatin1String("FMT"));
    const QString code = from >= 0 && fmt > from ? upper.mid(from + 3, fmt - from - 3) : QString();
    const QString variant = fmt >= 0 ? upper.mid(fmt + 3) : QString();
    QString letter;
    if (QuickRep1->pageStyle() == Report::qrHalfPage)
        letter = QStringLiteral("H");
    else if (QuickRep1->pageStyle() == Report::qrFullPage)
        letter = QStringLiteral("F");
    BackgroundFile = ClientRoot + "C_DATA/" + (LanguageMode == 1 ? "CHS_" : "CHT_") +
                     (code + letter + variant).toStdString() + ".emf";
}

namespace {

// The page picture of the layout, when there is one; a picture the report
// cannot read leaves the page without one.
void loadBackground(Report &report, const std::string &file)
{
    if (file.empty() || !QFileInfo::exists(qs(file)))
        return;
    try {
        report.loadPagePicture(qs(file));
    } catch (const std::exception &error) {
        WriteToAlertFile(kAlertLog, "Page picture " + file + " not loaded: " + error.what(), "D");
    }
}

} // namespace

// ---------------------------------------------------------------- loading

void TfrmVRBaseFmt::ApplyLayoutName(const std::string &name)
{
    LayoutName = name;
    DreamDesigner1LoadChanges();
}

bool TfrmVRBaseFmt::FindLayout(const std::string &className, const std::string &name, std::string &version,
                               std::string &text)
{
    Variant key = toDb(varArrayOf({className, name}));
    Variant stored;
    const Variant result = ProgramServer()->call("GetBlobField", {key, Variant::ref(stored)});
    if (result.toInt() <= 0 || !stored.isArray())
        return false;
    const VariantArray &values = stored.array();
    const auto at = [&](int index) {
        const int position = values.lowBound() + index;
        return position <= values.highBound() ? varToStr(values.at(position)) : std::string();
    };
    version = at(0);
    text = at(1);
    return true;
}

namespace {

// The components an "object" block of text would create: those not yet
// below root. A whole layout text names the built-in ones with "object"
// as well, and they are not the user's.
QStringList newComponentsOf(const QObject &root, const QString &text)
{
    QStringList names;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        bool isObject = false;
        const QString name = componentOfLine(line, isObject);
        if (isObject && !name.isEmpty() && name != root.objectName() && !root.findChild<QObject *>(name))
            names << name;
    }
    return names;
}

} // namespace

void TfrmVRBaseFmt::recordUserComponents(const QStringList &candidates)
{
    for (const QString &name : candidates) {
        if (findChild<QObject *>(name) && !UserComponents.contains(name, Qt::CaseInsensitive))
            UserComponents << name;
    }
}

bool TfrmVRBaseFmt::ApplyLayoutText(const std::string &text, std::vector<std::string> &problems)
{
    const QStringList created = newComponentsOf(*this, qs(text));
    std::vector<LayoutProblem> found;
    const bool read = LayoutText::Read(*this, text, found);
    recordUserComponents(created);
    for (const LayoutProblem &problem : found) {
        const std::string entry = "line " + std::to_string(problem.line) + ": " + problem.message;
        WriteToAlertFile(kAlertLog, LayoutClassName() + " layout " + LayoutName + ", " + entry, "D");
        problems.push_back(entry);
    }
    return read;
}

void TfrmVRBaseFmt::DreamDesigner1LoadChanges()
{
    try {
        SetBackgroundFile();
        if (LanguageMode == 1 || LanguageMode == 2)
            loadBackground(*QuickRep1, BackgroundFile);
        std::string version;
        std::string stored;
        // "<New>" stands for the built-in layout and is never stored.
        if (isNewStyleName(LayoutName) || !FindLayout(LayoutClassName(), LayoutName, version, stored))
            return;
        std::string text;
        try {
            text = varToStr(fromDb(Variant(stored)));
            if (LanguageMode == 2 || KvConverter()->uiCodePage() == "950")
                text = qs(text)
                           .replace(QLatin1String("GB2312_CHARSET"), QLatin1String("CHINESEBIG5_CHARSET"))
                           .toStdString();
        } catch (const std::exception &error) {
            Prompter::current()->messageBox(displayText("Open Standard DFM error!! ") + error.what(), "Open Error",
                                            MessageType::Error, MessageButton::OK, MessageButton::OK);
            return;
        }
        std::vector<std::string> problems;
        // A text without a single usable line is no layout: the built-in
        // one stays, as for a missing style.
        if (!ApplyLayoutText(text, problems))
            return;
        if (!problems.empty()) {
            std::string listed;
            for (const std::string &problem : problems)
                listed += (listed.empty() ? "" : "\n") + problem;
            Prompter::current()->messageBox(displayText("Can not read DFM data !!  ") + listed, "Open Error",
                                            MessageType::Error, MessageButton::OK, MessageButton::OK);
        }
        if (isDesignActive() && SQLReBuilder->isEnabled() && !SQLBuilderEmpty() && StyleOwner.sqlParts) {
            const SqlParts parts = StyleOwner.sqlParts();
            if (CheckSQLBuilder(parts, false)) {
                ResetSQLBuilder(parts, false, false);
                FixSQLByWizard();
            }
        }
        if (!isDesignActive())
            hide();
    } catch (const std::exception &error) {
        // A style that cannot be fetched never stops a run: the built-in
        // layout prints.
        WriteToAlertFile(kAlertLog, "Layout " + LayoutName + " of " + LayoutClassName() + " not loaded: " + error.what(),
                         "D");
    }
}

// ---------------------------------------------------------------- names

void TfrmVRBaseFmt::ReadMaxNameLength()
{
    MaxNameLength = 0;
    try {
        const Variant packet = ProgramServer()->call("SimpleSql", {Variant(std::string(kMaxNameLengthSql))});
        const ResultTable table = ResultTable::fromDataPacket(varToStr(packet));
        const int column = table.columnIndex("length");
        if (table.rowCount() > 0 && column >= 0)
            MaxNameLength = int(table.integer(0, column));
    } catch (const std::exception &error) {
        WriteToAlertFile(kAlertLog, std::string("The length of layout names is unknown: ") + error.what(), "D");
        MaxNameLength = 0;
    }
}

bool TfrmVRBaseFmt::AskLayoutName(const std::string &caption, const std::string &prompt, std::string &name)
{
    const bool traditional = KvConverter()->uiCodePage() == "950";
    const std::string shownCaption = traditional ? displayText(caption) : caption;
    const std::string shownPrompt = traditional ? displayText(prompt) : prompt;
    std::string entry = varToStr(fromDb(Variant(LayoutName)));
    for (;;) {
        if (!Prompter::current()->inputQuery(shownCaption, shownPrompt, entry))
            return false;
        const std::string stored = varToStr(toDb(Variant(entry)));
        const QString text = qs(stored);
        if (text.size() > MaxNameLength) {
            ShowMessage(QString::fromStdString(FmtText("NameLengthError", "自定单据格式名称不可大于 %d 码"))
                            .replace(QLatin1String("%d"), QString::number(MaxNameLength))
                            .toStdString(),
                        MessageType::Warning, MessageButton::OK);
            continue;
        }
        if (text.compare(QLatin1String(kNewStyle), Qt::CaseInsensitive) == 0) {
            ShowMessage(FmtText("PlsNewName", "请输入一个新的凭证格式档名称"), MessageType::Warning, MessageButton::OK);
            continue;
        }
        if (!text.isEmpty()) {
            name = stored;
            return true;
        }
        if (ShowMessage(FmtText("NameIsBlank", "当前的凭证格式档名称为空白，是否继续保存？"), MessageType::Confirmation,
                        MessageButton::Yes | MessageButton::No) == mrYes) {
            name.clear();
            return true;
        }
    }
}

// ---------------------------------------------------------------- option state

void TfrmVRBaseFmt::GetOptionState(std::string &result)
{
    result.clear();
    QWidget *owner = parentWidget();
    const QString entries = qs(StyleOwner.optionStateControls);
    if (!owner || !SQLReBuilder->isEnabled() || entries.trimmed().isEmpty())
        return;
    QStringList lines;
    for (const QString &raw : entries.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString entry = raw.trimmed();
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (entry.isEmpty() || name.isEmpty())
            continue;
        const auto *control = owner->findChild<QWidget *>(name);
        if (!control)
            continue;
        QString value;
        if (const auto *combo = qobject_cast<const QComboBox *>(control))
            value = QString::number(combo->currentIndex());
        else if (const auto *check = qobject_cast<const TBitCheckBox *>(control))
            value = check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        else if (const auto *button = qobject_cast<const QAbstractButton *>(control); button && button->isCheckable())
            value = button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        else if (const QVariant index = control->property("ItemIndex"); index.isValid())
            value = QString::number(index.toInt());
        if (!value.isEmpty())
            lines << entry + QLatin1Char('=') + value;
    }
    result = lines.join(QLatin1Char('\n')).toStdString();
}

// ---------------------------------------------------------------- saving

std::string TfrmVRBaseFmt::StoredLayoutText()
{
    PristinePtr pristine(createPristine(parentWidget()));
    if (!pristine)
        throw std::runtime_error(LayoutClassName() + " cannot create its built-in layout, so its layout cannot be stored");
    if (std::string(pristine->metaObject()->className()) != metaObject()->className())
        throw std::runtime_error(LayoutClassName() + " creates a " + pristine->LayoutClassName() +
                                 " as its built-in layout, so its layout cannot be stored");
    const std::string differences = GetMyNeedProp(LayoutText::WriteDifferences(*this, *pristine));
    // Components the user added are created again when the style loads.
    QStringList lines = qs(differences).split(QLatin1Char('\n'));
    for (QString &line : lines) {
        bool isObject = false;
        const QString name = componentOfLine(line, isObject);
        if (!isObject && !name.isEmpty() && UserComponents.contains(name, Qt::CaseInsensitive))
            line.replace(line.indexOf(QLatin1String("inherited")), 9, QStringLiteral("object"));
    }
    return lines.join(QLatin1Char('\n')).toStdString();
}

bool TfrmVRBaseFmt::SaveLocalLayout(const std::string &name)
{
    // In design mode the window is the designer's view and stays.
    if (!isDesignActive())
        hide();
    const std::string file = LocalLayoutFile(name);
    std::string error;
    bool saved = false;
    try {
        PristinePtr pristine(createPristine(parentWidget()));
        if (pristine && std::string(pristine->metaObject()->className()) != metaObject()->className())
            pristine.reset();
        saved = SaveMyFormToFile(*this, pristine.get(), qs(file), error);
    } catch (const std::exception &fault) {
        error = fault.what();
    }
    if (saved)
        return true;
    WriteToAlertFile(kAlertLog, "Local layout file " + file + " not written: " + error, "D");
    ShowMessage(FmtText("SaveLocalError", "保存本地文件失败，请检查自定义凭证路径是否存在或是否有权限写入!"),
                MessageType::Warning, MessageButton::OK);
    SaveAccepted = false;
    return false;
}

void TfrmVRBaseFmt::SaveLayout(const std::string &className, const std::string &name)
{
    const auto refuse = [&](const std::string &key, const std::string &text) {
        ShowMessage(FmtText(key, text), MessageType::Warning, MessageButton::OK);
        SaveLocalLayout(name);
        SaveAccepted = false;
    };
    std::string storedVersion;
    std::string storedText;
    const bool update = FindLayout(className, name, storedVersion, storedText);
    std::string newVersion;
    if (update) {
        const std::string question =
            qs(FmtText("FormatExists", "该格式档[%s]已经存在，你是否想要继续保存呢?"))
                .replace(QLatin1String("%s"), qs(varToStr(fromDb(Variant(name)))))
                .toStdString();
        if (ShowMessage(question, MessageType::Warning, MessageButton::Yes | MessageButton::No) != mrYes) {
            SaveAccepted = false;
            return;
        }
        const int version = versionNumber(storedVersion);
        Variant lock = toDb(varArrayOf({version, storedVersion, className, name}));
        if (ProgramServer()->call("RunUpdFlagSQL", {lock}).toInt() < 0) {
            refuse("FormatLockError", "锁定格式档失败，请重新编辑保存！！");
            return;
        }
        newVersion = std::to_string(version + 1);
    }

    WaitCursor wait;
    const std::string text = StoredLayoutText();
    const int sizeKb = int(text.size() / 1024);
    std::vector<Variant> lines;
    for (const QString &line : qs(text).split(QLatin1Char('\n'))) {
        const std::string stored = varToStr(toDb(Variant(line.toStdString())));
        lines.emplace_back(qs(stored)
                               .replace(QLatin1String("CHINESEBIG5_CHARSET"), QLatin1String("GB2312_CHARSET"))
                               .toStdString());
    }
    std::string optionState;
    GetOptionState(optionState);
    TfrmBaseGene *owner = ownerWindow();
    const std::string company = owner ? owner->CompanyID : CompanyID;
    const std::string user = owner ? owner->UserID : UserID;
    // The module knows no user groups; the column stays empty as in the
    // send log.
    const std::string userGroup;
    Variant header = toDb(update ? varArrayOf({company, user, "", newVersion, className, name, optionState})
                                 : varArrayOf({company, user, userGroup, className, name, "", optionState}));
    Variant linesArg = varArrayOf(std::move(lines));
    Variant size = sizeKb;
    const int result =
        ProgramServer()->call("RunInsUpdSQL", {Variant(update ? -1 : 0), linesArg, header, Variant::ref(size)}).toInt();
    if (result < 0) {
        if (update)
            refuse("RefreshFormatError", "更新格式档失败，请重新编辑保存！！");
        else
            refuse("SaveFormatError", "保存格式档失败，请重新编辑保存！！");
        return;
    }
    if (!update && StyleOwner.styleAdded)
        StyleOwner.styleAdded(varToStr(fromDb(Variant(name))));
}

namespace {

// The outcome of one save as the designer and the menu need it.
enum class SaveOutcome { Declined, Aborted, Saved };

} // namespace

// Both the designer's question on switching off and the menu's save run
// this; only the former hides the window (design mode ends there).
static SaveOutcome saveStyle(TfrmVRBaseFmt &window, bool closing, const std::function<void()> &hideWindow)
{
    window.SaveAccepted = true;
    window.SaveDone = false;
    if (window.ShowMessage(window.FmtText("EnssureSave", "你是否想要保存呢?"), MessageType::Warning,
                           MessageButton::Yes | MessageButton::No) != mrYes)
        return SaveOutcome::Declined;
    if (closing)
        hideWindow();
    std::string name = window.LayoutName;
    if (isNewStyleName(window.LayoutName)) {
        if (!window.AskLayoutName(window.FmtText("SaveFormat", "保存凭证格式档"),
                                  window.FmtText("SaveFormatName", "凭证格式档名称"), name) ||
            isNewStyleName(name)) {
            window.SaveAccepted = false;
            return SaveOutcome::Aborted;
        }
    }
    try {
        window.SaveLayout(window.LayoutClassName(), name);
    } catch (const std::exception &error) {
        WriteToAlertFile(kAlertLog, "Layout " + name + " not saved: " + error.what(), "D");
        window.ShowMessage(window.FmtText("SaveFormatError", "保存失败，请检查数据库的设置是否有错!"),
                           MessageType::Warning, MessageButton::OK);
        // The design work is kept all the same.
        window.SaveLocalLayout(name);
        window.SaveAccepted = false;
        return SaveOutcome::Aborted;
    }
    if (!window.SaveAccepted)
        return SaveOutcome::Aborted;
    window.LayoutName = name;
    window.SaveDone = true;
    return SaveOutcome::Saved;
}

bool TfrmVRBaseFmt::DreamDesigner1SaveChanges()
{
    // Declined: the designer goes off without storing; aborted: it stays,
    // and so must its window, or the user could neither go on designing
    // nor reach the condition window, which waits disabled.
    bool hidden = false;
    const SaveOutcome outcome = saveStyle(*this, true, [this, &hidden] {
        hidden = isVisible();
        hide();
    });
    if (outcome == SaveOutcome::Aborted && hidden)
        show();
    return outcome != SaveOutcome::Aborted;
}

void TfrmVRBaseFmt::nuSaveClick()
{
    if (saveStyle(*this, false, {}) == SaveOutcome::Saved)
        ShowMessage(FmtText("SaveFormatDone", "保存格式档成功，当前的格式档名称变为：") +
                        varToStr(fromDb(Variant(LayoutName))),
                    MessageType::Information, MessageButton::OK);
}

void TfrmVRBaseFmt::nuSaveAsClick()
{
    SaveAccepted = true;
    SaveDone = false;
    std::string name;
    if (!AskLayoutName(FmtText("SaveFormat", "保存凭证格式档"), FmtText("SaveFormatName", "凭证格式档名称"), name) ||
        isNewStyleName(name)) {
        SaveAccepted = false;
        return;
    }
    try {
        SaveLayout(LayoutClassName(), name);
    } catch (const std::exception &error) {
        WriteToAlertFile(kAlertLog, "Layout " + name + " not saved: " + error.what(), "D");
        ShowMessage(FmtText("SaveFormatError", "保存失败，请检查数据库的设置是否有错!"), MessageType::Warning,
                    MessageButton::OK);
        SaveLocalLayout(name);
        SaveAccepted = false;
        return;
    }
    if (!SaveAccepted)
        return;
    LayoutName = name;
    SaveDone = true;
    ShowMessage(FmtText("SaveAsFormatDone", "另存格式档成功，当前的格式档名称变为：") +
                    varToStr(fromDb(Variant(LayoutName))),
                MessageType::Information, MessageButton::OK);
}

void TfrmVRBaseFmt::nuSaveLocClick()
{
    SaveLocalLayout(LayoutName);
}

void TfrmVRBaseFmt::nuLoadLocClick()
{
    try {
        if (ShowMessage(FmtText("LoadLocal", "是否加载上次保存失败时的修改!"), MessageType::Confirmation,
                        MessageButton::Yes | MessageButton::No) == mrNo)
            return;
        SetBackgroundFile();
        if (LanguageMode == 1 || LanguageMode == 2)
            loadBackground(*QuickRep1, BackgroundFile);
        std::string name;
        if (!AskLayoutName(FmtText("LoadLocalFormat", "加载本地凭证格式档"), FmtText("SaveFormatName", "凭证格式档名称"),
                           name))
            return;
        const std::string file = LocalLayoutFile(name);
        // The components the file creates are the user's, as for a stored style.
        QStringList created;
        QFile source(qs(file));
        if (source.open(QIODevice::ReadOnly))
            created = newComponentsOf(*this, QString::fromUtf8(source.readAll()));
        std::vector<LayoutProblem> problems;
        std::string error;
        if (!LoadMyFormFromFile(*this, qs(file), problems, error))
            WriteToAlertFile(kAlertLog, "Local layout file " + file + " not loaded: " + error, "D");
        recordUserComponents(created);
        for (const LayoutProblem &problem : problems)
            WriteToAlertFile(kAlertLog, file + ", line " + std::to_string(problem.line) + ": " + problem.message, "D");
        // In design mode the window is the designer's view and stays.
        if (!isDesignActive())
            hide();
    } catch (const std::exception &error) {
        WriteToAlertFile(kAlertLog, std::string("Local layout not loaded: ") + error.what(), "D");
    }
}

// ---------------------------------------------------------------- keys

void TfrmVRBaseFmt::FormKeyDown(KeyEventArgs &args)
{
    const Qt::KeyboardModifiers shift =
        args.shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool ctrlAlt = shift == (Qt::ControlModifier | Qt::AltModifier);
    const bool ctrl = shift == Qt::ControlModifier;
    // Qt key codes of letters are the upper-case characters whatever the
    // case typed; a lower-case code is accepted all the same.
    const int key = args.key >= 'a' && args.key <= 'z' ? args.key - 'a' + 'A' : args.key;
    if (ctrlAlt && key == Qt::Key_L) {
        args.key = 0;
        nuLoadLocClick();
    } else if (ctrl && key == Qt::Key_S) {
        args.key = 0;
        nuSaveClick();
    } else if (ctrl && key == Qt::Key_N) {
        args.key = 0;
        nuSaveAsClick();
    }
}

} // namespace kv
