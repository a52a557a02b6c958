// Writing a layout window as text and reading it back: whole layouts, the
// differences from the built-in layout, the values of the format and the
// problems a damaged text is read with.
#include "LayoutTestWindow.h"

#include "platform/layoutio/LayoutText.h"
#include "platform/report/TQRMemo.h"

#include <gtest/gtest.h>

using namespace kv;
using kv::test::LayoutWindow;

namespace {

std::vector<LayoutProblem> readOnto(QObject &root, const std::string &text, bool expectRead = true)
{
    std::vector<LayoutProblem> problems;
    EXPECT_EQ(LayoutText::Read(root, text, problems), expectRead);
    return problems;
}

std::string describe(const std::vector<LayoutProblem> &problems)
{
    std::string out;
    for (const LayoutProblem &problem : problems)
        out += std::to_string(problem.line) + ": " + problem.message + "\n";
    return out;
}

bool hasProblem(const std::vector<LayoutProblem> &problems, int line, const std::string &part)
{
    for (const LayoutProblem &problem : problems) {
        if (problem.line == line && problem.message.find(part) != std::string::npos)
            return true;
    }
    return false;
}

// The design changes of the round-trip cases: a moved field, a new caption
// and font, and a label and a barcode the user created.
void designChanges(LayoutWindow &layout)
{
    layout.txtTC001->setLeft(42);
    layout.txtTC001->setTop(9);
    layout.lblTitle->setCaption(QStringLiteral("领料单(新)"));
    QFont font = layout.lblTitle->font();
    font.setPixelSize(18);
    font.setBold(true);
    layout.lblTitle->setFont(font);
    auto *label = new TQRLabel(layout.QRBand2);
    label->setObjectName("ExLbl1");
    label->setCaption(QStringLiteral("新建标签"));
    label->setHint(QStringLiteral("新建标签"));
    label->setLeft(120);
    label->setWidth(100);
    label->setHeight(13);
    auto *barcode = new TKvQRDBBarcode(layout.QRBand2);
    barcode->setObjectName("ExBcTC0021");
    barcode->setDataSet(layout.ClientDataSet1);
    barcode->setDataField("TC002");
    barcode->setText("1234");
    barcode->setTextPosition(TKvQRDBBarcode::tpBottomCenter);
    barcode->setBarcodeType(TKvQRDBBarcode::bcCode128B);
    barcode->setAutoSize(true);
    barcode->setLeft(220);
    barcode->setWidth(100);
    barcode->setHeight(105);
}

} // namespace

TEST(LayoutTextWrite, DescribesTheLayoutComponentsNestedWithTheirKeptProperties)
{
    LayoutWindow layout;
    layout.txtTC001->setAlignment(ReportText::taRightJustify);
    const std::string text = LayoutText::Write(layout.window);

    EXPECT_TRUE(text.starts_with("object frmTestFmt: QWidget\n  object QuickRep1: Report\n")) << text;
    EXPECT_NE(text.find("\n    object QRBand1: TQRBand\n      Width = "), std::string::npos) << text;
    EXPECT_NE(text.find("\n      object txtTC001: TKVQRDBText\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n        Left = 10\n        Top = 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("        Alignment = taRightJustify\n"), std::string::npos) << text;
    EXPECT_NE(text.find("        DataSet = ClientDataSet1\n        DataField = 'TC001'\n"), std::string::npos);
    EXPECT_NE(text.find("        Caption = '领料单'\n"), std::string::npos) << text;
    EXPECT_NE(text.find("        Font.Charset = GB2312_CHARSET\n        Font.Height = -13\n"
                        "        Font.Name = 'Arial'\n        Font.Style = []\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("        Left = -4904\n"), std::string::npos);
    EXPECT_NE(text.find("        Enabled = False\n"), std::string::npos);
    // Not part of a layout: the data set, the band type, the report's page.
    EXPECT_EQ(text.find("ClientDataSet1: "), std::string::npos);
    EXPECT_EQ(text.find("BandType"), std::string::npos);
    EXPECT_EQ(text.find("Page"), std::string::npos);
    EXPECT_TRUE(text.ends_with("    end\n  end\nend\n"));
}

TEST(LayoutTextWrite, FullTextReadBackGivesTheSameText)
{
    LayoutWindow original;
    designChanges(original);
    const std::string text = LayoutText::Write(original.window);

    // Onto the built-in layout: every component exists, properties change.
    LayoutWindow builtIn;
    EXPECT_EQ(describe(readOnto(builtIn.window, text)), "");
    EXPECT_EQ(LayoutText::Write(builtIn.window), text);
    EXPECT_EQ(builtIn.txtTC001->left(), 42);
    EXPECT_EQ(builtIn.QRBand2->findChild<TKvQRDBBarcode *>("ExBcTC0021")->dataSet(), builtIn.ClientDataSet1);

    // Onto a window with only its data set: the whole report is created.
    LayoutWindow bare(true);
    EXPECT_EQ(describe(readOnto(bare.window, text)), "");
    EXPECT_EQ(LayoutText::Write(bare.window), text);
    auto *report = bare.window.findChild<Report *>("QuickRep1");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->dataSet(), bare.ClientDataSet1);
    EXPECT_EQ(report->bands().size(), 2);
}

TEST(LayoutTextDifferences, UnchangedCopyIsOnlyTheRootFrame)
{
    LayoutWindow layout, ancestor;
    EXPECT_EQ(LayoutText::WriteDifferences(layout.window, ancestor.window), "inherited frmTestFmt: QWidget\nend\n");
}

TEST(LayoutTextDifferences, DesignChangesRoundTripOntoAFreshInstance)
{
    LayoutWindow designed, ancestor;
    designChanges(designed);
    const std::string differences = LayoutText::WriteDifferences(designed.window, ancestor.window);

    // Only what changed: the moved field's position, the title's caption and
    // font, the new components in full; unchanged parents as frames.
    EXPECT_TRUE(differences.starts_with("inherited frmTestFmt: QWidget\n  inherited QuickRep1: Report\n"));
    EXPECT_NE(differences.find("    inherited QRBand2: TQRBand\n"
                               "      inherited txtTC001: TKVQRDBText\n        Left = 42\n        Top = 9\n"
                               "      end\n"),
              std::string::npos)
        << differences;
    EXPECT_NE(differences.find("      inherited lblTitle: TQRLabel\n        Font.Height = -18\n"
                               "        Font.Style = [fsBold]\n        Caption = '领料单(新)'\n      end\n"),
              std::string::npos)
        << differences;
    EXPECT_NE(differences.find("      object ExLbl1: TQRLabel\n"), std::string::npos);
    EXPECT_NE(differences.find("      object ExBcTC0021: TKvQRDBBarcode\n"), std::string::npos);
    EXPECT_NE(differences.find("        BarcodeType = bcCode128B\n"), std::string::npos);
    EXPECT_EQ(differences.find("bcTC001"), std::string::npos) << "an unchanged component is left out";
    EXPECT_EQ(differences.find("QRBand1: TQRBand\n      Height"), std::string::npos);

    LayoutWindow loaded;
    EXPECT_EQ(describe(readOnto(loaded.window, differences)), "");
    EXPECT_EQ(LayoutText::Write(loaded.window), LayoutText::Write(designed.window));

    // Store, load, store: the second store is the first.
    LayoutWindow fresh;
    EXPECT_EQ(LayoutText::WriteDifferences(loaded.window, fresh.window), differences);
}

TEST(LayoutTextDifferences, ReferenceClearedOrChangedIsWritten)
{
    LayoutWindow designed, ancestor;
    auto *second = new ClientDataSet(&designed.window);
    second->setObjectName("ClientDataSet2");
    designed.txtTC001->setDataSet(second);
    designed.bcTC001->setDataSet(nullptr);
    const std::string differences = LayoutText::WriteDifferences(designed.window, ancestor.window);
    EXPECT_NE(differences.find("DataSet = ClientDataSet2"), std::string::npos) << differences;
    EXPECT_NE(differences.find("DataSet = nil"), std::string::npos) << differences;

    LayoutWindow loaded;
    auto *loadedSecond = new ClientDataSet(&loaded.window);
    loadedSecond->setObjectName("ClientDataSet2");
    EXPECT_EQ(describe(readOnto(loaded.window, differences)), "");
    EXPECT_EQ(loaded.txtTC001->dataSet(), loadedSecond);
    EXPECT_EQ(loaded.bcTC001->dataSet(), nullptr);
}

TEST(LayoutTextValues, StringsListsAndCharsetsSurvive)
{
    LayoutWindow layout;
    layout.lblTitle->setCaption(QStringLiteral("It's\r\n第二行\t"));
    auto *memo = new TQRMemo(layout.QRBand1);
    memo->setObjectName("memoNote");
    memo->setLines({QStringLiteral("甲"), QString(), QStringLiteral("'q'")});
    layout.txtTC001->setProperty("FontCharset", "CHINESEBIG5_CHARSET");
    const std::string text = LayoutText::Write(layout.window);
    EXPECT_NE(text.find("Caption = 'It''s'#13#10'第二行'#9\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Lines = ( '甲' '' '''q''' )\n"), std::string::npos) << text;

    LayoutWindow loaded;
    EXPECT_EQ(describe(readOnto(loaded.window, text)), "");
    EXPECT_EQ(loaded.lblTitle->caption(), layout.lblTitle->caption());
    EXPECT_EQ(loaded.window.findChild<TQRMemo *>("memoNote")->lines(), memo->lines());
    EXPECT_EQ(loaded.txtTC001->property("FontCharset").toString(), "CHINESEBIG5_CHARSET");
    EXPECT_EQ(loaded.lblTitle->property("FontCharset").toString(), "GB2312_CHARSET");
}

TEST(LayoutTextValues, DelphiSpellingsAreRead)
{
    LayoutWindow layout;
    const std::string text = "inherited frmTestFmt: QWidget\n"
                             "  inherited QuickRep1: Report\n"
                             "    inherited QRBand1: TQRBand\n"
                             "      inherited lblTitle: TQRLabel\n"
                             "        Caption = #20013'文' + 'x'\n"
                             "        Font.Charset = 136\n"
                             "        Font.Color = clWindowText\n"
                             "        Font.Size = 12\n"
                             "        Font.Style = [fsItalic, fsUnderline]\n"
                             "        Left = $10\n"
                             "      end\n"
                             "    end\n"
                             "    inherited QRBand2: TQRBand\n"
                             "      inherited txtTC001: TKVQRDBText\n"
                             "        CodeList = (\n"
                             "          'Y=已审核'\n"
                             "          'N=未审核')\n"
                             "        DataSet = Form1.ClientDataSet1\n"
                             "        Hint = '第一段' +\n"
                             "          '第二段'\n"
                             "      end\n"
                             "    end\n"
                             "  end\n"
                             "end\n";
    EXPECT_EQ(describe(readOnto(layout.window, text)), "");
    EXPECT_EQ(layout.lblTitle->caption(), QStringLiteral("中文x"));
    EXPECT_EQ(layout.lblTitle->property("FontCharset").toString(), "CHINESEBIG5_CHARSET");
    EXPECT_EQ(layout.lblTitle->font().pointSize(), 12);
    EXPECT_TRUE(layout.lblTitle->font().italic());
    EXPECT_TRUE(layout.lblTitle->font().underline());
    EXPECT_EQ(layout.lblTitle->left(), 16);
    EXPECT_EQ(layout.txtTC001->codeList(), QStringList({QStringLiteral("Y=已审核"), QStringLiteral("N=未审核")}));
    EXPECT_EQ(layout.txtTC001->hint(), QStringLiteral("第一段第二段"));
}

TEST(LayoutTextProblems, LoadsTheRestAndListsEachProblemWithItsLine)
{
    LayoutWindow layout;
    const std::string text = "inherited frmTestFmt: QWidget\n"          // 1
                             "  inherited QuickRep1: Report\n"          // 2
                             "    inherited QRBand2: TQRBand\n"         // 3
                             "      object ExOdd1: TQRWidget\n"          // 4 unknown class
                             "        Left = 5\n"                       // 5
                             "      end\n"                              // 6
                             "      inherited txtTC001: TKVQRDBText\n"  // 7
                             "        Left = abc\n"                     // 8 bad value
                             "        Colour = clRed\n"                 // 9 unknown property
                             "        Top = 33\n"                       // 10
                             "        Alignment = taSideways\n"         // 11 unknown key
                             "        Width = 99999999999\n"            // 12 out of range
                             "        DataSet = NoSuchData\n"           // 13 unresolved
                             "        Caption = 'open\n"                // 14 not a property + unclosed
                             "      end\n"                              // 15
                             "      inherited txtGone: TKVQRDBText\n"   // 16 unknown component
                             "        Left = 1\n"                       // 17
                             "      end\n"                              // 18
                             "      inherited bcTC001: TQRLabel\n"      // 19 wrong class
                             "      end\n"                              // 20
                             "      object ExLbl1: TQRLabel\n"          // 21 created
                             "        Caption = 'ok'\n"                 // 22
                             "      end\n"                              // 23
                             "      this is no line\n"                  // 24
                             "      object ExBand: TQRBand\n"           // 25 a band on a band
                             "      end\n"                              // 26
                             "    inherited QRBand1: TQRBand\n"         // 27 (QRBand2 not closed)
                             "      Height = 77\n"                      // 28
                             "      inherited lblTitle: TQRLabel\n"     // 29
                             "        Width = -5\n"                     // 30 negative size
                             "        Top = 200000\n"                   // 31 beyond any page
                             "      end\n";                             // 32 truncated
    const auto problems = readOnto(layout.window, text);
    const std::string all = describe(problems);
    EXPECT_TRUE(hasProblem(problems, 4, "unknown class TQRWidget")) << all;
    EXPECT_TRUE(hasProblem(problems, 8, "txtTC001.Left")) << all;
    EXPECT_TRUE(hasProblem(problems, 9, "unknown property Colour")) << all;
    EXPECT_TRUE(hasProblem(problems, 11, "Alignment")) << all;
    EXPECT_TRUE(hasProblem(problems, 12, "Width")) << all;
    EXPECT_TRUE(hasProblem(problems, 13, "no component named NoSuchData")) << all;
    EXPECT_TRUE(hasProblem(problems, 14, "string is not closed")) << all;
    EXPECT_TRUE(hasProblem(problems, 16, "no component named txtGone")) << all;
    EXPECT_TRUE(hasProblem(problems, 19, "bcTC001 is a TKvQRDBBarcode")) << all;
    EXPECT_TRUE(hasProblem(problems, 24, "neither a property")) << all;
    EXPECT_TRUE(hasProblem(problems, 25, "cannot be placed on QRBand2")) << all;
    EXPECT_TRUE(hasProblem(problems, 30, "lblTitle.Width")) << all;
    EXPECT_TRUE(hasProblem(problems, 31, "lblTitle.Top")) << all;
    EXPECT_TRUE(hasProblem(problems, 27, "end of QRBand1 is missing")) << all;
    EXPECT_TRUE(hasProblem(problems, 3, "end of QRBand2 is missing")) << all;
    EXPECT_TRUE(hasProblem(problems, 1, "end of frmTestFmt is missing")) << all;

    EXPECT_EQ(layout.txtTC001->top(), 33);
    EXPECT_EQ(layout.txtTC001->left(), 10);
    EXPECT_EQ(layout.txtTC001->width(), 80);
    EXPECT_EQ(layout.txtTC001->dataSet(), layout.ClientDataSet1);
    EXPECT_EQ(layout.QRBand1->height(), 77);
    EXPECT_EQ(layout.lblTitle->width(), 120);
    EXPECT_EQ(layout.lblTitle->top(), 8);
    ASSERT_NE(layout.QRBand2->findChild<TQRLabel *>("ExLbl1"), nullptr);
    EXPECT_EQ(layout.QRBand2->findChild<TQRLabel *>("ExLbl1")->caption(), "ok");
    EXPECT_EQ(layout.window.findChild<QObject *>("ExOdd1"), nullptr);
    EXPECT_EQ(layout.window.findChild<QObject *>("ExBand"), nullptr);
}

TEST(LayoutTextProblems, TextWithoutRootReadsNothing)
{
    LayoutWindow layout;
    for (const std::string text : {"", "   \n\n", "Left = 5\nend\n", "objectless: thing\n"}) {
        const auto problems = readOnto(layout.window, text, false);
        EXPECT_FALSE(problems.empty()) << text;
    }
    EXPECT_EQ(LayoutText::Write(layout.window), LayoutText::Write(LayoutWindow().window));
}

TEST(LayoutTextProblems, WindowPartsOutsideTheReportCannotBeChanged)
{
    LayoutWindow layout;
    const std::string text = "inherited frmTestFmt: QWidget\n"
                             "  windowTitle = 'hacked'\n"
                             "  inherited ClientDataSet1: ClientDataSet\n"
                             "    ProviderName = 'pvdOther'\n"
                             "  end\n"
                             "  object QuickRep1: TQRLabel\n"
                             "  end\n"
                             "end\n";
    const auto problems = readOnto(layout.window, text);
    EXPECT_TRUE(hasProblem(problems, 2, "not part of a layout")) << describe(problems);
    EXPECT_TRUE(hasProblem(problems, 3, "not a component of the layout")) << describe(problems);
    EXPECT_TRUE(hasProblem(problems, 6, "QuickRep1 is a Report")) << describe(problems);
    EXPECT_TRUE(layout.window.windowTitle().isEmpty());
    EXPECT_EQ(layout.ClientDataSet1->ProviderName(), "");
}

TEST(LayoutTextProblems, AZoomOtherThanTheWindowsIsSkippedSoPositionsKeepTheirScale)
{
    // A text that zoomed the report in would have the far-off focus label
    // written 25 times further off, past what a position may be, and a
    // fresh window refused it; smaller moves changed every size silently.
    LayoutWindow layout;
    const std::string text = "inherited frmTestFmt: QWidget\n"
                             "  inherited QuickRep1: Report\n"
                             "    Zoom = 2000\n"
                             "    inherited QRBand1: TQRBand\n"
                             "      inherited lblTitle: TQRLabel\n"
                             "        Left = 210\n"
                             "      end\n"
                             "    end\n"
                             "  end\n"
                             "end\n";
    const auto problems = readOnto(layout.window, text);
    EXPECT_TRUE(hasProblem(problems, 3, "QuickRep1.Zoom: the window's own scale")) << describe(problems);
    EXPECT_EQ(layout.QuickRep1->zoom(), 80);
    EXPECT_EQ(layout.lblTitle->left(), 210);
    EXPECT_EQ(layout.qrLostFocus->left(), -4904);

    const std::string written = LayoutText::Write(layout.window);
    LayoutWindow fresh;
    EXPECT_EQ(describe(readOnto(fresh.window, written)), "");
    EXPECT_EQ(LayoutText::Write(fresh.window), written);

    // A full description repeating the window's zoom reads without a word.
    EXPECT_EQ(describe(readOnto(fresh.window, "object frmTestFmt: QWidget\n"
                                              "  object QuickRep1: Report\n"
                                              "    Zoom = 80\n"
                                              "  end\n"
                                              "end\n")),
              "");
}

TEST(LayoutTextProblems, ReferenceMustNameAComponentOfTheRightKind)
{
    LayoutWindow layout;
    const std::string text = "inherited frmTestFmt: QWidget\n"
                             "  inherited QuickRep1: Report\n"
                             "    DataSet = QRBand1\n"
                             "  end\n"
                             "end\n";
    const auto problems = readOnto(layout.window, text);
    EXPECT_TRUE(hasProblem(problems, 3, "QRBand1 is not a kv::ClientDataSet")) << describe(problems);
    EXPECT_EQ(layout.QuickRep1->dataSet(), layout.ClientDataSet1);
}

TEST(LayoutTextFilter, KeepsDesignPropertiesAndTheStructure)
{
    const std::string text = "inherited frmTestFmt: QWidget\n"
                             "  Caption = 'window'\n"
                             "  inherited QuickRep1: Report\n"
                             "    Zoom = 80\n"
                             "    inherited QRBand1: TQRBand\n"
                             "      Color = clWhite\n"
                             "      inherited lblTitle: TQRLabel\n"
                             "        Tag = 3\n"
                             "      end\n"
                             "    end\n"
                             "    inherited QRBand2: TQRBand\n"
                             "      Height = 44\n"
                             "      inherited txtTC001: TKVQRDBText\n"
                             "        Left = 1\n"
                             "        OnPrint = OnDatePrint\n"
                             "        Font.Height = -12\n"
                             "        Font.Pitch.Bits = 1\n"
                             "        TextType = 1\n"
                             "        Lines.Strings = (\n"
                             "          'a')\n"
                             "      end\n"
                             "      object ExLbl1: TQRLabel\n"
                             "        Transparent = True\n"
                             "      end\n"
                             "    end\n"
                             "  end\n"
                             "end\n";
    EXPECT_EQ(GetMyNeedProp(text), "inherited frmTestFmt: QWidget\n"
                                   "  Caption = 'window'\n"
                                   "  inherited QuickRep1: Report\n"
                                   "    inherited QRBand2: TQRBand\n"
                                   "      Height = 44\n"
                                   "      inherited txtTC001: TKVQRDBText\n"
                                   "        Left = 1\n"
                                   "        Font.Height = -12\n"
                                   "        TextType = 1\n"
                                   "      end\n"
                                   "      object ExLbl1: TQRLabel\n"
                                   "      end\n"
                                   "    end\n"
                                   "  end\n"
                                   "end\n");
    EXPECT_EQ(GetMyNeedProp("no layout at all"), "");
    LayoutWindow layout;
    const std::string full = LayoutText::Write(layout.window);
    EXPECT_EQ(GetMyNeedProp(full), full) << "a written layout holds kept properties only";
}
