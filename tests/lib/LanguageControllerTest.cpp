// Message lookup and language packages against the language folder of
// tests/data/lang (simplified Chinese: MultiLanguage/CHS).

#include "lib/LangCommon.h"
#include "lib/LanguageController.h"
#include "lib/LibVCLs.h"
#include "support/ShellFixture.h"

#include <QComboBox>
#include <QFont>
#include <QListWidget>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using kv::ELanguageController;
using kv::FormatText;
using kv::GetMessage;
using kv::KvDesign;
using kv::TKvLangController;
using kv::Variant;

namespace {

const std::string kLangRoot = QIPR07_TEST_DATA "/lang";

class LangForm : public QWidget {
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

class LanguageTest : public testing::Test {
protected:
    LanguageTest() { m_shell.writeRegistry(kLangRoot, kLangRoot); }

private:
    kvtest::ShellFixture m_shell{936};
};

std::string message(std::string_view section, std::string_view key)
{
    return GetMessage(KvDesign::dtClient, section, key, "默认");
}

} // namespace

TEST_F(LanguageTest, GetMessageFallsBackToTheDefaultOnEveryFailure)
{
    EXPECT_EQ(message("TfrmBaseGene", "sDeleteProj"), "确定删除此方案？");
    EXPECT_EQ(GetMessage(KvDesign::dtServer, "TfrmBaseGene", "sDeleteProj", "默认"), "确定删除此方案？");
    EXPECT_EQ(message("TfrmBaseGene", "sMissing"), "默认");
    EXPECT_EQ(message("TfrmBaseGene", "sNoMsgAttr"), "默认");
    EXPECT_EQ(message("TfrmNoSuchForm", "sDeleteProj"), "默认");
    EXPECT_EQ(message("Broken", "sDeleteProj"), "默认");
    // Keys that would change the query are not looked up.
    EXPECT_EQ(message("TfrmBaseGene", "*"), "默认");
    EXPECT_EQ(message("TfrmBaseGene", "sDeleteProj/.."), "默认");
    EXPECT_EQ(message("TfrmBaseGene", ""), "默认");
}

TEST(LanguageFolder, MissingFolderGivesTheDefault)
{
    kvtest::ShellFixture shell(950); // traditional: CHT, which the data lacks
    shell.writeRegistry(kLangRoot, kLangRoot);
    EXPECT_EQ(kv::LanguageDirectory(KvDesign::dtClient), "");
    EXPECT_EQ(message("TfrmBaseGene", "sDeleteProj"), "默认");
}

TEST_F(LanguageTest, GetMessageFormatsTheFoundText)
{
    EXPECT_EQ(GetMessage(KvDesign::dtClient, "TfrmBaseGene", "sOpenDoc", "打开 %s", {"a.pdf", 3}),
              "正在打开文件 a.pdf（第 3 页）");
    EXPECT_EQ(GetMessage(KvDesign::dtClient, "TfrmBaseGene", "sNone", "打开 %s", {"a.pdf"}), "打开 a.pdf");
}

TEST(FormatText, FollowsTheFormatDirectives)
{
    EXPECT_EQ(FormatText("%s-%d-%x", {"单", 42, 255}), "单-42-FF");
    EXPECT_EQ(FormatText("[%5s|%-5s]", {"领料", "ab"}), "[   领料|ab   ]");
    EXPECT_EQ(FormatText("%.3d %.2f %.1n", {7, 2.345, 1234567.25}), "007 2.35 1,234,567.3");
    EXPECT_EQ(FormatText("%1:s %0:s %s", {"a", "b"}), "b a b");
    EXPECT_EQ(FormatText("%*d|%.2s", {4, 9, "领料单"}), "   9|领料");
    EXPECT_EQ(FormatText("100%% %f", {Variant(kv::Currency::fromDouble(1.5))}), "100% 1.50");
    EXPECT_EQ(FormatText("%e", {1500.0}), "1.50000000000000E+003");
    EXPECT_EQ(FormatText("%.2f|%.2f|%.2f", {9.995, -1.005, -0.004}), "10.00|-1.01|0.00");
}

TEST(FormatText, KeepsDirectivesItCannotFill)
{
    EXPECT_EQ(FormatText("%s and %s", {"one"}), "one and %s");
    EXPECT_EQ(FormatText("%d items", {"many"}), "%d items");
    EXPECT_EQ(FormatText("%q %s", {"x"}), "%q x");
    EXPECT_EQ(FormatText("tail %", {}), "tail %");
    EXPECT_EQ(FormatText("%5:s", {"x"}), "%5:s");
    EXPECT_EQ(FormatText("%99999999999d", {1}).size() < 5000u, true);
}

class LangControllerTest : public LanguageTest {
protected:
    LangControllerTest()
    {
        form.setObjectName("frmLangDemo");
        title = child<LangForm>("lblTitle");
        title->lines = {"第一行"};
        skipped = child<LangForm>("lblSkipped");
        slips = child<QTreeWidget>("lvSlips");
        slips->setColumnCount(2);
        new QTreeWidgetItem(slips, QStringList{"", ""});
        units = child<QListWidget>("lbUnits");
        units->addItems({"个", "kg"});
        status = child<QComboBox>("cboStatus");
        status->addItems({"approved", "open"});
        status->setCurrentIndex(1);
        depts = child<QTreeWidget>("tvDepts");
        auto *top = new QTreeWidgetItem(depts, QStringList{"总部"});
        new QTreeWidgetItem(top, QStringList{"财务部"});
        new QTreeWidgetItem(top, QStringList{"Production"});
        bad = child<LangForm>("lblBad");
        controller = new TKvLangController(&form);
        controller->setObjectName("LangController");
    }

    template <class T> T *child(const char *name)
    {
        auto *widget = new T(&form);
        widget->setObjectName(name);
        return widget;
    }

    LangForm form;
    LangForm *title = nullptr;
    LangForm *skipped = nullptr;
    QTreeWidget *slips = nullptr;
    QListWidget *units = nullptr;
    QComboBox *status = nullptr;
    QTreeWidget *depts = nullptr;
    LangForm *bad = nullptr;
    TKvLangController *controller = nullptr;
};

TEST_F(LangControllerTest, AppliesThePackageByPropertyPath)
{
    controller->setExcludeControls({" LBLSKIPPED "});
    controller->setLangPackageName("TfrmLangDemo");
    EXPECT_EQ(controller->fileName(), kLangRoot + "/MultiLanguage/CHS/TfrmLangDemo.Lng");
    controller->setActive(true);
    ASSERT_TRUE(controller->isActive());

    // The form from the root element, a line beyond the list's end.
    EXPECT_EQ(form.caption, "领料单打印");
    EXPECT_EQ(form.lines, (QStringList{"", "", "第三行"}));
    // A component: plain property, sub-object property, line of a list.
    EXPECT_EQ(title->caption, "领料单");
    EXPECT_EQ(title->hint, "打印领料单");
    EXPECT_EQ(title->font.family(), "SimSun");
    EXPECT_EQ(title->lines, (QStringList{"第一行", "第二行"}));
    EXPECT_EQ(skipped->caption, "");
    // Item views: columns, items, sub-items, tree nodes; an index beyond
    // the count changes nothing.
    EXPECT_EQ(slips->headerItem()->text(0), "单别");
    EXPECT_EQ(slips->headerItem()->text(1), "单号");
    EXPECT_EQ(slips->columnWidth(1), 120);
    EXPECT_EQ(slips->topLevelItem(0)->text(0), "5401");
    EXPECT_EQ(slips->topLevelItem(0)->text(1), "20240101001");
    EXPECT_EQ(slips->topLevelItemCount(), 1);
    EXPECT_EQ(units->item(1)->text(), "公斤");
    EXPECT_EQ(status->itemText(0), "已审核");
    EXPECT_EQ(status->currentIndex(), 1);
    EXPECT_EQ(depts->topLevelItem(0)->child(1)->text(0), "生管部");
    EXPECT_EQ(depts->topLevelItem(0)->child(0)->text(0), "财务部");
    // Assignments that do not resolve are skipped, the rest still applies.
    EXPECT_EQ(bad->caption, "有效");
}

TEST_F(LangControllerTest, RaisesEventsAroundOpeningAndEachComponent)
{
    std::vector<std::string> log;
    const auto record = [&log](const char *name) {
        return kv::EventHandler([&log, name](QObject *, kv::EventArgs &args) {
            auto *load = dynamic_cast<kv::LoadComponentArgs *>(&args);
            log.push_back(load ? name + (":" + load->component->objectName().toStdString()) : name);
        });
    };
    controller->setBeforeOpen(record("BeforeOpen"));
    controller->setAfterOpen(record("AfterOpen"));
    controller->setBeforeClose(record("BeforeClose"));
    controller->setAfterClose(record("AfterClose"));
    controller->setBeforeLoadComponent(record("Before"));
    controller->setAfterLoadComponent(record("After"));
    controller->setExcludeControls({"lblSkipped", "lvSlips", "lbUnits", "cboStatus", "tvDepts", "lblBad"});
    controller->setLangPackageName("TfrmLangDemo");
    controller->setActive(true);
    // A new package name closes the controller.
    controller->setLangPackageName("TfrmBaseGene");
    EXPECT_FALSE(controller->isActive());
    const std::vector<std::string> expected = {"BeforeOpen",         "Before:frmLangDemo", "After:frmLangDemo",
                                               "Before:lblTitle",    "After:lblTitle",     "AfterOpen",
                                               "BeforeClose",        "AfterClose"};
    EXPECT_EQ(log, expected);
}

TEST_F(LangControllerTest, DesignTypeIsSetByNameLikeAnyPublishedProperty)
{
    controller->setLangPackageName("TfrmLangDemo");
    ASSERT_TRUE(kv::setPropertyByPath(controller, "DesignType", "dtServer"));
    EXPECT_EQ(controller->designType(), KvDesign::dtServer);
    EXPECT_EQ(controller->fileName(), kLangRoot + "/MultiLanguage/CHS/TfrmLangDemo.Lng");
}

TEST_F(LangControllerTest, ReportsMissingAndMalformedDocuments)
{
    try {
        controller->setActive(true);
        FAIL() << "opened without a package";
    } catch (const ELanguageController &error) {
        EXPECT_STREQ(error.what(), "Cannot Find File !");
    }
    controller->setLangPackageName("TfrmNothing");
    try {
        controller->setActive(true);
        FAIL() << "opened a missing file";
    } catch (const ELanguageController &error) {
        EXPECT_EQ(std::string(error.what()), "Cannot Find File " + controller->fileName() + "!");
    }
    controller->setLangPackageName("Broken");
    try {
        controller->setActive(true);
        FAIL() << "opened a malformed file";
    } catch (const ELanguageController &error) {
        EXPECT_STREQ(error.what(), "Start-end tags mismatch");
    }
    EXPECT_FALSE(controller->isActive());
    EXPECT_THROW(controller->LoadComponent(title), ELanguageController);
    try {
        controller->LoadComponent(title);
    } catch (const ELanguageController &error) {
        EXPECT_STREQ(error.what(), "No active LanguageController!");
    }
}

TEST_F(LangControllerTest, InlineDocumentTakesPrecedenceAndLoadingDefersOpening)
{
    controller->setLangPackageName("TfrmLangDemo");
    controller->setInlineDocument({"<frmLangDemo Caption=\"内嵌\">", "<lblTitle Lines_0=\"首行\"/>", "</frmLangDemo>"});
    controller->BeginLoad();
    controller->setActive(true);
    EXPECT_FALSE(controller->isActive());
    EXPECT_EQ(form.caption, "");
    controller->Loaded();
    EXPECT_TRUE(controller->isActive());
    EXPECT_EQ(form.caption, "内嵌");
    EXPECT_EQ(title->lines, QStringList{"首行"});
    EXPECT_EQ(title->caption, ""); // the file was not read

    controller->setActive(false);
    controller->setInlineDocument({"<frmLangDemo Caption=\"x\">"});
    EXPECT_THROW(controller->setActive(true), ELanguageController);
}

#include "LanguageControllerTest.moc"
