#pragma once
// The host's calendar ("日期快手"): the user picks a day, starting from the
// day the window sends. Sites counting years from 1912 (the Minguo count of
// date kinds 4 and 5) see the year in that count beside the calendar.

#include <QDate>
#include <QDialog>

#include <string>

class QCalendarWidget;
class QLabel;

namespace erphost {

class CalendarDialog : public QDialog {
    Q_OBJECT

public:
    CalendarDialog(const QDate &start, bool minguoYears, QWidget *parent = nullptr);

    QDate selectedDate() const;
    void setSelectedDate(const QDate &date);
    // The picked day as "YYYYMMDD".
    std::string pickedText() const;

    // "YYYYMMDD" as a date; invalid for anything else.
    static QDate parseStored(const std::string &text);

private:
    void showChoice();

    bool m_minguo = false;
    QCalendarWidget *m_calendar = nullptr;
    QLabel *m_choice = nullptr;
};

} // namespace erphost
