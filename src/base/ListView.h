#pragma once
// TListView: the list of saved condition sets. Items have a caption, sub-
// items (shown as further columns in the report style) and a picture; the
// list shows them in one of four view styles: large icons, small icons, a
// list, or a report with column headers. With SortType stText items are kept
// in the order of their captions (case ignored). Captions can be edited in
// place (F2 or a click on the selected item) unless ReadOnly; OnEdited
// (EditedArgs) may change or refuse the new text before it is taken.

#include "base/ImageList.h"
#include "controls/ControlProperties.h"

#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <utility>

class QAbstractItemView;
class QListView;

class QModelIndex;
class QStackedLayout;
class QStandardItemModel;
class QTreeView;

namespace kv {


class TListView : public QWidget {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(kv::TListView::TViewStyle ViewStyle READ viewStyle WRITE setViewStyle)
    Q_PROPERTY(kv::TListView::TSortType SortType READ sortType WRITE setSortType)
    Q_PROPERTY(bool ReadOnly READ readOnly WRITE setReadOnly)
    Q_PROPERTY(bool ColumnClick READ columnClick WRITE setColumnClick)
    Q_PROPERTY(bool IconArrange READ iconArrange WRITE setIconArrange)
    Q_PROPERTY(QStringList ColumnCaptions READ columnCaptions WRITE setColumnCaptions)
    Q_PROPERTY(QStringList Items READ captions)
    Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex)
    Q_PROPERTY(kv::TImageList *LargeImages READ largeImages WRITE setLargeImages)
    Q_PROPERTY(kv::TImageList *SmallImages READ smallImages WRITE setSmallImages)
    Q_PROPERTY(QMenu *PopupMenu READ popupMenu WRITE setPopupMenu)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    KV_PUBLISHED_EVENT(OnDblClick)
    KV_PUBLISHED_EVENT(OnEdited)
    KV_PUBLISHED_EVENT(OnKeyDown)
    KV_PUBLISHED_EVENT(OnKeyPress)
    KV_PUBLISHED_EVENT(OnKeyUp)
    KV_PUBLISHED_EVENT(OnMouseDown)
    KV_PUBLISHED_EVENT(OnMouseUp)
    KV_PUBLISHED_EVENT(OnMouseMove)
    KV_PUBLISHED_EVENT(OnEnter)
    KV_PUBLISHED_EVENT(OnExit)

public:
    enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
    Q_ENUM(TViewStyle)
    enum TSortType { stNone, stText };
    Q_ENUM(TSortType)

    // OnEdited: text is what the user typed; the handler may change it (put
    // the old caption back to refuse the edit).
    class EditedArgs : public EventArgs {
    public:
        EditedArgs(int row, QString oldText, QString text) : row(row), oldText(std::move(oldText)), text(std::move(text)) {}
        int row;
        QString oldText;
        QString text;
    };

    explicit TListView(QWidget *parent = nullptr);

    // Batches changes: the views are refreshed once at the outermost end.
    void BeginUpdate();
    void EndUpdate();

    // Adds an item (at its sorted place with stText); returns its row.
    int AddItem(const QString &caption, const QStringList &subItems = {}, int imageIndex = -1);
    void Clear();
    int count() const;
    QString caption(int row) const;
    void setCaption(int row, const QString &caption);
    QStringList subItems(int row) const;
    QStringList captions() const;
    // The first row with exactly this caption; -1 when none.
    int FindCaption(const QString &caption) const;

    // The selected row, -1 when none.
    int itemIndex() const;
    void setItemIndex(int row);
    // Starts editing the caption of a row in place.
    void EditItem(int row);
    bool isEditing() const;

    // Columns of the report style: caption, alignment; AutoSizeColumns
    // makes each as wide as its header.
    void SetColumn(int index, const QString &caption, Qt::Alignment alignment);
    QStringList columnCaptions() const;
    void setColumnCaptions(const QStringList &captions);
    Qt::Alignment columnAlignment(int index) const;
    void AutoSizeColumns();

    TViewStyle viewStyle() const { return m_viewStyle; }
    void setViewStyle(TViewStyle style);
    TSortType sortType() const { return m_sortType; }
    void setSortType(TSortType type);
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    bool columnClick() const { return m_columnClick; }
    void setColumnClick(bool on);
    bool iconArrange() const { return m_iconArrange; }
    void setIconArrange(bool on);
    TImageList *largeImages() const { return m_largeImages; }
    void setLargeImages(TImageList *images);
    TImageList *smallImages() const { return m_smallImages; }
    void setSmallImages(TImageList *images);
    QMenu *popupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *menu) { m_popupMenu = menu; }

    // The view that shows the items in the current style.
    QAbstractItemView *currentView() const;
    // The rectangle of a row in the current view, in its viewport.
    QRect itemRect(int row) const;

private:
    friend class ListViewEditDelegate;
    void edited(const QModelIndex &index, const QString &text);
    void applyStyle();
    void refreshPictures();
    void showPopup(const QPoint &position);
    int sortedRow(const QString &caption) const;

    QStandardItemModel *m_model;
    QListView *m_listView;
    QTreeView *m_treeView;
    QStackedLayout *m_stack;
    QPointer<TImageList> m_largeImages;
    QPointer<TImageList> m_smallImages;
    QPointer<QMenu> m_popupMenu;
    TViewStyle m_viewStyle = vsIcon;
    TSortType m_sortType = stNone;
    bool m_readOnly = false;
    bool m_columnClick = true;
    bool m_iconArrange = true;
    int m_updateCount = 0;
    QList<Qt::Alignment> m_alignments;
};

} // namespace kv
