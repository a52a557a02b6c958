// The save lock of stored layouts between two sessions of the program
// server, on SQLite and PostgreSQL.
#include "ProgramServerTestSupport.h"

#include "objects/LayoutStore.h"

#include <gmock/gmock.h>

namespace {

using kv::Variant;
using kv::varArrayOf;
using programservertest::ProgramServerTest;
using testing::HasSubstr;

class LayoutLockTest : public ProgramServerTest {
protected:
    void SetUp() override
    {
        ProgramServerTest::SetUp();
        if (IsSkipped())
            return;
        other = newServer();
        std::vector<Variant> args{programservertest::connectArgs(company, "0002")};
        other->invoke("Connect", args, kv::InvokeKind::Method);
        EXPECT_EQ(store(*server, false, "", "first"), 1);
    }

    static Variant invoke(slip::ProgramServer &session, std::string_view name, std::vector<Variant> args)
    {
        return session.invoke(name, args, kv::InvokeKind::Method);
    }
    static int lock(slip::ProgramServer &session, const std::string &version)
    {
        return invoke(session, "RunUpdFlagSQL", {varArrayOf({std::stoi(version), version, "TfrmQipr07Fmt", "A格式"})})
            .toInt();
    }
    static int store(slip::ProgramServer &session, bool update, const std::string &version, const std::string &text)
    {
        Variant size = 0;
        const Variant header = update ? varArrayOf({"01", "0001", "", version, "TfrmQipr07Fmt", "A格式", ""})
                                      : varArrayOf({"01", "0001", "", "TfrmQipr07Fmt", "A格式", "", ""});
        Variant lines = varArrayOf({text});
        return invoke(session, "RunInsUpdSQL", {update, Variant::ref(lines), header, Variant::ref(size)}).toInt();
    }
    Variant stored()
    {
        Variant value;
        call("GetBlobField", {varArrayOf({"TfrmQipr07Fmt", "A格式"}), Variant::ref(value)});
        return value;
    }

    std::shared_ptr<slip::ProgramServer> other;
};

TEST_P(LayoutLockTest, OfTwoSessionsThatReadTheSameVersionOnlyTheFirstToLockMayWrite)
{
    ASSERT_EQ(lock(*server, "1"), 1);
    // The second designer locks before the first has written.
    EXPECT_EQ(lock(*other, "1"), -1);
    EXPECT_THAT(invoke(*other, "LastError", {}).toText(), HasSubstr("正由他人保存"));
    EXPECT_EQ(store(*other, true, "2", "second"), -1);
    EXPECT_EQ(store(*server, true, "2", "first saved"), 1);
    EXPECT_EQ(stored(), varArrayOf({"2", "first saved"}));

    // The write gave the lock back; the version the other read is gone.
    EXPECT_EQ(lock(*other, "1"), -1);
    EXPECT_THAT(invoke(*other, "LastError", {}).toText(), HasSubstr("已被他人更新"));
    ASSERT_EQ(lock(*other, "2"), 1);
    EXPECT_EQ(store(*other, true, "3", "second saved"), 1);
    EXPECT_EQ(stored(), varArrayOf({"3", "second saved"}));
}

TEST_P(LayoutLockTest, ALockIsGivenBackByAFailedWriteByTheEndOfItsSessionAndByTime)
{
    ASSERT_EQ(lock(*server, "1"), 1);
    EXPECT_EQ(lock(*server, "1"), 1); // the holder may ask again
    EXPECT_EQ(store(*server, true, "7", "wrong version"), -1);
    EXPECT_EQ(lock(*other, "1"), 1);

    // A session that goes away between lock and write leaves no lock.
    other.reset();
    EXPECT_EQ(lock(*server, "1"), 1);
    EXPECT_EQ(store(*server, true, "2", "after"), 1);

    slip::LayoutLocks locks;
    const slip::LayoutLocks::Key key{nullptr, "S", "TfrmQipr07Fmt", "A"};
    const auto start = slip::LayoutLocks::Clock::now();
    ASSERT_TRUE(locks.acquire(key, 1, start));
    EXPECT_FALSE(locks.acquire(key, 2, start + std::chrono::seconds(60)));
    EXPECT_TRUE(locks.heldByOther(key, 2, start + std::chrono::seconds(60)));
    EXPECT_TRUE(locks.acquire(key, 2, start + slip::LayoutLocks::kLockLifetime));
    EXPECT_TRUE(locks.heldByOther(key, 1, start + slip::LayoutLocks::kLockLifetime));
}

DBTEST_ON_BOTH_ENGINES(LayoutLockTest);

} // namespace
