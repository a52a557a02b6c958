// What a headless run leaves behind: the page texts of each generation as
// JSON (shape, order, positions in tenths of a millimetre), written only for
// a finished generation and never half; a preview without a screen that
// generates its pages and writes them without showing a window; a write
// that fails is told and fails the run.
#include "report/layout/LayoutTestSupport.h"

#include "report/layout/PageTextsJson.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/VRPreview.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

using layouttest::Slip;

// Sets an environment variable for the lifetime of a test.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const QString &value) : m_name(name) { qputenv(m_name, value.toUtf8()); }
    ~ScopedVariable() { qunsetenv(m_name); }
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    const char *m_name;
};

class HeadlessRunTest : public layouttest::LayoutTest {
protected:
    QJsonObject readJson() const
    {
        QFile file(jsonFile);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << jsonFile.toStdString();
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        EXPECT_EQ(QJsonParseError::NoError, error.error) << error.errorString().toStdString();
        return document.object();
    }

    // The texts one component printed on one page of the document, in the
    // order written.
    static QStringList textsOf(const QJsonObject &page, const QString &component)
    {
        QStringList texts;
        for (const QJsonValue &text : page["texts"].toArray()) {
            if (text["component"].toString() == component)
                texts << text["text"].toString();
        }
        return texts;
    }

    static bool previewWindowOpen()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (qobject_cast<kv::TfrmVRPreview *>(window))
                return true;
        }
        return false;
    }

    QTemporaryDir dir;
    QString jsonFile = dir.filePath("pages.json");
};

TEST_F(HeadlessRunTest, EachPageListsItsTextsInPrintOrderWithPositionsOnTheSheet)
{
    ScopedVariable json(kv::PageTextsJson::kEnvironmentVariable, jsonFile);
    openLayout(layouttest::slipTable({{"5401", "0001", 12}, {"5401", "0002", 1}}));
    ASSERT_TRUE(layout->GeneratePages());

    const QJsonObject document = readJson();
    EXPECT_EQ("0.1mm", document["unit"].toString());
    const QJsonArray pages = document["pages"].toArray();
    // Ten lines to a slip page, two slip pages (forms) to a sheet: forms 1
    // and 2 of the first slip on sheet 1, the second slip's form 3 on sheet 2.
    ASSERT_EQ(2, pages.size());
    const QSizeF sheet = layout->QuickRep1->pages()->pageSize();
    for (int index = 0; index < pages.size(); ++index) {
        const QJsonObject page = pages[index].toObject();
        EXPECT_EQ(index + 1, page["number"].toInt());
        double lastItemTop = -1;
        for (const QJsonValue &value : page["texts"].toArray()) {
            const QJsonObject text = value.toObject();
            const std::string component = text["component"].toString().toStdString();
            ASSERT_TRUE(text["x"].isDouble() && text["y"].isDouble() && text["w"].isDouble() && text["h"].isDouble());
            EXPECT_LE(text["x"].toInt(), qRound(sheet.width())) << component;
            EXPECT_LE(text["y"].toInt() + text["h"].toInt(), qRound(sheet.height())) << component;
            // Positions are on the sheet: the lower form's texts lie in its
            // lower half.
            const int form = text["form"].toInt();
            EXPECT_EQ(index == 0 ? form <= 2 : form == 3, true) << component;
            if (form == 2)
                EXPECT_GE(text["y"].toInt(), qRound(sheet.height() / 2) - 1) << component;
            else
                EXPECT_LT(text["y"].toInt(), qRound(sheet.height() / 2)) << component;
            if (text["component"].toString() == "txtTE004") {
                // Lines come down the sheet in the order they were printed.
                EXPECT_GT(text["y"].toDouble(), lastItemTop);
                lastItemTop = text["y"].toDouble();
            }
        }
    }
    const QJsonObject first = pages[0].toObject();
    QStringList items;
    for (int line = 1; line <= 12; ++line)
        items << QStringLiteral("ITEM-%1").arg(line);
    EXPECT_EQ(items, textsOf(first, "txtTE004"));
    EXPECT_EQ(QStringList({"ITEM-1"}), textsOf(pages[1].toObject(), "txtTE004"));
    EXPECT_EQ(QStringList({"1", "2"}), textsOf(first, "lblPageNo"));
    EXPECT_EQ(QStringList({"1"}), textsOf(pages[1].toObject(), "lblPageNo"));

    // The JSON holds what the page store holds, text for text.
    const std::vector<kv::PageText> stored = layout->QuickRep1->pages()->texts(1);
    const QJsonArray written = first["texts"].toArray();
    ASSERT_EQ(qsizetype(stored.size()), written.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].component, written[qsizetype(i)]["component"].toString());
        EXPECT_EQ(qRound(stored[i].rect.top()), written[qsizetype(i)]["y"].toInt());
        EXPECT_EQ(qRound(stored[i].rect.width()), written[qsizetype(i)]["w"].toInt());
    }

    // Written page by page, the file is still the one document.
    QFile file(jsonFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(kv::PageTextsJson::toJson(*layout->QuickRep1->pages()), QJsonDocument::fromJson(file.readAll()));

    // A second generation replaces the file.
    layout->ClientDataSet1->setData(layouttest::slipTable({{"5402", "0009", 2}}));
    ASSERT_TRUE(layout->GeneratePages());
    const QJsonArray again = readJson()["pages"].toArray();
    ASSERT_EQ(1, again.size());
    EXPECT_EQ(QStringList({"ITEM-1", "ITEM-2"}), textsOf(again[0].toObject(), "txtTE004"));
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(HeadlessRunTest, NoFileIsWrittenUnlessOneIsAskedFor)
{
    openLayout(layouttest::slipTable({{"5401", "0001", 1}}));
    ASSERT_TRUE(layout->GeneratePages());
    EXPECT_FALSE(QFile::exists(jsonFile));
    EXPECT_TRUE(dir.isValid());
}

TEST_F(HeadlessRunTest, AFileThatCannotBeWrittenIsToldAndFailsTheRun)
{
    openLayout(layouttest::slipTable({{"5401", "0001", 1}}));
    {
        ScopedVariable json(kv::PageTextsJson::kEnvironmentVariable, dir.filePath("no-such-folder/pages.json"));
        prompter->answerMessage(kv::mrOk);
        EXPECT_FALSE(layout->GeneratePages());
        ASSERT_EQ(1u, messages().size());
        EXPECT_NE(std::string::npos,
                  messages()[0].find("The page texts cannot be written to " +
                                     dir.filePath("no-such-folder/pages.json").toStdString() + ": "))
            << messages()[0];
    }

    // A folder where the file should be stays a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.json"));
    ScopedVariable json(kv::PageTextsJson::kEnvironmentVariable, dir.filePath("taken.json"));
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(layout->GeneratePages());
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.json")).isDir());
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(HeadlessRunTest, AHeadlessPreviewGeneratesAndWritesThePagesAndShowsNoWindow)
{
    kv::PreviewWindowPreviewer::Install();
    openLayout(layouttest::slipTable({{"5401", "0001", 3}}));
    {
        ScopedVariable json(kv::PageTextsJson::kEnvironmentVariable, jsonFile);
        ScopedVariable headless(kv::PreviewWindowPreviewer::kHeadlessVariable, "1");
        EXPECT_TRUE(kv::PreviewWindowPreviewer::Headless());
        layout->ShowPreview(); // a modal window would be a question nobody scripted
        EXPECT_FALSE(previewWindowOpen());
        EXPECT_EQ(1, readJson()["pages"].toArray().size());
        EXPECT_TRUE(prompter->allAnswered()) << (prompter->misses().empty() ? "" : prompter->misses()[0]);
    }

    // "0" or nothing: the preview window is shown again (here: answered).
    ScopedVariable notHeadless(kv::PreviewWindowPreviewer::kHeadlessVariable, "0");
    EXPECT_FALSE(kv::PreviewWindowPreviewer::Headless());
    bool shown = false;
    prompter->answerDialog([&](QDialog &dialog) {
        shown = qobject_cast<kv::TfrmVRPreview *>(&dialog) != nullptr;
        return 0;
    });
    layout->ShowPreview();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(prompter->allAnswered());
}

} // namespace
