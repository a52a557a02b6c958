// TfrmVRBaseOpt: the fax/e-mail page (send type, send status, send way and
// a typed number) and the option slot of the send status.
#include "report/options/VRBaseOpt.h"

#include "base/KvLabel.h"
#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "controls/ControlProperties.h"
#include "lib/LibStrs.h"
#include "controls/KvRadioGroup.h"

#include <QComboBox>
#include <QLineEdit>

namespace kv {

namespace {

// Field `number` (1-based) of text split at `separator`; empty past the end.
std::string fieldOf(const std::string &text, char separator, int number)
{
    const QStringList fields = QString::fromStdString(text).split(QLatin1Char(separator));
    return number >= 1 && number <= fields.size() ? fields[number - 1].trimmed().toStdString() : std::string();
}

} // namespace

// --- option slot of the send status

std::string TfrmVRBaseOpt::SendStatusValue() const
{
    switch (cboSendStatus->currentIndex()) {
    case 0:
        return "<>0";
    case 1:
        return "=0";
    default:
        return {};
    }
}

bool TfrmVRBaseOpt::checkSendNumber()
{
    if (SendMode == 0 || !SendAddressField.empty() || !edtFaxEmailData->text().trimmed().isEmpty())
        return true;
    pgOption->setActivePage(tsFEP);
    ShowCodedMessage("E", "000003", 0, {Variant(lblFaxEmail->text().toStdString())});
    edtFaxEmailData->setFocus(Qt::OtherFocusReason);
    return false;
}

bool TfrmVRBaseOpt::GetOptionValues(Variant &values, int offset)
{
    try {
        if (!TfrmBaseGene::GetOptionValues(values, offset) || !checkSendNumber())
            return false;
        values[FirstOption + offset - 1] = Variant(SendStatusValue());
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool TfrmVRBaseOpt::GetOptionCaptions(Variant &captions, int offset)
{
    try {
        if (!TfrmBaseGene::GetOptionCaptions(captions, offset))
            return false;
        captions[FirstOption + offset - 1] = varArrayOf({Variant("传送状态"), Variant("cboSendStatus")});
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

// --- send type and send way

void TfrmVRBaseOpt::rgSendTypeClick()
{
    if (rgSendType->itemIndex() == 1) {
        cboSendStatus->setEnabled(true);
        cboSendStatus->setCurrentIndex(1);
        cboSendWay->setEnabled(true);
    } else {
        cboSendStatus->setEnabled(false);
        cboSendWay->setEnabled(false);
        cboSendStatus->setCurrentIndex(2);
    }
    cboSendWayChange();
}

void TfrmVRBaseOpt::followSendChoice()
{
    const bool sending = rgSendType->itemIndex() == 1;
    cboSendStatus->setEnabled(sending);
    cboSendWay->setEnabled(sending);
    cboSendWayChange();
}

bool TfrmVRBaseOpt::RestoreConditionSet(const std::string &specs, const std::string &values)
{
    const bool restored = TfrmBaseGene::RestoreConditionSet(specs, values);
    followSendChoice();
    return restored;
}

bool TfrmVRBaseOpt::ApplyConditionsByName(const Variant &content)
{
    const bool applied = TfrmBaseGene::ApplyConditionsByName(content);
    followSendChoice();
    return applied;
}

void TfrmVRBaseOpt::cboSendWayChange()
{
    const std::string entry = fieldOf(SendWayTable, ';', cboSendWay->currentIndex() + 1);
    const std::string kind = QString::fromStdString(fieldOf(entry, ',', 1)).toUpper().toStdString();
    SendPartnerField = fieldOf(entry, ',', 2);
    SendAddressField = fieldOf(entry, ',', 3);
    if (kind == "FAX") {
        SendMode = 2;
        lblFaxEmail->setCaption(QStringLiteral("Fax No"));
    } else if (kind == "EMAIL") {
        SendMode = 1;
        lblFaxEmail->setCaption(QStringLiteral("E-Mail"));
    }
    const bool printing = rgSendType->itemIndex() == 0;
    if (printing)
        SendMode = 0;

    // A way that reads the address from the partner needs no typed number.
    const bool typed = SendAddressField.empty() && SendMode != 0;
    edtFaxEmailData->setEnabled(typed);
    ControlProperties::setColor(edtFaxEmailData, typed ? requiredColor() : QColor(Qt::white));

    // Enter on the last usable control of the page moves to the next page.
    if (printing) {
        keepPageEnd(rgSendType, true);
    } else {
        keepPageEnd(rgSendType, false);
        keepPageEnd(cboSendWay, !SendAddressField.empty());
        keepPageEnd(edtFaxEmailData, SendAddressField.empty());
    }
}

void TfrmVRBaseOpt::keepPageEnd(QWidget *control, bool present)
{
    const auto at = std::find_if(PageEndControls.begin(), PageEndControls.end(),
                                 [control](const QPointer<QWidget> &entry) { return entry == control; });
    if (present && at == PageEndControls.end())
        PageEndControls.append(control);
    else if (!present && at != PageEndControls.end())
        PageEndControls.erase(at);
}

} // namespace kv
