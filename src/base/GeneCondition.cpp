#include "base/GeneCondition.h"

#include "base/BaseGene.h"
#include "base/DataLabel.h"
#include "base/KvBitBtn.h"
#include "base/KvPanel.h"
#include "controls/BtChkBox.h"
#include "controls/SelectPnl.h"
#include "lib/DateText.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

namespace {

const QChar kFieldChar(u'\x03');

int numberOf(const QString &field)
{
    bool ok = false;
    const int value = field.trimmed().toInt(&ok);
    if (!ok)
        throw ConvertError("not an integer: " + field.toStdString());
    return value;
}

// A list's index from a stored field; an index the list lacks is as bad as
// a word, since showing item -1 would store "-1" back.
void selectIndex(QComboBox *combo, const QString &field)
{
    const int index = numberOf(field);
    if (index < 0 || index >= combo->count())
        throw ConvertError("no such item: " + field.toStdString());
    combo->setCurrentIndex(index);
}

QComboBox *newList(QWidget *parent, const char *name, const QStringList &items)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->addItems(items);
    combo->setEnabled(false);
    return combo;
}

QLabel *newLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

TBitCheckBox *newCheck(QWidget *parent, const char *name, const QString &caption)
{
    auto *check = new TBitCheckBox(parent);
    check->setObjectName(QLatin1String(name));
    check->setCaption(caption);
    return check;
}

QStringList unitItems()
{
    return {QStringLiteral("周"), QStringLiteral("月")};
}

QStringList anchorItems()
{
    return {QStringLiteral("加/减"), QStringLiteral("第一天"), QStringLiteral("最后一天")};
}

} // namespace

TGeneSpinEdit::TGeneSpinEdit(int minimum, int maximum, int maxLength, QWidget *parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    lineEdit()->setMaxLength(maxLength);
    setEnabled(false);
}

void TGeneSpinEdit::NormaliseText()
{
    bool ok = false;
    const int value = text().trimmed().toInt(&ok);
    if (!ok || value == 0 || value < minimum() || value > maximum()) {
        lineEdit()->setText(QStringLiteral("0"));
        setValue(0);
    }
}

TfrmGeneCondition::TfrmGeneCondition(TfrmBaseGene *owner, const std::string &dateFieldList, int skipCount)
    : TKVForm(owner), m_owner(owner), m_dateFieldList(QString::fromStdString(dateFieldList)), m_skipCount(skipCount)
{
    setObjectName(QStringLiteral("frmGeneCondition"));
    // A dialog border without icons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setKeyPreview(true);
    buildName();
    buildDateFields();
    buildButtons();
    auto *layout = new QVBoxLayout(this);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(lblCondition);
    nameRow->addWidget(edConName, 1);
    layout->addLayout(nameRow);
    layout->addWidget(gbDateFields);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmGeneCondition::FormCreate()
{
    ConvertFormOnce();
    setCaption(m_owner->caption());
    SetDateEnv();
    m_replaceExisting = false;
}

void TfrmGeneCondition::buildName()
{
    edConName = new QLineEdit(this);
    edConName->setObjectName(QStringLiteral("edConName"));
    edConName->setMaxLength(20);
    edConName->setMinimumWidth(200);
    QPalette palette = edConName->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 175));
    edConName->setPalette(palette);
    lblCondition = new TDataLabel(this);
    lblCondition->setObjectName(QStringLiteral("lblCondition"));
    lblCondition->setAutoAlign(false);
    lblCondition->setCaption(QStringLiteral("         方案名"));
    lblCondition->setFocusControl(edConName);
}

void TfrmGeneCondition::buildDateFields()
{
    gbDateFields = new QGroupBox(QStringLiteral("日期字段"), this);
    gbDateFields->setObjectName(QStringLiteral("gbDateFields"));
    lblPeriod13 = newLabel(gbDateFields, "lblPeriod13", QStringLiteral("      条件"));
    cbodatecondition = new QComboBox(gbDateFields);
    cbodatecondition->setObjectName(QStringLiteral("cbodatecondition"));
    cbodatecondition->setMinimumWidth(160);
    auto *layout = new QVBoxLayout(gbDateFields);
    auto *choice = new QHBoxLayout;
    choice->addWidget(lblPeriod13);
    choice->addWidget(cbodatecondition, 1);
    layout->addLayout(choice);
    layout->addWidget(buildSingleEditor());
    layout->addWidget(buildRangeEditor());
    pnSp->hide();
    connect(cbodatecondition, &QComboBox::currentIndexChanged, this, &TfrmGeneCondition::cbodateconditionChange);
}

QWidget *TfrmGeneCondition::buildSingleEditor()
{
    pnEdit = new TKvPanel(gbDateFields);
    pnEdit->setObjectName(QStringLiteral("pnEdit"));
    edSetDate = newCheck(pnEdit, "edSetDate", QStringLiteral("变动日期"));
    lblPeriod15 = newLabel(pnEdit, "lblPeriod15", QStringLiteral("=预定运行日"));
    lblPeriod16 = newLabel(pnEdit, "lblPeriod16", QStringLiteral("天"));
    seSetDay1 = new TGeneSpinEdit(-99, 99, 3, pnEdit);
    seSetDay1->setObjectName(QStringLiteral("seSetDay1"));
    cboSetDay1 = newList(pnEdit, "cboSetDay1", unitItems());
    cboSetDay2 = newList(pnEdit, "cboSetDay2", anchorItems());
    seSetDay2 = new TGeneSpinEdit(-999, 999, 4, pnEdit);
    seSetDay2->setObjectName(QStringLiteral("seSetDay2"));
    seSetDay2->setToolTip(QStringLiteral("时间: 时"));
    auto *grid = new QGridLayout(pnEdit);
    buildDateRow(grid, 0, single(), lblPeriod15, lblPeriod16);
    wireEditors(single());
    connect(edSetDate, &TBitCheckBox::clicked, this, &TfrmGeneCondition::edSetDateClick);
    connect(cboSetDay2, &QComboBox::currentIndexChanged, this, &TfrmGeneCondition::cboSetDay2Change);
    return pnEdit;
}

QWidget *TfrmGeneCondition::buildRangeEditor()
{
    pnSp = new TKvPanel(gbDateFields);
    pnSp->setObjectName(QStringLiteral("pnSp"));
    spDate_B = newCheck(pnSp, "spDate_B", QStringLiteral("起始日期"));
    spDate_E = newCheck(pnSp, "spDate_E", QStringLiteral("截止日期"));
    lblPeriodB = newLabel(pnSp, "lblPeriodB", QStringLiteral("        =预定运行日"));
    lblPeriodE = newLabel(pnSp, "lblPeriodE", QStringLiteral("        =预定运行日"));
    lblPeriodB1 = newLabel(pnSp, "lblPeriodB1", QStringLiteral("天"));
    lblPeriodE1 = newLabel(pnSp, "lblPeriodE1", QStringLiteral("天"));
    const auto spin = [this](int limit, int length, const char *name) {
        auto *edit = new TGeneSpinEdit(-limit, limit, length, pnSp);
        edit->setObjectName(QLatin1String(name));
        return edit;
    };
    seSetDay_B1 = spin(99, 3, "seSetDay_B1");
    cboSetDay_B1 = newList(pnSp, "cboSetDay_B1", unitItems());
    cboSetDay_B2 = newList(pnSp, "cboSetDay_B2", anchorItems());
    seSetDay_B2 = spin(999, 4, "seSetDay_B2");
    seSetDay_B2->setToolTip(QStringLiteral("时间: 时"));
    seSetDay_E1 = spin(99, 3, "seSetDay_E1");
    cboSetDay_E1 = newList(pnSp, "cboSetDay_E1", unitItems());
    cboSetDay_E2 = newList(pnSp, "cboSetDay_E2", anchorItems());
    seSetDay_E2 = spin(999, 4, "seSetDay_E2");
    seSetDay_E2->setToolTip(QStringLiteral("时间: 时"));
    auto *grid = new QGridLayout(pnSp);
    buildDateRow(grid, 0, begin(), lblPeriodB, lblPeriodB1);
    buildDateRow(grid, 2, end(), lblPeriodE, lblPeriodE1);
    wireEditors(begin());
    wireEditors(end());
    connect(spDate_B, &TBitCheckBox::clicked, this, &TfrmGeneCondition::spDate_BClick);
    connect(spDate_E, &TBitCheckBox::clicked, this, &TfrmGeneCondition::spDate_EClick);
    connect(cboSetDay_B2, &QComboBox::currentIndexChanged, this, &TfrmGeneCondition::cboSetDay_B2Change);
    connect(cboSetDay_E2, &QComboBox::currentIndexChanged, this, &TfrmGeneCondition::cboSetDay_E2Change);
    return pnSp;
}

// One date's controls: the check box on its own line, then
// "=预定运行日" count unit anchor days "天".
void TfrmGeneCondition::buildDateRow(QGridLayout *grid, int row, DateEditors editors, QLabel *equals,
                                     QLabel *dayUnit)
{
    grid->addWidget(editors.moving, row, 0, 1, 6);
    grid->addWidget(equals, row + 1, 0);
    grid->addWidget(editors.count, row + 1, 1);
    grid->addWidget(editors.unit, row + 1, 2);
    grid->addWidget(editors.anchor, row + 1, 3);
    grid->addWidget(editors.days, row + 1, 4);
    grid->addWidget(dayUnit, row + 1, 5);
}

// Entering a setting control starts editing; a change while editing is
// written back to the entry.
void TfrmGeneCondition::wireEditors(const DateEditors &editors)
{
    for (QWidget *widget : {static_cast<QWidget *>(editors.count), static_cast<QWidget *>(editors.unit),
                            static_cast<QWidget *>(editors.anchor), static_cast<QWidget *>(editors.days)})
        widget->installEventFilter(this);
    editors.count->edit()->installEventFilter(this);
    editors.days->edit()->installEventFilter(this);
    const auto changed = [this] {
        if (m_editing)
            StoreEntry();
    };
    connect(editors.count, &QSpinBox::valueChanged, this, changed);
    connect(editors.days, &QSpinBox::valueChanged, this, changed);
    connect(editors.unit, &QComboBox::currentIndexChanged, this, changed);
}

void TfrmGeneCondition::buildButtons()
{
    btnOk = new TKvBitBtn(this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setText(QStringLiteral("确定"));
    btnOk->setToolTip(QStringLiteral("确定"));
    btnCancel = new TKvBitBtn(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setText(QStringLiteral("取消"));
    btnCancel->setToolTip(QStringLiteral("取消"));
    connect(btnOk, &QPushButton::clicked, this, &TfrmGeneCondition::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, [this] { setModalResult(mrCancel); });
}

bool TfrmGeneCondition::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        m_editing = true;
    if (event->type() == QEvent::FocusOut) {
        QObject *spin = qobject_cast<QLineEdit *>(watched) ? watched->parent() : watched;
        if (auto *edit = qobject_cast<TGeneSpinEdit *>(spin))
            edit->NormaliseText();
    }
    return TKVForm::eventFilter(watched, event);
}

void TfrmGeneCondition::FormKeyPress(KeyPressArgs &args)
{
    // Esc is the cancel button's key.
    if (args.key == QChar(0x1b)) {
        args.key = QChar();
        setModalResult(mrCancel);
        return;
    }
    if (args.key != QLatin1Char('\r'))
        return;
    QWidget *focused = focusWidget();
    if (qobject_cast<QPushButton *>(focused))
        return;
    args.key = QChar();
    focusNextChild();
}

std::string TfrmGeneCondition::text(const char *key, const char *defaultText) const
{
    return LangText("TfrmGeneCondition", key, defaultText);
}

// --- the date settings

void TfrmGeneCondition::SetDateEnv()
{
    for (QComboBox *list : {cboSetDay1, cboSetDay2, cboSetDay_B1, cboSetDay_B2, cboSetDay_E1, cboSetDay_E2})
        list->setCurrentIndex(0);
    m_owner->RelativeDates.clear();
    Variant captions;
    if (m_owner->OptionCount > 0) {
        captions = Variant(VariantArray(ArrayBounds{1, m_owner->OptionCount}));
        try {
            m_owner->GetOptionCaptions(captions, m_owner->OptionCount - m_owner->FirstOption);
        } catch (const std::exception &) {
            // Without captions the inputs are named by their labels.
        }
    }
    // The list handed in is the owner's DateFields, ordered by the caller
    // so that the inputs to leave out come last.
    const QStringList names = m_dateFieldList.split(QLatin1Char(','));
    const int listed = int(names.size()) - m_skipCount;
    const QString field(kFieldChar);
    const QString unmoved = QStringList{"N", "0", "0", "0", "0"}.join(field);
    const bool signalsWere = cbodatecondition->blockSignals(true);
    for (int index = 0; index < listed && index < names.size(); ++index) {
        const QString name = names[index].trimmed();
        QWidget *component = name.isEmpty() ? nullptr : m_owner->findChild<QWidget *>(name);
        if (auto *panel = qobject_cast<TSelectPanel *>(component)) {
            cbodatecondition->addItem(panel->title());
            m_owner->RelativeDates << QStringList{"0", name, unmoved, unmoved, "D"}.join(field);
        } else if (qobject_cast<QLineEdit *>(component)) {
            cbodatecondition->addItem(itemOfEdit(component, captions));
            m_owner->RelativeDates << QStringList{"1", name, unmoved, "D"}.join(field);
        }
    }
    cbodatecondition->blockSignals(signalsWere);
    if (cbodatecondition->count() == 0) {
        gbDateFields->setEnabled(false);
        return;
    }
    cbodatecondition->setCurrentIndex(0);
    cbodateconditionChange();
    gbDateFields->setEnabled(true);
}

// The option caption naming the edit, its own caption, its label's, or its name.
QString TfrmGeneCondition::itemOfEdit(QWidget *edit, const Variant &captions) const
{
    if (captions.isArray()) {
        for (const Variant &option : captions.array().items()) {
            if (!option.isArray() || option.array().elementCount() < 2)
                continue;
            const int low = option.array().lowBound();
            if (QString::fromStdString(varToStr(option[low + 1])) == edit->objectName())
                return QString::fromStdString(varToStr(option[low]));
        }
    }
    if (const QVariant caption = edit->property("Caption"); caption.isValid())
        return caption.toString();
    for (const TDataLabel *label : m_owner->findChildren<TDataLabel *>())
        if (label->focusControl() == edit)
            return label->text();
    return edit->objectName();
}

QStringList TfrmGeneCondition::currentEntry() const
{
    const int index = cbodatecondition->currentIndex();
    if (index < 0 || index >= m_owner->RelativeDates.size())
        throw ConvertError("no date input chosen");
    return m_owner->RelativeDates[index].split(kFieldChar);
}

void TfrmGeneCondition::cbodateconditionChange()
{
    m_editing = false;
    try {
        const QStringList entry = currentEntry();
        if (entry.value(0) != QLatin1String("0")) {
            pnSp->hide();
            edSetDate->setChecked(entry.value(2) == QLatin1String("Y"));
            edSetDateClick();
            showDatePart(single(), entry, 3);
            cboSetDay2Change();
        } else {
            pnSp->show();
            spDate_B->setChecked(entry.value(2) == QLatin1String("Y"));
            spDate_BClick();
            showDatePart(begin(), entry, 3);
            cboSetDay_B2Change();
            spDate_E->setChecked(entry.value(7) == QLatin1String("Y"));
            spDate_EClick();
            showDatePart(end(), entry, 8);
            cboSetDay_E2Change();
        }
        pnEdit->setVisible(pnSp->isHidden());
        StoreEntry();
    } catch (const std::exception &) {
        // A hand-edited entry: the editors keep what they show.
    }
}

// Fields first+1 .. first+4 (1-based): count, unit, anchor, days.
void TfrmGeneCondition::showDatePart(const DateEditors &editors, const QStringList &fields, int first)
{
    editors.count->setValue(numberOf(fields.value(first)));
    selectIndex(editors.unit, fields.value(first + 1));
    selectIndex(editors.anchor, fields.value(first + 2));
    editors.days->setValue(numberOf(fields.value(first + 3)));
}

QString TfrmGeneCondition::datePart(const DateEditors &editors)
{
    return QStringList{editors.moving->isChecked() ? "Y" : "N", QString::number(editors.count->value()),
                       QString::number(editors.unit->currentIndex()), QString::number(editors.anchor->currentIndex()),
                       QString::number(editors.days->value())}
        .join(kFieldChar);
}

void TfrmGeneCondition::StoreEntry()
{
    const int index = cbodatecondition->currentIndex();
    if (index >= 0 && index < m_owner->RelativeDates.size()) {
        const QStringList old = m_owner->RelativeDates[index].split(kFieldChar);
        QStringList entry{old.value(0), old.value(1)};
        if (old.value(0) == QLatin1String("0"))
            entry << datePart(begin()) << datePart(end()) << old.value(12);
        else
            entry << datePart(single()) << old.value(7);
        m_owner->RelativeDates[index] = entry.join(kFieldChar);
    }
    pnEdit->setVisible(pnSp->isHidden());
}

void TfrmGeneCondition::followCheck(const DateEditors &editors, bool fullForm)
{
    const bool on = editors.moving->isChecked();
    editors.count->setEnabled(on);
    if (!fullForm)
        return;
    editors.unit->setEnabled(on);
    editors.anchor->setEnabled(on);
    editors.days->setEnabled(on && editors.anchor->currentIndex() == 0);
}

void TfrmGeneCondition::edSetDateClick()
{
    QStringList entry;
    try {
        entry = currentEntry();
    } catch (const std::exception &) {
        return;
    }
    followCheck(single(), entry.value(7) == QLatin1String("D"));
    if (sender() == edSetDate)
        StoreEntry();
}

void TfrmGeneCondition::spDate_BClick()
{
    QStringList entry;
    try {
        entry = currentEntry();
    } catch (const std::exception &) {
        return;
    }
    followCheck(begin(), entry.value(12) == QLatin1String("D"));
    if (sender() == spDate_B)
        StoreEntry();
}

void TfrmGeneCondition::spDate_EClick()
{
    QStringList entry;
    try {
        entry = currentEntry();
    } catch (const std::exception &) {
        return;
    }
    const bool fullForm = entry.value(12) == QLatin1String("D");
    followCheck(end(), fullForm);
    if (!fullForm)
        cboSetDay_E1->setCurrentIndex(1);
    if (sender() == spDate_E)
        StoreEntry();
}

// The days only count for "加/减" (and only while the date moves at all).
void TfrmGeneCondition::anchorChanged(const DateEditors &editors)
{
    editors.days->setEnabled(editors.moving->isChecked() && editors.anchor->isEnabled() &&
                             editors.anchor->currentIndex() == 0);
    if (m_editing)
        StoreEntry();
}

void TfrmGeneCondition::cboSetDay2Change()
{
    anchorChanged(single());
}

void TfrmGeneCondition::cboSetDay_B2Change()
{
    anchorChanged(begin());
}

void TfrmGeneCondition::cboSetDay_E2Change()
{
    anchorChanged(end());
}

// --- closing

void TfrmGeneCondition::btnOkClick()
{
    const std::string name = edConName->text().trimmed().toStdString();
    if (name.empty()) {
        m_owner->ShowMessageBox(text("sEmptyProjName", "方案名不可空白!"), MessageType::Error, MessageButton::OK);
        edConName->setFocus(Qt::OtherFocusReason);
        return;
    }
    Variant found;
    if (m_owner->CheckCode("GENES", "01", false, found, varArrayOf({name, m_owner->UserID, m_owner->ProgramCode}))) {
        const int answer = m_owner->ShowMessageBox(
            text("sReplaceProj", "此方案名已存在！是否将原来的方案替换为此方案?"), MessageType::Confirmation,
            MessageButton::OK | MessageButton::Cancel);
        if (answer != mrOk) {
            edConName->setFocus(Qt::OtherFocusReason);
            return;
        }
        m_replaceExisting = true;
    }
    setModalResult(mrOk);
}

Variant TfrmGeneCondition::Result() const
{
    if (modalResult() != mrOk)
        return varArrayOf({std::string(), std::string(), std::string()});
    return varArrayOf({edConName->text().trimmed().toStdString(), m_dateFieldList.toStdString(), m_replaceExisting});
}

} // namespace kv
