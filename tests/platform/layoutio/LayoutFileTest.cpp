// Local layout files: saved beside the target and renamed into place, read
// back with the problems of a damaged file, refused with a reason.
#include "LayoutTestWindow.h"

#include "platform/TextCodec.h"
#include "platform/layoutio/LayoutText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv;
using kv::test::LayoutWindow;

TEST(LayoutFile, SaveAndLoadRoundTrip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("CHS_TfrmTestFmt_甲.dat"));
    LayoutWindow designed, ancestor;
    designed.txtTC001->setLeft(77);
    designed.lblTitle->setCaption(QStringLiteral("新标题"));
    std::string error;
    ASSERT_TRUE(SaveMyFormToFile(designed.window, &ancestor.window, fileName, error)) << error;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file is left";

    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("inherited frmTestFmt: QWidget\n"));
    EXPECT_TRUE(bytes.contains("Caption = '新标题'")) << "UTF-8 text";

    LayoutWindow loaded;
    std::vector<LayoutProblem> problems;
    ASSERT_TRUE(LoadMyFormFromFile(loaded.window, fileName, problems, error)) << error;
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(LayoutText::Write(loaded.window), LayoutText::Write(designed.window));

    // A full text (no ancestor) replaces the file.
    ASSERT_TRUE(SaveMyFormToFile(designed.window, nullptr, fileName, error)) << error;
    LayoutWindow full;
    ASSERT_TRUE(LoadMyFormFromFile(full.window, fileName, problems, error)) << error;
    EXPECT_EQ(LayoutText::Write(full.window), LayoutText::Write(designed.window));
}

TEST(LayoutFile, UnwritablePathIsRefusedWithAReason)
{
    QTemporaryDir dir;
    LayoutWindow layout;
    std::string error;
    EXPECT_FALSE(SaveMyFormToFile(layout.window, nullptr, dir.filePath("missing/dir/layout.dat"), error));
    EXPECT_NE(error.find("missing/dir/layout.dat"), std::string::npos) << error;

    const QString existing = dir.filePath("keep.dat");
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    // A directory that cannot be written: the old file stays as it was.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    error.clear();
    const bool saved = SaveMyFormToFile(layout.window, nullptr, existing, error);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!saved) {
        EXPECT_FALSE(error.empty());
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "old");
    }
}

TEST(LayoutFile, MissingEmptyAndLegacyFiles)
{
    QTemporaryDir dir;
    LayoutWindow layout;
    std::vector<LayoutProblem> problems;
    std::string error;
    EXPECT_FALSE(LoadMyFormFromFile(layout.window, dir.filePath("none.dat"), problems, error));
    EXPECT_NE(error.find("none.dat"), std::string::npos);

    const QString empty = dir.filePath("empty.dat");
    QFile(empty).open(QIODevice::WriteOnly);
    error.clear();
    EXPECT_FALSE(LoadMyFormFromFile(layout.window, empty, problems, error));
    EXPECT_NE(error.find("no layout"), std::string::npos) << error;

    // A file an older installation wrote in the system code page.
    const std::string utf8 = "inherited frmTestFmt: QWidget\n  inherited QuickRep1: Report\n"
                             "    inherited QRBand1: TQRBand\n      inherited lblTitle: TQRLabel\n"
                             "        Caption = '旧格式'\n      end\n    end\n  end\nend\n";
    const auto legacy = encodeFromUtf8(utf8, "GB18030");
    ASSERT_TRUE(legacy);
    const QString legacyFile = dir.filePath("legacy.dat");
    {
        QFile file(legacyFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(legacy->data(), qint64(legacy->size()));
    }
    problems.clear();
    ASSERT_TRUE(LoadMyFormFromFile(layout.window, legacyFile, problems, error)) << error;
    EXPECT_EQ(layout.lblTitle->caption(), QStringLiteral("旧格式"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].message.find("GB18030"), std::string::npos);
}
