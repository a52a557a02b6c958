#pragma once
// TfrmQipr07Fmt: the detailed material-issue slip. One slip per issue-slip
// header (MOCTC), one printed line per slip line (MOCTE), on the standard
// slip layout: the header fields of the slip, three rows per line (item
// code, name and size or model beside the quantities, the warehouse, the
// work order and its process, the lot), and in the footer the slip's total
// issue quantity (the warehouse part's, with the page break by warehouse).
// Many more fields of the report data are present but switched off and
// placed off the page, for the user to place in design mode.
//
// Besides the fields the layout opens the report data (grouped by slip, or
// by slip and warehouse when the condition window asks for a page break by
// warehouse), looks up the inspection remark of each line's lot, keeps four
// running totals for the footer's total fields, adds one to the print count
// of every printed slip and registers each slip's pages for sending.
//
// The summary slip TfrmQipr07Fmt_1 shares the header fields, the opening of
// the data, the inspection remark, the print count and the registration; it
// is built through the protected constructor, which leaves the line and
// footer fields to it.

#include "report/layout/VRFormat.h"

#include <QString>

#include <map>
#include <string>

namespace kv {

class TKVQRDBText;

class TfrmQipr07Fmt : public TfrmVRFormat {
    Q_OBJECT

public:
    explicit TfrmQipr07Fmt(QWidget *owner = nullptr);
    ~TfrmQipr07Fmt() override;
    // The built-in layout a stored format style is the difference from.
    TfrmVRBaseFmt *createPristine(QWidget *owner) const override { return TKVForm::Create<TfrmQipr07Fmt>(owner); }

    // --- header fields printed by default
    TKVQRDBText *txtTC001 = nullptr;
    TKVQRDBText *txtCMSMQ002 = nullptr;
    TKVQRDBText *txtTC002 = nullptr;
    TKVQRDBText *txtTC014 = nullptr;
    TKVQRDBText *txtTC004 = nullptr;
    TKVQRDBText *txtCMSMB002 = nullptr;
    TKVQRDBText *txtTC005 = nullptr;
    TKVQRDBText *txtCMSMD002 = nullptr;
    TKVQRDBText *txtTC006 = nullptr;
    TKVQRDBText *txtPURMA002 = nullptr;
    TKVQRDBText *txtTC007 = nullptr;
    TKVQRDBText *txtTC009 = nullptr;
    TKVQRDBText *txtTC021 = nullptr;
    TKVQRDBText *txtCMSME002 = nullptr;
    TKVQRDBText *txtTC031 = nullptr;
    TKVQRDBText *txtCMSNO002 = nullptr;
    // Off the page until the user places it: the issue date.
    TKVQRDBText *txtTC003 = nullptr;

    // --- line fields with rules of their own (layout 1 only)
    TKVQRDBText *txtTE005 = nullptr;
    TKVQRDBText *txtTE011 = nullptr;
    TQRLabel *txtHyphen = nullptr;
    TKVQRDBText *txtTE012 = nullptr;
    // The inspection remark of the line's lot (switched off by default).
    TQRLabel *lblTA027 = nullptr;
    // "副本 n" at the top right of a slip printed n times before (TC010 when
    // the data was read); a slip's first print carries nothing there.
    TQRLabel *lblCopyMark = nullptr;

    // --- footer totals
    TKVQRDBText *txtTE005C1 = nullptr;
    TKVQRDBText *txtTE021C1 = nullptr;
    TKVQRDBText *txtTB004C1 = nullptr;
    TKVQRDBText *txtTB005C1 = nullptr;
    TKVQRDBText *txtTB019C1 = nullptr;
    TKVQRDBText *txtTB020C1 = nullptr;

    // --- running totals of the lines printed (see the footer handlers)
    double QtyTotal = 0;      // TB004, required quantity
    double OpenQtyTotal = 0;  // TB004C, not yet issued
    double PackTotal = 0;     // TB019, required packing quantity
    double OpenPackTotal = 0; // TB019C, packing quantity not yet issued

    // The issue and packing quantities of one warehouse part of a slip.
    struct PartTotals {
        double issued = 0; // TE005
        double packs = 0;  // TE021
    };

    // Groups by slip (and warehouse when the condition window asks for a
    // page break by warehouse), sends the SQL and opens the report data:
    // 1 rows, 0 none, -1 failure.
    int OpenData(const std::string &sql) override;

    // The value formatted by a field's mask: "#,##0" with the mask's
    // decimals (the part after its first "."), rounded half away from zero.
    // An empty mask, or one that cannot format, gives the plain float text.
    static std::string FormatByMask(const std::string &mask, double value);

    // Registers the form being printed for sending to the slip's receiver
    // (SendTargets, one line per receiver: "receiver=e-mail|fax|" and one
    // "page,table;count column;filter;" entry per form). Only e-mail
    // (SendModes 1) and fax (2) runs from a condition window register.
    void RegisterSendTarget(const std::string &table, const std::string &filter);

    // --- print handlers
    void txtTC014Print(QObject *sender, EventArgs &args);
    void txtTC003Print(QObject *sender, EventArgs &args);
    void txtTE012Print(QObject *sender, EventArgs &args);
    virtual void txtHyphenPrint(QObject *sender, EventArgs &args);
    void txtTB004C1Print(QObject *sender, EventArgs &args);
    void txtTB005C1Print(QObject *sender, EventArgs &args);
    void txtTB019C1Print(QObject *sender, EventArgs &args);
    void txtTB020C1Print(QObject *sender, EventArgs &args);
    virtual void txtTE005C1Print(QObject *sender, EventArgs &args);
    virtual void txtTE021C1Print(QObject *sender, EventArgs &args);

protected:
    // The summary slip: header fields and handlers only; the caller adds
    // its own line and footer fields.
    struct HeaderOnly {};
    TfrmQipr07Fmt(QWidget *owner, HeaderOnly);

    void QuickRep1BeforePrint(ReportPrintArgs &args) override;
    void QRGroupBeforePrint(BandPrintArgs &args) override;
    // The copy mark of the slip whose header prints.
    void showCopyMark();
    void QRDetailBandBeforePrint(BandPrintArgs &args) override;

    // The running totals start again with each slip (or warehouse part):
    // what one slip left in them (a total field that was not printed) never
    // counts for the next. Called for every line printed.
    void startTotalsOfNewSlip();
    virtual void resetRunningTotals();

    // A data text on a band: data set ClientDataSet1, font size 9, the hint
    // as given; placed at left/top with the width, 16 high.
    TKVQRDBText *addField(TQRBand *band, const char *name, const char *dataField, const char *hint, int left,
                          int top, int width, bool rightAligned = false);
    // The same, switched off and placed off the page.
    TKVQRDBText *addHiddenField(TQRBand *band, const char *name, const char *dataField, const char *hint,
                                bool rightAligned = false);
    // A code-list field ("Y=已审核" ...) that prints the text for its code.
    static void setCodes(TKVQRDBText *field, std::initializer_list<const char *> codes);
    // The titles and header fields both slips share (and their handlers).
    void buildHeader();
    // The report settings both slips share (zoom, page style, band widths).
    void applyReportSettings(int header, int detail, int footer, int footerChild);
    // Loads the page picture (a resource) behind the fields.
    void loadPagePicture(const QString &resource);

    // A record that only carries a slip header (the slip has no lines): the
    // line is left out and the footer keeps the line's room. True when the
    // record was such a one.
    bool skipHeaderOnlyRecord(BandPrintArgs &args);
    // Looks up the inspection remark of the line's lot into lblTA027; any
    // failure leaves it empty and never stops printing.
    void LookUpInspectionRemark();
    // What a total field prints: the total by its mask on the slip's last
    // page (or every page with TotalsEveryPage), after which the total starts
    // again; asterisks on the other pages.
    void printRunningTotal(TKVQRDBText *field, double &total, EventArgs &args);
    // The report data's value of a column of the current record (0 when it
    // is missing or empty).
    double columnValue(const char *column) const;
    bool hasColumn(const char *column) const;
    QString columnText(const char *column) const;

    // Placeholder of totals that are not yet final.
    static constexpr const char *kStars = "***********.***";

private:
    void buildLines();
    void buildFooter();
    void bindHandlers();
    void bindSharedHandlers();
    bool pageBreakByWarehouse() const;
    void printDate(EventArgs &args);
    void starsUnlessFinal(EventArgs &args) const;
    // The footer total of a warehouse part instead of the slip's own total.
    void printPartTotal(const TKVQRDBText *field, double PartTotals::*total, EventArgs &args) const;
    void sumWarehouseParts();
    void registerSlip(const std::string &filter);

    // With the page break by warehouse, each warehouse part of a slip is a
    // slip of its own; the header's totals (TE005C1, TE021C1) are those of
    // the whole slip, so the footer totals the part's lines instead: their
    // sums by group key, from a pass over the data before printing.
    bool m_partsByWarehouse = false;
    std::map<QString, PartTotals> m_partTotals;
    // The slip the running totals belong to.
    QString m_totalsGroup;
};

} // namespace kv
