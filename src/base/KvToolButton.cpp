#include "base/KvToolButton.h"

#include "base/ImageList.h"

#include <QIcon>
#include <QMenu>

namespace kv {

TKvToolButton::TKvToolButton(QWidget *parent) : QToolButton(parent)
{
    // Tool buttons act on the list; they never take the focus from an input.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QToolButton::clicked, this, [this] { m_OnClick(this); });
}

void TKvToolButton::setImageIndex(int index)
{
    m_imageIndex = index;
    refreshIcon();
}

void TKvToolButton::setStyle(TToolButtonStyle style)
{
    m_style = style;
    setCheckable(style == tbsCheck);
    setPopupMode(style == tbsDropDown ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
}

void TKvToolButton::setDropdownMenu(QMenu *menu)
{
    m_dropdownMenu = menu;
    setMenu(menu);
}

void TKvToolButton::setImages(TImageList *images)
{
    m_images = images;
    refreshIcon();
}

void TKvToolButton::refreshIcon()
{
    const QPixmap picture = m_images ? m_images->picture(m_imageIndex) : QPixmap();
    setIcon(picture.isNull() ? QIcon() : QIcon(picture));
    if (m_images)
        setIconSize(QSize(m_images->width(), m_images->height()));
}

} // namespace kv
