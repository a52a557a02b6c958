#include "platform/HashIndex.h"

#include <algorithm>
#include <utility>

namespace kv {

void HashIndex::grow()
{
    std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(std::max<std::size_t>(16, m_slots.size() * 2)));
    for (const Slot &slot : old) {
        if (slot.id == kNone)
            continue;
        std::size_t at = slot.hash & mask();
        while (m_slots[at].id != kNone)
            at = (at + 1) & mask();
        m_slots[at] = slot;
    }
}

void HashIndex::clear()
{
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_used = 0;
}

} // namespace kv
