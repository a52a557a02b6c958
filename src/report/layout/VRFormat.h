#pragma once
// TfrmVRFormat: the standard slip layout every slip report derives from. A
// slip is a header with the slip's key data, a body of numbered lines and a
// footer with notes and sign-off lines; slips print one after another, each
// starting on a new form, each form carrying its page number within the
// slip and the slip's page count.
//
// Bands in print order: QRGroup (the header, also printed again at the top
// of every further form of a slip), QRDetailBand (one line), QRGroupFooter
// (the footer, attached below the lines and taking the rest of the form)
// and its child GroupFooterChildBand (notes, sign-offs, continued mark).
//
// Before the pages are generated a pre-pass counts the lines of every slip,
// so each slip's page count is known when its first form prints. A line
// that no longer fits above the footer moves to the next form. Totals with
// the asterisk text type print asterisks until the slip's last page. When
// the company uses the workflow product, the sign-off data of every slip is
// fetched once before printing and printed on the slip's first form.

#include "report/layout/VRBaseFmt.h"

#include <QHash>
#include <QStringList>

namespace kv {

class ReportExpression;
class TQRBand;
class TQRChildBand;
class TQRGroup;
struct BandAfterPrintArgs;
struct BandPrintArgs;

class TfrmVRFormat : public TfrmVRBaseFmt {
    Q_OBJECT

public:
    explicit TfrmVRFormat(QWidget *owner = nullptr);
    ~TfrmVRFormat() override;

    // --- bands
    TQRGroup *QRGroup = nullptr;
    TQRBand *QRDetailBand = nullptr;
    TQRBand *QRGroupFooter = nullptr;
    TQRChildBand *GroupFooterChildBand = nullptr;

    // --- labels
    TQRLabel *lblSeq = nullptr;
    TQRLabel *lblPageNo = nullptr;
    TQRLabel *lblTotalPage = nullptr;
    TQRLabel *lblCompany = nullptr;
    TQRLabel *lblVoucherName = nullptr;
    TQRLabel *lblCreateDate1 = nullptr;
    TQRLabel *lblPrintDate1 = nullptr;
    TQRLabel *lblPrintTime1 = nullptr;
    TQRLabel *lblNoData = nullptr;
    TQRLabel *lblNote1 = nullptr;
    TQRLabel *lblNote2 = nullptr;
    TQRLabel *lblNote3 = nullptr;
    TQRLabel *lblSignIn1 = nullptr;
    TQRLabel *lblSignIn2 = nullptr;
    TQRLabel *lblSignIn3 = nullptr;
    TQRLabel *lblCreateDate2 = nullptr;
    TQRLabel *lblNextPage = nullptr;
    TQRLabel *lblPrintDate2 = nullptr;
    TQRLabel *lblPrintTime2 = nullptr;

    // --- state
    // Enabled states of the marks, notes and sign-offs as the loaded layout
    // left them: the paging rules only switch a label off or back to these.
    bool SignInEnabled1 = true, SignInEnabled2 = true, SignInEnabled3 = true;
    bool NoteEnabled1 = true, NoteEnabled2 = true, NoteEnabled3 = true;
    bool NoDataEnabled = true;
    bool NextPageEnabled = true;
    QStringList DefaultSignIns; // always empty
    QStringList SignInTexts;
    QStringList NoteTexts;
    bool SignInEveryPage = false;
    bool NotesEveryPage = false;
    bool TotalsEveryPage = false;
    Variant WorkflowReply;      // reply of GetZQData
    std::string WorkflowFormCode;
    bool UnderWorkflow = false;
    bool UseWorkflowSignIn = false;
    QStringList GroupRowCounts; // "slip key=line count" from the pre-pass
    QHash<QString, int> SlipRowsByKey; // the same, for the headers' look-up
    QString CurrentGroup;
    int SlipPage = 0;
    int SlipRow = 0;
    int RowsPerPage = 1;
    int SlipPages = 0;
    int SlipRows = 0;
    std::string WebServiceReply; // reply of GetWebserviceZQData

    // --- overrides (slot order of the base)
    void OnAsteriskPrint(QObject *sender, EventArgs &args) override;
    void ConnectData() override;

    // --- operations the condition window calls
    // kind 0 slip title, 1 table date, 2 blank-below mark, 3 continued mark.
    void SetHeaderText(int kind, const QString &text);
    void SetSignIns(const QStringList &texts);
    void SetNotes(const QStringList &texts);
    // Fetches the workflow sign-off data of every slip of the data set.
    void RequestSignOffData(const std::string &programCode);
    // [found, text 1, text 2, text 3] of the slip whose key is
    // [k, value 1 ... value k].
    Variant SignOffForSlip(const Variant &keys);
    // Fills the sign-off labels for the slip under the cursor.
    void FillSignIns(const QString &groupExpression);
    // Records the enabled states of the marks, notes and sign-offs (after a
    // stored layout was applied).
    void RecordEnabledStates();

protected:
    void FormCreate() override;
    void QuickRep1BeforePrint(ReportPrintArgs &args) override;
    void QuickRep1StartPage(PageEventArgs &args) override;

    virtual void QRGroupBeforePrint(BandPrintArgs &args);
    virtual void QRDetailBandBeforePrint(BandPrintArgs &args);
    virtual void QRDetailBandAfterPrint(BandAfterPrintArgs &args);
    virtual void QRGroupFooterBeforePrint(BandPrintArgs &args);
    void lblCreateDate1Print(QObject *sender, EventArgs &args);

    std::string messageSection() const override { return "TfrmVRFormat"; }
    // The slip under the cursor is on its last page.
    bool onLastSlipPage() const { return SlipPage == SlipPages; }

private:
    void recordSlipLines(const QString &slip, int lines);
    // Sheets the run will print, from the pre-pass.
    int expectedSheets() const;
    void buildBands();
    void buildLabels();
    void bindBandEvents();
    TQRLabel *addLabel(TQRBand *band, const char *name, const QString &caption, int left, int top, int width,
                       int height);
    QString groupValue() const;
    void countSlipLines(ReportExpression &expression);
    void stampPrintDateAndTime();
    void restoreSignIns(bool on);
    void restoreNotes(bool on);
    // Workflow helpers.
    QStringList groupFieldNames(const QString &expression) const;
    std::string buildSignOffRequest(const QStringList &fields);
    void signOffFromTables(const Variant &keys, Variant &result);
    void signOffFromWebService(const Variant &keys, Variant &result);
    std::string signOffTime(const std::string &time);
    void traceRejectedRow(const std::vector<std::string> &remembered, const VariantArray &table, int row);
};

} // namespace kv
