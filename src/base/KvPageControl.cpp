#include "base/KvPageControl.h"

#include "base/KvTabSheet.h"
#include "controls/ControlEvents.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>

namespace kv {

TKvPageControl::TKvPageControl(QWidget *parent) : QTabWidget(parent)
{
    // Every change the user makes goes through ChangeTo(), which may refuse.
    tabBar()->installEventFilter(this);
    tabBar()->setFocusPolicy(Qt::NoFocus);
}

void TKvPageControl::AddPage(TKvTabSheet *sheet)
{
    addTab(sheet, sheet->caption());
    sheet->attach(this);
    setTabVisible(indexOf(sheet), sheet->tabVisible());
}

TKvTabSheet *TKvPageControl::page(int index) const
{
    return qobject_cast<TKvTabSheet *>(widget(index));
}

TKvTabSheet *TKvPageControl::activePage() const
{
    return qobject_cast<TKvTabSheet *>(currentWidget());
}

void TKvPageControl::setActivePage(TKvTabSheet *sheet)
{
    if (sheet && indexOf(sheet) >= 0)
        setCurrentWidget(sheet);
}

void TKvPageControl::setActivePageIndex(int index)
{
    if (index >= 0 && index < count())
        setCurrentIndex(index);
}

bool TKvPageControl::ChangeTo(int index)
{
    if (index < 0 || index >= count() || m_changing)
        return false;
    if (index == currentIndex())
        return true;
    AcceptArgs changing;
    m_changing = true;
    m_OnChanging(this, changing);
    m_changing = false;
    if (!changing.accept)
        return false;
    setCurrentIndex(index);
    m_OnChange(this);
    return true;
}

int TKvPageControl::FindNextPage(int from, bool forward) const
{
    const int pages = count();
    for (int step = 1; step < pages; ++step) {
        const int index = ((from + (forward ? step : -step)) % pages + pages) % pages;
        if (isTabVisible(index) && isTabEnabled(index))
            return index;
    }
    return -1;
}

void TKvPageControl::tabVisibilityChanged(TKvTabSheet *sheet)
{
    const int index = indexOf(sheet);
    if (index >= 0)
        setTabVisible(index, sheet->tabVisible());
}

bool TKvPageControl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != tabBar())
        return QTabWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const int index = tabBar()->tabAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && index >= 0)
            ChangeTo(index);
        return true;
    }
    if (event->type() == QEvent::Wheel)
        return true; // pages change by click and keys only
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            const int next = FindNextPage(currentIndex(), key == Qt::Key_Right);
            if (next >= 0)
                ChangeTo(next);
            return true;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}

} // namespace kv
