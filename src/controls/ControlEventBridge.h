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

#include <QObject>
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

    QPointer<QWidget> m_control;
    Option m_option;
    bool m_pressedInside = false;
    bool m_replaying = false;
};

} // namespace kv
