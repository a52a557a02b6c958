#include "platform/DispatchObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using kv::DispatchError;
using kv::Variant;

namespace {

class Counter : public kv::DispatchObject {
public:
    Counter() : DispatchObject("Test.Counter")
    {
        addMethod("Add", 2, 2, [](std::vector<Variant> &args) { return Variant(args[0].toInt() + args[1].toInt()); });
        addMethod("Swap", 2, 2, [](std::vector<Variant> &args) {
            const Variant first = args[0].deref();
            args[0].assign(args[1]);
            args[1].assign(first);
            return Variant();
        });
        addMethod("Count", 0, kUnlimited, [](std::vector<Variant> &args) { return Variant(int(args.size())); });
        addMethod("Fail", 0, 0, [](std::vector<Variant> &) -> Variant { throw std::runtime_error("disk full"); });
        addProperty("Value", [this] { return m_value; }, [this](const Variant &v) { m_value = v; });
        addProperty("Version", [] { return Variant(7); });
        addProperty("Secret", {}, [this](const Variant &v) { m_value = v; });
    }

private:
    Variant m_value = Variant(0);
};

template <typename Call>
std::string errorOf(Call call)
{
    try {
        call();
    } catch (const DispatchError &error) {
        return error.what();
    }
    return "<no error>";
}

} // namespace

TEST(DispatchObject, NamesAreFoundWithoutCase)
{
    Counter counter;
    EXPECT_EQ(counter.call("add", {2, 3}), Variant(5));
    EXPECT_EQ(counter.call("ADD", {2, 3}), Variant(5));
    counter.put("vAlUe", Variant("x"));
    EXPECT_EQ(counter.get("VALUE"), Variant("x"));
    EXPECT_TRUE(counter.hasMember("version"));
    EXPECT_EQ(kv::foldDispatchName("ÄbC"), kv::foldDispatchName("äBc"));
}

TEST(DispatchObject, MisuseIsReportedWithTheNameAndClass)
{
    Counter counter;
    EXPECT_EQ(errorOf([&] { counter.call("Nope"); }), "Unknown name \"Nope\" of Test.Counter");
    EXPECT_EQ(errorOf([&] { counter.call("Add", {1}); }),
              "Invalid number of parameters: Test.Counter.Add takes 2 arguments, 1 given");
    EXPECT_NO_THROW(counter.call("Count", {1, 2, 3, 4, 5}));
    EXPECT_EQ(errorOf([&] { counter.put("Version", 8); }), "Property Test.Counter.Version is read-only");
    EXPECT_EQ(errorOf([&] { counter.put("Add", 8); }), "Test.Counter.Add is a method and cannot be assigned");
    EXPECT_EQ(errorOf([&] { counter.get("Secret"); }), "Property Test.Counter.Secret is write-only");
    EXPECT_NE(errorOf([&] { counter.call("Value", {1}); }).find("takes no index"), std::string::npos);
    std::vector<Variant> twoValues{1, 2};
    EXPECT_THROW(counter.invoke("Value", twoValues, kv::InvokeKind::PropertyPut), DispatchError);
}

TEST(DispatchObject, FailuresInsideAnOperationNameTheOperation)
{
    Counter counter;
    // A text that is no number fails the cast inside Add.
    EXPECT_NE(errorOf([&] { counter.call("Add", {"abc", 1}); }).find("Test.Counter.Add: Could not convert"),
              std::string::npos);
    EXPECT_EQ(errorOf([&] { counter.call("Fail"); }), "Test.Counter.Fail: disk full");
}

TEST(DispatchObject, MethodsAndPropertiesAnswerEitherReadForm)
{
    Counter counter;
    EXPECT_EQ(counter.call("Version"), Variant(7));
    EXPECT_EQ(counter.get("Count"), Variant(0));
}

TEST(DispatchObject, ArgumentsAreWrittenBackThroughReferences)
{
    Counter counter;
    Variant a("left");
    Variant b(2);
    counter.call("Swap", {Variant::ref(a), Variant::ref(b)});
    EXPECT_EQ(a, Variant(2));
    EXPECT_EQ(b, Variant("left"));

    // Without references the callee's writes land in the caller's vector.
    std::vector<Variant> args{1, 2};
    counter.invoke("Swap", args, kv::InvokeKind::Method);
    EXPECT_EQ(args[0], Variant(2));
    EXPECT_EQ(args[1], Variant(1));
}

TEST(DispatchObject, RegisteringANameTwiceIsRefused)
{
    struct Twice : kv::DispatchObject {
        Twice() : DispatchObject("Test.Twice")
        {
            addProperty("Name", [] { return Variant(); });
            addMethod("NAME", 0, 0, [](std::vector<Variant> &) { return Variant(); });
        }
    };
    EXPECT_THROW(Twice(), DispatchError);
}

TEST(OleClassRegistry, CreatesRegisteredClassesByIdWithoutCase)
{
    kv::OleClassRegistry::registerClass("Test.Counter", [] { return std::make_shared<Counter>(); });
    EXPECT_TRUE(kv::OleClassRegistry::isRegistered("TEST.counter"));
    const kv::DispatchPtr object = kv::createOleObject("test.COUNTER");
    EXPECT_EQ(object->className(), "Test.Counter");
    EXPECT_NE(object, kv::createOleObject("Test.Counter")); // a new instance each time

    kv::OleClassRegistry::unregisterClass("TEST.COUNTER");
    EXPECT_FALSE(kv::OleClassRegistry::isRegistered("Test.Counter"));
    EXPECT_EQ(errorOf([] { kv::createOleObject("Test.Counter"); }), "Invalid class string: Test.Counter");
    EXPECT_EQ(errorOf([] { kv::createOleObject("Foo.Bar"); }), "Invalid class string: Foo.Bar");
}

TEST(OleClassRegistry, FactoryFailuresBecomeDispatchErrors)
{
    kv::OleClassRegistry::registerClass("Test.Null", [] { return kv::DispatchPtr(); });
    kv::OleClassRegistry::registerClass("Test.Broken", []() -> kv::DispatchPtr { throw std::runtime_error("no db"); });
    EXPECT_EQ(errorOf([] { kv::createOleObject("Test.Null"); }), "Could not create Test.Null: the class yielded no object");
    EXPECT_EQ(errorOf([] { kv::createOleObject("Test.Broken"); }), "Could not create Test.Broken: no db");
    EXPECT_THROW(kv::OleClassRegistry::registerClass("", [] { return kv::DispatchPtr(); }), DispatchError);
    kv::OleClassRegistry::unregisterClass("Test.Null");
    kv::OleClassRegistry::unregisterClass("Test.Broken");
}

TEST(OleClassRegistry, ServesSeveralThreadsAtOnce)
{
    // A factory may itself register classes: creation must not hold the lock.
    kv::OleClassRegistry::registerClass("Test.Nested", [] {
        kv::OleClassRegistry::registerClass("Test.Inner", [] { return std::make_shared<Counter>(); });
        return std::make_shared<Counter>();
    });
    std::atomic<int> created{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &created] {
            const std::string id = "Test.Thread" + std::to_string(t);
            for (int i = 0; i < 200; ++i) {
                kv::OleClassRegistry::registerClass(id, [] { return std::make_shared<Counter>(); });
                if (kv::createOleObject(id) && kv::createOleObject("Test.Nested"))
                    ++created;
                kv::OleClassRegistry::unregisterClass(id);
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(created, 800);
    EXPECT_TRUE(kv::OleClassRegistry::isRegistered("Test.Inner"));
    kv::OleClassRegistry::unregisterClass("Test.Nested");
    kv::OleClassRegistry::unregisterClass("Test.Inner");
}
