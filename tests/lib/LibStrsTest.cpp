#include "lib/LibStrs.h"

#include "platform/Clock.h"
#include "platform/TextCodec.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using kv::Variant;
using kv::varArrayOf;

TEST(LibStrs, PaddingOnTheLeft)
{
    EXPECT_EQ(kv::PadL("7", 3, 48), "007");
    EXPECT_EQ(kv::PadL("1234", 3), "1234");
    // Widths count characters, so Chinese text pads like any other.
    EXPECT_EQ(kv::PadL("领料", 4, U'*'), "**领料");
    EXPECT_EQ(kv::PadL("1", 3, U'〇'), "〇〇1");
    EXPECT_THROW(kv::PadL("1", 3, char32_t(0xD800)), std::invalid_argument);
}

TEST(LibStrs, Tokens)
{
    EXPECT_EQ(kv::GetToken("a,b,c", ",", 1), "a");
    EXPECT_EQ(kv::GetToken("a,b,c", ",", 3), "c");
    EXPECT_EQ(kv::GetToken("a,b,c", ",", 4), "");
    EXPECT_EQ(kv::GetToken("", ",", 1), "");
    EXPECT_EQ(kv::GetToken("a<>b<>c", "<>", 2), "b");
    EXPECT_EQ(kv::GetToken("abc", "", 1), "abc");

    EXPECT_EQ(kv::NumToken("", ","), 0);
    EXPECT_EQ(kv::NumToken("a,,b", ","), 3);
    EXPECT_EQ(kv::NumToken("a#b#", "#"), 3);
    EXPECT_EQ(kv::NumToken("甲，乙，丙", "，"), 3);

    std::string text = "abc";
    EXPECT_EQ(kv::CutToken(text, ","), "abc");
    EXPECT_EQ(text, "");
    text = "CMSMC CMSMC.MC001 IN ('1', '2')";
    EXPECT_EQ(kv::CutToken(text, " "), "CMSMC");
    EXPECT_EQ(text, "CMSMC.MC001 IN ('1', '2')");
}

TEST(LibStrs, ZeroFilledNumbers)
{
    EXPECT_EQ(kv::ZeroATfirst(5, 4), "0005");
    EXPECT_EQ(kv::ZeroATfirst(-5, 4), "-0005");
}

TEST(LibStrs, Replacing)
{
    EXPECT_EQ(kv::SwapStr(" ( CMSMC.MC001=1 or CMSMC.MC002=2 ) ", "CMSMC.", "WH.", true),
              "( WH.MC001=1 or WH.MC002=2 )");
    // Equal ignoring case: nothing is replaced.
    EXPECT_EQ(kv::SwapStr("CMSMC.MC001", "CMSMC.", "cmsmc.", false), "CMSMC.MC001");
    // Searching again from the start replaces what a replacement forms.
    EXPECT_EQ(kv::SwapStr("aabb", "ab", "", false), "");
    // A replacement holding the old text ends instead of looping forever.
    EXPECT_EQ(kv::SwapStr("a.b.c", ".", "..", false), "a..b..c");
    EXPECT_EQ(kv::SwapStr("x", "", "y", false), "x");
}

TEST(LibStrs, RoundingAndComparingReals)
{
    EXPECT_EQ(kv::RoundFloat(2.5, 0), 3.0);
    EXPECT_EQ(kv::RoundFloat(-2.5, 0), -3.0);
    EXPECT_EQ(kv::RoundFloat(1.005, 2), 1.01);
    EXPECT_EQ(kv::RoundFloat(-1.005, 2), -1.01);
    EXPECT_EQ(kv::RoundFloat(0.1 + 0.2, 1), 0.3);
    EXPECT_EQ(kv::RoundFloat(1234567.25, 1), 1234567.3);
    EXPECT_EQ(kv::RoundFloat(-999.995, 2), -1000.0);
    EXPECT_EQ(kv::RoundFloat(0.004, 2), 0.0);
    EXPECT_EQ(kv::RoundFloat(1234.5678, -1), 1235.0);

    EXPECT_EQ(kv::CompareFloat(0.1 + 0.2, 0.3), 0);
    EXPECT_EQ(kv::CompareFloat(1e-11, 0.0), 0);
    EXPECT_EQ(kv::CompareFloat(1.0, 1.0000001), -1);
}

TEST(LibStrs, RealsFromText)
{
    EXPECT_EQ(kv::FloatOrDefault("12.5", -1), 12.5);
    EXPECT_EQ(kv::FloatOrDefault(" -0.25 ", -1), -0.25);
    for (const char *bad : {"", "12,5", "1e5", "abc", "1.2.3", "inf", "nan", "3x"})
        EXPECT_EQ(kv::FloatOrDefault(bad, -1), -1.0) << bad;
}

TEST(LibStrs, ButtonCaptions)
{
    EXPECT_EQ(kv::GetCHTButtonCaption("Yes"), "是(&Y)");
    EXPECT_EQ(kv::GetCHTButtonCaption("NoToAll"), "全否(&o)");
    EXPECT_EQ(kv::GetCHTButtonCaption("Later"), "Later");
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

std::string fileText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class AlertFile : public testing::Test {
protected:
    void useClientPath(const std::string &clientPath)
    {
        const std::string registry = m_dir.filePath("registry.ini").toStdString();
        std::ofstream(registry) << "[Software\\QRM\\Marshal]\nClientPath=" << clientPath << "\n";
        m_env.emplace("QRM_REGISTRY", registry);
    }
    std::string root() const { return m_dir.path().toStdString() + "/"; }

    QTemporaryDir m_dir;
    std::optional<ScopedEnv> m_env;
    kv::FixedClock m_clock{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 42))};
};

TEST_F(AlertFile, OneLinePerCallInTheFileOfThePeriod)
{
    useClientPath(root() + "client");
    ASSERT_TRUE(kv::WriteToAlertFile("demo", "first", "D"));
    ASSERT_TRUE(kv::WriteToAlertFile("demo", "领料单", "D"));
    EXPECT_EQ(fileText(root() + "client/Log/Alert_demo_20240305.log"),
              "[2024/03/05 14:07:09:042] first\n[2024/03/05 14:07:09:042] 领料单\n");
    ASSERT_TRUE(kv::WriteToAlertFile("demo", "m", "M"));
    ASSERT_TRUE(kv::WriteToAlertFile("demo", "y", "Y"));
    EXPECT_EQ(fileText(root() + "client/Log/Alert_demo_202403.log"), "[2024/03/05 14:07:09:042] m\n");
    EXPECT_EQ(fileText(root() + "client/Log/Alert_demo_2024.log"), "[2024/03/05 14:07:09:042] y\n");
}

TEST_F(AlertFile, NameWithAFullStopKeepsItsOwnEnding)
{
    useClientPath(root());
    ASSERT_TRUE(kv::WriteToAlertFile("demo.txt", "x", "D"));
    EXPECT_EQ(fileText(root() + "Log/Alert_demo.txt_20240305"), "[2024/03/05 14:07:09:042] x\n");
}

TEST_F(AlertFile, UnwritableFolderGivesFalse)
{
    const std::string blocker = root() + "file";
    std::ofstream(blocker) << "not a folder";
    useClientPath(blocker + "/client");
    EXPECT_FALSE(kv::WriteToAlertFile("demo", "lost", "D"));
}

TEST(LibStrs, LegacyTextInVariantsBecomesUtf8)
{
    ScopedEnv acp("QRM_ACP", "936");
    const std::string gb = kv::encodeFromUtf8("领料单", "GB18030").value();
    const std::string big5 = kv::encodeFromUtf8("領料單", "BIG5").value();
    EXPECT_EQ(kv::KVStrToWideString(Variant(gb), 936), Variant("领料单"));
    EXPECT_EQ(kv::KVStrToWideString(Variant(big5), 950), Variant("領料單"));
    // Valid UTF-8 is never reinterpreted, whatever the code page.
    EXPECT_EQ(kv::KVStrToWideString(Variant("領料"), 936), Variant("領料"));
    EXPECT_EQ(kv::KVStrToWideString(Variant::null(), 936), Variant::null());

    // Nested and two-dimensional arrays are walked; other values stay.
    kv::VariantArray grid(kv::ArrayBounds{1, 2}, kv::ArrayBounds{0, 1});
    grid.at(1, 0) = Variant(gb);
    grid.at(1, 1) = Variant(42);
    grid.at(2, 0) = varArrayOf({Variant(gb), Variant::null()});
    const Variant converted = kv::KVStrToWideString(Variant(grid), 936);
    EXPECT_EQ(converted.array().at(1, 0), Variant("领料单"));
    EXPECT_EQ(converted.array().at(1, 1), Variant(42));
    EXPECT_EQ(converted.array().at(2, 0), varArrayOf({Variant("领料单"), Variant::null()}));
}

TEST(LibStrs, LegacyTextFallsBackToTheSystemCodePage)
{
    ScopedEnv acp("QRM_ACP", "936");
    // Four-byte GB18030 has digits as second byte, which Big5 never accepts.
    const std::string gb = kv::encodeFromUtf8("€😀", "GB18030").value();
    ASSERT_FALSE(kv::decodeToUtf8(gb, "BIG5"));
    EXPECT_EQ(kv::KVStrToWideString(Variant(gb), 950), Variant("€😀"));
    // Bytes no code page reads keep their readable part.
    EXPECT_EQ(kv::KVStrToWideString(Variant(std::string("a\xFF" "b")), 950), Variant("a\uFFFDb"));
}

TEST(LibStrs, PackedListForTheServer)
{
    const std::string packed = kv::BLVariantToWideString("QIPR07", varArrayOf({2, "A", 3}));
    EXPECT_EQ(packed, std::string("QIPR07\x03" "2\x03" "A\x03" "3\x03"));
    EXPECT_THROW(kv::BLVariantToWideString("x", varArrayOf({2, "A"})), kv::VariantError);
}

} // namespace
