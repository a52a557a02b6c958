#include "base/ImageList.h"

namespace kv {

TImageList::TImageList(QObject *parent, int width, int height) : QObject(parent), m_width(width), m_height(height)
{
}

int TImageList::Add(const QPixmap &picture)
{
    if (picture.width() == m_width && picture.height() == m_height)
        m_images.push_back(picture);
    else
        m_images.push_back(picture.scaled(m_width, m_height, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return int(m_images.size()) - 1;
}

QPixmap TImageList::picture(int index) const
{
    if (index < 0 || index >= int(m_images.size()))
        return {};
    return m_images[index];
}

} // namespace kv
