#pragma once
// TfrmGeneCondition: the modal dialog that names a condition set before it is
// saved and, for every date input of the program window, says whether the
// stored date moves relative to the date in the input: by weeks or months,
// then by days, or to the first or last day of that week or month.
//
// The settings are the owner's RelativeDates, one entry per date input,
// fields separated by #3 (counted from 1):
//   single date:  "1", name, on "Y"/"N", count, unit (0 weeks, 1 months),
//                 anchor (0 add days, 1 first day, 2 last day), days, "D"
//   range panel:  "0", name, begin (on, count, unit, anchor, days),
//                 end (on, count, unit, anchor, days), "D"
// An entry without its end mark is the short form of older sets: only the
// count follows the check box.

#include "base/KVForm.h"

#include "platform/Variant.h"

#include <QSpinBox>
#include <QStringList>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kv {

class TBitCheckBox;
class TDataLabel;
class TfrmBaseGene;
class TKvBitBtn;
class TKvPanel;

// A spin edit that leaves "0" behind when its text is not a non-zero integer.
class TGeneSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    TGeneSpinEdit(int minimum, int maximum, int maxLength, QWidget *parent);
    // The leaving rule, also run by the dialog on focus out.
    void NormaliseText();
    QLineEdit *edit() const { return lineEdit(); }
};

class TfrmGeneCondition : public TKVForm {
    Q_OBJECT

public:
    // Made with TKVForm::Create; skipCount trailing names of the list get no
    // setting (the condition window leaves out its print date).
    TfrmGeneCondition(TfrmBaseGene *owner, const std::string &dateFieldList, int skipCount);

    // (name, date-field list, replace flag); three empty texts unless the
    // dialog ended with OK.
    Variant Result() const;
    bool ReplaceExisting() const { return m_replaceExisting; }

    TDataLabel *lblCondition = nullptr;
    QLineEdit *edConName = nullptr;
    QGroupBox *gbDateFields = nullptr;
    QLabel *lblPeriod13 = nullptr;
    QComboBox *cbodatecondition = nullptr;
    TKvPanel *pnEdit = nullptr;
    TBitCheckBox *edSetDate = nullptr;
    QLabel *lblPeriod15 = nullptr;
    QLabel *lblPeriod16 = nullptr;
    TGeneSpinEdit *seSetDay1 = nullptr;
    QComboBox *cboSetDay1 = nullptr;
    QComboBox *cboSetDay2 = nullptr;
    TGeneSpinEdit *seSetDay2 = nullptr;
    TKvPanel *pnSp = nullptr;
    TBitCheckBox *spDate_B = nullptr;
    TBitCheckBox *spDate_E = nullptr;
    QLabel *lblPeriodB = nullptr;
    QLabel *lblPeriodE = nullptr;
    QLabel *lblPeriodB1 = nullptr;
    QLabel *lblPeriodE1 = nullptr;
    TGeneSpinEdit *seSetDay_B1 = nullptr;
    QComboBox *cboSetDay_B1 = nullptr;
    QComboBox *cboSetDay_B2 = nullptr;
    TGeneSpinEdit *seSetDay_B2 = nullptr;
    TGeneSpinEdit *seSetDay_E1 = nullptr;
    QComboBox *cboSetDay_E1 = nullptr;
    QComboBox *cboSetDay_E2 = nullptr;
    TGeneSpinEdit *seSetDay_E2 = nullptr;
    TKvBitBtn *btnOk = nullptr;
    TKvBitBtn *btnCancel = nullptr;

public slots:
    void btnOkClick();
    void cbodateconditionChange();
    void edSetDateClick();
    void spDate_BClick();
    void spDate_EClick();
    void cboSetDay2Change();
    void cboSetDay_B2Change();
    void cboSetDay_E2Change();

protected:
    // Converts the texts, takes the owner's caption and lists its date inputs.
    void FormCreate() override;
    void FormKeyPress(KeyPressArgs &args) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The controls of one date: check box, count, unit, anchor, days.
    struct DateEditors {
        TBitCheckBox *moving;
        TGeneSpinEdit *count;
        QComboBox *unit;
        QComboBox *anchor;
        TGeneSpinEdit *days;
    };

    void buildName();
    void buildDateFields();
    QWidget *buildSingleEditor();
    QWidget *buildRangeEditor();
    void buildDateRow(QGridLayout *grid, int row, DateEditors editors, QLabel *equals, QLabel *dayUnit);
    void buildButtons();
    void wireEditors(const DateEditors &editors);

    void SetDateEnv();
    QString itemOfEdit(QWidget *edit, const Variant &captions) const;
    QStringList currentEntry() const;
    void StoreEntry();
    static QString datePart(const DateEditors &editors);
    static void showDatePart(const DateEditors &editors, const QStringList &fields, int first);
    // Enables the editors of one date by its check box; the short form
    // leaves all but the count alone.
    static void followCheck(const DateEditors &editors, bool fullForm);
    void anchorChanged(const DateEditors &editors);
    DateEditors single() const { return {edSetDate, seSetDay1, cboSetDay1, cboSetDay2, seSetDay2}; }
    DateEditors begin() const { return {spDate_B, seSetDay_B1, cboSetDay_B1, cboSetDay_B2, seSetDay_B2}; }
    DateEditors end() const { return {spDate_E, seSetDay_E1, cboSetDay_E1, cboSetDay_E2, seSetDay_E2}; }
    std::string text(const char *key, const char *defaultText) const;

    TfrmBaseGene *m_owner;
    QString m_dateFieldList;
    int m_skipCount;
    bool m_replaceExisting = false;
    bool m_editing = false;
};

} // namespace kv
