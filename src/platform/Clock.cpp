#include "platform/Clock.h"

namespace kv {

namespace {

std::function<QDateTime()> &source()
{
    static std::function<QDateTime()> current;
    return current;
}

} // namespace

QDate Clock::today()
{
    return now().date();
}

QDateTime Clock::now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

void Clock::setSource(std::function<QDateTime()> newSource)
{
    source() = std::move(newSource);
}

FixedClock::FixedClock(const QDateTime &moment)
{
    Clock::setSource([moment] { return moment; });
}

FixedClock::~FixedClock()
{
    Clock::setSource({});
}

} // namespace kv
