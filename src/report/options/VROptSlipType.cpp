// The slip-type print settings: style, footer, sign-off, every-page
// switches and slip title of a slip type, with the program's own print
// settings where the slip type leaves them open.

#include "report/options/VROpt.h"

#include "controls/BtChkBox.h"
#include "controls/ControlProperties.h"
#include "controls/F2Button.h"
#include "controls/KovMaskEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>

#include <tuple>

namespace kv {

namespace {

// Elements of the slip type's print settings.
enum SlipTypeElement {
    stFooterCode = 1,
    stFooterEditable = 2,
    stSignOffCode = 3,
    stSignOffEditable = 4,
    stFooterEveryPage = 7,
    stSignOffEveryPage = 8,
    stStyle = 9,
    stStyleChangeable = 10,
    stTitle = 11,
    stTotalsEveryPage = 12,
};

// Elements of the program's print settings.
enum ProgramElement {
    prFooterCode = 0,
    prFooterEditable = 1,
    prSignOffCode = 6,
    prSignOffEditable = 7,
    prStyle = 12,
};

bool isYes(const std::string &flag)
{
    return QString::fromStdString(flag).trimmed().toUpper() == QLatin1String("Y");
}

} // namespace

void TfrmVROpt::LoadSlipTypeSettings(const std::string &slipType, bool reportErrors, Variant &settings)
{
    SlipTypeKey = slipType;
    settings = Variant();
    // The title belongs to one slip type; only its own record sets it again.
    SlipTitle.clear();
    if (!slipType.empty())
        applySlipType(slipType, reportErrors, settings);
    else
        applyProgramOnly(reportErrors, settings);
    colourGroup(footer());
    colourGroup(signOff());
    // A run by key keeps the style it chose for its key; an export by key
    // takes the user's default of the slip type like the window does.
    if (RunningByKey && !Exporting)
        return;
    const std::string style = DefaultStyle(slipType);
    if (style != kNewStyle)
        SelectStyle(style);
}

void TfrmVROpt::applySlipType(const std::string &slipType, bool reportErrors, Variant &settings)
{
    Variant record;
    const bool found = RunningByKey ? CheckCode("CMSMQ", "08", false, record, varArrayOf({slipType, Variant()}))
                                    : CheckCode("CMSMQ", "38", false, record, varArrayOf({slipType, SlipTypeSetting}));
    if (!found) {
        // A headless export must not stop at a message box: without error
        // reports the missing settings only end the run.
        if (reportErrors)
            ShowCodedMessage("E", "100007", 0, {});
        dropSlipTypeLines(reportErrors);
        return;
    }
    const auto element = [&record](int index) { return rowText(record, index); };

    SelectStyle(element(stStyle));
    cboFormStyleName->setEnabled(isYes(element(stStyleChangeable)));
    chkNoteEPPrint->setChecked(isYes(element(stFooterEveryPage)));
    chkSignInEPPrint->setChecked(isYes(element(stSignOffEveryPage)));

    Variant program;
    const bool hasProgram = CheckCode("CMSMT", "01", false, program, varArrayOf({ProgramCode}));
    settings = record;
    SlipTitle = element(stTitle);
    if (hasProgram && cboFormStyleName->currentText().isEmpty())
        SelectStyle(rowText(program, prStyle));

    chkTotalPrint->setEnabled(true);
    chkTotalPrint->setChecked(QString::fromStdString(element(stTotalsEveryPage)).trimmed().toUpper() !=
                              QLatin1String("N"));

    const Variant *programRecord = hasProgram ? &program : nullptr;
    applyLines(footer(), element(stFooterCode), element(stFooterEditable), programRecord, prFooterCode,
               prFooterEditable, reportErrors);
    applyLines(signOff(), element(stSignOffCode), element(stSignOffEditable), programRecord, prSignOffCode,
               prSignOffEditable, reportErrors);
}

// Nothing of the slip type read before stays in force for one that has no
// print settings: its footer, sign-off and every-page switches would
// otherwise print on the next slips. The group boxes keep their state.
void TfrmVROpt::dropSlipTypeLines(bool reportErrors)
{
    loadLines(footer(), std::string(), reportErrors);
    loadLines(signOff(), std::string(), reportErrors);
    chkNoteEPPrint->setChecked(false);
    chkSignInEPPrint->setChecked(false);
    chkTotalPrint->setChecked(false);
}

// Footer or sign-off of a slip type: its own code when it has one, else the
// program's; editable as the record that supplied the code says.
void TfrmVROpt::applyLines(const LineGroup &group, const std::string &code, const std::string &editableFlag,
                           const Variant *program, int programCode, int programEditable, bool reportErrors)
{
    loadLines(group, std::string(), reportErrors);
    bool editable = true;
    if (!code.empty()) {
        loadLines(group, code, reportErrors);
        editable = isYes(editableFlag);
    } else if (!program) {
        editable = QString::fromStdString(editableFlag).trimmed().toUpper() != QLatin1String("N");
    } else if (const std::string programLines = rowText(*program, programCode); !programLines.empty()) {
        loadLines(group, programLines, reportErrors);
        editable = isYes(rowText(*program, programEditable));
    }
    group.group->setEnabled(editable);
}

void TfrmVROpt::applyProgramOnly(bool reportErrors, Variant &settings)
{
    grpNote->setEnabled(true);
    grpSignIn->setEnabled(true);
    loadLines(footer(), std::string(), reportErrors);
    loadLines(signOff(), std::string(), reportErrors);
    chkTotalPrint->setEnabled(true);
    chkTotalPrint->setChecked(false);
    settings = Variant(std::string());

    Variant program;
    if (!CheckCode("CMSMT", "01", false, program, varArrayOf({ProgramCode})))
        return;
    settings = program;
    chkNoteEPPrint->setChecked(false);
    chkSignInEPPrint->setChecked(false);
    for (const auto &[group, codeElement, editableElement] :
         {std::tuple{footer(), prFooterCode, prFooterEditable}, std::tuple{signOff(), prSignOffCode, prSignOffEditable}}) {
        const std::string code = rowText(program, codeElement);
        bool editable = true;
        if (!code.empty()) {
            loadLines(group, code, reportErrors);
            editable = isYes(rowText(program, editableElement));
        }
        group.group->setEnabled(editable);
    }
    SelectStyle(rowText(program, prStyle));
}

// Inputs of a group that may not be changed are greyed like a button face,
// the rest get the window colour; the lines still print either way.
void TfrmVROpt::colourGroup(const LineGroup &group)
{
    const bool editable = !group.group->testAttribute(Qt::WA_ForceDisabled);
    const QPalette palette = QApplication::palette();
    ControlProperties::setColor(group.code, palette.color(editable ? QPalette::Base : QPalette::Button));
    group.button->setEnabled(editable);
    for (TKovMaskEdit *line : group.lines)
        line->setEnabled(editable);
    group.everyPage->setEnabled(editable);
}

} // namespace kv
