// What the printed slip shows of texts longer than their place, on the
// recorded page texts of both slip layouts: sign-off lines with their
// underlines print one under the other, each of one line's height, none wrapping its underline through
// the next; the issue remark ("领料说明") of a line is shown whole in its
// column, with the line's note below it.

#include "LayoutDataSupport.h"

#include "platform/report/ReportUnits.h"
#include "platform/report/TKVQRDBText.h"
#include "qipr07/Qipr07Fmt.h"
#include "qipr07/Qipr07Fmt_1.h"

#include <QFontMetricsF>

using namespace layoutdata;

namespace {

const QStringList kSignOffs = {QStringLiteral("核准：____________"), QStringLiteral("审核：____________"),
                               QStringLiteral("领料人：____________")};

// The recorded texts of the first form (slip) of the run.
std::vector<kv::PageText> firstFormTexts(const kv::PageStore &store)
{
    std::vector<kv::PageText> texts;
    for (int page = 1; page <= store.pageCount(); ++page)
        for (kv::PageText &text : store.texts(page))
            if (text.form == 1)
                texts.push_back(std::move(text));
    return texts;
}

class SlipTextsFitTest : public SlipLayoutTest {
protected:
    // The slip's last page prints the sign-off lines: one of each, each of
    // one line's height, none over another.
    void expectSignOffsOnTheirOwnLines(kv::TfrmVRFormat *layout)
    {
        layout->SetSignIns(kSignOffs);
        ASSERT_TRUE(layout->GeneratePages());
        std::vector<kv::PageText> signOffs;
        for (const kv::PageText &text : firstFormTexts(*layout->QuickRep1->pages()))
            if (text.component.startsWith(QLatin1String("lblSignIn")))
                signOffs.push_back(text);
        ASSERT_EQ(3u, signOffs.size());
        for (std::size_t line = 0; line < signOffs.size(); ++line) {
            EXPECT_EQ(kSignOffs[int(line)], signOffs[line].text);
            EXPECT_LT(signOffs[line].rect.height(), signOffs[0].rect.height() * 1.5)
                << signOffs[line].component.toStdString() << " wraps onto a second line";
            for (std::size_t other = line + 1; other < signOffs.size(); ++other)
                EXPECT_FALSE(signOffs[line].rect.intersects(signOffs[other].rect))
                    << signOffs[line].component.toStdString() << " runs over "
                    << signOffs[other].component.toStdString();
        }
    }
};

TEST_P(SlipTextsFitTest, SignOffUnderlinesStayOnTheirLinesOnBothLayouts)
{
    const std::string number = slipsOfType("5401").front().first;
    expectSignOffsOnTheirOwnLines(openLayout<kv::TfrmQipr07Fmt>({"5401", {number}}));
    ReportQuery summary{"5401", {number}};
    summary.summary = true;
    expectSignOffsOnTheirOwnLines(openLayout<kv::TfrmQipr07Fmt_1>(summary));
}

TEST_P(SlipTextsFitTest, ALongIssueRemarkIsShownWholeAboveTheNote)
{
    const std::string number = slipsOfType("5401").front().first;
    company->execute("UPDATE {MOCTE} SET TE013=:R, TE014=:M WHERE TE001='5401' AND TE002=:N AND TE003='0001'",
                     {{"R", Variant(std::string("补料（报废补发）"))},
                      {"M", Variant(std::string("急"))},
                      {"N", Variant(number)}});
    auto *layout = openLayout<kv::TfrmQipr07Fmt>({"5401", {number}});
    ASSERT_TRUE(layout->GeneratePages());
    const auto *field = layout->findChild<kv::TKVQRDBText *>(QStringLiteral("txtTE013"));
    ASSERT_NE(nullptr, field);
    // The text as the page draws it: the field's font on the page, broken
    // into the lines its column allows.
    const QFontMetricsF metrics(kv::report_units::pageFont(field->font()));
    constexpr double scale = kv::PageStore::kTextScale;
    const std::vector<kv::PageText> texts = firstFormTexts(*layout->QuickRep1->pages());
    const kv::PageText *remark = nullptr;
    const kv::PageText *note = nullptr;
    for (const kv::PageText &text : texts) {
        if (text.component == QLatin1String("txtTE013") && text.text == QStringLiteral("补料（报废补发）"))
            remark = &text;
        if (text.component == QLatin1String("txtTE014") && text.text == QStringLiteral("急") && remark && !note)
            note = &text;
        if (remark && note)
            break;
    }
    ASSERT_TRUE(remark && note);
    const QRectF needed = metrics.boundingRect(QRectF(0, 0, remark->rect.width() * scale, 1e9),
                                               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, remark->text);
    EXPECT_LE(needed.width() / scale, remark->rect.width() + 0.01) << "the remark is cut at its column's edge";
    EXPECT_LE(needed.height() / scale, remark->rect.height() + 0.01) << "the remark's second line is cut";
    EXPECT_FALSE(remark->rect.intersects(note->rect)) << "the note prints over the remark";
}

} // namespace

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(SlipTextsFitTest);
