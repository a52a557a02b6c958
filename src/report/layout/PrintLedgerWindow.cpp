#include "report/layout/PrintLedgerWindow.h"

#include "base/KVForm.h"
#include "base/KvBitBtn.h"
#include "lib/CodeConverter.h"
#include "platform/Prompter.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr const char *kSection = "TfrmPrintLedger";

// The server's columns the grid shows, in grid order, with their headings.
struct LedgerColumn {
    const char *field;
    const char *key;
    const char *heading;
    bool number;
};
constexpr LedgerColumn kColumns[] = {
    {"PL003", "sSlipType", "单别", false},   {"PL004", "sSlipNo", "单号", false},
    {"PL005", "sUser", "用户", false},       {"PL006", "sDate", "日期", false},
    {"PL007", "sTime", "时间", false},       {"PL008", "sKind", "方式", false},
    {"PL009", "sTarget", "输出至", false},   {"PL010", "sFaxServer", "传真服务器", false},
    {"PL011", "sPages", "页数", true},       {"PL012", "sSuccess", "成功", false},
    {"PL013", "sCount", "次数", true},       {"PL015", "sMessage", "讯息", false},
};
constexpr int kKindColumn = 5;

// Kind codes with their names; item i + 1 of the kind box is code i + 1.
constexpr std::pair<const char *, const char *> kKinds[] = {
    {"sKind1", "打印机"}, {"sKind2", "PDF档"}, {"sKind3", "图片档"}, {"sKind4", "E-mail"}, {"sKind5", "传真"},
};

QLineEdit *edit(QWidget *parent, const char *name, int maxLength, int width)
{
    auto *result = new QLineEdit(parent);
    result->setObjectName(QLatin1String(name));
    result->setMaxLength(maxLength);
    result->setFixedWidth(width);
    return result;
}

TKvBitBtn *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *result = new TKvBitBtn(parent);
    result->setObjectName(QLatin1String(name));
    result->setText(caption);
    return result;
}

} // namespace

TfrmPrintLedger::TfrmPrintLedger(TKVForm *opener, DispatchPtr programServer, QWidget *parent)
    : QDialog(parent), m_opener(opener), m_server(std::move(programServer))
{
    setObjectName(QStringLiteral("frmPrintLedger"));
    setWindowTitle(text("sCaption", "列印记录"));
    setModal(true);
    resize(1100, 480);

    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    buildFilter(grid);
    layout->addLayout(grid);

    grdLedger = new QTableWidget(0, int(std::size(kColumns)), this);
    grdLedger->setObjectName(QStringLiteral("grdLedger"));
    QStringList headings;
    for (const LedgerColumn &column : kColumns)
        headings << text(column.key, column.heading);
    grdLedger->setHorizontalHeaderLabels(headings);
    grdLedger->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdLedger->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdLedger->setSortingEnabled(true);
    grdLedger->horizontalHeader()->setStretchLastSection(true);
    grdLedger->verticalHeader()->setVisible(false);
    layout->addWidget(grdLedger, 1);

    auto *bottom = new QHBoxLayout;
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    bottom->addWidget(lblStatus, 1);
    btnExportCsv = button(this, "btnExportCsv", text("sExportCsv", "导出CSV"));
    btnClose = button(this, "btnClose", text("sClose", "关闭"));
    bottom->addWidget(btnExportCsv);
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);

    connect(btnQuery, &QPushButton::clicked, this, [this] { btnQueryClick(); });
    connect(btnExportCsv, &QPushButton::clicked, this, [this] { btnExportCsvClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

QString TfrmPrintLedger::text(const char *key, const char *defaultText) const
{
    if (!m_opener)
        return QString::fromUtf8(defaultText);
    return QString::fromStdString(m_opener->LangText(kSection, key, defaultText));
}

void TfrmPrintLedger::buildFilter(QGridLayout *grid)
{
    const auto caption = [&](const char *key, const char *defaultText, QWidget *buddy, int column) {
        auto *label = new QLabel(text(key, defaultText), this);
        label->setBuddy(buddy);
        grid->addWidget(label, 0, column);
        grid->addWidget(buddy, 0, column + 1);
    };
    edtSlipType = edit(this, "edtSlipType", 4, 50);
    edtSlipNo = edit(this, "edtSlipNo", 11, 100);
    edtUser = edit(this, "edtUser", 20, 80);
    edtDateFrom = edit(this, "edtDateFrom", 8, 80);
    edtDateTo = edit(this, "edtDateTo", 8, 80);
    cboKind = new QComboBox(this);
    cboKind->setObjectName(QStringLiteral("cboKind"));
    cboKind->addItem(text("sAllKinds", "全部"));
    for (const auto &[key, name] : kKinds)
        cboKind->addItem(text(key, name));
    caption("sSlipType", "单别", edtSlipType, 0);
    caption("sSlipNo", "单号", edtSlipNo, 2);
    caption("sUser", "用户", edtUser, 4);
    caption("sDateFrom", "日期起", edtDateFrom, 6);
    caption("sDateTo", "止", edtDateTo, 8);
    caption("sKind", "方式", cboKind, 10);
    btnQuery = button(this, "btnQuery", text("sQuery", "查询"));
    grid->addWidget(btnQuery, 0, 12);
    grid->setColumnStretch(13, 1);
}

QString TfrmPrintLedger::KindName(const QString &code) const
{
    const int kind = code.toInt();
    if (kind < 1 || kind > int(std::size(kKinds)))
        return code;
    return text(kKinds[kind - 1].first, kKinds[kind - 1].second);
}

bool TfrmPrintLedger::btnQueryClick()
{
    const auto toDb = [this](const QLineEdit *edit) {
        const Variant value(edit->text().trimmed().toStdString());
        return m_opener ? m_opener->KvConverter()->RecoverDataString(value) : value;
    };
    const Variant kind(cboKind->currentIndex() > 0 ? std::to_string(cboKind->currentIndex()) : std::string());
    try {
        if (!m_server)
            throw DispatchError("no program server");
        Variant filter = varArrayOf(
            {toDb(edtSlipType), toDb(edtSlipNo), toDb(edtUser), toDb(edtDateFrom), toDb(edtDateTo), kind});
        const Variant packet = m_server->call("GetPrintLedger", {Variant::ref(filter)});
        fill(ResultTable::fromDataPacket(packet.toText()));
        return true;
    } catch (const std::exception &error) {
        grdLedger->setRowCount(0);
        lblStatus->setText(text("sQueryFailed", "查询失败: ") + QString::fromStdString(error.what()));
        return false;
    }
}

void TfrmPrintLedger::fill(const ResultTable &rows)
{
    // Sorting while rows are added would scatter the cells of a row.
    grdLedger->setSortingEnabled(false);
    grdLedger->setRowCount(rows.rowCount());
    for (int row = 0; row < rows.rowCount(); ++row) {
        for (int column = 0; column < int(std::size(kColumns)); ++column) {
            const int field = rows.columnIndex(kColumns[column].field);
            auto *item = new QTableWidgetItem;
            if (field < 0 || rows.isNull(row, field)) {
                // an empty cell
            } else if (kColumns[column].number) {
                item->setData(Qt::DisplayRole, qlonglong(rows.integer(row, field)));
            } else {
                Variant value(std::string(rows.text(row, field)));
                if (m_opener)
                    value = m_opener->KvConverter()->ConvertDataString(value);
                const QString shown = QString::fromStdString(value.toText());
                item->setText(column == kKindColumn ? KindName(shown) : shown);
            }
            grdLedger->setItem(row, column, item);
        }
    }
    grdLedger->setSortingEnabled(true);
    grdLedger->resizeColumnsToContents();
    lblStatus->setText(text("sRows", "笔数: ") + QString::number(rows.rowCount()));
}

QString TfrmPrintLedger::CsvField(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool TfrmPrintLedger::ExportCsv(const QString &fileName) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QString csv;
    const auto line = [&](const QStringList &fields) {
        QStringList quoted;
        for (const QString &field : fields)
            quoted << CsvField(field);
        csv += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    QStringList headings;
    for (int column = 0; column < grdLedger->columnCount(); ++column)
        headings << grdLedger->horizontalHeaderItem(column)->text();
    line(headings);
    for (int row = 0; row < grdLedger->rowCount(); ++row) {
        QStringList fields;
        for (int column = 0; column < grdLedger->columnCount(); ++column) {
            const QTableWidgetItem *item = grdLedger->item(row, column);
            fields << (item ? item->data(Qt::DisplayRole).toString() : QString());
        }
        line(fields);
    }
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + csv.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

void TfrmPrintLedger::btnExportCsvClick()
{
    const std::optional<std::string> chosen = Prompter::current()->chooseSaveFile(
        text("sExportCsv", "导出CSV").toStdString(), "CSV|*.csv", "PrintLedger.csv");
    if (!chosen)
        return;
    const QString fileName = QString::fromStdString(*chosen);
    if (ExportCsv(fileName)) {
        lblStatus->setText(text("sExported", "已导出: ") + fileName);
        return;
    }
    Prompter::current()->messageBox(text("sExportFailed", "无法写入文件: ").toStdString() + *chosen,
                                    windowTitle().toStdString(), MessageType::Error, MessageButton::OK,
                                    MessageButton::OK);
}

} // namespace kv
