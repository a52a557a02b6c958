#include "HostDataTestSupport.h"

#include "objects/CounterServer.h"

#include <algorithm>
#include <set>
#include <thread>

namespace {

using hostdatatest::HostDataTest;
using kv::Variant;

class CounterServerTest : public HostDataTest {
protected:
    void SetUp() override
    {
        HostDataTest::SetUp();
        if (IsSkipped())
            return;
        counter = std::make_shared<slip::CounterServer>(database, company);
    }

    Variant getCounter(const char *name, Variant &value)
    {
        std::vector<Variant> args{Variant(name), Variant::ref(value), kv::varArrayOf({"01", company})};
        return counter->invoke("GetCounter", args, kv::InvokeKind::Method);
    }

    std::shared_ptr<slip::CounterServer> counter;
};

TEST_P(CounterServerTest, SystemSettingsComeAsNameValueColumns)
{
    const Variant none = counter->call("GetSysInfo", {"01"});
    ASSERT_TRUE(none.isArray()) << counter->lastError();
    EXPECT_EQ(none.array().highBound(2), -1);

    insert("SYSINFO", {{"SETTING_NAME", "Sys002"}, {"SETTING_VALUE", "-"}});
    insert("SYSINFO", {{"SETTING_NAME", "QRM002"}, {"SETTING_VALUE", "测试"}});
    insert("SYSINFO", {{"SETTING_NAME", "Sys001"}, {"SETTING_VALUE", "4"}});
    Variant companyCode("01");
    const Variant settings = counter->call("GetSysInfo", {Variant::ref(companyCode)});
    ASSERT_TRUE(settings.isArray()) << counter->lastError();
    const kv::VariantArray &table = settings.array();
    ASSERT_EQ(table.dimCount(), 2);
    EXPECT_EQ(table.bounds()[0], (kv::ArrayBounds{0, 1}));
    EXPECT_EQ(table.bounds()[1], (kv::ArrayBounds{0, 2}));
    EXPECT_EQ(table.at(0, 0).toText(), "QRM002");
    EXPECT_EQ(table.at(1, 0).toText(), "测试");
    EXPECT_EQ(table.at(0, 2).toText() + table.at(1, 2).toText(), "Sys002-");
}

TEST_P(CounterServerTest, GetSysInfoWithoutACompanyAnswersUnassigned)
{
    slip::CounterServer unbound(database);
    EXPECT_TRUE(unbound.call("GetSysInfo", {"01"}).isEmpty());
    EXPECT_NE(unbound.lastError().find("CompanyDB"), std::string::npos);
}

TEST_P(CounterServerTest, CountersAdvanceByNameAndStep)
{
    Variant value;
    EXPECT_EQ(getCounter("slip", value).toInt64(), 1);
    EXPECT_EQ(value.toInt64(), 1);
    value = Variant();
    EXPECT_EQ(getCounter("SLIP", value).toInt64(), 2) << "names are kept in upper case";
    value = Variant();
    EXPECT_EQ(getCounter("OTHER", value).toInt64(), 1);
    value = Variant(10);
    EXPECT_EQ(getCounter("SLIP", value).toInt64(), 12) << "a step reserves a block";
    value = Variant("3");
    EXPECT_EQ(getCounter("SLIP", value).toInt64(), 15);
}

TEST_P(CounterServerTest, RefusedCounterRequestsLeaveTheValueAlone)
{
    Variant value("-2");
    EXPECT_TRUE(getCounter("SLIP", value).isEmpty());
    EXPECT_EQ(value.toText(), "-2");
    value = Variant();
    EXPECT_TRUE(getCounter("", value).isEmpty());
    EXPECT_TRUE(getCounter(std::string(41, 'X').c_str(), value).isEmpty());
    EXPECT_NE(counter->lastError().find("longer than 40"), std::string::npos);
    // None of the refusals used up a number.
    EXPECT_EQ(getCounter("SLIP", value).toInt64(), 1);
}

TEST_P(CounterServerTest, ConcurrentCallersNeverGetTheSameNumber)
{
    constexpr int perThread = 40;
    std::vector<std::int64_t> numbers[2];
    std::string errors[2];
    auto work = [&](int t) {
        slip::CounterServer own(database, company);
        for (int i = 0; i < perThread; ++i) {
            const Variant next = own.call("GetCounter", {"NEW", Variant()});
            if (next.isEmpty()) {
                errors[t] = own.lastError();
                break;
            }
            numbers[t].push_back(next.toInt64());
        }
        database->releaseThreadConnection();
    };
    std::thread first(work, 0), second(work, 1);
    first.join();
    second.join();
    ASSERT_EQ(errors[0] + errors[1], "");
    std::set<std::int64_t> all(numbers[0].begin(), numbers[0].end());
    all.insert(numbers[1].begin(), numbers[1].end());
    EXPECT_EQ(all.size(), std::size_t(2 * perThread));
    EXPECT_EQ(*all.rbegin(), 2 * perThread);
    EXPECT_TRUE(std::is_sorted(numbers[0].begin(), numbers[0].end()));
}

DBTEST_ON_BOTH_ENGINES(CounterServerTest);

} // namespace
