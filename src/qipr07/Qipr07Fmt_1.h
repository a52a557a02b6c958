#pragma once
// TfrmQipr07Fmt_1: the summary material-issue slip. With "汇总打印" the
// report data holds one row per slip, item, unit and item type (and per
// warehouse and lot when the clerk chose those), with dummy quantity
// columns; this layout fetches each row's summed quantities itself with a
// query of its own over a direct connection to the company database (the
// connection string comes from the program server), prints them and totals
// them in the footer. The header, the opening of the data, the inspection
// remark, the print count and the registration for sending are those of
// the detailed slip.
//
// ADO01 and dsdqry are that connection and its query, written in the ERP
// dialect (see platform/KvAdo.h for how it reaches the data).

#include "platform/KvAdo.h"
#include "qipr07/Qipr07Fmt.h"

#include <QObject>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kv {

class TfrmQipr07Fmt_1 : public TfrmQipr07Fmt {
    Q_OBJECT

public:
    explicit TfrmQipr07Fmt_1(QWidget *owner = nullptr);
    ~TfrmQipr07Fmt_1() override;
    // The built-in layout a stored format style is the difference from.
    TfrmVRBaseFmt *createPristine(QWidget *owner) const override { return TKVForm::Create<TfrmQipr07Fmt_1>(owner); }

    // --- components
    TKvADOConnection *ADO01 = nullptr;
    TKvADOQuery *dsdqry = nullptr;

    // --- header and line fields of the summary
    TKVQRDBText *txtUDF01M = nullptr;
    TKVQRDBText *txtTE004 = nullptr;
    TKVQRDBText *txtTE017 = nullptr;
    TKVQRDBText *txtTE018 = nullptr;
    TKVQRDBText *txtTE006 = nullptr;
    TKVQRDBText *txtTE008 = nullptr;
    TKVQRDBText *txtCMSMC002 = nullptr;
    TKVQRDBText *txtTE010 = nullptr;
    TKVQRDBText *txtTE023 = nullptr;
    TKVQRDBText *txtTEC01 = nullptr;

    // --- running totals of the line query
    double IssueQtyTotal = 0;  // TE005, issue quantity
    double IssuePackTotal = 0; // TE021, issue packing quantity

    // The summed quantities of the current report row; false (after the
    // message) when the company database cannot be reached.
    virtual bool QueryLineTotals();
    // The SQL of the line query for the columns the report data has.
    std::string LineTotalsSql() const;

    void txtHyphenPrint(QObject *sender, EventArgs &args) override;
    void txtTE005C1Print(QObject *sender, EventArgs &args) override;
    void txtTE021C1Print(QObject *sender, EventArgs &args) override;
    void txtTE005Print(QObject *sender, EventArgs &args);
    void txtTE008Print(QObject *sender, EventArgs &args);
    void txtCMSMC002Print(QObject *sender, EventArgs &args);
    void txtTE010Print(QObject *sender, EventArgs &args);
    void txtTE023Print(QObject *sender, EventArgs &args);

    // The summary has no extension fields.
    void BeforeDesign() override;

protected:
    void QuickRep1BeforePrint(ReportPrintArgs &args) override;
    void QRDetailBandBeforePrint(BandPrintArgs &args) override;
    void resetRunningTotals() override;

private:
    void buildSummaryLines();
    void buildSummaryFooter();
    bool connectLineQuery();
    // A column's text when the report data has `present`, else empty.
    std::string textIfColumn(const char *present, const char *column) const;
    void convertForDisplay(EventArgs &args) const;

    bool m_lineQueryFailed = false;
};

} // namespace kv
