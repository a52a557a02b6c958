#pragma once
// Mouse and keyboard input as a user gives it, for the controls' tests:
// spontaneous events delivered through the application object, the way
// QTest's widget functions deliver them (focus on click, shortcut override,
// accelerators), and an owner window that records the lookup requests it
// receives. Header-only, so the test programs need nothing beyond Qt Widgets.

#include "controls/LookupRequestEvent.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPointingDevice>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>

#include <vector>

// Exported by Qt GUI: lets a key press be taken as a shortcut first.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject *o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString &text, bool autorep, ushort count);

namespace kvtest {

inline ulong &inputTimestamp()
{
    static ulong timestamp = 1000;
    return timestamp;
}

inline void sendMouse(QWidget *widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
                      QPoint position, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, position, widget->mapToGlobal(position), button, buttons, modifiers,
                      QPointingDevice::primaryPointingDevice());
    // Far apart in time, so that two clicks never make a double click.
    inputTimestamp() += 1000;
    event.setTimestamp(inputTimestamp());
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(widget, &event);
}

// A click at position (the centre when none is given).
inline void click(QWidget *widget, QPoint position = {}, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (position.isNull())
        position = widget->rect().center();
    QPointer<QWidget> alive(widget);
    sendMouse(widget, QEvent::MouseButtonPress, button, button, position, modifiers);
    if (alive)
        sendMouse(widget, QEvent::MouseButtonRelease, button, Qt::NoButton, position, modifiers);
    QApplication::processEvents();
}

inline void doubleClick(QWidget *widget, QPoint position = {})
{
    if (position.isNull())
        position = widget->rect().center();
    sendMouse(widget, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, position, Qt::NoModifier);
    sendMouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, position, Qt::NoModifier);
    QApplication::processEvents();
}

inline void sendKey(QWidget *widget, bool press, int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers, text);
    QSpontaneKeyEvent::setSpontaneous(&event);
    if (press && qt_sendShortcutOverrideEvent(widget, ++inputTimestamp(), key, modifiers, text, false, 1))
        return;
    qApp->notify(widget, &event);
}

inline QString textOfKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return {};
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar((modifiers & Qt::ShiftModifier) ? key : key - Qt::Key_A + 'a'));
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return QString(QChar(key));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QStringLiteral("\r");
    case Qt::Key_Tab: return QStringLiteral("\t");
    case Qt::Key_Backspace: return QStringLiteral("\b");
    case Qt::Key_Escape: return QStringLiteral("\x1b");
    default: return {};
    }
}

// Press and release of one key on the widget (the focused widget when null).
inline void keyClick(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (!widget)
        widget = QApplication::focusWidget();
    const QString text = textOfKey(key, modifiers);
    QPointer<QWidget> alive(widget);
    sendKey(widget, true, key, modifiers, text);
    if (alive)
        sendKey(widget, false, key, modifiers, text);
    QApplication::processEvents();
}

// Types the text character by character.
inline void typeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        const int key = c.isLetter() && c.unicode() < 128 ? c.toUpper().unicode() : c.unicode();
        const QString typed(c);
        sendKey(widget, true, key, Qt::NoModifier, typed);
        sendKey(widget, false, key, Qt::NoModifier, typed);
    }
    QApplication::processEvents();
}

// Shows the window and waits until it is the active window, so that focus
// changes happen as on a desktop.
inline bool showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QElapsedTimer timer;
    timer.start();
    while (QApplication::activeWindow() != window && timer.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return QApplication::activeWindow() == window;
}

// A program window stand-in: records every lookup request it receives,
// with the control that had the focus when it arrived.
class OwnerWindow : public QWidget {
public:
    struct Request {
        QWidget *control;
        QWidget *focused;
        int wordParameter;
    };

    std::vector<Request> requests;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == kv::LookupRequestEvent::kType) {
            const auto *request = static_cast<kv::LookupRequestEvent *>(event);
            requests.push_back({request->control(), QApplication::focusWidget(), request->wordParameter()});
            return true;
        }
        return QWidget::event(event);
    }
};

} // namespace kvtest
