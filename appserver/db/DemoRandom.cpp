#include "db/DemoRandom.h"

#include <cmath>

namespace slip {

// splitmix64: small, fast and fully specified.
std::uint64_t DemoRandom::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int DemoRandom::between(int low, int high)
{
    if (high <= low)
        return low;
    const std::uint64_t span = std::uint64_t(std::int64_t(high) - low) + 1;
    return int(std::int64_t(low) + std::int64_t(next() % span));
}

bool DemoRandom::chance(double probability)
{
    return double(next() >> 11) * 0x1.0p-53 < probability;
}

double DemoRandom::amount(double low, double high, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const int steps = int((high - low) * scale);
    return low + between(0, steps) / scale;
}

} // namespace slip
