// Printing into a PDF file, read back with poppler's pdftotext and pdffonts
// and with libqpdf: the pages carry the texts the run recorded, page by
// page; the form's captions are text in embedded font subsets; the form is
// one XObject placed on every form (twice on a sheet of half pages); a
// write that fails or is stopped leaves no file under the target's name.
#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/PdfDocumentWriter.h"
#include "platform/report/PdfFormPicture.h"
#include "platform/report/PdfUnicodeMap.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/TQRDBText.h"
#include "platform/report/TQRLabel.h"
#include "support/SmtpSink.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

// qpdf 11 without its PointerHolder compatibility layer.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <gtest/gtest.h>

#include <set>

using namespace kv;

namespace {

// A slip form whose captions use the CJK face the layouts name, with
// characters a CJK font also gives to radicals (页, 日, 门).
QByteArray captionForm()
{
    return "<?xml version='1.0' encoding='UTF-8'?>"
           "<svg xmlns='http://www.w3.org/2000/svg' width='210mm' height='297mm' viewBox='0 0 210 297'>"
           "<g transform='translate(10 5)' fill='#1f3a5f' font-family='Noto Sans CJK SC, 宋体'>"
           "<rect x='0' y='10' width='190' height='20' fill='none' stroke='#000' stroke-width='0.5'/>"
           "<text x='5' y='20' font-size='4'>领料单别</text>"
           "<text x='95' y='20' font-size='4' text-anchor='middle'>页次</text>"
           "<text x='185' y='20' font-size='4' text-anchor='end'>单据日期 部门</text>"
           "</g></svg>";
}

ResultTable lines(int count)
{
    ResultTable::Builder builder;
    builder.addColumn("CODE", FieldType::Text);
    for (int line = 0; line < count; ++line) {
        builder.setText(0, "MAT-" + std::to_string(100000 + line));
        builder.endRow();
    }
    return builder.finish();
}

// One line of a data-bound code a detail band, on A4, with the form behind.
struct LineReport {
    explicit LineReport(int count, bool withForm = true, Report::TQRPageStyle style = Report::qrFullPage)
    {
        data = new ClientDataSet(&window);
        data->setObjectName("ClientDataSet1");
        data->setData(lines(count));
        report = new Report(&window);
        report->setObjectName("QuickRep1");
        report->setDataSet(data);
        report->page()->setPaperSize(PageSetup::A4);
        report->setPageStyle(style);
        if (withForm)
            report->setPagePictureData(captionForm());
        auto *detail = new TQRBand(report);
        detail->setObjectName("Detail");
        detail->setHeight(100);
        auto *code = new TQRDBText(detail);
        code->setObjectName("txtCode");
        code->setDataSet(data);
        code->setDataField("CODE");
        code->setLeft(100);
        code->setWidth(400);
        code->setHeight(40);
        auto *label = new TQRLabel(detail);
        label->setObjectName("lblName");
        label->setCaption(QStringLiteral("材料品名"));
        label->setLeft(600);
        label->setWidth(300);
        label->setHeight(40);
    }
    PageStore &pages() { return *report->pages(); }

    QObject window;
    ClientDataSet *data;
    Report *report;
};


// The text of each page of a PDF file.
QStringList pdfPages(const QString &file)
{
    QStringList pages = kvtest::checkedToolOutput("pdftotext", {file, "-"}).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The drawing operators of one page as qpdf reads them.
std::string pageContent(QPDFPageObjectHelper &page)
{
    std::string content;
    for (QPDFObjectHandle &stream : page.getPageContents()) {
        const auto data = stream.getStreamData();
        content.append(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
        content += '\n';
    }
    return content;
}

int occurrences(const std::string &text, const std::string &what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

QStringList entries(const QDir &dir)
{
    return dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(PdfPrintTest, EveryPageCarriesTheTextsTheRunRecordedAndTheFormsCaptionsAsText)
{
    LineReport slip(6000);
    ASSERT_TRUE(slip.report->prepare());
    PageStore &pages = slip.pages();
    ASSERT_GE(pages.pageCount(), 200);
    std::vector<std::vector<PageText>> recorded;
    for (int page = 1; page <= pages.pageCount(); ++page)
        recorded.push_back(pages.texts(page));

    QTemporaryDir dir;
    const QString file = dir.filePath("slips.pdf");
    pages.printToPdf(file);

    // Printing leaves the recorded pages as they were.
    for (int page = 1; page <= pages.pageCount(); ++page) {
        const std::vector<PageText> now = pages.texts(page);
        ASSERT_EQ(now.size(), recorded[std::size_t(page - 1)].size()) << "page " << page;
        for (std::size_t index = 0; index < now.size(); ++index) {
            EXPECT_EQ(now[index].text, recorded[std::size_t(page - 1)][index].text);
            EXPECT_EQ(now[index].rect, recorded[std::size_t(page - 1)][index].rect);
        }
    }
    // Page by page, the printed file holds those texts and the captions,
    // with the ideographs the form says (not radicals of the same glyph).
    const QStringList printed = pdfPages(file);
    ASSERT_EQ(printed.size(), pages.pageCount());
    for (int page = 1; page <= pages.pageCount(); ++page) {
        const QString &text = printed[page - 1];
        for (const PageText &field : recorded[std::size_t(page - 1)])
            ASSERT_TRUE(text.contains(field.text)) << "page " << page << " lacks " << field.text.toStdString();
        for (const char *caption : {"领料单别", "页次", "单据日期", "部门"})
            ASSERT_TRUE(text.contains(QString::fromUtf8(caption))) << "page " << page << " lacks " << caption;
    }

    // Every font is embedded as a subset.
    const QStringList fonts = kvtest::checkedToolOutput("pdffonts", {file}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString &font : fonts) {
        EXPECT_TRUE(font.contains(QRegularExpression("^[A-Z]{6}\\+"))) << font.toStdString();
        EXPECT_TRUE(font.contains(QRegularExpression("\\s+yes\\s+yes\\s+yes\\s+"))) << font.toStdString();
    }
    // A slip page is a few kilobytes once the form is shared.
    EXPECT_LT(QFile(file).size() / pages.pageCount(), 30 * 1024);
    EXPECT_EQ(entries(QDir(dir.path())), QStringList{"slips.pdf"}) << "no scratch files stay behind";
}

TEST(PdfPrintTest, TheFormIsOneXObjectPlacedOnEveryFormTwiceOnASheetOfHalfPages)
{
    for (const Report::TQRPageStyle style : {Report::qrFullPage, Report::qrHalfPage}) {
        LineReport slip(150, true, style);
        ASSERT_TRUE(slip.report->prepare());
        QTemporaryDir dir;
        const QString file = dir.filePath("slips.pdf");
        slip.pages().printToPdf(file);

        QPDF pdf;
        pdf.processFile(QFile::encodeName(file).constData());
        int forms = 0;
        for (QPDFObjectHandle &object : pdf.getAllObjects()) {
            if (object.isStream() && object.getDict().getKey("/Subtype").isNameAndEquals("/Form"))
                ++forms;
        }
        EXPECT_EQ(forms, 1) << "the form is embedded once";
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        ASSERT_EQ(int(pages.size()), slip.pages().pageCount());
        const int perSheet = style == Report::qrHalfPage ? 2 : 1;
        std::set<QPDFObjGen> placed;
        for (QPDFPageObjectHelper &page : pages) {
            const std::string content = pageContent(page);
            EXPECT_EQ(occurrences(content, "/KvForm1 Do"), perSheet) << content.substr(0, 200);
            placed.insert(page.getObjectHandle().getKey("/Resources").getKey("/XObject").getKey("/KvForm1").getObjGen());
        }
        EXPECT_EQ(placed.size(), 1u) << "every page refers to the same form";
        if (style == Report::qrHalfPage) {
            // The lower form sits half a sheet (421 points on A4) below the upper one.
            const QString content = QString::fromStdString(pageContent(pages.front()));
            static const QRegularExpression placement("1 0 0 1 ([-0-9.]+) ([-0-9.]+) cm /KvForm1 Do");
            std::vector<double> bottoms;
            for (auto it = placement.globalMatch(content); it.hasNext();)
                bottoms.push_back(it.next().captured(2).toDouble());
            ASSERT_EQ(bottoms.size(), 2u);
            EXPECT_NEAR(bottoms[0] - bottoms[1], 841.89 / 2, 0.5);
        }
    }
}

TEST(PdfPrintTest, PagesWithoutAFormComeOutWithTheirFieldsAndNoXObject)
{
    LineReport plain(40, false);
    ASSERT_TRUE(plain.report->prepare());
    QTemporaryDir dir;
    const QString file = dir.filePath("plain.pdf");
    plain.pages().printToPdf(file);
    const QStringList printed = pdfPages(file);
    ASSERT_EQ(printed.size(), plain.pages().pageCount());
    EXPECT_TRUE(printed.front().contains("MAT-100000"));
    EXPECT_FALSE(printed.front().contains(QStringLiteral("领料单别")));
    QPDF pdf;
    pdf.processFile(QFile::encodeName(file).constData());
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(pdf).getAllPages())
        EXPECT_EQ(pageContent(page).find("/KvForm"), std::string::npos);
}

TEST(PdfPrintTest, AStoppedOrFailedWriteLeavesNoFileNamedAsIfComplete)
{
    LineReport slip(200);
    ASSERT_TRUE(slip.report->prepare());
    ASSERT_GT(slip.pages().pageCount(), 3);
    QTemporaryDir dir;
    const QString file = dir.filePath("slips.pdf");

    PdfDocumentWriter writer(slip.pages());
    writer.setProgress([](int done, int) { return done < 3; });
    EXPECT_FALSE(writer.write(file));
    EXPECT_TRUE(entries(QDir(dir.path())).isEmpty()) << entries(QDir(dir.path())).join(' ').toStdString();

    // An earlier file of that name stays as it was when the write fails.
    {
        QFile earlier(file);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    writer.setProgress([](int done, int) -> bool {
        if (done == 2)
            throw ReportError("the disk is full");
        return true;
    });
    EXPECT_THROW(writer.write(file), ReportError);
    EXPECT_EQ(entries(QDir(dir.path())), QStringList{"slips.pdf"});
    QFile earlier(file);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier");

    // A complete write replaces it; a folder that does not exist is an error.
    writer.setProgress({});
    EXPECT_TRUE(writer.write(file, 2, 3));
    EXPECT_EQ(pdfPages(file).size(), 2);
    EXPECT_THROW(writer.write(dir.filePath("missing/slips.pdf")), ReportError);

    // A link is written through and stays a link; one into nowhere fails.
    QTemporaryDir elsewhere;
    const QString link = dir.filePath("linked.pdf");
    ASSERT_TRUE(QFile::link(elsewhere.filePath("real.pdf"), link));
    EXPECT_TRUE(writer.write(link, 1, 1));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(pdfPages(elsewhere.filePath("real.pdf")).size(), 1);
    const QString dangling = dir.filePath("dangling.pdf");
    ASSERT_TRUE(QFile::link(dir.filePath("gone/real.pdf"), dangling));
    EXPECT_THROW(writer.write(dangling), ReportError);
}

TEST(PdfFormPictureTest, PlainCaptionsBecomeTextAndWhatItCannotFollowStaysWithTheRenderer)
{
    const auto captions = [](const QByteArray &svg) {
        std::vector<QString> texts;
        const PdfFormPicture picture(PagePicture::fromData(svg));
        for (const PdfFormPicture::Caption &caption : picture.captions())
            texts.push_back(caption.text);
        return texts;
    };
    const PdfFormPicture form(PagePicture::fromData(captionForm()));
    ASSERT_EQ(form.captions().size(), 3u);
    const PdfFormPicture::Caption &middle = form.captions()[1];
    EXPECT_EQ(middle.text, QStringLiteral("页次"));
    EXPECT_EQ(middle.anchor, Qt::AlignHCenter);
    EXPECT_EQ(middle.size, 4);
    EXPECT_EQ(middle.colour, QColor("#1f3a5f"));
    EXPECT_EQ(middle.transform.map(middle.baseline), QPointF(105, 25));
    EXPECT_EQ(middle.font.families().front(), QStringLiteral("Noto Sans CJK SC"));

    const QByteArray head = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 100 100'>";
    // Nested spans, outlined text, style sheets and unknown attributes are
    // the renderer's; plain texts beside them are still taken.
    EXPECT_EQ(captions(head + "<text x='1' y='2' font-size='3'>a<tspan>b</tspan></text>"
                              "<text x='1' y='9' font-size='3'>c</text></svg>"),
              std::vector<QString>{"c"});
    EXPECT_TRUE(captions(head + "<g stroke='#000'><text x='1' y='2' font-size='3'>a</text></g></svg>").empty());
    EXPECT_TRUE(captions(head + "<style>text{fill:red}</style><text x='1' y='2' font-size='3'>a</text></svg>")
                    .empty());
    EXPECT_TRUE(captions(head + "<text x='1' y='2' font-size='3' opacity='0.5'>a</text></svg>").empty());
    EXPECT_TRUE(captions(head + "<text x='1 2' y='2' font-size='3'>a</text></svg>").empty());
    EXPECT_TRUE(captions(head + "<defs><text x='1' y='2' font-size='3'>a</text></defs></svg>").empty());
    EXPECT_TRUE(captions(head + "<text x='1' y='2'>no size</text></svg>").empty());
    EXPECT_EQ(captions(head + "<g transform='matrix(1 0 0 1 5 5) rotate(90)'><text x='1' y='2' font-size='3'> "
                              "two\n words </text></g></svg>"),
              std::vector<QString>{"two words"});
    EXPECT_TRUE(captions(head + "<g transform='skewX(10)'><text x='1' y='2' font-size='3'>a</text></g></svg>")
                    .empty());
    // A picture that is no SVG has no captions and still draws.
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    EXPECT_TRUE(PdfFormPicture(PagePicture::fromData(png)).captions().empty());
}

TEST(PdfUnicodeMapTest, RadicalsInCharacterMapsBecomeTheIdeographsOfTheirGlyphs)
{
    using pdf_unicode_map::ideographOf;
    using pdf_unicode_map::withIdeographs;
    EXPECT_EQ(ideographOf(0x2F47), u'日'); // Kangxi radical sun
    EXPECT_EQ(ideographOf(0x2EDA), u'页');
    EXPECT_EQ(ideographOf(u'页'), 0);

    const QByteArray map = "2 beginbfrange\n<0000> <0000> <0000>\n<0001> <0004> [<9886> <2F47> <2EDA> <0041>]\n"
                           "endbfrange\n1 beginbfchar\n<0005> <2ED4>\n<0006> <D840DC00>\nendbfchar\n";
    EXPECT_EQ(withIdeographs(map), "2 beginbfrange\n<0000> <0000> <0000>\n<0001> <0004> [<9886> <65E5> <9875> <0041>]\n"
                                   "endbfrange\n1 beginbfchar\n<0005> <95E8>\n<0006> <D840DC00>\nendbfchar\n");
    const QByteArray clean = "1 beginbfchar\n<0001> <9875>\nendbfchar\n";
    EXPECT_EQ(withIdeographs(clean), clean);
}
