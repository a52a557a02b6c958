#pragma once
// TfrmBaseGene: the base of every program window of the module (the report
// condition windows derive from it). It holds the start-up context the host
// hands over (user, company, company database, host window), derives the
// program code from the module's file name, obtains the server objects
// through the host's automation object, keeps the company's system
// settings, reports coded messages, handles the keyboard conventions of all
// program windows, and manages the user's saved condition sets ("条件方案")
// in the list on its left side.
//
// The host controller creates the window hidden and without owner
// (TKVForm::Create<T>()), calls SetModuleFileName, copies the host's
// automation object into HostApp and calls OpenWindow with the host's
// parameter array. The window frees itself when it is closed.

#include "base/KVForm.h"
#include "base/ListView.h"
#include "platform/Dispatch.h"
#include "platform/Prompter.h"
#include "platform/Variant.h"

#include <QList>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QSplitter;
class QWidget;

namespace kv {

class ClientDataSet;
class ConditionValueCodec;
class DateDisplay;
class TDataLabel;
class TF2Button;
class TImageList;
class TKovMaskEdit;
class TKvBitBtn;
class TKvLabel;
class TKvMenuItem;
class TKvPageControl;
class TKvPanel;
class TKvPopupMenu;
class TKvTabSheet;
class TKvToolBar;
class TKvToolButton;
class TSelectPanel;
class TSimpleObjectBroker;
class TSocketConnection;

class TfrmBaseGene : public TKVForm {
    Q_OBJECT
    // Checks run on the window's date, year-month and required inputs; the
    // sender of each call is the control. Set to the window's own checks at
    // creation.
    Q_PROPERTY(kv::EventHandler OnDateFieldEnter READ onDateFieldEnter WRITE setOnDateFieldEnter)
    Q_PROPERTY(kv::EventHandler OnDateFieldExit READ onDateFieldExit WRITE setOnDateFieldExit)
    Q_PROPERTY(kv::EventHandler OnRequiredExit READ onRequiredExit WRITE setOnRequiredExit)
    Q_PROPERTY(bool WantLog READ wantLog WRITE setWantLog)

public:
    // System settings cache: (name, value) in the order the server sent them.
    using SettingList = std::vector<std::pair<std::string, std::string>>;

    explicit TfrmBaseGene(QWidget *parent = nullptr);
    ~TfrmBaseGene() override;

    // --- components (object names are the member names)
    TKvPanel *pnlCondition = nullptr;
    TKvLabel *lblCondition = nullptr;
    TKvToolBar *ToolBar1 = nullptr;
    TKvToolButton *btnInsert = nullptr;
    TKvToolButton *btnOpen = nullptr;
    TKvToolButton *btnDelete = nullptr;
    TKvToolButton *ToolButton1 = nullptr;
    TListView *lstCondition = nullptr;
    TKvPopupMenu *muOperation = nullptr;
    TKvMenuItem *N2 = nullptr;
    TKvMenuItem *N3 = nullptr;
    TKvPopupMenu *mnList = nullptr;
    TKvMenuItem *N7 = nullptr;
    TKvMenuItem *N8 = nullptr;
    TKvMenuItem *N9 = nullptr;
    TKvMenuItem *N10 = nullptr;
    QSplitter *Splitter1 = nullptr;
    TKvPageControl *pgOption = nullptr;
    TKvTabSheet *tsOption1 = nullptr;
    TKvTabSheet *tsOption2 = nullptr;
    TDataLabel *lblToday = nullptr;
    TKovMaskEdit *edPrintDate = nullptr;
    TF2Button *btnPrintDate = nullptr;
    TKvPanel *Panel1 = nullptr;
    TKvBitBtn *btnOk = nullptr;
    TKvBitBtn *btnCancel = nullptr;
    TSocketConnection *MainMidas = nullptr;
    TSimpleObjectBroker *ObjBroker = nullptr;
    ClientDataSet *ClientDataSet1 = nullptr;
    TImageList *ImageList1 = nullptr;
    TImageList *ImageList2 = nullptr;

    // --- state
    Variant HostApp;
    Variant CounterServer;
    Variant ValidatorServer;
    Variant F2Server;
    Variant ProgramServer;
    std::string UserID;
    std::string CompanyID;
    std::string CompanyDB;
    std::int64_t HostWindow = 0;
    Variant HostOptions;
    std::string ModuleFileName;
    std::string ProgramCode;
    std::string ServerClassName;
    std::string ProgramName;
    std::string VersionStamp = "870401-0.00.00";
    std::string CaptionTag;
    SettingList SysInfo;
    int DateKind = 1;
    std::string DateSep = "/";
    int EnvCount = 9;
    int OptionCount = 0;
    int FirstOption = 1;
    std::uint8_t F2Flags = 0;
    std::string DateFields = "edPrintDate";
    std::string MonthFields;
    QList<QPointer<QWidget>> PageEndControls;
    std::string ErrorCodes;
    std::string ErrorTexts;
    bool InputInvalid = false;
    QPointer<QWidget> LastFocused;
    bool ChangingPage = false;
    Variant ConditionPackage;
    bool ByName = true;
    bool AutoRun = false;
    int ProductID = 3;
    int VersionType = 0;
    std::string RightsLimits;
    // The user's rights string (one character per right, "Y" granting it).
    std::string RightsString;
    bool LocalServer = false;
    std::string ConditionSetName;
    QStringList RelativeDates;
    // Handed to the controller when the window is destroyed; the base never
    // changes them.
    int ResultCode = 0;
    Variant ResultValue;

    // --- operations the controller calls
    // Stores ModuleFileName. A module that is not a library (".so" or
    // ".dll", case ignored) opens itself with a fixed test context.
    void SetModuleFileName(const std::string &path);
    // Start-up with the host's parameter array [user, company, company
    // database, host window (optional), host options]. False when the window
    // could not open (it has reported why and closes itself), or when it was
    // opened before.
    virtual bool OpenWindow(const Variant &params);
    // The controller's condition package; element 1 is [mode, [by name,
    // values]].
    void ApplyConditions(const Variant &package);

    // --- virtual operations in slot order
    virtual void ArrangeSystemPage();
    // Result [0] environment, [1] option captions, [2] option values.
    virtual bool BuildRunParameters(Variant &params);
    virtual void DefineProgram();
    virtual void PickPhrase(QWidget *control);
    virtual void SetRequiredInputs(const std::string &spec);
    // Runs the program's server-side library (see ServerProgramRunner).
    virtual bool RunServerProgram(const std::string &runMode, const std::vector<std::string> &texts,
                                  const Variant &value, int number);
    virtual void HookFieldConversion();
    virtual void InitServers();
    virtual void ExtensionHook1() {}
    virtual bool GetOptionValues(Variant &values, int offset);
    virtual bool ApplyConditionValues(const Variant &values);
    virtual void ExtensionHook2() {}
    virtual bool GetEnvironment(Variant &env, int count);
    virtual bool GetOptionCaptions(Variant &captions, int offset);
    virtual void AfterRights() {}
    // The reply of F2GetData for a lookup; unassigned without F2Server.
    virtual Variant LookupF2(const std::string &lookupName, const std::string &keyText, const Variant &conditions,
                             bool option, const std::string &text);
    virtual void AfterConnect(TSocketConnection *connection) { (void)connection; }
    virtual bool SaveConditionSet(const std::string &specs, const std::string &name, bool replace);
    // The save button's dialog (TfrmGeneCondition): asks for the name and
    // the date settings, then saves the specs under that name and reloads
    // the list. dateFields is DateFields in the order the dialog lists
    // them; its last skipCount names get no date setting. False when
    // cancelled or when the save failed.
    bool SaveConditionSetAs(const std::string &specs, const std::string &dateFields, int skipCount);
    virtual bool RestoreConditionSet(const std::string &specs, const std::string &values);
    virtual bool LoadConditionSets();
    virtual bool AfterConditionSetOpened() { return true; }
    virtual bool RunExternalMode(int mode) { (void)mode; return true; }
    virtual void BeforeRestoreValue(QWidget *control, const std::string &value) { (void)control, (void)value; }
    virtual void AfterRestoreValue(QWidget *control, const std::string &value) { (void)control, (void)value; }
    // The F2 action on a control.
    virtual void DoF2(int key, QWidget *control);
    virtual void GetCounterAndValidator();
    virtual void GetF2Server();

    // --- messages
    // Records a coded message ("E;000038;arg;...") and shows it when its
    // number is positive; an empty code clears ErrorCodes and ErrorTexts.
    void ReportMessage(const std::string &code);
    // Records a plain text as "E;-1" without showing it; empty clears.
    void ReportText(const std::string &text);
    int ShowCodedMessage(const std::string &kind, const std::string &number, int buttonOverride,
                         const std::vector<Variant> &args);
    int ShowMessageBox(const std::string &text, MessageType type, MessageButtons buttons);
    // HostApp.GetMessage (kind, number) in the interface code page.
    std::string GetMessageText(const std::string &kind, const std::string &number);
    // A localised text of this window (section "TfrmBaseGene").
    std::string BaseText(const std::string &key, const std::string &defaultText) const;

    // --- settings, lookups, counters
    // A system setting; an empty name (re)loads the cache.
    std::string GetSysValue(const std::string &name);
    bool CheckCode(const std::string &table, const std::string &key, bool query, Variant &result,
                   const Variant &args);
    Variant GetCounterValue(const std::string &name, const Variant &value);
    // Replaces the text by the date (or year-month) picked in the host's
    // calendar; an empty reply keeps it.
    void PickDate(QString &text, bool asDate);
    // The rights data of PowerData: sets RightsString and RightsLimits, then
    // AfterRights().
    void ParseRights(const Variant &rightsData);

    // --- server link
    bool PrepareConnection(TSocketConnection *connection);
    bool ConnectProgramServer();
    // SQL for a client data set's command text: every "$$" (any case) becomes
    // CompanyDB + "..".
    std::string ResolveTablePrefix(const std::string &sql) const;

    // --- dates
    QString DateMask() const;
    QString MonthMask() const;
    QString BlankDate() const;
    QString BlankMonth() const;
    // A shown date in the stored form "YYYYMMDD" (empty when not a date).
    std::string StoredDate(const QString &shown) const;
    // A stored "YYYYMMDD" in the window's date display.
    QString ShownDate(const std::string &stored) const;
    // Year-month: stored "YYYYMM" and shown form.
    std::string StoredMonth(const QString &shown) const;
    QString ShownMonth(const std::string &stored) const;
    // Sets up (setup) or validates the date inputs of a control: a range
    // selection panel, a mask edit or an edit. False with code "E;000005"
    // for an invalid date (the input is focused).
    bool CheckDateInput(QWidget *control, bool setup, std::string *code = nullptr);
    bool CheckMonthInput(QWidget *control, bool setup, std::string *code = nullptr);
    void AddDateField(const std::string &name);
    void AddMonthField(const std::string &name);
    // Validates every input of DateFields and MonthFields but the print
    // date (its packing reports it, "E;000030"); at the first
    // wrong one its page comes to the front, it is focused, InputInvalid is
    // set, "E;000005" is reported and the result is false. A run checks
    // them first.
    bool CheckDateFields();

    // --- required inputs
    // True when an input named in the list is empty (it is reported and focused).
    bool CheckRequired(const std::string &spec);
    bool CheckRequired() { return CheckRequired(m_requiredSpec); }
    const std::string &requiredSpec() const { return m_requiredSpec; }
    static QColor requiredColor() { return QColor(0xFF, 0xFF, 0xAF); }

    // Names of buttons whose click runs the required check first (btnOk,
    // btnQuery, btnDesign and, when it exists, btnPeriod are wrapped at open).
    void WrapClicks(const QStringList &buttonNames);

    // Descendants raise their option count in DefineProgram.
    void SetOptionCount(int count);

    bool wantLog() const { return m_wantLog; }
    void setWantLog(bool on) { m_wantLog = on; }
    EventHandler onDateFieldEnter() const { return m_onDateFieldEnter; }
    void setOnDateFieldEnter(const EventHandler &handler) { m_onDateFieldEnter = handler; }
    EventHandler onDateFieldExit() const { return m_onDateFieldExit; }
    void setOnDateFieldExit(const EventHandler &handler) { m_onDateFieldExit = handler; }
    EventHandler onRequiredExit() const { return m_onRequiredExit; }
    void setOnRequiredExit(const EventHandler &handler) { m_onRequiredExit = handler; }

    // True when the comma-separated list names the component (any case).
    static bool listContainsName(const std::string &commaList, const QString &name);

    // The caption: ProgramName [+ "[" CaptionTag "]"].
    void UpdateCaption();

public slots:
    // --- handlers of the form's components
    virtual void btnOkClick() {}
    virtual void btnCancelClick();
    virtual void btnInsertClick();
    void btnOpenClick();
    void btnDeleteClick();
    void ToolButton1Click();
    void ViewIconExecute();
    void ViewSmallIconExecute();
    void ViewListExecute();
    void ViewReportExecute();
    void pgOptionChange();
    // True when the page may change.
    bool pgOptionChanging();
    void tsOption2Show();

protected:
    // The F2Flags bit that asks for the F2 server (lookups, calendar, phrases).
    static constexpr std::uint8_t kF2ServerFlag = 4;

    void FormCreate() override;
    void FormShow() override;
    void FormClose(TCloseAction &action) override;
    void FormDestroy() override;
    void FormResize() override;
    void FormKeyDown(KeyEventArgs &args) override;
    void FormKeyPress(KeyPressArgs &args) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The exit checks of a control leaving the focus: date, year-month and
    // required. Sets InputInvalid.
    virtual void FieldExit(QWidget *control);
    // The window's own handlers of OnDateFieldEnter, OnDateFieldExit and
    // OnRequiredExit.
    virtual void DateFieldEnter(QObject *sender);
    virtual void DateFieldExit(QObject *sender);
    virtual void RequiredExit(QObject *sender);
    // Applies a condition package by component names: [names, values].
    virtual bool ApplyConditionsByName(const Variant &content);
    // Posts a close request to the window.
    void PostClose();
    // A handler that runs body and shows what it raises in an error box.
    EventHandler action(const char *name, std::function<void()> body);
    // The date display of the current DateKind and DateSep.
    DateDisplay dateDisplay() const;
    ConditionValueCodec conditionCodec() const;
    // The input a widget belongs to: its selection panel, or itself.
    QWidget *logicalInput(QWidget *widget) const;

private:
    void buildComponents();
    void buildConditionPanel();
    void buildOptionPages();
    void buildButtonPanel();
    void buildNonVisual();
    void wireHandlers();
    void focusChanged(QWidget *old, QWidget *now);
    void lstConditionEdited(TListView::EditedArgs &args);
    void setConditionColumns();
    void setViewStyle(int style, TKvMenuItem *item);
    void callHelp();
    void showModuleProperties();
    void moveToPage(bool forward);
    bool enterInGrid(QWidget *focused);
    bool memoKeepsLineBreak(QWidget *focused) const;
    bool isPageEndControl(QWidget *focused) const;
    bool cancelFocused() const;
    void readProgramName();
    void readDateSettings();
    void reloadSysInfo();
    void hookFields(ClientDataSet *dataSet);
    void recordInputColours();
    void restoreRequiredColours();
    void colourRequired(const std::string &spec);
    QString colourKey(QWidget *input) const;
    static void SetColorOf(QWidget *input, const QColor &color);
    bool requiredCheckBlocks(QObject *button);
    bool checkDateEdits(QWidget *control, bool setup, std::string *code, bool asDate);
    bool swallowsRefusedClick(QObject *watched, QEvent *event);
    // Brings the page of pgOption that holds the input to the front.
    void showPageOf(QWidget *input);
    bool checkOptionArray(const Variant &array, int count, const char *key, const char *defaultText);
    void applyValueByName(QObject *component, const Variant &value);
    void applyPanelValue(TSelectPanel *panel, const Variant &value,
                         const std::function<QString(const Variant &)> &shown);
    Variant toDb(const Variant &value) const;
    Variant fromDb(const Variant &value) const;

    bool m_wantLog = false;
    bool m_systemPageArranged = false;
    bool m_inExitCheck = false;
    // Why the last condition set could not be stored (the server's reply).
    std::string m_conditionSetError;
    bool m_running = false;
    std::string m_requiredSpec;
    // name=colour of every input at open, to undo required highlighting.
    std::vector<std::pair<QString, QColor>> m_inputColours;
    EventHandler m_onDateFieldEnter;
    EventHandler m_onDateFieldExit;
    EventHandler m_onRequiredExit;
    QMetaObject::Connection m_focusConnection;
    // The widget a mouse press tried to focus while the exit check of the
    // focused input failed; its press and release are swallowed.
    QPointer<QWidget> m_refusedFocus;
};

} // namespace kv
