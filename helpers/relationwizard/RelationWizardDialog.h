#pragma once
// The relation wizard's dialog. The upper list shows the related tables;
// below, the user picks a table of the schema (cbTable, its columns read
// with btnColumns), the join (cbReportColumn = cbRelatedColumn) and, in
// lvColumns, the columns to offer (checked in the first column, with their
// hint and, checked in the third column, printed as a barcode), and adds
// the relation with btnAdd. btnRemove takes the selected relation away
// unless the layout prints from it (or from a later one). btnOK keeps the
// relations, btnCancel leaves the builder as it was. Problems appear in
// lblMessage.

#include "RelationModel.h"
#include "RelationSchema.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace relationwizard {

class RelationWizardDialog : public QDialog {
    Q_OBJECT

public:
    // knownTables: offered when the server's catalogue lists no tables (the
    // report's own and those already related).
    RelationWizardDialog(QWidget *parent, std::vector<Relation> relations, const std::vector<std::string> &reportColumns,
                         const std::vector<std::string> &knownTables, const RelationSchema &schema);

    const std::vector<Relation> &relations() const { return m_relations; }

    QTreeWidget *lvRelations = nullptr;
    QComboBox *cbTable = nullptr;
    QPushButton *btnColumns = nullptr;
    QComboBox *cbReportColumn = nullptr;
    QComboBox *cbRelatedColumn = nullptr;
    QTreeWidget *lvColumns = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnRemove = nullptr;
    QLabel *lblMessage = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    void loadColumns();
    bool addRelation();
    bool removeRelation();

private:
    void buildWidgets();
    void showRelations();
    void fail(const QString &message);

    std::vector<Relation> m_relations;
    const RelationSchema &m_schema;
    QString m_loadedTable; // the table whose columns lvColumns shows
};

} // namespace relationwizard
