// The layout designer on a hand-built report: selecting with the mouse,
// moving and resizing by mouse and keys, the alignment, size and scale
// dialogs, paint order, deletion rules, the inspector and undo, switching on
// and off with the hot key, and drops of design payloads onto bands.

#include "platform/ScriptedPrompter.h"
#include "platform/designer/DesignDialogs.h"
#include "platform/designer/DesignDrag.h"
#include "platform/designer/DesignSurface.h"
#include "platform/designer/DreamDesigner.h"
#include "platform/designer/PropertyInspector.h"
#include "platform/report/Report.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRLabel.h"
#include "platform/report/TQRShape.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <memory>

using namespace kv;

namespace {

class DesignerTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = std::make_unique<QWidget>();
        host->resize(1000, 1300);
        report = new Report(host.get());
        report->setZoom(100);
        // Created out of page order: the designer still draws the title first.
        detail = band(TQRBand::rbDetail, "DetailBand", 40);
        title = band(TQRBand::rbTitle, "TitleBand", 60);
        a = label(title, "lblA", QRect(10, 10, 50, 20));
        b = label(title, "lblB", QRect(100, 30, 30, 10));
        c = label(detail, "lblC", QRect(20, 5, 40, 15));
        designer = new TDreamDesigner(host.get(), report);
        designer->setShowInspectorOnStart(false);
        designer->setGridSize(4);
        designer->OnActiveChanged = [this](bool active) { activeChanges.push_back(active); };
        designer->setActive(true);
        host->show();
        surface = designer->surface();
    }

    TQRBand *band(TQRBand::TQRBandType type, const char *name, int height)
    {
        auto *result = new TQRBand(report, type);
        result->setObjectName(QLatin1String(name));
        result->setHeight(height);
        return result;
    }

    TQRLabel *label(TQRBand *owner, const char *name, QRect rect)
    {
        auto *result = new TQRLabel(owner);
        result->setObjectName(QLatin1String(name));
        result->setCaption(QLatin1String(name));
        design::setItemRect(*result, rect);
        return result;
    }

    static QRect rectOf(const ReportPrintable *item) { return design::itemRect(*item); }

    QPoint inside(const ReportPrintable *item) const { return surface->itemRect(item).topLeft() + QPoint(3, 3); }

    void mouse(QEvent::Type type, QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(point), QPointF(surface->mapToGlobal(point)), button, held, modifiers);
        QApplication::sendEvent(surface, &event);
    }

    void click(QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, point, modifiers);
        mouse(QEvent::MouseButtonRelease, point, modifiers);
    }

    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, from, modifiers);
        mouse(QEvent::MouseMove, from + (to - from) / 2, modifiers);
        mouse(QEvent::MouseMove, to, modifiers);
        mouse(QEvent::MouseButtonRelease, to, modifiers);
    }

    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(surface, &event);
    }

    void selectAll()
    {
        designer->select(a);
        designer->select(b, true);
        designer->select(c, true);
    }

    std::shared_ptr<ScriptedPrompter> prompter = std::make_shared<ScriptedPrompter>();
    ScopedPrompter scoped{prompter};
    std::unique_ptr<QWidget> host;
    Report *report = nullptr;
    TQRBand *title = nullptr;
    TQRBand *detail = nullptr;
    TQRLabel *a = nullptr;
    TQRLabel *b = nullptr;
    TQRLabel *c = nullptr;
    TDreamDesigner *designer = nullptr;
    DesignSurface *surface = nullptr;
    std::vector<bool> activeChanges;
};

} // namespace

TEST_F(DesignerTest, DrawsTheBandsInPageOrderBelowTheTopMargin)
{
    EXPECT_EQ(surface->orderedBands(), (QList<TQRBand *>{title, detail}));
    const QRect page = surface->pageRect();
    const QRect titleRect = surface->bandRect(title);
    // Letter paper with 10 mm margins at zoom 100: 816 pixels across, 38 in.
    EXPECT_EQ(page.width(), 816);
    EXPECT_EQ(titleRect.topLeft(), page.topLeft() + QPoint(38, 38));
    EXPECT_EQ(titleRect.width(), 740); // 215.9 - 20 mm
    EXPECT_EQ(surface->bandRect(detail).top(), titleRect.bottom() + 1);
    EXPECT_EQ(surface->itemRect(c).topLeft(), surface->bandRect(detail).topLeft() + QPoint(20, 5));
    EXPECT_TRUE(designer->view()->isVisible());
    EXPECT_EQ(designer->view()->geometry(), host->rect());
}

TEST_F(DesignerTest, ClickShiftClickAndRubberBandSelect)
{
    click(inside(a));
    EXPECT_EQ(designer->selection(), (QList<QObject *>{a}));
    click(inside(b), Qt::ShiftModifier);
    EXPECT_EQ(designer->selection(), (QList<QObject *>{a, b}));
    click(inside(a), Qt::ShiftModifier);
    EXPECT_EQ(designer->selection(), (QList<QObject *>{b}));
    EXPECT_EQ(designer->current(), b);

    // A click on the empty part of a band selects the band alone.
    click(surface->bandRect(detail).topLeft() + QPoint(300, 30));
    EXPECT_EQ(designer->selection(), (QList<QObject *>{detail}));

    // A rubber band from empty paper takes what it touches, in both bands.
    const QPoint origin = surface->bandRect(title).topLeft();
    drag(origin + QPoint(5, 5), origin + QPoint(105, 35));
    EXPECT_EQ(designer->selection(), (QList<QObject *>{a, b}));
    drag(origin + QPoint(5, 55), origin + QPoint(30, 70), Qt::ShiftModifier);
    EXPECT_EQ(designer->selection(), (QList<QObject *>{a, b, c}));

    // Overlapping components: the one painted last is hit.
    TQRLabel *over = label(title, "lblOver", QRect(20, 15, 10, 10));
    click(surface->itemRect(over).center());
    EXPECT_EQ(designer->selection(), (QList<QObject *>{over}));

    // A component on the report itself is not on the page: not selectable.
    auto *offPage = new TQRLabel(report);
    designer->select(offPage);
    EXPECT_EQ(designer->selection(), (QList<QObject *>{over}));

    // Without the select right the mouse selects nothing.
    designer->setAllowedActions(designer->allowedActions() & ~DesignActions(DesignAction::Select));
    click(inside(a));
    EXPECT_EQ(designer->selection(), (QList<QObject *>{over}));
}

TEST_F(DesignerTest, DraggingMovesTheSelectionByTheSnappedDistanceAsOneUndoStep)
{
    designer->select(a);
    designer->select(b, true);
    drag(inside(a), inside(a) + QPoint(13, 6));
    // lblA lands on the grid (10+13 -> 24, 10+6 -> 16); lblB keeps its offset.
    EXPECT_EQ(rectOf(a), QRect(24, 16, 50, 20));
    EXPECT_EQ(rectOf(b), QRect(114, 36, 30, 10));
    EXPECT_EQ(designer->undoStack()->count(), 1);
    designer->undo();
    EXPECT_EQ(rectOf(a), QRect(10, 10, 50, 20));
    EXPECT_EQ(rectOf(b), QRect(100, 30, 30, 10));

    // Without snapping the distance is taken as it is.
    designer->setSnapToGrid(false);
    drag(inside(a), inside(a) + QPoint(13, 6));
    EXPECT_EQ(rectOf(a), QRect(23, 16, 50, 20));

    // Dragged past the band's edge it stops at the edge.
    drag(inside(a), inside(a) + QPoint(-100, 200));
    EXPECT_EQ(rectOf(a).topLeft(), QPoint(0, 59));
    EXPECT_EQ(rectOf(b).topLeft(), QPoint(113 - 23, 36 + 43)); // the same distance

    // A click without moving changes nothing and leaves no undo step.
    const int steps = designer->undoStack()->count();
    click(inside(a));
    EXPECT_EQ(designer->undoStack()->count(), steps);
}

TEST_F(DesignerTest, HandlesResizeOneSelectedComponent)
{
    designer->select(a);
    const QRect box = surface->itemRect(a);
    EXPECT_EQ(surface->handleAt(surface->handleRect(box, 4).center()), 4);
    drag(surface->handleRect(box, 4).center(), surface->handleRect(box, 4).center() + QPoint(9, 7));
    EXPECT_EQ(rectOf(a), QRect(10, 10, 58, 26));
    drag(surface->handleRect(surface->itemRect(a), 7).center(),
         surface->handleRect(surface->itemRect(a), 7).center() + QPoint(-6, 0));
    EXPECT_EQ(rectOf(a), QRect(4, 10, 64, 26));
    designer->undo();
    designer->undo();
    EXPECT_EQ(rectOf(a), QRect(10, 10, 50, 20));

    // Several selected: no handles, the press moves them instead.
    designer->select(b, true);
    EXPECT_EQ(surface->handleAt(surface->handleRect(surface->itemRect(b), 4).center()), -1);
}

TEST_F(DesignerTest, TheBottomHandleOfASelectedBandChangesItsHeight)
{
    designer->select(title);
    const QPoint handle = surface->handleRect(surface->bandRect(title), 5).center();
    drag(handle, handle + QPoint(0, 21));
    EXPECT_EQ(title->height(), 80); // 60 + 21 on the grid
    // The bands below move down with it.
    EXPECT_EQ(surface->bandRect(detail).top(), surface->bandRect(title).bottom() + 1);
    drag(surface->handleRect(surface->bandRect(title), 5).center(),
         surface->handleRect(surface->bandRect(title), 5).center() + QPoint(0, -500));
    EXPECT_EQ(title->height(), 1);
    designer->undo();
    designer->undo();
    EXPECT_EQ(title->height(), 60);
    // A component selected: no band handle.
    designer->select(a);
    EXPECT_FALSE(surface->onBandHandle(surface->handleRect(surface->bandRect(title), 5).center()));
}

TEST_F(DesignerTest, ArrowsMoveByAPixelCtrlByTheGridShiftResizes)
{
    designer->select(a);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Up);
    EXPECT_EQ(rectOf(a), QRect(12, 9, 50, 20));
    EXPECT_EQ(designer->undoStack()->count(), 1); // successive key moves are one step
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(rectOf(a), QRect(12, 9, 49, 21));
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(rectOf(a).left(), 16);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rectOf(a), QRect(12, 9, 49, 21));
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rectOf(a), QRect(10, 10, 50, 20));
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(rectOf(a), QRect(12, 9, 50, 20));

    // No move right: the keys leave it where it is.
    designer->setAllowedActions(DesignAction::Select);
    key(Qt::Key_Right);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(rectOf(a), QRect(12, 9, 50, 20));
}

TEST_F(DesignerTest, AlignSizeAndScaleDialogsApplyToTheSelection)
{
    selectAll();
    prompter->answerDialog([](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("元件对齐"));
        dialog.findChild<QRadioButton *>(QStringLiteral("rbHorz1"))->click(); // left
        return int(QDialog::Accepted);
    });
    designer->ShowAlignDialog();
    EXPECT_EQ(rectOf(a).left(), 10);
    EXPECT_EQ(rectOf(b).left(), 10);
    EXPECT_EQ(rectOf(c).left(), 10);
    EXPECT_EQ(rectOf(b).top(), 30); // vertical: unchanged

    prompter->answerDialog([](QDialog &dialog) {
        dialog.findChild<QRadioButton *>(QStringLiteral("rbWidth2"))->click(); // grow to largest
        return int(QDialog::Accepted);
    });
    designer->ShowSizeDialog();
    EXPECT_EQ(rectOf(b).size(), QSize(50, 10));
    EXPECT_EQ(rectOf(c).size(), QSize(50, 15));

    prompter->answerDialog([](QDialog &dialog) {
        dialog.findChild<QSpinBox *>(QStringLiteral("edScale"))->setValue(50);
        return int(QDialog::Accepted);
    });
    designer->ShowScaleDialog();
    EXPECT_EQ(rectOf(a), QRect(5, 5, 25, 10));

    // A cancelled dialog changes nothing.
    prompter->answerDialog([](QDialog &dialog) {
        dialog.findChild<QSpinBox *>(QStringLiteral("edScale"))->setValue(200);
        return int(QDialog::Rejected);
    });
    designer->ShowScaleDialog();
    EXPECT_EQ(rectOf(a), QRect(5, 5, 25, 10));
    EXPECT_TRUE(prompter->allAnswered());

    // Each dialog was one undo step.
    designer->undo();
    designer->undo();
    designer->undo();
    EXPECT_EQ(rectOf(b), QRect(100, 30, 30, 10));
}

TEST_F(DesignerTest, AlignsToTheGridAndCentresEachBandsComponentsInTheirBand)
{
    designer->select(b);
    designer->select(c, true);
    b->setLeft(101);
    b->setTop(33);
    designer->AlignToGrid();
    EXPECT_EQ(rectOf(b).topLeft(), QPoint(100, 32));
    designer->align(HorzAlign::None, VertAlign::CenterInBand);
    EXPECT_EQ(rectOf(b).top(), 25); // (60 - 10) / 2 in the title
    EXPECT_EQ(rectOf(c).top(), 12); // (40 - 15) / 2 in the detail band
}

TEST_F(DesignerTest, BringToFrontAndSendToBackChangeThePaintOrderUndoably)
{
    TQRLabel *d = label(title, "lblD", QRect(200, 0, 10, 10));
    designer->select(a);
    designer->BringToFront();
    EXPECT_EQ(title->printables(), (QList<ReportPrintable *>{b, d, a}));
    designer->select(d);
    designer->SendToBack();
    EXPECT_EQ(title->printables(), (QList<ReportPrintable *>{d, b, a}));
    // The component keeps its place on paper.
    EXPECT_EQ(rectOf(d), QRect(200, 0, 10, 10));
    designer->undo();
    EXPECT_EQ(title->printables(), (QList<ReportPrintable *>{b, d, a}));
    designer->undo();
    EXPECT_EQ(title->printables(), (QList<ReportPrintable *>{a, b, d}));
    // The front one is hit first where they overlap.
    designer->select(a);
    designer->BringToFront();
    TQRLabel *under = label(title, "lblUnder", QRect(10, 10, 50, 20));
    designer->select(a);
    designer->BringToFront();
    EXPECT_EQ(surface->itemAt(inside(under)), a);
}

TEST_F(DesignerTest, DeletesOnlyWithTheRightAndWhenTheWindowAgrees)
{
    std::vector<QObject *> deleted;
    designer->OnDeleteComponent = [&](QObject *component) { deleted.push_back(component); };
    bool agree = false;
    QList<QObject *> asked;
    designer->CanDelete = [&](const QList<QObject *> &selection) {
        asked = selection;
        return agree;
    };
    QPointer<TQRLabel> guardA = a;
    QObject *const rawA = a;
    designer->select(a);
    // Not allowed at all: not even asked.
    EXPECT_FALSE(designer->DeleteSelection());
    EXPECT_TRUE(asked.isEmpty());

    designer->setAllowedActions(designer->allowedActions() | DesignAction::Delete);
    EXPECT_FALSE(designer->DeleteSelection());
    EXPECT_EQ(asked, (QList<QObject *>{a}));
    EXPECT_TRUE(guardA);
    EXPECT_TRUE(deleted.empty());

    agree = true;
    key(Qt::Key_Delete);
    EXPECT_FALSE(guardA);
    EXPECT_EQ(deleted, (std::vector<QObject *>{rawA}));
    EXPECT_TRUE(designer->selection().isEmpty());
    EXPECT_EQ(title->printables(), (QList<ReportPrintable *>{b}));

    // A band is never deleted.
    designer->select(title);
    EXPECT_FALSE(designer->DeleteSelection());
    EXPECT_EQ(report->bands().size(), 2);
}

TEST_F(DesignerTest, InspectorEditsPropertiesUndoablyAndHidesTheEventsPage)
{
    std::vector<QObject *> shown;
    designer->OnShowProperty = [&](QObject *component) { shown.push_back(component); };
    designer->select(a);
    designer->ShowInspector();
    PropertyInspector *inspector = designer->inspector();
    EXPECT_TRUE(inspector->isVisible());
    EXPECT_FALSE(inspector->isEventsPageVisible());
    EXPECT_EQ(shown, (std::vector<QObject *>{a}));
    EXPECT_EQ(inspector->object(), a);

    auto *grid = inspector->findChild<QTableWidget *>(QStringLiteral("gridProperties"));
    ASSERT_NE(grid, nullptr);
    const auto cell = [&](const char *name) {
        const int row = inspector->rowOf(name);
        EXPECT_GE(row, 0) << name;
        return grid->item(row, 1);
    };
    EXPECT_EQ(cell("Caption")->text(), QStringLiteral("lblA"));
    EXPECT_EQ(cell("objectName")->flags() & Qt::ItemIsEditable, Qt::ItemFlags());

    cell("Caption")->setText(QStringLiteral("品号"));
    EXPECT_EQ(a->caption(), QStringLiteral("品号"));
    QCoreApplication::processEvents();
    cell("Width")->setText(QStringLiteral("abc")); // no number: refused
    QCoreApplication::processEvents();
    EXPECT_EQ(a->width(), 50);
    EXPECT_EQ(cell("Width")->text(), QStringLiteral("50"));
    cell("Width")->setText(QStringLiteral("70"));
    EXPECT_EQ(a->width(), 70);
    QCoreApplication::processEvents();
    cell("Enabled")->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(a->isEnabled());
    QCoreApplication::processEvents();
    auto *alignment = qobject_cast<QComboBox *>(grid->cellWidget(inspector->rowOf("Alignment"), 1));
    ASSERT_NE(alignment, nullptr);
    alignment->setCurrentIndex(alignment->findText(QStringLiteral("taCenter")));
    EXPECT_EQ(a->alignment(), ReportText::taCenter);
    QCoreApplication::processEvents();

    prompter->answerDialog([](QDialog &dialog) {
        auto &fonts = dynamic_cast<QFontDialog &>(dialog);
        QFont font = fonts.currentFont();
        font.setPointSize(20);
        fonts.setCurrentFont(font);
        return int(QDialog::Accepted);
    });
    qobject_cast<QPushButton *>(grid->cellWidget(inspector->rowOf("Font"), 1))->click();
    EXPECT_EQ(a->font().pointSize(), 20);
    QCoreApplication::processEvents();

    // Every edit is undone in turn, back to the start.
    for (int step = 0; step < 5; ++step)
        designer->undo();
    EXPECT_EQ(a->caption(), QStringLiteral("lblA"));
    EXPECT_EQ(a->width(), 50);
    EXPECT_TRUE(a->isEnabled());
    EXPECT_EQ(a->alignment(), ReportText::taLeftJustify);
    EXPECT_EQ(a->font().pixelSize(), 13);
    QCoreApplication::processEvents();
    EXPECT_EQ(cell("Caption")->text(), QStringLiteral("lblA"));

    // Without the edit right the values are shown only.
    designer->setAllowedActions(designer->allowedActions() & ~DesignActions(DesignAction::Edit));
    EXPECT_EQ(cell("Caption")->flags() & Qt::ItemIsEditable, Qt::ItemFlags());
    cell("Caption")->setText(QStringLiteral("x"));
    EXPECT_EQ(a->caption(), QStringLiteral("lblA"));
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(DesignerTest, HotKeyTogglesAndARefusedSaveKeepsTheDesignerActive)
{
    EXPECT_EQ(designer->hotKey(), 16507);
    EXPECT_EQ(designer->hotKeySequence(), QKeySequence(Qt::CTRL | Qt::Key_F12));
    int asked = 0;
    bool save = false;
    designer->OnSaveChanges = [&] {
        ++asked;
        return save;
    };
    designer->select(a);
    host->setWindowState(Qt::WindowMaximized);
    QTest::keyClick(surface, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(designer->isActive());
    EXPECT_TRUE(designer->view()->isVisible());

    // A save that hid the window and then gave up leaves it shown again.
    designer->OnSaveChanges = [&] {
        ++asked;
        host->hide();
        return false;
    };
    QTest::keyClick(surface, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_TRUE(designer->isActive());
    EXPECT_TRUE(host->isVisible());
    EXPECT_TRUE(host->windowState().testFlag(Qt::WindowMaximized));
    designer->OnSaveChanges = [&] {
        ++asked;
        return save;
    };

    save = true;
    QTest::keyClick(surface, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(designer->isActive());
    EXPECT_FALSE(designer->view()->isVisible());
    EXPECT_TRUE(designer->selection().isEmpty());

    // Switched off, the window itself takes the hot key.
    QTest::keyClick(host.get(), Qt::Key_F12, Qt::ControlModifier);
    EXPECT_TRUE(designer->isActive());
    EXPECT_EQ(activeChanges, (std::vector<bool>{true, false, true}));

    // Stopping does not ask.
    designer->stop();
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(designer->isActive());
    EXPECT_EQ(activeChanges.back(), false);
}

TEST_F(DesignerTest, DropsReachTheWindowWithTheBandAndTheBandPoint)
{
    std::vector<std::pair<TQRBand *, QPoint>> overs;
    std::vector<std::pair<TQRBand *, QPoint>> drops;
    DesignDrag::Item dropped;
    designer->setAllowedActions(designer->allowedActions() | DesignAction::Insert);
    designer->OnDragOver = [&](TQRBand *band, QPoint point, const QMimeData &) {
        overs.emplace_back(band, point);
        return band == detail;
    };
    designer->OnDragDrop = [&](TQRBand *band, QPoint point, const QMimeData &data) {
        drops.emplace_back(band, point);
        DesignDrag::decode(data, dropped);
        auto *created = new TQRLabel(band);
        created->setObjectName(QStringLiteral("ExLbl1"));
        design::setItemRect(*created, QRect(point, QSize(100, 13)));
    };
    QMimeData data;
    DesignDrag::encode(data, {QStringLiteral("tbLabel"), {QStringLiteral("新建标签")}});
    const auto drop = [&](QPoint at) {
        QDropEvent event(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &event);
        return event.isAccepted();
    };
    // Qt hands moves and drops to the widget that accepted the drag's entry.
    const auto enter = [&](const QMimeData &payload) {
        QDragEnterEvent event(surface->rect().center(), Qt::CopyAction, &payload, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &event);
        return event.isAccepted();
    };
    const auto move = [&](QPoint at) {
        QDragMoveEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &event);
        return event.isAccepted();
    };

    ASSERT_TRUE(enter(data));
    EXPECT_FALSE(move(surface->bandRect(title).topLeft() + QPoint(30, 12))); // refused by the window
    EXPECT_EQ(overs.back(), std::make_pair(title, QPoint(30, 12)));
    EXPECT_TRUE(move(surface->bandRect(detail).topLeft() + QPoint(30, 12)));
    EXPECT_TRUE(drop(surface->bandRect(detail).topLeft() + QPoint(30, 12)));
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], std::make_pair(detail, QPoint(30, 12)));
    EXPECT_EQ(overs.back(), std::make_pair(detail, QPoint(30, 12)));
    EXPECT_EQ(dropped.source, QStringLiteral("tbLabel"));
    EXPECT_EQ(dropped.values, QStringList{QStringLiteral("新建标签")});
    // The new component is on the surface at once.
    ReportPrintable *created = surface->itemAt(surface->bandRect(detail).topLeft() + QPoint(35, 15));
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->objectName(), QStringLiteral("ExLbl1"));

    // Outside every band, without the insert right or with another payload:
    // the window is not even asked.
    const std::size_t asked = overs.size();
    EXPECT_FALSE(drop(surface->pageRect().topLeft() + QPoint(5, 5)));
    QMimeData plain;
    plain.setText(QStringLiteral("text"));
    EXPECT_FALSE(enter(plain));
    QDragMoveEvent other(surface->bandRect(detail).center(), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &other);
    EXPECT_FALSE(other.isAccepted());
    designer->setAllowedActions(designer->allowedActions() & ~DesignActions(DesignAction::Insert));
    EXPECT_FALSE(drop(surface->bandRect(detail).topLeft() + QPoint(30, 12)));
    EXPECT_EQ(overs.size(), asked);
    EXPECT_EQ(drops.size(), 1u);
}

TEST_F(DesignerTest, PaintsPlaceholdersDisabledAndHiddenComponents)
{
    auto *barcode = new TKvQRDBBarcode(detail);
    barcode->setObjectName(QStringLiteral("bcCode"));
    barcode->setDataField(QStringLiteral("TC001"));
    design::setItemRect(*barcode, QRect(200, 2, 120, 36));
    auto *shape = new TQRShape(detail);
    design::setItemRect(*shape, QRect(400, 2, 30, 30));
    c->setEnabled(false);
    b->setVisible(false);
    designer->select(a);
    designer->refresh();
    const QImage image = surface->grab().toImage();
    const auto darkIn = [&](const QRect &box) {
        int dark = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 64;
        return dark;
    };
    const QRect bars = surface->itemRect(barcode).adjusted(2, 2, -2, -20);
    EXPECT_GT(darkIn(bars), bars.width() * bars.height() / 5); // bars are drawn
    EXPECT_GT(darkIn(surface->itemRect(a).adjusted(4, 4, -4, -4)), 0); // the caption's ink
    // A disabled component is grey, not black.
    EXPECT_EQ(darkIn(surface->itemRect(c).adjusted(1, 1, -1, -1)), 0);
    // Empty paper stays white.
    const QRect empty(surface->bandRect(detail).left() + 600, surface->bandRect(detail).top() + 5, 20, 20);
    EXPECT_EQ(darkIn(empty), 0);
}

TEST_F(DesignerTest, TakesItsViewAndInspectorAlongWhenDeletedBeforeTheWindow)
{
    designer->select(a);
    designer->ShowInspector();
    delete designer;
    designer = nullptr;
    EXPECT_EQ(host->findChild<QScrollArea *>(QStringLiteral("DesignView")), nullptr);
    EXPECT_EQ(host->findChild<PropertyInspector *>(), nullptr);
    // The window goes on without it; its report is untouched.
    QTest::keyClick(host.get(), Qt::Key_F12, Qt::ControlModifier);
    host->resize(800, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(title->printables().size(), 2);
}
