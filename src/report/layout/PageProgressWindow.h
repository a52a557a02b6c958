#pragma once
// PageProgressWindow: the small window a layout shows while its report
// generates pages: the number of pages done so far and a cancel button that
// asks the report to stop after the page in progress.

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;

namespace kv {

class Report;

class PageProgressWindow : public QDialog {
    Q_OBJECT

public:
    explicit PageProgressWindow(Report &report, QWidget *parent = nullptr);

    QLabel *lblPages = nullptr;
    QPushButton *btnCancel = nullptr;

    bool cancelRequested() const { return m_cancelRequested; }

private:
    void pageAvailable(int pageNumber);
    void cancel();

    QPointer<Report> m_report;
    bool m_cancelRequested = false;
};

} // namespace kv
