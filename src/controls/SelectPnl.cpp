#include "controls/SelectPnl.h"

#include "controls/ComponentState.h"
#include "controls/ControlEvents.h"
#include "controls/F2Button.h"
#include "controls/GSpdBtn.h"
#include "controls/KovCheckBox.h"
#include "controls/LookupRequestEvent.h"
#include "lib/LibStrs.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace kv {

namespace {

constexpr int kEditorHeight = 24;
constexpr int kButtonSize = 23;
constexpr int kBevelWidth = 1;

const QStringList kDefaultChildHints = {
    QStringLiteral("用户自定输入方式"),     QStringLiteral("区间选择-起始信息"),
    QStringLiteral("区间选择-起始信息开窗"), QStringLiteral("区间选择-截止信息"),
    QStringLiteral("区间选择-截止信息开窗"), QStringLiteral("多选-己选择的信息"),
    QStringLiteral("多选-信息开窗"),         QStringLiteral("多选-删除一笔信息"),
    QStringLiteral("多选-删除己选信息"),
};

// Line `line` of a caption list; a single line serves every layout.
QString word(const QStringList &words, int line)
{
    if (words.isEmpty())
        return {};
    return words.size() > line ? words.at(line) : words.first();
}

QStringList converted(const QStringList &texts, const std::function<QString(const QString &)> &convert)
{
    QStringList result;
    for (const QString &text : texts)
        result.append(convert(text));
    return result;
}

QRect nonNegative(int left, int top, int width, int height)
{
    return {left, top, qMax(0, width), qMax(0, height)};
}

QFrame *newPage(QWidget *parent)
{
    auto *page = new QFrame(parent);
    page->setFrameShape(QFrame::NoFrame);
    return page;
}

// Integer value of a bound; 0 when it is not a whole number.
qint64 integerOf(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

// Real value of a bound: blanks and digit-grouping commas are ignored, so
// that " 1,250.5" and "1250.50" compare equal; 0 when it is not a number.
double realOf(const QString &text)
{
    QString plain = text.trimmed();
    plain.remove(QLatin1Char(','));
    return FloatOrDefault(plain.toStdString(), 0.0);
}

std::string utf8(const QString &text)
{
    return text.toStdString();
}

} // namespace

TSelectPanel::TSelectPanel(QWidget *parent) : QGroupBox(parent)
{
    m_beginWords = {QStringLiteral("起"), QStringLiteral("起")};
    m_finalWords = {QStringLiteral("止"), QStringLiteral("止")};
    m_hintWord = QStringLiteral("区间选择");
    // The default hints are only recorded: they reach the children when the
    // list is set, as a stored form does.
    m_childHints = kDefaultChildHints;
    createChildren();
    connectChildren();
    watchChildren();
    m_checkBox->setCaption(m_hintWord);
    m_checkBox->setChecked(m_userChoice);
    resize(353, 45);
    showParts(m_style);
    relayout();
}

TSelectPanel::~TSelectPanel() = default;

void TSelectPanel::createChildren()
{
    m_checkBox = new TKovCheckBox(this);
    m_checkBox->move(16, 17);
    m_rangePage = newPage(this);
    m_listPage = newPage(this);

    m_beginLabel = new QLabel(m_rangePage);
    m_edBegin = new TKovMaskEdit(m_rangePage);
    m_beginButton = new TF2Button(m_rangePage);
    m_finalLabel = new QLabel(m_rangePage);
    m_edFinal = new TKovMaskEdit(m_rangePage);
    m_finalButton = new TF2Button(m_rangePage);
    for (TKovMaskEdit *editor : {m_edBegin, m_edFinal})
        editor->resize(editor->width(), kEditorHeight);

    m_listBox = new TKovListView(m_listPage);
    m_listButton = new TF2Button(m_listPage);
    m_deleteButton = new TGSpeedButton(m_listPage);
    m_clearButton = new TGSpeedButton(m_listPage);
    m_deleteButton->setGlyphIndex(47);
    m_deleteButton->setNumGlyphs(1);
    m_clearButton->setGlyphIndex(4);
    m_clearButton->setNumGlyphs(2);
    for (TGSpeedButton *button : {static_cast<TGSpeedButton *>(m_beginButton), static_cast<TGSpeedButton *>(m_finalButton),
                                  static_cast<TGSpeedButton *>(m_listButton), m_deleteButton, m_clearButton}) {
        button->setFlat(true);
        button->resize(kButtonSize, kButtonSize);
    }
    for (TF2Button *button : {m_beginButton, m_finalButton, m_listButton}) {
        button->setGlyphIndex(m_glyphIndex);
        button->setNumGlyphs(1);
    }
}

void TSelectPanel::connectChildren()
{
    connect(m_checkBox, &TBitCheckBox::clicked, this, [this] {
        styleBoxClicked();
        m_OnClick(this);
    });
    const auto lookupOn = [this](TF2Button *button, QWidget *target) {
        connect(button, &QToolButton::clicked, this, [this, target] {
            lookup(target);
            m_OnClick(this);
        });
    };
    lookupOn(m_beginButton, m_edBegin);
    lookupOn(m_finalButton, m_edFinal);
    lookupOn(m_listButton, m_listBox);
    connect(m_deleteButton, &QToolButton::clicked, this, [this] {
        deleteClicked();
        m_OnClick(this);
    });
    connect(m_clearButton, &QToolButton::clicked, this, [this] {
        clearClicked();
        m_OnClick(this);
    });
    m_listBox->setEventOnSelectItem(EventHandler([this](QObject *list, EventArgs &args) { m_OnItemSelect(list, args); }));
    m_listBox->setEventOnChange(EventHandler([this](QObject *list, EventArgs &args) { m_OnItemChange(list, args); }));
    m_listBox->setEventOnChanging(EventHandler([this](QObject *list, EventArgs &args) { m_OnItemChanging(list, args); }));
    connect(qApp, &QApplication::focusChanged, this, &TSelectPanel::focusChanged);
}

// The panel sees its children's keys and mouse events first and raises
// them as its own.
void TSelectPanel::watchChildren()
{
    const QList<QWidget *> children = {m_checkBox,    m_rangePage,     m_listPage,      m_beginLabel,
                                       m_finalLabel,  m_edBegin,       m_edFinal,       m_beginButton,
                                       m_finalButton, m_listButton,    m_deleteButton,  m_clearButton,
                                       m_listBox,     m_listBox->viewport()};
    for (QWidget *child : children)
        child->installEventFilter(this);
}

// ---------------------------------------------------------------- layout

void TSelectPanel::resizeCheckBox()
{
    const QFontMetrics metrics = m_checkBox->fontMetrics();
    m_checkBox->resize(metrics.horizontalAdvance(m_checkBox->caption()) + 24, metrics.height() + 2);
}

void TSelectPanel::placeLabel(QLabel *label, const QString &caption, int left, int top)
{
    label->setText(caption);
    const QFontMetrics metrics = label->fontMetrics();
    // A pixel above and below for strokes beyond the font's ascent and
    // descent.
    label->setGeometry(left, top, metrics.horizontalAdvance(caption), metrics.height() + 2);
}

void TSelectPanel::placePages(TSelectStyle style)
{
    const int captionHeight = fontMetrics().height();
    QRect pages;
    if (style == sp_UserChoice) {
        m_checkBox->move(16, captionHeight + 1);
        m_checkBox->show();
        const int top = m_checkBox->y() + m_checkBox->fontMetrics().height() + 2;
        pages = nonNegative(2, top, width() - 2 - 2, height() - top - 2);
    } else {
        m_checkBox->hide();
        const int top = captionHeight + 3;
        pages = nonNegative(2, top, width() - 2 - 2 - kBevelWidth, height() - top - 2 - kBevelWidth);
    }
    m_rangePage->setGeometry(pages);
    m_listPage->setGeometry(pages);
    const bool rangeInFront = style == sp_Range || (style == sp_UserChoice && m_userChoice);
    (rangeInFront ? m_rangePage : m_listPage)->raise();
}

void TSelectPanel::horizontalBoundLayout()
{
    const int pageWidth = m_rangePage->width();
    const int editorHeight = m_edBegin->height();
    placeLabel(m_beginLabel, word(m_beginWords, 0), 2, (m_rangePage->height() - editorHeight) / 2);
    const QString finalCaption = word(m_finalWords, 0);
    const int finalLabelWidth = m_finalLabel->fontMetrics().horizontalAdvance(finalCaption);
    const int top = m_beginLabel->y();
    const int used = m_beginLabel->x() + m_beginLabel->width();
    const int editorWidth = m_canOpenWin
                                ? (pageWidth - used - m_beginButton->width() - finalLabelWidth - m_finalButton->width() - 8) / 2
                                : (pageWidth - used - finalLabelWidth - 4) / 2;
    m_edBegin->setGeometry(nonNegative(used + 1, top, editorWidth, editorHeight));
    int finalLabelLeft = m_edBegin->x() + m_edBegin->width() + 4;
    if (m_canOpenWin) {
        m_beginButton->move(m_edBegin->x() + m_edBegin->width() + 2, top);
        finalLabelLeft = m_beginButton->x() + m_beginButton->width() + 2;
    }
    placeLabel(m_finalLabel, finalCaption, finalLabelLeft, top);
    m_edFinal->setGeometry(nonNegative(m_finalLabel->x() + m_finalLabel->width() + 2, top, editorWidth,
                                       m_edFinal->height()));
    m_finalButton->move(m_edFinal->x() + m_edFinal->width() + 2, top);
}

void TSelectPanel::verticalBoundLayout()
{
    const int pageWidth = m_rangePage->width();
    const int editorHeight = m_edBegin->height();
    const int gap = (m_rangePage->height() - editorHeight - m_edFinal->height()) / 3;
    placeLabel(m_beginLabel, word(m_beginWords, 1), 2, gap);
    const int used = m_beginLabel->x() + m_beginLabel->width();
    const int editorWidth = m_canOpenWin ? pageWidth - used - m_beginButton->width() - 4 : pageWidth - used - 2;
    m_edBegin->setGeometry(nonNegative(used + 2, gap, editorWidth, editorHeight));
    m_beginButton->move(m_edBegin->x() + m_edBegin->width() + 1, m_edBegin->y());
    placeLabel(m_finalLabel, word(m_finalWords, 1), m_beginLabel->x(), gap + m_beginLabel->y() + editorHeight);
    m_edFinal->setGeometry(nonNegative(m_edBegin->x(), m_finalLabel->y(), editorWidth, m_edFinal->height()));
    m_finalButton->move(m_beginButton->x(), m_finalLabel->y());
}

void TSelectPanel::listLayout()
{
    const int listLeft = m_listBox->x();
    const int listWidth = m_listPage->width() - listLeft - m_listButton->width() - 3;
    m_listBox->setGeometry(nonNegative(listLeft, 0, listWidth, m_listPage->height()));
    m_listButton->move(m_listBox->x() + m_listBox->width() + 2, m_listBox->y());
    m_deleteButton->move(m_listButton->x(), m_listButton->y() + m_listButton->height());
    m_clearButton->move(m_listButton->x(), m_deleteButton->y() + m_deleteButton->height());
}

void TSelectPanel::relayoutFor(TSelectStyle style)
{
    resizeCheckBox();
    placePages(style);
    switch (style) {
    case sp_Range:
        if (m_useVertical)
            verticalBoundLayout();
        else
            horizontalBoundLayout();
        break;
    case sp_Discrete: listLayout(); break;
    case sp_UserChoice:
        verticalBoundLayout();
        listLayout();
        break;
    }
}

void TSelectPanel::showParts(TSelectStyle style)
{
    const bool withBox = style == sp_UserChoice;
    m_checkBox->setVisible(withBox);
    const bool range = style == sp_Range || (withBox && m_checkBox->isChecked());
    m_rangePage->setVisible(range);
    m_listPage->setVisible(!range);
    setFocusProxy(range ? static_cast<QWidget *>(m_edBegin) : m_listBox);
}

void TSelectPanel::swapSize()
{
    const QSize current = size();
    resize(m_otherWidth, m_otherHeight);
    m_otherWidth = current.width();
    m_otherHeight = current.height();
}

void TSelectPanel::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    relayout();
}

void TSelectPanel::changeEvent(QEvent *event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        relayout();
}

// ---------------------------------------------------------------- properties

bool TSelectPanel::IsRangeMode() const
{
    return m_style == sp_Range || (m_style == sp_UserChoice && m_userChoice);
}

void TSelectPanel::setStyle(TSelectStyle style)
{
    const bool designing = isDesigning(this);
    if (!designing) {
        StyleChangeArgs changing(m_style, style);
        m_OnStyleChanging(this, changing);
        if (!changing.accept)
            return;
    }
    const TSelectStyle old = m_style;
    showParts(style);
    const bool rangeChanged = (old == sp_Range) != (style == sp_Range);
    if (rangeChanged && !m_useVertical && !m_loading && !isLoading(this))
        swapSize();
    relayoutFor(style);
    if (!designing) {
        StyleChangeArgs changed(old, style);
        m_OnStyleChange(this, changed);
    }
    m_style = style;
}

void TSelectPanel::setUserChoice(bool rangeChosen)
{
    m_userChoice = rangeChosen;
    m_checkBox->setChecked(rangeChosen);
    if (m_style == sp_UserChoice)
        applyUserChoice();
}

void TSelectPanel::styleBoxClicked()
{
    if (m_style != sp_UserChoice)
        return;
    m_userChoice = m_checkBox->isChecked();
    applyUserChoice();
}

void TSelectPanel::applyUserChoice()
{
    relayoutFor(sp_UserChoice);
    showParts(m_style);
    if (!isDesigning(this))
        m_OnTypeClick(this);
}

void TSelectPanel::setUseVertical(bool vertical)
{
    if (m_style != sp_Range || vertical == m_useVertical)
        return;
    m_useVertical = vertical;
    if (!m_loading && !isLoading(this))
        swapSize();
    relayout();
}

void TSelectPanel::setBeginWords(const QStringList &words)
{
    m_beginWords = words.mid(0, 2);
    m_beginLabel->setText(word(m_beginWords, m_style == sp_UserChoice ? 1 : 0));
    relayout();
}

void TSelectPanel::setFinalWords(const QStringList &words)
{
    m_finalWords = words.mid(0, 2);
    m_finalLabel->setText(word(m_finalWords, m_style == sp_UserChoice ? 1 : 0));
    relayout();
}

void TSelectPanel::setEditMask(const QString &mask)
{
    const QString typed = m_edBegin->Text();
    m_edBegin->setChangeSuppressed(true);
    m_edBegin->clear();
    m_editMask = mask;
    m_edBegin->setEditMask(mask);
    m_edFinal->setEditMask(mask);
    m_emptyMaskText = m_edBegin->Text();
    m_edBegin->setText_(typed);
    m_edBegin->setChangeSuppressed(false);
}

void TSelectPanel::setCanOpenWin(bool on)
{
    m_canOpenWin = on;
    for (TF2Button *button : {m_beginButton, m_finalButton, m_listButton})
        button->setVisible(on);
    relayout();
}

void TSelectPanel::setGlyphIndex(int index)
{
    m_glyphIndex = index;
    m_beginButton->setGlyphIndex(index);
    // A glyph that cannot be read leaves all three buttons with glyph 0.
    const int shown = m_beginButton->glyphLoadFailed() ? 0 : index;
    for (TF2Button *button : {m_beginButton, m_finalButton, m_listButton}) {
        button->setGlyphIndex(shown);
        button->setNumGlyphs(1);
    }
}

void TSelectPanel::setHintWord(const QString &hintWord)
{
    m_hintWord = hintWord;
    m_checkBox->setCaption(hintWord);
    resizeCheckBox();
}

void TSelectPanel::setChildHints(const QStringList &hints)
{
    m_childHints = hints;
    const QList<QWidget *> children = {m_checkBox,    m_edBegin,    m_beginButton,  m_edFinal,     m_finalButton,
                                       m_listBox,     m_listButton, m_deleteButton, m_clearButton};
    for (int i = 0; i < children.size() && i < hints.size(); ++i)
        children.at(i)->setToolTip(hints.at(i));
}

void TSelectPanel::setCheckDuplicate(TCheckDuplicate rule)
{
    m_checkDuplicate = rule;
    switch (rule) {
    case cd_None: m_listBox->setDuplicates(TKovListView::Duplicates::None); break;
    case cd_CheckCase: m_listBox->setDuplicates(TKovListView::Duplicates::CheckCase); break;
    case cd_CaseInsensitive: m_listBox->setDuplicates(TKovListView::Duplicates::CaseInsensitive); break;
    }
    // Duplicates are found among neighbours, so the list must be sorted.
    if (rule != cd_None)
        setSortListBox(true);
    if (!IsRangeMode())
        m_listBox->RemoveDuplicates();
}

bool TSelectPanel::columnsAutoSize() const { return m_listBox->columnsAutoSize(); }
void TSelectPanel::setColumnsAutoSize(bool on) { m_listBox->setColumnsAutoSize(on); }
QStringList TSelectPanel::columnCaptions() const { return m_listBox->columnCaptions(); }
void TSelectPanel::setColumnCaptions(const QStringList &captions) { m_listBox->setColumnCaptions(captions); }
QStringList TSelectPanel::columns() const { return m_listBox->columns(); }
void TSelectPanel::setColumns(const QStringList &columns) { m_listBox->setColumns(columns); }
bool TSelectPanel::hideSelection() const { return m_listBox->hideSelection(); }
void TSelectPanel::setHideSelection(bool hide) { m_listBox->setHideSelection(hide); }
QList<QStringList> TSelectPanel::items() const { return m_listBox->rows(); }
bool TSelectPanel::setItems(const QList<QStringList> &rows) { return m_listBox->setRows(rows); }
bool TSelectPanel::showColumnHeader() const { return m_listBox->showColumnHeaders(); }
void TSelectPanel::setShowColumnHeader(bool show) { m_listBox->setShowColumnHeaders(show); }
bool TSelectPanel::sortListBox() const { return m_listBox->isSorted(); }
void TSelectPanel::setSortListBox(bool sorted) { m_listBox->setSorted(sorted); }

void TSelectPanel::SetEnabled(bool enabled)
{
    setEnabled(enabled);
    for (QWidget *child : findChildren<QWidget *>())
        child->setEnabled(enabled);
}

void TSelectPanel::SetFocus()
{
    (IsRangeMode() ? static_cast<QWidget *>(m_edBegin) : m_listBox)->setFocus(Qt::OtherFocusReason);
}

void TSelectPanel::BeginLoad()
{
    m_loading = true;
}

void TSelectPanel::Loaded()
{
    m_loading = false;
    relayout();
}

void TSelectPanel::translateTexts(const std::function<QString(const QString &)> &convert)
{
    m_beginWords = converted(m_beginWords, convert);
    m_finalWords = converted(m_finalWords, convert);
    setChildHints(converted(m_childHints, convert));
    setHintWord(convert(m_hintWord));
    m_listBox->ConvertTexts(convert);
    relayout();
}

// ---------------------------------------------------------------- buttons

void TSelectPanel::lookup(QWidget *target)
{
    if (isDesigning(this))
        return;
    QPointer<TSelectPanel> self(this);
    target->setFocus(Qt::OtherFocusReason);
    LookupRequestEvent request(target);
    QCoreApplication::sendEvent(window(), &request);
    if (!self)
        return;
    OpenWinClickArgs args(target);
    m_OnOpenWinClick(this, args);
}

void TSelectPanel::deleteClicked()
{
    AcceptArgs args;
    if (!isDesigning(this))
        m_OnDeleteClick(m_deleteButton, args);
    if (args.accept)
        m_listBox->DeleteSelected();
}

void TSelectPanel::clearClicked()
{
    m_listBox->Clear();
    m_listBox->setFocus(Qt::OtherFocusReason);
    if (!isDesigning(this))
        m_OnClearClick(m_clearButton);
}

// ---------------------------------------------------------------- leaving

void TSelectPanel::focusChanged(QWidget *old, QWidget *now)
{
    if (!old || !now || now->window() != window())
        return;
    const bool wasInside = old == this || isAncestorOf(old);
    const bool isInside = now == this || isAncestorOf(now);
    if (!wasInside || isInside)
        return;
    QPointer<TSelectPanel> self(this);
    OrderBounds();
    if (self)
        m_OnExit(this);
}

bool TSelectPanel::discarded(const QString &lower, const QString &upper) const
{
    return m_useDiscard && (lower.trimmed() == m_discard || upper.trimmed() == m_discard);
}

bool TSelectPanel::shouldSwap(const QString &lower, const QString &upper) const
{
    switch (m_valueType) {
    case vt_Number: return integerOf(upper) < integerOf(lower);
    case vt_Float: return realOf(upper) < realOf(lower);
    case vt_Date:
        if (!m_autoChangeDateSite || lower == m_emptyMaskText || upper == m_emptyMaskText || discarded(lower, upper))
            return false;
        if (m_dateType == dt_NoneCare)
            return lower > upper;
        return BoundDate(lower) > BoundDate(upper);
    case vt_String:
    case vt_Time:
        if (lower == m_emptyMaskText || upper == m_emptyMaskText || discarded(lower, upper))
            return false;
        return lower > upper;
    case vt_OtherMask: return false;
    }
    return false;
}

void TSelectPanel::OrderBounds()
{
    if (!m_editMask.startsWith(QLatin1Char('!'))) {
        for (TKovMaskEdit *editor : {m_edBegin, m_edFinal}) {
            const QString text = editor->Text();
            if (text.trimmed() != text)
                editor->setText_(text.trimmed());
        }
    }
    // Read back: a masked editor shows its mask again around what is left.
    const QString lower = m_edBegin->Text();
    const QString upper = m_edFinal->Text();
    if (lower.trimmed().isEmpty() || upper.trimmed().isEmpty())
        return;
    if (!shouldSwap(lower, upper))
        return;
    m_edBegin->setText_(upper);
    m_edFinal->setText_(lower);
}

double TSelectPanel::BoundDate(const QString &text) const
{
    QString date = text.trimmed();
    if (date.isEmpty() || date == m_emptyMaskText.trimmed() || m_dateSign.isEmpty())
        return 0.0;
    const QString &sign = m_dateSign;
    const qsizetype separators = date.count(sign);
    if (separators == 1) { // a month: the day "01" is added
        if (m_dateType == dt_MMDDYYYY)
            date = date.left(2) + sign + QStringLiteral("01") + date.mid(2);
        else if (m_dateType == dt_DDMMYYYY)
            date = QStringLiteral("01") + sign + date;
        else
            date += sign + QStringLiteral("01");
    } else if (separators != 2) {
        return 0.0;
    }
    const QStringList parts = date.split(sign);
    int numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        numbers[i] = parts.value(i).trimmed().toInt(&ok);
        if (!ok)
            return 0.0;
    }
    int year = numbers[0], month = numbers[1], day = numbers[2];
    switch (m_dateType) {
    case dt_MMDDYYYY: year = numbers[2], month = numbers[0], day = numbers[1]; break;
    case dt_DDMMYYYY: year = numbers[2], month = numbers[1], day = numbers[0]; break;
    case dt_YYMMDD:
    case dt_YYYMMDD: year += 1911; break;
    case dt_NoneCare:
    case dt_YYYYMMDD: break;
    }
    const QDate parsed(year, month, day);
    return parsed.isValid() ? OleDate::fromDate(parsed).value : 0.0;
}

// ---------------------------------------------------------------- condition

QString TSelectPanel::boundText(const TKovMaskEdit *editor) const
{
    return editor->showsEmptyMask() ? QString() : editor->Text();
}

Variant TSelectPanel::ConditionValue() const
{
    if (IsRangeMode())
        return varArrayOf({Variant("\x04"), Variant(utf8(boundText(m_edBegin))), Variant(utf8(boundText(m_edFinal)))});
    const int rows = m_listBox->rowCount();
    VariantArray list(ArrayBounds{0, rows});
    list.at(0) = Variant("\x05");
    for (int row = 0; row < rows; ++row) {
        std::vector<Variant> values;
        for (const QString &value : m_listBox->rowValues(row))
            values.emplace_back(utf8(value));
        list.at(row + 1) = varArrayOf(std::move(values));
    }
    return Variant(std::move(list));
}

// ---------------------------------------------------------------- events

bool TSelectPanel::passesItself(QObject *child) const
{
    return child == m_listBox || child == m_edBegin || child == m_edFinal;
}

// The control a child's event belongs to: the list for its viewport.
QObject *TSelectPanel::senderFor(QObject *child)
{
    return child == m_listBox->viewport() ? m_listBox : child;
}

bool TSelectPanel::forwardKey(QObject *child, QEvent *event)
{
    auto *key = static_cast<QKeyEvent *>(event);
    QObject *sender = senderFor(child);
    if (event->type() == QEvent::KeyRelease) {
        KeyEventArgs args(key->key(), key->modifiers());
        m_OnKeyUp(sender, args);
        return args.key == 0;
    }
    KeyEventArgs down(key->key(), key->modifiers());
    m_OnKeyDown(sender, down);
    if (down.key == 0)
        return true;
    if (key->text().isEmpty())
        return false;
    KeyPressArgs press(key->text().at(0));
    m_OnKeyPress(sender, press);
    return press.key.isNull();
}

void TSelectPanel::forwardMouse(QObject *child, QMouseEvent *event)
{
    auto *area = static_cast<QWidget *>(child);
    // An event a child did not take travels on to its parents; it is raised
    // once, for the innermost control under the mouse.
    if (area != m_listBox->viewport() && area->childAt(event->position().toPoint()))
        return;
    QObject *leaf = senderFor(child);
    const bool itself = passesItself(leaf);
    QObject *sender = itself ? leaf : this;
    const QPoint position = area->mapTo(itself ? static_cast<QWidget *>(leaf) : this, event->position().toPoint());
    MouseEventArgs args(event->button(), event->modifiers(), position);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_pressedChild = event->button() == Qt::LeftButton ? leaf : nullptr;
        m_OnMouseDown(sender, args);
        break;
    case QEvent::MouseButtonDblClick:
        m_OnMouseDown(sender, args);
        m_OnDblClick(sender);
        break;
    case QEvent::MouseMove: m_OnMouseMove(sender, args); break;
    case QEvent::MouseButtonRelease: {
        m_OnMouseUp(sender, args);
        const bool clicked = m_pressedChild == leaf && event->button() == Qt::LeftButton
                             && area->rect().contains(event->position().toPoint());
        m_pressedChild = nullptr;
        // Buttons and the check box report their clicks themselves.
        if (clicked && !qobject_cast<QToolButton *>(leaf) && leaf != m_checkBox)
            m_OnClick(sender);
        break;
    }
    default: break;
    }
}

bool TSelectPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (isDesigning(this) || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: return forwardKey(watched, event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: forwardMouse(watched, static_cast<QMouseEvent *>(event)); return false;
    default: return false;
    }
}

void TSelectPanel::mousePressEvent(QMouseEvent *event)
{
    if (!isDesigning(this))
        forwardMouse(this, event);
    QGroupBox::mousePressEvent(event);
}

void TSelectPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (!isDesigning(this))
        forwardMouse(this, event);
    QGroupBox::mouseReleaseEvent(event);
}

void TSelectPanel::mouseMoveEvent(QMouseEvent *event)
{
    if (!isDesigning(this))
        forwardMouse(this, event);
    QGroupBox::mouseMoveEvent(event);
}

void TSelectPanel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!isDesigning(this))
        forwardMouse(this, event);
    QGroupBox::mouseDoubleClickEvent(event);
}

} // namespace kv
