// The report's option slots and its F2 lookups.
#include "qipr07/Qipr07.h"

#include "base/KvLabel.h"
#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "controls/KovListView.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "lib/SqlConditions.h"

#include <QComboBox>

namespace kv {

namespace {

// Condition texts of the approval codes, by cboTC009 item ("全部" has none).
const char *const kApprovalConditions[] = {"='Y'", "='N'", "='V'", ""};
// Condition texts of the print count, by cboTC010 item ("全部" has none).
const char *const kPrintedConditions[] = {"<> 0 ", "= 0 ", ""};

template <std::size_t N>
std::string itemCondition(const QComboBox *box, const char *const (&conditions)[N])
{
    const int index = box->currentIndex();
    return index >= 0 && std::size_t(index) < N ? conditions[index] : "";
}

TSelectPanel *panelOf(QWidget *control)
{
    for (QWidget *current = control; current; current = current->parentWidget())
        if (auto *panel = qobject_cast<TSelectPanel *>(current))
            return panel;
    return nullptr;
}

} // namespace

bool TfrmQipr07::GetOptionValues(Variant &values, int offset)
{
    if (!TfrmVROpt::GetOptionValues(values, offset))
        return false;
    try {
        const QString slipType = edtTC001->text().trimmed();
        if (slipType.isEmpty()) {
            ShowCodedMessage("E", "000003", 0, {Variant(lblTC001->text().toStdString())});
            pgOption->setActivePage(tsOption1);
            edtTC001->setFocus(Qt::OtherFocusReason);
            return false;
        }
        values[1] = Variant("=" + QuotedSql(slipType.toStdString()));
        values[2] = splTC002->ConditionValue();
        values[3] = dateRange(splTC003);
        values[4] = Variant(itemCondition(cboTC009, kApprovalConditions));
        values[5] = Variant(itemCondition(cboTC010, kPrintedConditions));
        values[6] = dateRange(splTC014);
        return true;
    } catch (const std::exception &error) {
        ReportText(error.what());
        return false;
    }
}

bool TfrmQipr07::GetOptionCaptions(Variant &captions, int offset)
{
    if (!TfrmVROpt::GetOptionCaptions(captions, offset))
        return false;
    const char *const fields[] = {"TC001", "TC002", "TC003", "TC009", "TC010", "TC014"};
    for (int slot = 1; slot <= 6; ++slot)
        captions[slot] = Variant(fields[slot - 1]);
    return true;
}

// A date range as the query compares it: the stored "YYYYMMDD" form of the
// bounds (an empty bound when the editor shows only its mask).
Variant TfrmQipr07::dateRange(const TSelectPanel *panel) const
{
    const auto stored = [this](const TKovMaskEdit *edit) {
        return edit->showsEmptyMask() ? std::string() : StoredDate(edit->Text());
    };
    return varArrayOf({std::string(1, '\x04'), stored(panel->edBegin()), stored(panel->edFinal())});
}

// --- F2

void TfrmQipr07::DoF2(int key, QWidget *control)
{
    TfrmVROpt::DoF2(key, control);
    if (!control)
        return;
    if (control == edtTC001) {
        lookupSlipType();
        return;
    }
    TSelectPanel *panel = panelOf(control);
    if (panel == splTC003 || panel == splTC014)
        pickDate(control);
    else if (panel == splTC002)
        lookupSlipNumber(control, panel);
}

void TfrmQipr07::lookupSlipType()
{
    const Variant row = LookupF2("CMSMQ", "19", varArrayOf({kIssueNature, kReturnNature}), false,
                                 edtTC001->text().toStdString());
    if (!row.deref().isArray())
        return;
    edtTC001->setText_(QString::fromStdString(ElementText(row, 0)));
    LastSlipType = edtTC001->text().trimmed().toStdString();
    txtTC001->setCaption(QString::fromStdString(ElementText(row, 1)));
    CheckSlipType();
}

void TfrmQipr07::pickDate(QWidget *control)
{
    auto *edit = qobject_cast<TKovMaskEdit *>(control);
    if (!edit)
        return;
    QString text = edit->Text();
    PickDate(text, true);
    edit->setText_(text);
}

void TfrmQipr07::lookupSlipNumber(QWidget *control, TSelectPanel *panel)
{
    auto *edit = qobject_cast<TKovMaskEdit *>(control);
    const std::string text = edit ? edit->Text().toStdString() : std::string();
    const Variant row =
        LookupF2("MOCTC", "60", varArrayOf({edtTC001->text().trimmed().toStdString()}), false, text);
    if (!row.deref().isArray())
        return;
    const QString number = QString::fromStdString(ElementText(row, 0));
    if (edit)
        edit->setText_(number);
    else if (control == panel->ListBox())
        panel->ListBox()->AddItem({number});
}

} // namespace kv
