#pragma once
// The text form of a condition set: one line per "component.property" entry
// of a spec list, as SaveConditionSet stores it and RestoreConditionSet puts
// it back.
//
// - integer and set properties: the number; enumerations (booleans too):
//   the value's name; reals: the number as text; texts: the text, except
//   date inputs (stored "YYYYMMDD", moved by their relative-date setting)
//   and year-month inputs (stored "YYYYMM");
// - a property the component lacks: a combo box's item index, else nothing;
// - a range selection panel: "sp_Range" #3 begin #3 end, "sp_Discrete" #3
//   list, or "sp_UserChoice" #3 "True"/"False" #3 (begin #3 end, or list); a
//   list is every row's caption, its sub-items each after #1, and #4.

#include "base/DateDisplay.h"

#include <QStringList>

#include <stdexcept>
#include <string>

class QMetaProperty;
class QObject;
class QWidget;

namespace kv {

class TSelectPanel;

// A stored line that cannot be put back.
class ConditionValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ConditionValueCodec {
public:
    struct Context {
        DateDisplay display{1, "/"};
        QStringList dateFields;
        QStringList monthFields;
        QStringList relativeDates;
    };

    static constexpr char kField = '\x03';
    static constexpr char kSubItem = '\x01';
    static constexpr char kRowEnd = '\x04';

    explicit ConditionValueCodec(Context context) : m_context(std::move(context)) {}

    // The component an entry "name.property" names below form (null when
    // the entry has no "." or no such component), and the property.
    static QObject *componentOf(QWidget *form, const QString &entry, QString &property);

    // The line of one component's value.
    std::string Encode(QObject *component, const QString &property) const;
    // Puts a line back; ConditionValueError when it cannot be read.
    void Restore(QObject *component, const QString &property, const std::string &line) const;

private:
    bool isDateField(const QObject *component) const;
    bool isMonthField(const QObject *component) const;
    std::string encodePanel(const TSelectPanel *panel) const;
    std::string encodeRange(const TSelectPanel *panel) const;
    static std::string encodeList(const TSelectPanel *panel);
    std::string encodeText(const QObject *component, const QString &text) const;
    // The stored date moved by the relative-date entry (fields from
    // firstField: on/off, count, unit, anchor, days).
    std::string movedDate(const std::string &stored, const QStringList &entry, int firstField) const;
    QStringList relativeEntryOf(const QObject *component) const;

    void restorePanel(TSelectPanel *panel, const QStringList &fields) const;
    void restoreRange(TSelectPanel *panel, const QString &begin, const QString &end) const;
    static void restoreList(TSelectPanel *panel, const QString &list);
    void restoreProperty(QObject *component, const QMetaProperty &property, const QString &text) const;
    QString shownText(const QObject *component, const QString &stored) const;

    Context m_context;
};

} // namespace kv
