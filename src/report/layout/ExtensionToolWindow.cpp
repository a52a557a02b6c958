#include "report/layout/ExtensionToolWindow.h"

#include "platform/designer/DesignDrag.h"
#include "report/layout/VRSQLBuilder.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

// Row layout of the field list; the drop handlers read the same positions.
enum Column { cCaption, cColumn, cHint, cTable, cField, cColumnCount };

} // namespace

ExtensionFieldList::ExtensionFieldList(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("lvExtending"));
    setColumnCount(cColumnCount);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

void ExtensionFieldList::fill(const TVRSQLBuilder &builder)
{
    clear();
    const auto &fields = builder.fields();
    for (std::size_t index = 0; index < fields.size(); ++index) {
        const TVRSQLBuilder::Field &field = fields[index];
        const QString hint = QString::fromStdString(field.hint);
        auto *item = new QTreeWidgetItem(this);
        item->setText(cCaption, hint.isEmpty() ? QString::fromStdString(field.name) : hint);
        item->setText(cColumn, QString::fromStdString(field.name));
        item->setText(cHint, hint);
        item->setText(cTable, QString::number(field.table));
        item->setText(cField, QString::number(index));
        // A field prints once per layout: the used ones stay listed but
        // cannot be dragged again.
        if (field.used)
            item->setFlags(item->flags() & ~(Qt::ItemIsDragEnabled | Qt::ItemIsEnabled));
    }
}

QStringList ExtensionFieldList::rowValues(int row) const
{
    QStringList values;
    if (QTreeWidgetItem *item = topLevelItem(row)) {
        for (int column = 0; column < cColumnCount; ++column)
            values << item->text(column);
    }
    return values;
}

QStringList ExtensionFieldList::mimeTypes() const
{
    return {QString::fromLatin1(DesignDrag::kMimeType)};
}

QMimeData *ExtensionFieldList::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    return items.isEmpty() ? nullptr : dragData(indexOfTopLevelItem(items.first()));
}

QMimeData *ExtensionFieldList::dragData(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    if (!item || !item->flags().testFlag(Qt::ItemIsDragEnabled))
        return nullptr;
    auto *data = new QMimeData;
    DesignDrag::encode(*data, {objectName(), rowValues(row)});
    return data;
}

DragToolButton::DragToolButton(QWidget *parent) : QToolButton(parent) {}

QMimeData *DragToolButton::dragData() const
{
    auto *data = new QMimeData;
    DesignDrag::encode(*data, {objectName(), {text()}});
    return data;
}

void DragToolButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressAt = event->position().toPoint();
        m_pressed = true;
    }
    QToolButton::mousePressEvent(event);
}

void DragToolButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || (event->position().toPoint() - m_pressAt).manhattanLength() < QApplication::startDragDistance()) {
        QToolButton::mouseMoveEvent(event);
        return;
    }
    m_pressed = false;
    setDown(false);
    auto *drag = new QDrag(this);
    drag->setMimeData(dragData());
    drag->exec(Qt::CopyAction);
}

ExtensionToolWindow::ExtensionToolWindow(QWidget *owner, const Texts &texts, std::function<void()> runWizard)
    : QWidget(owner, Qt::Tool), m_runWizard(std::move(runWizard))
{
    setObjectName(QStringLiteral("frmExtendFields"));
    setWindowTitle(texts.caption);
    lvExtending = new ExtensionFieldList(this);
    lvExtending->setHeaderLabels(texts.columns);
    btnRelation = new QPushButton(texts.wizard, this);
    btnRelation->setObjectName(QStringLiteral("btnRelation"));
    tbLabel = new DragToolButton(this);
    tbLabel->setObjectName(QStringLiteral("tbLabel"));
    tbLabel->setText(texts.label);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnRelation);
    buttons->addStretch();
    buttons->addWidget(tbLabel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(lvExtending);
    connect(btnRelation, &QPushButton::clicked, this, [this] {
        if (m_runWizard)
            m_runWizard();
    });
    resize(360, 420);
}

} // namespace kv
