#include "base/ModulePropertiesDialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace kv {

TModulePropertiesDialog::TModulePropertiesDialog(const std::string &fileName, const std::string &versionStamp,
                                                 QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ModuleProperties"));
    const QFileInfo info(QString::fromStdString(fileName));
    setWindowTitle(info.fileName() + QStringLiteral(" 属性"));
    auto *form = new QFormLayout;
    const auto add = [&](const QString &caption, const QString &value) {
        auto *label = new QLabel(value, this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto *name = new QLabel(caption, this);
        // Room for strokes beyond the font's ascent and descent.
        for (QLabel *text : {name, label})
            text->setMargin(1);
        form->addRow(name, label);
        m_lines << caption + QStringLiteral(": ") + value;
    };
    const QLocale locale;
    add(QStringLiteral("文件名"), info.fileName());
    add(QStringLiteral("位置"), info.absolutePath());
    if (info.exists()) {
        add(QStringLiteral("大小"), locale.formattedDataSize(info.size()));
        add(QStringLiteral("修改时间"), info.lastModified().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
    } else {
        add(QStringLiteral("大小"), QStringLiteral("-"));
    }
    add(QStringLiteral("版本"), QString::fromStdString(versionStamp));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

} // namespace kv
