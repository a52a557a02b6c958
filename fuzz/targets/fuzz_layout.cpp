// Stored layout texts (the layout table and local layout files) read onto a
// small hand-built layout window. What was read must write out as a text
// that reads back onto a fresh window without a single problem.
#include "FuzzSupport.h"

#include "LayoutTestWindow.h"

#include "platform/layoutio/LayoutText.h"

namespace {

std::string describe(const std::vector<kv::LayoutProblem> &problems)
{
    std::string out;
    for (const kv::LayoutProblem &problem : problems)
        out += std::to_string(problem.line) + ": " + problem.message + "\n";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string written;
    {
        kv::test::LayoutWindow layout;
        std::vector<kv::LayoutProblem> problems;
        if (!kv::LayoutText::Read(layout.window, fuzz::text(data, size), problems))
            return 0;
        written = kv::LayoutText::Write(layout.window);
    }
    kv::test::LayoutWindow fresh;
    std::vector<kv::LayoutProblem> problems;
    if (!kv::LayoutText::Read(fresh.window, written, problems) || !problems.empty())
        fuzz::fail("a written layout does not read back:\n" + describe(problems) + "---\n" + written);
    return 0;
}
