// TfrmVRBaseFmt: design mode. The designer works on QuickRep1 inside this
// window; its menu offers the designer's commands and the saving of the
// layout as a format style. What the designer asks of the window (saving
// when it is switched off, deleting, drops, the component shown in the
// inspector) goes to the window's handlers.
#include "report/layout/VRBaseFmt.h"

#include "platform/designer/DreamDesigner.h"
#include "report/layout/ExtensionToolWindow.h"
#include "platform/report/Report.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TKvQRDBBarcode.h"

#include <QAction>
#include <QMenu>

#include <utility>

namespace kv {

namespace {

// The settings stored with the layout window's designer.
constexpr int kHotKey = 16507; // Ctrl+F12

} // namespace

void TfrmVRBaseFmt::buildDesigner()
{
    DreamDesigner1 = new TDreamDesigner(this, QuickRep1);
    DreamDesigner1->setObjectName(QStringLiteral("DreamDesigner1"));
    // The stored actions, plus dropping fields and labels onto the layout.
    DreamDesigner1->setAllowedActions(DesignActions(DesignAction::Select) | DesignAction::Move | DesignAction::Resize |
                                      DesignAction::Show | DesignAction::Edit | DesignAction::Insert);
    DreamDesigner1->setShowInspectorOnStart(true);
    DreamDesigner1->setShowCaptions(true);
    DreamDesigner1->setShowHints(true);
    DreamDesigner1->setSnapToGrid(true);
    DreamDesigner1->setHotKey(kHotKey);
    DreamDesigner1->setStoreChanges(true);

    DreamDesigner1->OnActiveChanged = [this](bool active) { DreamDesigner1ActiveChanged(active); };
    DreamDesigner1->OnSaveChanges = [this] { return DreamDesigner1SaveChanges(); };
    DreamDesigner1->OnDeleteComponent = [this](QObject *component) { DreamDesigner1DeleteComponent(component); };
    DreamDesigner1->CanDelete = [this](const QList<QObject *> &selection) { return CanDeleteSelection(selection); };
    DreamDesigner1->OnDragOver = [this](TQRBand *band, QPoint point, const QMimeData &data) {
        return DreamDesigner1DragOver(band, point, data);
    };
    DreamDesigner1->OnDragDrop = [this](TQRBand *band, QPoint point, const QMimeData &data) {
        DreamDesigner1DragDrop(band, point, data);
    };
    DreamDesigner1->OnShowProperty = [this](QObject *component) {
        DreamDesigner1ShowProperty(component);
        // Only what the user added may be deleted; the same holds after a
        // drop, which selects the new component.
        DesignActions actions = DreamDesigner1->allowedActions();
        actions.setFlag(DesignAction::Delete, DesignerMayDelete);
        DreamDesigner1->setAllowedActions(actions);
    };
    // A drop hands the moved or created component to the selection.
    DesignerSelect = [this](QObject *component) { DreamDesigner1->select(component, false); };

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char *name, const char *caption, auto &&action) {
        auto *entry = PopupMenu1->addAction(QString::fromStdString(FmtText(name, caption)));
        entry->setObjectName(QLatin1String(name));
        connect(entry, &QAction::triggered, this, std::forward<decltype(action)>(action));
        return entry;
    };
    const auto separator = [this](const char *name) {
        QAction *entry = PopupMenu1->addSeparator();
        entry->setObjectName(QLatin1String(name));
        entry->setText(QStringLiteral("-"));
    };
    item("ShowObjectInsp1", "显示元件检示器", [this] { DreamDesigner1->ShowInspector(); });
    item("mnuDOCtoEMF", "Word doc转emf图档", [this] { mnuDOCtoEMFClick(); });
    separator("N1");
    item("nuAlignToGrid", "对齐格线", [this] { DreamDesigner1->AlignToGrid(); });
    item("nuBringToFront", "提至上一层", [this] { DreamDesigner1->BringToFront(); });
    item("nuSendToBack", "移至下一层", [this] { DreamDesigner1->SendToBack(); });
    separator("N5");
    item("nuAlignSelected", "元件对齐", [this] { DreamDesigner1->ShowAlignDialog(); });
    item("nuSize", "大小", [this] { DreamDesigner1->ShowSizeDialog(); });
    item("sss1", "缩放", [this] { DreamDesigner1->ShowScaleDialog(); });
    item("miDel", "删除(&Del)", [this] { DreamDesigner1->DeleteSelection(); })->setEnabled(false);
    separator("N2");
    item("nuSave", "保存格式(&S)", [this] { nuSaveClick(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    item("nuSaveAs", "另存格式(&N)", [this] { nuSaveAsClick(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    item("nuSaveLoc", "保存本地", [this] { nuSaveLocClick(); })->setVisible(false);
    item("nuLoadLoc", "加载本地", [this] { nuLoadLocClick(); })->setVisible(false);
    // The menu belongs to the design view only: it opens there and nowhere
    // else, and its short cuts stay with the window's own key handling.
    for (QAction *entry : PopupMenu1->actions())
        entry->setShortcutContext(Qt::WidgetShortcut);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TfrmVRBaseFmt::PopupMenu1Popup);
    DreamDesigner1->setPopupMenu(PopupMenu1);
}

bool TfrmVRBaseFmt::CanDeleteSelection(const QList<QObject *> &selection) const
{
    if (selection.isEmpty())
        return false;
    for (QObject *component : selection) {
        const bool field = qobject_cast<TKVQRDBText *>(component) || qobject_cast<TKvQRDBBarcode *>(component);
        const QString name = QString::fromStdString(displayText(component->objectName().toStdString()));
        // The same lookup as the property view's delete right, so that the
        // menu never offers what the designer then refuses.
        if (!field || !UserComponents.contains(name))
            return false;
    }
    return true;
}

void TfrmVRBaseFmt::PopupMenu1Popup()
{
    if (auto *remove = PopupMenu1->findChild<QAction *>(QStringLiteral("miDel")))
        remove->setEnabled(CanDeleteSelection(DreamDesigner1->selection()));
}

void TfrmVRBaseFmt::StartDesign(bool active)
{
    if (!active) {
        // The condition window ends design mode because it is going away:
        // no question to save, and no call back into it.
        const auto ended = std::exchange(OnDesignEnded, {});
        DreamDesigner1->stop();
        m_designActive = false;
        OnDesignEnded = ended;
        return;
    }
    BeforeDesign();
    show();
    // Maximised once shown: showing the dialog-based window places it
    // anew and drops a state set before.
    setWindowStateValue(wsMaximized);
    DreamDesigner1->setActive(true);
    m_designActive = DreamDesigner1->isActive();
    // The field list and the label tool come with design mode.
    if (m_designActive)
        ShowExtensionTools();
    ReadMaxNameLength();
}

void TfrmVRBaseFmt::DreamDesigner1ActiveChanged(bool active)
{
    m_designActive = active;
    if (active)
        return;
    hide();
    if (ExtensionToolWindow *tools = ExtensionTools())
        tools->hide();
    if (OnDesignEnded)
        OnDesignEnded();
}

} // namespace kv
