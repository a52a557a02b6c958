#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "support/ShellFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(IniFile, NamesIgnoreCaseAndFirstDuplicateWins)
{
    const kv::IniFile ini = kv::IniFile::parse("[Code Page]\nUICodePage = 950 \nuicodepage=936\nQuoted=\"a b\"\n");
    EXPECT_EQ(ini.readString("code page", "UICODEPAGE", "x"), "950");
    EXPECT_EQ(ini.readString("Code Page", "Quoted", "x"), "a b");
    EXPECT_EQ(ini.readString("Code Page", "Missing", "fallback"), "fallback");
    EXPECT_EQ(ini.readString("Nowhere", "UICodePage", "fallback"), "fallback");
}

TEST(IniFile, SectionEntriesKeepFileOrderAcrossRepeatedHeaders)
{
    const kv::IniFile ini = kv::IniFile::parse("[WorkDLLPath]\nz=1\na=2\n[Other]\nk=v\n[workdllpath]\nm=3\n");
    const std::vector<kv::IniFile::Entry> entries = ini.sectionEntries("WorkDLLPath");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].first, "z");
    EXPECT_EQ(entries[1].first, "a");
    EXPECT_EQ(entries[2].second, "3");
}

TEST(IniFile, IntegersFallBackToTheDefault)
{
    const kv::IniFile ini = kv::IniFile::parse("[S]\nPort=+2011\nBad=12x\nHuge=99999999999\n");
    EXPECT_EQ(ini.readInteger("S", "Port", 211), 2011);
    EXPECT_EQ(ini.readInteger("S", "Bad", 211), 211);
    EXPECT_EQ(ini.readInteger("S", "Huge", 211), 211);
}

TEST(IniFile, MalformedLinesAreSkippedAndReported)
{
    const kv::IniFile ini = kv::IniFile::parse("orphan=1\n[Broken\nlost=2\n[Good]\nno equals here\n=empty\nkept=3\n");
    EXPECT_EQ(ini.readString("Good", "kept", ""), "3");
    EXPECT_FALSE(ini.value("Broken", "lost").has_value());
    ASSERT_EQ(ini.problems().size(), 5u);
    EXPECT_EQ(ini.problems()[0], "line 1: key outside any section");
    EXPECT_EQ(ini.problems()[1], "line 2: section name without ']'");
}

TEST(IniFile, LegacyGbFileIsReadAsChinese)
{
    kvtest::ShellFixture shell;
    const std::optional<std::string> gb = kv::encodeFromUtf8("[公司]\n名称=领料单\n", "GB18030");
    ASSERT_TRUE(gb.has_value());
    shell.writeFile("legacy.ini", *gb);
    shell.writeFile("utf8.ini", "\xEF\xBB\xBF[公司]\n名称=領料單\n");
    EXPECT_EQ(kv::IniFile::load(shell.root() + "legacy.ini").readString("公司", "名称", ""), "领料单");
    EXPECT_EQ(kv::IniFile::load(shell.root() + "utf8.ini").readString("公司", "名称", ""), "領料單");
    const kv::IniFile missing = kv::IniFile::load(shell.root() + "absent.ini");
    EXPECT_FALSE(missing.exists());
    EXPECT_EQ(missing.readString("公司", "名称", "d"), "d");
}

TEST(IniFile, ASecretIsOnlyTakenFromAFileOnlyItsOwnerCanRead)
{
    kvtest::ShellFixture shell;
    shell.writeFile("MarshalS.ini", "[Slipserv]\nAccessToken=t0ken\n");
    const std::string path = shell.root() + "MarshalS.ini";
    EXPECT_EQ(kv::IniFile::load(path).secretExposure("the access token"), "");
    for (const auto extra : {std::filesystem::perms::group_read, std::filesystem::perms::others_read}) {
        std::filesystem::permissions(path, extra, std::filesystem::perm_options::add);
        const std::string refusal = kv::IniFile::load(path).secretExposure("the access token");
        EXPECT_NE(refusal.find(path + " holds the access token"), std::string::npos) << refusal;
        EXPECT_NE(refusal.find("chmod 600 " + path), std::string::npos) << refusal;
        std::filesystem::permissions(path, extra, std::filesystem::perm_options::remove);
    }
    EXPECT_EQ(kv::IniFile::load(shell.root() + "absent.ini").secretExposure("x"), "");
}

TEST(TextCodec, RejectsBytesThatAreNotInTheEncoding)
{
    EXPECT_TRUE(kv::isValidUtf8("领料"));
    EXPECT_FALSE(kv::isValidUtf8("\xC3\x28"));
    EXPECT_FALSE(kv::decodeToUtf8("\x81", "GB18030").has_value());
    EXPECT_FALSE(kv::encodeFromUtf8("😀", "BIG5").has_value());
    EXPECT_EQ(kv::decodeToUtf8(*kv::encodeFromUtf8("領料單", "BIG5"), "BIG5"), "領料單");
}

TEST(Registry, KeysAreFoundWhateverTheSeparatorOrCase)
{
    kvtest::ShellFixture shell;
    shell.writeFile("registry.ini", "[Software\\QRM\\Marshal]\nClientPath=/opt/c\n[Software\\QRM\\Upgrader]\nX=1\n");
    const std::optional<kv::RegistryKey> key = kv::Registry::openKey("\\software\\qrm\\marshal\\");
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->readString("clientpath"), "/opt/c");
    EXPECT_FALSE(key->valueExists("ServerPath"));
    EXPECT_FALSE(kv::Registry::openKey("Software\\QRM\\Missing").has_value());
}
