#pragma once
// TfrmPrintLedger: the print and send ledger of the slips, as the program
// server keeps it (one row per slip and output: who, when, how, where to,
// pages, success). The clerk filters by slip type, slip number, user, date
// range and kind, sorts by any column and exports the rows shown as a CSV
// file (UTF-8 with a byte-order mark, every field quoted, so that a
// spreadsheet opens Chinese names and printer names with commas correctly).
//
// Opened from the condition window's tool bar ("列印记录"). It asks the
// opener's program server ("GetPrintLedger") and shows its texts through the
// opener's language lookup (section "TfrmPrintLedger").

#include "platform/Dispatch.h"
#include "platform/ResultTable.h"

#include <QDialog>
#include <QString>

#include <string>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace kv {

class TKVForm;
class TKvBitBtn;

class TfrmPrintLedger : public QDialog {
    Q_OBJECT

public:
    // opener: the window whose program server, code conversion and language
    // packages the ledger uses; it must outlive the dialog.
    TfrmPrintLedger(TKVForm *opener, DispatchPtr programServer, QWidget *parent = nullptr);

    QLineEdit *edtSlipType = nullptr;
    QLineEdit *edtSlipNo = nullptr;
    QLineEdit *edtUser = nullptr;
    QLineEdit *edtDateFrom = nullptr; // YYYYMMDD
    QLineEdit *edtDateTo = nullptr;
    QComboBox *cboKind = nullptr;     // 全部, then the kinds 1 to 5
    TKvBitBtn *btnQuery = nullptr;
    TKvBitBtn *btnExportCsv = nullptr;
    TKvBitBtn *btnClose = nullptr;
    QTableWidget *grdLedger = nullptr;
    QLabel *lblStatus = nullptr;

    // Reads the rows of the filter from the server; false (the reason in
    // the status line) when the server refused.
    bool btnQueryClick();
    // Asks for a file name and writes the rows as shown (sorted as shown).
    void btnExportCsvClick();
    // Writes the rows as shown into fileName; false when it cannot be written.
    bool ExportCsv(const QString &fileName) const;

    // One CSV field: quoted, inner quotes doubled.
    static QString CsvField(const QString &text);
    // The name of a ledger kind code ("1" → "打印机").
    QString KindName(const QString &code) const;

private:
    QString text(const char *key, const char *defaultText) const;
    void buildFilter(QGridLayout *grid);
    void fill(const ResultTable &rows);

    TKVForm *m_opener;
    DispatchPtr m_server;
};

} // namespace kv
