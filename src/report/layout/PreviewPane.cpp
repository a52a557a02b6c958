#include "report/layout/PreviewPane.h"

#include "platform/report/PageStore.h"
#include "platform/report/ReportUnits.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <cmath>

namespace kv {

// The page itself, painted from the store at the pane's zoom.
class PreviewPane::Sheet : public QWidget {
public:
    explicit Sheet(PreviewPane &pane) : QWidget(nullptr), m_pane(pane)
    {
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        PageStore *pages = m_pane.pages();
        const int page = m_pane.pageNumber();
        if (!pages || page < 1 || page > pages->pageCount() || pages->pageSize().isEmpty())
            return;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(width() / pages->pageSize().width(), height() / pages->pageSize().height());
        pages->render(page, painter);
        drawHighlights(painter);
    }

private:
    // Hits are drawn over the text, see-through so that it stays legible.
    void drawHighlights(QPainter &painter) const
    {
        const std::vector<QRectF> &rects = m_pane.highlights();
        for (std::size_t i = 0; i < rects.size(); ++i) {
            const bool current = int(i) == m_pane.currentHighlight();
            painter.setPen(QPen(current ? QColor(230, 90, 0) : QColor(200, 160, 0), current ? 6 : 3));
            painter.setBrush(current ? QColor(255, 140, 0, 90) : QColor(255, 230, 0, 90));
            painter.drawRect(rects[i].adjusted(-4, -2, 4, 2));
        }
    }

    PreviewPane &m_pane;
};

namespace {

// Space left around the page inside the view.
constexpr int kBorder = 10;

} // namespace

PreviewPane::PreviewPane(QWidget *parent) : QScrollArea(parent), m_sheet(new Sheet(*this))
{
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setWidget(m_sheet);
    setWidgetResizable(false);
    updateSheetSize();
}

void PreviewPane::setPages(PageStore *pages)
{
    if (m_pages)
        disconnect(m_pages, nullptr, this, nullptr);
    m_pages = pages;
    if (m_pages)
        connect(m_pages, &PageStore::pageAvailable, this, &PreviewPane::pageAvailable);
    m_page = 0;
    setPageNumber(1);
}

int PreviewPane::pageCount() const
{
    return m_pages ? m_pages->pageCount() : 0;
}

void PreviewPane::setPageNumber(int page)
{
    const int count = pageCount();
    m_page = count == 0 ? 0 : std::clamp(page, 1, count);
    updateSheetSize();
    m_sheet->update();
}

void PreviewPane::setZoom(int zoom)
{
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    updateSheetSize();
    m_sheet->update();
}

QSizeF PreviewPane::pagePixelsAt100() const
{
    // Before the first page arrives the store has no paper yet: a sheet of
    // Letter keeps the zoom buttons meaningful.
    QSizeF size = m_pages ? m_pages->pageSize() : QSizeF();
    if (size.isEmpty())
        size = QSizeF(2159, 2794);
    const double perTenth = report_units::kScreenDpi / report_units::kTenthsPerInch;
    return size * perTenth;
}

void PreviewPane::zoomToFit()
{
    const QSizeF page = pagePixelsAt100();
    const QSize view = viewport()->size() - QSize(2 * kBorder, 2 * kBorder);
    const double zoom = std::min(view.width() / page.width(), view.height() / page.height()) * 100.0;
    setZoom(int(std::floor(zoom)));
}

void PreviewPane::zoomToWidth()
{
    const QSizeF page = pagePixelsAt100();
    const int scrollBar = verticalScrollBar()->sizeHint().width();
    const double zoom = (viewport()->width() - 2 * kBorder - scrollBar) / page.width() * 100.0;
    setZoom(int(std::floor(zoom)));
}

void PreviewPane::scrollToTopLeft()
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

void PreviewPane::scrollToBottom()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

bool PreviewPane::atTop() const
{
    return verticalScrollBar()->value() <= verticalScrollBar()->minimum();
}

bool PreviewPane::atBottom() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

void PreviewPane::scrollView(int direction)
{
    verticalScrollBar()->triggerAction(direction < 0 ? QAbstractSlider::SliderPageStepSub
                                                     : QAbstractSlider::SliderPageStepAdd);
}

void PreviewPane::setHighlights(const std::vector<QRectF> &rects, int current)
{
    m_highlights = rects;
    m_currentHighlight = current;
    m_sheet->update();
}

void PreviewPane::ensureHighlightVisible()
{
    if (m_currentHighlight < 0 || m_currentHighlight >= int(m_highlights.size()) || !m_pages ||
        m_pages->pageSize().isEmpty())
        return;
    const QRectF rect = m_highlights[std::size_t(m_currentHighlight)];
    const double scale = m_sheet->width() / m_pages->pageSize().width();
    const QPoint centre = (rect.center() * scale).toPoint();
    ensureVisible(centre.x(), centre.y(), int(rect.width() * scale / 2) + 20, int(rect.height() * scale / 2) + 40);
}

void PreviewPane::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    const bool plain = event->modifiers() == Qt::NoModifier && event->angleDelta().x() == 0;
    const bool pastEdge = (delta < 0 && atBottom()) || (delta > 0 && atTop());
    if (!plain || delta == 0 || !pastEdge) {
        m_edgeWheel = 0;
        QScrollArea::wheelEvent(event);
        return;
    }
    // A touch pad sends many small turns: one page per notch's worth.
    if ((m_edgeWheel < 0) != (delta < 0))
        m_edgeWheel = 0;
    m_edgeWheel += delta;
    event->accept();
    if (std::abs(m_edgeWheel) < QWheelEvent::DefaultDeltasPerStep)
        return;
    m_edgeWheel = 0;
    emit pageTurnRequested(delta < 0 ? 1 : -1);
}

void PreviewPane::updateSheetSize()
{
    const QSizeF size = pagePixelsAt100() * (m_zoom / 100.0);
    m_sheet->resize(std::max(1, int(std::lround(size.width()))), std::max(1, int(std::lround(size.height()))));
}

} // namespace kv
