#pragma once
// The values a page store's drawing operations refer to by number: the
// texts and the rectangles of a run, each distinct one kept once. Pages of a
// report repeat both (captions, codes, units, the places of the fields), so
// that an operation costs a few numbers instead of its text and four floats.

#include <QRectF>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace kv {

// Finds the number of a value already kept: open addressing over (hash,
// number) pairs; the values themselves are looked up in the pool.
class PoolIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    template <typename Equal>
    std::uint32_t find(std::uint32_t hash, Equal equal) const
    {
        if (m_slots.empty())
            return kNone;
        for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
            const Slot &slot = m_slots[at];
            if (slot.id == kNone)
                return kNone;
            if (slot.hash == hash && equal(slot.id))
                return slot.id;
        }
    }
    void add(std::uint32_t hash, std::uint32_t id);
    void clear();
    std::size_t memoryUsage() const { return m_slots.capacity() * sizeof(Slot); }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t id = kNone;
    };
    std::size_t mask() const { return m_slots.size() - 1; }
    void grow();

    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
};

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
    PoolIndex m_index;
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
    PoolIndex m_index;
};

} // namespace kv
