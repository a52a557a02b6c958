#pragma once
// TfrmVRBaseOpt: the framework of every report condition window, on top of
// the program window base. It adds what every printed report needs: the
// system-option and fax/e-mail pages, the report SQL kept as six parts, the
// data-permission filter, the layout window of one run (print, preview,
// picture export), printer set-up and paper information.
//
// How a report builds its SQL (the contract with descendants):
//   1. BuildQuery(mode, values or key, sql) fills the six parts through the
//      setters (SetSelect ... SetSQLTail) and may answer a SQL text in `sql`.
//      The base only takes the send-status condition from the options.
//   2. FinishWhere() adds the send-status condition and the data-permission
//      filter to WherePart. The base answers an empty text; a report's
//      override runs the base and answers its final SQL text, assembled from
//      the parts. A run uses the text FinishWhere answers, and the text
//      BuildQuery answered when FinishWhere answers an empty one.
//   3. A run from conditions (RunReport) then passes the SQL through the
//      data-permission rewrite when ApplyPermission is set; runs by key do not.
//
// Layout windows: CreateLayout makes a window of LayoutClass owned by this
// one, applies the chosen format style, opens the data and keeps it only
// when it holds rows; PrintOrPreview prints or previews it and frees it.
// btnDesignClick opens a layout window in design mode (this window is
// disabled until the designer is switched off, CloseLayoutWindow).
//
// Runs without a user (erp-host) set two environment variables:
//   QIPR07_LAYOUT_STYLE  the format style a run's layout window is created
//                        with, instead of the one cboFormStyleName shows;
//   QIPR07_DUMP_LAYOUT   a file that receives the layout text of a run's
//                        layout window once the style is applied.

#include "base/BaseGene.h"
#include "controls/KovMaskEdit.h"
#include "report/options/LayoutClass.h"

#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <string>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace kv {

class TGSpeedButton;
class TKvRadioGroup;
class TfrmVRFormat;

class TfrmVRBaseOpt : public TfrmBaseGene {
    Q_OBJECT

public:
    explicit TfrmVRBaseOpt(QWidget *parent = nullptr);
    ~TfrmVRBaseOpt() override;

    // --- components (object names are the member names)
    QPlainTextEdit *moPaperSize = nullptr; // hidden: paper-size names by ordinal
    QPlainTextEdit *moUnits = nullptr;     // hidden: unit names by ordinal
    TKvTabSheet *tsFEP = nullptr;
    TKvRadioGroup *rgSendType = nullptr;
    TKvLabel *lblSendStatus = nullptr;
    QComboBox *cboSendStatus = nullptr;
    TKvLabel *lblSendWay = nullptr;
    QComboBox *cboSendWay = nullptr;
    TKvLabel *lblFaxEmail = nullptr;
    TKovMaskEdit *edtFaxEmailData = nullptr;
    TKvLabel *lblFormStyleName = nullptr;
    QComboBox *cboFormStyleName = nullptr;
    TGSpeedButton *btnDelFormStype = nullptr;
    TKvLabel *lblDateType = nullptr;
    QComboBox *cboDateType = nullptr;
    TKvBitBtn *btnPreview = nullptr;
    TKvBitBtn *btnDesign = nullptr;
    TKvBitBtn *btnPrintSetup = nullptr;
    TKvBitBtn *btnPaperSize = nullptr;

    // --- SQL parts (set through the setters below)
    std::string SelectPart;
    std::string FromPart;
    std::string WherePart;
    std::string GroupByPart;
    std::string OrderByPart;
    std::string SQLTail;

    // --- state
    // The report's main table: sent to the program server at open and to
    // the layout's SQL builder; a non-empty one switches the permission
    // filter of FinishWhere on.
    std::string MainTable;
    // The layout-window class a run creates. The member hides the type's
    // name inside the window classes: write kv::LayoutClass::of<T>(name).
    kv::LayoutClass LayoutClass;
    // The layout window open in design mode, if any.
    QPointer<TfrmVRFormat> DesignLayout;
    // Printer chosen with the printer set-up; -1 the system default.
    std::int32_t PrinterIndex = -1;
    // The fields of the company record (item 1 the company name).
    QStringList CompanyInfo;
    // SQL dialect number the program server reports at open; 0 before.
    std::int32_t SQLType = 0;
    // The data-permission package of PowerData: [0] filter of the main
    // table, [4] "Y" when the rewrite applies, [5] the permission rules.
    Variant PermissionData;
    bool UseSQLBuilder = false;
    bool SQLBuilderEnabled = true;
    bool ApplyPermission = false;
    std::string ClientRoot;
    std::string ClientDir;
    // "RTBuilderDataPath" of the client settings, ending in a separator.
    std::string RTBuilderDataPath;
    // "name: class;" entries of the option controls stored with a layout.
    std::string OptionStateControls;
    int SendMode = 0; // 0 print, 1 e-mail, 2 fax
    // One entry per cboSendWay item, ";"-separated; each entry
    // "kind,partner field,address field" with kind "FAX" or "EMAIL".
    std::string SendWayTable;
    std::string SendPartnerField;
    std::string SendAddressField;
    // Slip field that records whether a slip was sent ("TC017").
    std::string SendStatusField;
    // "<>0", "=0" or empty, from the option values.
    std::string SendStatusCondition;
    // Format style chosen for a run by key ("<New>" when none).
    std::string KeyStyleName = "<New>";

    // How the last run ended: the pages were printed, previewed or written
    // (Done), the query found no slips (NoData), or anything else (Failed).
    // A run that stops before it reaches a layout leaves the value as it
    // was: whoever needs to tell the ends apart (the controller) sets it to
    // Failed before the run.
    enum class RunOutcome { Failed, NoData, Done };
    RunOutcome LastRunOutcome = RunOutcome::Failed;

    // --- SQL-part setters: each trims its text, puts its keyword in front
    // unless the text starts with it (case ignored) and ends with one blank.
    void SetSelect(const std::string &text);
    void SetFrom(const std::string &text);
    void SetWhere(const std::string &text);
    void SetGroupBy(const std::string &text);
    void SetOrderBy(const std::string &text);
    void SetSQLTail(const std::string &text);
    // Appends "(" field value ")" to where (joined by " and "); nothing
    // when field or value is empty.
    static void AddCondition(std::string &where, const std::string &field, const std::string &value);

    // Switches the layout class and reloads the format-style list.
    void SetLayoutClass(const kv::LayoutClass &layoutClass);
    void SetOptionStateControls(const std::string &text) { OptionStateControls = text; }
    void SetUseSQLBuilder(bool use) { UseSQLBuilder = use; }
    // The class name of LayoutClass (the name its styles are stored under).
    virtual std::string LayoutClassName() const;
    // Refills the format-style list; the style list of TfrmVROpt.
    virtual void ReloadStyles() {}

    // The data-permission rewrite of a whole SQL text (see the .cpp);
    // unchanged unless element 4 of PermissionData is "Y".
    std::string ApplyDataPermission(const std::string &sql);

    // Creates a layout window of LayoutClass and opens the data: 1 rows (the
    // layout is kept and returned), 0 none, -1 failure (both reported, the
    // layout freed and `layout` null).
    int CreateLayout(const Variant &sql, TfrmVRFormat *&layout);
    // CreateLayout, then preview (true) or print; the layout is freed.
    // True only when there was data and it was previewed or printed.
    bool PrintOrPreview(const Variant &sql, bool preview);

    // The base start-up, then (whatever it returned) the program server
    // connection, rights, SQL dialect, permissions, company record and
    // SetupReportOptions. Answers the base result.
    bool OpenWindow(const Variant &params) override;

    // --- virtual operations in slot order
    virtual void SetupReportOptions();
    // Runs with the user's conditions and prints (false) or previews (true).
    bool RestoreConditionSet(const std::string &specs, const std::string &values) override;
    bool ApplyConditionsByName(const Variant &content) override;
    virtual bool RunReport(bool preview);
    // Runs for the slips of one key (no data-permission rewrite).
    virtual bool RunByKey(const Variant &key, bool preview);
    // Lists the option controls stored with condition sets.
    virtual void RegisterOptionControls();
    // mode 0 from the option values, 1 by key; sql receives the report's SQL.
    virtual void BuildQuery(int mode, const Variant &valuesOrKey, Variant &sql);
    // Hands the report's settings to a layout that holds data.
    virtual void PassToLayout(TfrmVRFormat *layout) { (void)layout; }
    // Adds the send-status condition and the permission filter to WherePart;
    // answers the final SQL text (empty in the base, see the class comment).
    virtual std::string FinishWhere();
    // BuildRunParameters, BuildQuery mode 0 and FinishWhere without running.
    virtual int PrepareQuery();
    // Writes the slips of a key as picture files of the given kind and
    // resolution, named from the prefix; extra is not used.
    virtual bool ExportByKey(const Variant &key, int pictureKind, int resolution, const std::string &prefix,
                             const std::string &extra);

    // Ends design mode: closes the design layout, enables this window again,
    // reloads the styles and brings the window to the front.
    virtual void CloseLayoutWindow();

    // --- base overrides
    void DefineProgram() override;
    bool GetOptionValues(Variant &values, int offset) override;
    bool GetOptionCaptions(Variant &captions, int offset) override;
    void AfterRights() override;

    // The list of controls stored with condition sets ("name.property;...").
    const std::string &OptionControls() const { return m_optionControls; }

    // The style text of cboFormStyleName in the storage code page.
    std::string StyleNameForStorage() const;
    // The style a run's layout window is created with: QIPR07_LAYOUT_STYLE
    // when set, else the chosen one (storage code page).
    std::string RunStyleName() const;

    // Stores the layout text of file (full or differences) as the format
    // style name of the layout class, through the designer's save on a
    // fresh layout window (an existing style of that name is replaced).
    // Answers an empty text when stored, else why it was refused. Called by
    // name by erp-host --store-layout.
    Q_INVOKABLE QString StoreLayoutText(const QString &name, const QString &file);

public slots:
    void btnOkClick() override;
    // Saves the registered option controls as a condition set named in the
    // set dialog; the print date (last of DateFields) gets no date setting.
    void btnInsertClick() override;
    void btnPreviewClick();
    void btnDesignClick();
    void btnPrintSetupClick();
    void btnPaperSizeClick();
    void rgSendTypeClick();
    void cboSendWayChange();
    // The send controls' enabled state, mode and address columns as the
    // chosen send type and way ask, whoever chose them (a condition package
    // sets the way without "activating" it); the send status stays.
    void followSendChoice();

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormDestroy() override;

    // Shows the printer set-up (through the prompter) with `index`
    // preselected; true with the chosen printer in `index` when confirmed.
    virtual bool ExecPrinterDialog(int &index);
    // The text of the send-status option slot for the cboSendStatus item.
    std::string SendStatusValue() const;
    // A localised text of this window (section "TfrmVRBaseOpt").
    std::string OptText(const std::string &key, const std::string &defaultText) const;

private:
    void buildComponents();
    void buildSendPage();
    void buildSystemControls();
    void buildButtons();
    void fitActivePage();
    void readClientSettings();
    void readCompanyInfo();
    bool checkSendNumber();
    void keepPageEnd(QWidget *control, bool present);
    // BuildQuery then FinishWhere: the SQL text of a run.
    std::string finalQuery(int mode, const Variant &valuesOrKey);
    void selectKeyStyle(const Variant &key);
    void copyContext(TfrmVRFormat *layout);
    // Creates a layout window of LayoutClass that knows this window's part
    // in storing its format styles.
    TfrmVRFormat *newLayoutWindow();
    // Writes the layout text of a run's layout window where
    // QIPR07_DUMP_LAYOUT asks.
    void dumpLayout(TfrmVRFormat *layout);
    int openLayoutData(TfrmVRFormat *layout, const std::string &sql, bool &reported);
    void freeLayout(TfrmVRFormat *&layout);
    // Records a failure of the run and shows it in an error box.
    void reportRunError(const std::string &text);

    std::string m_optionControls;
};

} // namespace kv
