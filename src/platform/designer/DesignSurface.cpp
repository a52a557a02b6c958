#include "platform/designer/DesignSurface.h"

#include "platform/designer/DesignDrag.h"
#include "platform/designer/DesignGeometry.h"
#include "platform/designer/DreamDesigner.h"
#include "platform/report/Report.h"
#include "platform/report/ReportPrintable.h"
#include "platform/report/ReportUnits.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRChildBand.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMetaEnum>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <functional>
#include <utility>
#include <cmath>

namespace kv {

namespace {

// Where a band type prints on the page, top to bottom.
int bandRank(TQRBand::TQRBandType type)
{
    switch (type) {
    case TQRBand::rbTitle:
        return 0;
    case TQRBand::rbPageHeader:
        return 1;
    case TQRBand::rbColumnHeader:
        return 2;
    case TQRBand::rbGroupHeader:
        return 3;
    case TQRBand::rbDetail:
        return 4;
    case TQRBand::rbGroupFooter:
        return 5;
    case TQRBand::rbChild:
    case TQRBand::rbSummary:
        return 6;
    case TQRBand::rbPageFooter:
        return 7;
    }
    return 6;
}

TQRBand *parentBandOf(TQRBand *band)
{
    auto *child = qobject_cast<TQRChildBand *>(band);
    return child ? child->parentBand() : nullptr;
}

// A component's font as drawn at the report's zoom (fonts are sized for 100 %).
QFont zoomedFont(QFont font, int zoom)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * zoom / 100.0))));
    else if (font.pointSizeF() > 0)
        font.setPointSizeF(std::max(1.0, font.pointSizeF() * zoom / 100.0));
    return font;
}

// What a text component shows in design: its caption, its data field, its
// expression or its lines; the name when it has none of them.
QString placeholderText(const ReportPrintable *item)
{
    for (const char *name : {"Caption", "DataField", "Expression"}) {
        const QVariant value = item->property(name);
        if (value.isValid() && !value.toString().isEmpty())
            return value.toString();
    }
    const QVariant lines = item->property("Lines");
    if (lines.isValid() && !lines.toStringList().isEmpty())
        return lines.toStringList().join(QLatin1Char('\n'));
    return item->objectName();
}

int textFlags(const ReportPrintable *item)
{
    const QVariant alignment = item->property("Alignment");
    int horizontal = Qt::AlignLeft;
    if (alignment.isValid()) {
        const int value = alignment.toInt(); // taLeftJustify, taRightJustify, taCenter
        horizontal = value == 1 ? Qt::AlignRight : value == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    }
    return horizontal | Qt::AlignTop | Qt::TextWordWrap;
}

void paintBarcode(QPainter &painter, const QRect &box, const ReportPrintable *item, const QFont &font)
{
    QString text = item->property("DataField").toString();
    if (text.isEmpty())
        text = item->property("Text").toString();
    const int textHeight = QFontMetrics(font).height();
    QRect bars = box.adjusted(2, 2, -2, -2);
    if (bars.height() > textHeight * 2)
        bars.setBottom(bars.bottom() - textHeight);
    // A placeholder pattern of narrow and wide bars, not the real symbol:
    // the data is not known while designing.
    int x = bars.left();
    for (int index = 0; x < bars.right(); ++index) {
        const int width = (index % 3 == 0) ? 2 : 1;
        if (index % 2 == 0)
            painter.fillRect(QRect(x, bars.top(), width, bars.height()), Qt::black);
        x += width + 1;
    }
    painter.setFont(font);
    painter.drawText(QRect(box.left(), bars.bottom() + 1, box.width(), textHeight), Qt::AlignHCenter, text);
}

} // namespace

DesignSurface::DesignSurface(TDreamDesigner &designer, Report *report, QWidget *parent)
    : QWidget(parent), m_designer(designer), m_report(report)
{
    setObjectName(QStringLiteral("DesignSurface"));
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setMouseTracking(false);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xA0, 0xA0, 0xA0));
    setPalette(colours);
    relayout();
}

double DesignSurface::pixelsPerTenth() const
{
    return 1.0 / report_units::tenthsPerPixel(m_report ? m_report->zoom() : 100);
}

QRect DesignSurface::pageRect() const
{
    if (!m_report)
        return {};
    const QSizeF sheet = m_report->page()->sheetSize() * pixelsPerTenth();
    return QRect(kPadding, kPadding, int(std::lround(sheet.width())), int(std::lround(sheet.height())));
}

int DesignSurface::contentWidth() const
{
    const PageSetup *page = m_report->page();
    return int(std::lround((page->sheetSize().width() - page->leftMargin() - page->rightMargin()) *
                           pixelsPerTenth()));
}

QList<TQRBand *> DesignSurface::orderedBands() const
{
    if (!m_report)
        return {};
    const QList<TQRBand *> all = m_report->bands();
    QList<TQRBand *> roots;
    for (TQRBand *band : all) {
        TQRBand *parent = parentBandOf(band);
        if (!parent || !all.contains(parent))
            roots << band;
    }
    std::stable_sort(roots.begin(), roots.end(),
                     [](TQRBand *a, TQRBand *b) { return bandRank(a->bandType()) < bandRank(b->bandType()); });
    // Each child band follows its parent (and its own children follow it).
    QList<TQRBand *> ordered;
    std::function<void(TQRBand *)> place = [&](TQRBand *band) {
        if (ordered.contains(band))
            return;
        ordered << band;
        for (TQRBand *other : all) {
            if (parentBandOf(other) == band)
                place(other);
        }
    };
    for (TQRBand *band : roots)
        place(band);
    for (TQRBand *band : all) // child bands in a cycle of parents
        place(band);
    return ordered;
}

QRect DesignSurface::bandRect(TQRBand *band) const
{
    if (!m_report)
        return {};
    const QRect page = pageRect();
    const int left = page.left() + int(std::lround(m_report->page()->leftMargin() * pixelsPerTenth()));
    int top = page.top() + int(std::lround(m_report->page()->topMargin() * pixelsPerTenth()));
    for (TQRBand *each : orderedBands()) {
        const int width = each->width() > 0 ? each->width() : contentWidth();
        if (each == band)
            return QRect(left, top, width, std::max(1, each->height()));
        top += std::max(1, each->height());
    }
    return {};
}

QRect DesignSurface::itemRect(const ReportPrintable *item) const
{
    TQRBand *band = item ? item->band() : nullptr;
    if (!band)
        return {};
    return design::itemRect(*item).translated(bandRect(band).topLeft());
}

ReportPrintable *DesignSurface::itemAt(QPoint point) const
{
    TQRBand *band = bandAt(point);
    if (!band)
        return nullptr;
    const QList<ReportPrintable *> items = band->printables();
    // The last painted is on top.
    for (auto it = items.crbegin(); it != items.crend(); ++it) {
        if (itemRect(*it).contains(point))
            return *it;
    }
    return nullptr;
}

TQRBand *DesignSurface::bandAt(QPoint point) const
{
    for (TQRBand *band : orderedBands()) {
        if (bandRect(band).contains(point))
            return band;
    }
    return nullptr;
}

QRect DesignSurface::handleRect(const QRect &box, int handle) const
{
    const int xs[] = {box.left(), box.center().x(), box.right() + 1};
    const int ys[] = {box.top(), box.center().y(), box.bottom() + 1};
    static const int column[] = {0, 1, 2, 2, 2, 1, 0, 0};
    static const int row[] = {0, 0, 0, 1, 2, 2, 2, 1};
    const QPoint centre(xs[column[handle]], ys[row[handle]]);
    return QRect(centre - QPoint(kHandleSize / 2, kHandleSize / 2), QSize(kHandleSize, kHandleSize));
}

TQRBand *DesignSurface::selectedBand() const
{
    const QList<QObject *> selection = m_designer.selection();
    return selection.size() == 1 ? qobject_cast<TQRBand *>(selection.front()) : nullptr;
}

bool DesignSurface::onBandHandle(QPoint point) const
{
    TQRBand *band = selectedBand();
    return band && handleRect(bandRect(band), 5).contains(point);
}

int DesignSurface::handleAt(QPoint point) const
{
    const QList<ReportPrintable *> items = m_designer.selectedItems();
    if (items.size() != 1)
        return -1;
    const QRect box = itemRect(items.front());
    for (int handle = 0; handle < 8; ++handle) {
        if (handleRect(box, handle).contains(point))
            return handle;
    }
    return -1;
}

void DesignSurface::relayout()
{
    QRect all = pageRect();
    for (TQRBand *band : orderedBands())
        all = all.united(bandRect(band));
    setFixedSize(all.right() + kPadding, all.bottom() + kPadding);
    update();
}

// ---------------------------------------------------------------- painting

void DesignSurface::paintEvent(QPaintEvent *)
{
    if (!m_report)
        return;
    QPainter painter(this);
    painter.fillRect(pageRect(), Qt::white);
    painter.setPen(QPen(Qt::darkGray));
    painter.drawRect(pageRect().adjusted(0, 0, -1, -1));
    for (TQRBand *band : orderedBands())
        paintBand(painter, band);
    paintSelection(painter);
    if (m_mode == Mode::Rubber) {
        painter.setPen(QPen(Qt::blue, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(m_pressPoint, m_currentPoint).normalized());
    }
}

void DesignSurface::paintBand(QPainter &painter, TQRBand *band) const
{
    const QRect box = bandRect(band);
    painter.save();
    if (m_designer.snapToGrid() && m_designer.gridSize() >= 4) {
        painter.setPen(QColor(0xC8, 0xC8, 0xC8));
        const int grid = m_designer.gridSize();
        for (int y = 0; y < box.height(); y += grid) {
            for (int x = 0; x < box.width(); x += grid)
                painter.drawPoint(box.left() + x, box.top() + y);
        }
    }
    painter.setPen(QPen(QColor(0x80, 0x80, 0xC0), 1, Qt::DotLine));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    if (m_designer.showCaptions()) {
        QFont small = font();
        small.setPixelSize(9);
        painter.setFont(small);
        painter.setPen(QColor(0x80, 0x80, 0xC0));
        const QString type = QString::fromLatin1(QMetaEnum::fromType<TQRBand::TQRBandType>().valueToKey(band->bandType()));
        painter.drawText(box.adjusted(2, 0, -2, -1), Qt::AlignLeft | Qt::AlignBottom,
                         band->objectName() + QStringLiteral(" (") + type + QLatin1Char(')'));
    }
    painter.setClipRect(box);
    for (ReportPrintable *item : band->printables())
        paintItem(painter, item);
    painter.restore();
}

void DesignSurface::paintItem(QPainter &painter, const ReportPrintable *item) const
{
    const QRect box = itemRect(item);
    if (box.isEmpty())
        return;
    painter.save();
    if (item->color().alpha() > 0)
        painter.fillRect(box, item->color());
    const QColor ink = item->isPrinted() ? Qt::black : Qt::gray;
    const QFont font = zoomedFont(item->font(), m_report->zoom());
    painter.setPen(ink);
    painter.setFont(font);
    if (item->inherits("kv::TKvQRDBBarcode")) {
        paintBarcode(painter, box, item, font);
    } else if (item->inherits("kv::TQRShape")) {
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    } else if (item->inherits("kv::TQRImage")) {
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomLeft());
    } else {
        painter.drawText(box, textFlags(item), placeholderText(item));
    }
    painter.setBrush(Qt::NoBrush);
    if (!item->isEnabled())
        painter.fillRect(box, QBrush(QColor(0x80, 0x80, 0x80, 0x60), Qt::BDiagPattern));
    painter.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 1, item->isVisible() ? Qt::DashLine : Qt::DotLine));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.restore();
}

void DesignSurface::paintSelection(QPainter &painter) const
{
    const QList<ReportPrintable *> items = m_designer.selectedItems();
    painter.setPen(Qt::black);
    for (ReportPrintable *item : items) {
        const QRect box = itemRect(item);
        for (int handle = 0; handle < 8; ++handle) {
            // One component gets working handles; several only show marks.
            if (items.size() == 1)
                painter.fillRect(handleRect(box, handle), Qt::black);
            else if (handle % 2 == 0)
                painter.fillRect(handleRect(box, handle).adjusted(1, 1, -1, -1), Qt::darkGray);
        }
    }
    if (TQRBand *band = selectedBand()) {
        painter.setPen(QPen(Qt::blue, 2));
        painter.drawRect(bandRect(band).adjusted(1, 1, -1, -1));
        painter.fillRect(handleRect(bandRect(band), 5), Qt::blue);
    }
}

// ---------------------------------------------------------------- mouse and keys

void DesignSurface::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    m_mode = Mode::None;
    m_changed = false;
    if (event->button() != Qt::LeftButton || !m_designer.isAllowed(DesignAction::Select))
        return;
    m_pressPoint = m_currentPoint = event->position().toPoint();
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    const int handle = shift ? -1 : handleAt(m_pressPoint);
    if (!shift && onBandHandle(m_pressPoint) && m_designer.isAllowed(DesignAction::Resize)) {
        m_mode = Mode::BandHeight;
        m_pressBand = selectedBand();
        m_bandHeight = m_pressBand->height();
        return;
    }
    if (handle >= 0 && m_designer.isAllowed(DesignAction::Resize)) {
        m_mode = Mode::Resize;
        m_handle = handle;
        m_dragging = m_designer.geometrySnapshot();
        return;
    }
    if (ReportPrintable *item = itemAt(m_pressPoint)) {
        if (shift) {
            m_designer.toggleSelected(item);
            return;
        }
        if (!m_designer.isSelected(item))
            m_designer.select(item, false);
        if (m_designer.isAllowed(DesignAction::Move)) {
            m_mode = Mode::Move;
            m_dragging = m_designer.geometrySnapshot();
        }
        return;
    }
    m_pressBand = bandAt(m_pressPoint);
    if (!shift)
        m_designer.clearSelection();
    m_mode = Mode::Rubber;
}

void DesignSurface::dragMoved(QPoint delta)
{
    if (m_dragging.empty())
        return;
    const int grid = m_designer.snapGrid();
    if (m_mode == Mode::Resize) {
        GeometryChange &change = m_dragging.front();
        if (change.item)
            design::setItemRect(*change.item, design::resized(change.before, m_handle, delta, grid));
    } else {
        // The grabbed group keeps its shape: the first component lands on
        // the grid and the others move by the same distance.
        const QRect reference = m_dragging.front().before;
        QPoint target(design::snap(reference.left() + delta.x(), grid),
                      design::snap(reference.top() + delta.y(), grid));
        // Components stay in their band: dragged past its edge, the grabbed
        // one would be clipped away and could no longer be clicked.
        const ReportPrintable *grabbed = m_dragging.front().item;
        const QRect band = grabbed ? bandRect(grabbed->band()) : QRect();
        if (band.contains(reference.topLeft() + band.topLeft()))
            target = QPoint(std::clamp(target.x(), 0, band.width() - 1), std::clamp(target.y(), 0, band.height() - 1));
        const QPoint shift = target - reference.topLeft();
        for (GeometryChange &change : m_dragging) {
            if (change.item)
                design::setItemRect(*change.item, change.before.translated(shift));
        }
    }
    m_changed = true;
    update();
}

void DesignSurface::mouseMoveEvent(QMouseEvent *event)
{
    m_currentPoint = event->position().toPoint();
    if (m_mode == Mode::Move || m_mode == Mode::Resize) {
        dragMoved(m_currentPoint - m_pressPoint);
    } else if (m_mode == Mode::BandHeight && m_pressBand) {
        const int bottom = design::snap(m_bandHeight + m_currentPoint.y() - m_pressPoint.y(), m_designer.snapGrid());
        m_pressBand->setHeight(std::max(1, bottom));
        m_changed = true;
        relayout();
    }
    else if (m_mode == Mode::Rubber)
        update();
}

void DesignSurface::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_currentPoint = event->position().toPoint();
    const Mode mode = std::exchange(m_mode, Mode::None);
    if ((mode == Mode::Move || mode == Mode::Resize) && m_changed) {
        m_designer.commitGeometry(mode == Mode::Move ? QStringLiteral("移动") : QStringLiteral("调整大小"),
                                  std::move(m_dragging));
    } else if (mode == Mode::BandHeight && m_changed && m_pressBand) {
        m_designer.commitBandHeight(m_pressBand, m_bandHeight);
    } else if (mode == Mode::Rubber) {
        const QRect rubber = QRect(m_pressPoint, m_currentPoint).normalized();
        const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
        if (rubber.width() + rubber.height() < 4) {
            if (m_pressBand && !shift)
                m_designer.select(m_pressBand, false);
        } else {
            m_designer.selectRect(rubber, shift);
        }
    }
    m_dragging.clear();
    update();
}

void DesignSurface::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()))
        m_designer.ShowInspector();
}

void DesignSurface::keyPressEvent(QKeyEvent *event)
{
    if (!m_designer.handleKey(*event))
        QWidget::keyPressEvent(event);
}

void DesignSurface::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click on a component that is not selected selects it first,
    // so that the menu acts on what was clicked.
    if (ReportPrintable *item = itemAt(event->pos()); item && !m_designer.isSelected(item))
        m_designer.select(item, false);
    if (QMenu *menu = m_designer.popupMenu())
        menu->popup(event->globalPos());
}

bool DesignSurface::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && m_designer.showHints()) {
        auto *help = static_cast<QHelpEvent *>(event);
        if (ReportPrintable *item = itemAt(help->pos())) {
            const QString hint = item->hint().isEmpty() ? item->objectName() : item->hint();
            QToolTip::showText(help->globalPos(), hint, this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------- drops

bool DesignSurface::dragTarget(QPoint point, TQRBand *&band, QPoint &bandPoint) const
{
    band = bandAt(point);
    if (!band)
        return false;
    bandPoint = point - bandRect(band).topLeft();
    return true;
}

void DesignSurface::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(QString::fromLatin1(DesignDrag::kMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignSurface::dragMoveEvent(QDragMoveEvent *event)
{
    TQRBand *band = nullptr;
    QPoint point;
    if (dragTarget(event->position().toPoint(), band, point) && m_designer.dragOver(band, point, *event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignSurface::dropEvent(QDropEvent *event)
{
    TQRBand *band = nullptr;
    QPoint point;
    if (!dragTarget(event->position().toPoint(), band, point) || !m_designer.dragOver(band, point, *event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_designer.dragDrop(band, point, *event->mimeData());
}

} // namespace kv
