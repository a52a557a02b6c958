#include "HeadlessDialogs.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <ostream>

namespace erphost {

HeadlessDialogs::HeadlessDialogs(std::ostream &err, QObject *parent) : QObject(parent), m_err(err) {}

HeadlessDialogs::~HeadlessDialogs()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void HeadlessDialogs::install()
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool HeadlessDialogs::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        if (auto *box = qobject_cast<QMessageBox *>(watched)) {
            // Answered once the box's own loop runs, so the answer ends it.
            QPointer<QMessageBox> guarded(box);
            QTimer::singleShot(0, this, [this, guarded] {
                if (guarded && guarded->isVisible())
                    answer(guarded);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

void HeadlessDialogs::answer(QMessageBox *box)
{
    QString text = box->text();
    text.replace('\n', ' ');
    m_err << "erp-host: the window shows a message (answered, no screen): " << box->windowTitle().toStdString()
          << ": " << text.simplified().toStdString() << std::endl;
    ++m_answered;
    QAbstractButton *button = box->escapeButton();
    if (!button)
        button = box->defaultButton();
    if (!button && !box->buttons().isEmpty())
        button = box->buttons().constFirst();
    if (button)
        button->click();
    else
        box->reject();
}

} // namespace erphost
