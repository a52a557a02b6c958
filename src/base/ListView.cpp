#include "base/ListView.h"

#include "base/ImageList.h"
#include "controls/ControlEventBridge.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace kv {

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
} // namespace

// Hands every finished in-place edit to the list, which decides what text
// the item keeps.
class ListViewEditDelegate : public QStyledItemDelegate {
public:
    explicit ListViewEditDelegate(TListView *list) : QStyledItemDelegate(list), m_list(list) {}

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            m_list->edited(index, line->text());
    }

private:
    TListView *m_list;
};

TListView::TListView(QWidget *parent)
    : QWidget(parent), m_model(new QStandardItemModel(this)), m_listView(new QListView(this)),
      m_treeView(new QTreeView(this)), m_stack(new QStackedLayout(this))
{
    m_model->setColumnCount(1);
    m_listView->setModel(m_model);
    m_treeView->setModel(m_model);
    m_treeView->setSelectionModel(m_listView->selectionModel());
    m_treeView->setRootIsDecorated(false);
    m_treeView->setUniformRowHeights(true);
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(m_listView), static_cast<QAbstractItemView *>(m_treeView)}) {
        view->setItemDelegate(new ListViewEditDelegate(this));
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &position) {
            showPopup(view->viewport()->mapToGlobal(position));
        });
        m_stack->addWidget(view);
    }
    setFocusProxy(m_listView);
    auto *bridge = new ControlEventBridge(this);
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(m_listView), static_cast<QAbstractItemView *>(m_treeView)}) {
        bridge->watch(view);
        bridge->watch(view->viewport());
    }
    setReadOnly(false);
    applyStyle();
}

void TListView::BeginUpdate()
{
    if (m_updateCount++ == 0)
        setUpdatesEnabled(false);
}

void TListView::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0) {
        setUpdatesEnabled(true);
        update();
    }
}

int TListView::sortedRow(const QString &caption) const
{
    if (m_sortType != stText)
        return m_model->rowCount();
    int row = 0;
    while (row < m_model->rowCount() && QString::compare(m_model->item(row)->text(), caption, Qt::CaseInsensitive) <= 0)
        ++row;
    return row;
}

int TListView::AddItem(const QString &caption, const QStringList &subItems, int imageIndex)
{
    QList<QStandardItem *> cells;
    auto *item = new QStandardItem(caption);
    item->setData(imageIndex, kImageRole);
    item->setEditable(!m_readOnly);
    cells << item;
    for (const QString &text : subItems) {
        auto *cell = new QStandardItem(text);
        cell->setEditable(false);
        cells << cell;
    }
    if (m_model->columnCount() < cells.size())
        m_model->setColumnCount(int(cells.size()));
    const int row = sortedRow(caption);
    m_model->insertRow(row, cells);
    refreshPictures();
    return row;
}

void TListView::Clear()
{
    m_model->removeRows(0, m_model->rowCount());
}

int TListView::count() const
{
    return m_model->rowCount();
}

QString TListView::caption(int row) const
{
    const QStandardItem *item = m_model->item(row);
    return item ? item->text() : QString();
}

void TListView::setCaption(int row, const QString &caption)
{
    if (QStandardItem *item = m_model->item(row))
        item->setText(caption);
}

QStringList TListView::subItems(int row) const
{
    QStringList texts;
    for (int column = 1; column < m_model->columnCount(); ++column)
        if (const QStandardItem *cell = m_model->item(row, column))
            texts << cell->text();
    return texts;
}

QStringList TListView::captions() const
{
    QStringList texts;
    for (int row = 0; row < m_model->rowCount(); ++row)
        texts << caption(row);
    return texts;
}

int TListView::FindCaption(const QString &caption) const
{
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (this->caption(row) == caption)
            return row;
    return -1;
}

int TListView::itemIndex() const
{
    const QModelIndexList rows = m_listView->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TListView::setItemIndex(int row)
{
    QItemSelectionModel *selection = m_listView->selectionModel();
    if (row < 0 || row >= m_model->rowCount()) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TListView::EditItem(int row)
{
    if (m_readOnly || row < 0 || row >= m_model->rowCount())
        return;
    setItemIndex(row);
    currentView()->edit(m_model->index(row, 0));
}

bool TListView::isEditing() const
{
    const auto *editor = currentView()->viewport()->findChild<QLineEdit *>();
    return editor && editor->isVisible();
}

void TListView::edited(const QModelIndex &index, const QString &text)
{
    QStandardItem *item = m_model->itemFromIndex(index.siblingAtColumn(0));
    if (!item)
        return;
    EditedArgs args(item->row(), item->text(), text);
    m_OnEdited(this, args);
    item->setText(args.text);
}

void TListView::SetColumn(int index, const QString &caption, Qt::Alignment alignment)
{
    if (m_model->columnCount() <= index)
        m_model->setColumnCount(index + 1);
    m_model->setHeaderData(index, Qt::Horizontal, caption);
    m_model->setHeaderData(index, Qt::Horizontal, int(alignment | Qt::AlignVCenter), Qt::TextAlignmentRole);
    while (m_alignments.size() <= index)
        m_alignments << Qt::AlignLeft;
    m_alignments[index] = alignment;
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (QStandardItem *cell = m_model->item(row, index))
            cell->setTextAlignment(alignment | Qt::AlignVCenter);
}

QStringList TListView::columnCaptions() const
{
    QStringList texts;
    for (int column = 0; column < m_model->columnCount(); ++column)
        texts << m_model->headerData(column, Qt::Horizontal).toString();
    return texts;
}

void TListView::setColumnCaptions(const QStringList &captions)
{
    for (int column = 0; column < captions.size(); ++column)
        SetColumn(column, captions[column], columnAlignment(column));
}

Qt::Alignment TListView::columnAlignment(int index) const
{
    return index < m_alignments.size() ? m_alignments[index] : Qt::Alignment(Qt::AlignLeft);
}

void TListView::AutoSizeColumns()
{
    QHeaderView *header = m_treeView->header();
    for (int column = 0; column < m_model->columnCount(); ++column)
        header->resizeSection(column, header->sectionSizeHint(column));
}

void TListView::setViewStyle(TViewStyle style)
{
    m_viewStyle = style;
    applyStyle();
}

void TListView::setSortType(TSortType type)
{
    m_sortType = type;
    if (type == stText)
        m_model->sort(0);
}

void TListView::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    const auto triggers = readOnly ? QAbstractItemView::NoEditTriggers
                                   : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked;
    m_listView->setEditTriggers(triggers);
    m_treeView->setEditTriggers(triggers);
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_model->item(row)->setEditable(!readOnly);
}

void TListView::setColumnClick(bool on)
{
    m_columnClick = on;
    m_treeView->header()->setSectionsClickable(on);
}

void TListView::setIconArrange(bool on)
{
    m_iconArrange = on;
    applyStyle();
}

void TListView::setLargeImages(TImageList *images)
{
    m_largeImages = images;
    applyStyle();
}

void TListView::setSmallImages(TImageList *images)
{
    m_smallImages = images;
    applyStyle();
}

QAbstractItemView *TListView::currentView() const
{
    if (m_viewStyle == vsReport)
        return m_treeView;
    return m_listView;
}

QRect TListView::itemRect(int row) const
{
    return currentView()->visualRect(m_model->index(row, 0));
}

void TListView::applyStyle()
{
    const bool hadFocus = m_listView->hasFocus() || m_treeView->hasFocus();
    switch (m_viewStyle) {
    case vsIcon:
        m_listView->setViewMode(QListView::IconMode);
        m_listView->setMovement(m_iconArrange ? QListView::Static : QListView::Free);
        m_listView->setResizeMode(QListView::Adjust);
        m_listView->setWrapping(true);
        break;
    case vsSmallIcon:
        m_listView->setViewMode(QListView::ListMode);
        m_listView->setFlow(QListView::LeftToRight);
        m_listView->setWrapping(true);
        m_listView->setResizeMode(QListView::Adjust);
        break;
    case vsList:
        m_listView->setViewMode(QListView::ListMode);
        m_listView->setFlow(QListView::TopToBottom);
        m_listView->setWrapping(true);
        m_listView->setResizeMode(QListView::Adjust);
        break;
    case vsReport:
        break;
    }
    QAbstractItemView *view = currentView();
    m_stack->setCurrentWidget(view);
    setFocusProxy(view);
    if (hadFocus)
        view->setFocus();
    refreshPictures();
}

// Icons come from the large list in the icon style and from the small list
// otherwise.
void TListView::refreshPictures()
{
    TImageList *images = m_viewStyle == vsIcon ? m_largeImages : m_smallImages;
    if (images) {
        const QSize size(images->width(), images->height());
        m_listView->setIconSize(size);
        m_treeView->setIconSize(size);
    }
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QStandardItem *item = m_model->item(row);
        const QPixmap picture = images ? images->picture(item->data(kImageRole).toInt()) : QPixmap();
        item->setData(picture.isNull() ? QVariant() : QVariant(picture), Qt::DecorationRole);
    }
}

void TListView::showPopup(const QPoint &position)
{
    if (m_popupMenu)
        m_popupMenu->popup(position);
}

} // namespace kv
