// TfrmBaseGene: date and year-month inputs, required inputs, the exit checks
// that run when an input loses the focus, and the packing of the options
// into run parameters.
#include "base/BaseGene.h"

#include "base/DataLabel.h"
#include "base/DateDisplay.h"
#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "base/RequiredInputs.h"
#include "controls/KovListView.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "lib/LibStrs.h"
#include "lib/LibVCLs.h"
#include "platform/Clock.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>

namespace kv {

namespace {

bool listContains(const std::string &list, const QString &name)
{
    return TfrmBaseGene::listContainsName(list, name);
}

void appendToList(std::string &list, const std::string &name)
{
    if (listContains(list, QString::fromStdString(name)))
        return;
    if (!list.empty())
        list += ",";
    list += name;
}

// The edits of a date input: both edits of a selection panel, or the edit.
QList<QLineEdit *> editsOf(QWidget *control)
{
    if (auto *panel = qobject_cast<TSelectPanel *>(control))
        return {panel->edBegin(), panel->edFinal()};
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return {edit};
    return {};
}

QString editText(const QLineEdit *edit)
{
    if (auto *mask = qobject_cast<const TKovMaskEdit *>(edit))
        return mask->Text();
    return edit->text();
}

void setEditText(QLineEdit *edit, const QString &text)
{
    if (auto *mask = qobject_cast<TKovMaskEdit *>(edit))
        mask->setText_(text);
    else
        edit->setText(text);
}

} // namespace

bool TfrmBaseGene::listContainsName(const std::string &commaList, const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QString &item : QString::fromStdString(commaList).split(QLatin1Char(',')))
        if (item.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// --- dates

DateDisplay TfrmBaseGene::dateDisplay() const
{
    return DateDisplay(DateKind, DateSep);
}

QString TfrmBaseGene::DateMask() const
{
    return dateDisplay().DateMask();
}

QString TfrmBaseGene::MonthMask() const
{
    return dateDisplay().MonthMask();
}

QString TfrmBaseGene::BlankDate() const
{
    return dateDisplay().BlankDate();
}

QString TfrmBaseGene::BlankMonth() const
{
    return dateDisplay().BlankMonth();
}

std::string TfrmBaseGene::StoredDate(const QString &shown) const
{
    return dateDisplay().StoredDate(shown).value_or(std::string());
}

QString TfrmBaseGene::ShownDate(const std::string &stored) const
{
    return dateDisplay().ShownDate(stored);
}

std::string TfrmBaseGene::StoredMonth(const QString &shown) const
{
    return dateDisplay().StoredMonth(shown).value_or(std::string());
}

QString TfrmBaseGene::ShownMonth(const std::string &stored) const
{
    return dateDisplay().ShownMonth(stored);
}

void TfrmBaseGene::AddDateField(const std::string &name)
{
    appendToList(DateFields, name);
}

void TfrmBaseGene::AddMonthField(const std::string &name)
{
    appendToList(MonthFields, name);
}

bool TfrmBaseGene::CheckDateInput(QWidget *control, bool setup, std::string *code)
{
    return checkDateEdits(control, setup, code, true);
}

bool TfrmBaseGene::CheckMonthInput(QWidget *control, bool setup, std::string *code)
{
    return checkDateEdits(control, setup, code, false);
}

bool TfrmBaseGene::checkDateEdits(QWidget *control, bool setup, std::string *code, bool asDate)
{
    const QList<QLineEdit *> edits = editsOf(control);
    if (edits.isEmpty()) {
        const std::string text = asDate ? BaseText("sDatePramError", "判断日期的函数第一个参数错误, 只能传下列三种物件:")
                                        : BaseText("sYMPramError", "判断年月的函数第一个参数错误, 只能传下列三种物件:");
        ShowMessageBox(text + "\r" + "TSelectPanel, TMaskedit, TEdit", MessageType::Error, MessageButton::OK);
        return false;
    }
    const DateDisplay display = dateDisplay();
    const QString mask = asDate ? display.DateMask() : display.MonthMask();
    if (setup) {
        if (auto *panel = qobject_cast<TSelectPanel *>(control))
            panel->setEditMask(mask);
        else if (auto *maskEdit = qobject_cast<TKovMaskEdit *>(control))
            maskEdit->setEditMask(mask);
        else
            edits.first()->setText(asDate ? display.BlankDate() : display.BlankMonth());
        return true;
    }
    for (QLineEdit *edit : edits) {
        const QString text = editText(edit);
        const std::optional<std::string> stored = asDate ? display.StoredDate(text) : display.StoredMonth(text);
        if (!stored) {
            edit->setFocus(Qt::OtherFocusReason);
            if (code)
                *code = "E;000005";
            return false;
        }
        // A valid date typed without the mask's help is shown in the
        // window's display.
        if (!stored->empty() && !qobject_cast<TKovMaskEdit *>(edit))
            setEditText(edit, asDate ? display.ShownDate(*stored) : display.ShownMonth(*stored));
    }
    return true;
}

// --- exit checks

QWidget *TfrmBaseGene::logicalInput(QWidget *widget) const
{
    for (QWidget *current = widget; current && current != this; current = current->parentWidget())
        if (auto *panel = qobject_cast<TSelectPanel *>(current))
            return panel;
    return widget;
}

void TfrmBaseGene::focusChanged(QWidget *old, QWidget *now)
{
    // Only the press that moved the focus is swallowed, never a later one.
    m_refusedFocus = nullptr;
    if (!now || now->window() != this)
        return; // another window: no exit or enter here
    LastFocused = now;
    if (m_inExitCheck || !old || old->window() != this)
        return;
    QWidget *oldInput = logicalInput(old);
    QWidget *newInput = logicalInput(now);
    if (oldInput == newInput)
        return;
    m_inExitCheck = true;
    try {
        FieldExit(oldInput);
        if (InputInvalid) {
            // The check has put the focus back into the input; the click
            // that tried to take it elsewhere must not act either.
            m_refusedFocus = now;
        } else if (newInput && (listContains(DateFields, newInput->objectName()) ||
                                listContains(MonthFields, newInput->objectName()))) {
            m_onDateFieldEnter(newInput);
        }
    } catch (const std::exception &error) {
        m_inExitCheck = false;
        ShowMessageBox(error.what(), MessageType::Error, MessageButton::OK);
    }
    m_inExitCheck = false;
}

// A mouse press gives the focus before it reaches its widget. When the
// exit check refused that focus, the press and the release that ends it are
// taken away from the widget, as a click that opened a message box is lost
// on the desktop: a button pressed to leave a wrong date does not act.
bool TfrmBaseGene::swallowsRefusedClick(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (!m_refusedFocus || (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
                            type != QEvent::MouseButtonDblClick))
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return false;
    bool refused = widget == m_refusedFocus || m_refusedFocus->isAncestorOf(widget);
    for (QWidget *proxy = widget->focusProxy(); proxy && !refused; proxy = proxy->focusProxy())
        refused = proxy == m_refusedFocus;
    if (!refused)
        return false;
    if (type == QEvent::MouseButtonRelease)
        m_refusedFocus = nullptr;
    return true;
}

bool TfrmBaseGene::eventFilter(QObject *watched, QEvent *event)
{
    if (swallowsRefusedClick(watched, event))
        return true;
    return TKVForm::eventFilter(watched, event);
}

void TfrmBaseGene::FieldExit(QWidget *control)
{
    QWidget *input = logicalInput(control);
    if (!input)
        return;
    InputInvalid = false;
    const QString name = input->objectName();
    if (listContains(DateFields, name) || listContains(MonthFields, name))
        m_onDateFieldExit(input);
    for (const RequiredInputs::Entry &entry : RequiredInputs::parse(m_requiredSpec))
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            m_onRequiredExit(input);
}

void TfrmBaseGene::DateFieldEnter(QObject *sender)
{
    auto *control = qobject_cast<QWidget *>(sender);
    for (QLineEdit *edit : editsOf(control))
        if (edit->hasFocus())
            edit->selectAll();
}

void TfrmBaseGene::DateFieldExit(QObject *sender)
{
    auto *control = qobject_cast<QWidget *>(sender);
    if (!control)
        return;
    std::string code;
    const bool isDate = listContains(DateFields, control->objectName());
    const bool valid = isDate ? CheckDateInput(control, false, &code) : CheckMonthInput(control, false, &code);
    if (valid)
        return;
    InputInvalid = true;
    if (!code.empty())
        ReportMessage(code);
}

// A required input keeps its colour however the program changed it
// meanwhile, so that the user still sees which inputs must be filled.
void TfrmBaseGene::RequiredExit(QObject *sender)
{
    for (const RequiredInputs::Entry &entry : RequiredInputs::parse(m_requiredSpec))
        if (sender && entry.name.compare(sender->objectName(), Qt::CaseInsensitive) == 0)
            for (QWidget *input : RequiredInputs::colouredInputs(sender, entry.part))
                SetColorOf(input, requiredColor());
}

// A date that reached an input without passing its exit check (a
// condition package, a restored set, a window run while hidden) must stop a
// run: the query would drop the bound without a word. The print date is
// left to the packing of the options, which reports it in words of its own.
bool TfrmBaseGene::CheckDateFields()
{
    for (const bool asDate : {true, false}) {
        for (const QString &name : QString::fromStdString(asDate ? DateFields : MonthFields).split(QLatin1Char(','))) {
            auto *control = name.trimmed().isEmpty() ? nullptr : findChild<QWidget *>(name.trimmed());
            if (!control || control == edPrintDate || editsOf(control).isEmpty())
                continue;
            std::string code;
            if (checkDateEdits(control, false, &code, asDate))
                continue;
            showPageOf(control);
            checkDateEdits(control, false, &code, asDate); // on its page now: focuses the wrong edit
            InputInvalid = true;
            ReportMessage(code);
            return false;
        }
    }
    return true;
}

void TfrmBaseGene::showPageOf(QWidget *input)
{
    for (QWidget *parent = input; parent && parent != this; parent = parent->parentWidget())
        if (auto *sheet = qobject_cast<TKvTabSheet *>(parent); sheet && sheet->pageControl() == pgOption) {
            if (pgOption->activePage() != sheet)
                pgOption->setActivePage(sheet);
            return;
        }
}

// --- required inputs

void TfrmBaseGene::SetColorOf(QWidget *input, const QColor &color)
{
    input->setProperty("Color", color);
}

QString TfrmBaseGene::colourKey(QWidget *input) const
{
    for (QWidget *parent = input->parentWidget(); parent && parent != this; parent = parent->parentWidget())
        if (auto *panel = qobject_cast<TSelectPanel *>(parent)) {
            if (input == panel->edBegin())
                return panel->objectName() + QStringLiteral(".edBegin");
            if (input == panel->edFinal())
                return panel->objectName() + QStringLiteral(".edFinal");
            if (input == panel->ListBox())
                return panel->objectName() + QStringLiteral(".ListBox");
        }
    return input->objectName();
}

void TfrmBaseGene::recordInputColours()
{
    m_inputColours.clear();
    const std::function<void(QWidget *)> record = [&](QWidget *container) {
        for (QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (auto *panel = qobject_cast<TSelectPanel *>(child)) {
                for (QWidget *input : {static_cast<QWidget *>(panel->edBegin()), static_cast<QWidget *>(panel->edFinal()),
                                       static_cast<QWidget *>(panel->ListBox())})
                    m_inputColours.emplace_back(colourKey(input), input->property("Color").value<QColor>());
                continue;
            }
            if (!child->objectName().isEmpty() && CheckPropertyExist(child, "Color"))
                m_inputColours.emplace_back(child->objectName(), child->property("Color").value<QColor>());
            if (!qobject_cast<QAbstractSpinBox *>(child))
                record(child);
        }
    };
    record(this);
}

void TfrmBaseGene::restoreRequiredColours()
{
    for (const RequiredInputs::Entry &entry : RequiredInputs::parse(m_requiredSpec)) {
        QObject *component = findChild<QObject *>(entry.name);
        if (!component)
            continue;
        for (QWidget *input : RequiredInputs::colouredInputs(component, entry.part)) {
            const QString key = colourKey(input);
            for (const auto &[name, colour] : m_inputColours)
                if (name == key) {
                    SetColorOf(input, colour);
                    break;
                }
        }
    }
}

void TfrmBaseGene::colourRequired(const std::string &spec)
{
    for (const RequiredInputs::Entry &entry : RequiredInputs::parse(spec))
        if (QObject *component = findChild<QObject *>(entry.name))
            for (QWidget *input : RequiredInputs::colouredInputs(component, entry.part))
                SetColorOf(input, requiredColor());
}

void TfrmBaseGene::SetRequiredInputs(const std::string &spec)
{
    if (m_inputColours.empty())
        recordInputColours();
    restoreRequiredColours();
    m_requiredSpec = spec;
    colourRequired(spec);
}

bool TfrmBaseGene::CheckRequired(const std::string &spec)
{
    for (const RequiredInputs::Entry &entry : RequiredInputs::parse(spec)) {
        if (!entry.isChecked())
            continue;
        QObject *component = findChild<QObject *>(entry.name);
        if (!component || !RequiredInputs::isEmpty(component))
            continue;
        ReportMessage("E;000037");
        QWidget *target = RequiredInputs::focusTarget(component);
        showPageOf(target);
        if (target)
            target->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

void TfrmBaseGene::WrapClicks(const QStringList &buttonNames)
{
    for (const QString &name : buttonNames) {
        QObject *button = findChild<QObject *>(name);
        if (!button || !CheckPropertyExist(button, "OnClick") || button->property("kvClickWrapped").toBool())
            continue;
        const EventHandler own = GetObjectMethod(button, "OnClick");
        SetObjectMethod(button, "OnClick", EventHandler(
                                               [this, own](QObject *sender, EventArgs &args) {
                                                   if (!requiredCheckBlocks(sender))
                                                       own(sender, args);
                                               },
                                               own.methodName()));
        button->setProperty("kvClickWrapped", true);
    }
}

// Whether the required check stops the button's own click. It runs for the
// OK, query and design buttons, and for the period button when it is down.
bool TfrmBaseGene::requiredCheckBlocks(QObject *button)
{
    const QString name = button->objectName();
    bool check = name == QLatin1String("btnOk") || name == QLatin1String("btnQuery") ||
                 name == QLatin1String("btnDesign");
    if (name == QLatin1String("btnPeriod"))
        check = button->property("Down").toBool();
    if (!check)
        return false;
    QPointer<TfrmBaseGene> alive(this);
    bool empty = false;
    try {
        empty = CheckRequired();
    } catch (const std::exception &error) {
        if (alive)
            ShowMessageBox(error.what(), MessageType::Error, MessageButton::OK);
        return true;
    }
    if (!empty || !alive)
        return empty;
    if (QObject *period = findChild<QObject *>(QStringLiteral("btnPeriod"))) {
        period->setProperty("Down", false);
        const int last = pgOption->count() - 1;
        if (last >= 0 && pgOption->currentIndex() != last)
            if (TKvTabSheet *sheet = pgOption->page(last))
                sheet->setTabVisible(false);
    }
    return true;
}

// --- run parameters

bool TfrmBaseGene::checkOptionArray(const Variant &array, int count, const char *key, const char *defaultText)
{
    const std::string what = BaseText(key, defaultText);
    const int high = array.array().highBound();
    if (high != count) {
        ShowCodedMessage("W", "000002", 0, {Variant(what), Variant(count), Variant(high)});
        return false;
    }
    for (int index = 1; index <= count; ++index)
        if (array[index].isEmptyOrNull()) {
            ShowCodedMessage("W", "000003", 0, {Variant(what), Variant(count), Variant(index)});
            return false;
        }
    return true;
}

bool TfrmBaseGene::BuildRunParameters(Variant &params)
{
    const int environmentCount = EnvCount;
    const int optionCount = OptionCount;
    if (environmentCount <= 0 || (optionCount <= 0 && !AutoRun)) {
        ShowCodedMessage("I", "000003", 0, {});
        return false;
    }
    if (!CheckDateFields())
        return false;
    Variant environment(VariantArray(ArrayBounds{1, environmentCount}));
    Variant captions(VariantArray(ArrayBounds{1, optionCount}));
    Variant values(VariantArray(ArrayBounds{1, optionCount}));
    try {
        if (!GetOptionCaptions(captions, optionCount - FirstOption) ||
            !checkOptionArray(captions, optionCount, "sOption", "选择条件文字"))
            return false;
        if (!GetOptionValues(values, optionCount - FirstOption) ||
            !checkOptionArray(values, optionCount, "sOptionInf", "选择条件信息"))
            return false;
        if (!GetEnvironment(environment, environmentCount) ||
            !checkOptionArray(environment, environmentCount, "sEnvSetting", "环境设置"))
            return false;
    } catch (const std::exception &error) {
        ReportText(error.what());
        return false;
    }
    params = varArrayOf({environment, toDb(captions), toDb(values)});
    return true;
}

bool TfrmBaseGene::GetOptionCaptions(Variant &captions, int offset)
{
    captions[FirstOption + offset] = varArrayOf({lblToday->text().toStdString(), "edPrintDate"});
    return true;
}

bool TfrmBaseGene::GetOptionValues(Variant &values, int offset)
{
    const std::optional<std::string> stored = dateDisplay().StoredDate(edPrintDate->Text());
    if (!stored) {
        ReportMessage("E;000030;" + GetMessageText("I", "000011"));
        return false;
    }
    values[FirstOption + offset] = Variant(*stored);
    return true;
}

bool TfrmBaseGene::GetEnvironment(Variant &env, int count)
{
    const std::vector<Variant> entries = {
        Variant(QString::fromStdString(ProgramCode).toUpper().toStdString()),
        Variant(EnvCount),
        Variant(OptionCount),
        Variant(CompanyID),
        Variant(UserID),
        Variant(CompanyDB),
        Variant(OleDate::fromDateTime(Clock::now())),
        Variant(ServerClassName),
        Variant(QString::fromStdString(MonthFields).toUpper().toStdString()),
    };
    for (int index = 1; index <= count && index <= int(entries.size()); ++index)
        env[index] = entries[std::size_t(index) - 1];
    return true;
}

bool TfrmBaseGene::ApplyConditionValues(const Variant &values)
{
    (void)values;
    return false;
}

} // namespace kv
