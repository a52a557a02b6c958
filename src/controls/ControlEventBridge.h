#pragma once
// Raises a control's published input events (OnEnter, OnExit, OnKeyDown,
// OnKeyPress, OnKeyUp, OnMouseDown, OnMouseMove, OnMouseUp, OnDblClick and,
// when asked, OnClick) from the Qt events that reach it. The handlers are
// looked up by property name at the time of each event, so a control only
// needs to publish the events it has; the rest are never raised.
//
// Key handlers may swallow a key (KeyEventArgs::key = 0, KeyPressArgs::key
// null) or replace the typed character. Nothing is raised while the control
// is being designed.
//
// Dragging controls onto controls works as in the ERP's forms: a
// control whose DragMode is automatic starts a drag when the mouse moves
// with the left button down (OnStartDrag, then OnEndDrag with the control
// it was dropped on); a control publishing OnDragOver accepts a control
// dragged over it when its handler leaves DragEventArgs::accept set, and
// gets OnDragDrop when it is dropped. Only drags of the module's own
// controls are taken.

#include <QObject>
#include <QPoint>
#include <QPointer>

class QKeyEvent;
class QMouseEvent;
class QWidget;

namespace kv {

class ControlEventBridge : public QObject {
    Q_OBJECT

public:
    enum Option { NoClicks = 0, RaiseClicks = 1 };

    // Watches control itself; the bridge is owned by the control.
    explicit ControlEventBridge(QWidget *control, Option option = NoClicks);
    // The data format of a drag of the module's controls.
    static QString dragFormat();

    // Also watches a part of the control (a list's viewport) and reports
    // its events as the control's, in the part's coordinates.
    void watch(QObject *part);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPress(QObject *watched, QKeyEvent *event);
    bool keyRelease(QKeyEvent *event);
    void mouse(const char *name, QMouseEvent *event);
    void mouseRelease(QObject *watched, QMouseEvent *event);
    void raise(const char *name);
    void dragOver(QEvent *event);
    void drop(QEvent *event);
    bool startDragOnMove(QMouseEvent *event);
    void startDrag();

    QPointer<QWidget> m_control;
    Option m_option;
    bool m_pressedInside = false;
    QPoint m_pressPosition;
    bool m_dragged = false;      // the release that ends a drag is no click
    bool m_dropAccepted = false; // what OnDragOver said last
    bool m_replaying = false;
};

} // namespace kv
