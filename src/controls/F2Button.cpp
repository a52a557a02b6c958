#include "controls/F2Button.h"

#include "controls/ComponentState.h"
#include "controls/LookupRequestEvent.h"
#include "platform/Prompter.h"

#include <QCoreApplication>

namespace kv {

const char *const TF2Button::kSharedEditText = "不能同时有两个 F2Button 指到同一个 Edit.";

TF2Button::TF2Button(QWidget *parent) : TGSpeedButton(parent)
{
    setGlyphIndex(8);
    setFlat(true);
}

TF2Button::~TF2Button()
{
    removeHook();
}

TF2Button *TF2Button::otherButtonFor(QWidget *control) const
{
    for (TF2Button *button : window()->findChildren<TF2Button *>())
        if (button != this && button->m_f2Control == control)
            return button;
    return nullptr;
}

void TF2Button::setF2Control(QWidget *control)
{
    if (control) {
        if (otherButtonFor(control)) {
            Prompter::current()->messageBox(kSharedEditText, "Error", MessageType::Error, MessageButton::OK,
                                            MessageButton::OK);
            return;
        }
        if (control == m_f2Control)
            return;
    }
    removeHook();
    m_f2Control = control;
    installHook();
    AlignToControl();
}

void TF2Button::setAutoAlign(bool on)
{
    removeHook();
    m_autoAlign = on;
    installHook();
    AlignToControl();
}

void TF2Button::setGap(int gap)
{
    m_gap = qBound(0, gap, 255);
    AlignToControl();
}

void TF2Button::AlignToControl()
{
    if (!m_f2Control || !m_autoAlign)
        return;
    QRect edit = m_f2Control->geometry();
    QWidget *editParent = m_f2Control->parentWidget();
    // The edit's rectangle in the button's parent, should the two differ.
    if (editParent && parentWidget() && editParent != parentWidget())
        edit.moveTopLeft(parentWidget()->mapFromGlobal(editParent->mapToGlobal(edit.topLeft())));
    setGeometry(edit.x() + edit.width() + m_gap, edit.y(), edit.height(), edit.height());
}

void TF2Button::Click()
{
    TGSpeedButton::Click();
    QPointer<QWidget> control = m_f2Control;
    if (!control || !control->isEnabled())
        return;
    if (control->isVisible() && control->focusPolicy() != Qt::NoFocus)
        control->setFocus(Qt::OtherFocusReason);
    if (!control->hasFocus())
        return;
    LookupRequestEvent request(control);
    QCoreApplication::sendEvent(control->window(), &request);
}

// The button follows the input only while the form is designed; at run time
// windows place both themselves.
void TF2Button::installHook()
{
    if (!m_f2Control || !m_autoAlign || !isDesigning(this))
        return;
    m_hooked = m_f2Control;
    m_hooked->installEventFilter(this);
}

void TF2Button::removeHook()
{
    if (m_hooked)
        m_hooked->removeEventFilter(this);
    m_hooked = nullptr;
}

bool TF2Button::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_hooked && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        AlignToControl();
    return TGSpeedButton::eventFilter(watched, event);
}

} // namespace kv
