#include "lib/DateText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace kv {

namespace {

// Republic-of-China years count from 1912 (year 1).
constexpr int kRocYearOffset = 1911;

// The first character of the separator text. Text is UTF-8, so a separator
// such as "年" is one character of several bytes and is kept whole.
std::string firstCharacter(std::string_view text)
{
    if (text.empty())
        return {};
    std::size_t length = 1;
    while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        ++length;
    return std::string(text.substr(0, length));
}

std::string format(const char *pattern, int first, const std::string &sep, int second)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, first, sep.c_str(), second);
    return buffer;
}

std::string format(const char *pattern, int first, const std::string &sep, int second, int third)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, pattern, first, sep.c_str(), second, sep.c_str(), third);
    return buffer;
}

// Digits only: the parts of a date text never carry signs or blanks.
bool parseDigits(std::string_view text, int &out)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    std::from_chars(text.data(), text.data() + text.size(), out);
    return true;
}

// "yyyymmdd", or empty for a date that has no such text (no date, or a year
// outside 1..9999 that a calculation ran into).
std::string toDateText(const QDate &date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    return format("%.4d%s%.2d%s%.2d", date.year(), std::string(), date.month(), date.day());
}

int toInteger(std::string_view text)
{
    std::string_view digits = text;
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == ' ')
        digits.remove_suffix(1);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

// Weekday with Sunday as 1 and Saturday as 7, the week the conditions use.
int sundayBasedWeekday(const QDate &date)
{
    return date.dayOfWeek() % 7 + 1;
}

} // namespace

std::string DateToString(const QDate &date, int kind, std::string_view separator)
{
    if (!date.isValid())
        return {};
    const std::string sep = firstCharacter(separator);
    const int y = date.year(), m = date.month(), d = date.day();
    switch (kind) {
    case 1: return format("%.4d%s%.2d%s%.2d", y, sep, m, d);
    case 2: return format("%.2d%s%.2d%s%.4d", m, sep, d, y);
    case 3: return format("%.2d%s%.2d%s%.4d", d, sep, m, y);
    case 4: return format("%.2d%s%.2d%s%.2d", y - kRocYearOffset, sep, m, d);
    case 5: return format("%.3d%s%.2d%s%.2d", y - kRocYearOffset, sep, m, d);
    default: return {};
    }
}

std::string MonthToString(const QDate &date, int kind, std::string_view separator)
{
    if (!date.isValid())
        return {};
    const std::string sep = firstCharacter(separator);
    const int y = date.year(), m = date.month();
    switch (kind) {
    case 1: return format("%.4d%s%.2d", y, sep, m);
    case 2:
    case 3: return format("%.2d%s%.4d", m, sep, y);
    case 4: return format("%.2d%s%.2d", y - kRocYearOffset, sep, m);
    case 5: return format("%.3d%s%.2d", y - kRocYearOffset, sep, m);
    default: return {};
    }
}

QDate TransDateIn(std::string_view text)
{
    int year = 0, month = 0, day = 0;
    if (text.size() != 8 || !parseDigits(text.substr(0, 4), year) || !parseDigits(text.substr(4, 2), month)
        || !parseDigits(text.substr(6, 2), day))
        return {};
    if (year == 0 || month == 0 || day == 0)
        return {};
    return QDate(year, month, day); // null when the day does not exist
}

bool CheckDate(std::string_view text)
{
    if (text.empty())
        return true;
    // The length is checked as well: a longer text whose first eight
    // characters form a date is not a date text and must not pass as one.
    return TransDateIn(text).isValid() && text >= "17530101" && text <= "99991231";
}

int DaysInMonthOf(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

std::string AddToDate(const Variant &base, std::string_view unit, int count)
{
    const Variant &value = base.deref();
    QDate date;
    if (value.isText())
        date = TransDateIn(value.toText());
    else if (value.type() == VarType::Date && !value.toDate().isZero())
        date = value.toDate().toDate();
    if (!date.isValid())
        return {};
    const std::string upper =
        unit.size() == 1 ? std::string(1, char(std::toupper(static_cast<unsigned char>(unit[0])))) : std::string();
    // QDate clamps a day the target month lacks to that month's last day,
    // which is the rule for months and, by choice, for 29 February plus years.
    if (upper == "D")
        return toDateText(date.addDays(count));
    if (upper == "M")
        return toDateText(date.addMonths(count));
    if (upper == "Y")
        return toDateText(date.addYears(count));
    return {};
}

std::string UpdateDate(std::string_view base, std::string_view count, std::string_view unitFlag,
                       std::string_view anchor, std::string_view days)
{
    if (base.size() < 7) {
        const std::string month = AddToDate(Variant(std::string(base) + "01"), "M", toInteger(count));
        return month.substr(0, std::min<std::size_t>(6, month.size()));
    }
    if (unitFlag != "0") {
        const std::string moved = AddToDate(Variant(std::string(base)), "M", toInteger(count));
        const QDate date = TransDateIn(moved);
        switch (toInteger(anchor)) {
        case 0: return AddToDate(Variant(moved), "D", toInteger(days));
        case 1: return date.isValid() ? toDateText(QDate(date.year(), date.month(), 1)) : std::string();
        case 2:
            return date.isValid()
                       ? toDateText(QDate(date.year(), date.month(), DaysInMonthOf(date.year(), date.month())))
                       : std::string();
        default: return moved;
        }
    }
    // Weeks. Day arithmetic in 64 bits: a hand-edited count must not overflow.
    const qint64 weekDays = qint64(toInteger(count)) * 7;
    const int anchorValue = toInteger(anchor);
    const QDate date = TransDateIn(base);
    if (!date.isValid())
        return {};
    if (anchorValue != 0) {
        const QDate moved = date.addDays(weekDays);
        if (!moved.isValid())
            return {};
        const int weekday = sundayBasedWeekday(moved);
        return toDateText(moved.addDays(anchorValue == 1 ? 1 - weekday : 7 - weekday));
    }
    return toDateText(date.addDays(weekDays + toInteger(days)));
}

} // namespace kv
