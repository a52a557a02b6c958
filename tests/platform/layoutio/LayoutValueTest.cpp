// The values of the layout text format and the components it can create:
// strings survive every character, malformed values are refused with a
// reason, each property type is read from its spelling, and components are
// only created where the report engine can print them.
#include "LayoutTestWindow.h"

#include "platform/layoutio/ComponentFactory.h"
#include "platform/layoutio/LayoutText.h"
#include "platform/layoutio/LayoutValue.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRDBText.h"
#include "platform/report/TQRExpr.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRImage.h"
#include "platform/report/TQRMemo.h"
#include "platform/report/TQRShape.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kv;
using kv::test::LayoutWindow;

TEST(LayoutValueStrings, EveryCharacterRoundTrips)
{
    const QString samples[] = {
        QString(),
        QStringLiteral("''"),
        QStringLiteral("a'b"),
        QString(QChar(0)) + QStringLiteral("x\x7f"),
        QStringLiteral("领料单\r\n第二行"),
        QString::fromUcs4(U"𠀀 beyond the basic plane"),
        QStringLiteral("#13 is text here"),
    };
    for (const QString &sample : samples) {
        const std::string quoted = LayoutValue::quote(sample);
        std::string error;
        const auto parsed = LayoutValue::parse(quoted, error);
        ASSERT_TRUE(parsed) << quoted << ": " << error;
        EXPECT_EQ(parsed->kind, LayoutValue::String);
        EXPECT_EQ(parsed->text, sample) << quoted;
        EXPECT_EQ(quoted.find('\r'), std::string::npos);
        EXPECT_EQ(quoted.find('\n'), std::string::npos);
    }
    EXPECT_EQ(LayoutValue::quote(QStringLiteral("a\rb")), "'a'#13'b'");
    EXPECT_EQ(LayoutValue::quote(QStringLiteral("\t")), "#9");
}

TEST(LayoutValueStrings, MalformedValuesAreRefused)
{
    const char *bad[] = {
        "'open",
        "'a' 'b'",       // two strings without +
        "'a' +",         // nothing after +
        "#",
        "#1114112",      // beyond Unicode
        "#55296",        // a surrogate
        "'\xff\xfe'",    // not UTF-8
        "( 'a' 5 )",     // a list of strings only
        "( 'a'",
        "( 'a' ) x",
        "[a,,b]",
        "[a, 1b]",
        "[a",
        "a b",
        "",
    };
    for (const char *text : bad) {
        std::string error;
        EXPECT_FALSE(LayoutValue::parse(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    std::string error;
    const auto set = LayoutValue::parse("[ fsBold , fsItalic ]", error);
    ASSERT_TRUE(set) << error;
    EXPECT_EQ(set->names, (std::vector<std::string>{"fsBold", "fsItalic"}));
    const auto empty = LayoutValue::parse("[]", error);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->names.empty());
    EXPECT_EQ(LayoutValue::toInteger("$7FFFFFFF"), 0x7FFFFFFF);
    EXPECT_EQ(LayoutValue::toInteger("-12"), -12);
    EXPECT_FALSE(LayoutValue::toInteger("99999999999999999999"));
    EXPECT_FALSE(LayoutValue::toInteger("1e3"));
}

TEST(LayoutValueProperties, EachTypeIsReadFromItsSpelling)
{
    LayoutWindow layout;
    auto *shape = new TQRShape(layout.QRBand1);
    shape->setObjectName("shpFrame");
    const std::string text = "inherited frmTestFmt: QWidget\n"
                             "  inherited QuickRep1: Report\n"
                             "    Options = [LastPageFooter]\n"
                             "    Units = Inches\n"
                             "    Functions = ( 'PAGENUMBER' )\n"
                             "    inherited QRBand1: TQRBand\n"
                             "      BandType = rbTitle\n"
                             "      inherited shpFrame: TQRShape\n"
                             "        Shape = qrsCircle\n"
                             "        Color = clRed\n"
                             "        PenColor = $FF0000\n"
                             "        BrushColor = clNone\n"
                             "        PenWidth = 3\n"
                             "        Visible = False\n"
                             "      end\n"
                             "    end\n"
                             "  end\n"
                             "end\n";
    std::vector<LayoutProblem> problems;
    ASSERT_TRUE(LayoutText::Read(layout.window, text, problems));
    for (const LayoutProblem &problem : problems)
        ADD_FAILURE() << problem.line << ": " << problem.message;
    EXPECT_EQ(layout.QuickRep1->options(), Report::TQROptions(Report::LastPageFooter));
    EXPECT_EQ(layout.QuickRep1->units(), Report::Inches);
    EXPECT_EQ(layout.QuickRep1->functions(), QStringList{"PAGENUMBER"});
    EXPECT_EQ(layout.QRBand1->bandType(), TQRBand::rbTitle);
    EXPECT_EQ(shape->shape(), TQRShape::qrsCircle);
    EXPECT_EQ(shape->color(), QColor(Qt::red));
    EXPECT_EQ(shape->penColor(), QColor(Qt::blue)) << "Delphi colours are $00BBGGRR";
    EXPECT_EQ(shape->brushColor().alpha(), 0);
    EXPECT_EQ(shape->penWidth(), 3);
    EXPECT_FALSE(shape->isVisible());

    const std::string wrong = "inherited frmTestFmt: QWidget\n"
                              "  inherited QuickRep1: Report\n"
                              "    Options = [LastPageFooter, Sideways]\n"
                              "    Zoom = 'big'\n"
                              "    inherited QRBand1: TQRBand\n"
                              "      inherited shpFrame: TQRShape\n"
                              "        Color = clMauve\n"
                              "        Enabled = yes\n"
                              "        OnPrint = Handler\n"
                              "        Font.Height = 0\n"
                              "        Font.Name = ''\n"
                              "        Font.Style = [fsShadow]\n"
                              "        Font.Charset = KLINGON_CHARSET\n"
                              "        Font.Weight = 5\n"
                              "      end\n"
                              "    end\n"
                              "  end\n"
                              "end\n";
    problems.clear();
    ASSERT_TRUE(LayoutText::Read(layout.window, wrong, problems));
    std::vector<int> lines;
    for (const LayoutProblem &problem : problems)
        lines.push_back(problem.line);
    EXPECT_EQ(lines, (std::vector<int>{3, 4, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(layout.QuickRep1->options(), Report::TQROptions(Report::LastPageFooter));
    EXPECT_EQ(shape->color(), QColor(Qt::red));
    EXPECT_TRUE(shape->isEnabled());
}

TEST(LayoutComponentFactory, CreatesEachClassOnlyWhereItCanPrint)
{
    QObject window;
    std::string error;
    QObject *report = ComponentFactory::create("Report", window, error);
    ASSERT_NE(report, nullptr) << error;
    EXPECT_EQ(ComponentFactory::className(*report), "Report");
    EXPECT_EQ(ComponentFactory::create("Report", *report, error), nullptr) << "no report inside a report";

    for (const char *bandClass : {"TQRBand", "TQRChildBand", "TQRGroup"}) {
        EXPECT_EQ(ComponentFactory::create(bandClass, window, error), nullptr) << bandClass;
        QObject *band = ComponentFactory::create(bandClass, *report, error);
        ASSERT_NE(band, nullptr) << bandClass << ": " << error;
        EXPECT_EQ(ComponentFactory::className(*band), bandClass);
        EXPECT_EQ(ComponentFactory::create("TQRBand", *band, error), nullptr) << "bands do not nest";
        for (const char *printable : {"TQRLabel", "TQRDBText", "TKVQRDBText", "TQRExpr", "TQRMemo", "TQRImage",
                                      "TQRShape", "TKvQRDBBarcode"}) {
            QObject *component = ComponentFactory::create(printable, *band, error);
            ASSERT_NE(component, nullptr) << printable << ": " << error;
            EXPECT_EQ(ComponentFactory::className(*component), printable);
            EXPECT_TRUE(ComponentFactory::isLayoutComponent(*component));
            EXPECT_EQ(ComponentFactory::create(printable, *report, error), nullptr) << printable;
            EXPECT_EQ(ComponentFactory::create("TQRLabel", *component, error), nullptr);
        }
    }
    error.clear();
    EXPECT_EQ(ComponentFactory::create("QWidget", window, error), nullptr);
    EXPECT_EQ(error, "unknown class QWidget");
    EXPECT_FALSE(ComponentFactory::isKnownClass("kv::TQRLabel"));
    EXPECT_FALSE(ComponentFactory::isLayoutComponent(window));
}
