#include "lib/LibVCLs.h"

#include <QColor>
#include <QFont>
#include <QVariant>

#include <gtest/gtest.h>

// A component with the kinds of published property the helpers handle.
class TestPanel : public QObject {
    Q_OBJECT
public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)
    enum TAnchorKind { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
    Q_DECLARE_FLAGS(TAnchors, TAnchorKind)
    Q_FLAG(TAnchors)

    Q_PROPERTY(QString Caption MEMBER m_caption)
    Q_PROPERTY(int Tag MEMBER m_tag)
    Q_PROPERTY(double Ratio MEMBER m_ratio)
    Q_PROPERTY(bool Checked MEMBER m_checked)
    Q_PROPERTY(TAlignment Alignment MEMBER m_alignment)
    Q_PROPERTY(TAnchors Anchors READ anchors WRITE setAnchors)
    Q_PROPERTY(QStringList Items MEMBER m_items)
    Q_PROPERTY(QColor Color MEMBER m_color)
    Q_PROPERTY(QFont Font MEMBER m_font)
    Q_PROPERTY(QObject *Child MEMBER m_child)
    Q_PROPERTY(kv::EventHandler OnClick MEMBER m_onClick)
    Q_PROPERTY(int ReadOnlyCount READ readOnlyCount)

public:
    int readOnlyCount() const { return 7; }
    TAnchors anchors() const { return m_anchors; }
    void setAnchors(TAnchors anchors) { m_anchors = anchors; }

    QString m_caption;
    int m_tag = 0;
    double m_ratio = 0;
    bool m_checked = false;
    TAlignment m_alignment = taLeftJustify;
    TAnchors m_anchors = akLeft;
    QStringList m_items;
    QColor m_color;
    QFont m_font;
    QObject *m_child = nullptr;
    kv::EventHandler m_onClick;
};

namespace {

TEST(LibVCLs, PropertiesArePublishedByExactName)
{
    TestPanel panel;
    panel.setProperty("Dynamic", QVariant(1)); // not published by the class
    EXPECT_TRUE(kv::CheckPropertyExist(&panel, "Caption"));
    EXPECT_FALSE(kv::CheckPropertyExist(&panel, "caption"));
    EXPECT_FALSE(kv::CheckPropertyExist(&panel, "Dynamic"));
    EXPECT_FALSE(kv::CheckPropertyExist(&panel, ""));
    EXPECT_FALSE(kv::CheckPropertyExist(nullptr, "Caption"));
}

TEST(LibVCLs, StringProperties)
{
    TestPanel panel;
    kv::SetStringProperty(&panel, "Caption", "领料单");
    EXPECT_EQ(panel.m_caption, QStringLiteral("领料单"));
    EXPECT_EQ(kv::GetStringProperty(&panel, "Caption"), "领料单");
    kv::SetStringProperty(&panel, "Tag", "12");
    EXPECT_EQ(panel.m_tag, 12);
    kv::SetStringProperty(&panel, "Tag", "twelve"); // does not fit: left as it was
    EXPECT_EQ(panel.m_tag, 12);

    // Missing object or property: empty reads, ignored writes.
    EXPECT_EQ(kv::GetStringProperty(&panel, "Missing"), "");
    EXPECT_EQ(kv::GetStringProperty(nullptr, "Caption"), "");
    kv::SetStringProperty(&panel, "Missing", "x");
}

TEST(LibVCLs, OrdinalProperties)
{
    TestPanel panel;
    kv::SetOrdinalProperty(&panel, "Tag", -4);
    kv::SetOrdinalProperty(&panel, "Checked", 1);
    kv::SetOrdinalProperty(&panel, "Alignment", TestPanel::taCenter);
    kv::SetOrdinalProperty(&panel, "Anchors", TestPanel::akTop | TestPanel::akBottom);
    EXPECT_EQ(panel.m_tag, -4);
    EXPECT_TRUE(panel.m_checked);
    EXPECT_EQ(panel.m_alignment, TestPanel::taCenter);
    EXPECT_EQ(panel.m_anchors, TestPanel::TAnchors(TestPanel::akTop | TestPanel::akBottom));

    EXPECT_EQ(kv::GetOrdinalProperty(&panel, "Tag"), -4);
    EXPECT_EQ(kv::GetOrdinalProperty(&panel, "Checked"), 1);
    EXPECT_EQ(kv::GetOrdinalProperty(&panel, "Alignment"), 2);
    EXPECT_EQ(kv::GetOrdinalProperty(&panel, "Anchors"), 10);
    EXPECT_EQ(kv::GetOrdinalProperty(&panel, "Caption"), 0); // not ordinal
    EXPECT_EQ(kv::GetOrdinalProperty(&panel, "Missing"), 0);
    kv::SetOrdinalProperty(&panel, "Caption", 5);
    EXPECT_EQ(panel.m_caption, QString());
}

TEST(LibVCLs, EventHandlersBoundByName)
{
    TestPanel panel;
    EXPECT_TRUE(kv::GetObjectMethod(&panel, "OnClick").isEmpty());

    QObject *clickedBy = nullptr;
    kv::SetObjectMethod(&panel, "OnClick",
                        kv::EventHandler([&](QObject *sender, kv::EventArgs &) { clickedBy = sender; }, "btnPrintClick"));
    ASSERT_FALSE(panel.m_onClick.isEmpty());
    const kv::EventHandler bound = kv::GetObjectMethod(&panel, "OnClick");
    EXPECT_EQ(bound.methodName(), "btnPrintClick");
    EXPECT_EQ(kv::GetStringProperty(&panel, "OnClick"), "btnPrintClick");
    bound(&panel);
    EXPECT_EQ(clickedBy, &panel);

    // Only event properties take handlers; missing ones are ignored.
    EXPECT_TRUE(kv::GetObjectMethod(&panel, "Caption").isEmpty());
    kv::SetObjectMethod(&panel, "Caption", bound);
    kv::SetObjectMethod(&panel, "OnClick", kv::EventHandler());
    EXPECT_TRUE(panel.m_onClick.isEmpty());
}

TEST(LibVCLs, PathsIntoSubObjectsAndFonts)
{
    TestPanel panel;
    TestPanel child;
    panel.m_child = &child;
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Caption", "打印"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Child.Caption", "预览"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Font.Name", "Noto Sans CJK SC"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Font.Size", "12"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Child.Font.Bold", "True"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Font.Charset", "GB2312_CHARSET"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Font.Style", "[fsItalic,fsUnderline]"));
    EXPECT_EQ(panel.m_caption, QStringLiteral("打印"));
    EXPECT_EQ(child.m_caption, QStringLiteral("预览"));
    EXPECT_EQ(panel.m_font.family(), QStringLiteral("Noto Sans CJK SC"));
    EXPECT_EQ(panel.m_font.pointSize(), 12);
    EXPECT_TRUE(panel.m_font.italic() && panel.m_font.underline() && !panel.m_font.bold());
    EXPECT_TRUE(child.m_font.bold());
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Font.Height", "-16"));
    EXPECT_EQ(panel.m_font.pixelSize(), 16);
}

TEST(LibVCLs, PathTextConvertedToThePropertyType)
{
    TestPanel panel;
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Ratio", "0.75"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Checked", "true"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Alignment", "taRightJustify"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Anchors", "[akLeft, akRight]"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Items", "甲\r\n乙\n"));
    EXPECT_TRUE(kv::setPropertyByPath(&panel, "Color", "#ff0000"));
    EXPECT_EQ(panel.m_ratio, 0.75);
    EXPECT_TRUE(panel.m_checked);
    EXPECT_EQ(panel.m_alignment, TestPanel::taRightJustify);
    EXPECT_EQ(panel.m_anchors, TestPanel::TAnchors(TestPanel::akLeft | TestPanel::akRight));
    EXPECT_EQ(panel.m_items, QStringList({QStringLiteral("甲"), QStringLiteral("乙")}));
    EXPECT_EQ(panel.m_color, QColor(Qt::red));
    EXPECT_EQ(kv::GetStringProperty(&panel, "Anchors"), "[akLeft,akRight]");
    EXPECT_EQ(kv::GetStringProperty(&panel, "Items"), "甲\n乙");
}

TEST(LibVCLs, PathsThatDoNotResolveOrTextThatDoesNotFit)
{
    TestPanel panel;
    for (const char *path : {"", "Missing", "Caption.", ".Caption", "Child.Caption", "Tag.Value", "Font.Colour",
                             "Font.Name.X", "ReadOnlyCount", "OnClick"})
        EXPECT_FALSE(kv::setPropertyByPath(&panel, path, "1")) << path;
    EXPECT_FALSE(kv::setPropertyByPath(nullptr, "Caption", "x"));
    EXPECT_FALSE(kv::setPropertyByPath(&panel, "Tag", "1.5"));
    EXPECT_FALSE(kv::setPropertyByPath(&panel, "Checked", "yes"));
    EXPECT_FALSE(kv::setPropertyByPath(&panel, "Alignment", "taMiddle"));
    EXPECT_FALSE(kv::setPropertyByPath(&panel, "Anchors", "[akLeft,akNowhere]"));
    EXPECT_FALSE(kv::setPropertyByPath(&panel, "Font.Size", "-3"));
    EXPECT_FALSE(kv::setPropertyByPath(&panel, "Font.Style", "[fsShadow]"));
    EXPECT_FALSE(kv::setPropertyByPath(&panel, "Font.Charset", "Chinese"));
    EXPECT_EQ(panel.m_tag, 0);
    EXPECT_EQ(panel.m_alignment, TestPanel::taLeftJustify);
    EXPECT_FALSE(panel.m_font.bold());
}

} // namespace

#include "LibVCLsTest.moc"
