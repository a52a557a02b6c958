#include "base/DataLabel.h"

#include <QEvent>

namespace kv {

TDataLabel::TDataLabel(QWidget *parent) : QLabel(parent) {}

void TDataLabel::setCaption(const QString &caption)
{
    setText(caption);
    if (m_autoSize)
        adjustSize();
    AlignToControl();
}

void TDataLabel::setAutoAlign(bool on)
{
    m_autoAlign = on;
    AlignToControl();
}

void TDataLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on)
        adjustSize();
    AlignToControl();
}

void TDataLabel::setGap(int gap)
{
    m_gap = gap;
    AlignToControl();
}

void TDataLabel::setFocusControl(QWidget *control)
{
    if (m_focusControl)
        m_focusControl->removeEventFilter(this);
    m_focusControl = control;
    setBuddy(control);
    if (control)
        control->installEventFilter(this);
    AlignToControl();
}

void TDataLabel::setLabelPosition(TLabelPosition position)
{
    m_position = position;
    AlignToControl();
}

void TDataLabel::AlignToControl()
{
    if (!m_autoAlign || !m_focusControl || m_focusControl->parentWidget() != parentWidget())
        return;
    const QRect control = m_focusControl->geometry();
    if (m_position == lpLeft)
        move(control.left() - m_gap - width(), control.top() + (control.height() - height()) / 2);
    else
        move(control.left(), control.top() - m_gap - height());
}

bool TDataLabel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_focusControl && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        AlignToControl();
    return QLabel::eventFilter(watched, event);
}

void TDataLabel::mousePressEvent(QMouseEvent *event)
{
    if (m_focusControl && m_focusControl->isEnabled())
        m_focusControl->setFocus(Qt::MouseFocusReason);
    QLabel::mousePressEvent(event);
}

} // namespace kv
