#include "report/layout/VRConvPic.h"

#include "report/layout/OutputProgress.h"
#include "report/layout/VRBaseFmt.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kv {

TfrmVRConvPic::TfrmVRConvPic(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmVRConvPic"));
    setWindowTitle(QStringLiteral("转图档中"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    Label1 = new QLabel(QStringLiteral("当前页数:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lblState = new QLabel(this);
    lblState->setObjectName(QStringLiteral("lblState"));
    pnlProgress = new OutputProgressPanel(this);
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *state = new QHBoxLayout;
    state->addWidget(Label1);
    state->addWidget(lblState, 1);
    state->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar1);
    layout->addLayout(state);
    layout->addWidget(pnlProgress);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmVRConvPic::cancelClicked);

    adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmVRConvPic::setRange(int minimum, int maximum)
{
    ProgressBar1->setRange(minimum, maximum);
    pnlProgress->start();
}

void TfrmVRConvPic::showProgress(int current, int total, const QString &slip)
{
    lblState->setText(QString::asprintf("%d/%d", current, total));
    ProgressBar1->setValue(current);
    pnlProgress->update(current - 1, total, slip);
}

void TfrmVRConvPic::cancelClicked()
{
    if (auto *layout = qobject_cast<TfrmVRBaseFmt *>(parent()))
        layout->Cancelled = true;
}

} // namespace kv
