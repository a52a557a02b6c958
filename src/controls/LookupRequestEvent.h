#pragma once
// The lookup request a lookup button or a selection panel sends to the
// window that owns an input: "open the lookup (F2) window for this control".
// The window handles it as if F2 had been pressed on that control. It is the
// ERP's window message 1034 (user message base 1024 + 10), carried as a Qt
// event of its own type.

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace kv {

class LookupRequestEvent : public QEvent {
public:
    // Window message 1034 placed above Qt's user event range.
    static constexpr QEvent::Type kType = QEvent::Type(QEvent::User + 1034);

    explicit LookupRequestEvent(QWidget *control) : QEvent(kType), m_control(control) {}

    // The input the lookup is wanted for; null when it has gone meanwhile.
    QWidget *control() const { return m_control; }
    // The message's word parameter, always 0.
    int wordParameter() const { return 0; }

private:
    QPointer<QWidget> m_control;
};

} // namespace kv
