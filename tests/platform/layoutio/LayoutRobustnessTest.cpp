// Hostile and damaged layout texts: reading is bounded and never crashes or
// throws, whatever was done to the text.
#include "LayoutTestWindow.h"

#include "platform/layoutio/LayoutText.h"

#include <gtest/gtest.h>

#include <random>

using namespace kv;
using kv::test::LayoutWindow;

namespace {

std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + '\n';
    return text;
}

// One random damage: flipped bytes, a deleted line, truncation or a
// duplicated block of lines.
std::string damage(const std::string &text, std::mt19937 &random)
{
    std::string out = text;
    switch (random() % 4) {
    case 0: {
        const int flips = 1 + int(random() % 8);
        for (int i = 0; i < flips && !out.empty(); ++i)
            out[random() % out.size()] = char(random() % 256);
        break;
    }
    case 1: {
        auto lines = splitLines(out);
        if (!lines.empty())
            lines.erase(lines.begin() + long(random() % lines.size()));
        out = joinLines(lines);
        break;
    }
    case 2:
        out.resize(out.empty() ? 0 : random() % out.size());
        break;
    default: {
        auto lines = splitLines(out);
        if (lines.empty())
            break;
        const std::size_t first = random() % lines.size();
        const std::size_t count = 1 + random() % std::min<std::size_t>(8, lines.size() - first);
        const std::vector<std::string> block(lines.begin() + long(first), lines.begin() + long(first + count));
        lines.insert(lines.begin() + long(random() % (lines.size() + 1)), block.begin(), block.end());
        out = joinLines(lines);
        break;
    }
    }
    return out;
}

std::string designedDifferences()
{
    LayoutWindow designed, ancestor;
    designed.txtTC001->setLeft(55);
    designed.lblTitle->setCaption(QStringLiteral("'引号'\r\n"));
    auto *label = new TQRLabel(designed.QRBand2);
    label->setObjectName("ExLbl1");
    label->setCaption(QStringLiteral("新建标签"));
    auto *barcode = new TKvQRDBBarcode(designed.QRBand2);
    barcode->setObjectName("ExBcTC0021");
    barcode->setDataSet(designed.ClientDataSet1);
    return LayoutText::WriteDifferences(designed.window, ancestor.window);
}

} // namespace

TEST(LayoutRobustness, RandomDamageNeverCrashesOrThrows)
{
    const std::string originals[] = {designedDifferences(), LayoutText::Write(LayoutWindow().window)};
    std::mt19937 random(20261208);
    int readCount = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = originals[round % 2];
        const int damages = 1 + int(random() % 3);
        for (int i = 0; i < damages; ++i)
            text = damage(text, random);
        LayoutWindow layout(round % 3 == 0);
        std::vector<LayoutProblem> problems;
        bool read = false;
        EXPECT_NO_THROW(read = LayoutText::Read(layout.window, text, problems));
        readCount += read ? 1 : 0;
        for (const LayoutProblem &problem : problems) {
            // Read catches what escapes; nothing of the reader itself may.
            ASSERT_EQ(problem.message.find("reading stopped"), std::string::npos) << problem.message;
            ASSERT_GE(problem.line, 0);
            ASSERT_LE(problem.line, int(splitLines(text).size()) + 1);
        }
        // What was read can be written and filtered again.
        EXPECT_NO_THROW(GetMyNeedProp(LayoutText::Write(layout.window)));
        EXPECT_NO_THROW(GetMyNeedProp(text));
    }
    EXPECT_GT(readCount, 1000) << "most damaged texts still have their root line";
}

TEST(LayoutRobustness, DeepNestingIsBounded)
{
    LayoutWindow layout;
    std::string text = "inherited frmTestFmt: QWidget\n  inherited QuickRep1: Report\n";
    for (int i = 0; i < 100000; ++i)
        text += "object Deep" + std::to_string(i) + ": TQRBand\n";
    std::vector<LayoutProblem> problems;
    EXPECT_TRUE(LayoutText::Read(layout.window, text, problems));
    EXPECT_LE(problems.size(), 500u);
    // Bands do not nest: only the first level is created at all.
    EXPECT_NE(layout.QuickRep1->findChild<TQRBand *>("Deep0"), nullptr);
    EXPECT_EQ(layout.window.findChild<QObject *>("Deep1"), nullptr);
}

TEST(LayoutRobustness, ComponentCountAndValueSizeAreBounded)
{
    LayoutWindow layout;
    std::string text = "inherited frmTestFmt: QWidget\n  inherited QuickRep1: Report\n    inherited QRBand2: TQRBand\n";
    for (int i = 0; i < 20000; ++i)
        text += "      object ExLbl" + std::to_string(i) + ": TQRLabel\n      end\n";
    text += "      inherited txtTC001: TKVQRDBText\n        Hint = '" + std::string(1 << 20, 'x') + "'\n      end\n";
    std::vector<LayoutProblem> problems;
    EXPECT_TRUE(LayoutText::Read(layout.window, text, problems));
    const auto created = layout.QRBand2->findChildren<TQRLabel *>(Qt::FindDirectChildrenOnly);
    EXPECT_LT(created.size(), 5000);
    EXPECT_GT(created.size(), 1000);
    EXPECT_EQ(layout.txtTC001->hint(), QStringLiteral("单别"));

    std::vector<LayoutProblem> tooLong;
    EXPECT_FALSE(LayoutText::Read(layout.window, std::string(17u << 20, ' '), tooLong));
    ASSERT_EQ(tooLong.size(), 1u);
}

TEST(LayoutRobustness, UnclosedListStopsAtTheStructure)
{
    LayoutWindow layout;
    const std::string text = "inherited frmTestFmt: QWidget\n"
                             "  inherited QuickRep1: Report\n"
                             "    inherited QRBand2: TQRBand\n"
                             "      inherited txtTC001: TKVQRDBText\n"
                             "        CodeList = ( 'a'\n"
                             "      end\n"
                             "      inherited bcTC001: TKvQRDBBarcode\n"
                             "        Left = 7\n"
                             "      end\n"
                             "    end\n"
                             "  end\n"
                             "end\n";
    std::vector<LayoutProblem> problems;
    EXPECT_TRUE(LayoutText::Read(layout.window, text, problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 5);
    EXPECT_EQ(layout.bcTC001->left(), 7);
}
