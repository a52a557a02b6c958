#pragma once
// The demo generator's random numbers: the same seed gives the same numbers
// on every machine and compiler (the standard distributions do not promise
// that), so demo data is reproducible from its seed.

#include <cstdint>
#include <string>
#include <vector>

namespace slip {

class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next();
    // A whole number in [low, high].
    int between(int low, int high);
    // True with the given probability (0..1).
    bool chance(double probability);
    // A number in [low, high] with the given decimals.
    double amount(double low, double high, int decimals);

    template <typename T>
    const T &pick(const std::vector<T> &items)
    {
        return items[std::size_t(between(0, int(items.size()) - 1))];
    }

private:
    std::uint64_t m_state;
};

} // namespace slip
