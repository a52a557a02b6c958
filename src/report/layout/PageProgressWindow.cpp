#include "report/layout/PageProgressWindow.h"

#include "platform/report/PageStore.h"
#include "platform/report/Report.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

PageProgressWindow::PageProgressWindow(Report &report, QWidget *parent) : QDialog(parent), m_report(&report)
{
    setObjectName(QStringLiteral("ProgressForm"));
    setWindowTitle(QStringLiteral("产生报表"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    lblPages = new QLabel(QStringLiteral("产生页数: 0"), this);
    lblPages->setObjectName(QStringLiteral("lblPages"));
    lblPages->setMargin(1); // strokes beyond the font's ascent stay on the label
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblPages);
    layout->addLayout(buttons);

    connect(btnCancel, &QPushButton::clicked, this, &PageProgressWindow::cancel);
    connect(report.pages(), &PageStore::pageAvailable, this, &PageProgressWindow::pageAvailable);
}

void PageProgressWindow::pageAvailable(int pageNumber)
{
    lblPages->setText(QStringLiteral("产生页数: %1").arg(pageNumber));
}

void PageProgressWindow::cancel()
{
    m_cancelRequested = true;
    if (m_report)
        m_report->cancel();
}

} // namespace kv
