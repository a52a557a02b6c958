#include "platform/designer/PropertyInspector.h"

#include "lib/EventHandler.h"
#include "platform/Prompter.h"

#include <QComboBox>
#include <QFontDialog>
#include <QHeaderView>
#include <QMetaProperty>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kNameRole = Qt::UserRole + 1;

bool isEvent(const QMetaProperty &property)
{
    return property.metaType() == QMetaType::fromType<EventHandler>();
}

QString fontText(const QFont &font)
{
    const int size = font.pixelSize() > 0 ? font.pixelSize() : font.pointSize();
    return QStringLiteral("%1, %2").arg(font.family()).arg(size);
}

QTableWidget *grid(QWidget *parent, const char *name, const QString &valueTitle)
{
    auto *table = new QTableWidget(0, 2, parent);
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels({QStringLiteral("属性"), valueTitle});
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace

PropertyInspector::PropertyInspector(QWidget *parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("ObjectInspector"));
    setWindowTitle(QStringLiteral("元件检示器"));
    auto *layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("tabInspector"));
    m_properties = grid(m_pages, "gridProperties", QStringLiteral("值"));
    m_events = grid(m_pages, "gridEvents", QStringLiteral("处理程序"));
    m_events->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pages->addTab(m_properties, QStringLiteral("属性"));
    m_pages->addTab(m_events, QStringLiteral("事件"));
    layout->addWidget(m_pages);
    connect(m_properties, &QTableWidget::itemChanged, this, &PropertyInspector::textEdited);
    resize(280, 420);
}

void PropertyInspector::setObject(QObject *object)
{
    m_object = object;
    refresh();
}

void PropertyInspector::setEditable(bool editable)
{
    if (m_editable == editable)
        return;
    m_editable = editable;
    refresh();
}

void PropertyInspector::setEventsPageVisible(bool visible)
{
    m_pages->setTabVisible(1, visible);
}

bool PropertyInspector::isEventsPageVisible() const
{
    return m_pages->isTabVisible(1);
}

void PropertyInspector::refresh()
{
    m_filling = true;
    fillProperties();
    fillEvents();
    m_filling = false;
}

int PropertyInspector::rowOf(const QByteArray &name) const
{
    for (int row = 0; row < m_properties->rowCount(); ++row) {
        if (m_properties->item(row, 0)->data(kNameRole).toByteArray() == name)
            return row;
    }
    return -1;
}

void PropertyInspector::fillProperties()
{
    m_properties->clearContents();
    m_properties->setRowCount(0);
    if (!m_object)
        return;
    // The name first and never editable: layouts and the window find
    // components by it.
    m_properties->insertRow(0);
    auto *nameKey = new QTableWidgetItem(QStringLiteral("Name"));
    nameKey->setData(kNameRole, QByteArray("objectName"));
    nameKey->setFlags(Qt::ItemIsEnabled);
    auto *nameValue = new QTableWidgetItem(m_object->objectName());
    nameValue->setFlags(Qt::ItemIsEnabled);
    m_properties->setItem(0, 0, nameKey);
    m_properties->setItem(0, 1, nameValue);
    const QMetaObject *meta = m_object->metaObject();
    for (int index = QObject::staticMetaObject.propertyCount(); index < meta->propertyCount(); ++index) {
        if (!isEvent(meta->property(index)))
            addRow(index);
    }
}

void PropertyInspector::addRow(int propertyIndex)
{
    const QMetaProperty property = m_object->metaObject()->property(propertyIndex);
    const QByteArray name = property.name();
    const QVariant value = property.read(m_object);
    const int type = property.metaType().id();
    const bool editable = m_editable && property.isWritable();
    const int row = m_properties->rowCount();
    m_properties->insertRow(row);
    auto *key = new QTableWidgetItem(QString::fromLatin1(name));
    key->setData(kNameRole, name);
    key->setFlags(Qt::ItemIsEnabled);
    m_properties->setItem(row, 0, key);
    auto *cell = new QTableWidgetItem;
    cell->setData(kNameRole, name);
    cell->setFlags(Qt::ItemIsEnabled);
    m_properties->setItem(row, 1, cell);

    if (property.isEnumType() && !property.isFlagType()) {
        const QMetaEnum meta = property.enumerator();
        auto *choice = new QComboBox;
        choice->setObjectName(QString::fromLatin1(name));
        for (int k = 0; k < meta.keyCount(); ++k)
            choice->addItem(QString::fromLatin1(meta.key(k)), meta.value(k));
        choice->setCurrentIndex(choice->findData(value.toInt()));
        choice->setEnabled(editable);
        connect(choice, &QComboBox::currentIndexChanged, this, [this, name, choice](int index) {
            if (!m_filling && index >= 0)
                edit(name, choice->itemData(index));
        });
        m_properties->setCellWidget(row, 1, choice);
    } else if (type == QMetaType::Bool) {
        cell->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::ItemIsEnabled);
        cell->setCheckState(value.toBool() ? Qt::Checked : Qt::Unchecked);
    } else if (type == QMetaType::QFont) {
        auto *button = new QPushButton(fontText(value.value<QFont>()));
        button->setObjectName(QString::fromLatin1(name));
        button->setEnabled(editable);
        connect(button, &QPushButton::clicked, this, [this, name] { editFont(name); });
        m_properties->setCellWidget(row, 1, button);
    } else {
        const bool textual = type == QMetaType::Int || type == QMetaType::Double || type == QMetaType::QString;
        if (value.canConvert<QString>())
            cell->setText(value.toString());
        else if (type == QMetaType::QStringList)
            cell->setText(value.toStringList().join(QStringLiteral("; ")));
        else if (auto *target = value.value<QObject *>())
            cell->setText(target->objectName());
        if (editable && textual)
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    }
}

void PropertyInspector::fillEvents()
{
    m_events->clearContents();
    m_events->setRowCount(0);
    if (!m_object)
        return;
    const QMetaObject *meta = m_object->metaObject();
    for (int index = 0; index < meta->propertyCount(); ++index) {
        const QMetaProperty property = meta->property(index);
        if (!isEvent(property))
            continue;
        const auto handler = property.read(m_object).value<EventHandler>();
        const int row = m_events->rowCount();
        m_events->insertRow(row);
        m_events->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(property.name())));
        m_events->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(handler.methodName())));
    }
}

void PropertyInspector::textEdited(QTableWidgetItem *item)
{
    if (m_filling || !m_object || item->column() != 1)
        return;
    const QByteArray name = item->data(kNameRole).toByteArray();
    const QMetaObject *meta = m_object->metaObject();
    const int index = meta->indexOfProperty(name.constData());
    if (index < 0)
        return;
    const QMetaProperty property = meta->property(index);
    const int type = property.metaType().id();
    if (type == QMetaType::Bool) {
        edit(name, item->checkState() == Qt::Checked);
        return;
    }
    bool ok = true;
    QVariant value;
    if (type == QMetaType::Int)
        value = item->text().trimmed().toInt(&ok);
    else if (type == QMetaType::Double)
        value = item->text().trimmed().toDouble(&ok);
    else
        value = item->text();
    // A text that is no number puts the old value back rather than
    // writing 0 into the component.
    if (!ok) {
        refreshLater();
        return;
    }
    edit(name, value);
}

void PropertyInspector::editFont(const QByteArray &name)
{
    if (!m_object)
        return;
    QFontDialog dialog(m_object->property(name.constData()).value<QFont>(), this);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setWindowTitle(QStringLiteral("字体"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (Prompter::current()->showWindowModal(dialog) == QDialog::Accepted)
        edit(name, dialog.currentFont());
}

void PropertyInspector::edit(const QByteArray &name, const QVariant &value)
{
    if (!m_object || !m_editable)
        return;
    if (m_object->property(name.constData()) == value) {
        return;
    }
    if (onEdit)
        onEdit(m_object, name, value);
    refreshLater();
}

void PropertyInspector::refreshLater()
{
    // The grid is rebuilt once the signal of the edited cell has returned:
    // rebuilding inside it would delete the cell that is still emitting.
    QMetaObject::invokeMethod(this, &PropertyInspector::refresh, Qt::QueuedConnection);
}

} // namespace kv
