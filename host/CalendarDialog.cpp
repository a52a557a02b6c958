#include "CalendarDialog.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace erphost {

namespace {

constexpr int kMinguoOffset = 1911; // Minguo year 1 is 1912

} // namespace

CalendarDialog::CalendarDialog(const QDate &start, bool minguoYears, QWidget *parent)
    : QDialog(parent), m_minguo(minguoYears)
{
    setObjectName("frmCalendar");
    setWindowTitle(QStringLiteral("日期快手"));
    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName("calDate");
    m_calendar->setGridVisible(true);
    m_choice = new QLabel(this);
    m_choice->setObjectName("lblDate");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("btnOk");
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("btnCancel");
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_calendar);
    layout->addWidget(m_choice);
    layout->addWidget(buttons);

    connect(m_calendar, &QCalendarWidget::selectionChanged, this, &CalendarDialog::showChoice);
    connect(m_calendar, &QCalendarWidget::activated, this, [this] { accept(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setSelectedDate(start.isValid() ? start : QDate::currentDate());
}

QDate CalendarDialog::selectedDate() const
{
    return m_calendar->selectedDate();
}

void CalendarDialog::setSelectedDate(const QDate &date)
{
    m_calendar->setSelectedDate(date);
    showChoice();
}

std::string CalendarDialog::pickedText() const
{
    return selectedDate().toString("yyyyMMdd").toStdString();
}

QDate CalendarDialog::parseStored(const std::string &text)
{
    if (text.size() != 8)
        return {};
    return QDate::fromString(QString::fromStdString(text), "yyyyMMdd");
}

void CalendarDialog::showChoice()
{
    const QDate date = selectedDate();
    QString text = date.toString("yyyy/MM/dd");
    if (m_minguo && date.year() > kMinguoOffset)
        text += QStringLiteral("（民国 %1 年）").arg(date.year() - kMinguoOffset);
    m_choice->setText(text);
}

} // namespace erphost
