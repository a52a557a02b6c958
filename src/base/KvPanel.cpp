#include "base/KvPanel.h"

#include <QPainter>

namespace kv {

TKvPanel::TKvPanel(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    // Clicking a panel takes the focus away from the input that had it, so
    // that its exit checks run (the save button of the condition-set list
    // relies on this).
    setFocusPolicy(Qt::ClickFocus);
}

void TKvPanel::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void TKvPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_caption.isEmpty())
        return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, m_caption);
}

} // namespace kv
