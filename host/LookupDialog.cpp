#include "LookupDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <stdexcept>
#include <vector>

namespace erphost {

namespace {

QString textOf(const kv::Variant &value)
{
    try {
        return QString::fromStdString(kv::varToStr(value));
    } catch (const kv::VariantError &) {
        return QString::fromStdString(value.debugText()); // an array or object cell
    }
}

bool isArray(const kv::Variant &value)
{
    return value.deref().isArray() && value.deref().array().dimCount() == 1;
}

std::vector<kv::Variant> elements(const kv::Variant &value)
{
    const kv::VariantArray &array = value.deref().array();
    std::vector<kv::Variant> items;
    for (int i = array.lowBound(); i <= array.highBound(); ++i)
        items.push_back(array.at(i));
    return items;
}

} // namespace

LookupDialog::LookupDialog(const kv::Variant &reply, Searcher searcher, const std::string &searchText,
                           QWidget *parent)
    : QDialog(parent), m_searcher(std::move(searcher))
{
    if (!isLookupReply(reply))
        throw std::invalid_argument("the lookup reply is not [title, names, captions, rows, more]: " +
                                    reply.debugText());
    setObjectName("frmLookup");
    m_search = new QLineEdit(QString::fromStdString(searchText), this);
    m_search->setObjectName("edtSearch");
    m_searchButton = new QPushButton(QStringLiteral("查询"), this);
    m_searchButton->setObjectName("btnSearch");
    m_searchButton->setAutoDefault(false);
    m_table = new QTableWidget(this);
    m_table->setObjectName("grdRows");
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_more = new QLabel(QStringLiteral("符合条件的资料太多，请输入查询文字缩小范围"), this);
    m_more->setObjectName("lblMore");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName("btnOk");
    m_ok->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("btnCancel");
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(m_search);
    searchRow->addWidget(m_searchButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(m_table);
    layout->addWidget(m_more);
    layout->addWidget(buttons);
    resize(560, 420);

    connect(m_searchButton, &QPushButton::clicked, this, &LookupDialog::search);
    connect(m_search, &QLineEdit::returnPressed, this, &LookupDialog::search);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
    connect(m_table, &QTableWidget::itemSelectionChanged, this,
            [this] { m_ok->setEnabled(!m_table->selectedItems().isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    fillColumns(reply);
    showReply(reply);
}

bool LookupDialog::isLookupReply(const kv::Variant &reply)
{
    if (!isArray(reply) || reply.deref().array().elementCount() < 5)
        return false;
    const kv::VariantArray &array = reply.deref().array();
    const int low = array.lowBound();
    return isArray(array.at(low + 1)) && isArray(array.at(low + 2)) && isArray(array.at(low + 3));
}

void LookupDialog::fillColumns(const kv::Variant &reply)
{
    const kv::VariantArray &array = reply.deref().array();
    const int low = array.lowBound();
    setWindowTitle(textOf(array.at(low)));
    QStringList captions;
    for (const kv::Variant &caption : elements(array.at(low + 2)))
        captions << textOf(caption);
    m_table->setColumnCount(static_cast<int>(captions.size()));
    m_table->setHorizontalHeaderLabels(captions);
}

void LookupDialog::showReply(const kv::Variant &reply)
{
    if (!isLookupReply(reply))
        throw std::invalid_argument("the lookup reply is not [title, names, captions, rows, more]");
    const kv::VariantArray &array = reply.deref().array();
    const int low = array.lowBound();
    fillRows(array.at(low + 3));
    bool more = false;
    try {
        more = array.at(low + 4).toBool();
    } catch (const kv::VariantError &) {
    }
    m_more->setVisible(more);
}

void LookupDialog::fillRows(const kv::Variant &rows)
{
    m_rows = rows.deref();
    const std::vector<kv::Variant> list = elements(m_rows);
    m_table->clearContents();
    m_table->setRowCount(static_cast<int>(list.size()));
    for (int r = 0; r < static_cast<int>(list.size()); ++r) {
        const kv::Variant &row = list[static_cast<std::size_t>(r)];
        const std::vector<kv::Variant> cells = isArray(row) ? elements(row) : std::vector<kv::Variant>{row};
        if (static_cast<int>(cells.size()) > m_table->columnCount())
            m_table->setColumnCount(static_cast<int>(cells.size()));
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(textOf(cells[static_cast<std::size_t>(c)])));
    }
    m_table->resizeColumnsToContents();
    if (!list.empty())
        m_table->selectRow(0);
    m_ok->setEnabled(!list.empty());
}

void LookupDialog::search()
{
    if (!m_searcher)
        return;
    const kv::Variant reply = m_searcher(m_search->text().trimmed().toStdString());
    if (isLookupReply(reply))
        showReply(reply);
    else
        fillRows(kv::varArrayOf({}));
}

kv::Variant LookupDialog::pickedRow() const
{
    const int row = m_table->currentRow();
    if (row < 0 || m_table->selectedItems().isEmpty())
        return {};
    const kv::VariantArray &rows = m_rows.array();
    return rows.at(rows.lowBound() + row);
}

int LookupDialog::rowCount() const
{
    return m_table->rowCount();
}

LookupDialog::Searcher LookupDialog::localSearcher(kv::Variant reply)
{
    return [reply](const std::string &text) {
        const QString wanted = QString::fromStdString(text);
        kv::Variant narrowed = reply;
        kv::VariantArray &array = narrowed.array();
        std::vector<kv::Variant> kept;
        for (const kv::Variant &row : elements(array.at(array.lowBound() + 3))) {
            const std::vector<kv::Variant> cells = isArray(row) ? elements(row) : std::vector<kv::Variant>{row};
            for (const kv::Variant &cell : cells) {
                if (textOf(cell).contains(wanted, Qt::CaseInsensitive)) {
                    kept.push_back(row);
                    break;
                }
            }
        }
        array.at(array.lowBound() + 3) = kv::varArrayOf(std::move(kept));
        array.at(array.lowBound() + 4) = kv::Variant(false);
        return narrowed;
    };
}

} // namespace erphost
