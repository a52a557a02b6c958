#include "lib/MarshalIniC.h"
#include "lib/MarshalIniS.h"
#include "lib/SettingsErrorReport.h"
#include "lib/UserDefIni.h"
#include "platform/Clock.h"
#include "support/ShellFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using kvtest::ShellFixture;

TEST(ConvertModes, FollowTheCodePageTable)
{
    EXPECT_EQ(kv::uiConvertMode("950", "936"), 2);
    EXPECT_EQ(kv::uiConvertMode("950", "950"), 2);
    EXPECT_EQ(kv::uiConvertMode("936", "950"), 4);
    EXPECT_EQ(kv::uiConvertMode("936", "936"), 0);
    EXPECT_EQ(kv::uiConvertMode("437", "950"), 0);
    EXPECT_EQ(kv::dataConvertMode("950", "936"), 2);
    EXPECT_EQ(kv::dataConvertMode("936", "950"), 1);
    EXPECT_EQ(kv::dataConvertMode("936", "936"), 0);
    EXPECT_EQ(kv::dataConvertMode("437", "950"), 0);
}

TEST(ResolveDirectory, RelativeAbsoluteAndDriveValues)
{
    EXPECT_EQ(kv::resolveDirectory("/opt/shell/", "\\Bin"), "/opt/shell/Bin/");
    EXPECT_EQ(kv::resolveDirectory("/opt/shell/", "/srv/other"), "/srv/other/");
    EXPECT_EQ(kv::resolveDirectory("/opt/shell/", "E:\\Other"), "E:/Other/");
    EXPECT_EQ(kv::resolveDirectory("/opt/shell/", "Sub"), "/opt/shell/Sub/");
    EXPECT_EQ(kv::resolveDirectory("/opt/shell", "\\Bin\\Deep\\"), "/opt/shell/Bin/Deep/");
}

TEST(ClientSettings, MissingRegistryKeyKeepsDefaults)
{
    ShellFixture shell(1252);
    kv::TMarshalIniC settings;
    EXPECT_FALSE(settings.isRead());
    EXPECT_EQ(settings.ErrorCode, "E;000015");
    EXPECT_EQ(settings.SysCodePage, "437");
    EXPECT_EQ(settings.UICodePage, "437");
    EXPECT_EQ(settings.DBCodePage, "936");
    EXPECT_EQ(settings.UIConvertMode, 0);
    EXPECT_EQ(settings.DataConvertMode, 0);
}

TEST(ClientSettings, EmptyClientDirectoryStopsWithoutErrorCode)
{
    ShellFixture shell;
    shell.writeRegistry("", shell.serverDir());
    kv::TMarshalIniC settings;
    EXPECT_FALSE(settings.isRead());
    EXPECT_EQ(settings.ErrorCode, "");
}

TEST(ClientSettings, MissingFileGivesEveryDefault)
{
    ShellFixture shell(1252);
    shell.writeRegistry(shell.clientDir(), "");
    kv::TMarshalIniC settings;
    ASSERT_TRUE(settings.isRead());
    EXPECT_EQ(settings.UICodePage, "437");
    EXPECT_EQ(settings.LangType, "ENG");
    EXPECT_EQ(settings.CreateGifBeforeSendZQ, "Y");
    EXPECT_EQ(settings.Servers.array().at(0, 0).toText(), "127.0.0.1");
    EXPECT_EQ(settings.Servers.array().at(1, 0).toInt(), 211);
    ASSERT_EQ(settings.WorkDLLPaths.size(), 1u);
    EXPECT_EQ(settings.WorkDLLPaths[0], shell.clientDir() + "C_PKG/");
}

TEST(ClientSettings, ReadsCodePagesServersAndLibraryDirectories)
{
    ShellFixture shell(950);
    shell.writeRegistry(shell.clientDir(), "");
    shell.writeFile("client/MarshalC.ini",
                    "[CodePage]\nUICodePage=936\nDBCodePage=950\n"
                    "[server information]\ncomputername=10.0.0.1 ;10.0.0.2;\nServerPort=2011\nSupportCallBack=yes\n"
                    "[WorkDLLPath]\nA=\\Bin\nB=E:\\Other\nC=Sub\n");
    kv::TMarshalIniC settings;
    ASSERT_TRUE(settings.isRead());
    EXPECT_EQ(settings.UIConvertMode, 4);
    EXPECT_EQ(settings.DataConvertMode, 1);
    EXPECT_TRUE(settings.SupportCallBack);
    const kv::VariantArray &servers = settings.Servers.array();
    ASSERT_EQ(servers.highBound(2), 1);
    EXPECT_EQ(servers.at(0, 0).toText(), "10.0.0.1");
    EXPECT_EQ(servers.at(0, 1).toText(), "10.0.0.2");
    EXPECT_EQ(servers.at(1, 1).toInt(), 2011);
    EXPECT_EQ(settings.WorkDLLPaths,
              (std::vector<std::string>{shell.clientDir() + "Bin/", "E:/Other/", shell.clientDir() + "Sub/"}));
}

TEST(ClientSettings, TraditionalInterfaceOnSimplifiedDatabase)
{
    ShellFixture shell(936);
    shell.writeRegistry(shell.clientDir(), "");
    shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=950\nDBCodePage=936\n");
    kv::TMarshalIniC settings;
    EXPECT_EQ(settings.UIConvertMode, 2);
    EXPECT_EQ(settings.DataConvertMode, 2);
}

TEST(ClientSettings, BlankServerNameIsReported)
{
    ShellFixture shell;
    shell.writeRegistry(shell.clientDir(), "");
    shell.writeFile("client/MarshalC.ini", "[Server Information]\nComputerName=;\n");
    kv::TMarshalIniC settings;
    EXPECT_FALSE(settings.isRead());
    EXPECT_EQ(settings.ErrorCode, "E;000016");
}

TEST(ClientSettings, ProfileWithoutOwnFileFallsBackToSharedFile)
{
    ShellFixture shell;
    shell.writeRegistry(shell.clientDir(), "", "1");
    shell.writeFile("client/MarshalC.ini", "[Client Components]\nLangType=CHS\n");
    kv::TMarshalIniC settings;
    EXPECT_EQ(settings.IniFileName, shell.clientDir() + "MarshalC.ini");
    EXPECT_EQ(settings.LangType, "CHS");
    EXPECT_NE(settings.ProfileUser, "Default");
}

TEST(ClientSettings, MalformedFileKeepsReadableKeysAndReportsTheRest)
{
    ShellFixture shell;
    shell.writeRegistry(shell.clientDir(), "");
    shell.writeFile("client/MarshalC.ini", "[Client Components\nthis is not a setting\n[ProductVersion]\nVersion=9.1\n");
    kv::FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    kv::TMarshalIniC settings;
    EXPECT_TRUE(settings.isRead());
    EXPECT_EQ(settings.Version, "9.1");
    const std::string report = shell.readFile("client/Log/Alert_VEREZUdidaduri_20261207.log");
    EXPECT_NE(report.find("on TMarshalIniC.Create"), std::string::npos) << report;
    EXPECT_NE(report.find("MarshalC.ini: skipped"), std::string::npos) << report;
}

TEST(ServerSettings, DatabaseTableDefaultsAndDerivedFields)
{
    ShellFixture shell;
    shell.writeRegistry("", shell.serverDir());
    shell.writeFile("server/MarshalS.ini",
                    "[DBE Setting]\nMainDBType=oracle\nMainServerName=dbhost\nTempCommandTimeOut=45\n"
                    "OtherSystemControlAddress=ctl2\n[DBPasswordCtrl]\nComputerName=  app1  \nSupportCallBack=TRUE\n");
    kv::TMarshalIniS settings;
    ASSERT_TRUE(settings.isRead());
    const kv::VariantArray &db = settings.DBSettings.array();
    EXPECT_EQ(db.at(0, 0).toText(), "Nordbay");
    EXPECT_EQ(db.at(0, 6).toInt(), 300);
    EXPECT_EQ(db.at(1, 5).toText(), "PostgreSQL");
    EXPECT_EQ(db.at(1, 7).toInt(), 45);
    EXPECT_EQ(db.at(2, 0).toText(), "app1");
    EXPECT_EQ(db.at(2, 2).toInt(), 1024);
    EXPECT_EQ(db.at(2, 3).toText(), "Chinese_Taiwan_Stroke_BIN");
    EXPECT_EQ(db.at(3, 0).toText(), "EDIDATA");
    EXPECT_TRUE(db.at(3, 3).isEmpty());
    EXPECT_EQ(settings.DBKind, 1);
    EXPECT_TRUE(settings.SupportCallBack);
    EXPECT_EQ(settings.SystemControlAddress, "dbhost");
    EXPECT_EQ(settings.OtherSystemControlAddress, "ctl2");
    EXPECT_EQ(settings.WorkDLLPaths, (std::vector<std::string>{shell.serverDir() + "S_PKG/"}));
}

TEST(ServerSettings, LanguageDirectoryNeedsAnExistingFolder)
{
    ShellFixture shell(950);
    shell.writeRegistry("", shell.serverDir());
    kv::TMarshalIniS settings;
    EXPECT_EQ(settings.languageDirectory(), "");
    shell.writeFile("server/MultiLanguage/CHT/x.Lng", "<x/>");
    EXPECT_EQ(settings.languageDirectory(), shell.serverDir() + "MultiLanguage/CHT/");
}

TEST(UserDefaults, StyleLookupEscapesEqualSigns)
{
    ShellFixture shell;
    shell.writeFile("client/UserDef.ini",
                    "[VoucherFormatDef]\nQIPR07_TYPE$EQUAL$5401=Wide slip\nQIPR07_PLAIN=Plain\n");
    kv::TUserDefIni defaults(shell.clientDir());
    EXPECT_EQ(defaults.DefaultStyle("QIPR07", "TYPE=5401"), "Wide slip");
    EXPECT_EQ(defaults.DefaultStyle("QIPR07", "PLAIN"), "Plain");
    EXPECT_EQ(defaults.DefaultStyle("QIPR07", "OTHER"), "<New>");
    EXPECT_EQ(kv::TUserDefIni(shell.root() + "nowhere/").DefaultStyle("QIPR07", "PLAIN"), "<New>");
}

TEST(SettingsErrorReport, LinesForEachKindOfError)
{
    const kv::DatabaseEngineError engine({{17, "login failed"}, {4060, "no database"}});
    const std::vector<std::string> lines = kv::SettingsErrorReport::lines("Decode", engine, "main password");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], std::string(34, '-') + " on Decode " + std::string(34, '-'));
    EXPECT_EQ(lines[1], "讯息信息:");
    EXPECT_EQ(lines[2], "EDBEngineError Error 01: Code: 17, Message: login failed");
    EXPECT_EQ(lines[3], "EDBEngineError Error 02: Code: 4060, Message: no database");
    EXPECT_EQ(lines[4], "ErrorMessage Count: 2");
    EXPECT_EQ(lines[5], "Programer Message: main password");

    const std::vector<std::string> other = kv::SettingsErrorReport::lines(" ", std::out_of_range("bad index"), "");
    ASSERT_EQ(other.size(), 4u);
    EXPECT_EQ(other[0], std::string(68, '-'));
    EXPECT_EQ(other[2], "Exception is out_of_range\r\nMessage 01: bad index");

    const std::system_error os(std::error_code(13, std::generic_category()), "open");
    EXPECT_EQ(kv::SettingsErrorReport::lines("", os, "")[2].rfind("EWin32Error Error 01: Code: 13, Message: open", 0), 0u);
}

TEST(SettingsErrorReport, WritesBelowClientDirectoryElseTemp)
{
    ShellFixture shell;
    kv::FixedClock clock(QDateTime(QDate(2026, 1, 2), QTime(8, 0)));
    shell.writeRegistry(shell.clientDir(), shell.serverDir());
    EXPECT_EQ(kv::SettingsErrorReport::fileName(), shell.clientDir() + "Log/Alert_VEREZUdidaduri_20260102.log");
    shell.writeRegistry("", shell.serverDir());
    EXPECT_EQ(kv::SettingsErrorReport::fileName(), shell.serverDir() + "Log/Alert_VEREZUdidaduri_20260102.log");
    EXPECT_TRUE(kv::SettingsErrorReport::write("x", std::runtime_error("boom"), ""));
    EXPECT_NE(shell.readFile("server/Log/Alert_VEREZUdidaduri_20260102.log").find("] Exception is runtime_error"),
              std::string::npos);
}
