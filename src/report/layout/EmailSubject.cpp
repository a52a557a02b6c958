#include "report/layout/EmailSubject.h"

#include "base/KvBitBtn.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

namespace kv {

TfrmEmailSubject::TfrmEmailSubject(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEmailSubject"));
    setWindowTitle(QStringLiteral("E-Mail 主题"));
    // A fixed dialog border that stays above the other windows.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                   Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("E-Mail主题"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    edtSubject = new QLineEdit(this);
    edtSubject->setObjectName(QStringLiteral("edtSubject"));
    edtSubject->setMinimumWidth(320);
    Label1->setBuddy(edtSubject);
    BitBtn1 = new TKvBitBtn(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setText(QStringLiteral("确定"));
    BitBtn1->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(edtSubject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, &TfrmEmailSubject::BitBtn1Click);
}

void TfrmEmailSubject::SetSubject(const QString &subject)
{
    edtSubject->setText(subject);
}

void TfrmEmailSubject::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the screen rather than on whichever window opened it.
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}

void TfrmEmailSubject::BitBtn1Click()
{
    m_subject = edtSubject->text();
    accept();
}

} // namespace kv
