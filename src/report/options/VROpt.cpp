#include "report/options/VROpt.h"

#include "base/DataLabel.h"
#include "lib/LibVCLs.h"
#include "base/DateDisplay.h"
#include "base/KvBitBtn.h"
#include "base/KvLabel.h"
#include "base/KvTabSheet.h"
#include "controls/BtChkBox.h"
#include "controls/ControlProperties.h"
#include "controls/F2Button.h"
#include "controls/KovMaskEdit.h"
#include "report/layout/VRFormat.h"

#include <QComboBox>
#include <QGroupBox>
#include <QTimer>

namespace kv {

namespace {

// Length of the code edits: the codes of the footer and sign-off table.
constexpr int kCodeLength = 6;
// Length of the footer and sign-off lines.
constexpr int kLineLength = 255;

// The workflow product's sign-off code: its sign-off data comes from the
// workflow system instead of the three typed lines.
constexpr const char *kWorkflowSignOff = "TESSWF";

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

TfrmVROpt::TfrmVROpt(QWidget *parent) : TfrmVRBaseOpt(parent)
{
    setObjectName(QStringLiteral("frmVROpt"));
    buildComponents();
}

TfrmVROpt::~TfrmVROpt() = default;

// --- components

void TfrmVROpt::buildComponents()
{
    // The report buttons show their captions as hints; the design button
    // keeps the hint that says why it is switched off.
    ControlProperties::setHint(btnOk, QStringLiteral("打印"));
    ControlProperties::setHint(btnPreview, QStringLiteral("预览"));
    if (btnDesign->isEnabled())
        ControlProperties::setHint(btnDesign, QStringLiteral("设计凭证"));
    ControlProperties::setHint(btnPrintSetup, QStringLiteral("设置打印机"));

    const auto group = [this](const char *name, const QString &caption, int left) {
        auto *box = named(new QGroupBox(tsOption2), name);
        box->setTitle(caption);
        box->setGeometry(left, 36, 340, 118);
        return box;
    };
    const auto label = [](QWidget *parent, const char *name, const QString &caption, int top) {
        auto *text = named(new TKvLabel(parent), name);
        text->setCaption(caption);
        text->move(8, top + 4);
        return text;
    };
    const auto edit = [](QWidget *parent, const char *name, int maxLength, int top, int width) {
        auto *input = named(new TKovMaskEdit(parent), name);
        input->setMaxLength(maxLength);
        input->setGeometry(56, top, width, 21);
        return input;
    };
    const auto lookupButton = [](QWidget *parent, const char *name, const QString &hint, TKovMaskEdit *input) {
        auto *button = named(new TF2Button(parent), name);
        button->setPublishedHint(hint);
        button->setFlat(true);
        button->setAutoAlign(true);
        button->setF2Control(input);
        return button;
    };

    grpNote = group("grpNote", QStringLiteral("页脚"), 4);
    lblNoteID = label(grpNote, "lblNoteID", QStringLiteral("编号"), 18);
    edtNoteID = edit(grpNote, "edtNoteID", kCodeLength, 18, 70);
    edtNoteID->setPublishedHint(QStringLiteral("[F2]页脚信息查询"));
    btnNote = lookupButton(grpNote, "btnNote", QStringLiteral("页脚信息查询"), edtNoteID);
    lblNote1 = label(grpNote, "lblNote1", QStringLiteral("页脚一"), 42);
    edtNote1 = edit(grpNote, "edtNote1", kLineLength, 42, 276);
    lblNote2 = label(grpNote, "lblNote2", QStringLiteral("页脚二"), 66);
    edtNote2 = edit(grpNote, "edtNote2", kLineLength, 66, 276);
    lblNote3 = label(grpNote, "lblNote3", QStringLiteral("页脚三"), 90);
    edtNote3 = edit(grpNote, "edtNote3", kLineLength, 90, 276);

    grpSignIn = group("grpSignIn", QStringLiteral("签核"), 350);
    lblSignInID = label(grpSignIn, "lblSignInID", QStringLiteral("编号"), 18);
    edtSignInID = edit(grpSignIn, "edtSignInID", kCodeLength, 18, 70);
    edtSignInID->setPublishedHint(QStringLiteral("[F2]签核信息查询"));
    btnSignIn = lookupButton(grpSignIn, "btnSignIn", QStringLiteral("签核信息查询"), edtSignInID);
    lblSignIn1 = label(grpSignIn, "lblSignIn1", QStringLiteral("签核一"), 42);
    edtSignIn1 = edit(grpSignIn, "edtSignIn1", kLineLength, 42, 276);
    lblSignIn2 = label(grpSignIn, "lblSignIn2", QStringLiteral("签核二"), 66);
    edtSignIn2 = edit(grpSignIn, "edtSignIn2", kLineLength, 66, 276);
    lblSignIn3 = label(grpSignIn, "lblSignIn3", QStringLiteral("签核三"), 90);
    edtSignIn3 = edit(grpSignIn, "edtSignIn3", kLineLength, 90, 276);

    const auto check = [this](const char *name, const QString &caption, int left) {
        auto *box = named(new TBitCheckBox(tsOption2), name);
        box->setCaption(caption);
        box->setGeometry(left, 160, 120, 17);
        return box;
    };
    chkNoteEPPrint = check("chkNoteEPPrint", QStringLiteral("每页打印页脚"), 8);
    chkSignInEPPrint = check("chkSignInEPPrint", QStringLiteral("每页打印签核"), 354);
    chkTotalPrint = check("chkTotalPrint", QStringLiteral("每页打印合计"), 180);
    chkTotalPrint->setChecked(false);
    chkTotalPrint->setEnabled(false);
}

void TfrmVROpt::FormCreate()
{
    TfrmVRBaseOpt::FormCreate();
    wireHandlers();
}

void TfrmVROpt::wireHandlers()
{
    edtNoteID->setEventOnEnter(action("edtNoteIDEnter", [this] { edtNoteIDEnter(); }));
    edtNoteID->setEventOnExit(action("edtNoteIDExit", [this] { edtNoteIDExit(); }));
    edtSignInID->setEventOnEnter(action("edtSignInIDEnter", [this] { edtSignInIDEnter(); }));
    edtSignInID->setEventOnExit(action("edtSignInIDExit", [this] { edtSignInIDExit(); }));
    // The inherited handling of the page comes first.
    const EventHandler inherited = tsOption2->eventOnShow();
    tsOption2->setEventOnShow(action("tsOption2Show", [this, inherited] {
        if (inherited)
            inherited(tsOption2);
        tsOption2Show();
    }));
    wireStyleHandlers();
}

void TfrmVROpt::DefineProgram()
{
    TfrmVRBaseOpt::DefineProgram();
    for (TKovMaskEdit *line : {edtNote1, edtNote2, edtNote3, edtSignIn1, edtSignIn2, edtSignIn3})
        line->setMaxLength(kLineLength);
    chkTotalPrint->setChecked(false);
    chkTotalPrint->setEnabled(false);
    RunningByKey = false;
    Exporting = false;
}

void TfrmVROpt::tsOption2Show()
{
    lblToday->move(4, 12);
    edPrintDate->setGeometry(60, 8, 85, edPrintDate->height());
    btnPrintDate->setF2Control(edPrintDate);
    btnPrintDate->AlignToControl();
    lblFormStyleName->move(180, 12);
    cboFormStyleName->setGeometry(260, 8, 100, cboFormStyleName->height());
    btnDelFormStype->move(cboFormStyleName->x() + cboFormStyleName->width() + 2, cboFormStyleName->y());
    lblDateType->move(390, 12);
    cboDateType->move(440, 8);
}

// --- footer and sign-off lines

TfrmVROpt::LineGroup TfrmVROpt::footer() const
{
    return {"1", "100235", grpNote, edtNoteID, btnNote, {edtNote1, edtNote2, edtNote3}, chkNoteEPPrint};
}

TfrmVROpt::LineGroup TfrmVROpt::signOff() const
{
    return {"2", "100236", grpSignIn, edtSignInID, btnSignIn, {edtSignIn1, edtSignIn2, edtSignIn3}, chkSignInEPPrint};
}

bool TfrmVROpt::LoadFooter(const std::string &code, bool reportErrors)
{
    return loadLines(footer(), code, reportErrors);
}

bool TfrmVROpt::LoadSignOff(const std::string &code, bool reportErrors)
{
    return loadLines(signOff(), code, reportErrors);
}

bool TfrmVROpt::loadLines(const LineGroup &group, const std::string &code, bool reportErrors)
{
    group.code->setText_(QString());
    for (TKovMaskEdit *line : group.lines)
        line->setText_(QString());
    if (code.empty())
        return true;
    Variant row;
    if (CheckCode("CMSMS", "01", false, row, varArrayOf({group.kind, code}))) {
        group.code->setText_(qs(code));
        for (int i = 0; i < 3; ++i)
            group.lines[std::size_t(i)]->setText_(qs(rowText(row, i + 1)));
        return true;
    }
    if (!reportErrors)
        return true;
    ShowCodedMessage("W", "000004", 0, {Variant(GetMessageText("R", group.nameText))});
    return false;
}

void TfrmVROpt::edtNoteIDEnter()
{
    LastLineID = edtNoteID->Text().toStdString();
}

void TfrmVROpt::edtSignInIDEnter()
{
    LastLineID = edtSignInID->Text().toStdString();
}

void TfrmVROpt::edtNoteIDExit()
{
    codeExit(footer());
}

void TfrmVROpt::edtSignInIDExit()
{
    codeExit(signOff());
}

// A code typed and left is looked up once; an unknown one is reported and
// the focus goes back to the edit. The focus returns from the event loop:
// Qt is still moving it when the exit is raised.
void TfrmVROpt::codeExit(const LineGroup &group)
{
    const std::string text = group.code->Text().toStdString();
    if (text == LastLineID)
        return;
    if (loadLines(group, QString::fromStdString(text).trimmed().toStdString(), true))
        return;
    QPointer<TKovMaskEdit> edit(group.code);
    QTimer::singleShot(0, edit, [edit] {
        if (edit && edit->isEnabled() && edit->isVisible())
            edit->setFocus(Qt::OtherFocusReason);
    });
}

void TfrmVROpt::DoF2(int key, QWidget *control)
{
    if (control == edtNoteID)
        pickLines(footer());
    else if (control == edtSignInID)
        pickLines(signOff());
    else
        TfrmVRBaseOpt::DoF2(key, control);
}

// The lookup of the footer and sign-off table answers the picked row:
// 0 code, 1 description, 2 to 4 the three lines.
void TfrmVROpt::pickLines(const LineGroup &group)
{
    if (group.code->isEnabled() && group.code->isVisible())
        group.code->setFocus(Qt::OtherFocusReason);
    const Variant row = LookupF2("CMSMS", "01", Variant(group.kind), false, "");
    if (!row.isArray() || row.array().elementCount() == 0)
        return;
    const std::string code = rowText(row, 0);
    group.code->setText_(qs(code));
    LastLineID = group.code->Text().toStdString();
    for (int i = 0; i < 3; ++i)
        group.lines[std::size_t(i)]->setText_(qs(rowText(row, i + 2)));
}

// --- runs by key

bool TfrmVROpt::RunByKey(const Variant &key, bool preview)
{
    RunningByKey = true;
    Variant settings;
    LoadSlipTypeSettings(keyText(key, 0), true, settings);
    if (settings.isEmpty())
        return false;
    return TfrmVRBaseOpt::RunByKey(key, preview);
}

bool TfrmVROpt::ExportByKey(const Variant &key, int pictureKind, int resolution, const std::string &prefix,
                            const std::string &extra)
{
    RunningByKey = true;
    Exporting = true;
    Variant settings;
    LoadSlipTypeSettings(keyText(key, 0), false, settings);
    if (settings.isEmpty())
        return false;
    return TfrmVRBaseOpt::ExportByKey(key, pictureKind, resolution, prefix, extra);
}

// --- the standard slip layout

void TfrmVROpt::PassToLayout(TfrmVRFormat *layout)
{
    if (!layout)
        return;
    layout->WorkflowFormCode = SlipTypeKey;
    layout->UseWorkflowSignIn = edtSignInID->Text().toStdString() == kWorkflowSignOff;
    if (layout->UseWorkflowSignIn)
        layout->RequestSignOffData(ProgramCode);
    layout->SetHeaderText(0, qs(SlipTitle));
    layout->SetHeaderText(1, printDateForLayout());
    layout->SignInEveryPage = chkSignInEPPrint->isChecked();
    layout->NotesEveryPage = chkNoteEPPrint->isChecked();
    layout->TotalsEveryPage = chkTotalPrint->isChecked();
    layout->SetNotes({edtNote1->Text(), edtNote2->Text(), edtNote3->Text()});
    layout->SetSignIns({edtSignIn1->Text(), edtSignIn2->Text(), edtSignIn3->Text()});
}

// The table date as the chosen date type shows it (the edit shows the
// user's own date type); a text that is no date is passed as it stands.
QString TfrmVROpt::printDateForLayout() const
{
    const QString shown = edPrintDate->Text();
    const std::string stored = StoredDate(shown);
    if (stored.empty())
        return shown;
    const int dateType = cboDateType->currentIndex() + 1;
    return DateDisplay(dateType, DateSep).ShownDate(stored);
}

// --- element access

std::string TfrmVROpt::rowText(const Variant &row, int index)
{
    if (!row.isArray() || row.array().dimCount() != 1)
        return {};
    const VariantArray &array = row.array();
    const int at = array.lowBound() + index;
    if (at > array.highBound())
        return {};
    try {
        return varToStr(array.at(at).deref());
    } catch (const std::exception &) {
        return {};
    }
}

std::string TfrmVROpt::keyText(const Variant &key, int index)
{
    if (!key.deref().isArray())
        return index == 0 ? varToStr(key.deref()) : std::string();
    return rowText(key.deref(), index);
}

} // namespace kv
