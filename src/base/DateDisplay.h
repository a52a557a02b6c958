#pragma once
// The date display of a program window: edit masks and empty texts of date
// and year-month inputs for the company's date kind (1 to 5) and separator,
// and the conversion between what an input shows and the stored form
// ("YYYYMMDD", "YYYYMM"). Kinds 2 and 3 put month and day before the year;
// kinds 4 and 5 show years counted from 1912 (stored year = shown + 1911).

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace kv {

class DateDisplay {
public:
    // A kind outside 1..5 is taken as 1; an empty separator as "/".
    DateDisplay(int kind, std::string_view separator);

    int kind() const { return m_kind; }
    QString separator() const { return m_separator; }

    QString DateMask() const;
    QString MonthMask() const;
    QString BlankDate() const;
    QString BlankMonth() const;

    // The stored form of a shown date: "" for a blank input, nothing for a
    // text that is no existing day. A plain "YYYYMMDD" is taken as well.
    std::optional<std::string> StoredDate(const QString &shown) const;
    // The shown form of a stored date; empty when it is no date.
    QString ShownDate(std::string_view stored) const;
    // Year-month: "YYYYMM" ("%d%.2d" of the western year and the month).
    std::optional<std::string> StoredMonth(const QString &shown) const;
    QString ShownMonth(std::string_view stored) const;

private:
    QString yearPlaces(QChar place) const;
    bool yearFirst() const { return m_kind == 1 || m_kind == 4 || m_kind == 5; }
    // Splits a shown text into its parts (by separator, else by width).
    QStringList partsOf(const QString &shown, int count) const;
    int westernYear(int shownYear) const { return m_kind >= 4 ? shownYear + 1911 : shownYear; }

    int m_kind;
    QString m_separator;
};

} // namespace kv
