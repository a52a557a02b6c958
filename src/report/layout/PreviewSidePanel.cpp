#include "report/layout/PreviewSidePanel.h"

#include "platform/report/PageStore.h"
#include "report/layout/PreviewSlipIndex.h"

#include <QAbstractListModel>
#include <QCache>
#include <QHeaderView>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>

namespace kv {

namespace {

constexpr int kThumbnailWidth = 120;

} // namespace

// The pages as small pictures, drawn on first request and kept in a cache.
class PreviewThumbnails : public QAbstractListModel {
public:
    explicit PreviewThumbnails(QObject *parent) : QAbstractListModel(parent), m_images(200) {}

    void setPages(PageStore *pages)
    {
        beginResetModel();
        if (m_pages)
            disconnect(m_pages, nullptr, this, nullptr);
        m_pages = pages;
        m_count = pages ? pages->pageCount() : 0;
        m_images.clear();
        if (m_pages)
            connect(m_pages, &PageStore::pageAvailable, this, [this](int) { follow(); });
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_count;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || !m_pages)
            return {};
        const int page = index.row() + 1;
        if (role == Qt::DisplayRole)
            return QString::number(page);
        if (role == Qt::DecorationRole)
            return thumbnail(page);
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return {};
    }

private:
    void follow()
    {
        const int count = m_pages->pageCount();
        if (count <= m_count)
            return;
        beginInsertRows(QModelIndex(), m_count, count - 1);
        m_count = count;
        endInsertRows();
    }

    QPixmap thumbnail(int page) const
    {
        if (QPixmap *cached = m_images.object(page))
            return *cached;
        const QSizeF paper = m_pages->pageSize();
        if (paper.isEmpty())
            return {};
        const double scale = kThumbnailWidth / paper.width();
        QPixmap pixmap(kThumbnailWidth, int(paper.height() * scale));
        pixmap.fill(Qt::white);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        m_pages->render(page, painter);
        painter.resetTransform();
        painter.setPen(Qt::gray);
        painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
        painter.end();
        m_images.insert(page, new QPixmap(pixmap));
        return pixmap;
    }

    QPointer<PageStore> m_pages;
    int m_count = 0;
    mutable QCache<int, QPixmap> m_images;
};

PreviewSidePanel::PreviewSidePanel(QWidget *parent)
    : QTabWidget(parent), m_index(new PreviewSlipIndex(this)), m_thumbnails(new PreviewThumbnails(this))
{
    setObjectName(QStringLiteral("PreviewSidePanel"));
    lstSlips = new QTreeWidget(this);
    lstSlips->setObjectName(QStringLiteral("lstSlips"));
    lstSlips->setRootIsDecorated(false);
    lstSlips->setUniformRowHeights(true);
    lstSlips->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstSlips->setColumnCount(4);
    // Number, date and department read as columns, not as one line.
    lstSlips->setStyleSheet(QStringLiteral("QTreeView::item { padding: 1px 6px 1px 2px; }"));
    lstSlips->header()->setStretchLastSection(false);
    lstSlips->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    addTab(lstSlips, QString());

    lstThumbnails = new QListView(this);
    lstThumbnails->setObjectName(QStringLiteral("lstThumbnails"));
    lstThumbnails->setViewMode(QListView::IconMode);
    lstThumbnails->setFlow(QListView::TopToBottom);
    lstThumbnails->setWrapping(false);
    lstThumbnails->setMovement(QListView::Static);
    lstThumbnails->setUniformItemSizes(true);
    lstThumbnails->setIconSize(QSize(kThumbnailWidth, kThumbnailWidth * 3 / 2));
    lstThumbnails->setSpacing(4);
    lstThumbnails->setModel(m_thumbnails);
    addTab(lstThumbnails, QString());

    setCaptions({QStringLiteral("单据"), QStringLiteral("日期"), QStringLiteral("部门/供应商"), QStringLiteral("页次")},
                QStringLiteral("单据索引"), QStringLiteral("缩略图"));
    setMinimumWidth(200);

    connect(m_index, &PreviewSlipIndex::slipsChanged, this, &PreviewSidePanel::slipsChanged);
    connect(lstSlips, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        const int row = lstSlips->indexOfTopLevelItem(item);
        if (row >= 0 && row < int(m_index->slips().size()))
            emit pageChosen(m_index->slips()[std::size_t(row)].firstPage);
    });
    connect(lstThumbnails, &QListView::clicked, this,
            [this](const QModelIndex &index) { emit pageChosen(index.row() + 1); });
}

void PreviewSidePanel::setCaptions(const QStringList &columns, const QString &indexTab, const QString &thumbnailTab)
{
    lstSlips->setHeaderLabels(columns);
    setTabText(0, indexTab);
    setTabText(1, thumbnailTab);
}

void PreviewSidePanel::setPages(PageStore *pages)
{
    m_thumbnails->setPages(pages);
    m_index->setPages(pages);
}

void PreviewSidePanel::slipsChanged(int from)
{
    const std::vector<PreviewSlipIndex::Slip> &slips = m_index->slips();
    while (lstSlips->topLevelItemCount() > from)
        delete lstSlips->takeTopLevelItem(lstSlips->topLevelItemCount() - 1);
    for (std::size_t i = std::size_t(from); i < slips.size(); ++i) {
        const PreviewSlipIndex::Slip &slip = slips[i];
        const QString pages = slip.firstPage == slip.lastPage
                                  ? QString::number(slip.firstPage)
                                  : QStringLiteral("%1-%2").arg(slip.firstPage).arg(slip.lastPage);
        auto *item = new QTreeWidgetItem(QStringList{slip.key(), slip.date, slip.party, pages});
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        lstSlips->addTopLevelItem(item);
    }
}

std::vector<int> PreviewSidePanel::chosenSlips() const
{
    std::vector<int> rows;
    for (int row = 0; row < lstSlips->topLevelItemCount(); ++row) {
        if (lstSlips->topLevelItem(row)->isSelected())
            rows.push_back(row);
    }
    return rows;
}

int PreviewSidePanel::preferredWidth() const
{
    // The columns are sized to their texts now, not at the next layout.
    lstSlips->header()->resizeSections(QHeaderView::ResizeToContents);
    return lstSlips->header()->length() + lstSlips->verticalScrollBar()->sizeHint().width() +
           2 * lstSlips->frameWidth() + 12;
}

void PreviewSidePanel::showPage(int page)
{
    const int slip = m_index->slipOfPage(page);
    if (slip >= 0 && slip < lstSlips->topLevelItemCount()) {
        QTreeWidgetItem *item = lstSlips->topLevelItem(slip);
        // The chosen slips stay chosen: only the current row moves.
        lstSlips->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        lstSlips->scrollToItem(item);
    }
    if (page >= 1 && page <= m_thumbnails->rowCount()) {
        const QModelIndex index = m_thumbnails->index(page - 1);
        lstThumbnails->setCurrentIndex(index);
        lstThumbnails->scrollTo(index);
    }
}

} // namespace kv
