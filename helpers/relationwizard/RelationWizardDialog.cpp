#include "RelationWizardDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace relationwizard {

namespace {

enum ColumnsColumn { cName, cHint, cBarcode };

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

RelationWizardDialog::RelationWizardDialog(QWidget *parent, std::vector<Relation> relations,
                                           const std::vector<std::string> &reportColumns,
                                           const std::vector<std::string> &knownTables, const RelationSchema &schema)
    : QDialog(parent), m_relations(std::move(relations)), m_schema(schema)
{
    setObjectName(QStringLiteral("frmRelationWizard"));
    setWindowTitle(QStringLiteral("关联表"));
    buildWidgets();
    for (const std::string &column : reportColumns)
        cbReportColumn->addItem(QString::fromStdString(column));
    std::string error;
    std::vector<std::string> tables = schema.tables(error);
    if (tables.empty())
        tables = knownTables;
    for (const std::string &table : tables)
        cbTable->addItem(QString::fromStdString(table));
    cbTable->setCurrentIndex(-1);
    showRelations();
}

void RelationWizardDialog::buildWidgets()
{
    lvRelations = named(new QTreeWidget(this), "lvRelations");
    lvRelations->setRootIsDecorated(false);
    lvRelations->setHeaderLabels({QStringLiteral("关联表"), QStringLiteral("关联条件"), QStringLiteral("栏位")});
    cbTable = named(new QComboBox(this), "cbTable");
    cbTable->setEditable(true);
    btnColumns = named(new QPushButton(QStringLiteral("读取栏位"), this), "btnColumns");
    cbReportColumn = named(new QComboBox(this), "cbReportColumn");
    cbReportColumn->setEditable(true);
    cbRelatedColumn = named(new QComboBox(this), "cbRelatedColumn");
    lvColumns = named(new QTreeWidget(this), "lvColumns");
    lvColumns->setRootIsDecorated(false);
    lvColumns->setHeaderLabels({QStringLiteral("栏位"), QStringLiteral("说明"), QStringLiteral("条码")});
    btnAdd = named(new QPushButton(QStringLiteral("加入关联"), this), "btnAdd");
    btnRemove = named(new QPushButton(QStringLiteral("移除关联"), this), "btnRemove");
    lblMessage = named(new QLabel(this), "lblMessage");
    lblMessage->setWordWrap(true);
    btnOK = named(new QPushButton(QStringLiteral("确定"), this), "btnOK");
    btnCancel = named(new QPushButton(QStringLiteral("取消"), this), "btnCancel");

    auto *tableRow = new QHBoxLayout;
    tableRow->addWidget(cbTable, 1);
    tableRow->addWidget(btnColumns);
    auto *joinRow = new QHBoxLayout;
    joinRow->addWidget(cbReportColumn, 1);
    joinRow->addWidget(new QLabel(QStringLiteral("="), this));
    joinRow->addWidget(cbRelatedColumn, 1);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("关联表："), tableRow);
    form->addRow(QStringLiteral("关联条件："), joinRow);
    auto *relationButtons = new QHBoxLayout;
    relationButtons->addWidget(btnAdd);
    relationButtons->addWidget(btnRemove);
    relationButtons->addStretch();
    auto *dialogButtons = new QHBoxLayout;
    dialogButtons->addStretch();
    dialogButtons->addWidget(btnOK);
    dialogButtons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lvRelations);
    layout->addLayout(form);
    layout->addWidget(lvColumns);
    layout->addLayout(relationButtons);
    layout->addWidget(lblMessage);
    layout->addLayout(dialogButtons);

    connect(btnColumns, &QPushButton::clicked, this, &RelationWizardDialog::loadColumns);
    connect(cbTable, &QComboBox::activated, this, &RelationWizardDialog::loadColumns);
    connect(btnAdd, &QPushButton::clicked, this, &RelationWizardDialog::addRelation);
    connect(btnRemove, &QPushButton::clicked, this, &RelationWizardDialog::removeRelation);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(560, 520);
}

void RelationWizardDialog::showRelations()
{
    lvRelations->clear();
    for (std::size_t index = 0; index < m_relations.size(); ++index) {
        const Relation &relation = m_relations[index];
        QStringList fields;
        for (const RelationField &field : relation.fields)
            fields << QString::fromStdString(field.name);
        new QTreeWidgetItem(lvRelations, {QString::fromStdString(relation.table),
                                          QString::fromStdString(joinText(int(index), relation)),
                                          fields.join(QStringLiteral(", "))});
    }
}

void RelationWizardDialog::fail(const QString &message)
{
    lblMessage->setText(message);
}

void RelationWizardDialog::loadColumns()
{
    lvColumns->clear();
    cbRelatedColumn->clear();
    m_loadedTable.clear();
    const QString table = cbTable->currentText().trimmed();
    if (table.isEmpty()) {
        fail(QStringLiteral("请选择关联表"));
        return;
    }
    std::vector<std::string> columns;
    try {
        columns = m_schema.columns(table.toStdString());
    } catch (const std::exception &error) {
        fail(QStringLiteral("读取关联表的栏位失败：") + QString::fromStdString(error.what()));
        return;
    }
    for (const std::string &column : columns) {
        const QString name = QString::fromStdString(column);
        cbRelatedColumn->addItem(name);
        auto *item = new QTreeWidgetItem(lvColumns, {name, name, QString()});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(cName, Qt::Unchecked);
        item->setCheckState(cBarcode, Qt::Unchecked);
    }
    m_loadedTable = QString::fromStdString(RelationSchema::qualified(table.toStdString()));
    lblMessage->clear();
}

bool RelationWizardDialog::addRelation()
{
    if (m_loadedTable.isEmpty()
        || m_loadedTable != QString::fromStdString(RelationSchema::qualified(cbTable->currentText().trimmed().toStdString()))) {
        fail(QStringLiteral("请先读取关联表的栏位"));
        return false;
    }
    Relation relation;
    relation.table = m_loadedTable.toStdString();
    relation.reportColumn = cbReportColumn->currentText().trimmed().toStdString();
    relation.relatedColumn = cbRelatedColumn->currentText().toStdString();
    // The report column goes into the SQL as typed: only "alias.column" or
    // "column" is taken.
    const std::size_t dot = relation.reportColumn.find('.');
    const bool plainReport = dot == std::string::npos
                                 ? isPlainName(relation.reportColumn)
                                 : isPlainName(relation.reportColumn.substr(0, dot))
                                       && isPlainName(relation.reportColumn.substr(dot + 1));
    if (!plainReport || relation.relatedColumn.empty()) {
        fail(QStringLiteral("请选择关联条件（报表栏位 = 关联表栏位）"));
        return false;
    }
    for (int row = 0; row < lvColumns->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = lvColumns->topLevelItem(row);
        if (item->checkState(cName) == Qt::Checked)
            relation.fields.push_back({item->text(cName).toStdString(), item->text(cHint).trimmed().toStdString(),
                                       item->checkState(cBarcode) == Qt::Checked ? 1 : 0, {}});
    }
    if (relation.fields.empty()) {
        fail(QStringLiteral("请勾选要提供的栏位"));
        return false;
    }
    m_relations.push_back(std::move(relation));
    showRelations();
    lblMessage->clear();
    return true;
}

bool RelationWizardDialog::removeRelation()
{
    const int index = lvRelations->indexOfTopLevelItem(lvRelations->currentItem());
    if (index < 0) {
        fail(QStringLiteral("请选择要移除的关联表"));
        return false;
    }
    if (!mayRemove(m_relations, index)) {
        fail(QStringLiteral("格式中已使用此关联表（或其后的关联表）的栏位，不能移除"));
        return false;
    }
    m_relations.erase(m_relations.begin() + index);
    showRelations();
    lblMessage->clear();
    return true;
}

} // namespace relationwizard
