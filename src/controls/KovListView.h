#pragma once
// TKovListView: the list of chosen values of a selection panel, a report-
// style list (rows with sub-items in columns, multi-select, whole rows).
// Besides the rows it keeps its own column count (a fresh list has none;
// AddItem adds "Data1", "Data2", ... as rows need them), the sub-item count
// of every row, and the sort and duplicate rules the panel sets:
//
// - sorted lists order their rows by the sort column, compared without case
//   in the locale's order, ties broken by the other columns;
// - duplicate checking removes a row whose text equals the text of the row
//   before it (exactly, or ignoring case), which is why it sorts the list.

#include "controls/ControlProperties.h"

#include <QStringList>
#include <QTreeWidget>

#include <functional>

namespace kv {

class TKovListView : public QTreeWidget {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(bool ColumnsAutoSize READ columnsAutoSize WRITE setColumnsAutoSize)
    Q_PROPERTY(QStringList ColumnCaptions READ columnCaptions WRITE setColumnCaptions)
    Q_PROPERTY(QStringList Columns READ columns WRITE setColumns)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool HideSelection READ hideSelection WRITE setHideSelection)
    Q_PROPERTY(QList<QStringList> Items READ rows WRITE setRows)
    Q_PROPERTY(bool ShowColumnHeaders READ showColumnHeaders WRITE setShowColumnHeaders)
    KV_PUBLISHED_EVENT(OnChange)
    KV_PUBLISHED_EVENT(OnChanging)
    KV_PUBLISHED_EVENT(OnClick)
    KV_PUBLISHED_EVENT(OnDblClick)
    KV_PUBLISHED_EVENT(OnEnter)
    KV_PUBLISHED_EVENT(OnExit)
    KV_PUBLISHED_EVENT(OnKeyDown)
    KV_PUBLISHED_EVENT(OnKeyPress)
    KV_PUBLISHED_EVENT(OnKeyUp)
    KV_PUBLISHED_EVENT(OnMouseDown)
    KV_PUBLISHED_EVENT(OnMouseMove)
    KV_PUBLISHED_EVENT(OnMouseUp)
    KV_PUBLISHED_EVENT(OnSelectItem)

public:
    enum class Duplicates { None, CheckCase, CaseInsensitive };

    // The most values a row may have. A list shows the columns of a lookup,
    // a handful; a row far wider comes from a damaged set or package, and
    // padding every row to it would cost rows times its width in cells (an
    // 8 KB stored line could ask for millions) and leave the columns behind.
    static constexpr int kMaxRowValues = 64;
    static bool rowsFit(const QList<QStringList> &rows);

    explicit TKovListView(QWidget *parent = nullptr);

    // Adds one row: values[0] is the row text, the rest its sub-items. Adds
    // columns as needed, pads every row to the widest, then sorts, removes
    // duplicates and sizes the columns as set. False for no values or more
    // than kMaxRowValues.
    bool AddItem(const QStringList &values);
    // Removes every row (the columns stay).
    void Clear();
    // Removes the selected rows.
    void DeleteSelected();

    int rowCount() const { return topLevelItemCount(); }
    // Row text followed by the row's sub-items.
    QStringList rowValues(int row) const;
    QList<QStringList> rows() const;
    // Replaces all rows, each as AddItem would take it, without sorting or
    // removing duplicates (a stored list comes back as it was). False, and
    // the list as it was, when a row does not fit (rowsFit).
    bool setRows(const QList<QStringList> &rows);

    int vclColumnCount() const { return m_columnCount; }
    QStringList columnCaptions() const;
    // One column per line, in order; widths of kept columns stay.
    void setColumnCaptions(const QStringList &captions);
    // Columns as "Caption=Width" lines ("Caption" alone: width left as is).
    QStringList columns() const;
    void setColumns(const QStringList &columns);

    bool columnsAutoSize() const { return m_columnsAutoSize; }
    void setColumnsAutoSize(bool on) { m_columnsAutoSize = on; }
    // Each column as wide as its longest text in characters times "W".
    void AutoSizeColumns();

    bool hideSelection() const { return m_hideSelection; }
    void setHideSelection(bool hide);
    bool showColumnHeaders() const { return !isHeaderHidden(); }
    void setShowColumnHeaders(bool show) { setHeaderHidden(!show); }

    Duplicates duplicates() const { return m_duplicates; }
    void setDuplicates(Duplicates rule) { m_duplicates = rule; }
    void RemoveDuplicates();

    bool isSorted() const { return m_sorted; }
    // Turning sorting on sorts at once.
    void setSorted(bool sorted);
    int sortColumn() const { return m_sortColumn; }
    bool sortAscending() const { return m_sortAscending; }
    // A click on a column header: the same column again reverses the order,
    // another one becomes the sort column, ascending. Then re-sorts.
    void ColumnClick(int column);
    // Orders the rows by the current sort column and direction.
    void SortRows();
    // Replaces every column caption and cell text t by convert(t), without
    // change events (a language conversion, not an edit).
    void ConvertTexts(const std::function<QString(const QString &)> &convert);
    // <0, 0, >0 as row a sorts before, with or after row b.
    int CompareRows(const QTreeWidgetItem *a, const QTreeWidgetItem *b) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    friend class KovListItem;
    void padRows();
    void ensureColumns(int count);
    void applyColumnCount();
    void insertRow(const QStringList &values);
    // Asked before a row's text changes; false refuses the change.
    bool rowChanging(QTreeWidgetItem *item);
    void rowChanged(QTreeWidgetItem *item);
    void selectionChange(const QItemSelection &selected, const QItemSelection &deselected);

    int m_columnCount = 0;
    bool m_columnsAutoSize = true;
    bool m_hideSelection = false;
    bool m_sorted = false;
    int m_sortColumn = 0;
    bool m_sortAscending = true;
    Duplicates m_duplicates = Duplicates::None;
    // Set while the list rearranges itself: no change or select events.
    bool m_silent = false;
};

} // namespace kv
