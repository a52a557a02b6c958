// The language library and its binding, used for real: Kvlanguage.so from
// the build's bin folder, with OpenCC's conversion data.

#include "lib/Translator.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <thread>
#include <vector>

using kv::TTranslator;

TEST(Translator, LoadsTheLibraryBesideTheProgram)
{
    TTranslator translator;
    EXPECT_EQ(translator.libraryPath(), std::string(QIPR07_BIN_DIR) + "/Kvlanguage.so");
}

TEST(Translator, ConvertsSimplifiedAndTraditionalBothWays)
{
    TTranslator translator;
    EXPECT_EQ(translator.GBtoBIG5("简体中文"), "簡體中文");
    EXPECT_EQ(translator.GBtoBIG5("领料单"), "領料單");
    EXPECT_EQ(translator.BIG5toGB("簡體中文"), "简体中文");
    EXPECT_EQ(translator.BIG5toGB("領料單"), "领料单");
    // Latin text, digits and punctuation pass through untouched.
    EXPECT_EQ(translator.GBtoBIG5("Slip 5401-20240101, 领料单!"), "Slip 5401-20240101, 領料單!");
}

TEST(Translator, ProducesCharactersBig5CanEncode)
{
    // Code page 950 has 為 and 裡, not the variants 爲 and 裏.
    TTranslator translator;
    const std::string traditional = translator.GBtoBIG5("为仓库里的发料");
    EXPECT_EQ(traditional, "為倉庫裡的發料");
    EXPECT_TRUE(kv::encodeFromUtf8(traditional, "BIG5").has_value());
    // And the Big5 forms come back to the simplified ones.
    EXPECT_EQ(translator.BIG5toGB(traditional), "为仓库里的发料");
}

TEST(Translator, KeepsEmptyTextAndEmbeddedNuls)
{
    TTranslator translator;
    EXPECT_EQ(translator.GBtoBIG5(""), "");
    const std::string withNul("领料\0单", 10);
    EXPECT_EQ(translator.GBtoBIG5(withNul), std::string("領料\0單", 10));
}

TEST(Translator, RejectsTextThatIsNotUtf8)
{
    TTranslator translator;
    EXPECT_THROW(translator.GBtoBIG5("\xC1\xEC\xC1\xCF"), kv::ETranslator); // "领料" in GB bytes
}

// The C interface as another program would use it.
class KvlanguageLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        m_handle = dlopen(QIPR07_BIN_DIR "/Kvlanguage.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_handle, nullptr) << dlerror();
        toBig5 = reinterpret_cast<Convert>(dlsym(m_handle, "GBtoBIG5"));
        toGb = reinterpret_cast<Convert>(dlsym(m_handle, "BIG5toGB"));
        freeText = reinterpret_cast<Free>(dlsym(m_handle, "KvFreeText"));
        ASSERT_TRUE(toBig5 && toGb && freeText);
    }
    void TearDown() override
    {
        if (m_handle)
            dlclose(m_handle);
    }

    std::string take(char *text)
    {
        std::string result = text ? text : "<null>";
        freeText(text);
        return result;
    }

    using Convert = char *(*)(const char *);
    using Free = void (*)(char *);
    Convert toBig5 = nullptr;
    Convert toGb = nullptr;
    Free freeText = nullptr;

private:
    void *m_handle = nullptr;
};

TEST_F(KvlanguageLibrary, RefusesNullAndBrokenInputWithoutCrashing)
{
    EXPECT_EQ(toBig5(nullptr), nullptr);
    // A sequence cut off at the end of the text, a stray continuation byte,
    // an over-long encoding and a surrogate.
    for (const char *bad : {"\xE9\xA2", "a\x80z", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_EQ(toGb(bad), nullptr) << bad;
    freeText(nullptr);
    EXPECT_EQ(take(toBig5("")), "");
}

TEST_F(KvlanguageLibrary, ServesSeveralThreadsAtOnce)
{
    std::vector<std::string> results(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 20; ++round)
                results[i] = i % 2 ? take(toBig5("领料单")) : take(toGb("領料單"));
        });
    for (std::thread &thread : threads)
        thread.join();
    for (std::size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i], i % 2 ? "領料單" : "领料单");
}
