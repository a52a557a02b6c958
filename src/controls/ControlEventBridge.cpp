#include "controls/ControlEventBridge.h"

#include "controls/ComponentState.h"
#include "controls/ControlEvents.h"
#include "lib/LibVCLs.h"

#include <QCoreApplication>
#include <QKeyEvent>
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

} // namespace

ControlEventBridge::ControlEventBridge(QWidget *control, Option option)
    : QObject(control), m_control(control), m_option(option)
{
    control->installEventFilter(this);
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
        if (watched == m_control)
            raise("OnEnter");
        return false;
    case QEvent::FocusOut:
        if (watched == m_control)
            raise("OnExit");
        return false;
    case QEvent::KeyPress: return keyPress(watched, static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease: return keyRelease(static_cast<QKeyEvent *>(event));
    case QEvent::MouseButtonPress: {
        auto *mouseEvent = static_cast<QMouseEvent *>(event);
        m_pressedInside = mouseEvent->button() == Qt::LeftButton;
        mouse("OnMouseDown", mouseEvent);
        return false;
    }
    case QEvent::MouseButtonDblClick:
        mouse("OnMouseDown", static_cast<QMouseEvent *>(event));
        raise("OnDblClick");
        return false;
    case QEvent::MouseMove: mouse("OnMouseMove", static_cast<QMouseEvent *>(event)); return false;
    case QEvent::MouseButtonRelease: mouseRelease(watched, static_cast<QMouseEvent *>(event)); return false;
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
