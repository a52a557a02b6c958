#pragma once
// PreviewSidePanel: the panel beside the preview's pages. Its first tab is
// the slip index (one row per slip: type-number, date, department or
// supplier, pages; several can be chosen for printing), its second the page
// thumbnails. A click on either shows that page. Both follow the page store
// while pages arrive. Thumbnails are drawn when they come into view, so a
// run of a thousand pages opens as fast as one of ten.

#include <QPointer>
#include <QTabWidget>

#include <vector>

class QListView;
class QTreeWidget;

namespace kv {

class PageStore;
class PreviewSlipIndex;
class PreviewThumbnails;

class PreviewSidePanel : public QTabWidget {
    Q_OBJECT

public:
    explicit PreviewSidePanel(QWidget *parent = nullptr);

    void setPages(PageStore *pages);
    PreviewSlipIndex *index() const { return m_index; }

    // Components (object names are the member names).
    QTreeWidget *lstSlips = nullptr;
    QListView *lstThumbnails = nullptr;

    // The chosen slips (row numbers of the index), in index order.
    std::vector<int> chosenSlips() const;
    // The width that shows every column of the index without cutting it.
    int preferredWidth() const;
    // Marks the slip of the page shown and its thumbnail.
    void showPage(int page);
    // The headers' captions (the window's language lookup gives them).
    void setCaptions(const QStringList &columns, const QString &indexTab, const QString &thumbnailTab);

signals:
    void pageChosen(int page);

private:
    void slipsChanged(int from);

    PreviewSlipIndex *m_index = nullptr;
    PreviewThumbnails *m_thumbnails = nullptr;
};

} // namespace kv
