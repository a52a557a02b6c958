#include "report/layout/PreviewFindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace kv {

PreviewFindBar::PreviewFindBar(QWidget *parent) : QWidget(parent), m_notFound(QStringLiteral("找不到"))
{
    setObjectName(QStringLiteral("FindBar"));
    auto *bar = new QHBoxLayout(this);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->setSpacing(4);
    lblFind = new QLabel(QStringLiteral("查找"), this);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    edtFind = new QLineEdit(this);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    edtFind->setMinimumWidth(200);
    edtFind->setClearButtonEnabled(true);
    auto button = [this](const char *name, const char *caption, QStyle::StandardPixmap icon) {
        auto *tool = new QToolButton(this);
        tool->setObjectName(QLatin1String(name));
        tool->setText(QString::fromUtf8(caption));
        tool->setToolTip(QString::fromUtf8(caption));
        tool->setIcon(style()->standardIcon(icon));
        tool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        tool->setAutoRaise(true);
        return tool;
    };
    btnFindNext = button("btnFindNext", "下一个", QStyle::SP_ArrowDown);
    btnFindPrevious = button("btnFindPrevious", "上一个", QStyle::SP_ArrowUp);
    lblFindCount = new QLabel(this);
    lblFindCount->setObjectName(QStringLiteral("lblFindCount"));
    lblFindCount->setMinimumWidth(80);
    btnFindClose = button("btnFindClose", "", QStyle::SP_TitleBarCloseButton);
    btnFindClose->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QWidget *widget : std::initializer_list<QWidget *>{lblFind, edtFind, btnFindNext, btnFindPrevious,
                                                            lblFindCount})
        bar->addWidget(widget);
    bar->addStretch(1);
    bar->addWidget(btnFindClose);

    connect(edtFind, &QLineEdit::textChanged, this, &PreviewFindBar::searchChanged);
    connect(btnFindNext, &QToolButton::clicked, this, [this] { emit stepRequested(1); });
    connect(btnFindPrevious, &QToolButton::clicked, this, [this] { emit stepRequested(-1); });
    connect(btnFindClose, &QToolButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    edtFind->installEventFilter(this);
    hide();
}

void PreviewFindBar::open()
{
    show();
    edtFind->setFocus();
    edtFind->selectAll();
}

void PreviewFindBar::showCount(int current, int count)
{
    if (edtFind->text().trimmed().isEmpty())
        lblFindCount->clear();
    else if (count == 0)
        lblFindCount->setText(m_notFound);
    else
        lblFindCount->setText(QStringLiteral("%1 / %2").arg(current + 1).arg(count));
}

bool PreviewFindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtFind && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit stepRequested((key->modifiers() & Qt::ShiftModifier) ? -1 : 1);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hide();
            emit closed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kv
