// The format-style list of the condition window: which stored styles of the
// layout class are offered, the default style of a program, slip type or
// user, and the deletion of a style.

#include "report/options/VROpt.h"

#include "controls/BtChkBox.h"
#include "controls/GSpdBtn.h"
#include "lib/UserDefIni.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include <optional>

namespace kv {

namespace {

// The current value of an option control as a stored option state records
// it: the item index of a combo box or radio group, "1"/"0" for a check
// box. Nothing for other controls.
std::optional<QString> optionValueOf(const QWidget *control)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return QString::number(combo->currentIndex());
    if (const auto *check = qobject_cast<const TBitCheckBox *>(control))
        return QString::fromLatin1(check->isChecked() ? "1" : "0");
    if (const auto *button = qobject_cast<const QAbstractButton *>(control); button && button->isCheckable())
        return QString::fromLatin1(button->isChecked() ? "1" : "0");
    // Radio groups publish their checked item as ItemIndex.
    const QVariant index = control->property("ItemIndex");
    if (index.isValid() && index.canConvert<int>())
        return QString::number(index.toInt());
    return std::nullopt;
}

bool ownEnabled(const QWidget *widget)
{
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

} // namespace

void TfrmVROpt::wireStyleHandlers()
{
    btnDelFormStype->setEventOnClick(action("btnDelFormStypeClick", [this] { btnDelFormStypeClick(); }));
}

// --- the list

void TfrmVROpt::ReloadStyles()
{
    const QString remembered = cboFormStyleName->count() == 0 ? QString::fromLatin1(kNewStyle)
                                                               : cboFormStyleName->currentText();
    cboFormStyleName->clear();
    if (ownEnabled(cboFormStyleName))
        cboFormStyleName->addItem(QString::fromLatin1(kNewStyle));
    cboFormStyleName->addItems(matchingStyles());
    const int index = cboFormStyleName->findText(remembered, Qt::MatchFixedString);
    cboFormStyleName->setCurrentIndex(index >= 0 ? index : 0);
}

QStringList TfrmVROpt::matchingStyles()
{
    QStringList styles;
    if (!LayoutClass)
        return styles;
    Variant rows;
    if (!CheckCode("WARRANT", "01", false, rows, varArrayOf({LayoutClassName()})) || !rows.isArray())
        return styles;
    // A row the walk cannot read ends it; the styles found so far stay.
    try {
        const VariantArray &table = rows.array();
        for (int row = table.lowBound(); row <= table.highBound(); ++row) {
            const Variant &style = table.at(row).deref();
            if (StyleMatchesOptions(rowText(style, 1)))
                styles << QString::fromStdString(rowText(style, 0));
        }
    } catch (const std::exception &) {
    }
    return styles;
}

bool TfrmVROpt::StyleMatchesOptions(const std::string &optionState) const
{
    const QString state = QString::fromStdString(optionState);
    if (state.trimmed().isEmpty())
        return true;
    const QList<QWidget *> controls = findChildren<QWidget *>();
    for (const QString &rawLine : state.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty())
            continue;
        const int colon = line.indexOf(QLatin1Char(':'));
        const int equals = line.indexOf(QLatin1Char('='));
        const QString name = line.left(colon >= 0 ? colon : equals).trimmed();
        const QString stored = equals >= 0 ? line.mid(equals + 1).trimmed() : QString();
        const QWidget *control = nullptr;
        for (const QWidget *candidate : controls)
            if (!name.isEmpty() && candidate->objectName().compare(name, Qt::CaseInsensitive) == 0) {
                control = candidate;
                break;
            }
        if (!control)
            return false;
        const std::optional<QString> current = optionValueOf(control);
        if (!current || *current != stored)
            return false;
    }
    return true;
}

std::string TfrmVROpt::DefaultStyle(const std::string &key) const
{
    return TUserDefIni().DefaultStyle(QString::fromStdString(ProgramCode).toUpper().toStdString(), key);
}

void TfrmVROpt::SelectStyle(const std::string &name)
{
    cboFormStyleName->setCurrentIndex(cboFormStyleName->findText(QString::fromStdString(name), Qt::MatchFixedString));
}

// --- handlers

void TfrmVROpt::cboFormStyleNameDropDown()
{
    ReloadStyles();
}

bool TfrmVROpt::cboFormStyleNameKeyPress(QChar key)
{
    if (key == QLatin1Char('\b') || key == QLatin1Char('.') || !key.isPrint())
        return true;
    const QLineEdit *edit = cboFormStyleName->lineEdit();
    const qsizetype length = cboFormStyleName->currentText().size();
    const qsizetype selected = edit ? edit->selectedText().size() : 0;
    if (length - selected + 1 <= kMaxStyleName)
        return true;
    ShowCodedMessage("E", "100319", 0, {});
    return false;
}

void TfrmVROpt::btnDelFormStypeClick()
{
    const QString name = cboFormStyleName->currentText();
    if (name.toUpper() == QLatin1String("<NEW>"))
        return;
    if (name.isEmpty() && cboFormStyleName->findText(QString(), Qt::MatchFixedString) >= 0)
        return;
    if (ShowMessageBox(OptText("DeleteStyleConfirm", "确认删除选中的凭证格式吗?"), MessageType::Confirmation,
                       MessageButton::Yes | MessageButton::No) != mrYes)
        return;
    Variant stored;
    if (!CheckCode("WARRANT", "03", false, stored, varArrayOf({LayoutClassName(), name.toStdString()}))) {
        ShowMessageBox(OptText("StyleNotExist", "格式档不存在!"), MessageType::Error, MessageButton::OK);
        return;
    }
    if (!stored.isArray() || stored.array().elementCount() == 0)
        return;
    if (deleteStoredStyle())
        ShowMessageBox(OptText("DeleteStyleDone", "删除成功!"), MessageType::Information, MessageButton::OK);
    else
        ShowMessageBox(OptText("DeleteStyleFailed", "删除失败!"), MessageType::Error, MessageButton::OK);
    // Whatever the server did, the list shows what is stored now.
    cboFormStyleName->clear();
    cboFormStyleName->addItem(QStringLiteral("<NEW>"));
    cboFormStyleName->addItems(matchingStyles());
    cboFormStyleName->setCurrentIndex(0);
}

// True when the program server removed the style of the combo's text; a
// server that is not there or fails counts as a failed deletion.
bool TfrmVROpt::deleteStoredStyle()
{
    if (!ProgramServer.isObject())
        return false;
    const std::string name = QString::fromStdString(StyleNameForStorage()).trimmed().toStdString();
    try {
        const Variant removed =
            ProgramServer.toObject()->call("RunDeleteSQL", {varArrayOf({LayoutClassName(), name})});
        return removed.isNumeric() && removed.toInt() > 0;
    } catch (const std::exception &) {
        return false;
    }
}

bool TfrmVROpt::eventFilter(QObject *watched, QEvent *event)
{
    if (cboFormStyleName && (watched == cboFormStyleName || watched == cboFormStyleName->lineEdit()) &&
        styleComboEvent(watched, event))
        return true;
    return TfrmVRBaseOpt::eventFilter(watched, event);
}

// The style combo refills its list whenever it is about to drop down, and
// refuses keys that would make a name longer than the store keeps. True
// when the event is used up.
bool TfrmVROpt::styleComboEvent(QObject *watched, QEvent *event)
{
    if (!cboFormStyleName->isEnabled())
        return false;
    if (event->type() == QEvent::MouseButtonPress && watched == cboFormStyleName) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            cboFormStyleNameDropDown();
        return false;
    }
    if (event->type() != QEvent::KeyPress || watched != QApplication::focusWidget())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool alt = key->modifiers() & Qt::AltModifier;
    if (key->key() == Qt::Key_F4 || (alt && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up))) {
        cboFormStyleNameDropDown();
        return false;
    }
    if (key->text().isEmpty())
        return false;
    return !cboFormStyleNameKeyPress(key->text().at(0));
}

} // namespace kv
