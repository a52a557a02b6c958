// The print-count filter a client sends: what it accepts, and that a filter
// built to exhaust the server (parentheses nested tens of thousands deep) is
// refused with a message instead of ending the daemon.

#include "objects/PrintCounter.h"
#include "objects/CompanyStore.h"

#include <gtest/gtest.h>

namespace {

using slip::PrintCounter;

std::string nested(int depth)
{
    return std::string(static_cast<std::size_t>(depth), '(') + "TC001='5401'" +
           std::string(static_cast<std::size_t>(depth), ')');
}

TEST(PrintCounterFilter, NestingIsAcceptedUpToItsLimitAndRefusedBeyond)
{
    const std::vector<PrintCounter::Term> terms = PrintCounter::parseFilter("MOCTC", nested(64));
    ASSERT_EQ(terms.size(), 1u);
    EXPECT_EQ(terms[0].column, "TC001");
    EXPECT_EQ(terms[0].value, "5401");

    for (const int depth : {65, 60000}) {
        try {
            PrintCounter::parseFilter("MOCTC", nested(depth));
            ADD_FAILURE() << depth << " levels accepted";
        } catch (const slip::StoreError &error) {
            EXPECT_NE(std::string(error.what()).find("nested too deeply"), std::string::npos) << error.what();
        }
    }
    // Unbalanced and endless openings are refused the same way, not read past the end.
    EXPECT_THROW(PrintCounter::parseFilter("MOCTC", std::string(100000, '(')), slip::StoreError);
    EXPECT_THROW(PrintCounter::parseFilter("MOCTC", "(TC001='1'"), slip::StoreError);
}

} // namespace
