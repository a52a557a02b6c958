#include "platform/report/PageValuePools.h"

#include "platform/report/ReportError.h"

#include <QHashFunctions>

#include <cstring>
#include <limits>
#include <utility>

namespace kv {

void PoolIndex::add(std::uint32_t hash, std::uint32_t id)
{
    if ((m_used + 1) * 2 > m_slots.size())
        grow();
    std::size_t at = hash & mask();
    while (m_slots[at].id != kNone)
        at = (at + 1) & mask();
    m_slots[at] = {hash, id};
    ++m_used;
}

void PoolIndex::grow()
{
    std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(std::max<std::size_t>(64, m_slots.size() * 2)));
    for (const Slot &slot : old) {
        if (slot.id == kNone)
            continue;
        std::size_t at = slot.hash & mask();
        while (m_slots[at].id != kNone)
            at = (at + 1) & mask();
        m_slots[at] = slot;
    }
}

void PoolIndex::clear()
{
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_used = 0;
}

std::uint32_t TextPool::intern(QStringView text)
{
    const auto hash = std::uint32_t(qHash(text));
    const std::uint32_t found = m_index.find(hash, [&](std::uint32_t id) { return view(id) == text; });
    if (found != PoolIndex::kNone)
        return found;
    if (std::uint64_t(m_chars.size()) + std::uint64_t(text.size()) > std::numeric_limits<std::uint32_t>::max() ||
        m_offsets.size() >= PoolIndex::kNone)
        throw ReportError("A report run holds more texts than a page store can keep");
    m_chars.append(text);
    m_offsets.push_back(std::uint32_t(m_chars.size()));
    const auto id = std::uint32_t(m_offsets.size() - 2);
    m_index.add(hash, id);
    return id;
}

void TextPool::clear()
{
    m_chars.clear();
    m_chars.squeeze();
    m_offsets.assign(1, 0);
    m_offsets.shrink_to_fit();
    m_index.clear();
}

std::size_t TextPool::memoryUsage() const
{
    return std::size_t(m_chars.capacity()) * sizeof(QChar) + m_offsets.capacity() * sizeof(std::uint32_t) +
           m_index.memoryUsage();
}

std::uint32_t RectPool::intern(const QRectF &rect)
{
    const Rect wanted{float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height())};
    // Compared and hashed bit for bit: the rectangle read back is the one recorded.
    const auto hash = std::uint32_t(qHashBits(&wanted, sizeof(Rect)));
    const std::uint32_t found =
        m_index.find(hash, [&](std::uint32_t id) { return std::memcmp(&m_rects[id], &wanted, sizeof(Rect)) == 0; });
    if (found != PoolIndex::kNone)
        return found;
    if (m_rects.size() >= PoolIndex::kNone)
        throw ReportError("A report run holds more places than a page store can keep");
    m_rects.push_back(wanted);
    const auto id = std::uint32_t(m_rects.size() - 1);
    m_index.add(hash, id);
    return id;
}

void RectPool::clear()
{
    m_rects.clear();
    m_rects.shrink_to_fit();
    m_index.clear();
}

} // namespace kv
