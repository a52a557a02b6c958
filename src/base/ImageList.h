#pragma once
// TImageList: a numbered list of pictures of one size, for tool bars, menus
// and list views.

#include <QObject>
#include <QPixmap>
#include <QVector>

namespace kv {

class TImageList : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Width READ width WRITE setWidth)
    Q_PROPERTY(int Height READ height WRITE setHeight)
    Q_PROPERTY(int Count READ count)

public:
    explicit TImageList(QObject *parent = nullptr, int width = 16, int height = 16);

    int width() const { return m_width; }
    void setWidth(int width) { m_width = width; }
    int height() const { return m_height; }
    void setHeight(int height) { m_height = height; }
    int count() const { return int(m_images.size()); }

    // Adds a picture scaled to the list's size; returns its index.
    int Add(const QPixmap &picture);
    // The picture of an index; a null pixmap outside the list.
    QPixmap picture(int index) const;
    void Clear() { m_images.clear(); }

private:
    int m_width;
    int m_height;
    QVector<QPixmap> m_images;
};

} // namespace kv
