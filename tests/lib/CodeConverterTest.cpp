// The code converter on a throw-away shell installation whose settings set
// the conversion modes, with the real language library.

#include "lib/CodeConverter.h"
#include "lib/TextTranslatable.h"
#include "platform/ScriptedPrompter.h"
#include "support/ShellFixture.h"

#include <QComboBox>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using kv::TCodeConverter;
using kv::Variant;
using kv::VariantArray;

namespace {

// A component publishing the texts the converter looks for.
class TextWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER caption)
    Q_PROPERTY(QString Hint MEMBER hint)
    Q_PROPERTY(QStringList Lines MEMBER lines)
    Q_PROPERTY(QFont Font MEMBER font)

public:
    using QWidget::QWidget;
    QString caption;
    QString hint;
    QStringList lines;
    QFont font;
};

class TranslatableWidget : public QWidget, public kv::TextTranslatable {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void translateTexts(const std::function<QString(const QString &)> &convert) override { word = convert(word); }
    QString word = QStringLiteral("起始");
};

class CodeConverterTest : public testing::Test {
protected:
    // UICodePage / DBCodePage as the shell's client settings hold them, on a
    // system with the given ANSI code page.
    std::unique_ptr<TCodeConverter> converterFor(const char *uiPage, const char *dbPage, int systemPage = 936,
                                                 QObject *owner = nullptr)
    {
        m_shell = std::make_unique<kvtest::ShellFixture>(systemPage);
        m_shell->writeRegistry(m_shell->clientDir(), m_shell->serverDir());
        m_shell->writeFile("client/MarshalC.ini", std::string("[CodePage]\nUICodePage=") + uiPage +
                                                      "\nDBCodePage=" + dbPage + "\n");
        return std::make_unique<TCodeConverter>(owner);
    }

private:
    std::unique_ptr<kvtest::ShellFixture> m_shell;
};

std::string text(const Variant &value)
{
    return value.toText();
}

} // namespace

TEST_F(CodeConverterTest, SimplifiedEverywhereConvertsNothing)
{
    auto converter = converterFor("936", "936");
    EXPECT_EQ(converter->uiConvertMode(), 0);
    EXPECT_EQ(converter->dataConvertMode(), 0);
    EXPECT_FALSE(converter->hasTranslator());
    EXPECT_EQ(text(converter->ConvertUIString("领料单")), "领料单");
    EXPECT_EQ(text(converter->RecoverDataString("領料單")), "領料單");

    QWidget form;
    auto *label = new TextWidget(&form);
    label->setObjectName("lblTitle");
    label->caption = "领料单";
    converter->DoTranslate(&form, {}, true);
    EXPECT_EQ(label->caption, "领料单");
}

TEST_F(CodeConverterTest, TraditionalInterfaceConvertsTextsAndArrays)
{
    auto converter = converterFor("950", "936");
    ASSERT_EQ(converter->uiConvertMode(), 2);
    ASSERT_EQ(converter->dataConvertMode(), 2);
    EXPECT_EQ(text(converter->ConvertUIString("领料单")), "領料單");
    EXPECT_EQ(text(converter->ConvertDataString("简体中文")), "簡體中文");
    EXPECT_EQ(text(converter->StrTransCode(1, "領料單")), "领料单");
    for (const int kind : {0, 3, 4})
        EXPECT_EQ(text(converter->StrTransCode(kind, "领料单")), "领料单") << kind;
    EXPECT_TRUE(converter->StrTransCode(2, Variant::null()).isNull());
    EXPECT_TRUE(converter->StrTransCode(2, Variant()).isEmpty());
    EXPECT_EQ(converter->GBToBig5(""), "");
    EXPECT_EQ(converter->Big5ToGB("領料單"), "领料单");

    // A 2-D table of texts and numbers; numbers stay numbers.
    VariantArray table({1, 2}, {0, 1});
    table.at(1, 0) = "仓库";
    table.at(1, 1) = 12;
    table.at(2, 0) = 3.5;
    table.at(2, 1) = "发料";
    const Variant converted = converter->StrTransCode(2, Variant(table));
    EXPECT_EQ(converted.array().at(1, 0), Variant("倉庫"));
    EXPECT_EQ(converted.array().at(1, 1), Variant(12));
    EXPECT_EQ(converted.array().at(2, 0), Variant(3.5));
    EXPECT_EQ(converted.array().at(2, 1), Variant("發料"));
    EXPECT_EQ(converted.array().bounds(), table.bounds());

    // Nested one-dimensional arrays are converted and written back; the
    // source value is left alone.
    const Variant nested = kv::varArrayOf({"单别", kv::varArrayOf({"单号", 7})});
    const Variant out = converter->ConvertUIString(nested);
    EXPECT_EQ(out, kv::varArrayOf({"單別", kv::varArrayOf({"單號", 7})}));
    EXPECT_EQ(nested[1][0], Variant("单号"));
}

TEST_F(CodeConverterTest, RecoversInTheReverseDirection)
{
    auto converter = converterFor("950", "936");
    EXPECT_EQ(text(converter->RecoverDataString("領料單")), "领料单");
    EXPECT_EQ(text(converter->RecoverUIString("簡體中文")), "简体中文");
    // Text the library refuses comes back unchanged instead of raising.
    EXPECT_EQ(text(converter->RecoverDataString("\xC1\xEC")), "\xC1\xEC");
}

TEST_F(CodeConverterTest, TraditionalDatabaseUnderSimplifiedInterfaceConvertsData)
{
    auto converter = converterFor("936", "950");
    ASSERT_EQ(converter->uiConvertMode(), 0);
    ASSERT_EQ(converter->dataConvertMode(), 1);
    EXPECT_EQ(text(converter->ConvertDataString("領料單")), "领料单");
    EXPECT_EQ(text(converter->RecoverDataString("领料单")), "領料單");
    EXPECT_EQ(text(converter->ConvertUIString("领料单")), "领料单");
}

TEST_F(CodeConverterTest, PicksTheFontCharacterSetByMode)
{
    QFont font;
    EXPECT_EQ(TCodeConverter::SetUIFont(4, font), 134);
    EXPECT_EQ(font.family(), "SimSun");
    EXPECT_EQ(TCodeConverter::SetUIFont(0, font), 134);
    EXPECT_EQ(TCodeConverter::SetUIFont(1, font), 134);
    EXPECT_EQ(TCodeConverter::SetUIFont(2, font), 136);
    EXPECT_EQ(TCodeConverter::SetUIFont(3, font), 136);
}

TEST_F(CodeConverterTest, MessageBoxUsesTheWindowCaptionAndWidensSimplifiedText)
{
    QWidget window;
    window.setWindowTitle("领料单打印");
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    auto converter = converterFor("936", "936", 936, &window);
    auto prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scoped(prompter);
    prompter->answerMessage(kv::mrNo);

    EXPECT_EQ(converter->KvCodeMessageDlg("确定删除？", kv::MessageType::Confirmation,
                                          kv::MessageButton::Yes | kv::MessageButton::No),
              kv::mrNo);
    EXPECT_EQ(converter->KvCodeMessageDlg("", kv::MessageType::Warning, {}), kv::mrNone);
    ASSERT_EQ(prompter->questions().size(), 1u);
    const kv::Question &asked = prompter->questions().front();
    EXPECT_EQ(asked.text, "确定删除？      ");
    EXPECT_EQ(asked.caption, "领料单打印");
    EXPECT_EQ(asked.defaultButton, kv::MessageButton::Yes);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(prompter->allAnswered());
}

class DoTranslateTest : public CodeConverterTest {
protected:
    void SetUp() override
    {
        label = child<TextWidget>("lblTitle");
        label->caption = "领料单";
        label->hint = "打印领料单";
        label->lines = {"单别", "单号"};
        combo = child<QComboBox>("cboStatus");
        combo->addItems({"已审核", "未审核"});
        combo->setCurrentIndex(1);
        tree = child<QTreeWidget>("tvSlips");
        tree->setHeaderLabels({"单别", "单号"});
        auto *top = new QTreeWidgetItem(tree, QStringList{"领料", "发料"});
        new QTreeWidgetItem(top, QStringList{"仓库"});
        table = child<QTableWidget>("grdLines");
        table->setRowCount(1);
        table->setColumnCount(1);
        table->setItem(0, 0, new QTableWidgetItem("数量"));
        table->item(0, 0)->setToolTip("发料数量");
        menuBar = child<QMenuBar>("mnuMain");
        QMenu *file = menuBar->addMenu("文件");
        file->addAction("打印");
        panel = child<TranslatableWidget>("splDate");
        form.setWindowTitle("领料单");
    }

    template <class T> T *child(const char *name)
    {
        auto *widget = new T(&form);
        widget->setObjectName(name);
        return widget;
    }

    QWidget form;
    TextWidget *label = nullptr;
    QComboBox *combo = nullptr;
    QTreeWidget *tree = nullptr;
    QTableWidget *table = nullptr;
    QMenuBar *menuBar = nullptr;
    TranslatableWidget *panel = nullptr;
};

TEST_F(DoTranslateTest, ConvertsPublishedTextsAndStandardWidgets)
{
    auto converter = converterFor("950", "950");
    converter->DoTranslate(&form, {}, false);

    EXPECT_EQ(label->caption, "領料單");
    EXPECT_EQ(label->hint, "打印領料單");
    EXPECT_EQ(label->lines, (QStringList{"單別", "單號"}));
    EXPECT_EQ(label->font.family(), "SimSun");
    EXPECT_EQ(label->property("FontCharset").toInt(), 136);
    EXPECT_EQ(combo->itemText(0), "已審核");
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(tree->headerItem()->text(1), "單號");
    EXPECT_EQ(tree->topLevelItem(0)->text(1), "發料");
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "仓库"); // tree nodes only when deep
    EXPECT_EQ(table->item(0, 0)->text(), "数量");                 // grids only when deep
    EXPECT_EQ(menuBar->actions().front()->text(), "文件");
    EXPECT_EQ(menuBar->actions().front()->menu()->actions().front()->text(), "打印");
    EXPECT_EQ(panel->word, "起始");
    // Only a traditional system gets the window caption converted.
    EXPECT_EQ(form.windowTitle(), "领料单");
}

TEST_F(DoTranslateTest, DeepAlsoConvertsTreeNodesAndGridCells)
{
    auto converter = converterFor("950", "950", 950);
    converter->DoTranslate(&form, {}, true);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "倉庫");
    EXPECT_EQ(table->item(0, 0)->text(), "數量");
    EXPECT_EQ(table->item(0, 0)->toolTip(), "發料數量");
    EXPECT_EQ(form.windowTitle(), "領料單");
}

TEST_F(DoTranslateTest, ExclusionLinesSkipComponentsOrProperties)
{
    auto converter = converterFor("950", "950");
    converter->setExclusionLines({"LBLTITLE=Hint,Lines", "cboStatus"});
    converter->DoTranslate(&form, "x", false);
    EXPECT_EQ(label->caption, "領料單");
    EXPECT_EQ(label->hint, "打印领料单");
    EXPECT_EQ(label->lines.front(), "单别");
    EXPECT_EQ(combo->itemText(0), "已审核");

    // The lines are consulted only when an exclusion text is given.
    converter->DoTranslate(&form, {}, false);
    EXPECT_EQ(combo->itemText(0), "已審核");
}

TEST_F(DoTranslateTest, SimplifiedInterfaceOnTraditionalSystemOnlySetsFonts)
{
    auto converter = converterFor("936", "936", 950);
    ASSERT_EQ(converter->uiConvertMode(), 4);
    converter->DoTranslate(&form, {}, true);
    EXPECT_EQ(label->caption, "领料单");
    EXPECT_EQ(label->property("FontCharset").toInt(), 134);
    EXPECT_EQ(combo->itemText(0), "已审核");
    // Window captions are drawn by the traditional system in Big5.
    EXPECT_EQ(form.windowTitle(), "領料單");
}

#include "CodeConverterTest.moc"
