#include "base/KvTabSheet.h"

#include "base/KvPageControl.h"

#include <QShowEvent>

namespace kv {

// Out of line: QPointer needs the complete page control class, which this
// header only declares (the page control's header includes this one).
TKvPageControl *TKvTabSheet::pageControl() const
{
    return m_pageControl;
}

void TKvTabSheet::attach(TKvPageControl *pageControl)
{
    m_pageControl = pageControl;
}

TKvTabSheet::TKvTabSheet(QWidget *parent) : QWidget(parent) {}

void TKvTabSheet::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_pageControl) {
        const int index = m_pageControl->indexOf(this);
        if (index >= 0)
            m_pageControl->setTabText(index, caption);
    }
}

void TKvTabSheet::setTabVisible(bool visible)
{
    m_tabVisible = visible;
    if (m_pageControl)
        m_pageControl->tabVisibilityChanged(this);
}

int TKvTabSheet::pageIndex() const
{
    return m_pageControl ? m_pageControl->indexOf(const_cast<TKvTabSheet *>(this)) : -1;
}

void TKvTabSheet::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_OnShow(this);
}

void TKvTabSheet::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_OnHide(this);
}

} // namespace kv
