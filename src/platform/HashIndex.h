#pragma once
// Finds the number of a value already kept in a pool: open addressing over
// (hash, number) pairs, linear probing, at most half full. The values
// themselves stay in their pool and are compared through a callback, so an
// index costs eight bytes a slot and no second copy of any value; the
// stored hash spares most comparisons.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

class HashIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    // The number of the value equal(number) accepts, or kNone.
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

    // As find, but a value not found gets the number add() returns, in one
    // probe. When add() throws, the index is as before.
    template <typename Equal, typename Add>
    std::uint32_t findOrAdd(std::uint32_t hash, Equal equal, Add add)
    {
        if ((m_used + 1) * 2 > m_slots.size())
            grow();
        for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
            Slot &slot = m_slots[at];
            if (slot.id == kNone) {
                slot = {hash, add()};
                ++m_used;
                return slot.id;
            }
            if (slot.hash == hash && equal(slot.id))
                return slot.id;
        }
    }

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

} // namespace kv
