#include "report/layout/VRSendOut.h"

#include "report/layout/OutputProgress.h"
#include "report/layout/VRBaseFmt.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kv {

namespace {

QLabel *namedLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

TfrmVRSendOut::TfrmVRSendOut(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmVRSendOut"));
    setWindowTitle(QStringLiteral("传送"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    Label1 = namedLabel("Label1", QStringLiteral("接收者:"), this);
    txtReceiver = namedLabel("txtReceiver", QString(), this);
    txtReceiveCnt = namedLabel("txtReceiveCnt", QString(), this);
    Label2 = namedLabel("Label2", QStringLiteral("转换页数:"), this);
    txtPageCnt = namedLabel("txtPageCnt", QString(), this);
    pnlProgress = new OutputProgressPanel(this);
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(txtReceiver, 0, 1);
    grid->addWidget(txtReceiveCnt, 0, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(txtPageCnt, 1, 1);
    grid->addWidget(btnCancel, 1, 2);
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar1);
    layout->addLayout(grid);
    layout->addWidget(pnlProgress);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmVRSendOut::cancelClicked);

    adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmVRSendOut::setRange(int minimum, int maximum)
{
    ProgressBar1->setRange(minimum, maximum);
    ProgressBar1->setValue(minimum);
    pnlProgress->start();
}

void TfrmVRSendOut::showReceiver(const QString &receiver, int current, int total)
{
    txtReceiver->setText(receiver);
    txtReceiveCnt->setText(QString::asprintf("%d/%d", current, total));
}

void TfrmVRSendOut::showPage(int current, int total)
{
    txtPageCnt->setText(QString::asprintf("%d/%d", current, total));
}

void TfrmVRSendOut::showSent(int done, int total, const QString &slip)
{
    pnlProgress->update(done, total, slip);
}

void TfrmVRSendOut::step()
{
    if (ProgressBar1->value() < ProgressBar1->maximum())
        ProgressBar1->setValue(ProgressBar1->value() + 1);
}

void TfrmVRSendOut::cancelClicked()
{
    if (auto *layout = qobject_cast<TfrmVRBaseFmt *>(parent()))
        layout->Cancelled = true;
}

} // namespace kv
