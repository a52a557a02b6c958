#include "db/RequestDeadline.h"

#include <algorithm>

namespace slip {

namespace {

thread_local RequestDeadline *t_current = nullptr;

} // namespace

RequestDeadline::RequestDeadline(std::chrono::milliseconds limit)
    : m_limit(limit), m_end(Clock::now() + limit), m_outer(t_current)
{
    if (m_outer)
        m_end = std::min(m_end, m_outer->m_end);
    t_current = this;
}

RequestDeadline::~RequestDeadline()
{
    if (m_outer && m_stopped)
        m_outer->m_stopped = true;
    t_current = m_outer;
}

std::chrono::milliseconds RequestDeadline::remaining() const
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now());
    return std::max(left, std::chrono::milliseconds(1));
}

RequestDeadline *RequestDeadline::current()
{
    return t_current;
}

void RequestDeadline::refuseIfPassed()
{
    if (t_current && t_current->passed())
        t_current->raise({});
}

void RequestDeadline::raiseIfStopped(bool cancelled, std::string_view sqlForErrors)
{
    if (t_current && (cancelled || t_current->passed()))
        t_current->raise(sqlForErrors);
}

void RequestDeadline::raise(std::string_view sqlForErrors)
{
    m_stopped = true;
    std::string message = "the request ran longer than its time limit of " + std::to_string(m_limit.count()) +
                          " ms, the statement was stopped";
    if (!sqlForErrors.empty())
        message += " [SQL: " + std::string(sqlForErrors.substr(0, 300)) + (sqlForErrors.size() > 300 ? "...]" : "]");
    throw RequestTimeoutError(message);
}

RequestDeadline::Suspend::Suspend() : m_saved(t_current)
{
    t_current = nullptr;
}

RequestDeadline::Suspend::~Suspend()
{
    t_current = m_saved;
}

} // namespace slip
