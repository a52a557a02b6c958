#include "platform/designer/DreamDesigner.h"

#include "platform/Prompter.h"
#include "platform/designer/DesignDialogs.h"
#include "platform/designer/DesignDrag.h"
#include "platform/designer/DesignGeometry.h"
#include "platform/designer/DesignSurface.h"
#include "platform/designer/PropertyInspector.h"
#include "platform/report/Report.h"
#include "platform/report/ReportPrintable.h"
#include "platform/report/TQRBand.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMap>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QShortcut>
#include <QUndoStack>

namespace kv {

namespace {

// Successive key moves and key resizes of the same components undo as one.
constexpr int kKeyMoveId = 1;
constexpr int kKeyResizeId = 2;

QList<QPointer<ReportPrintable>> guarded(const QList<ReportPrintable *> &items)
{
    QList<QPointer<ReportPrintable>> result;
    for (ReportPrintable *item : items)
        result << item;
    return result;
}

} // namespace

TDreamDesigner::TDreamDesigner(QWidget *host, Report *report)
    : QObject(host), m_host(host), m_report(report), m_undo(new QUndoStack(this))
{
    setObjectName(QStringLiteral("DreamDesigner1"));
    m_view = new QScrollArea(host);
    m_view->setObjectName(QStringLiteral("DesignView"));
    m_view->setBackgroundRole(QPalette::Dark);
    m_view->hide();
    m_surface = new DesignSurface(*this, report, m_view);
    m_view->setWidget(m_surface);
    m_inspector = new PropertyInspector(host);
    m_inspector->setEventsPageVisible(false);
    m_inspector->hide();
    m_inspector->onEdit = [this](QObject *object, const QByteArray &name, const QVariant &value) {
        editProperty(object, name, value);
    };
    m_shortcut = new QShortcut(host);
    m_shortcut->setContext(Qt::WindowShortcut);
    connect(m_shortcut, &QShortcut::activated, this, &TDreamDesigner::toggle);
    setHotKey(kDefaultHotKey);
    if (host)
        host->installEventFilter(this);
}

TDreamDesigner::~TDreamDesigner()
{
    if (m_host)
        m_host->removeEventFilter(this);
    delete m_inspector.data();
    delete m_view.data();
}

void TDreamDesigner::setAllowedActions(DesignActions actions)
{
    if (m_allowed == actions)
        return;
    m_allowed = actions;
    m_inspector->setEditable(isAllowed(DesignAction::Edit));
}

void TDreamDesigner::setGridSize(int pixels)
{
    m_grid = std::max(1, pixels);
    m_surface->update();
}

void TDreamDesigner::setHotKey(int storedShortCut)
{
    m_hotKey = storedShortCut;
    m_hotKeySequence = design::shortCutToKeySequence(storedShortCut);
    m_shortcut->setKey(m_hotKeySequence);
}

void TDreamDesigner::setShowCaptions(bool show)
{
    m_showCaptions = show;
    m_surface->update();
}

// ---------------------------------------------------------------- on and off

bool TDreamDesigner::setActive(bool active)
{
    if (active == m_active)
        return true;
    if (!active) {
        const Qt::WindowStates state = m_host ? m_host->windowState() : Qt::WindowStates();
        if (m_storeChanges && OnSaveChanges && !OnSaveChanges()) {
            // The designer stays on: a host that the save hid while it ran
            // comes back as it was, or the user could not go on designing.
            if (m_host && !m_host->isVisible()) {
                m_host->show();
                m_host->setWindowState(state);
            }
            return false;
        }
        finish();
        return true;
    }
    m_active = true;
    fitView();
    m_surface->relayout();
    m_view->show();
    m_view->raise();
    m_surface->setFocus();
    if (m_showInspector && isAllowed(DesignAction::Show))
        m_inspector->show();
    if (OnActiveChanged)
        OnActiveChanged(true);
    return true;
}

void TDreamDesigner::stop()
{
    if (m_active)
        finish();
}

void TDreamDesigner::finish()
{
    m_active = false;
    clearSelection();
    m_view->hide();
    m_inspector->hide();
    m_undo->clear();
    if (OnActiveChanged)
        OnActiveChanged(false);
}

void TDreamDesigner::fitView()
{
    if (m_host)
        m_view->setGeometry(m_host->rect());
}

bool TDreamDesigner::isHotKey(const QKeyEvent &event) const
{
    return !m_hotKeySequence.isEmpty() && QKeySequence(event.keyCombination()) == m_hotKeySequence;
}

bool TDreamDesigner::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host) {
        if (event->type() == QEvent::Resize && m_active)
            fitView();
        // The hot key works on the window itself too, when the design view
        // does not have the focus (or is not shown yet).
        if (event->type() == QEvent::KeyPress && isHotKey(*static_cast<QKeyEvent *>(event))) {
            toggle();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- selection

QList<QObject *> TDreamDesigner::selection() const
{
    QList<QObject *> result;
    for (const QPointer<QObject> &object : m_selection) {
        if (object)
            result << object.data();
    }
    return result;
}

QList<ReportPrintable *> TDreamDesigner::selectedItems() const
{
    QList<ReportPrintable *> result;
    for (QObject *object : selection()) {
        auto *item = qobject_cast<ReportPrintable *>(object);
        if (item && item->band())
            result << item;
    }
    return result;
}

bool TDreamDesigner::isSelected(const QObject *object) const
{
    return object && selection().contains(const_cast<QObject *>(object));
}

void TDreamDesigner::select(QObject *object, bool add)
{
    if (!object || !isAllowed(DesignAction::Select))
        return;
    // Only what lies on a band can be designed (a component placed on the
    // report itself, such as the layout's focus sink, is not on the page).
    auto *item = qobject_cast<ReportPrintable *>(object);
    if (item && !item->band())
        return;
    const bool band = qobject_cast<TQRBand *>(object) != nullptr;
    // A band is never selected together with other things.
    if (!add || band || (!selection().isEmpty() && qobject_cast<TQRBand *>(selection().front())))
        m_selection.clear();
    m_selection.removeAll(object);
    m_selection << object;
    selectionChanged();
}

void TDreamDesigner::toggleSelected(QObject *object)
{
    if (!object || !isAllowed(DesignAction::Select))
        return;
    if (isSelected(object)) {
        m_selection.removeAll(object);
        selectionChanged();
    } else {
        select(object, true);
    }
}

void TDreamDesigner::selectRect(const QRect &surfaceRect, bool add)
{
    if (!isAllowed(DesignAction::Select))
        return;
    if (!add)
        m_selection.clear();
    for (QObject *object : selection()) {
        if (qobject_cast<TQRBand *>(object))
            m_selection.removeAll(object);
    }
    for (TQRBand *band : m_surface->orderedBands()) {
        for (ReportPrintable *item : band->printables()) {
            if (m_surface->itemRect(item).intersects(surfaceRect) && !isSelected(item))
                m_selection << item;
        }
    }
    selectionChanged();
}

void TDreamDesigner::clearSelection()
{
    if (m_selection.isEmpty() && !m_current)
        return;
    m_selection.clear();
    selectionChanged();
}

void TDreamDesigner::selectionChanged()
{
    m_selection.removeAll(QPointer<QObject>());
    QObject *current = m_selection.isEmpty() ? nullptr : m_selection.back().data();
    if (current != m_current) {
        m_current = current;
        // The host may change the allowed actions for the component: the
        // inspector takes its editing right afterwards.
        if (OnShowProperty && current)
            OnShowProperty(current);
        m_inspector->setEditable(isAllowed(DesignAction::Edit));
        m_inspector->setObject(current);
    }
    m_surface->update();
}

// ---------------------------------------------------------------- geometry

std::vector<GeometryChange> TDreamDesigner::geometrySnapshot() const
{
    std::vector<GeometryChange> changes;
    for (ReportPrintable *item : selectedItems()) {
        const QRect rect = design::itemRect(*item);
        changes.push_back({item, rect, rect});
    }
    return changes;
}

void TDreamDesigner::commitGeometry(const QString &text, std::vector<GeometryChange> changes, int mergeId)
{
    bool changed = false;
    for (GeometryChange &change : changes) {
        if (change.item)
            change.after = design::itemRect(*change.item);
        changed = changed || change.after != change.before;
    }
    if (!changed)
        return;
    m_undo->push(new GeometryCommand(text, std::move(changes), [this] { refresh(); }, mergeId));
}

void TDreamDesigner::commitBandHeight(TQRBand *band, int before)
{
    if (!band || band->height() == before)
        return;
    m_undo->push(new PropertyCommand(band, "Height", before, band->height(), [this] { refresh(); }));
}

void TDreamDesigner::applyRects(const QString &text, const QList<ReportPrintable *> &items,
                                const std::vector<QRect> &rects, int mergeId)
{
    std::vector<GeometryChange> changes;
    bool changed = false;
    for (int index = 0; index < items.size(); ++index) {
        const QRect before = design::itemRect(*items[index]);
        changes.push_back({items[index], before, rects[std::size_t(index)]});
        changed = changed || before != rects[std::size_t(index)];
    }
    if (changed)
        m_undo->push(new GeometryCommand(text, std::move(changes), [this] { refresh(); }, mergeId));
}

void TDreamDesigner::moveBy(QPoint delta)
{
    const QList<ReportPrintable *> items = selectedItems();
    if (items.isEmpty() || !isAllowed(DesignAction::Move))
        return;
    std::vector<QRect> rects;
    for (ReportPrintable *item : items)
        rects.push_back(design::itemRect(*item).translated(delta));
    applyRects(QStringLiteral("移动"), items, rects, kKeyMoveId);
}

void TDreamDesigner::resizeBy(QSize delta)
{
    const QList<ReportPrintable *> items = selectedItems();
    if (items.isEmpty() || !isAllowed(DesignAction::Resize))
        return;
    std::vector<QRect> rects;
    for (ReportPrintable *item : items) {
        QRect rect = design::itemRect(*item);
        rect.setWidth(std::max(1, rect.width() + delta.width()));
        rect.setHeight(std::max(1, rect.height() + delta.height()));
        rects.push_back(rect);
    }
    applyRects(QStringLiteral("调整大小"), items, rects, kKeyResizeId);
}

void TDreamDesigner::AlignToGrid()
{
    const QList<ReportPrintable *> items = selectedItems();
    if (items.isEmpty() || !isAllowed(DesignAction::Move))
        return;
    std::vector<QRect> rects;
    for (ReportPrintable *item : items)
        rects.push_back(design::snapped(design::itemRect(*item), m_grid));
    applyRects(QStringLiteral("对齐格线"), items, rects);
}

void TDreamDesigner::align(HorzAlign horizontal, VertAlign vertical)
{
    const QList<ReportPrintable *> items = selectedItems();
    if (items.isEmpty() || !isAllowed(DesignAction::Move))
        return;
    std::vector<QRect> rects;
    for (ReportPrintable *item : items)
        rects.push_back(design::itemRect(*item));
    const int bandWidth = m_surface->bandRect(items.front()->band()).width();
    design::alignHorizontal(rects, horizontal, bandWidth);
    if (vertical == VertAlign::CenterInBand) {
        // Each band centres its own components.
        QMap<TQRBand *, std::vector<std::size_t>> byBand;
        for (int index = 0; index < items.size(); ++index)
            byBand[items[index]->band()].push_back(std::size_t(index));
        for (auto it = byBand.cbegin(); it != byBand.cend(); ++it) {
            std::vector<QRect> group;
            for (std::size_t index : it.value())
                group.push_back(rects[index]);
            design::alignVertical(group, vertical, it.key()->height());
            for (std::size_t k = 0; k < it.value().size(); ++k)
                rects[it.value()[k]] = group[k];
        }
    } else {
        design::alignVertical(rects, vertical, 0);
    }
    applyRects(QStringLiteral("对齐"), items, rects);
}

void TDreamDesigner::resizeTo(SizeRule widthRule, int width, SizeRule heightRule, int height)
{
    const QList<ReportPrintable *> items = selectedItems();
    if (items.isEmpty() || !isAllowed(DesignAction::Resize))
        return;
    std::vector<QRect> rects;
    for (ReportPrintable *item : items)
        rects.push_back(design::itemRect(*item));
    design::applySize(rects, widthRule, width, heightRule, height);
    applyRects(QStringLiteral("大小"), items, rects);
}

void TDreamDesigner::scale(int percent)
{
    const QList<ReportPrintable *> items = selectedItems();
    if (items.isEmpty() || percent <= 0 || !isAllowed(DesignAction::Resize))
        return;
    std::vector<QRect> rects;
    for (ReportPrintable *item : items)
        rects.push_back(design::scaled(design::itemRect(*item), percent));
    applyRects(QStringLiteral("缩放"), items, rects);
}

// ---------------------------------------------------------------- dialogs

void TDreamDesigner::ShowAlignDialog()
{
    if (selectedItems().isEmpty() || !isAllowed(DesignAction::Move))
        return;
    AlignDialog dialog(m_host);
    if (Prompter::current()->showWindowModal(dialog) == QDialog::Accepted)
        align(dialog.horizontal(), dialog.vertical());
}

void TDreamDesigner::ShowSizeDialog()
{
    const QList<ReportPrintable *> items = selectedItems();
    if (items.isEmpty() || !isAllowed(DesignAction::Resize))
        return;
    SizeDialog dialog(m_host);
    const QRect first = design::itemRect(*items.front());
    dialog.choose(SizeRule::NoChange, first.width(), SizeRule::NoChange, first.height());
    if (Prompter::current()->showWindowModal(dialog) == QDialog::Accepted)
        resizeTo(dialog.widthRule(), dialog.widthValue(), dialog.heightRule(), dialog.heightValue());
}

void TDreamDesigner::ShowScaleDialog()
{
    if (selectedItems().isEmpty() || !isAllowed(DesignAction::Resize))
        return;
    ScaleDialog dialog(m_host);
    if (Prompter::current()->showWindowModal(dialog) == QDialog::Accepted)
        scale(dialog.percent());
}

void TDreamDesigner::ShowInspector()
{
    if (!isAllowed(DesignAction::Show))
        return;
    m_inspector->setObject(m_current);
    m_inspector->show();
    m_inspector->raise();
}

// ---------------------------------------------------------------- z-order and deletion

void TDreamDesigner::reorder(const QString &text, bool toFront)
{
    QMap<TQRBand *, QList<ReportPrintable *>> byBand;
    for (ReportPrintable *item : selectedItems())
        byBand[item->band()] << item;
    if (byBand.isEmpty())
        return;
    m_undo->beginMacro(text);
    for (auto it = byBand.cbegin(); it != byBand.cend(); ++it) {
        const QList<ReportPrintable *> before = it.key()->printables();
        QList<ReportPrintable *> others;
        QList<ReportPrintable *> chosen;
        for (ReportPrintable *item : before)
            (it.value().contains(item) ? chosen : others) << item;
        const QList<ReportPrintable *> after = toFront ? others + chosen : chosen + others;
        if (after != before)
            m_undo->push(new OrderCommand(text, it.key(), guarded(before), guarded(after), [this] { refresh(); }));
    }
    m_undo->endMacro();
}

void TDreamDesigner::BringToFront() { reorder(QStringLiteral("提至上一层"), true); }
void TDreamDesigner::SendToBack() { reorder(QStringLiteral("移至下一层"), false); }

bool TDreamDesigner::DeleteSelection()
{
    const QList<ReportPrintable *> items = selectedItems();
    if (items.isEmpty() || !isAllowed(DesignAction::Delete))
        return false;
    if (CanDelete && !CanDelete(selection()))
        return false;
    const QList<QPointer<ReportPrintable>> doomed = guarded(items);
    clearSelection();
    for (const QPointer<ReportPrintable> &item : doomed) {
        if (item && OnDeleteComponent)
            OnDeleteComponent(item.data());
        delete item.data();
    }
    // Steps that moved a deleted component cannot be undone sensibly.
    m_undo->clear();
    refresh();
    return true;
}

// ---------------------------------------------------------------- properties, undo, keys

void TDreamDesigner::editProperty(QObject *object, const QByteArray &name, const QVariant &value)
{
    if (!object || !isAllowed(DesignAction::Edit))
        return;
    const QVariant before = object->property(name.constData());
    m_undo->push(new PropertyCommand(object, name, before, value, [this] {
        refresh();
        m_inspector->refreshLater();
    }));
}

void TDreamDesigner::undo() { m_undo->undo(); }
void TDreamDesigner::redo() { m_undo->redo(); }

bool TDreamDesigner::handleKey(QKeyEvent &event)
{
    if (isHotKey(event)) {
        toggle();
        return true;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const QKeyCombination combination(modifiers, Qt::Key(event.key()));
    if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Z)) {
        undo();
        return true;
    }
    if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
        combination == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)) {
        redo();
        return true;
    }
    if (event.key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        DeleteSelection();
        return true;
    }
    if (event.key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        clearSelection();
        return true;
    }
    QPoint step;
    switch (event.key()) {
    case Qt::Key_Left: step = {-1, 0}; break;
    case Qt::Key_Right: step = {1, 0}; break;
    case Qt::Key_Up: step = {0, -1}; break;
    case Qt::Key_Down: step = {0, 1}; break;
    default: return false;
    }
    // Arrows place exactly, pixel by pixel; Ctrl+arrows step by the grid;
    // Shift+arrows change the size.
    if (modifiers == Qt::NoModifier)
        moveBy(step);
    else if (modifiers == Qt::ControlModifier)
        moveBy(step * m_grid);
    else if (modifiers == Qt::ShiftModifier)
        resizeBy(QSize(step.x(), step.y()));
    else
        return false;
    return true;
}

// ---------------------------------------------------------------- drags

bool TDreamDesigner::dragOver(TQRBand *band, QPoint point, const QMimeData &data)
{
    if (!m_active || !band || !isAllowed(DesignAction::Insert) ||
        !data.hasFormat(QString::fromLatin1(DesignDrag::kMimeType)))
        return false;
    return OnDragOver && OnDragOver(band, point, data);
}

void TDreamDesigner::dragDrop(TQRBand *band, QPoint point, const QMimeData &data)
{
    if (!dragOver(band, point, data))
        return;
    if (OnDragDrop)
        OnDragDrop(band, point, data);
    refresh();
}

void TDreamDesigner::refresh()
{
    m_selection.removeAll(QPointer<QObject>());
    m_surface->relayout();
    if (m_inspector->isVisible())
        m_inspector->refreshLater();
}

} // namespace kv
