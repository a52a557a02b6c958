// Design mode of the layout window: the designer's menu (items, captions,
// short cuts, what is hidden), the delete rule for user-created fields, the
// designer's settings and rights, and starting and ending design mode.

#include "LayoutTestSupport.h"

#include "platform/designer/DesignSurface.h"
#include "platform/designer/DreamDesigner.h"
#include "platform/designer/PropertyInspector.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "report/layout/ExtensionToolWindow.h"

#include "platform/designer/DesignDrag.h"

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QMenu>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>

using namespace layouttest;

namespace {

class DesignModeTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        layout = kv::TKVForm::Create<TestSlipLayout>(owner.data());
        designer = layout->DreamDesigner1;
        userText = field<kv::TKVQRDBText>("ExTxtTE0041", QRect(200, 0, 100, 9));
        userBarcode = field<kv::TKvQRDBBarcode>("ExBcTE0042", QRect(320, 0, 100, 9));
        userLabel = field<kv::TQRLabel>("ExLbl3", QRect(440, 0, 100, 9));
        layout->UserComponents << QStringLiteral("ExTxtTE0041") << QStringLiteral("ExBcTE0042")
                               << QStringLiteral("ExLbl3");
    }

    template <class T>
    T *field(const char *name, QRect rect)
    {
        auto *component = new T(layout->QRDetailBand);
        component->setObjectName(QLatin1String(name));
        kv::design::setItemRect(*component, rect);
        return component;
    }

    QAction *item(const char *name) const
    {
        return layout->PopupMenu1->findChild<QAction *>(QLatin1String(name));
    }

    // What the menu offers when it opens on the current selection.
    bool deleteOffered()
    {
        emit layout->PopupMenu1->aboutToShow();
        return item("miDel")->isEnabled();
    }

    kv::TDreamDesigner *designer = nullptr;
    kv::TKVQRDBText *userText = nullptr;
    kv::TKvQRDBBarcode *userBarcode = nullptr;
    kv::TQRLabel *userLabel = nullptr;
};

} // namespace

TEST_F(DesignModeTest, MenuHasEveryItemWithItsCaptionAndShortCut)
{
    struct Expected {
        const char *name;
        const char *caption;
        QKeySequence shortCut;
        bool visible;
    };
    const std::vector<Expected> expected{
        {"ShowObjectInsp1", "显示元件检示器", {}, true},
        {"mnuDOCtoEMF", "Word doc转emf图档", {}, true},
        {"N1", "-", {}, true},
        {"nuAlignToGrid", "对齐格线", {}, true},
        {"nuBringToFront", "提至上一层", {}, true},
        {"nuSendToBack", "移至下一层", {}, true},
        {"N5", "-", {}, true},
        {"nuAlignSelected", "元件对齐", {}, true},
        {"nuSize", "大小", {}, true},
        {"sss1", "缩放", {}, true},
        {"miDel", "删除(&Del)", {}, true},
        {"N2", "-", {}, true},
        {"nuSave", "保存格式(&S)", QKeySequence(Qt::CTRL | Qt::Key_S), true},
        {"nuSaveAs", "另存格式(&N)", QKeySequence(Qt::CTRL | Qt::Key_N), true},
        {"nuSaveLoc", "保存本地", {}, false},
        {"nuLoadLoc", "加载本地", {}, false},
    };
    const QList<QAction *> actions = layout->PopupMenu1->actions();
    ASSERT_EQ(actions.size(), int(expected.size()));
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const QAction *action = actions[int(index)];
        SCOPED_TRACE(expected[index].name);
        EXPECT_EQ(action->objectName(), QLatin1String(expected[index].name));
        EXPECT_EQ(action->text(), QString::fromUtf8(expected[index].caption));
        EXPECT_EQ(action->shortcut(), expected[index].shortCut);
        EXPECT_EQ(action->isVisible(), expected[index].visible);
        EXPECT_EQ(action->isSeparator(), expected[index].caption == std::string("-"));
    }
    EXPECT_FALSE(item("miDel")->isEnabled());
    // The menu is the designer's: it opens on the design view only.
    EXPECT_EQ(designer->popupMenu(), layout->PopupMenu1);
    EXPECT_EQ(layout->contextMenuPolicy(), Qt::DefaultContextMenu);
}

TEST_F(DesignModeTest, DesignerHasTheLayoutSettingsAndMayInsert)
{
    ASSERT_NE(designer, nullptr);
    EXPECT_EQ(designer->objectName(), QStringLiteral("DreamDesigner1"));
    EXPECT_EQ(designer->report(), layout->QuickRep1);
    using kv::DesignAction;
    EXPECT_EQ(designer->allowedActions(), kv::DesignActions(DesignAction::Select) | DesignAction::Move |
                                              DesignAction::Resize | DesignAction::Show | DesignAction::Edit |
                                              DesignAction::Insert);
    EXPECT_EQ(designer->hotKey(), 16507);
    EXPECT_TRUE(designer->snapToGrid());
    EXPECT_TRUE(designer->storeChanges());
    EXPECT_TRUE(designer->showInspectorOnStart());
    EXPECT_FALSE(designer->inspector()->isEventsPageVisible());
    EXPECT_FALSE(designer->isActive());

    // The inspector of a user's component grants deleting; of a built-in one
    // it withdraws it.
    designer->select(userText);
    EXPECT_TRUE(designer->isAllowed(DesignAction::Delete));
    designer->select(layout->txtTE004);
    EXPECT_FALSE(designer->isAllowed(DesignAction::Delete));
    EXPECT_FALSE(designer->DeleteSelection());
    EXPECT_NE(layout->QRDetailBand->findChild<kv::TKVQRDBText *>(QStringLiteral("txtTE004")), nullptr);
}

TEST_F(DesignModeTest, DeleteIsOfferedOnlyForUserCreatedTextsAndBarcodes)
{
    EXPECT_FALSE(deleteOffered()); // nothing selected
    designer->select(userText);
    EXPECT_TRUE(deleteOffered());
    designer->select(userBarcode, true);
    EXPECT_TRUE(deleteOffered());
    designer->select(layout->txtTE004, true); // a built-in field among them
    EXPECT_FALSE(deleteOffered());
    designer->select(userLabel); // user-created, but a label
    EXPECT_FALSE(deleteOffered());
    designer->select(layout->QRDetailBand);
    EXPECT_FALSE(deleteOffered());

    QPointer<kv::TKVQRDBText> gone = userText;
    designer->select(userText);
    ASSERT_TRUE(deleteOffered()); // the menu opens, then the item is chosen
    item("miDel")->trigger();
    EXPECT_FALSE(gone);
    EXPECT_TRUE(designer->selection().isEmpty());
    EXPECT_FALSE(deleteOffered());
    EXPECT_FALSE(layout->UserComponents.contains(QStringLiteral("ExTxtTE0041")));

    // The menu and the designer's right agree: a name the list holds in
    // another spelling is neither offered nor deleted.
    layout->UserComponents.replaceInStrings(QStringLiteral("ExBcTE0042"), QStringLiteral("EXBCTE0042"));
    designer->select(userBarcode);
    EXPECT_FALSE(deleteOffered());
    EXPECT_FALSE(designer->DeleteSelection());
    EXPECT_EQ(userBarcode->parent(), layout->QRDetailBand);
}

TEST_F(DesignModeTest, ADropOnTheDesignViewCreatesAndSelectsTheComponent)
{
    layout->StartDesign(true);
    kv::DesignSurface *surface = designer->surface();
    QMimeData data;
    kv::DesignDrag::encode(data, {QStringLiteral("tbLabel"), {QStringLiteral("新建标签")}});
    const QPoint at = surface->bandRect(layout->QRDetailBand).topLeft() + QPoint(30, 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &drop);
    ASSERT_EQ(designer->selection().size(), 1);
    auto *created = qobject_cast<kv::TQRLabel *>(designer->selection().front());
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->band(), layout->QRDetailBand);
    EXPECT_EQ(kv::design::itemRect(*created).topLeft(), QPoint(30, 2));
    EXPECT_TRUE(layout->UserComponents.contains(created->objectName()));
    // A user's label may go through the designer's rights, but the menu
    // offers deleting only for fields.
    EXPECT_TRUE(designer->isAllowed(kv::DesignAction::Delete));
    EXPECT_FALSE(deleteOffered());
}

TEST_F(DesignModeTest, MenuCommandsWorkOnTheSelection)
{
    layout->StartDesign(true);
    userText->setLeft(203);
    designer->select(userText);
    item("nuAlignToGrid")->trigger();
    EXPECT_EQ(userText->left(), 204);

    designer->select(userBarcode);
    item("nuSendToBack")->trigger();
    EXPECT_EQ(layout->QRDetailBand->printables().front(), userBarcode);
    item("nuBringToFront")->trigger();
    EXPECT_EQ(layout->QRDetailBand->printables().back(), userBarcode);

    prompter->answerDialog([](QDialog &dialog) {
        dialog.findChild<QSpinBox *>(QStringLiteral("edScale"))->setValue(50);
        return int(QDialog::Accepted);
    });
    item("sss1")->trigger();
    EXPECT_EQ(userBarcode->width(), 50);

    designer->inspector()->hide();
    item("ShowObjectInsp1")->trigger();
    EXPECT_TRUE(designer->inspector()->isVisible());
    EXPECT_EQ(designer->inspector()->object(), userBarcode);
}

TEST_F(DesignModeTest, StartDesignMaximisesShowsAndActivates)
{
    int ended = 0;
    layout->OnDesignEnded = [&] { ++ended; };
    layout->StartDesign(true);
    EXPECT_EQ(layout->windowStateValue(), kv::TKVForm::wsMaximized);
    EXPECT_TRUE(layout->isVisible());
    EXPECT_TRUE(designer->isActive());
    EXPECT_TRUE(layout->isDesignActive());
    EXPECT_TRUE(designer->view()->isVisible());
    EXPECT_TRUE(designer->inspector()->isVisible());
    // The design view shows the layout's bands, the field list and label
    // tool come along.
    EXPECT_TRUE(designer->surface()->orderedBands().contains(layout->QRDetailBand));
    ASSERT_NE(layout->ExtensionTools(), nullptr);
    EXPECT_TRUE(layout->ExtensionTools()->isVisible());

    // Switching off (the hot key) after the save went through ends design
    // mode and tells the condition window.
    designer->OnSaveChanges = [] { return true; };
    QTest::keyClick(designer->surface(), Qt::Key_F12, Qt::ControlModifier);
    EXPECT_FALSE(designer->isActive());
    EXPECT_FALSE(layout->isDesignActive());
    EXPECT_FALSE(layout->isVisible());
    EXPECT_FALSE(layout->ExtensionTools()->isVisible());
    EXPECT_EQ(ended, 1);

    // A refused save keeps design mode.
    layout->StartDesign(true);
    designer->OnSaveChanges = [] { return false; };
    QTest::keyClick(designer->surface(), Qt::Key_F12, Qt::ControlModifier);
    EXPECT_TRUE(designer->isActive());
    EXPECT_TRUE(layout->isDesignActive());
    EXPECT_EQ(ended, 1);
}

TEST_F(DesignModeTest, EndingDesignFromTheConditionWindowNeitherAsksNorCallsBack)
{
    int ended = 0;
    int asked = 0;
    layout->OnDesignEnded = [&] { ++ended; };
    layout->StartDesign(true);
    designer->OnSaveChanges = [&] {
        ++asked;
        return true;
    };
    layout->StartDesign(false);
    EXPECT_FALSE(designer->isActive());
    EXPECT_FALSE(layout->isDesignActive());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ended, 0);
    // Design mode can be opened again afterwards, and reports its end.
    EXPECT_TRUE(bool(layout->OnDesignEnded));
    layout->StartDesign(true);
    designer->setActive(false);
    EXPECT_EQ(ended, 1);
}
