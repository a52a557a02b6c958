// TfrmBaseGene: the user's saved condition sets (list, save, open, delete,
// rename) and the condition packages the host hands over by name.
#include "base/BaseGene.h"

#include "base/ConditionValueCodec.h"
#include "base/DateDisplay.h"
#include "base/GeneCondition.h"
#include "base/KvPanel.h"
#include "base/ListView.h"
#include "controls/KovListView.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "lib/LibVCLs.h"
#include "platform/ClientDataSet.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QComboBox>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace kv {

namespace {

// Shows the hourglass for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

QStringList listOf(const std::string &commaList)
{
    QStringList names;
    for (const QString &name : QString::fromStdString(commaList).split(QLatin1Char(',')))
        if (!name.trimmed().isEmpty())
            names << name.trimmed();
    return names;
}

// A server reply that is an error text.
void raiseReply(const Variant &reply)
{
    const std::string text = varToStr(reply);
    if (!text.empty())
        throw std::runtime_error(text);
}

// A panel's value as the rows of its list: an array of arrays, each
// [caption, sub-items...]; nothing for any other value (a range or a text).
std::optional<QList<QStringList>> listRows(const Variant &value)
{
    if (!value.isArray())
        return std::nullopt;
    const std::vector<Variant> &items = value.array().items();
    const bool isList = !items.empty() && std::all_of(items.begin(), items.end(), [](const Variant &item) {
        return item.isArray();
    });
    if (!isList)
        return std::nullopt;
    QList<QStringList> rows;
    for (const Variant &item : items) {
        QStringList row;
        for (const Variant &cell : item.array().items())
            row << QString::fromStdString(varToStr(cell));
        rows << row;
    }
    return rows;
}

// Whether the property a package value goes to can take it: a check box
// given "Y" or an item index given a word would stop the package halfway,
// with the values before it set and the rest not; so would a list row wider
// than a list takes.
bool valueFits(const QObject *component, const Variant &value)
{
    if (qobject_cast<const TSelectPanel *>(component)) {
        const std::optional<QList<QStringList>> rows = listRows(value);
        return !rows || TKovListView::rowsFit(*rows);
    }
    if (qobject_cast<const QComboBox *>(component))
        return true;
    try {
        if (CheckPropertyExist(component, "ItemIndex"))
            (void)value.toInt();
        else if (CheckPropertyExist(component, "Checked"))
            (void)value.toBool();
        return true;
    } catch (const VariantError &) {
        return false;
    }
}

} // namespace

ConditionValueCodec TfrmBaseGene::conditionCodec() const
{
    ConditionValueCodec::Context context;
    context.display = dateDisplay();
    context.dateFields = listOf(DateFields);
    context.monthFields = listOf(MonthFields);
    context.relativeDates = RelativeDates;
    return ConditionValueCodec(context);
}

bool TfrmBaseGene::LoadConditionSets()
{
    const DispatchPtr server = ProgramServer.isObject() ? ProgramServer.toObject() : nullptr;
    if (!server)
        return false;
    const WaitCursor wait;
    lstCondition->BeginUpdate();
    const TListView::TViewStyle style = lstCondition->viewStyle();
    lstCondition->setViewStyle(TListView::vsList);
    try {
        lstCondition->Clear();
        Variant owner = varArrayOf({UserID, ProgramCode});
        server->call("LoadTable", {Variant::ref(owner)});
        ClientDataSet1->Close();
        ClientDataSet1->Open();
        for (ClientDataSet1->First(); !ClientDataSet1->Eof(); ClientDataSet1->Next()) {
            const std::string name = varToStr(fromDb(Variant(ClientDataSet1->FieldByName("NCONDITION").AsString())));
            const QString created = ShownDate(ClientDataSet1->FieldByName("CREATE_DATE").AsString());
            lstCondition->AddItem(QString::fromStdString(name), {created}, 0);
        }
    } catch (const std::exception &error) {
        lstCondition->setViewStyle(style);
        lstCondition->EndUpdate();
        throw std::runtime_error(error.what());
    }
    lstCondition->setViewStyle(style);
    lstCondition->EndUpdate();
    return true;
}

bool TfrmBaseGene::SaveConditionSet(const std::string &specs, const std::string &name, bool replace)
{
    ConditionSetName = name;
    try {
        const ConditionValueCodec codec = conditionCodec();
        std::string values;
        for (const QString &entry : QString::fromStdString(specs).split(QLatin1Char(';'))) {
            if (entry.trimmed().isEmpty())
                continue;
            QString property;
            QObject *component = ConditionValueCodec::componentOf(this, entry.trimmed(), property);
            values += (component ? codec.Encode(component, property) : std::string()) + "\r\n";
        }
        const DispatchPtr server = ProgramServer.toObject();
        Variant request = varArrayOf({toDb(Variant(specs)), UserID,
                                      Clock::today().toString(QStringLiteral("yyyyMMdd")).toStdString(), ProgramCode,
                                      toDb(Variant(ConditionSetName)), toDb(Variant(values)), replace});
        raiseReply(server->call("InsertConTable", {Variant::ref(request)}));
        m_conditionSetError.clear();
        return true;
    } catch (const std::exception &error) {
        m_conditionSetError = error.what();
        return false;
    }
}

bool TfrmBaseGene::SaveConditionSetAs(const std::string &specs, const std::string &dateFields, int skipCount)
{
    auto *dialog = TKVForm::Create<TfrmGeneCondition>(this, dateFields, skipCount);
    dialog->ShowModal();
    const Variant result = dialog->Result();
    dialog->Free();
    const int low = result.array().lowBound();
    const std::string name = varToStr(result[low]);
    if (name.empty())
        return false;
    const bool saved = SaveConditionSet(specs, name, result[low + 2].toBool());
    // A set that was not stored must not just fail to appear in the list:
    // the clerk is told, with the server's reason (a full disk, say).
    if (!saved)
        ShowMessageBox(BaseText("sFailedSave", "保存方案失败!") + "\n" + m_conditionSetError, MessageType::Error,
                       MessageButton::OK);
    LoadConditionSets();
    return saved;
}

bool TfrmBaseGene::RestoreConditionSet(const std::string &specs, const std::string &values)
{
    try {
        const ConditionValueCodec codec = conditionCodec();
        const QStringList entries = QString::fromStdString(specs).split(QLatin1Char(';'));
        QStringList lines = QString::fromStdString(values).split(QStringLiteral("\r\n"));
        if (lines.size() > 1 && lines.last().isEmpty())
            lines.removeLast();
        int line = 0;
        for (const QString &entry : entries) {
            if (entry.trimmed().isEmpty())
                continue;
            // A set stored by an older version has no line for the
            // controls added since: they keep what they show.
            if (line >= lines.size())
                break;
            const std::string value = lines.value(line++).toStdString();
            QString property;
            QObject *component = ConditionValueCodec::componentOf(this, entry.trimmed(), property);
            auto *control = qobject_cast<QWidget *>(component);
            if (!component)
                continue;
            BeforeRestoreValue(control, value);
            codec.Restore(component, property, value);
            AfterRestoreValue(control, value);
        }
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

void TfrmBaseGene::btnInsertClick()
{
    // Taking the focus runs the exit check of the input that had it.
    pnlCondition->setFocus(Qt::OtherFocusReason);
}

void TfrmBaseGene::btnOpenClick()
{
    const int row = lstCondition->itemIndex();
    if (row < 0 || !ClientDataSet1->Active())
        return;
    const std::string name = varToStr(toDb(Variant(lstCondition->caption(row).toStdString())));
    if (!ClientDataSet1->Locate("NCONDITION;CREATOR;PROGRAMME", varArrayOf({name, UserID, ProgramCode})))
        return;
    bool restored = false;
    {
        const WaitCursor wait;
        restored = RestoreConditionSet(
            varToStr(fromDb(Variant(ClientDataSet1->FieldByName("SCONDITION").AsString()))),
            varToStr(fromDb(Variant(ClientDataSet1->FieldByName("VCONDITION").AsString()))));
    }
    if (!restored)
        ShowCodedMessage("R", "200235", 0, {});
    AfterConditionSetOpened();
}

void TfrmBaseGene::btnDeleteClick()
{
    const int row = lstCondition->itemIndex();
    if (row < 0)
        return;
    const std::string name = lstCondition->caption(row).toStdString();
    const std::string question = BaseText("sDeleteProj", "确实要删除此方案吗？") + name;
    if (ShowMessageBox(question, MessageType::Confirmation, MessageButton::Yes | MessageButton::No) != mrYes)
        return;
    Variant request = varArrayOf({toDb(Variant(name)), UserID, ProgramCode});
    raiseReply(ProgramServer.toObject()->call("DeleteConTable", {Variant::ref(request)}));
    LoadConditionSets();
}

void TfrmBaseGene::lstConditionEdited(TListView::EditedArgs &args)
{
    const QString oldName = args.oldText;
    const QString newName = args.text;
    if (newName == oldName)
        return;
    const auto refuse = [&](const char *key, const char *defaultText) {
        args.text = oldName;
        ShowMessageBox(BaseText(key, defaultText), MessageType::Error, MessageButton::OK);
    };
    if (newName.trimmed().isEmpty())
        return refuse("sProjNameEmpty", "方案名不可空白!");
    if (newName.size() > 20)
        return refuse("sProjNameError", "方案名长度不可大于20!");
    for (int row = 0; row < lstCondition->count(); ++row)
        if (row != args.row && lstCondition->caption(row) == newName)
            return refuse("sProjNameExist", "此方案名称已经存在！");
    const Variant oldKey = varArrayOf({toDb(Variant(oldName.toStdString())), UserID, ProgramCode});
    const Variant newKey = varArrayOf({toDb(Variant(newName.toStdString())), UserID, ProgramCode});
    std::string reply;
    try {
        reply = varToStr(ProgramServer.toObject()->call("ChangeConName", {oldKey, newKey}));
    } catch (const std::exception &error) {
        reply = error.what();
    }
    if (!reply.empty()) {
        refuse("sFailedRename", "更改方案名失败!");
        ShowMessageBox(reply, MessageType::Error, MessageButton::OK);
        return;
    }
    if (ClientDataSet1->Active() &&
        ClientDataSet1->Locate("NCONDITION;CREATOR;PROGRAMME", varArrayOf({oldKey[0], UserID, ProgramCode}))) {
        ClientDataSet1->Edit();
        ClientDataSet1->FieldByName("NCONDITION").setAsVariant(newKey[0]);
        ClientDataSet1->Post();
    }
}

void TfrmBaseGene::setConditionColumns()
{
    lstCondition->SetColumn(0, QString::fromStdString(BaseText("sProjectName", "方案名称")), Qt::AlignRight);
    lstCondition->SetColumn(1, QString::fromStdString(BaseText("sCreateTime", "创建时间")), Qt::AlignLeft);
    lstCondition->AutoSizeColumns();
}

// --- condition packages by name

bool TfrmBaseGene::ApplyConditionsByName(const Variant &content)
{
    if (!content.isArray() || content.array().elementCount() < 2) {
        ReportMessage("W;000014");
        return false;
    }
    const int low = content.array().lowBound();
    const Variant &names = content[low];
    const Variant &values = content[low + 1];
    if (!names.isArray() || !values.isArray()) {
        ReportMessage("W;000014");
        return false;
    }
    // Every named component is checked before any value is set, so that a
    // package naming an unknown control changes nothing.
    std::vector<std::pair<QObject *, Variant>> targets;
    for (int index = names.array().lowBound(); index <= names.array().highBound(); ++index) {
        const Variant &entry = names[index];
        const std::string name = varToStr(entry.isArray() && entry.array().elementCount() > 1
                                              ? entry[entry.array().lowBound() + 1]
                                              : entry);
        QObject *component = name.empty() ? nullptr : findChild<QObject *>(QString::fromStdString(name));
        const bool usable = component && (qobject_cast<TSelectPanel *>(component) ||
                                          qobject_cast<QComboBox *>(component) ||
                                          CheckPropertyExist(component, "ItemIndex") ||
                                          CheckPropertyExist(component, "Checked") ||
                                          CheckPropertyExist(component, "Text") ||
                                          CheckPropertyExist(component, "Lines"));
        const bool hasValue = index >= values.array().lowBound() && index <= values.array().highBound();
        if (!usable || !hasValue || !valueFits(component, values[index])) {
            ReportMessage("W;000014");
            return false;
        }
        targets.emplace_back(component, values[index]);
    }
    for (const auto &[component, value] : targets)
        applyValueByName(component, value);
    return true;
}

void TfrmBaseGene::applyValueByName(QObject *component, const Variant &value)
{
    const DateDisplay display = dateDisplay();
    const bool isDate = listContainsName(DateFields, component->objectName());
    const auto shown = [&](const Variant &text) {
        const std::string stored = varToStr(text);
        return isDate && stored.size() == 8 ? display.ShownDate(stored) : QString::fromStdString(stored);
    };
    if (auto *panel = qobject_cast<TSelectPanel *>(component)) {
        applyPanelValue(panel, value, shown);
        return;
    }
    if (auto *combo = qobject_cast<QComboBox *>(component)) {
        if (value.isNumeric())
            combo->setCurrentIndex(value.toInt());
        else if (const int index = combo->findText(QString::fromStdString(varToStr(value))); index >= 0)
            combo->setCurrentIndex(index);
        else if (combo->isEditable())
            combo->setEditText(QString::fromStdString(varToStr(value)));
        return;
    }
    if (CheckPropertyExist(component, "ItemIndex"))
        component->setProperty("ItemIndex", value.toInt());
    else if (CheckPropertyExist(component, "Checked"))
        component->setProperty("Checked", value.toBool());
    else if (CheckPropertyExist(component, "Text"))
        component->setProperty("Text", shown(value));
    else if (CheckPropertyExist(component, "Lines")) {
        QStringList lines;
        if (value.isArray())
            for (const Variant &line : value.array().items())
                lines << QString::fromStdString(varToStr(line));
        else
            lines = QString::fromStdString(varToStr(value)).split(QStringLiteral("\r\n"));
        component->setProperty("Lines", lines);
    }
}

// A panel takes [begin, end] as a range, an array of rows (each a text or
// [caption, sub-items...]) as a list, and a single text as both bounds.
void TfrmBaseGene::applyPanelValue(TSelectPanel *panel, const Variant &value,
                                   const std::function<QString(const Variant &)> &shown)
{
    const auto setRange = [&](const Variant &begin, const Variant &end) {
        if (panel->style() == TSelectPanel::sp_Discrete)
            panel->setStyle(TSelectPanel::sp_Range);
        else if (panel->style() == TSelectPanel::sp_UserChoice)
            panel->setUserChoice(true);
        panel->edBegin()->setText_(shown(begin));
        panel->edFinal()->setText_(shown(end));
    };
    if (!value.isArray()) {
        setRange(value, value);
        return;
    }
    const std::optional<QList<QStringList>> rows = listRows(value);
    if (!rows) {
        const std::vector<Variant> &items = value.array().items();
        setRange(items.empty() ? Variant() : items[0], items.size() > 1 ? items[1] : Variant());
        return;
    }
    if (panel->style() == TSelectPanel::sp_Range)
        panel->setStyle(TSelectPanel::sp_Discrete);
    else if (panel->style() == TSelectPanel::sp_UserChoice)
        panel->setUserChoice(false);
    // The package was checked to fit (valueFits) before any value was set.
    panel->ListBox()->setRows(*rows);
}

} // namespace kv
