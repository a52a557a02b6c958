// Every window of the report as a clerk reads it: the condition window with
// each of its pages (and the states that change what they show), the
// preview with a generated page, the progress and picture windows, the
// e-mail subject and module-properties dialogs. Each caption fits its
// control and nothing lies over it; the glyph buttons show one picture each
// and the print buttons the plain printer. CTest runs this program again
// with QT_SCALE_FACTOR 1.25 and 1.5.
//
// With QIPR07_SHOTS_DIR set, a picture of every window walked is written
// there (name-page@scale.png), to look at what was checked.
#include "CaptionCheck.h"
#include "Qipr07TestSupport.h"

#include "base/BaseGlyphs.h"
#include "base/GeneCondition.h"
#include "base/KvBitBtn.h"
#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "base/ModulePropertiesDialog.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "controls/KvRadioGroup.h"
#include "report/layout/PageProgressWindow.h"
#include "report/layout/VRConvPic.h"
#include "report/layout/VRPreview.h"
#include "report/layout/VRPreviewer.h"
#include "report/options/EmailSubject.h"

#include <QComboBox>
#include <QDir>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>

namespace {

using qipr07test::ReportWindowTest;

QString scaleText()
{
    const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
    return scale.isEmpty() ? QStringLiteral("1") : QString::fromLatin1(scale);
}

// Lays the window out, walks it and reports each fault as a test failure.
void expectReadable(QWidget *window, const QString &name)
{
    QApplication::processEvents();
    if (const QByteArray shots = qgetenv("QIPR07_SHOTS_DIR"); !shots.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(shots));
        window->grab().save(QString::fromLocal8Bit(shots) + QLatin1Char('/') + name + QLatin1Char('@') +
                            scaleText() + QStringLiteral(".png"));
    }
    for (const std::string &fault : captioncheck::CaptionCheck(window, name).faults())
        ADD_FAILURE() << fault;
}

QImage firstImage(const QIcon &icon, const QSize &size)
{
    return icon.pixmap(size, 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Shows the real preview window on the pages of a run, walks it and the
// progress window of the same report, then closes both.
class WalkingPreviewer : public kv::VRPreviewer {
public:
    void ShowPreview(const kv::PreviewRequest &request) override
    {
        ++runs;
        QPointer<kv::TfrmVRPreview> preview = kv::TKVForm::Create<kv::TfrmVRPreview>(request.layout);
        preview->SetRequest(request);
        preview->SetZoom(request.zoom);
        preview->GoToPage(request.firstPage);
        kvtest::showActive(preview);
        expectReadable(preview, QStringLiteral("frmVRPreview"));
        printPicture = firstImage(preview->btnPrint->icon(), preview->btnPrint->iconSize());

        // The progress window of a long run, on a report of its own.
        kv::Report report;
        kv::PageProgressWindow progress(report);
        emit report.pages()->pageAvailable(99999);
        progress.show();
        expectReadable(&progress, QStringLiteral("ProgressForm"));
        progress.close();
        if (preview)
            preview->Free();
    }

    int runs = 0;
    QImage printPicture;
};

class CaptionFitTest : public ReportWindowTest {
protected:
    void SetUp() override
    {
        ReportWindowTest::SetUp();
        openWindow();
        kv::VRPreviewer::setCurrent(previewer);
    }
    void TearDown() override
    {
        kv::VRPreviewer::setCurrent(nullptr);
        ReportWindowTest::TearDown();
    }

    void showPage(kv::TKvTabSheet *page)
    {
        window->pgOption->setActivePage(page);
        QApplication::processEvents();
    }

    std::shared_ptr<WalkingPreviewer> previewer = std::make_shared<WalkingPreviewer>();
};

TEST_F(CaptionFitTest, EveryPageOfTheConditionWindowIsReadable)
{
    // A slip type with footer and sign-off lines, so the system page shows
    // them as loaded.
    typeSlipType("5401");
    for (int index = 0; index < window->pgOption->count(); ++index) {
        kv::TKvTabSheet *page = window->pgOption->page(index);
        showPage(page);
        expectReadable(window, QStringLiteral("frmQipr07-") + page->objectName());
    }

    // The slip-number panel as a list, the send page with fax/e-mail chosen.
    showPage(window->tsOption1);
    kvtest::click(window->splTC002->findChild<kv::TBitCheckBox *>());
    expectReadable(window, QStringLiteral("frmQipr07-tsOption1-list"));
    showPage(window->tsFEP);
    kvtest::click(window->rgSendType->button(1));
    expectReadable(window, QStringLiteral("frmQipr07-tsFEP-sending"));
}

TEST_F(CaptionFitTest, PreviewAndProgressWindowsAreReadable)
{
    typeSlipType("5401");
    kvtest::click(window->btnPreview);
    ASSERT_EQ(1, previewer->runs) << window->ErrorTexts;
}

TEST_F(CaptionFitTest, SmallDialogsAreReadable)
{
    kv::TfrmEmailSubject subject(window);
    subject.SetSubject(QStringLiteral("领料单 5401-20261207001"));
    subject.show();
    expectReadable(&subject, QStringLiteral("frmEmailSubject"));
    subject.close();

    kv::TfrmVRConvPic pictures(window);
    pictures.setRange(1, 9999);
    pictures.showProgress(9999, 9999);
    pictures.show();
    expectReadable(&pictures, QStringLiteral("frmVRConvPic"));
    pictures.close();

    kv::TModulePropertiesDialog properties(window->ModuleFileName, window->VersionStamp, window);
    properties.show();
    expectReadable(&properties, QStringLiteral("ModuleProperties"));
    properties.close();

    // The set dialog offers both date ranges of the slip (not the print
    // date), each with its range editor, the single-date editor and both
    // looked at.
    auto *sets = kv::TKVForm::Create<kv::TfrmGeneCondition>(window, "splTC003,splTC014,edPrintDate", 1);
    EXPECT_EQ(sets->cbodatecondition->count(), 2);
    EXPECT_EQ(sets->cbodatecondition->itemText(0), "选择领料日期");
    EXPECT_EQ(sets->cbodatecondition->itemText(1), "选择单据日期");
    sets->show();
    expectReadable(sets, QStringLiteral("frmGeneCondition-range"));
    sets->Free();
    sets = kv::TKVForm::Create<kv::TfrmGeneCondition>(window, "edPrintDate,splTC003", 1);
    sets->show();
    expectReadable(sets, QStringLiteral("frmGeneCondition-date"));
    sets->Free();
}

// A glyph strip holds the enabled and the disabled picture side by side;
// a button shows one of them, never the strip.
TEST_F(CaptionFitTest, GlyphButtonsShowOnePictureAndPrintingThePlainPrinter)
{
    for (kv::TKvBitBtn *button : window->findChildren<kv::TKvBitBtn *>()) {
        if (button->glyph().isNull())
            continue;
        const int shown = button->glyph().width() / button->numGlyphs();
        EXPECT_EQ(button->glyph().height(), shown) << button->objectName().toStdString() << " shows "
                                                   << button->glyph().width() / button->glyph().height()
                                                   << " pictures";
        EXPECT_EQ(button->glyph().height(), button->iconSize().width()) << button->objectName().toStdString();
    }

    const QImage printer = kv::BaseGlyphs::draw(kv::BaseGlyphs::Print, 16).toImage().convertToFormat(
        QImage::Format_ARGB32);
    EXPECT_EQ(printer, firstImage(window->btnOk->icon(), window->btnOk->iconSize()))
        << "the print button shows another picture than the printer";
    typeSlipType("5401");
    kvtest::click(window->btnPreview);
    ASSERT_EQ(1, previewer->runs) << window->ErrorTexts;
    EXPECT_EQ(printer, previewer->printPicture) << "the preview's print button shows another picture";
}

} // namespace
