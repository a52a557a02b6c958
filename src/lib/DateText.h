#pragma once
// Date text in the ERP's formats. The database keeps dates as 8-character
// "yyyymmdd" texts and months as 6-character "yyyymm" texts; the user sees
// them in one of five display kinds (Gregorian year first, month first, day
// first, and the Republic-of-China year in two or three digits). A null QDate
// stands for the zero date: "no date", shown as an empty text.

#include "platform/Variant.h"

#include <QDate>

#include <stdexcept>
#include <string>
#include <string_view>

namespace kv {

// Raised when a text that must hold an integer does not (a stored relative
// date setting that was edited by hand, for example).
class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Day text of the date in the display kind 1..5, with the first character of
// separator between the parts; empty for the zero date or another kind.
std::string DateToString(const QDate &date, int kind, std::string_view separator);
// Month text (year and month) of the date in the display kind 1..5.
std::string MonthToString(const QDate &date, int kind, std::string_view separator);

// The date of a "yyyymmdd" text; the zero date when the text is not exactly
// eight digits or names no existing day.
QDate TransDateIn(std::string_view text);

// True for an empty text (an open bound) or an existing day written as
// "yyyymmdd" between "17530101" and "99991231".
bool CheckDate(std::string_view text);

// 28..31 by the Gregorian leap-year rule; 0 for a month outside 1..12.
int DaysInMonthOf(int year, int month);

// The base (a "yyyymmdd" text or a date variant) plus count units, as
// "yyyymmdd". Unit "D" days, "M" months, "Y" years (case ignored). Months and
// years that land on a day the target month lacks step back to its last day.
// Empty for an unusable base or an unknown unit.
std::string AddToDate(const Variant &base, std::string_view unit, int count);

// A date relative to base, as stored by a relative-date condition setting.
// count, anchor and days are decimal integers in text (ConvertError when one
// that is needed is not). A 6-character base is a month and gives a month.
std::string UpdateDate(std::string_view base, std::string_view count, std::string_view unitFlag,
                       std::string_view anchor, std::string_view days);

} // namespace kv
