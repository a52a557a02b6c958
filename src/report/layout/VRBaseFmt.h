#pragma once
// TfrmVRBaseFmt: the base of every printable report layout of the module.
// The condition window creates one for each run (preview, print, send,
// picture export) and for each use of design mode, and frees it when that
// ends. The window holds the banded report QuickRep1 bound to the client
// data set ClientDataSet1, a second data set for look-ups while printing,
// the SQL builder of the layout's extension fields and the Chinese numerals
// of capital amounts. It is never shown while printing: it is a container
// of the report definition, shown maximised only in design mode.
//
// What the condition window does with it, in order: create it owned by
// itself (TKVForm::Create<Layout>(owner)), set LayoutName, copy its context
// (ProgramCode, CompanyID, CompanyDB, UserID, DateType, DateFormat,
// Settings, CompanyInfo, Validator, Counter, SendModes, report title and
// printer index), ConnectData(), extend the SQL when it uses the SQL builder,
// OpenData(sql), prepare the layout and then ShowPreview() or PrintDirect().
// Server requests go through the owner's program server.

#include "base/BaseGene.h"
#include "base/KVForm.h"
#include "platform/Variant.h"
#include "report/layout/VRSQLBuilder.h"

#include <QPoint>
#include <QPointer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QImage;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QPrinter;

namespace kv {

class ClientDataSet;
class PageProgressWindow;
class Report;
class TDreamDesigner;
class TKVQRDBText;
class TQRBand;
class TQRLabel;
struct PageEventArgs;
struct ReportPrintArgs;

class TfrmVRBaseFmt : public TKVForm {
    Q_OBJECT

public:
    using SqlParts = TVRSQLBuilder::SqlParts;

    // owner: the condition window (a TfrmBaseGene) whose server link and
    // caption the layout uses; may be null for a layout used on its own.
    explicit TfrmVRBaseFmt(QWidget *owner = nullptr);
    ~TfrmVRBaseFmt() override;

    // --- components (object names are the member names)
    Report *QuickRep1 = nullptr;
    TQRLabel *qrLostFocus = nullptr;
    ClientDataSet *ClientDataSet1 = nullptr;
    ClientDataSet *ClientDataSet2 = nullptr;
    QPlainTextEdit *memoChCapital = nullptr;
    TVRSQLBuilder *SQLReBuilder = nullptr;

    // --- state (set by the condition window unless said otherwise)
    std::string ProgramCode;
    std::string CompanyID;
    std::string CompanyDB;
    std::string UserID;
    int DateType = 1;           // date display type 1..5
    std::string DateFormat;     // the user's date separator
    TfrmBaseGene::SettingList Settings;
    Variant Validator;
    Variant Counter;
    QStringList CompanyInfo;    // item 1 is the company name
    QPointer<PageProgressWindow> ProgressForm;
    QStringList SendTargets;    // receiver=value lines registered while printing
    std::string ClientRoot;     // from the client settings, ends in "/"
    std::string LayoutName = "<New>";
    bool SaveAccepted = false;
    bool SaveDone = false;
    int MaxNameLength = 0;
    int PageCount = 0;
    bool SendFailed = false;
    int SendModes = 0;          // bit 0 e-mail allowed, bit 1 fax allowed
    int PictureDPI = 96;
    bool Cancelled = false;     // set by the cancel buttons of the conversion and send windows
    int PrintCountMode = 0;     // 0 preview, 1 direct print, 2 send
    std::string BackgroundFile;
    std::uint8_t LanguageMode = 0; // 1 simplified, 2 traditional, other: no language prefix
    bool ConvertData = false;
    bool KeepLeftMargin = true;
    bool KeepTopMargin = true;
    std::array<std::string, 20> ChineseNumerals;
    QStringList UserComponents;
    // When set, PrintDirect writes the pages into this PDF file instead of
    // printing them (headless runs and tests). Taken at creation from the
    // environment variable QIPR07_PRINT_PDF.
    QString PrintFileName;

    // --- virtual operations in slot order
    // Print handler of asterisk fields (text type 4); prints as it is here.
    virtual void OnAsteriskPrint(QObject *sender, EventArgs &args);
    virtual void ConnectData();
    // 1 rows came back, 0 none, -1 failure; every concrete layout overrides it.
    virtual int OpenData(const std::string &sql);
    virtual void OnConvertPrint(QObject *sender, EventArgs &args);
    virtual void AmountToChinese(const std::string &numberText, std::string &result);
    virtual void DigitsToChinese(const std::string &digits, std::string &result);
    virtual void BeforeDesign() {}
    // True when the builder's base SQL must be set again.
    virtual bool CheckSQLBuilder(const SqlParts &parts, bool flag);
    virtual bool SQLBuilderEmpty();
    virtual void ResetSQLBuilder(const SqlParts &parts, bool flag1, bool flag2);
    virtual void InitSQLBuilder(const std::string &program, const std::string &user, const std::string &text,
                                const std::string &companyDB, const std::string &company);
    virtual void FixSQLByWizard();
    // "DataField=Hint" of every data-bound text of the form, one a line.
    virtual void ListBoundFields(QObject *form, std::string &result);
    virtual void ExtendSQL(const std::string &sql, std::string &result);
    // Attaches the print handler the field's text type asks for.
    void BindOnPrint(TKVQRDBText *component);
    // Switches off the components the user added to the layout (barcodes
    // also lose their data) for a run without the extension fields they print.
    void DisableUserComponents();

    // --- running the report
    // Runs the report into its page store with a progress window that can
    // cancel; true when every page was generated.
    bool GeneratePages();
    // Hands the pages to the preview, generated first or, when the preview
    // shows pages as they come, while it is open; false (the reason shown)
    // when the pages could not be generated or no preview exists.
    bool ShowPreview();
    // Prints on the report's printer (or into PrintFileName); false (the
    // reason shown) when nothing was printed.
    bool PrintDirect();
    // Each slip starts on a fresh sheet when printing on both sides (a
    // blank back page after a slip that ends on a front). The condition
    // window's box chkSlipSheet keeps the choice where there is one.
    bool slipsOnFreshSheets() const;
    void setSlipsOnFreshSheets(bool on);
    // Design mode on or off: BeforeDesign, maximised window.
    void StartDesign(bool active);
    bool isDesignActive() const { return m_designActive; }

    // --- page pictures (PagePictures.cpp)
    // Writes page `page` as a picture of type 0 BMP, 1 JPG, 2 GIF or 3 PDF;
    // fileName receives its extension. False on any failure.
    bool PagePicture(std::string &fileName, int type, int page);
    // Writes every page as base + page number (zero-filled), with a progress
    // window that can cancel; false when a page failed or was cancelled.
    bool ConvertPages(const std::string &base, int type);

    // --- sending (VRBaseFmtSend.cpp)
    // Sends every receiver its registered pages: kind 1 e-mail, 2 fax to the
    // server named between "(" and ")" of the fax menu caption. False when
    // there was nothing to send; each receiver's result is in the send log.
    bool Send(int kind, int pictureType, const std::string &faxCaption);
    void SendMail(int pictureType);
    void SendFax(int pictureType, const std::string &server);
    // One row of the send log $$ADMTA: receiver "|" message.
    void SendLog(const std::string &entry);
    // Temporary directory + ProgramCode + "_" + date and time + "_".
    std::string TempBaseName();
    // Converts the pages of one SendTargets value (after the addresses) to
    // pictures base + page number; files gets their names. On failure or
    // cancel every file is deleted and the result is false.
    bool ConvertReceiverPages(const std::string &entries, const std::string &base, int type,
                              std::vector<std::string> &files);

    // --- print handlers of the text types
    void OnDatePrint(QObject *sender, EventArgs &args);
    void OnPercentPrint(QObject *sender, EventArgs &args);
    void OnChinesePrint(QObject *sender, EventArgs &args);
    void OnDictionaryPrint(QObject *sender, EventArgs &args);
    void OnBarCodeInvalidChar(QObject *sender, EventArgs &args);

    // --- the owner's server link
    // The owner's program server; DispatchError when there is none.
    DispatchPtr ProgramServer() const;
    // RunFreeSQL of the program server (SQL keeps its "$$").
    int RunFreeSQL(const std::string &sql);
    // Adds one to the print count of the slips the filter names.
    void UpdatePrintCount(const std::string &table, const std::string &column, const std::string &filter);

    // --- print counts (VRBaseFmtPrintCount.cpp)
    // A slip's print count is raised only once its pages have really been
    // printed (or sent), whatever started the run. While the pages are
    // generated the layout asks for the count on the first form of every
    // slip; the request stands for that form and the slip's later forms (up
    // to the next form that asks). Printing then counts the slips of the
    // forms that came out, each slip once per print run.
    struct PrintCountRequest {
        std::string table;
        std::string column;
        std::string filter;
        bool operator==(const PrintCountRequest &) const = default;
    };
    // Records a request for the form in progress (PageCount).
    void RequestPrintCount(const std::string &table, const std::string &column, const std::string &filter);
    // The distinct requests of the slips on forms first..last, in order.
    std::vector<PrintCountRequest> PrintCountRequests(int firstForm, int lastForm) const;
    // Raises the counts of the slips on forms first..last (sending: the
    // receiver's forms), or on sheets of the page store (printing); nothing
    // in a preview (PrintCountMode 0). Every request is tried; the first
    // server error is raised afterwards.
    void CountPrintedForms(int firstForm, int lastForm);
    void CountPrintedPages(int firstPage, int lastPage);
    // The counts of the slips on the page ranges a print job put out. When
    // the job was stopped (cutShort), a slip it left unfinished at the end
    // of the last range does not count.
    void CountPrintedRanges(const std::vector<std::pair<int, int>> &printed, bool cutShort);

    // --- the print and send ledger (VRBaseFmtPrintCount.cpp)
    // Every print-count request tells the server what the output was, so
    // that it records the slip's row in its print and send ledger in the
    // same transaction: kind ("1" printer, "2" PDF file, "3" picture file,
    // "4" e-mail, "5" fax), printer, file or receiver, the slip's pages that
    // went out, and whether it succeeded.
    // The printer a print from the preview went to (its set-up may have
    // chosen another printer or a file); a direct print needs no call.
    void NoteOutput(const QPrinter &printer);
    // The way the next sends go: kind 1 e-mail, 2 fax (server in the caption).
    void NoteSendWay(int kind, const std::string &faxCaption);
    // The pages went into picture (or PDF) files base + number: a ledger
    // row per slip ("RecordPrintLedger": an export raises no count).
    void RecordExport(const std::string &base, int type);
    // A receiver's send failed ("receiver|message" as in the send log): its
    // slips are recorded as not sent ("RecordPrintLedger", no count).
    void RecordSendResult(const std::string &entry, bool failed);
    // The UpdatePrintCount request for one slip: [table, column, filter,
    // kind, target, pages, success, fax server, message].
    Variant PrintCountRequestArray(const std::string &table, const std::string &column, const std::string &filter,
                                   bool success = true, const std::string &message = {}) const;

    // --- design mode: the designer and its menu (VRBaseFmtDesign.cpp)
    TDreamDesigner *DreamDesigner1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    // Set by the condition window that opened design mode: called once the
    // designer is no longer active, so that it can enable itself again.
    std::function<void()> OnDesignEnded;
    // The designer went on or off; off hides the window and informs the
    // condition window (OnDesignEnded).
    void DreamDesigner1ActiveChanged(bool active);
    // What may be deleted: a non-empty selection of data texts and barcodes
    // the user added himself (names in UserComponents); built-in fields can
    // only be hidden.
    bool CanDeleteSelection(const QList<QObject *> &selection) const;
    // The menu is opening: miDel follows the selection.
    void PopupMenu1Popup();
    // Creates the designer with the layout's settings and its menu (at
    // window creation).
    void buildDesigner();

    // --- stored layouts: loading, saving, local files (VRBaseFmtLayouts.cpp)
    // What the condition window that created the window tells it for storing
    // format styles; a window without one stores nothing of the kind.
    struct StyleContext {
        // The class name the condition window keeps the layout's styles
        // under; empty: the window's own class name.
        std::string className;
        // ";"-separated "name: class" entries of the condition window's
        // controls whose values a saved style records.
        std::string optionStateControls;
        // Custom directory of local layout files (ends in a separator);
        // empty: ClientRoot + "C_DATA/".
        std::string layoutDirectory;
        // The condition window's SQL parts, for a builder whose base SQL must
        // follow them when a layout is loaded in design mode.
        std::function<SqlParts()> sqlParts;
        // A new style was stored under this name (display code page).
        std::function<void(const std::string &)> styleAdded;
    };
    StyleContext StyleOwner;

    // Sets LayoutName and applies the stored style of that name (the load
    // the window runs once its layout name is known).
    void ApplyLayoutName(const std::string &name);
    // Applies the stored format style LayoutName names (once LayoutName is set).
    void DreamDesigner1LoadChanges();
    // Asked when the designer is switched off: false keeps it active.
    bool DreamDesigner1SaveChanges();
    // The longest layout name the server's layout table takes (0 unknown).
    void ReadMaxNameLength();
    void nuSaveClick();
    void nuSaveAsClick();
    void nuSaveLocClick();
    void nuLoadLocClick();

    // The stored layout (version and text, display code page) of a class
    // and name; false when none is stored.
    bool FindLayout(const std::string &className, const std::string &name, std::string &version,
                    std::string &text);
    // Stores this window's layout under name (see the .cpp); SaveAccepted is
    // cleared by every refusal and failure, which also leave a local copy.
    void SaveLayout(const std::string &className, const std::string &name);
    // Asks for a layout name until one is accepted; false when cancelled.
    // name receives it in the storage code page.
    bool AskLayoutName(const std::string &caption, const std::string &prompt, std::string &name);
    // The local file of a layout name (see the .cpp for the rule).
    std::string LocalLayoutFile(const std::string &name) const;
    // Writes the window's layout (its differences from the built-in one)
    // into LocalLayoutFile(name); false (shown, SaveAccepted cleared) on failure.
    bool SaveLocalLayout(const std::string &name);
    // "name: class=value" lines of the condition window's option controls.
    virtual void GetOptionState(std::string &result);
    // The page picture file of the layout for the language mode.
    void SetBackgroundFile();
    // Applies a layout text (full or differences) onto this window: its
    // "object" components join UserComponents, problems go to the alert
    // log. False when nothing could be read.
    bool ApplyLayoutText(const std::string &text, std::vector<std::string> &problems);
    // The window's layout as it is stored: the differences from a fresh
    // unchanged instance of its class, reduced to the layout properties,
    // with the components the user added as "object" blocks.
    std::string StoredLayoutText();
    // The name the window's styles are stored under ("TfrmQipr07Fmt"):
    // StyleOwner.className, else the window's class name.
    std::string LayoutClassName() const;
    // A new, unchanged instance of this window's class owned by owner, the
    // built-in layout a stored one is the difference from. Every concrete
    // layout class answers its own (TKVForm::Create<itself>(owner)); the
    // base has none, and a class that answers another's is refused.
    virtual TfrmVRBaseFmt *createPristine(QWidget *owner) const;
    // Ctrl+Alt+L loads a local layout file, Ctrl+S saves, Ctrl+N saves
    // under a new name.
    void FormKeyDown(KeyEventArgs &args) override;
    // Adds those of candidates that now exist to UserComponents.
    void recordUserComponents(const QStringList &candidates);

    // --- extension fields: drops from the field list and the label tool (VRBaseFmtExtend.cpp)
    // A drag of a DesignDrag payload over band at pos (band pixels).
    bool DreamDesigner1DragOver(TQRBand *band, QPoint pos, const QMimeData &data);
    void DreamDesigner1DragDrop(TQRBand *band, QPoint pos, const QMimeData &data);
    void DreamDesigner1DeleteComponent(QObject *component);
    // The property inspector is about to show component.
    void DreamDesigner1ShowProperty(QObject *component);
    // Starts the document-to-page-picture helper; false (the reason shown)
    // when it is missing or cannot be started.
    bool mnuDOCtoEMFClick();
    // Set up a component dropped in design mode; layouts may add settings of
    // their own. field is the SQL builder's field the component prints.
    virtual void SetupNewBarcode(class TKvQRDBBarcode *barcode, int field);
    virtual void SetupNewText(TKVQRDBText *text, int field, const QString &hint);
    virtual void SetupNewLabel(TQRLabel *label);
    // The field list and label tool of design mode (a tool window owned by
    // this window, created on first use); design mode calls it when it starts.
    void ShowExtensionTools();
    // The tool window once shown (its object name is "frmExtendFields").
    class ExtensionToolWindow *ExtensionTools() const;
    // Runs the relation wizard on the SQL builder (the "关联表..." button of
    // the field list): true when the wizard ran and reported no error.
    bool RunRelationWizard();
    // Hands a component to the designer's selection; design mode sets it. A
    // move selects the band and then the component.
    std::function<void(QObject *)> DesignerSelect;
    // Whether the designer may delete (and change the data of) the component
    // the property view shows: only components the user added to the layout.
    bool DesignerMayDelete = false;

    // A company setting the condition window handed over ("Sys060"); empty
    // when missing.
    std::string SettingValue(const std::string &name) const;
    // A localised text of this window's section.
    std::string FmtText(const std::string &key, const std::string &defaultText) const;
    // A message box captioned with the owner's caption.
    ModalResult ShowMessage(const std::string &text, MessageType type, MessageButtons buttons);

protected:
    void FormCreate() override;
    void FormDestroy() override;
    void FormClose(TCloseAction &action) override;

    // Report events; the standard slip layout replaces them.
    virtual void QuickRep1BeforePrint(ReportPrintArgs &args);
    virtual void QuickRep1StartPage(PageEventArgs &args);

    // The condition window that owns the layout, if it is one.
    TfrmBaseGene *ownerWindow() const;
    // The section of the message lookup.
    virtual std::string messageSection() const { return "TfrmVRBaseFmt"; }
    // Texts from and to the database code page.
    Variant fromDb(const Variant &value) const;
    Variant toDb(const Variant &value) const;
    std::string displayText(const std::string &text) const;

private:
    void buildComponents();
    void bindReportEvents();
    void startRun();
    void bindTextHandlers();
    void fillNumerals();
    void preparePreview(struct PreviewRequest &request);
    void showRunError(const std::exception &error);
    // Runs the report into its page store and writes the page texts a run
    // asks for; true when every page was generated. beforeError runs before
    // the reason of a failure is shown.
    bool generateInto(const std::function<void()> &beforeError);
    // BMPToFile of the picture library: 0 when written; fileName gets the extension.
    int callPictureLibrary(const QImage &bitmap, int type, std::string &fileName);
    // Sending: the mail subject (dialog, or the preset for a run without a
    // screen), and the print count of one sent slip page.
    std::string askMailSubject();
    void countSentPage(const std::string &table, const std::string &column, const std::string &filter);
    void commitSentCounts();
    // A send-log row with the receiver's own result: a receiver that went
    // is logged as sent even after another one failed.
    void logSend(const std::string &entry, bool failed);
    std::vector<std::string> m_countedSends;
    // The slips of the run while sending, named in the progress windows.
    const class OutputSlips *m_sendSlips = nullptr;
    std::vector<std::array<std::string, 3>> m_pendingCounts; // table, column, filter

    bool m_designActive = false;
    bool m_slipsOnFreshSheets = false;
    // Print-count requests of this run with the form each was asked on.
    std::vector<std::pair<int, PrintCountRequest>> m_printCounts;
    // The ledger's view of the output in progress (VRBaseFmtPrintCount.cpp).
    struct LedgerTarget {
        std::string kind;
        std::string target;
    };
    std::optional<LedgerTarget> m_notedOutput;
    std::pair<int, int> m_countedForms{1, 0}; // forms of the print being counted; 0: to the end
    int m_sendKind = 0;
    std::string m_faxServer;
    LedgerTarget printTarget() const;
    LedgerTarget sendTarget(const std::string &filter, std::string &faxServer) const;
    int slipForms(const std::string &table, const std::string &filter) const;
    // The forms on the sheets first..last (INT_MAX, 0 when there are none).
    std::pair<int, int> formsOfPages(int firstPage, int lastPage) const;
    // lastForm, or the form before the slip it cuts off in the middle.
    int lastWholeSlipForm(int lastForm) const;
};

} // namespace kv
