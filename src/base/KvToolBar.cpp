#include "base/KvToolBar.h"

#include "base/ImageList.h"
#include "base/KvToolButton.h"

#include <QHBoxLayout>

namespace kv {

TKvToolBar::TKvToolBar(QWidget *parent) : QWidget(parent), m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(1, 1, 1, 1);
    m_layout->setSpacing(1);
    m_layout->addStretch(1);
}

void TKvToolBar::AddButton(TKvToolButton *button)
{
    m_layout->insertWidget(m_layout->count() - 1, button);
    refreshButtons();
}

void TKvToolBar::setFlat(bool flat)
{
    m_flat = flat;
    refreshButtons();
}

void TKvToolBar::setShowCaptions(bool show)
{
    m_showCaptions = show;
    refreshButtons();
}

void TKvToolBar::setImages(TImageList *images)
{
    m_images = images;
    refreshButtons();
}

void TKvToolBar::refreshButtons()
{
    for (TKvToolButton *button : findChildren<TKvToolButton *>(Qt::FindDirectChildrenOnly)) {
        button->setAutoRaise(m_flat);
        button->setToolButtonStyle(m_showCaptions ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        button->setImages(m_images);
    }
}

} // namespace kv
