#include "base/DateDisplay.h"

#include "lib/DateText.h"

#include <QDate>
#include <QStringList>

namespace kv {

namespace {

bool isNumber(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    return true;
}

} // namespace

DateDisplay::DateDisplay(int kind, std::string_view separator)
    : m_kind(kind >= 1 && kind <= 5 ? kind : 1),
      m_separator(separator.empty() ? QStringLiteral("/")
                                    : QString::fromUtf8(separator.data(), qsizetype(separator.size())).left(1))
{
}

QString DateDisplay::yearPlaces(QChar place) const
{
    const int width = m_kind == 4 ? 2 : m_kind == 5 ? 3 : 4;
    return QString(width, place);
}

QString DateDisplay::DateMask() const
{
    const QString year = yearPlaces(QLatin1Char('9'));
    const QString &s = m_separator;
    return (yearFirst() ? year + s + "99" + s + "99" : "99" + s + "99" + s + year) + QStringLiteral(";1; ");
}

QString DateDisplay::MonthMask() const
{
    const QString year = yearPlaces(QLatin1Char('9'));
    return (yearFirst() ? year + m_separator + "99" : "99" + m_separator + year) + QStringLiteral(";1; ");
}

QString DateDisplay::BlankDate() const
{
    const QString year = yearPlaces(QLatin1Char(' '));
    const QString &s = m_separator;
    return yearFirst() ? year + s + "  " + s + "  " : "  " + s + "  " + s + year;
}

QString DateDisplay::BlankMonth() const
{
    const QString year = yearPlaces(QLatin1Char(' '));
    return yearFirst() ? year + m_separator + "  " : "  " + m_separator + year;
}

QStringList DateDisplay::partsOf(const QString &shown, int count) const
{
    QStringList parts = shown.split(m_separator);
    if (parts.size() == 1 && isNumber(shown.trimmed())) {
        // Typed without separators: cut by the widths of the display.
        const QString digits = shown.trimmed();
        const int yearWidth = digits.size() - 2 * (count - 1);
        if (yearWidth < 2)
            return {};
        parts.clear();
        int position = 0;
        const QList<int> widths = yearFirst() ? (count == 3 ? QList<int>{yearWidth, 2, 2} : QList<int>{yearWidth, 2})
                                              : (count == 3 ? QList<int>{2, 2, yearWidth} : QList<int>{2, yearWidth});
        for (int width : widths) {
            parts << digits.mid(position, width);
            position += width;
        }
    }
    for (QString &part : parts)
        part = part.trimmed();
    return parts;
}

std::optional<std::string> DateDisplay::StoredDate(const QString &shown) const
{
    if (shown.trimmed().isEmpty() || shown.trimmed() == m_separator + m_separator ||
        QString(shown).remove(m_separator).trimmed().isEmpty())
        return std::string();
    const QStringList parts = partsOf(shown, 3);
    if (parts.size() != 3 || !isNumber(parts[0]) || !isNumber(parts[1]) || !isNumber(parts[2]))
        return std::nullopt;
    int year = 0, month = 0, day = 0;
    if (yearFirst()) {
        year = parts[0].toInt(), month = parts[1].toInt(), day = parts[2].toInt();
    } else if (m_kind == 2) {
        month = parts[0].toInt(), day = parts[1].toInt(), year = parts[2].toInt();
    } else {
        day = parts[0].toInt(), month = parts[1].toInt(), year = parts[2].toInt();
    }
    const std::string stored = QStringLiteral("%1%2%3")
                                   .arg(westernYear(year), 4, 10, QLatin1Char('0'))
                                   .arg(month, 2, 10, QLatin1Char('0'))
                                   .arg(day, 2, 10, QLatin1Char('0'))
                                   .toStdString();
    if (!TransDateIn(stored).isValid() || !CheckDate(stored))
        return std::nullopt;
    return stored;
}

QString DateDisplay::ShownDate(std::string_view stored) const
{
    return QString::fromStdString(DateToString(TransDateIn(stored), m_kind, m_separator.toStdString()));
}

std::optional<std::string> DateDisplay::StoredMonth(const QString &shown) const
{
    if (QString(shown).remove(m_separator).trimmed().isEmpty())
        return std::string();
    const QStringList parts = partsOf(shown, 2);
    if (parts.size() != 2 || !isNumber(parts[0]) || !isNumber(parts[1]))
        return std::nullopt;
    const int year = westernYear(yearFirst() ? parts[0].toInt() : parts[1].toInt());
    const int month = yearFirst() ? parts[1].toInt() : parts[0].toInt();
    if (month < 1 || month > 12 || year < 1753 || year > 9999)
        return std::nullopt;
    return QStringLiteral("%1%2").arg(year).arg(month, 2, 10, QLatin1Char('0')).toStdString();
}

QString DateDisplay::ShownMonth(std::string_view stored) const
{
    if (stored.size() < 6)
        return {};
    const QDate date = TransDateIn(std::string(stored.substr(0, 6)) + "01");
    return QString::fromStdString(MonthToString(date, m_kind, m_separator.toStdString()));
}

} // namespace kv
