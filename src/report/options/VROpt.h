#pragma once
// TfrmVROpt: the condition window a concrete slip report derives from. On
// top of TfrmVRBaseOpt it owns
// - the format-style list of the system-option page: the stored styles of
//   the current layout class whose saved option state matches the window's
//   options, "<New>" for the built-in layout, deletion of a style, and the
//   default style per program, per slip type and per user;
// - the slip's footer and sign-off lines (a code looked up in the footer
//   and sign-off table, three lines each, editable or not as the slip type
//   or the program says) and the every-page switches for footer, sign-off
//   and totals;
// - the slip-type print settings that choose style, footer, sign-off and
//   slip title for a slip type;
// and hands all of these to the standard slip layout before it prints.

#include "report/options/VRBaseOpt.h"

#include <QStringList>

#include <array>
#include <string>

class QEvent;
class QGroupBox;

namespace kv {

class TBitCheckBox;
class TF2Button;
class TKovMaskEdit;
class TKvLabel;
class TfrmVRFormat;

class TfrmVROpt : public TfrmVRBaseOpt {
    Q_OBJECT

public:
    // The pseudo-style of the layout built into the layout class.
    static constexpr const char *kNewStyle = "<New>";
    // Longest style name the layout store keeps.
    static constexpr int kMaxStyleName = 20;

    explicit TfrmVROpt(QWidget *parent = nullptr);
    ~TfrmVROpt() override;

    // --- components on tsOption2 (object names are the member names)
    QGroupBox *grpNote = nullptr;
    TKvLabel *lblNoteID = nullptr;
    TKovMaskEdit *edtNoteID = nullptr;
    TF2Button *btnNote = nullptr;
    TKvLabel *lblNote1 = nullptr, *lblNote2 = nullptr, *lblNote3 = nullptr;
    TKovMaskEdit *edtNote1 = nullptr, *edtNote2 = nullptr, *edtNote3 = nullptr;
    QGroupBox *grpSignIn = nullptr;
    TKvLabel *lblSignInID = nullptr;
    TKovMaskEdit *edtSignInID = nullptr;
    TF2Button *btnSignIn = nullptr;
    TKvLabel *lblSignIn1 = nullptr, *lblSignIn2 = nullptr, *lblSignIn3 = nullptr;
    TKovMaskEdit *edtSignIn1 = nullptr, *edtSignIn2 = nullptr, *edtSignIn3 = nullptr;
    TBitCheckBox *chkNoteEPPrint = nullptr;
    TBitCheckBox *chkSignInEPPrint = nullptr;
    TBitCheckBox *chkTotalPrint = nullptr;

    // --- state
    // Text of edtNoteID or edtSignInID when it got the focus.
    std::string LastLineID;
    // The window runs for keys the host gives; once set it stays set, so
    // later slip-type lookups use the by-key settings.
    bool RunningByKey = false;
    // The run by key is a picture export.
    bool Exporting = false;
    // Slip type of the last print-settings lookup.
    std::string SlipTypeKey;
    // Slip title from the slip type's print settings.
    std::string SlipTitle;

    // --- overrides
    void DefineProgram() override;
    void DoF2(int key, QWidget *control) override;
    bool RunByKey(const Variant &key, bool preview) override;
    bool ExportByKey(const Variant &key, int pictureKind, int resolution, const std::string &prefix,
                     const std::string &extra) override;

    // --- format styles
    // Refills cboFormStyleName with "<New>" (while the combo is enabled)
    // and the matching styles of the layout class, keeping the choice.
    void ReloadStyles() override;
    // True when every "component:...=value" line of a stored option state
    // agrees with the window's current options (a blank state always does).
    bool StyleMatchesOptions(const std::string &optionState) const;
    // The user's default style of this program for the key; "<New>" when
    // none is set.
    std::string DefaultStyle(const std::string &key) const;
    // Selects the named style in cboFormStyleName; no selection when the
    // list does not hold it.
    void SelectStyle(const std::string &name);

    // --- footer, sign-off and slip-type settings
    // Loads the footer lines of a code into edtNoteID and edtNote1..3. An
    // empty code empties them (true); an unknown code is reported as a
    // warning when asked (false), else accepted silently (true).
    bool LoadFooter(const std::string &code, bool reportErrors);
    bool LoadSignOff(const std::string &code, bool reportErrors);
    // Applies the print settings of a slip type (style, footer, sign-off,
    // every-page switches, slip title). settings receives the slip type's
    // record, for an empty slip type the program's record (an empty text
    // without one), and stays unassigned when the slip type has none.
    void LoadSlipTypeSettings(const std::string &slipType, bool reportErrors, Variant &settings);

    // --- handlers
    void cboFormStyleNameDropDown();
    // False when the key must be discarded (the name would grow too long).
    bool cboFormStyleNameKeyPress(QChar key);
    void btnDelFormStypeClick();
    void edtNoteIDEnter();
    void edtNoteIDExit();
    void edtSignInIDEnter();
    void edtSignInIDExit();
    // Places the system page's top row; runs after the inherited handling.
    void tsOption2Show();

protected:
    // Second argument of the slip-type print-settings lookup; the concrete
    // report sets it (the slip natures it accepts).
    std::string SlipTypeSetting;

    void FormCreate() override;
    void PassToLayout(TfrmVRFormat *layout) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Element index (from 0) of a 1-D row as text; empty when absent.
    static std::string rowText(const Variant &row, int index);
    // Element index of a key array (a plain value is element 0).
    static std::string keyText(const Variant &key, int index);

private:
    // One of the two line groups (footer or sign-off).
    struct LineGroup {
        const char *kind;     // "1" footer, "2" sign-off
        const char *nameText; // host text "R" naming the code in messages
        QGroupBox *group;
        TKovMaskEdit *code;
        TF2Button *button;
        std::array<TKovMaskEdit *, 3> lines;
        TBitCheckBox *everyPage;
    };

    void buildComponents();
    void wireHandlers();
    void wireStyleHandlers();
    LineGroup footer() const;
    LineGroup signOff() const;
    bool loadLines(const LineGroup &group, const std::string &code, bool reportErrors);
    void pickLines(const LineGroup &group);
    void codeExit(const LineGroup &group);
    void applySlipType(const std::string &slipType, bool reportErrors, Variant &settings);
    void applyProgramOnly(bool reportErrors, Variant &settings);
    void dropSlipTypeLines(bool reportErrors);
    void applyLines(const LineGroup &group, const std::string &code, const std::string &editableFlag,
                    const Variant *program, int programCode, int programEditable, bool reportErrors);
    void colourGroup(const LineGroup &group);
    QString printDateForLayout() const;
    // The styles of the layout class whose option state matches, in order.
    QStringList matchingStyles();
    bool deleteStoredStyle();
    bool styleComboEvent(QObject *watched, QEvent *event);
};

} // namespace kv
