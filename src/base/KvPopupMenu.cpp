#include "base/KvPopupMenu.h"

#include "base/ImageList.h"
#include "base/KvMenuItem.h"

#include <QIcon>

namespace kv {

TKvPopupMenu::TKvPopupMenu(QWidget *parent) : QMenu(parent) {}

void TKvPopupMenu::AddItem(TKvMenuItem *item)
{
    addAction(item);
    refreshIcons();
}

void TKvPopupMenu::setImages(TImageList *images)
{
    m_images = images;
    refreshIcons();
}

void TKvPopupMenu::refreshIcons()
{
    for (QAction *action : actions()) {
        auto *item = qobject_cast<TKvMenuItem *>(action);
        if (!item || !m_images)
            continue;
        const QPixmap picture = m_images->picture(item->imageIndex());
        item->setIcon(picture.isNull() ? QIcon() : QIcon(picture));
    }
}

} // namespace kv
