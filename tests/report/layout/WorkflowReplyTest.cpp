// The sign-off text of a slip in the workflow web service's reply: found by
// its keys taken as values, and a damaged reply refused with a reason.

#include "report/layout/WorkflowReply.h"

#include <gtest/gtest.h>

using kv::WorkflowSignOff;
using kv::findWorkflowSignOff;

namespace {

const std::string kReply = "<FormSet><Form wfFormType=\"5401\" wfSheetNo=\"A&apos;001&quot;]\">quoted||核准</Form>"
                           "<Form wfFormType=\"5401\" wfSheetNo=\"A001\">plain||核准</Form></FormSet>";

TEST(WorkflowReply, KeysAreMatchedAsValues)
{
    const WorkflowSignOff quoted = findWorkflowSignOff(kReply, "5401", "A'001\"]");
    EXPECT_EQ(quoted.status, WorkflowSignOff::Status::Found);
    EXPECT_EQ(quoted.text, "quoted||核准");
    EXPECT_EQ(findWorkflowSignOff(kReply, "5401", "A001").text, "plain||核准");
    // A key cut short at a NUL would be another slip's.
    EXPECT_EQ(findWorkflowSignOff(kReply, "5401", std::string("A001\0x", 6)).status,
              WorkflowSignOff::Status::NotFound);
    EXPECT_EQ(findWorkflowSignOff(kReply, "5402", "A001").status, WorkflowSignOff::Status::NotFound);
}

TEST(WorkflowReply, ADamagedReplyIsRefusedWithTheReason)
{
    for (const std::string &reply :
         {std::string("<FormSet><Form>"), std::string("<FormSet></Form>"), std::string("<a>\0</a>", 8)}) {
        SCOPED_TRACE(reply);
        const WorkflowSignOff found = findWorkflowSignOff(reply, "5401", "A001");
        EXPECT_EQ(found.status, WorkflowSignOff::Status::Unreadable);
        EXPECT_FALSE(found.error.empty());
    }
}

} // namespace
