#include "Doc2EmfDialog.h"

#include "DocConverter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace doc2emf {

Doc2EmfDialog::Doc2EmfDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDoc2Emf"));
    setWindowTitle(QStringLiteral("Word doc转emf图档"));
    edInput = new QLineEdit(this);
    edInput->setObjectName(QStringLiteral("edInput"));
    edOutput = new QLineEdit(this);
    edOutput->setObjectName(QStringLiteral("edOutput"));
    btnInput = new QPushButton(QStringLiteral("..."), this);
    btnInput->setObjectName(QStringLiteral("btnInput"));
    btnOutput = new QPushButton(QStringLiteral("..."), this);
    btnOutput->setObjectName(QStringLiteral("btnOutput"));
    btnConvert = new QPushButton(QStringLiteral("转换"), this);
    btnConvert->setObjectName(QStringLiteral("btnConvert"));
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setWordWrap(true);

    auto *inputRow = new QHBoxLayout;
    inputRow->addWidget(edInput, 1);
    inputRow->addWidget(btnInput);
    auto *outputRow = new QHBoxLayout;
    outputRow->addWidget(edOutput, 1);
    outputRow->addWidget(btnOutput);
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("文件："), inputRow);
    form->addRow(QStringLiteral("图档："), outputRow);
    form->addRow(btnConvert);
    form->addRow(lblResult);

    connect(btnInput, &QPushButton::clicked, this, &Doc2EmfDialog::browseInput);
    connect(btnOutput, &QPushButton::clicked, this, &Doc2EmfDialog::browseOutput);
    connect(btnConvert, &QPushButton::clicked, this, &Doc2EmfDialog::convert);
    resize(520, 160);
}

void Doc2EmfDialog::browseInput()
{
    const QString file = QFileDialog::getOpenFileName(this, windowTitle(), edInput->text(),
                                                      QStringLiteral("文件 (*.odt *.fodt *.docx *.doc *.rtf *.pdf)"));
    if (file.isEmpty())
        return;
    edInput->setText(file);
    if (edOutput->text().isEmpty()) {
        const QFileInfo info(file);
        edOutput->setText(info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral(".svg")));
    }
}

void Doc2EmfDialog::browseOutput()
{
    const QString file = QFileDialog::getSaveFileName(this, windowTitle(), edOutput->text(),
                                                      QStringLiteral("图档 (*.svg *.png)"));
    if (!file.isEmpty())
        edOutput->setText(file);
}

bool Doc2EmfDialog::convert()
{
    lblResult->setText(QStringLiteral("转换中..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ConversionResult result = DocConverter().convert(edInput->text().trimmed(), edOutput->text().trimmed());
    QApplication::restoreOverrideCursor();
    lblResult->setText(result.ok ? QStringLiteral("转换完成：") + edOutput->text().trimmed()
                                 : QStringLiteral("转换失败：") + result.message);
    return result.ok;
}

} // namespace doc2emf
