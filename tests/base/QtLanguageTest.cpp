// Qt's own texts inside the program's windows follow the shell's interface
// language: a window opened with code page 936 makes Qt's standard buttons,
// dialogs and calendar speak simplified Chinese, 950 traditional Chinese,
// 437 English again. Skipped when Qt's translations are not installed.
#include "base/KVForm.h"
#include "lib/QtTranslations.h"
#include "support/ShellFixture.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>

namespace {

class QtLanguageTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *language : {"zh_CN", "zh_TW"}) {
            const QString file = kv::QtTranslations::folder() + QStringLiteral("/qtbase_%1.qm").arg(language);
            if (!QFile::exists(file))
                GTEST_SKIP() << "Qt's translations are not installed (" << file.toStdString()
                             << " is missing; Debian package qt6-translations-l10n)";
        }
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
    }
    void TearDown() override
    {
        kv::QtTranslations::apply("437");
    }

    // Opens and frees a window as the shell with that interface page does.
    void openWindowIn(const char *uiPage)
    {
        shell.writeFile("client/MarshalC.ini",
                        std::string("[CodePage]\nUICodePage=") + uiPage + "\nDBCodePage=936\n");
        auto *window = kv::TKVForm::Create<kv::TKVForm>();
        window->Free();
    }

    // What a standard button box of Qt shows.
    static QString buttonText(QDialogButtonBox::StandardButton button)
    {
        QDialogButtonBox box(button);
        return box.button(button)->text();
    }

    kvtest::ShellFixture shell;
};

TEST_F(QtLanguageTest, QtsTextsFollowTheInterfaceLanguageAndReturnToEnglish)
{
    openWindowIn("936");
    EXPECT_EQ(QStringLiteral("zh_CN"), kv::QtTranslations::current());
    EXPECT_EQ(QStringLiteral("取消"), buttonText(QDialogButtonBox::Cancel).remove(QLatin1Char('&')));
    EXPECT_EQ(QStringLiteral("保存"), buttonText(QDialogButtonBox::Save).section(QLatin1Char('('), 0, 0));
    EXPECT_EQ(QStringLiteral("一月"), QLocale().standaloneMonthName(1));

    openWindowIn("950");
    EXPECT_EQ(QStringLiteral("zh_TW"), kv::QtTranslations::current());
    EXPECT_EQ(QStringLiteral("儲存"), buttonText(QDialogButtonBox::Save).section(QLatin1Char('('), 0, 0));
    EXPECT_EQ(QStringLiteral("取消"), QCoreApplication::translate("QPlatformTheme", "Cancel").remove(QLatin1Char('&')));

    openWindowIn("437");
    EXPECT_EQ(QString(), kv::QtTranslations::current());
    EXPECT_EQ(QStringLiteral("Cancel"), buttonText(QDialogButtonBox::Cancel).remove(QLatin1Char('&')));
    EXPECT_EQ(QStringLiteral("Save"), QCoreApplication::translate("QPlatformTheme", "Save").remove(QLatin1Char('&')));

    // Back to Chinese, and a second window of the same language changes
    // nothing.
    openWindowIn("936");
    openWindowIn("936");
    EXPECT_EQ(QStringLiteral("取消"), buttonText(QDialogButtonBox::Cancel).remove(QLatin1Char('&')));
}

} // namespace
