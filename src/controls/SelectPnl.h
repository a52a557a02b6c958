#pragma once
// TSelectPanel: the range selection panel with which a condition window
// takes one condition: a range (edBegin .. edFinal), a list of chosen values
// (ListBox), or either with a check box that switches between the two
// (Style). It lays out its children itself, puts the bounds in order when
// the focus leaves it (by ValueType and DateType), keeps the list free of
// duplicates when asked, forwards lookup requests for its inputs to its
// window, and hands the window its condition value for SPSQLStr.
//
// Children: the style check box, the range page (begin label, edBegin, its
// lookup button, final label, edFinal, its lookup button) and the list page
// (ListBox, its lookup button, the delete and the clear button). They carry
// no object names of their own: they belong to the panel, which publishes
// edBegin, edFinal and ListBox and converts their texts itself.

#include "controls/ControlProperties.h"
#include "controls/KovListView.h"
#include "controls/KovMaskEdit.h"
#include "lib/TextTranslatable.h"
#include "platform/Variant.h"

#include <QGroupBox>
#include <QStringList>

class QFrame;
class QLabel;

namespace kv {

class TF2Button;
class TGSpeedButton;
class TKovCheckBox;

class TSelectPanel : public QGroupBox, public TextTranslatable {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Caption READ title WRITE setTitle)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE SetEnabled)
    Q_PROPERTY(bool AutoChangeDateSite READ autoChangeDateSite WRITE setAutoChangeDateSite)
    Q_PROPERTY(QStringList BeginWords READ beginWords WRITE setBeginWords)
    Q_PROPERTY(bool ColumnsAutoSize READ columnsAutoSize WRITE setColumnsAutoSize)
    Q_PROPERTY(bool CanOpenWin READ canOpenWin WRITE setCanOpenWin)
    Q_PROPERTY(kv::TSelectPanel::TCheckDuplicate CheckDuplicate READ checkDuplicate WRITE setCheckDuplicate)
    Q_PROPERTY(QStringList ChildHints READ childHints WRITE setChildHints)
    Q_PROPERTY(QStringList ColumnCaptions READ columnCaptions WRITE setColumnCaptions)
    Q_PROPERTY(QStringList Columns READ columns WRITE setColumns)
    Q_PROPERTY(kv::TSelectPanel::TDateType DateType READ dateType WRITE setDateType)
    Q_PROPERTY(QString DateSign READ dateSign WRITE setDateSign)
    Q_PROPERTY(QString Discard READ discard WRITE setDiscard)
    Q_PROPERTY(QString EditMask READ editMask WRITE setEditMask)
    Q_PROPERTY(QStringList FinalWords READ finalWords WRITE setFinalWords)
    Q_PROPERTY(int GlyphIndex READ glyphIndex WRITE setGlyphIndex)
    Q_PROPERTY(QString HintWord READ hintWord WRITE setHintWord)
    Q_PROPERTY(bool HideSelection READ hideSelection WRITE setHideSelection)
    Q_PROPERTY(QList<QStringList> Items READ items WRITE setItems)
    Q_PROPERTY(int OtherHeight READ otherHeight WRITE setOtherHeight)
    Q_PROPERTY(int OtherWidth READ otherWidth WRITE setOtherWidth)
    Q_PROPERTY(bool ShowColumnHeader READ showColumnHeader WRITE setShowColumnHeader)
    Q_PROPERTY(bool SortListBox READ sortListBox WRITE setSortListBox)
    Q_PROPERTY(kv::TSelectPanel::TSelectStyle Style READ style WRITE setStyle)
    Q_PROPERTY(bool UseDiscard READ useDiscard WRITE setUseDiscard)
    Q_PROPERTY(bool UserChoice READ userChoice WRITE setUserChoice)
    Q_PROPERTY(bool UseVertical READ useVertical WRITE setUseVertical)
    Q_PROPERTY(kv::TSelectPanel::TValueType ValueType READ valueType WRITE setValueType)
    Q_PROPERTY(kv::TKovMaskEdit *edBegin READ edBegin STORED false)
    Q_PROPERTY(kv::TKovMaskEdit *edFinal READ edFinal STORED false)
    Q_PROPERTY(kv::TKovListView *ListBox READ ListBox STORED false)
    // OnOpenWinClick: OpenWinClickArgs; OnDeleteClick: AcceptArgs;
    // OnStyleChanging / OnStyleChange: StyleChangeArgs; OnItemSelect:
    // ItemSelectArgs; OnItemChange / OnItemChanging: ItemChangeArgs; key
    // events: KeyEventArgs / KeyPressArgs with the child as sender.
    KV_PUBLISHED_EVENT(OnOpenWinClick)
    KV_PUBLISHED_EVENT(OnClearClick)
    KV_PUBLISHED_EVENT(OnDeleteClick)
    KV_PUBLISHED_EVENT(OnTypeClick)
    KV_PUBLISHED_EVENT(OnStyleChanging)
    KV_PUBLISHED_EVENT(OnStyleChange)
    KV_PUBLISHED_EVENT(OnExit)
    KV_PUBLISHED_EVENT(OnItemSelect)
    KV_PUBLISHED_EVENT(OnItemChange)
    KV_PUBLISHED_EVENT(OnItemChanging)
    KV_PUBLISHED_EVENT(OnKeyDown)
    KV_PUBLISHED_EVENT(OnKeyUp)
    KV_PUBLISHED_EVENT(OnKeyPress)
    // The children's clicks and mouse events, raised as the panel's own
    // (MouseEventArgs): the list and the editors are passed as themselves,
    // every other child as the panel, in the panel's coordinates.
    KV_PUBLISHED_EVENT(OnClick)
    KV_PUBLISHED_EVENT(OnDblClick)
    KV_PUBLISHED_EVENT(OnMouseDown)
    KV_PUBLISHED_EVENT(OnMouseMove)
    KV_PUBLISHED_EVENT(OnMouseUp)

public:
    enum TSelectStyle { sp_Range, sp_Discrete, sp_UserChoice };
    Q_ENUM(TSelectStyle)
    enum TValueType { vt_String, vt_Number, vt_Date, vt_Time, vt_Float, vt_OtherMask };
    Q_ENUM(TValueType)
    enum TDateType { dt_NoneCare, dt_YYYYMMDD, dt_MMDDYYYY, dt_DDMMYYYY, dt_YYMMDD, dt_YYYMMDD };
    Q_ENUM(TDateType)
    enum TCheckDuplicate { cd_None, cd_CheckCase, cd_CaseInsensitive };
    Q_ENUM(TCheckDuplicate)

    explicit TSelectPanel(QWidget *parent = nullptr);
    ~TSelectPanel() override;

    TKovMaskEdit *edBegin() const { return m_edBegin; }
    TKovMaskEdit *edFinal() const { return m_edFinal; }
    TKovListView *ListBox() const { return m_listBox; }
    TKovCheckBox *styleCheckBox() const { return m_checkBox; }
    TF2Button *beginButton() const { return m_beginButton; }
    TF2Button *finalButton() const { return m_finalButton; }
    TF2Button *listButton() const { return m_listButton; }
    TGSpeedButton *deleteButton() const { return m_deleteButton; }
    TGSpeedButton *clearButton() const { return m_clearButton; }
    QLabel *beginLabel() const { return m_beginLabel; }
    QLabel *finalLabel() const { return m_finalLabel; }
    QFrame *rangePage() const { return m_rangePage; }
    QFrame *listPage() const { return m_listPage; }

    // The range part is in force: sp_Range, or sp_UserChoice with the check
    // box checked.
    bool IsRangeMode() const;
    // The condition value for SPSQLStr: [chr(4), begin, final] in range
    // mode, else [chr(5), row 1, ..., row n] with each row an array [text,
    // sub-item 1, ...]. An editor that only shows its empty mask gives an
    // empty bound.
    Variant ConditionValue() const;
    // Puts the bounds in order as leaving the panel does (without OnExit).
    void OrderBounds();
    // Focuses the input in force: edBegin in range mode, else ListBox.
    Q_INVOKABLE void SetFocus();
    // Sets the panel's and every child's enabled state.
    void SetEnabled(bool enabled);
    // Loading from a stored form: sizes stay as stored until Loaded().
    void BeginLoad();
    void Loaded();

    // The text edBegin shows under the current mask with nothing typed.
    QString emptyMaskText() const { return m_emptyMaskText; }

    bool autoChangeDateSite() const { return m_autoChangeDateSite; }
    void setAutoChangeDateSite(bool on) { m_autoChangeDateSite = on; }
    QStringList beginWords() const { return m_beginWords; }
    void setBeginWords(const QStringList &words);
    QStringList finalWords() const { return m_finalWords; }
    void setFinalWords(const QStringList &words);
    bool columnsAutoSize() const;
    void setColumnsAutoSize(bool on);
    bool canOpenWin() const { return m_canOpenWin; }
    void setCanOpenWin(bool on);
    TCheckDuplicate checkDuplicate() const { return m_checkDuplicate; }
    void setCheckDuplicate(TCheckDuplicate rule);
    QStringList childHints() const { return m_childHints; }
    void setChildHints(const QStringList &hints);
    QStringList columnCaptions() const;
    void setColumnCaptions(const QStringList &captions);
    QStringList columns() const;
    void setColumns(const QStringList &columns);
    TDateType dateType() const { return m_dateType; }
    void setDateType(TDateType type) { m_dateType = type; }
    QString dateSign() const { return m_dateSign; }
    void setDateSign(const QString &sign) { m_dateSign = sign; }
    QString discard() const { return m_discard; }
    void setDiscard(const QString &text) { m_discard = text; }
    QString editMask() const { return m_editMask; }
    void setEditMask(const QString &mask);
    int glyphIndex() const { return m_glyphIndex; }
    void setGlyphIndex(int index);
    QString hintWord() const { return m_hintWord; }
    void setHintWord(const QString &word);
    bool hideSelection() const;
    void setHideSelection(bool hide);
    QList<QStringList> items() const;
    bool setItems(const QList<QStringList> &rows);
    int otherHeight() const { return m_otherHeight; }
    void setOtherHeight(int height) { m_otherHeight = height; }
    int otherWidth() const { return m_otherWidth; }
    void setOtherWidth(int width) { m_otherWidth = width; }
    bool showColumnHeader() const;
    void setShowColumnHeader(bool show);
    bool sortListBox() const;
    void setSortListBox(bool sorted);
    TSelectStyle style() const { return m_style; }
    void setStyle(TSelectStyle style);
    bool useDiscard() const { return m_useDiscard; }
    void setUseDiscard(bool on) { m_useDiscard = on; }
    bool userChoice() const { return m_userChoice; }
    void setUserChoice(bool rangeChosen);
    bool useVertical() const { return m_useVertical; }
    void setUseVertical(bool vertical);
    TValueType valueType() const { return m_valueType; }
    void setValueType(TValueType type) { m_valueType = type; }

    // The date of a bound as the ordering reads it: the OLE date value, 0
    // for a text that is no date under DateType and DateSign.
    double BoundDate(const QString &text) const;

    void translateTexts(const std::function<QString(const QString &)> &convert) override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void createChildren();
    void connectChildren();
    void watchChildren();
    void relayout() { relayoutFor(m_style); }
    void relayoutFor(TSelectStyle style);
    void placePages(TSelectStyle style);
    void horizontalBoundLayout();
    void verticalBoundLayout();
    void listLayout();
    void resizeCheckBox();
    void placeLabel(QLabel *label, const QString &caption, int left, int top);
    void showParts(TSelectStyle style);
    void swapSize();
    void applyUserChoice();
    void styleBoxClicked();
    void lookup(QWidget *target);
    void deleteClicked();
    void clearClicked();
    void focusChanged(QWidget *old, QWidget *now);
    bool shouldSwap(const QString &lower, const QString &upper) const;
    bool discarded(const QString &lower, const QString &upper) const;
    bool forwardKey(QObject *child, QEvent *event);
    void forwardMouse(QObject *child, QMouseEvent *event);
    bool passesItself(QObject *child) const;
    QObject *senderFor(QObject *child);
    QString boundText(const TKovMaskEdit *editor) const;

    TKovCheckBox *m_checkBox = nullptr;
    QFrame *m_rangePage = nullptr;
    QFrame *m_listPage = nullptr;
    QLabel *m_beginLabel = nullptr;
    QLabel *m_finalLabel = nullptr;
    TKovMaskEdit *m_edBegin = nullptr;
    TKovMaskEdit *m_edFinal = nullptr;
    TF2Button *m_beginButton = nullptr;
    TF2Button *m_finalButton = nullptr;
    TF2Button *m_listButton = nullptr;
    TGSpeedButton *m_deleteButton = nullptr;
    TGSpeedButton *m_clearButton = nullptr;
    TKovListView *m_listBox = nullptr;

    bool m_autoChangeDateSite = true;
    QStringList m_beginWords;
    QStringList m_finalWords;
    bool m_canOpenWin = true;
    TCheckDuplicate m_checkDuplicate = cd_None;
    QStringList m_childHints;
    TDateType m_dateType = dt_NoneCare;
    QString m_dateSign = QStringLiteral("/");
    QString m_discard;
    QString m_editMask;
    int m_glyphIndex = 8;
    QString m_hintWord;
    int m_otherHeight = 105;
    int m_otherWidth = 200;
    TSelectStyle m_style = sp_Range;
    bool m_useDiscard = false;
    bool m_userChoice = true;
    bool m_useVertical = false;
    TValueType m_valueType = vt_String;
    QString m_emptyMaskText;
    bool m_loading = false;
    QObject *m_pressedChild = nullptr;
};

} // namespace kv
