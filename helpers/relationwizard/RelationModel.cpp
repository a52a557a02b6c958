#include "RelationModel.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace relationwizard {

namespace {

QString trimmed(const std::string &text)
{
    return QString::fromStdString(text).trimmed();
}

// The select list without its keyword and a DISTINCT or TOP n in front.
QString selectList(const std::string &select)
{
    static const QRegularExpression head(QStringLiteral("^\\s*select\\s+(distinct\\s+)?(top\\s+\\d+\\s+)?"),
                                         QRegularExpression::CaseInsensitiveOption);
    return QString::fromStdString(select).remove(head);
}

// Splits at the commas outside brackets and quotes.
QStringList topLevelItems(const QString &list)
{
    QStringList items;
    QString current;
    int depth = 0;
    bool quoted = false;
    for (const QChar c : list) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('('))
            ++depth;
        else if (!quoted && c == QLatin1Char(')'))
            --depth;
        if (c == QLatin1Char(',') && depth == 0 && !quoted) {
            items << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        items << current.trimmed();
    return items;
}

} // namespace

bool Relation::hasUsedFields() const
{
    for (const RelationField &field : fields) {
        if (!field.component.empty())
            return true;
    }
    return false;
}

std::vector<Relation> readBuilder(const kv::TVRSQLBuilder &builder)
{
    static const QRegularExpression join(QStringLiteral("^(.+?)\\s*=\\s*RT\\d+\\.([A-Za-z_][A-Za-z0-9_]*)$"));
    std::vector<Relation> relations;
    for (const kv::TVRSQLBuilder::Table &table : builder.tables()) {
        Relation relation;
        relation.table = table.name;
        const QRegularExpressionMatch match = join.match(trimmed(table.joinCondition));
        if (match.hasMatch()) {
            relation.reportColumn = match.captured(1).toStdString();
            relation.relatedColumn = match.captured(2).toStdString();
        } else {
            relation.rawJoin = table.joinCondition;
        }
        relations.push_back(relation);
    }
    for (const kv::TVRSQLBuilder::Field &field : builder.fields()) {
        if (field.table >= 0 && field.table < int(relations.size()))
            relations[std::size_t(field.table)].fields.push_back(
                {field.name, field.hint, field.kind, field.used ? field.component : std::string()});
    }
    return relations;
}

std::string joinText(int index, const Relation &relation)
{
    if (!relation.rawJoin.empty())
        return relation.rawJoin;
    return relation.reportColumn + " = " + kv::TVRSQLBuilder::TableAlias(index) + "." + relation.relatedColumn;
}

void writeBuilder(kv::TVRSQLBuilder &builder, const std::vector<Relation> &relations)
{
    builder.ClearTables();
    for (const Relation &relation : relations) {
        const int table = builder.AddTable(relation.table, joinText(int(builder.tables().size()), relation));
        for (const RelationField &field : relation.fields) {
            const int added = builder.AddField(table, field.name, field.hint, field.kind);
            if (!field.component.empty())
                builder.SetFieldUsed(added, field.component);
        }
    }
}

std::vector<std::string> reportColumns(const std::string &select)
{
    static const QRegularExpression as(QStringLiteral("\\s+as\\s+.*$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression column(
        QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*\\.)?[A-Za-z_][A-Za-z0-9_]*$"));
    std::vector<std::string> columns;
    for (QString item : topLevelItems(selectList(select))) {
        item.remove(as);
        item = item.trimmed();
        if (column.match(item).hasMatch() && std::find(columns.begin(), columns.end(), item.toStdString()) == columns.end())
            columns.push_back(item.toStdString());
    }
    return columns;
}

std::vector<std::string> knownTables(const std::string &from, const std::vector<Relation> &relations)
{
    static const QRegularExpression table(QStringLiteral("\\$\\$[A-Za-z_][A-Za-z0-9_]*"));
    std::vector<std::string> names;
    const auto add = [&names](const std::string &name) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    for (const QRegularExpressionMatch &match : table.globalMatch(QString::fromStdString(from)))
        add(match.captured(0).toUpper().toStdString());
    for (const Relation &relation : relations)
        add(relation.table);
    return names;
}

bool isPlainName(const std::string &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return plain.match(QString::fromStdString(name)).hasMatch();
}

bool mayRemove(const std::vector<Relation> &relations, int index)
{
    if (index < 0 || index >= int(relations.size()))
        return false;
    for (std::size_t later = std::size_t(index); later < relations.size(); ++later) {
        if (relations[later].hasUsedFields())
            return false;
    }
    return true;
}

} // namespace relationwizard
