#pragma once
// TVRSQLBuilder: the extension fields of a layout. A layout may print fields
// of tables related to the report's own tables; the builder keeps the
// report's base SQL (the parts the condition window assembled), the related
// tables with their join conditions and the fields a layout uses from them,
// and writes the extended select list, join text, group and order parts
// that replace the base ones in the report's SQL.
//
// The relation wizard fills the tables and fields; the designer marks a
// field used when it drops a component for it. A layout without used fields
// extends nothing: the extended parts equal the base parts.

#include <QObject>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace kv {

class TVRSQLBuilder : public QObject {
    Q_OBJECT
    // A stored layout keeps its extension fields and their numbering.
    Q_CLASSINFO("LayoutStored", "Relations,MaxComponentNum")
    Q_PROPERTY(QString OwnerFmtClass READ ownerFmtClass WRITE setOwnerFmtClass)
    Q_PROPERTY(int MaxComponentNum READ maxComponentNum WRITE setMaxComponentNum)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    // The related tables and fields with their used marks, so that a stored
    // layout brings back the extension fields its components print.
    Q_PROPERTY(QStringList Relations READ relations WRITE setRelations)

public:
    // The parts of the report's SQL in the order the condition window hands
    // them over; each keeps the keyword its setter put in front.
    struct SqlParts {
        std::string select;
        std::string from;
        std::string orderBy;
        std::string groupBy;
        std::string where;
        std::string tail;
        bool operator==(const SqlParts &) const = default;
    };

    // A table related to the report: its name ("$$INVMB") and the join
    // condition written with the alias the builder gives it ("RT1").
    struct Table {
        std::string name;
        std::string joinCondition;
    };

    // A field of a related table. kind 1 prints as a barcode.
    struct Field {
        int table = 0; // index into tables()
        std::string name;
        std::string hint;
        int kind = 0;
        bool used = false;
        std::string component; // the component printing it, when used
    };

    explicit TVRSQLBuilder(QObject *parent = nullptr);

    QString ownerFmtClass() const { return m_ownerFmtClass; }
    void setOwnerFmtClass(const QString &name) { m_ownerFmtClass = name; }
    int maxComponentNum() const { return m_maxComponentNum; }
    void setMaxComponentNum(int number) { m_maxComponentNum = number; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // --- base SQL
    // True when no base SQL has been set.
    bool IsSQLNull() const;
    // True when the base SQL differs from parts and must be set again.
    bool CheckSQL(const SqlParts &parts) const;
    void SetBaseSQL(const SqlParts &parts);
    const SqlParts &baseSQL() const { return m_base; }

    // The context of a design session: program, user, main table, company
    // database, company.
    void InitVRInfo(const std::string &program, const std::string &user, const std::string &mainTable,
                    const std::string &companyDB, const std::string &company);
    const std::vector<std::string> &vrInfo() const { return m_vrInfo; }
    void SetBoundFields(const std::string &fields) { m_boundFields = fields; }
    const std::string &boundFields() const { return m_boundFields; }

    // --- related tables and fields
    // Returns the table's index.
    int AddTable(const std::string &name, const std::string &joinCondition);
    // Returns the field's index; std::out_of_range for an unknown table.
    int AddField(int table, const std::string &name, const std::string &hint, int kind = 0);
    void ClearTables();
    const std::vector<Table> &tables() const { return m_tables; }
    const std::vector<Field> &fields() const { return m_fields; }
    // Marks a field used by a component (or unused with an empty name).
    void SetFieldUsed(int field, const std::string &component);
    // The field a component prints; -1 when none.
    int FieldOfComponent(const std::string &component) const;
    bool HasUsedFields() const;

    // Tables and fields as text, one JSON array a line:
    //   ["T", name, join condition]
    //   ["F", table index, name, hint, kind, component]   (component "" = unused)
    QStringList relations() const;
    // Replaces tables and fields by what the lines describe. Lines that do
    // not describe a valid set (a field of a missing table, a malformed
    // line) change nothing: relationsError() then says why.
    void setRelations(const QStringList &lines);
    const QString &relationsError() const { return m_relationsError; }

    // The alias of a related table ("RT" + index) and of one of its fields
    // as it appears in the extended select list.
    static std::string TableAlias(int table);
    std::string GetAsField(int field) const;

    // --- the texts ExtendSQL swaps
    std::string GetExtendedSelect() const;
    // The base SQL's last join text: its tail when it has one (the report's
    // joins follow the first table there), else its from part. The related
    // tables join after it, when every report table is in scope.
    std::string GetSQLJoin() const;
    std::string GetExtendedJoin() const;
    std::string GetSQLGroup() const { return m_base.groupBy; }
    std::string GetExtendedGroup() const;
    std::string GetSQLOrder() const { return m_base.orderBy; }
    std::string GetExtendedOrder() const;

private:
    std::vector<const Field *> usedFields() const;

    QString m_ownerFmtClass;
    int m_maxComponentNum = 0;
    bool m_enabled = true;
    bool m_baseSet = false;
    SqlParts m_base;
    std::vector<std::string> m_vrInfo;
    std::string m_boundFields;
    std::vector<Table> m_tables;
    std::vector<Field> m_fields;
    QString m_relationsError;
};

} // namespace kv
