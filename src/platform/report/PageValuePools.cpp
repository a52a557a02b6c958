#include "platform/report/PageValuePools.h"

#include "platform/report/ReportError.h"

#include <QHashFunctions>

#include <cstring>
#include <limits>

namespace kv {

std::uint32_t TextPool::intern(QStringView text)
{
    const auto equal = [&](std::uint32_t id) { return view(id) == text; };
    return m_index.findOrAdd(std::uint32_t(qHash(text)), equal, [&] {
        if (std::uint64_t(m_chars.size()) + std::uint64_t(text.size()) > std::numeric_limits<std::uint32_t>::max() ||
            m_offsets.size() >= HashIndex::kNone)
            throw ReportError("A report run holds more texts than a page store can keep");
        m_chars.append(text);
        m_offsets.push_back(std::uint32_t(m_chars.size()));
        return std::uint32_t(m_offsets.size() - 2);
    });
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
    const auto equal = [&](std::uint32_t id) { return std::memcmp(&m_rects[id], &wanted, sizeof(Rect)) == 0; };
    return m_index.findOrAdd(std::uint32_t(qHashBits(&wanted, sizeof(Rect))), equal, [&] {
        if (m_rects.size() >= HashIndex::kNone)
            throw ReportError("A report run holds more places than a page store can keep");
        m_rects.push_back(wanted);
        return std::uint32_t(m_rects.size() - 1);
    });
}

void RectPool::clear()
{
    m_rects.clear();
    m_rects.shrink_to_fit();
    m_index.clear();
}

} // namespace kv
