#include "controls/ControlEventBridge.h"

#include "controls/ComponentState.h"
#include "controls/ControlEvents.h"
#include "lib/LibVCLs.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>

namespace kv {

namespace {

// The key code of a replacement character, so that widgets that look at the
// key rather than the text see the same character.
int keyOfCharacter(QChar character)
{
    if (character.isLetter() && character.unicode() < 128)
        return character.toUpper().unicode();
    if (character.unicode() >= 0x20 && character.unicode() < 0x7f)
        return character.unicode();
    return Qt::Key_unknown;
}

// The one drag of the module's controls in progress, and where it ended.
const QString kDragFormat = QStringLiteral("application/x-kv-control-drag");
QPointer<QObject> s_dragSource;
QPointer<QObject> s_dropTarget;

constexpr int kAutomaticDrag = 1; // TDragMode dmAutomatic

} // namespace

ControlEventBridge::ControlEventBridge(QWidget *control, Option option)
    : QObject(control), m_control(control), m_option(option)
{
    control->installEventFilter(this);
    if (CheckPropertyExist(control, "OnDragOver"))
        control->setAcceptDrops(true);
}

QString ControlEventBridge::dragFormat()
{
    return kDragFormat;
}

void ControlEventBridge::watch(QObject *part)
{
    if (part)
        part->installEventFilter(this);
}

void ControlEventBridge::raise(const char *name)
{
    if (EventHandler handler = GetObjectMethod(m_control, name))
        handler(m_control);
}

bool ControlEventBridge::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_control || m_replaying || isDesigning(m_control))
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // Switching windows or opening a menu keeps the control the active
        // one of its form: no enter or exit.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (watched == m_control && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            raise(event->type() == QEvent::FocusIn ? "OnEnter" : "OnExit");
        return false;
    }
    case QEvent::KeyPress: return keyPress(watched, static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease: return keyRelease(static_cast<QKeyEvent *>(event));
    case QEvent::MouseButtonPress: {
        auto *mouseEvent = static_cast<QMouseEvent *>(event);
        m_pressedInside = mouseEvent->button() == Qt::LeftButton;
        m_pressPosition = mouseEvent->position().toPoint();
        mouse("OnMouseDown", mouseEvent);
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        // Other drags (text into an edit) are the control's own business.
        if (!static_cast<QDropEvent *>(event)->mimeData()->hasFormat(kDragFormat))
            return false;
        if (event->type() == QEvent::Drop)
            drop(event);
        else
            dragOver(event);
        return true;
    }
    case QEvent::MouseButtonDblClick:
        mouse("OnMouseDown", static_cast<QMouseEvent *>(event));
        raise("OnDblClick");
        return false;
    case QEvent::MouseMove:
        mouse("OnMouseMove", static_cast<QMouseEvent *>(event));
        return startDragOnMove(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        if (m_dragged) {
            m_dragged = false;
            return true;
        }
        mouseRelease(watched, static_cast<QMouseEvent *>(event));
        return false;
    default: return false;
    }
}

bool ControlEventBridge::keyPress(QObject *watched, QKeyEvent *event)
{
    QPointer<QWidget> control = m_control;
    if (EventHandler handler = GetObjectMethod(control, "OnKeyDown")) {
        KeyEventArgs args(event->key(), event->modifiers());
        handler(control, args);
        if (args.key == 0)
            return true;
    }
    if (!control || event->text().isEmpty())
        return false;
    EventHandler handler = GetObjectMethod(control, "OnKeyPress");
    if (!handler)
        return false;
    const QChar typed = event->text().at(0);
    KeyPressArgs args(typed);
    handler(control, args);
    if (args.key == typed)
        return false;
    if (!args.key.isNull() && control) {
        // The handler typed another character in place of this one.
        QKeyEvent replaced(QEvent::KeyPress, keyOfCharacter(args.key), event->modifiers(), QString(args.key));
        m_replaying = true;
        QCoreApplication::sendEvent(watched, &replaced);
        m_replaying = false;
    }
    return true;
}

bool ControlEventBridge::keyRelease(QKeyEvent *event)
{
    EventHandler handler = GetObjectMethod(m_control, "OnKeyUp");
    if (!handler)
        return false;
    KeyEventArgs args(event->key(), event->modifiers());
    handler(m_control, args);
    return args.key == 0;
}

void ControlEventBridge::mouse(const char *name, QMouseEvent *event)
{
    if (EventHandler handler = GetObjectMethod(m_control, name)) {
        MouseEventArgs args(event->button(), event->modifiers(), event->position().toPoint());
        handler(m_control, args);
    }
}

bool ControlEventBridge::startDragOnMove(QMouseEvent *event)
{
    if (!m_pressedInside || !(event->buttons() & Qt::LeftButton) || GetOrdinalProperty(m_control, "DragMode") != kAutomaticDrag)
        return false;
    if ((event->position().toPoint() - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
        return false;
    m_pressedInside = false;
    m_dragged = true;
    startDrag();
    return true;
}

void ControlEventBridge::startDrag()
{
    QPointer<QWidget> control = m_control;
    s_dragSource = control.data();
    s_dropTarget = nullptr;
    raise("OnStartDrag");
    if (control) {
        auto *data = new QMimeData;
        data->setData(kDragFormat, control->objectName().toUtf8());
        auto *drag = new QDrag(control);
        drag->setMimeData(data);
        QApplication::setOverrideCursor(QCursor(Qt::CursorShape(GetOrdinalProperty(control, "DragCursor"))));
        drag->exec(Qt::MoveAction);
        QApplication::restoreOverrideCursor();
    }
    s_dragSource = nullptr;
    if (!control)
        return;
    if (EventHandler handler = GetObjectMethod(control, "OnEndDrag")) {
        EndDragEventArgs args(s_dropTarget);
        handler(control, args);
    }
}

// Without an OnDragOver handler a control takes no drops.
void ControlEventBridge::dragOver(QEvent *event)
{
    auto *over = static_cast<QDragMoveEvent *>(event);
    EventHandler handler = GetObjectMethod(m_control, "OnDragOver");
    if (!s_dragSource || !handler) {
        over->ignore();
        return;
    }
    DragEventArgs args(s_dragSource, over->position().toPoint());
    handler(m_control, args);
    m_dropAccepted = args.accept;
    over->setDropAction(args.accept ? Qt::MoveAction : Qt::IgnoreAction);
    // The enter is always taken, so that every later move asks the handler
    // again, as the pointer moves over the control.
    if (event->type() == QEvent::DragEnter)
        over->accept();
    else
        over->setAccepted(args.accept);
}

void ControlEventBridge::drop(QEvent *event)
{
    auto *dropped = static_cast<QDropEvent *>(event);
    if (!s_dragSource || !m_dropAccepted) {
        dropped->ignore();
        return;
    }
    s_dropTarget = m_control.data();
    dropped->setDropAction(Qt::MoveAction);
    dropped->accept();
    if (EventHandler handler = GetObjectMethod(m_control, "OnDragDrop")) {
        DragEventArgs args(s_dragSource, dropped->position().toPoint());
        handler(m_control, args);
    }
}

void ControlEventBridge::mouseRelease(QObject *watched, QMouseEvent *event)
{
    QPointer<QWidget> control = m_control;
    mouse("OnMouseUp", event);
    const bool wasPressed = m_pressedInside;
    m_pressedInside = false;
    if (!control || m_option != RaiseClicks || !wasPressed || event->button() != Qt::LeftButton)
        return;
    const auto *area = qobject_cast<QWidget *>(watched);
    if (area && area->rect().contains(event->position().toPoint()))
        raise("OnClick");
}

} // namespace kv
