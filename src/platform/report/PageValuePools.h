#pragma once
// The values a page store's drawing operations refer to by number: the
// texts and the rectangles of a run, each distinct one kept once. Pages of a
// report repeat both (captions, codes, units, the places of the fields), so
// that an operation costs a few numbers instead of its text and four floats.

#include "platform/HashIndex.h"

#include <QRectF>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace kv {

class TextPool {
public:
    std::uint32_t intern(QStringView text);
    QStringView view(std::uint32_t id) const
    {
        return QStringView(m_chars).mid(qsizetype(m_offsets[id]), qsizetype(m_offsets[id + 1] - m_offsets[id]));
    }
    QString text(std::uint32_t id) const { return view(id).toString(); }
    void clear();
    std::size_t memoryUsage() const;

private:
    QString m_chars;
    std::vector<std::uint32_t> m_offsets{0};
    HashIndex m_index;
};

// Rectangles as the page store keeps them: four floats in page units.
class RectPool {
public:
    std::uint32_t intern(const QRectF &rect);
    QRectF rect(std::uint32_t id) const
    {
        const Rect &r = m_rects[id];
        return QRectF(r.x, r.y, r.width, r.height);
    }
    void clear();
    std::size_t memoryUsage() const { return m_rects.capacity() * sizeof(Rect) + m_index.memoryUsage(); }

private:
    struct Rect {
        float x, y, width, height;
    };
    std::vector<Rect> m_rects;
    HashIndex m_index;
};

} // namespace kv
