#pragma once
// kv::TDreamDesigner: the run-time layout designer of a report window. While
// active it covers its host window with a drawing of the report's page (see
// DesignSurface) on which the user selects, moves, resizes, aligns, sizes,
// scales and re-orders the printed components, changes their properties in
// the inspector and undoes what he did (Ctrl+Z, Ctrl+Y). The hot key (a
// stored short cut, 16507 = Ctrl+F12) switches it on and off.
//
// What the user may do is the set of allowed actions (DesignTypes.h);
// everything the host window decides goes through the optional callbacks:
// - OnSaveChanges when the designer is switched off (with StoreChanges):
//   false keeps it active;
// - OnActiveChanged after it went on or off;
// - CanDelete before a deletion, OnDeleteComponent for each deleted
//   component before it goes;
// - OnDragOver / OnDragDrop for drags of DesignDrag payloads over a band
//   (band pixels); drops need the Insert action;
// - OnShowProperty whenever the component the inspector shows changes (the
//   last one selected), before it is shown: the host may adjust the allowed
//   actions for it.
// Dialogs run through kv::Prompter.
//
// Selections hold components, or one band (clicking the empty part of a
// band): bands can be inspected but are never moved or deleted.

#include "platform/designer/DesignCommands.h"
#include "platform/designer/DesignTypes.h"

#include "platform/designer/DesignSurface.h"
#include "platform/designer/PropertyInspector.h"
#include "platform/report/Report.h"

#include <QKeySequence>
#include <QMenu>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QScrollArea>

#include <functional>
#include <vector>

class QKeyEvent;
class QMimeData;
class QScrollArea;
class QShortcut;
class QUndoStack;
class QWidget;

namespace kv {

class DesignSurface;
class PropertyInspector;
class Report;
class ReportPrintable;
class TQRBand;

class TDreamDesigner : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultHotKey = 16507; // Ctrl+F12

    // host: the window the design view covers (and the owner); report: what
    // is designed. Nothing is shown until the designer is switched on.
    TDreamDesigner(QWidget *host, Report *report);
    ~TDreamDesigner() override;

    // --- settings
    DesignActions allowedActions() const { return m_allowed; }
    void setAllowedActions(DesignActions actions);
    bool isAllowed(DesignAction action) const { return m_allowed.testFlag(action); }
    bool snapToGrid() const { return m_snap; }
    void setSnapToGrid(bool snap) { m_snap = snap; }
    int gridSize() const { return m_grid; }
    void setGridSize(int pixels);
    // The grid in effect for mouse moves (1 when not snapping).
    int snapGrid() const { return m_snap ? m_grid : 1; }
    int hotKey() const { return m_hotKey; }
    void setHotKey(int storedShortCut);
    QKeySequence hotKeySequence() const { return m_hotKeySequence; }
    bool showInspectorOnStart() const { return m_showInspector; }
    void setShowInspectorOnStart(bool show) { m_showInspector = show; }
    bool storeChanges() const { return m_storeChanges; }
    void setStoreChanges(bool store) { m_storeChanges = store; }
    bool showCaptions() const { return m_showCaptions; }
    void setShowCaptions(bool show);
    bool showHints() const { return m_showHints; }
    void setShowHints(bool show) { m_showHints = show; }
    QMenu *popupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *menu) { m_popupMenu = menu; }

    // --- on and off
    bool isActive() const { return m_active; }
    // Switching off asks OnSaveChanges first; false: it refused and the
    // designer stays active.
    bool setActive(bool active);
    void toggle() { setActive(!m_active); }
    // Switches off without asking to save (the host is going away).
    void stop();

    // --- selection
    QList<QObject *> selection() const;
    QList<ReportPrintable *> selectedItems() const;
    bool isSelected(const QObject *object) const;
    // add: keep what is selected (a band always replaces the selection).
    void select(QObject *object, bool add = false);
    void toggleSelected(QObject *object);
    void selectRect(const QRect &surfaceRect, bool add);
    void clearSelection();
    QObject *current() const { return m_current; }

    // --- commands of the menu
    void AlignToGrid();
    void BringToFront();
    void SendToBack();
    void ShowAlignDialog();
    void ShowSizeDialog();
    void ShowScaleDialog();
    // False when nothing was deleted (empty selection or not allowed).
    bool DeleteSelection();
    void ShowInspector();

    // --- the same with their arguments
    void align(HorzAlign horizontal, VertAlign vertical);
    void resizeTo(SizeRule widthRule, int width, SizeRule heightRule, int height);
    void scale(int percent);
    void moveBy(QPoint delta);   // key moves: successive ones undo as one
    void resizeBy(QSize delta);
    void undo();
    void redo();

    // --- keys of the design view; true when used
    bool handleKey(QKeyEvent &event);

    // --- drags over a band (band pixels)
    bool dragOver(TQRBand *band, QPoint point, const QMimeData &data);
    void dragDrop(TQRBand *band, QPoint point, const QMimeData &data);

    // --- geometry changes of the design view: a snapshot of the selected
    // components, then commit once they were moved (one undo step).
    std::vector<GeometryChange> geometrySnapshot() const;
    void commitGeometry(const QString &text, std::vector<GeometryChange> changes, int mergeId = -1);
    // The band's height was dragged from before to what it is now.
    void commitBandHeight(TQRBand *band, int before);

    // Repaints after a change of the report made elsewhere.
    void refresh();

    Report *report() const { return m_report; }
    QUndoStack *undoStack() const { return m_undo; }
    DesignSurface *surface() const { return m_surface; }
    QScrollArea *view() const { return m_view; }
    PropertyInspector *inspector() const { return m_inspector; }

    // --- callbacks (all optional)
    std::function<void(bool)> OnActiveChanged;
    std::function<bool()> OnSaveChanges;
    std::function<void(QObject *)> OnDeleteComponent;
    std::function<bool(TQRBand *, QPoint, const QMimeData &)> OnDragOver;
    std::function<void(TQRBand *, QPoint, const QMimeData &)> OnDragDrop;
    std::function<void(QObject *)> OnShowProperty;
    std::function<bool(const QList<QObject *> &)> CanDelete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish();
    void fitView();
    void selectionChanged();
    void applyRects(const QString &text, const QList<ReportPrintable *> &items, const std::vector<QRect> &rects,
                    int mergeId = -1);
    void reorder(const QString &text, bool toFront);
    void editProperty(QObject *object, const QByteArray &name, const QVariant &value);
    bool isHotKey(const QKeyEvent &event) const;

    QPointer<QWidget> m_host;
    QPointer<Report> m_report;
    DesignActions m_allowed = DesignActions(DesignAction::Select) | DesignAction::Move | DesignAction::Resize |
                              DesignAction::Show | DesignAction::Edit;
    bool m_snap = true;
    int m_grid = 4;
    int m_hotKey = kDefaultHotKey;
    QKeySequence m_hotKeySequence;
    bool m_showInspector = true;
    bool m_storeChanges = true;
    bool m_showCaptions = true;
    bool m_showHints = true;
    QPointer<QMenu> m_popupMenu;
    bool m_active = false;
    QList<QPointer<QObject>> m_selection;
    QPointer<QObject> m_current;
    QUndoStack *m_undo;
    // Children of the host, but they refer to the designer: it takes them
    // down with itself.
    QPointer<QScrollArea> m_view;
    DesignSurface *m_surface;
    QPointer<PropertyInspector> m_inspector;
    QShortcut *m_shortcut;
};

} // namespace kv
