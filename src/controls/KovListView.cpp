#include "controls/KovListView.h"

#include "controls/ControlEventBridge.h"
#include "controls/ControlEvents.h"

#include <QCollator>
#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

namespace kv {

// A row that knows its sub-item count (a row may have fewer sub-items than
// the list has columns) and asks its list before its text changes.
class KovListItem : public QTreeWidgetItem {
public:
    explicit KovListItem(const QStringList &values) : QTreeWidgetItem(UserType)
    {
        for (int column = 0; column < values.size(); ++column)
            setText(column, values.at(column));
        subItems = int(values.size()) - 1;
    }

    void setData(int column, int role, const QVariant &value) override
    {
        auto *list = qobject_cast<TKovListView *>(treeWidget());
        const bool isText = role == Qt::DisplayRole || role == Qt::EditRole;
        if (!list || list->m_silent || !isText || data(column, role) == value) {
            QTreeWidgetItem::setData(column, role, value);
            return;
        }
        if (!list->rowChanging(this))
            return;
        QTreeWidgetItem::setData(column, role, value);
        list->rowChanged(this);
    }

    // Qt's sort asks this; the list's own comparison decides.
    bool operator<(const QTreeWidgetItem &other) const override
    {
        auto *list = qobject_cast<TKovListView *>(treeWidget());
        return list && list->CompareRows(this, &other) < 0;
    }

    int subItems = 0;
};

namespace {

int subItemCount(const QTreeWidgetItem *item)
{
    return item->type() == QTreeWidgetItem::UserType ? static_cast<const KovListItem *>(item)->subItems : 0;
}

// Column 0 is the row text, column c its sub-item c - 1; a missing sub-item
// reads empty.
QString cell(const QTreeWidgetItem *item, int column)
{
    return column <= subItemCount(item) ? item->text(column) : QString();
}

const QCollator &caseInsensitiveCollator()
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// Blocks the list's change and select events for a scope.
class Silence {
public:
    explicit Silence(bool &flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~Silence() { m_flag = m_was; }
    Silence(const Silence &) = delete;
    Silence &operator=(const Silence &) = delete;

private:
    bool &m_flag;
    bool m_was;
};

} // namespace

TKovListView::TKovListView(QWidget *parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHeaderHidden(true);
    setSortingEnabled(false);
    setCursor(Qt::PointingHandCursor);
    applyColumnCount();
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &TKovListView::ColumnClick);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TKovListView::selectionChange);
    auto *bridge = new ControlEventBridge(this, ControlEventBridge::RaiseClicks);
    bridge->watch(viewport());
}

void TKovListView::applyColumnCount()
{
    setColumnCount(qMax(1, m_columnCount));
    if (m_columnCount == 0)
        headerItem()->setText(0, QString());
}

void TKovListView::ensureColumns(int count)
{
    while (m_columnCount < count) {
        ++m_columnCount;
        applyColumnCount();
        headerItem()->setText(m_columnCount - 1, QStringLiteral("Data%1").arg(m_columnCount));
    }
}

void TKovListView::insertRow(const QStringList &values)
{
    addTopLevelItem(new KovListItem(values));
}

void TKovListView::padRows()
{
    int widest = 0;
    for (int row = 0; row < topLevelItemCount(); ++row)
        widest = qMax(widest, subItemCount(topLevelItem(row)));
    Silence silence(m_silent);
    for (int row = 0; row < topLevelItemCount(); ++row) {
        auto *item = static_cast<KovListItem *>(topLevelItem(row));
        for (int column = item->subItems + 1; column <= widest; ++column)
            item->setText(column, QString());
        item->subItems = widest;
    }
}

bool TKovListView::rowsFit(const QList<QStringList> &rows)
{
    return std::all_of(rows.begin(), rows.end(),
                       [](const QStringList &values) { return values.size() <= kMaxRowValues; });
}

bool TKovListView::AddItem(const QStringList &values)
{
    if (values.isEmpty() || values.size() > kMaxRowValues)
        return false;
    try {
        ensureColumns(int(values.size()));
        insertRow(values);
        padRows();
        if (m_sorted)
            SortRows();
        RemoveDuplicates();
        if (m_columnsAutoSize)
            AutoSizeColumns();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

void TKovListView::Clear()
{
    clear();
}

void TKovListView::DeleteSelected()
{
    qDeleteAll(selectedItems());
}

QStringList TKovListView::rowValues(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    if (!item)
        return {};
    QStringList values;
    for (int column = 0; column <= subItemCount(item); ++column)
        values.append(item->text(column));
    return values;
}

QList<QStringList> TKovListView::rows() const
{
    QList<QStringList> all;
    for (int row = 0; row < topLevelItemCount(); ++row)
        all.append(rowValues(row));
    return all;
}

bool TKovListView::setRows(const QList<QStringList> &rows)
{
    if (!rowsFit(rows))
        return false;
    clear();
    for (const QStringList &values : rows) {
        if (values.isEmpty())
            continue;
        ensureColumns(int(values.size()));
        insertRow(values);
    }
    padRows();
    if (m_columnsAutoSize)
        AutoSizeColumns();
    return true;
}

QStringList TKovListView::columnCaptions() const
{
    QStringList captions;
    for (int column = 0; column < m_columnCount; ++column)
        captions.append(headerItem()->text(column));
    return captions;
}

void TKovListView::setColumnCaptions(const QStringList &captions)
{
    m_columnCount = int(captions.size());
    applyColumnCount();
    for (int column = 0; column < m_columnCount; ++column)
        headerItem()->setText(column, captions.at(column));
}

QStringList TKovListView::columns() const
{
    QStringList lines;
    for (int column = 0; column < m_columnCount; ++column)
        lines.append(headerItem()->text(column) + QLatin1Char('=') + QString::number(columnWidth(column)));
    return lines;
}

void TKovListView::setColumns(const QStringList &columns)
{
    m_columnCount = int(columns.size());
    applyColumnCount();
    for (int column = 0; column < m_columnCount; ++column) {
        const QString &line = columns.at(column);
        const qsizetype equals = line.lastIndexOf(QLatin1Char('='));
        bool isWidth = false;
        const int width = equals < 0 ? 0 : line.mid(equals + 1).trimmed().toInt(&isWidth);
        headerItem()->setText(column, isWidth ? line.left(equals) : line);
        if (isWidth && width >= 0)
            setColumnWidth(column, width);
    }
}

void TKovListView::AutoSizeColumns()
{
    const int letterWidth = fontMetrics().horizontalAdvance(QLatin1Char('W'));
    for (int column = 0; column < m_columnCount; ++column) {
        qsizetype longest = headerItem()->text(column).size();
        for (int row = 0; row < topLevelItemCount(); ++row)
            longest = qMax(longest, cell(topLevelItem(row), column).size());
        setColumnWidth(column, int(longest) * letterWidth);
    }
}

void TKovListView::setHideSelection(bool hide)
{
    m_hideSelection = hide;
    QPalette colours = palette();
    const QPalette active = palette();
    if (hide) {
        colours.setColor(QPalette::Inactive, QPalette::Highlight, active.color(QPalette::Active, QPalette::Base));
        colours.setColor(QPalette::Inactive, QPalette::HighlightedText, active.color(QPalette::Active, QPalette::Text));
    } else {
        colours.setColor(QPalette::Inactive, QPalette::Highlight, active.color(QPalette::Active, QPalette::Highlight));
        colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         active.color(QPalette::Active, QPalette::HighlightedText));
    }
    setPalette(colours);
}

void TKovListView::RemoveDuplicates()
{
    if (m_duplicates == Duplicates::None)
        return;
    for (int row = topLevelItemCount() - 1; row >= 1; --row) {
        QString text = topLevelItem(row)->text(0);
        QString before = topLevelItem(row - 1)->text(0);
        if (m_duplicates == Duplicates::CaseInsensitive) {
            text = text.toUpper();
            before = before.toUpper();
        }
        if (text == before)
            delete topLevelItem(row);
    }
}

void TKovListView::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (sorted)
        SortRows();
}

void TKovListView::ColumnClick(int column)
{
    if (column == m_sortColumn) {
        m_sortAscending = !m_sortAscending;
    } else {
        m_sortColumn = column;
        m_sortAscending = true;
    }
    SortRows();
}

void TKovListView::SortRows()
{
    Silence silence(m_silent);
    // The rows' own comparison already applies the direction.
    sortItems(qBound(0, m_sortColumn, columnCount() - 1), Qt::AscendingOrder);
}

int TKovListView::CompareRows(const QTreeWidgetItem *a, const QTreeWidgetItem *b) const
{
    QList<int> order{m_sortColumn};
    if (m_sortColumn == 0)
        order.append(1);
    else if (m_sortColumn == 1)
        order.append(0);
    else
        order.append({0, 1});
    int result = 0;
    for (int column : order) {
        result = caseInsensitiveCollator().compare(cell(a, column), cell(b, column));
        if (result != 0)
            break;
    }
    return m_sortAscending ? result : -result;
}

void TKovListView::ConvertTexts(const std::function<QString(const QString &)> &convert)
{
    Silence silence(m_silent);
    for (int column = 0; column < m_columnCount; ++column)
        headerItem()->setText(column, convert(headerItem()->text(column)));
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = topLevelItem(row);
        for (int column = 0; column <= subItemCount(item); ++column)
            item->setText(column, convert(item->text(column)));
    }
}

void TKovListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus())
            return; // a list that cannot hold the focus takes no clicks
    }
    QTreeWidget::mousePressEvent(event);
}

bool TKovListView::rowChanging(QTreeWidgetItem *item)
{
    ItemChangeArgs args(item, ItemChange::Text);
    m_OnChanging(this, args);
    return args.allowChange;
}

void TKovListView::rowChanged(QTreeWidgetItem *item)
{
    ItemChangeArgs args(item, ItemChange::Text);
    m_OnChange(this, args);
}

void TKovListView::selectionChange(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (m_silent)
        return;
    const auto report = [this](const QItemSelection &rows, bool isSelected) {
        for (const QModelIndex &index : rows.indexes()) {
            if (index.column() != 0)
                continue;
            QTreeWidgetItem *item = itemFromIndex(index);
            ItemSelectArgs select(item, index.row(), isSelected);
            m_OnSelectItem(this, select);
            ItemChangeArgs change(item, ItemChange::State);
            m_OnChange(this, change);
        }
    };
    report(deselected, false);
    report(selected, true);
}

} // namespace kv
