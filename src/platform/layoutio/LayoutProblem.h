#pragma once
// A problem met while reading a layout text: its 1-based line (0 when it
// concerns the whole text or file) and what was wrong. ProblemLog caps how
// many are kept, so that a hostile text cannot grow the list without bound.

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

struct LayoutProblem {
    int line = 0;
    std::string message;
};

class ProblemLog {
public:
    static constexpr std::size_t kMaxProblems = 500;

    explicit ProblemLog(std::vector<LayoutProblem> &problems) : m_problems(problems) {}

    void add(int line, std::string message);

private:
    std::vector<LayoutProblem> &m_problems;
    std::size_t m_added = 0;
};

} // namespace kv
