// The standard slip layout on the recorded page texts: page numbers and
// line numbers per slip, the continued and blank-below marks, sign-offs and
// notes on the last page or every page, asterisk totals, a slip that needs
// one page more than counted, two slips to a sheet, the page picture, and
// what the condition window sets.

#include "LayoutTestSupport.h"

#include "platform/Clock.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

using namespace layouttest;

namespace {

QStringList numbers(int from, int to)
{
    QStringList list;
    for (int number = from; number <= to; ++number)
        list << QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    return list;
}

} // namespace

TEST_F(LayoutTest, SlipOfTwentyFiveLinesOverThreePages)
{
    openLayout(slipTable({{"5401", "20240001", 25}}));
    layout->SetSignIns({QStringLiteral("主管:"), QStringLiteral("仓管:"), QStringLiteral("领料:")});
    layout->SetNotes({QStringLiteral("注一"), QStringLiteral("注二")});
    const std::vector<Form> forms = generate();

    ASSERT_EQ(forms.size(), 3u);
    // Half pages: two forms to a sheet.
    EXPECT_EQ(layout->QuickRep1->pages()->pageCount(), 2);
    EXPECT_EQ(layout->PageCount, 3);
    EXPECT_EQ(layout->RowsPerPage, 10);
    EXPECT_EQ(layout->GroupRowCounts, QStringList{QStringLiteral("540120240001=25")});
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const Form &form = forms[std::size_t(page)];
        EXPECT_EQ(form.text("lblPageNo"), QString::number(page + 1));
        EXPECT_EQ(form.text("lblTotalPage"), QStringLiteral("3"));
        EXPECT_EQ(form.text("lblCompany"), QStringLiteral("示范公司"));
        EXPECT_EQ(form.all("lblSeq"), numbers(page * 10 + 1, std::min(page * 10 + 10, 25)));
        const bool last = page == 2;
        EXPECT_EQ(form.has("lblNextPage"), !last);
        EXPECT_EQ(form.has("lblNoData"), last); // the first two pages are full
        for (const char *label : {"lblSignIn1", "lblSignIn2", "lblSignIn3", "lblNote1", "lblNote2"})
            EXPECT_EQ(form.has(QLatin1String(label)), last) << label;
        EXPECT_EQ(form.text("txtTotal"), last ? QStringLiteral("325") : QStringLiteral("***********"));
        // Labels kept off the page never print.
        EXPECT_FALSE(form.has("lblPrintDate1"));
    }
    EXPECT_EQ(forms[2].text("lblSignIn2"), QStringLiteral("仓管:"));
    EXPECT_EQ(forms[2].text("lblNote2"), QStringLiteral("注二"));
    // Only two notes were typed: the third prints nothing, not its design caption.
    EXPECT_FALSE(forms[2].has("lblNote3"));
    EXPECT_EQ(forms[2].text("lblNextPage"), QStringLiteral("<none>"));
}

TEST_F(LayoutTest, EveryPageOptionsPrintSignOffsNotesAndTotalsOnEachPage)
{
    openLayout(slipTable({{"5401", "20240001", 25}}));
    layout->SetSignIns({QStringLiteral("主管:")});
    layout->SetNotes({QStringLiteral("注一")});
    layout->SignInEveryPage = true;
    layout->TotalsEveryPage = true;
    const std::vector<Form> forms = generate();
    ASSERT_EQ(forms.size(), 3u);
    for (const Form &form : forms) {
        EXPECT_EQ(form.text("lblSignIn1"), QStringLiteral("主管:"));
        EXPECT_EQ(form.text("txtTotal"), QStringLiteral("325"));
    }
    // Notes still follow their own option.
    EXPECT_FALSE(forms[0].has("lblNote1"));
    EXPECT_TRUE(forms[2].has("lblNote1"));

    // A mark the loaded layout switched off stays off on every page.
    layout->lblSignIn1->setEnabled(false);
    layout->lblNextPage->setEnabled(false);
    layout->RecordEnabledStates();
    for (const Form &form : generate()) {
        EXPECT_FALSE(form.has("lblSignIn1"));
        EXPECT_FALSE(form.has("lblNextPage"));
    }
}

TEST_F(LayoutTest, EachSlipNumbersItsOwnPagesAndTwoSlipsShareASheet)
{
    openLayout(slipTable({{"5401", "A001", 12}, {"5401", "A002", 3}, {"5402", "A002", 10}}));
    const std::vector<Form> forms = generate();
    ASSERT_EQ(forms.size(), 4u);
    EXPECT_EQ(layout->QuickRep1->pages()->pageCount(), 2);
    const QStringList pageNumbers{forms[0].text("lblPageNo"), forms[1].text("lblPageNo"), forms[2].text("lblPageNo"),
                                  forms[3].text("lblPageNo")};
    const QStringList totals{forms[0].text("lblTotalPage"), forms[1].text("lblTotalPage"),
                             forms[2].text("lblTotalPage"), forms[3].text("lblTotalPage")};
    EXPECT_EQ(pageNumbers, (QStringList{"1", "2", "1", "1"}));
    EXPECT_EQ(totals, (QStringList{"2", "2", "1", "1"}));
    EXPECT_EQ(forms[1].all("lblSeq"), numbers(11, 12));
    EXPECT_EQ(forms[2].all("lblSeq"), numbers(1, 3));
    // The same slip number under another type is another slip.
    EXPECT_EQ(forms[3].all("lblSeq"), numbers(1, 10));
    // A slip that fills its only page exactly leaves no blank-below mark.
    EXPECT_FALSE(forms[3].has("lblNoData"));
    EXPECT_TRUE(forms[2].has("lblNoData"));
    EXPECT_EQ(layout->GroupRowCounts,
              (QStringList{"5401A001=12", "5401A002=3", "5402A002=10"}));

    // The second sheet holds forms 3 and 4 as its upper and lower half.
    const std::vector<kv::PageText> sheet = layout->QuickRep1->pages()->texts(2);
    std::set<int> formsOnSheet;
    for (const kv::PageText &text : sheet)
        formsOnSheet.insert(text.form);
    EXPECT_EQ(formsOnSheet, (std::set<int>{3, 4}));
}

TEST_F(LayoutTest, StretchedLinesAddAPageAndCorrectTheTotalFromThereOn)
{
    // Ten lines are counted as one page, but two of them stretch over
    // several lines, so the last lines move to a second page.
    openLayout(slipTable({{"5401", "B001", 10}}, {2, 5}));
    const std::vector<Form> forms = generate();
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[0].text("lblPageNo"), QStringLiteral("1"));
    EXPECT_EQ(forms[0].text("lblTotalPage"), QStringLiteral("1"));
    EXPECT_EQ(forms[1].text("lblPageNo"), QStringLiteral("2"));
    EXPECT_EQ(forms[1].text("lblTotalPage"), QStringLiteral("2"));
    // The first page learns it is not the last one in its footer.
    EXPECT_TRUE(forms[0].has("lblNextPage"));
    EXPECT_FALSE(forms[0].has("lblSignIn1"));
    EXPECT_EQ(forms[0].text("txtTotal"), QStringLiteral("***********"));
    EXPECT_FALSE(forms[1].has("lblNextPage"));
    EXPECT_EQ(forms[1].text("txtTotal"), QStringLiteral("55"));
    QStringList lines = forms[0].all("lblSeq") + forms[1].all("lblSeq");
    EXPECT_EQ(lines, numbers(1, 10));
    EXPECT_LT(forms[0].all("lblSeq").size(), 10);
}

TEST_F(LayoutTest, HeaderTextsDatesAndCompanyName)
{
    const kv::FixedClock clock(QDateTime(QDate(2024, 3, 9), QTime(14, 5, 30)));
    openLayout(slipTable({{"5401", "C001", 2}}));
    layout->DateType = 3;
    layout->DateFormat = "-";
    layout->SetHeaderText(0, QStringLiteral("领料单"));
    layout->SetHeaderText(1, QStringLiteral("20240305"));
    layout->SetHeaderText(2, QStringLiteral("以下空白"));
    layout->SetHeaderText(3, QStringLiteral("续下页"));
    // Print date and time are moved onto the page by the user in design mode.
    layout->lblPrintDate1->setEnabled(true);
    layout->lblPrintDate1->setLeft(300);
    layout->lblPrintTime2->setEnabled(true);
    layout->lblPrintTime2->setLeft(300);
    const std::vector<Form> forms = generate();
    ASSERT_EQ(forms.size(), 1u);
    EXPECT_EQ(forms[0].text("lblVoucherName"), QStringLiteral("领料单"));
    EXPECT_EQ(forms[0].text("lblCreateDate1"), QStringLiteral("05-03-2024"));
    // The footer's copy is the caption as set.
    EXPECT_EQ(forms[0].text("lblCreateDate2"), QStringLiteral("20240305"));
    EXPECT_EQ(forms[0].text("lblNoData"), QStringLiteral("以下空白"));
    EXPECT_EQ(forms[0].text("lblPrintDate1"), QStringLiteral("09-03-2024"));
    EXPECT_EQ(forms[0].text("lblPrintTime2"), QStringLiteral("14:05"));

    // Fewer than two company items: no company name.
    layout->CompanyInfo = QStringList{QStringLiteral("01")};
    layout->ConnectData();
    EXPECT_EQ(layout->lblCompany->caption(), QString());
}

TEST_F(LayoutTest, SignOffAndNoteListsReplaceAllThreeCaptions)
{
    openLayout(slipTable({{"5401", "C001", 1}}));
    layout->SetSignIns({QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")});
    layout->SetSignIns({QStringLiteral("甲")});
    EXPECT_EQ(layout->SignInTexts, QStringList{QStringLiteral("甲")});
    EXPECT_EQ(layout->lblSignIn1->caption(), QStringLiteral("甲"));
    EXPECT_EQ(layout->lblSignIn2->caption(), QString());
    EXPECT_EQ(layout->lblSignIn3->caption(), QString());
    layout->SetNotes({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    EXPECT_EQ(layout->lblNote3->caption(), QStringLiteral("3"));
}

TEST_F(LayoutTest, PagePictureIsDrawnBehindTheFields)
{
    openLayout(slipTable({{"5401", "D001", 2}}));
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(QColor(0, 200, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
    layout->QuickRep1->setPagePictureData(png);
    generate();

    const kv::PageStore &pages = *layout->QuickRep1->pages();
    const QImage page = pages.renderImage(1, 50);
    ASSERT_FALSE(page.isNull());
    // Away from the fields the picture shows; where the slip title prints,
    // its text is drawn over the picture.
    EXPECT_EQ(page.pixelColor(5, 5), QColor(0, 200, 0));
    const auto titles = pages.texts(1);
    const auto title = std::find_if(titles.begin(), titles.end(),
                                    [](const kv::PageText &text) { return text.component == "lblCompany"; });
    ASSERT_NE(title, titles.end());
    const double scale = 50 / 254.0;
    const QRect area((title->rect.topLeft() * scale).toPoint(), (title->rect.bottomRight() * scale).toPoint());
    int dark = 0;
    int green = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor color = page.pixelColor(x, y);
            dark += color.green() < 100 ? 1 : 0;
            green += color == QColor(0, 200, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 0);
    EXPECT_GT(green, 0);
}
