// The slip layouts as stored format styles see them: an unchanged window is
// its own built-in layout (nothing to store), a changed one stores only the
// change, and the file names of local copies and page pictures.
#include "base/BaseGene.h"
#include "platform/ScriptedPrompter.h"
#include "platform/report/Report.h"
#include "platform/report/TKVQRDBText.h"
#include "qipr07/ConstructionPrompter.h"
#include "qipr07/Qipr07Fmt.h"
#include "qipr07/Qipr07Fmt_1.h"
#include "support/ShellFixture.h"

#include <QApplication>
#include <QPointer>

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;

class Qipr07StoredLayoutTest : public testing::Test {
protected:
    void SetUp() override
    {
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n");
        owner = kv::TKVForm::Create<kv::TfrmBaseGene>();
    }
    void TearDown() override
    {
        if (owner)
            owner->Free();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <class Layout>
    Layout *create()
    {
        return kv::TKVForm::Create<Layout>(owner.data());
    }

    kvtest::ShellFixture shell;
    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scoped{prompter};
    QPointer<kv::TfrmBaseGene> owner;
};

TEST_F(Qipr07StoredLayoutTest, AnUnchangedSlipLayoutStoresNothingAndAChangedOneOnlyItsChange)
{
    auto *detail = create<kv::TfrmQipr07Fmt>();
    EXPECT_EQ(detail->StoredLayoutText(), "inherited frmQipr07Fmt: TfrmQipr07Fmt\nend\n");
    detail->txtTC003->setLeft(123);
    const std::string text = detail->StoredLayoutText();
    EXPECT_THAT(text, HasSubstr("inherited txtTC003: TKVQRDBText"));
    EXPECT_THAT(text, HasSubstr("Left = 123"));
    EXPECT_THAT(text, testing::Not(HasSubstr("txtTC002")));

    auto *summary = create<kv::TfrmQipr07Fmt_1>();
    EXPECT_THAT(summary->StoredLayoutText(), testing::StartsWith("inherited frmQipr07Fmt_1: TfrmQipr07Fmt_1\nend"));
}

TEST_F(Qipr07StoredLayoutTest, LocalCopiesAndPagePicturesAreNamedAfterTheClassAndLanguage)
{
    auto *detail = create<kv::TfrmQipr07Fmt>();
    ASSERT_EQ(detail->LanguageMode, 1);
    detail->StyleOwner.layoutDirectory = "/srv/styles/";
    EXPECT_EQ(detail->LocalLayoutFile("A"), "/srv/styles/CHS_TfrmQipr07Fmt_A.dat");
    detail->StyleOwner.layoutDirectory.clear();
    EXPECT_EQ(detail->LocalLayoutFile(""), detail->ClientRoot + "C_DATA/CHS_TfrmQipr07Fmt.dat");
    detail->SetBackgroundFile();
    EXPECT_EQ(detail->BackgroundFile, detail->ClientRoot + "C_DATA/CHS_QIPR07F.emf");

    auto *summary = create<kv::TfrmQipr07Fmt_1>();
    summary->QuickRep1->setPageStyle(kv::Report::qrHalfPage);
    summary->SetBackgroundFile();
    EXPECT_EQ(summary->BackgroundFile, summary->ClientRoot + "C_DATA/CHS_QIPR07H_1.emf");
}

} // namespace
