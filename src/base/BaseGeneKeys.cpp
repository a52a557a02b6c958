// TfrmBaseGene: the keyboard conventions of every program window (Esc, F1,
// F2, page keys, Enter as next field) and the lookup requests of the
// window's lookup buttons.
#include "base/BaseGene.h"

#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "base/ModulePropertiesDialog.h"
#include "base/ProgramIdentity.h"
#include "controls/KovMaskEdit.h"
#include "controls/LookupRequestEvent.h"
#include "platform/Prompter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextEdit>

namespace kv {

namespace {

// An in-place editor of a list or grid handles Enter and Esc itself.
bool isItemEditor(const QWidget *widget)
{
    for (const QWidget *parent = widget ? widget->parentWidget() : nullptr; parent; parent = parent->parentWidget())
        if (qobject_cast<const QAbstractItemView *>(parent))
            return true;
    return false;
}

template <class T>
T *selfOrAncestor(QWidget *widget, const QWidget *stop)
{
    for (QWidget *current = widget; current && current != stop; current = current->parentWidget())
        if (auto *match = qobject_cast<T *>(current))
            return match;
    return nullptr;
}

} // namespace

void TfrmBaseGene::FormKeyDown(KeyEventArgs &args)
{
    QWidget *focused = QApplication::focusWidget();
    const Qt::KeyboardModifiers modifiers =
        args.shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (args.key) {
    case Qt::Key_Escape:
        if (isItemEditor(focused))
            return;
        args.key = 0;
        close();
        return;
    case Qt::Key_F1:
        callHelp();
        return;
    case Qt::Key_F2:
        DoF2(Qt::Key_F2, focused);
        return;
    case Qt::Key_V:
        if (modifiers == (Qt::ControlModifier | Qt::AltModifier)) {
            args.key = 0;
            showModuleProperties();
        }
        return;
    case Qt::Key_Backtab:
        if (modifiers & Qt::ControlModifier) {
            args.key = 0;
            moveToPage(false);
        }
        return;
    case Qt::Key_Tab:
        if (modifiers & Qt::ControlModifier) {
            args.key = 0;
            moveToPage(modifiers & Qt::ShiftModifier ? false : true);
        }
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (modifiers == Qt::ControlModifier) {
            const bool forward = args.key == Qt::Key_PageDown;
            args.key = 0;
            moveToPage(forward);
        }
        return;
    default: return;
    }
}

void TfrmBaseGene::moveToPage(bool forward)
{
    const int next = pgOption->FindNextPage(pgOption->currentIndex(), forward);
    if (next >= 0)
        pgOption->ChangeTo(next);
}

void TfrmBaseGene::callHelp()
{
    const std::string topic = ProgramIdentity::HelpTopicOf(ProgramCode);
    if (topic.empty() || !HostApp.isObject())
        return;
    try {
        HostApp.toObject()->call("CallHelp", {varArrayOf({ProgramCode.substr(0, 3), topic})});
    } catch (const std::exception &error) {
        ShowMessageBox(error.what(), MessageType::Error, MessageButton::OK);
    }
}

void TfrmBaseGene::showModuleProperties()
{
    TModulePropertiesDialog dialog(ModuleFileName, VersionStamp, this);
    Prompter::current()->showWindowModal(dialog);
}

bool TfrmBaseGene::event(QEvent *event)
{
    if (event->type() == LookupRequestEvent::kType) {
        DoF2(Qt::Key_F2, static_cast<LookupRequestEvent *>(event)->control());
        return true;
    }
    return TKVForm::event(event);
}

void TfrmBaseGene::DoF2(int key, QWidget *control)
{
    (void)key;
    if (!control)
        return;
    if (control->isEnabled() && control->isVisible() && control->focusPolicy() != Qt::NoFocus)
        control->setFocus(Qt::OtherFocusReason);
    if (control != edPrintDate)
        return;
    QString text = edPrintDate->Text();
    PickDate(text, true);
    edPrintDate->setText_(text);
}

// --- Enter as next field

void TfrmBaseGene::FormKeyPress(KeyPressArgs &args)
{
    if (args.key != QLatin1Char('\r'))
        return;
    QWidget *focused = QApplication::focusWidget();
    if (!focused || focused->window() != this || isItemEditor(focused))
        return;
    if (enterInGrid(focused)) {
        args.key = QChar();
        return;
    }
    if (memoKeepsLineBreak(focused))
        return;
    args.key = QChar();
    if (isPageEndControl(focused)) {
        const int next = pgOption->currentIndex() + 1;
        if (next < pgOption->count()) {
            pgOption->ChangeTo(next);
            return;
        }
    }
    focusNextChild();
}

bool TfrmBaseGene::enterInGrid(QWidget *focused)
{
    auto *grid = qobject_cast<QTableWidget *>(focused);
    if (!grid)
        return false;
    const int fixedColumns = qMax(0, grid->property("FixedCols").toInt());
    const int row = qMax(0, grid->currentRow());
    const int column = grid->currentColumn();
    if (column >= grid->columnCount() - 1) {
        if (row >= grid->rowCount() - 1)
            grid->setRowCount(row + 2);
        grid->setCurrentCell(row + 1, qMin(fixedColumns, grid->columnCount() - 1));
    } else {
        grid->setCurrentCell(row, column + 1);
    }
    return true;
}

// Enter breaks the line on the first two lines of a memo; further down it
// moves on like in any other input.
bool TfrmBaseGene::memoKeepsLineBreak(QWidget *focused) const
{
    if (auto *memo = qobject_cast<QPlainTextEdit *>(focused))
        return memo->textCursor().blockNumber() < 2;
    if (auto *memo = qobject_cast<QTextEdit *>(focused))
        return memo->textCursor().blockNumber() < 2;
    return false;
}

// The control itself, or the selection panel or radio group it belongs to.
bool TfrmBaseGene::isPageEndControl(QWidget *focused) const
{
    for (QWidget *widget = focused; widget && widget != this; widget = widget->parentWidget())
        for (const QPointer<QWidget> &control : PageEndControls)
            if (control == widget)
                return true;
    return false;
}

} // namespace kv
