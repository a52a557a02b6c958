#pragma once
// TfrmQipr07: the condition window of the material-issue slip report
// (program QIPR07). It takes the report's own conditions (slip type,
// slip-number range, issue-date and slip-date ranges, approval and print
// status, page break by warehouse, summary printing and its grouping),
// packs them into the run's option slots 1 to 6 and builds the report SQL
// over the slip headers MOCTC and lines MOCTE with their master tables.
//
// The result columns are the contract with the two slip layouts:
// TfrmQipr07Fmt prints slips line by line, TfrmQipr07Fmt_1 (chosen with
// "汇总打印") prints them summed per item.
//
// Everything the user types that ends up in SQL (the slip type, the key
// elements of a run by key) is quoted with QuotedSql, so a quote in it can
// never end the literal.

#include "report/options/VROpt.h"

#include <string>

class QComboBox;
class QGroupBox;

namespace kv {

class TBitCheckBox;
class TKvBitBtn;
class TF2Button;
class TKovMaskEdit;
class TKvLabel;
class TKvTabSheet;
class TSelectPanel;

class TfrmQipr07 : public TfrmVROpt {
    Q_OBJECT

public:
    explicit TfrmQipr07(QWidget *parent = nullptr);
    ~TfrmQipr07() override;

    // Stamps of the window's releases, oldest first; the last is reported.
    static constexpr const char *kVersionStamps[] = {
        "880503-0.00.00", "880804-0.00.01", "880818-0.00.01", "881102-0.00.01",
        "890112-0.00.01", "890225-0.00.01", "890427-0.00.01", "890503-0.00.01",
        "890605-0.00.01", "890810-1.4.1.0", "890830-1.4.1.0"};
    // Slip natures of material-issue slips (CMSMQ.MQ003).
    static constexpr const char *kIssueNature = "54";
    static constexpr const char *kReturnNature = "55";

    // --- components on "基本选项" (tsOption1)
    TKvLabel *lblTC001 = nullptr;
    TKovMaskEdit *edtTC001 = nullptr;
    TF2Button *btnTC001 = nullptr;
    TKvLabel *txtTC001 = nullptr;
    TSelectPanel *splTC002 = nullptr;
    TSelectPanel *splTC003 = nullptr;
    TSelectPanel *splTC014 = nullptr;
    // --- components on "高级选项" (tsOption3)
    TKvTabSheet *tsOption3 = nullptr;
    TKvLabel *lblTC009 = nullptr;
    QComboBox *cboTC009 = nullptr;
    TKvLabel *lblTC010 = nullptr;
    QComboBox *cboTC010 = nullptr;
    TBitCheckBox *chkCMSMC = nullptr;
    TBitCheckBox *chkPrint = nullptr;
    TBitCheckBox *chkSlipSheet = nullptr;
    QGroupBox *grpGrpsum = nullptr;
    TBitCheckBox *btn01 = nullptr;
    TBitCheckBox *btn02 = nullptr;
    TBitCheckBox *btn03 = nullptr;
    TBitCheckBox *btn04 = nullptr;
    TBitCheckBox *btn05 = nullptr;
    TBitCheckBox *btn06 = nullptr;
    // Conditions on the print and send ledger: slips I printed, slips
    // printed today, slips never sent.
    QGroupBox *grpLedger = nullptr;
    TBitCheckBox *chkPrintedByMe = nullptr;
    TBitCheckBox *chkPrintedToday = nullptr;
    TBitCheckBox *chkNeverSent = nullptr;
    // The tool-bar button "列印记录": the print and send ledger window.
    TKvBitBtn *btnLedger = nullptr;

    // The text of edtTC001 when it got the focus: leaving the edit re-reads
    // the slip type when the text differs from it (or from the slip type
    // whose settings are in force, see CheckedSlipType).
    std::string LastSlipType;

    // --- base overrides
    void DefineProgram() override;
    bool GetOptionValues(Variant &values, int offset) override;
    bool GetOptionCaptions(Variant &captions, int offset) override;
    void BeforeRestoreValue(QWidget *control, const std::string &value) override;
    void AfterRestoreValue(QWidget *control, const std::string &value) override;
    // The restored values, then the summary rules for their final state.
    bool RestoreConditionSet(const std::string &specs, const std::string &values) override;
    void DoF2(int key, QWidget *control) override;

    // --- report overrides
    // Fills the SQL parts: mode 0 from the option values, mode 1 from the
    // key [slip type, slip number, slip-type setting]. sql receives the
    // assembled text (before the send-status and permission filters).
    void BuildQuery(int mode, const Variant &valuesOrKey, Variant &sql) override;
    // The inherited filters, then select + from + joins + where + group by
    // (the summary only) + order by.
    std::string FinishWhere() override;
    // Refused (no data) for an SQL dialect the report has no query for. A
    // slip type whose settings are not in force is checked first (refused
    // when unknown), and the summary rules are applied to the options.
    bool RunReport(bool preview) override;
    // SlipTypeSetting from key element 2 and the layout class of chkPrint,
    // then the inherited run, which loads the print settings of the key's
    // slip type. A key without slip type and slip number is refused as no
    // data.
    bool RunByKey(const Variant &key, bool preview) override;
    bool ExportByKey(const Variant &key, int pictureKind, int resolution, const std::string &prefix,
                     const std::string &extra) override;

    // Reads the slip type of edtTC001 (natures 54 and 55) and its print
    // settings; false (reported, edit and name emptied) when unknown. An
    // unknown slip type leaves the settings of no slip type in force: the
    // window holds the program's settings, as with an empty slip type.
    bool CheckSlipType();
    // The slip type whose record and print settings are in force; empty
    // when none is (nothing checked yet, or a run by key loaded the
    // settings of its own slip type).
    const std::string &CheckedSlipType() const { return m_checkedSlipType; }
    // Brings the grouping boxes, the page-break box and the layout class in
    // line with chkPrint (the rules of chkPrintClick); the style list is
    // reloaded only when the layout class changes.
    void ApplySummaryState();
    // Element index of a key or option array as text; empty when it is
    // missing, empty or cannot be read (such an element adds no condition).
    static std::string ElementText(const Variant &array, int index);
    // True when the report has a query for the current SQLType.
    bool HasQueryForSQLType() const { return SQLType == 0 || SQLType == 1; }

public slots:
    void chkPrintClick();
    // Shows the print and send ledger, filtered by the slip type entered.
    void btnLedgerClick();
    void edtTC001Enter();
    void edtTC001Exit();

protected:
    void FormCreate() override;
    // The base exit checks, then the slip-type check when edtTC001 is left.
    void FieldExit(QWidget *control) override;
    // The package's values, then the slip-type check and the summary rules
    // for the final state; false (nothing runs) when the slip type is
    // unknown.
    bool ApplyConditionsByName(const Variant &content) override;
    // Entering edtTC001 remembers its text (edtTC001Enter).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildBasicPage();
    void buildAdvancedPage();
    void buildLedgerButton();
    void wireReportHandlers();
    void applyLayoutClass();
    std::string slipTypeText() const;
    // Checks the slip type of edtTC001 unless its settings are in force.
    bool followSlipType();
    // Before a run by key: the settings it loads are its key's.
    void forgetCheckedSlipType() { m_checkedSlipType.clear(); }
    void returnToSlipType();
    bool refuseUnknownSQLType();
    bool refuseEmptyKey(const Variant &key);

    // Query pieces.
    void buildJoinedQuery(std::string &where);
    void buildSummarySelect();
    void buildOuterJoinQuery(std::string &where);
    void addOptionConditions(std::string &where, const Variant &values);
    void addLedgerConditions(std::string &where) const;
    static void addKeyConditions(std::string &where, const Variant &key);
    void setOrder();
    std::string summaryOrder() const;

    // Lookups.
    void lookupSlipType();
    void lookupSlipNumber(QWidget *control, TSelectPanel *panel);
    void pickDate(QWidget *control);
    Variant dateRange(const TSelectPanel *panel) const;

    bool m_inSlipTypeExit = false;
    std::string m_checkedSlipType;
};

} // namespace kv
