#include "platform/layoutio/LayoutProblem.h"

namespace kv {

void ProblemLog::add(int line, std::string message)
{
    ++m_added;
    if (m_added < kMaxProblems)
        m_problems.push_back({line, std::move(message)});
    else if (m_added == kMaxProblems)
        m_problems.push_back({line, "too many problems; further ones are not listed"});
}

} // namespace kv
