#pragma once
// The one source of "today" and "now" for the whole program, so that dated
// texts (log names, creation dates, default conditions) can be pinned in tests.

#include <QDate>
#include <QDateTime>

#include <functional>

namespace kv {

class Clock {
public:
    static QDate today();
    static QDateTime now();

    // Replaces the time source (tests); an empty function restores the system clock.
    static void setSource(std::function<QDateTime()> source);
};

// Pins the clock for the lifetime of the object and restores it afterwards.
class FixedClock {
public:
    explicit FixedClock(const QDateTime &moment);
    ~FixedClock();
    FixedClock(const FixedClock &) = delete;
    FixedClock &operator=(const FixedClock &) = delete;
};

} // namespace kv
