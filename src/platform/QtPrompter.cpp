#include "platform/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>

#include <array>
#include <map>

namespace kv {

namespace {

// The order in which buttons appear in a message box.
constexpr std::array<MessageButton, 11> kButtonOrder = {
    MessageButton::Yes,    MessageButton::No,      MessageButton::OK,       MessageButton::Cancel,
    MessageButton::Abort,  MessageButton::Retry,   MessageButton::Ignore,   MessageButton::All,
    MessageButton::NoToAll, MessageButton::YesToAll, MessageButton::Help,
};

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

QMessageBox::Icon iconOf(MessageType type)
{
    switch (type) {
    case MessageType::Warning: return QMessageBox::Warning;
    case MessageType::Error: return QMessageBox::Critical;
    case MessageType::Information: return QMessageBox::Information;
    case MessageType::Confirmation: return QMessageBox::Question;
    case MessageType::Custom: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleOf(MessageButton button)
{
    switch (button) {
    case MessageButton::Yes:
    case MessageButton::YesToAll:
    case MessageButton::All: return QMessageBox::YesRole;
    case MessageButton::No:
    case MessageButton::NoToAll: return QMessageBox::NoRole;
    case MessageButton::OK: return QMessageBox::AcceptRole;
    case MessageButton::Cancel:
    case MessageButton::Abort: return QMessageBox::RejectRole;
    case MessageButton::Help: return QMessageBox::HelpRole;
    default: return QMessageBox::ActionRole;
    }
}

// Messages from the server break lines with a bare carriage return.
QString messageText(const std::string &text)
{
    QString result = qs(text);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

// Escape (or closing the box) answers as Cancel would, else Abort, else No,
// else OK: a box that offers Abort and Retry must be escapable, or a host
// that answers boxes unattended would retry forever.
MessageButton escapeButtonOf(MessageButtons buttons)
{
    for (MessageButton candidate : {MessageButton::Cancel, MessageButton::Abort, MessageButton::No, MessageButton::OK})
        if (buttons.testFlag(candidate))
            return candidate;
    return MessageButton::Cancel;
}

QString patternsOf(QString patterns)
{
    QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString &pattern : list) {
        pattern = pattern.trimmed();
        // "*.*" means every file; on this file system names need no dot.
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    }
    return list.join(QLatin1Char(' '));
}

std::optional<std::string> chosenPath(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

} // namespace

QtPrompter::QtPrompter() : m_captions(defaultButtonCaption), m_titles(defaultTypeTitle) {}

void QtPrompter::setButtonCaptions(ButtonCaptions captions)
{
    m_captions = captions ? std::move(captions) : ButtonCaptions(defaultButtonCaption);
}

void QtPrompter::setTypeTitles(TypeTitles titles)
{
    m_titles = titles ? std::move(titles) : TypeTitles(defaultTypeTitle);
}

std::string QtPrompter::defaultButtonCaption(MessageButton button)
{
    switch (button) {
    case MessageButton::Yes: return "&Yes";
    case MessageButton::No: return "&No";
    case MessageButton::OK: return "OK";
    case MessageButton::Cancel: return "Cancel";
    case MessageButton::Abort: return "&Abort";
    case MessageButton::Retry: return "&Retry";
    case MessageButton::Ignore: return "&Ignore";
    case MessageButton::All: return "&All";
    case MessageButton::NoToAll: return "N&o to All";
    case MessageButton::YesToAll: return "Yes to &All";
    case MessageButton::Help: return "&Help";
    }
    return {};
}

std::string QtPrompter::defaultTypeTitle(MessageType type)
{
    switch (type) {
    case MessageType::Warning: return "Warning";
    case MessageType::Error: return "Error";
    case MessageType::Information: return "Information";
    case MessageType::Confirmation: return "Confirm";
    case MessageType::Custom: return QApplication::applicationName().toStdString();
    }
    return {};
}

QString QtPrompter::qtFilter(const std::string &filter)
{
    const QString text = qs(filter);
    if (!text.contains(QLatin1Char('|')))
        return text;
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // A description that shows its patterns already would show them twice.
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0)
                description = description.left(open).trimmed();
        }
        entries << description + QStringLiteral(" (") + patternsOf(parts[i + 1]) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

ModalResult QtPrompter::messageBox(const std::string &text, const std::string &caption, MessageType type,
                                   MessageButtons buttons, MessageButton defaultButton)
{
    buttons = effectiveButtons(buttons);
    QMessageBox box(dialogParent());
    box.setIcon(iconOf(type));
    box.setWindowTitle(qs(caption.empty() ? m_titles(type) : caption));
    // Server texts are shown as they are, never interpreted as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(messageText(text));

    std::map<QAbstractButton *, MessageButton> shown;
    for (MessageButton button : kButtonOrder) {
        if (!buttons.testFlag(button))
            continue;
        QPushButton *widget = box.addButton(qs(m_captions(button)), roleOf(button));
        shown.emplace(widget, button);
        if (button == defaultButton)
            box.setDefaultButton(widget);
        if (button == escapeButtonOf(buttons))
            box.setEscapeButton(widget);
    }
    box.exec();

    const auto clicked = shown.find(box.clickedButton());
    if (clicked == shown.end())
        return resultOf(escapeButtonOf(buttons));
    return resultOf(clicked->second);
}

bool QtPrompter::inputQuery(const std::string &caption, const std::string &prompt, std::string &value)
{
    bool accepted = false;
    const QString answer = QInputDialog::getText(dialogParent(), qs(caption), qs(prompt), QLineEdit::Normal,
                                                 qs(value), &accepted);
    if (accepted)
        value = answer.toStdString();
    return accepted;
}

std::optional<std::string> QtPrompter::chooseOpenFile(const std::string &caption, const std::string &filter,
                                                      const std::string &initialPath)
{
    return chosenPath(QFileDialog::getOpenFileName(dialogParent(), qs(caption), qs(initialPath), qtFilter(filter)));
}

std::optional<std::string> QtPrompter::chooseSaveFile(const std::string &caption, const std::string &filter,
                                                      const std::string &initialPath)
{
    return chosenPath(QFileDialog::getSaveFileName(dialogParent(), qs(caption), qs(initialPath), qtFilter(filter)));
}

bool QtPrompter::choosePrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer, dialogParent());
    return dialog.exec() == QDialog::Accepted;
}

int QtPrompter::showWindowModal(QDialog &dialog)
{
    return dialog.exec();
}

} // namespace kv
