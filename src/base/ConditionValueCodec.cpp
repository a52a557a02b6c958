#include "base/ConditionValueCodec.h"

#include "controls/KovListView.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "lib/DateText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QWidget>

namespace kv {

namespace {

QMetaProperty findProperty(const QObject *object, const QString &name)
{
    const QMetaObject *meta = object->metaObject();
    for (int index = 0; index < meta->propertyCount(); ++index) {
        const QMetaProperty property = meta->property(index);
        if (name.compare(QLatin1String(property.name()), Qt::CaseInsensitive) == 0)
            return property;
    }
    return {};
}

bool containsName(const QStringList &names, const QString &name)
{
    return !name.isEmpty() && names.contains(name, Qt::CaseInsensitive);
}

std::string utf8(const QString &text)
{
    return text.toStdString();
}

const QChar kFieldChar(ConditionValueCodec::kField);

} // namespace

QObject *ConditionValueCodec::componentOf(QWidget *form, const QString &entry, QString &property)
{
    const qsizetype dot = entry.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return nullptr;
    const QString name = entry.left(dot).trimmed();
    property = entry.mid(dot + 1).trimmed();
    if (name.isEmpty())
        return nullptr;
    return form->findChild<QObject *>(name);
}

bool ConditionValueCodec::isDateField(const QObject *component) const
{
    return containsName(m_context.dateFields, component->objectName());
}

bool ConditionValueCodec::isMonthField(const QObject *component) const
{
    return containsName(m_context.monthFields, component->objectName());
}

std::string ConditionValueCodec::Encode(QObject *component, const QString &propertyName) const
{
    if (auto *panel = qobject_cast<TSelectPanel *>(component))
        return encodePanel(panel);
    const QMetaProperty property = findProperty(component, propertyName);
    if (!property.isValid()) {
        if (auto *combo = qobject_cast<QComboBox *>(component))
            return std::to_string(combo->currentIndex());
        return {};
    }
    const QVariant value = property.read(component);
    if (property.isEnumType()) {
        const int number = value.toInt();
        if (property.isFlagType())
            return std::to_string(number);
        const char *key = property.enumerator().valueToKey(number);
        return key ? key : std::to_string(number);
    }
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? "True" : "False";
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return std::to_string(value.toLongLong());
    case QMetaType::Char:
    case QMetaType::QChar: return std::to_string(value.toChar().unicode());
    case QMetaType::Double:
    case QMetaType::Float: return utf8(QString::number(value.toDouble(), 'g', 15));
    case QMetaType::QString: return encodeText(component, value.toString());
    default: return {};
    }
}

std::string ConditionValueCodec::encodeText(const QObject *component, const QString &text) const
{
    if (isDateField(component)) {
        const std::optional<std::string> stored = m_context.display.StoredDate(text);
        if (!stored)
            return utf8(text);
        const QStringList entry = relativeEntryOf(component);
        return entry.value(0) == QLatin1String("1") ? movedDate(*stored, entry, 3) : *stored;
    }
    if (isMonthField(component)) {
        const std::optional<std::string> stored = m_context.display.StoredMonth(text);
        return stored ? *stored : utf8(text);
    }
    return utf8(text);
}

QStringList ConditionValueCodec::relativeEntryOf(const QObject *component) const
{
    for (const QString &entry : m_context.relativeDates) {
        const QStringList fields = entry.split(kFieldChar);
        if (fields.value(1).trimmed().compare(component->objectName(), Qt::CaseInsensitive) == 0)
            return fields;
    }
    return {};
}

// Fields (1-based) firstField .. firstField + 4: "Y" to move, count, unit
// flag, anchor, days. A blank date, or moving off, keeps the date. An entry
// without its end mark comes from older sets, which knew only a count of
// months.
std::string ConditionValueCodec::movedDate(const std::string &stored, const QStringList &entry, int firstField) const
{
    const int first = firstField - 1;
    if (stored.empty() || entry.value(first) != QLatin1String("Y"))
        return stored;
    const int endMark = entry.value(0) == QLatin1String("0") ? 12 : 7;
    const bool fullForm = entry.value(endMark) == QLatin1String("D");
    const QString count = entry.value(first + 1);
    const QString unit = fullForm ? entry.value(first + 2) : QStringLiteral("1");
    const QString anchor = fullForm ? entry.value(first + 3) : QStringLiteral("0");
    const QString days = fullForm ? entry.value(first + 4) : QStringLiteral("0");
    if (count.trimmed() == QLatin1String("0") && anchor.trimmed() == QLatin1String("0") &&
        days.trimmed() == QLatin1String("0"))
        return stored;
    return UpdateDate(stored, utf8(count), utf8(unit), utf8(anchor), utf8(days));
}

std::string ConditionValueCodec::encodePanel(const TSelectPanel *panel) const
{
    const std::string field(1, kField);
    switch (panel->style()) {
    case TSelectPanel::sp_Range: return "sp_Range" + field + encodeRange(panel);
    case TSelectPanel::sp_Discrete: return "sp_Discrete" + field + encodeList(panel);
    case TSelectPanel::sp_UserChoice:
        return "sp_UserChoice" + field + (panel->userChoice() ? "True" + field + encodeRange(panel)
                                                                : "False" + field + encodeList(panel));
    }
    return {};
}

std::string ConditionValueCodec::encodeRange(const TSelectPanel *panel) const
{
    std::string begin = utf8(panel->edBegin()->Text());
    std::string end = utf8(panel->edFinal()->Text());
    if (isDateField(panel)) {
        const QStringList entry = relativeEntryOf(panel);
        const bool isRange = entry.value(0) == QLatin1String("0");
        const auto stored = [&](const TKovMaskEdit *edit, int firstField) {
            const std::optional<std::string> date = m_context.display.StoredDate(edit->Text());
            if (!date)
                return utf8(edit->Text());
            return isRange ? movedDate(*date, entry, firstField) : *date;
        };
        begin = stored(panel->edBegin(), 3);
        end = stored(panel->edFinal(), 8);
    }
    return begin + kField + end;
}

std::string ConditionValueCodec::encodeList(const TSelectPanel *panel)
{
    std::string list;
    const TKovListView *rows = panel->ListBox();
    for (int row = 0; row < rows->rowCount(); ++row) {
        const QStringList values = rows->rowValues(row);
        list += utf8(values.value(0));
        for (qsizetype column = 1; column < values.size(); ++column)
            list += kSubItem + utf8(values[column]);
        list += kRowEnd;
    }
    return list;
}

void ConditionValueCodec::Restore(QObject *component, const QString &propertyName, const std::string &line) const
{
    const QString text = QString::fromStdString(line);
    if (auto *panel = qobject_cast<TSelectPanel *>(component)) {
        restorePanel(panel, text.split(kFieldChar));
        return;
    }
    const QMetaProperty property = findProperty(component, propertyName);
    if (!property.isValid()) {
        if (auto *combo = qobject_cast<QComboBox *>(component)) {
            bool ok = false;
            const int index = text.trimmed().toInt(&ok);
            if (!ok)
                throw ConditionValueError("item index expected: " + line);
            combo->setCurrentIndex(index);
        }
        return;
    }
    restoreProperty(component, property, text);
}

void ConditionValueCodec::restorePanel(TSelectPanel *panel, const QStringList &fields) const
{
    const QString style = fields.value(0);
    if (style == QLatin1String("sp_Range")) {
        panel->setStyle(TSelectPanel::sp_Range);
        restoreRange(panel, fields.value(1), fields.value(2));
    } else if (style == QLatin1String("sp_Discrete")) {
        if (fields.size() < 2)
            throw ConditionValueError("parse spSaveValue error");
        panel->setStyle(TSelectPanel::sp_Discrete);
        restoreList(panel, fields[1]);
    } else if (style == QLatin1String("sp_UserChoice")) {
        if (fields.size() < 3)
            throw ConditionValueError("parse spSaveValue error");
        panel->setStyle(TSelectPanel::sp_UserChoice);
        const bool range = fields[1] == QLatin1String("True");
        panel->setUserChoice(range);
        if (range)
            restoreRange(panel, fields[2], fields.value(3));
        else
            restoreList(panel, fields[2]);
    } else {
        throw ConditionValueError("parse spSaveValue error");
    }
}

void ConditionValueCodec::restoreRange(TSelectPanel *panel, const QString &begin, const QString &end) const
{
    if (isDateField(panel)) {
        panel->setEditMask(m_context.display.DateMask());
        panel->edBegin()->setText_(m_context.display.ShownDate(utf8(begin)));
        panel->edFinal()->setText_(m_context.display.ShownDate(utf8(end)));
        return;
    }
    panel->edBegin()->setText_(begin);
    panel->edFinal()->setText_(end);
}

void ConditionValueCodec::restoreList(TSelectPanel *panel, const QString &list)
{
    QList<QStringList> rows;
    for (const QString &row : list.split(QChar(kRowEnd))) {
        if (row.isEmpty())
            continue;
        rows << row.split(QChar(kSubItem));
    }
    if (!panel->ListBox()->setRows(rows))
        throw ConditionValueError("parse spSaveValue error: a list row has more than " +
                                  std::to_string(TKovListView::kMaxRowValues) + " values");
}

QString ConditionValueCodec::shownText(const QObject *component, const QString &stored) const
{
    if (isDateField(component))
        return m_context.display.ShownDate(utf8(stored));
    return m_context.display.ShownMonth(utf8(stored));
}

void ConditionValueCodec::restoreProperty(QObject *component, const QMetaProperty &property,
                                          const QString &text) const
{
    if (property.isEnumType()) {
        bool ok = false;
        int value = property.isFlagType() ? text.toInt(&ok) : property.enumerator().keyToValue(text.toLatin1(), &ok);
        if (!ok)
            throw ConditionValueError("unknown value " + utf8(text) + " of " + property.name());
        property.write(component, value);
        return;
    }
    const int type = property.metaType().id();
    if (type == QMetaType::Bool) {
        property.write(component, text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0);
        return;
    }
    if (type == QMetaType::QString) {
        if (isDateField(component) || isMonthField(component)) {
            const QString mask = isDateField(component) ? m_context.display.DateMask() : m_context.display.MonthMask();
            if (auto *edit = qobject_cast<TKovMaskEdit *>(component))
                edit->setEditMask(mask);
            property.write(component, shownText(component, text));
            return;
        }
        property.write(component, text);
        return;
    }
    bool ok = false;
    if (type == QMetaType::Double || type == QMetaType::Float) {
        const double number = text.toDouble(&ok);
        if (!ok)
            throw ConditionValueError("number expected for " + std::string(property.name()));
        property.write(component, number);
        return;
    }
    const qlonglong number = text.toLongLong(&ok);
    if (!ok)
        throw ConditionValueError("number expected for " + std::string(property.name()));
    property.write(component, QVariant(number));
}

} // namespace kv
