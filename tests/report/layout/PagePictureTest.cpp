// Page pictures of the layout window: the files PagePicture writes are read
// back by ImageMagick (type and size) and by Qt (where the page landed);
// ConvertPages numbers its files, stops when cancelled and ends its files
// before a picture that cannot be written.

#include "platform/report/PageSetup.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRConvPic.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <utility>

#include <gtest/gtest.h>

namespace {

std::string runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.exitCode() == 0 ? process.readAllStandardOutput().trimmed().toStdString() : "failed";
}

std::string identify(const std::string &path)
{
    return runTool(QStringLiteral("identify"),
                   {QStringLiteral("-format"), QStringLiteral("%m %w %h"), QString::fromStdString(path)});
}

bool isBlack(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 60;
}

class PagePictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        layout = kv::TKVForm::Create<kv::TfrmVRBaseFmt>();
        kv::PageSetup *page = layout->QuickRep1->page();
        page->setPaperSize(kv::PageSetup::Letter); // 2159 x 2794: 816 x 1056 pixels at 96 dpi
        page->setLeftMargin(254);                  // one inch: 96 pixels
        page->setTopMargin(127);                   // half an inch: 48 pixels
    }
    void TearDown() override { layout->Free(); }

    // Sheets with a black square at the corner of the margins on each form,
    // 10 mm large, moved right by 10 mm for every further form.
    void fillPages(int sheets, int formsPerSheet)
    {
        kv::PageStore *store = layout->QuickRep1->pages();
        const QSizeF sheet(2159, 2794);
        store->reset(sheet, true, formsPerSheet);
        const int style = store->shapeStyle(QPen(Qt::NoPen), QBrush(Qt::black));
        const double formHeight = sheet.height() / formsPerSheet;
        int form = 1;
        for (int s = 0; s < sheets; ++s) {
            store->beginPage(form);
            for (int f = 0; f < formsPerSheet; ++f, ++form)
                store->addShape(kv::PageStore::ShapeKind::Rectangle, f,
                                QRectF(254 + 100 * (form - 1), 127 + f * formHeight, 100, 100), style);
            store->endPage(formsPerSheet);
        }
        store->finish(false);
        layout->PageCount = sheets * formsPerSheet;
    }

    std::string base(const char *name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }

    QTemporaryDir dir;
    kv::TfrmVRBaseFmt *layout = nullptr;
};

TEST_F(PagePictureTest, EveryTypeIsReadBackWithItsSize)
{
    fillPages(1, 1);
    const char *suffixes[] = {".bmp", ".jpg", ".gif", ".pdf"};
    for (int type = 0; type < 4; ++type) {
        std::string name = base("page");
        ASSERT_TRUE(layout->PagePicture(name, type, 1)) << type;
        EXPECT_EQ(name, base("page") + suffixes[type]);
    }
    EXPECT_EQ(identify(base("page.bmp")), "BMP3 816 1056");
    EXPECT_EQ(identify(base("page.jpg")), "JPEG 816 1056");
    EXPECT_EQ(identify(base("page.gif")), "GIF 816 1056");
    const QString pdf = QString::fromStdString(base("page.pdf"));
    EXPECT_NE(runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}), "failed");
    EXPECT_NE(runTool(QStringLiteral("pdfinfo"), {pdf}).find("816 x 1056 pts"), std::string::npos);

    // The BMP keeps the layout's 16-bit colour bitmap.
    QFile bmp(QString::fromStdString(base("page.bmp")));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    const QByteArray header = bmp.read(54);
    EXPECT_EQ(qFromLittleEndian<quint16>(header.constData() + 28), 16);
    EXPECT_EQ(bmp.size(), 54 + 816 * 2 * 1056);

    // The GIF keeps the exact black of the square.
    const QImage gif(QString::fromStdString(base("page.gif")));
    EXPECT_EQ(gif.pixel(100, 50), qRgb(0, 0, 0));
    EXPECT_EQ(gif.pixel(10, 10), qRgb(255, 255, 255));
}

TEST_F(PagePictureTest, MarginsAreKeptOrCut)
{
    fillPages(1, 1);
    std::string kept = base("kept");
    ASSERT_TRUE(layout->PagePicture(kept, 0, 1));
    QImage image(QString::fromStdString(kept));
    ASSERT_EQ(image.size(), QSize(816, 1056));
    EXPECT_TRUE(isBlack(image, 100, 52));
    EXPECT_FALSE(isBlack(image, 90, 52));

    layout->KeepLeftMargin = false;
    layout->KeepTopMargin = false;
    std::string cut = base("cut");
    ASSERT_TRUE(layout->PagePicture(cut, 0, 1));
    image.load(QString::fromStdString(cut));
    ASSERT_EQ(image.size(), QSize(816, 1056));
    EXPECT_TRUE(isBlack(image, 4, 4));
    EXPECT_FALSE(isBlack(image, 45, 4));
}

TEST_F(PagePictureTest, HalfPagesGiveUpperAndLowerHalves)
{
    layout->QuickRep1->setPageStyle(kv::Report::qrHalfPage);
    layout->KeepTopMargin = false;
    fillPages(2, 2); // forms 1-4 on two sheets
    std::vector<QImage> pictures;
    for (int page = 1; page <= 4; ++page) {
        std::string name = base("half") + std::to_string(page);
        ASSERT_TRUE(layout->PagePicture(name, 0, page));
        pictures.emplace_back(QString::fromStdString(name));
    }
    // Upper halves lose the cut top margin; lower halves start at the middle.
    EXPECT_EQ(pictures[0].size(), QSize(816, 528 - 48));
    EXPECT_EQ(pictures[1].size(), QSize(816, 528));
    EXPECT_EQ(pictures[2].size(), QSize(816, 528 - 48));
    for (int form = 1; form <= 4; ++form) {
        const QImage &picture = pictures[std::size_t(form - 1)];
        const int top = form % 2 == 1 ? 4 : 52;
        const int squareLeft = 96 + 38 * (form - 1);
        EXPECT_TRUE(isBlack(picture, squareLeft + 10, top)) << "form " << form;
        EXPECT_FALSE(isBlack(picture, squareLeft + 50, top)) << "form " << form;
    }
}

TEST_F(PagePictureTest, BadRequestsFailWithoutFiles)
{
    fillPages(1, 1);
    std::string tooLong = dir.path().toStdString() + "/" + std::string(250, 'x');
    EXPECT_FALSE(layout->PagePicture(tooLong, 1, 1));
    std::string noFolder = base("missing/page");
    EXPECT_FALSE(layout->PagePicture(noFolder, 0, 1));
    EXPECT_FALSE(layout->PagePicture(noFolder, 3, 1));
    EXPECT_FALSE(layout->PagePicture(noFolder, 2, 1));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    // A page the store does not have is a blank picture.
    std::string blank = base("blank");
    ASSERT_TRUE(layout->PagePicture(blank, 0, 7));
    EXPECT_FALSE(isBlack(QImage(QString::fromStdString(blank)), 100, 52));
}

TEST_F(PagePictureTest, ConvertPagesNumbersFilesAndStopsOnCancel)
{
    fillPages(10, 1);
    ASSERT_TRUE(layout->ConvertPages(base("slip"), 2));
    QStringList files = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 10);
    EXPECT_EQ(files.front(), QStringLiteral("slip01.gif"));
    EXPECT_EQ(files.back(), QStringLiteral("slip10.gif"));
    EXPECT_TRUE(layout->isEnabled());

    // Cancel from the progress window while the first page is converted.
    QTimer::singleShot(0, [this] {
        if (auto *progress = layout->findChild<kv::TfrmVRConvPic *>())
            progress->btnCancel->click();
    });
    EXPECT_FALSE(layout->ConvertPages(base("cancelled"), 0));
    files = QDir(dir.path()).entryList({QStringLiteral("cancelled*")}, QDir::Files);
    EXPECT_EQ(files, QStringList{QStringLiteral("cancelled01.bmp")});
    EXPECT_TRUE(layout->isEnabled());
    EXPECT_EQ(layout->findChild<kv::TfrmVRConvPic *>(), nullptr);
}

TEST_F(PagePictureTest, ConvertPagesEndsBeforeAPictureThatCannotBeWritten)
{
    fillPages(6, 1);
    // A folder in the way of the third picture, for the module's PDF writer
    // and for the picture library.
    for (const auto &[type, extension] : {std::pair{3, "pdf"}, std::pair{1, "jpg"}}) {
        const QString prefix = QStringLiteral("slip") + extension;
        ASSERT_TRUE(QDir(dir.path()).mkdir(prefix + "3." + extension));
        EXPECT_FALSE(layout->ConvertPages(base(qPrintable(prefix)), type)) << extension;
        const QStringList files = QDir(dir.path()).entryList({prefix + "*"}, QDir::Files, QDir::Name);
        EXPECT_EQ(files, QStringList({prefix + "1." + extension, prefix + "2." + extension})) << extension;
        EXPECT_TRUE(layout->isEnabled());
    }
}

} // namespace
