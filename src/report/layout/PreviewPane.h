#pragma once
// PreviewPane: the preview control of the preview window. It shows one page
// of a page store at a zoom in percent (100: the paper at screen size, 96
// dots per inch), scrolls when the page is larger than the view, zooms to
// fit the whole page or the page width, and passes on the store's
// page-available notification while pages are still being generated.
//
// The mouse wheel scrolls the page; at its bottom (or top) edge, or when
// the whole page fits, a further turn of the wheel asks the window for the
// next (or previous) page, as a document viewer does.

#include "platform/report/PageStore.h"

#include <QPointer>
#include <QScrollArea>

#include <vector>

namespace kv {

class PageStore;

class PreviewPane : public QScrollArea {
    Q_OBJECT

public:
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 1000;

    explicit PreviewPane(QWidget *parent = nullptr);

    // Binds the pane to a store (nullptr unbinds); shows page 1.
    void setPages(PageStore *pages);
    PageStore *pages() const { return m_pages; }
    int pageCount() const;

    // The page shown; 0 with no pages.
    int pageNumber() const { return m_page; }
    // Shows a page; the number is clamped into the pages there are.
    void setPageNumber(int page);

    int zoom() const { return m_zoom; }
    void setZoom(int zoom);
    void zoomToFit();
    void zoomToWidth();
    void scrollToTopLeft();
    void scrollToBottom();
    bool atTop() const;
    bool atBottom() const;
    // Scrolls one view up (-1) or down (+1) within the page.
    void scrollView(int direction);

    // Search hits to mark on the page shown (page units); current is the
    // index of the one to stand out, -1 for none.
    void setHighlights(const std::vector<QRectF> &rects, int current);
    const std::vector<QRectF> &highlights() const { return m_highlights; }
    int currentHighlight() const { return m_currentHighlight; }
    // Scrolls so that the current highlight is in view.
    void ensureHighlightVisible();

signals:
    void pageAvailable(int pageNumber);
    // The wheel went past the page's edge: -1 previous page, +1 next page.
    void pageTurnRequested(int direction);

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    class Sheet;

    QSizeF pagePixelsAt100() const;
    void updateSheetSize();

    QPointer<PageStore> m_pages;
    Sheet *m_sheet = nullptr;
    int m_page = 0;
    int m_zoom = 100;
    std::vector<QRectF> m_highlights;
    int m_currentHighlight = -1;
    // Wheel turns collected at an edge; a whole notch turns the page.
    int m_edgeWheel = 0;
};

} // namespace kv
