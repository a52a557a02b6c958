#include "platform/designer/DesignDialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kv {

namespace {

// A titled group of radio buttons named prefix0.. in order, the first checked.
QButtonGroup *radioGroup(QWidget *owner, QBoxLayout *into, const QString &title, const QString &prefix,
                         const QStringList &captions, QWidget *extra = nullptr)
{
    auto *box = new QGroupBox(title, owner);
    auto *column = new QVBoxLayout(box);
    auto *group = new QButtonGroup(owner);
    for (int index = 0; index < captions.size(); ++index) {
        auto *button = new QRadioButton(captions[index], box);
        button->setObjectName(prefix + QString::number(index));
        group->addButton(button, index);
        column->addWidget(button);
    }
    group->button(0)->setChecked(true);
    if (extra)
        column->addWidget(extra);
    into->addWidget(box);
    return group;
}

QDialogButtonBox *okCancel(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QSpinBox *sizeBox(QWidget *owner, const char *name)
{
    auto *box = new QSpinBox(owner);
    box->setObjectName(QLatin1String(name));
    box->setRange(1, 5000);
    box->setValue(10);
    return box;
}

} // namespace

AlignDialog::AlignDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AlignDialog"));
    setWindowTitle(QStringLiteral("元件对齐"));
    auto *outer = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    outer->addLayout(row);
    m_horizontal = radioGroup(this, row, QStringLiteral("水平"), QStringLiteral("rbHorz"),
                              {QStringLiteral("不变"), QStringLiteral("左对齐"), QStringLiteral("中心对齐"),
                               QStringLiteral("右对齐"), QStringLiteral("等距"), QStringLiteral("在带中居中")});
    m_vertical = radioGroup(this, row, QStringLiteral("垂直"), QStringLiteral("rbVert"),
                            {QStringLiteral("不变"), QStringLiteral("顶端对齐"), QStringLiteral("中心对齐"),
                             QStringLiteral("底端对齐"), QStringLiteral("等距"), QStringLiteral("在带中居中")});
    outer->addWidget(okCancel(this));
}

HorzAlign AlignDialog::horizontal() const { return HorzAlign(m_horizontal->checkedId()); }
VertAlign AlignDialog::vertical() const { return VertAlign(m_vertical->checkedId()); }

void AlignDialog::choose(HorzAlign horizontal, VertAlign vertical)
{
    m_horizontal->button(int(horizontal))->setChecked(true);
    m_vertical->button(int(vertical))->setChecked(true);
}

SizeDialog::SizeDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SizeDialog"));
    setWindowTitle(QStringLiteral("大小"));
    auto *outer = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    outer->addLayout(row);
    const QStringList rules{QStringLiteral("不变"), QStringLiteral("缩至最小"), QStringLiteral("扩至最大"),
                            QStringLiteral("固定值")};
    m_widthValue = sizeBox(this, "edWidth");
    m_heightValue = sizeBox(this, "edHeight");
    m_width = radioGroup(this, row, QStringLiteral("宽度"), QStringLiteral("rbWidth"), rules, m_widthValue);
    m_height = radioGroup(this, row, QStringLiteral("高度"), QStringLiteral("rbHeight"), rules, m_heightValue);
    outer->addWidget(okCancel(this));
}

SizeRule SizeDialog::widthRule() const { return SizeRule(m_width->checkedId()); }
SizeRule SizeDialog::heightRule() const { return SizeRule(m_height->checkedId()); }
int SizeDialog::widthValue() const { return m_widthValue->value(); }
int SizeDialog::heightValue() const { return m_heightValue->value(); }

void SizeDialog::choose(SizeRule width, int widthValue, SizeRule height, int heightValue)
{
    m_width->button(int(width))->setChecked(true);
    m_height->button(int(height))->setChecked(true);
    m_widthValue->setValue(widthValue);
    m_heightValue->setValue(heightValue);
}

ScaleDialog::ScaleDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ScaleDialog"));
    setWindowTitle(QStringLiteral("缩放"));
    auto *outer = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("缩放比例(%)"), this));
    m_percent = new QSpinBox(this);
    m_percent->setObjectName(QStringLiteral("edScale"));
    m_percent->setRange(1, 1000);
    m_percent->setValue(100);
    row->addWidget(m_percent);
    outer->addLayout(row);
    outer->addWidget(okCancel(this));
}

int ScaleDialog::percent() const { return m_percent->value(); }
void ScaleDialog::setPercent(int percent) { m_percent->setValue(percent); }

} // namespace kv
