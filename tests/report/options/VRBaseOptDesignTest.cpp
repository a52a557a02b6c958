// Design mode from the condition window: the design button opens the
// chosen style's layout window, the condition window waits disabled until
// the designer is switched off, a style saved meanwhile joins the style
// list, and the window going away ends design mode without saving.
#include "VROptTestSupport.h"

#include "base/KvBitBtn.h"
#include "platform/layoutio/LayoutText.h"

#include <gmock/gmock.h>

namespace {

using opttest::OptTest;
using kv::Variant;
using testing::HasSubstr;

// The test layout, able to make its built-in layout again (so that its
// styles can be stored).
class DesignLayout : public opttest::FixedSlipLayout {
    Q_OBJECT
public:
    explicit DesignLayout(QWidget *owner = nullptr) : FixedSlipLayout(owner) {}
    kv::TfrmVRBaseFmt *createPristine(QWidget *owner) const override
    {
        return kv::TKVForm::Create<DesignLayout>(owner);
    }
};

class VRBaseOptDesignTest : public OptTest {
protected:
    void open()
    {
        openWindow();
        window->SetLayoutClass(kv::LayoutClass::of<DesignLayout>(opttest::kLayoutClass));
    }
    kv::TfrmVRFormat *design()
    {
        window->btnDesignClick();
        // Read by the designer's start; asked again so that these tests
        // do not depend on it.
        if (window->DesignLayout)
            window->DesignLayout->ReadMaxNameLength();
        return window->DesignLayout.data();
    }
};

TEST_F(VRBaseOptDesignTest, TheDesignWindowShowsTheChosenStyleAndANewStyleJoinsTheList)
{
    open();
    kv::TfrmVRFormat *layout = design();
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->LayoutName, "<New>");
    EXPECT_EQ(layout->LayoutClassName(), opttest::kLayoutClass);
    EXPECT_FALSE(window->isEnabled());
    EXPECT_TRUE(layout->isEnabled()) << "the design window must take the user's input";
    EXPECT_TRUE(layout->isDesignActive());
    window->btnDesignClick();
    EXPECT_EQ(window->DesignLayout.data(), layout) << "one design window at a time";

    // A save given up keeps the designer and its window for the user.
    prompter->answerMessage(kv::mrYes);
    prompter->answerInput(false);
    EXPECT_FALSE(layout->DreamDesigner1SaveChanges());
    EXPECT_TRUE(layout->isVisible());

    // Saved as a new style.
    auto *label = new kv::TQRLabel(layout->QRDetailBand);
    label->setObjectName(QStringLiteral("ExLbl1"));
    layout->UserComponents << QStringLiteral("ExLbl1");
    prompter->answerMessage(kv::mrYes);
    prompter->answerInput(true, "设计一");
    ASSERT_TRUE(layout->DreamDesigner1SaveChanges());
    EXPECT_TRUE(styleList().contains("设计一"));
    EXPECT_EQ(styleText(), "设计一");

    // Switching the designer off gives the condition window back.
    layout->OnDesignEnded();
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(window->DesignLayout);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(styleText(), "设计一");
    EXPECT_TRUE(prompter->allAnswered()) << testing::PrintToString(prompter->misses());

    // The next design window and every run's window load the style.
    kv::TfrmVRFormat *again = design();
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->findChild<kv::TQRLabel *>(QStringLiteral("ExLbl1")));
    EXPECT_TRUE(again->UserComponents.contains(QStringLiteral("ExLbl1")));
    kv::TfrmVRFormat *run = nullptr;
    ASSERT_EQ(window->CreateLayout(Variant("SELECT 1"), run), 1);
    EXPECT_TRUE(run->findChild<kv::TQRLabel *>(QStringLiteral("ExLbl1")));
    run->Free();
}

TEST_F(VRBaseOptDesignTest, ClosingTheConditionWindowEndsDesignWithoutAskingToSave)
{
    open();
    QPointer<kv::TfrmVRFormat> layout = design();
    ASSERT_TRUE(layout);
    layout->QRDetailBand->setHeight(77);
    window->Free();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(layout);
    EXPECT_TRUE(prompter->questions().empty());
    EXPECT_TRUE(company->database->query("SELECT NT002 FROM " + table("WARRANT")).rowCount() == 0);
}

TEST_F(VRBaseOptDesignTest, StoringALayoutTextByNameIsTheDesignersSave)
{
    open();
    QTemporaryDir dir;
    kv::TfrmVRFormat *layout = nullptr;
    ASSERT_EQ(window->CreateLayout(Variant("SELECT 1"), layout), 1);
    layout->QRDetailBand->setHeight(55);
    const std::string text = kv::LayoutText::Write(*layout);
    layout->Free();
    const QString file = dir.filePath("layout.txt");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(text));
    }
    window->chkPrint->setChecked(true);
    EXPECT_EQ(window->StoreLayoutText(QStringLiteral("文本"), file), QString());
    const kv::ResultTable rows = company->database->query("SELECT NT004, NT005 FROM " + table("WARRANT") +
                                                          " WHERE NT002 = '文本'");
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_THAT(std::string(rows.text(0, 0)), HasSubstr("Height = 55"));
    // Replacing asks nothing of anybody.
    EXPECT_EQ(window->StoreLayoutText(QStringLiteral("文本"), file), QString());
    EXPECT_THAT(window->StoreLayoutText(QStringLiteral("<new>"), file).toStdString(), HasSubstr("no name"));
    EXPECT_THAT(window->StoreLayoutText(QStringLiteral("文本"), dir.filePath("none.txt")).toStdString(),
                HasSubstr("cannot be read"));
    EXPECT_TRUE(prompter->questions().empty());
}

} // namespace

#include "VRBaseOptDesignTest.moc"
