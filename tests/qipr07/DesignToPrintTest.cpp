// Design mode as a clerk uses it, from the condition window to the printed
// slip: "设计凭证", the item code field moved 10 mm to the right with the
// arrow keys, a label from the label tool and a barcode of the item code
// from the field list dropped onto the line band, saved as format style "A".
// Every later print with style "A" shows the change, the barcode decodes
// back from the printed page; a print without the style is the built-in slip.
#include "Qipr07TestSupport.h"

#include "base/KvBitBtn.h"
#include "platform/designer/DesignDrag.h"
#include "platform/designer/DreamDesigner.h"
#include "platform/report/PageStore.h"
#include "platform/report/ReportPrintable.h"
#include "platform/report/ReportUnits.h"
#include "platform/report/TQRBand.h"
#include "report/layout/VRFormat.h"
#include "report/layout/VRPreviewer.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>

namespace {

using kv::Variant;

// The texts of the pages of the last preview, with their places.
class KeptPages : public kv::VRPreviewer {
public:
    void ShowPreview(const kv::PreviewRequest &request) override
    {
        texts.clear();
        for (int page = 1; request.pages && page <= request.pages->pageCount(); ++page)
            for (kv::PageText &text : request.pages->texts(page))
                texts.push_back(std::move(text));
    }
    // The first text a component printed; none when it printed nothing.
    std::optional<kv::PageText> first(const QString &component) const
    {
        for (const kv::PageText &text : texts)
            if (text.component == component)
                return text;
        return std::nullopt;
    }
    std::vector<kv::PageText> texts;
};

class DesignToPrintTest : public qipr07test::ReportWindowTest {
protected:
    void SetUp() override
    {
        ReportWindowTest::SetUp();
        kv::VRPreviewer::setCurrent(pages);
        openWindow();
    }
    void TearDown() override
    {
        ReportWindowTest::TearDown();
        kv::VRPreviewer::setCurrent(nullptr);
        ::unsetenv("QIPR07_PRINT_PDF");
    }

    void chooseSlip(const std::string &number)
    {
        typeSlipType("5402");
        window->splTC002->setUserChoice(true);
        window->splTC002->edBegin()->setText_(QString::fromStdString(number));
        window->splTC002->edFinal()->setText_(QString::fromStdString(number));
        window->cboTC010->setCurrentIndex(2);
    }
    void chooseStyle(const QString &style)
    {
        window->ReloadStyles();
        const int index = window->cboFormStyleName->findText(style);
        ASSERT_GE(index, 0) << style.toStdString();
        window->cboFormStyleName->setCurrentIndex(index);
    }
    static void press(kv::TDreamDesigner &designer, Qt::Key key, int times)
    {
        for (int i = 0; i < times; ++i) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            designer.handleKey(event);
        }
    }
    static std::unique_ptr<QMimeData> drag(const QString &source, const QStringList &values)
    {
        auto data = std::make_unique<QMimeData>();
        kv::DesignDrag::encode(*data, {source, values});
        return data;
    }

    std::shared_ptr<KeptPages> pages = std::make_shared<KeptPages>();
};

TEST_F(DesignToPrintTest, AStyleSavedInDesignModeShowsInEveryLaterPrintAndTheBarcodeReadsBack)
{
    const std::string number = std::string(company->database
                                               ->query("SELECT MIN(TC002) FROM " + company->table("MOCTC") +
                                                       " WHERE TC001 = '5402' AND TC009 = 'Y'")
                                               .text(0, 0));
    // The built-in slip: where the item code prints.
    chooseSlip(number);
    kvtest::click(window->btnPreview);
    const std::optional<kv::PageText> builtIn = pages->first("txtTE004");
    ASSERT_TRUE(builtIn) << window->ErrorTexts;
    const QString itemCode = builtIn->text;

    // Design mode from the condition window.
    ASSERT_TRUE(window->btnDesign->isEnabled());
    kvtest::click(window->btnDesign);
    kv::TfrmVRFormat *layout = window->DesignLayout.data();
    ASSERT_TRUE(layout);
    ASSERT_TRUE(layout->isDesignActive());
    kv::TDreamDesigner &designer = *layout->DreamDesigner1;
    auto *field = layout->findChild<kv::ReportPrintable *>(QStringLiteral("txtTE004"));
    ASSERT_TRUE(field);
    const int pixels = qRound(100 / kv::report_units::tenthsPerPixel(layout->QuickRep1->zoom()));
    const int before = field->left();
    designer.select(field);
    press(designer, Qt::Key_Right, pixels);
    EXPECT_EQ(field->left(), before + pixels);

    // A label from the label tool, a barcode of the item code from the
    // field list (the relation the wizard writes for the item master).
    // Both go into the work-order column, which this slip leaves empty:
    // the label under it, the barcode over its first two rows, shrunk with
    // Shift+Up from its default height to fit them.
    kv::TQRBand *band = field->band();
    auto *workOrder = layout->findChild<kv::ReportPrintable *>(QStringLiteral("txtTE011"));
    ASSERT_TRUE(workOrder);
    designer.dragDrop(band, QPoint(workOrder->left(), 45), *drag(QStringLiteral("tbLabel"), {}));
    const int items = layout->SQLReBuilder->AddTable("$$INVMB", "TE004 = RT1.MB001");
    const int code = layout->SQLReBuilder->AddField(items, "MB001", "品号条码", 1);
    // Ten pixels in from the column line: a barcode needs its quiet zone.
    designer.dragDrop(band, QPoint(workOrder->left() + 10, 3),
                      *drag(QStringLiteral("lvExtending"), {"品号条码", "MB001", "品号条码", QString::number(items),
                                                            QString::number(code)}));
    ASSERT_FALSE(layout->UserComponents.isEmpty());
    auto *barcode = layout->findChild<kv::ReportPrintable *>(layout->UserComponents.last());
    ASSERT_TRUE(barcode && barcode->objectName().startsWith("ExBc")) << layout->UserComponents.join(' ').toStdString();
    designer.select(barcode);
    for (int height = barcode->height(); height > 38; --height) {
        QKeyEvent shrink(QEvent::KeyPress, Qt::Key_Up, Qt::ShiftModifier);
        designer.handleKey(shrink);
    }
    EXPECT_EQ(barcode->height(), 38);
    ASSERT_EQ(layout->UserComponents.size(), 2) << layout->UserComponents.join(' ').toStdString();

    // Saved as "A", and the designer switched off without saving again.
    prompter->answerInput(true, "A");
    prompter->answerMessage(kv::mrOk);
    layout->nuSaveAsClick();
    EXPECT_EQ(layout->LayoutName, "A");
    prompter->answerMessage(kv::mrNo);
    designer.setActive(false);
    settle();
    EXPECT_FALSE(window->DesignLayout);
    EXPECT_TRUE(window->isEnabled());

    // Printed with "A": the moved field, the label and the barcode.
    chooseStyle(QStringLiteral("A"));
    kvtest::click(window->btnPreview);
    const std::optional<kv::PageText> moved = pages->first("txtTE004");
    ASSERT_TRUE(moved) << window->ErrorTexts;
    EXPECT_NEAR(moved->rect.left() - builtIn->rect.left(), 100, 2) << "10 mm in tenths of a millimetre";
    bool label = false, barcodeText = false;
    for (const kv::PageText &text : pages->texts) {
        label = label || (text.component.startsWith("ExLbl") && text.text == QStringLiteral("新建标签"));
        barcodeText = barcodeText || (text.component.startsWith("ExBc") && text.text == itemCode);
    }
    EXPECT_TRUE(label);
    EXPECT_TRUE(barcodeText) << "no barcode of " << itemCode.toStdString();

    // The printed page read back: the barcode decodes to the item code.
    if (QStandardPaths::findExecutable("zbarimg").isEmpty() || QStandardPaths::findExecutable("pdftoppm").isEmpty()) {
        ADD_FAILURE() << "zbarimg (zbar-tools) and pdftoppm (poppler-utils) are needed; run scripts/setup";
    } else {
        const QString pdf = QString::fromStdString(shell.root()) + "styled.pdf";
        ::setenv("QIPR07_PRINT_PDF", pdf.toUtf8().constData(), 1);
        window->RunReport(false);
        QProcess render;
        // Narrow bars of a module each need a few dots to be read back.
        render.start("pdftoppm", {"-r", "400", "-png", "-f", "1", "-l", "1", pdf,
                                  QString::fromStdString(shell.root()) + "styled"});
        ASSERT_TRUE(render.waitForFinished(60000));
        const QStringList pictures = QDir(QString::fromStdString(shell.root())).entryList({"styled*.png"});
        ASSERT_FALSE(pictures.isEmpty());
        QProcess scan;
        scan.start("zbarimg", {"--quiet", "--raw", QString::fromStdString(shell.root()) + pictures.front()});
        ASSERT_TRUE(scan.waitForFinished(60000));
        const QString read = QString::fromUtf8(scan.readAllStandardOutput());
        EXPECT_TRUE(read.split('\n').contains(itemCode))
            << "wanted " << itemCode.toStdString() << " in " << pictures.join(' ').toStdString() << "; read:\n"
            << read.toStdString() << scan.readAllStandardError().toStdString();
    }

    // Without the style: the built-in slip again.
    chooseStyle(QStringLiteral("<New>"));
    kvtest::click(window->btnPreview);
    ASSERT_TRUE(pages->first("txtTE004"));
    EXPECT_EQ(pages->first("txtTE004")->rect, builtIn->rect);
    for (const kv::PageText &text : pages->texts)
        EXPECT_FALSE(text.component.startsWith("Ex")) << text.component.toStdString();
}

} // namespace
