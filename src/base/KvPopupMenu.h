#pragma once
// TKvPopupMenu: a pop-up menu whose items are TKvMenuItem actions. Radio
// items of one group index are exclusive.

#include "base/ImageList.h"

#include <QMenu>
#include <QPointer>

namespace kv {

class TKvMenuItem;

class TKvPopupMenu : public QMenu {
    Q_OBJECT
    Q_PROPERTY(kv::TImageList *Images READ images WRITE setImages)

public:
    explicit TKvPopupMenu(QWidget *parent = nullptr);

    // Appends an item; the menu shows it with the picture of its image index.
    void AddItem(TKvMenuItem *item);
    TImageList *images() const { return m_images; }
    void setImages(TImageList *images);

private:
    void refreshIcons();

    QPointer<TImageList> m_images;
};

} // namespace kv
