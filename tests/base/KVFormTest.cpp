// The form base: disabled glyphs, language packages along the class chain,
// the one-time conversion to a traditional interface, and the life of a
// form (close actions, OnDestroy once, the modal loop).

#include "BaseTestSupport.h"

#include "base/KvLabel.h"
#include "controls/F2Button.h"
#include "controls/GSpdBtn.h"
#include "lib/CodeConverter.h"

#include <QPainter>

using namespace basetest;

namespace {

const QRgb kKey = qRgb(255, 0, 255);

// 5 x 4 glyph on the key colour: a dark pixel and a light pixel inside a
// light block, and a light pixel that touches the key colour.
QPixmap sampleGlyph()
{
    QImage image(5, 4, QImage::Format_RGB32);
    image.fill(kKey);
    for (int x = 1; x <= 3; ++x)
        for (int y = 0; y <= 2; ++y)
            image.setPixel(x, y, qRgb(250, 250, 250));
    image.setPixel(2, 1, qRgb(10, 10, 10));
    return QPixmap::fromImage(image);
}

class LanguageTest : public testing::Test {
protected:
    void SetUp() override
    {
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
    }
    void writeSettings(const char *uiPage)
    {
        shell.writeFile("client/MarshalC.ini", std::string("[CodePage]\nUICodePage=") + uiPage + "\nDBCodePage=936\n");
    }
    void writePackage(const char *folder, const char *name, const std::string &body)
    {
        shell.writeFile(std::string("client/MultiLanguage/") + folder + "/" + name + ".Lng",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body);
    }

    kvtest::ShellFixture shell;
};

} // namespace

TEST(DisabledGlyph, InkIsEngravedBesideTheSource)
{
    const QPixmap glyph = sampleGlyph();
    const QImage strip = kv::TKVForm::MakeDisabledGlyph(glyph, QColor(kKey)).toImage();
    ASSERT_EQ(strip.size(), QSize(10, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(strip.pixel(x, y), glyph.toImage().pixel(x, y)) << x << "," << y;

    const QPalette palette = QApplication::palette();
    const QRgb shadow = palette.color(QPalette::Dark).rgba();
    const QRgb highlight = palette.color(QPalette::Light).rgba();
    const QRgb face = palette.color(QPalette::Button).rgba();
    const QImage disabled = strip.copy(5, 0, 5, 4);
    // Dark pixels and pixels at the edge of the picture are ink.
    EXPECT_EQ(disabled.pixel(2, 1), shadow);
    EXPECT_EQ(disabled.pixel(1, 0), shadow);
    EXPECT_EQ(disabled.pixel(3, 2), shadow);
    // Ink shows its highlight one pixel right and down where no ink covers it.
    EXPECT_EQ(disabled.pixel(4, 3), highlight);
    EXPECT_EQ(disabled.pixel(0, 3), face);
}

TEST(DisabledGlyph, FormsGiveSingleImageGlyphButtonsASecondImage)
{
    struct Form : kv::TKVForm {
        Form()
        {
            single = new kv::TGSpeedButton(this);
            single->setGlyph(sampleGlyph());
            twoImages = new kv::TGSpeedButton(this);
            twoImages->setGlyph(sampleGlyph());
            twoImages->setNumGlyphs(2);
            panel = new kv::TSelectPanel(this);
        }
        kv::TGSpeedButton *single;
        kv::TGSpeedButton *twoImages;
        kv::TSelectPanel *panel;
    };
    Form *form = kv::TKVForm::Create<Form>();
    EXPECT_EQ(form->single->numGlyphs(), 2);
    EXPECT_EQ(form->single->glyph().width(), 10);
    EXPECT_EQ(form->twoImages->numGlyphs(), 2);
    EXPECT_EQ(form->twoImages->glyph().width(), 5) << "a glyph with a disabled image keeps it";
    EXPECT_EQ(form->panel->beginButton()->numGlyphs(), 2) << "embedded buttons are buttons too";
    form->Free();
}

TEST_F(LanguageTest, PackagesApplyFromTheBaseClassUpAndTextsFallBackToConvertedDefaults)
{
    writeSettings("936");
    writePackage("CHS", "TKVForm", "<TKVForm><btnOk Caption=\"基类\" Hint=\"基类提示\"/></TKVForm>");
    writePackage("CHS", "TfrmBaseGene",
                 "<TfrmBaseGene><btnOk Caption=\"执行\"/><sDeleteProj Msg=\"确定删除？\"/></TfrmBaseGene>");
    auto *window = kv::TKVForm::Create<kv::TfrmBaseGene>();
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(window->btnOk->text(), "执行") << "the most derived package wins";
    EXPECT_EQ(window->btnOk->publishedHint(), "基类提示");
    EXPECT_EQ(window->BaseText("sDeleteProj", "默认"), "确定删除？");
    EXPECT_EQ(window->BaseText("sProjNameEmpty", "方案名不可空白!"), "方案名不可空白!");

    // The own chain stops below the form base.
    window->btnOk->setText("甲");
    window->btnOk->setPublishedHint("乙");
    window->TranslateOwnChain(window, true);
    EXPECT_EQ(window->btnOk->text(), "执行");
    EXPECT_EQ(window->btnOk->publishedHint(), "乙");
    window->Free();
}

TEST_F(LanguageTest, ATraditionalInterfaceConvertsTheFormOnce)
{
    writeSettings("950");
    auto *window = kv::TKVForm::Create<kv::TfrmBaseGene>();
    ASSERT_EQ(window->KvConverter()->uiCodePage(), "950");
    EXPECT_FALSE(window->isConverted());
    EXPECT_EQ(window->BaseText("sDeleteProj", "确实要删除此方案吗？"), "確實要刪除此方案嗎？");
    window->show();
    QApplication::processEvents();
    EXPECT_TRUE(window->isConverted());
    EXPECT_EQ(window->lblCondition->text(), " 條件方案");
    EXPECT_EQ(window->tsOption2->caption(), "系統選項");
    window->lblCondition->setText("条件");
    window->ConvertFormOnce();
    EXPECT_EQ(window->lblCondition->text(), "条件") << "converted once only";
    window->Free();
}

TEST(FormLife, ClosingFreesAProgramWindowAndRaisesOnDestroyOnce)
{
    QPointer<kv::TfrmBaseGene> window = kv::TKVForm::Create<kv::TfrmBaseGene>();
    int destroyed = 0;
    const kv::EventHandler own = window->onDestroy();
    window->setOnDestroy(kv::EventHandler([&](QObject *sender, kv::EventArgs &args) {
        ++destroyed;
        own(sender, args);
    }));
    window->show();
    window->close();
    EXPECT_FALSE(window->isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(destroyed, 1);

    // A plain form only hides.
    QPointer<kv::TKVForm> form = kv::TKVForm::Create<kv::TKVForm>();
    form->show();
    form->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(form.isNull());
    form->Free();
}

TEST(FormLife, TheCancelButtonEndsTheModalLoop)
{
    auto prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scoped(prompter);
    QPointer<kv::TfrmBaseGene> window = kv::TKVForm::Create<kv::TfrmBaseGene>();
    prompter->answerDialog([](QDialog &dialog) {
        auto *form = static_cast<kv::TfrmBaseGene *>(&dialog);
        form->btnCancel->click();
        return form->modalResult();
    });
    EXPECT_EQ(window->ShowModal(), kv::mrCancel);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "the window frees itself once the loop has returned";
}
