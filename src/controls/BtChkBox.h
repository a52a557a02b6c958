#pragma once
// TBitCheckBox: the option check box of the condition windows, drawn
// entirely by the control from three glyphs (unchecked, checked, grayed) and
// a one-line caption. A glyph may hold two images side by side: the first is
// drawn while the control is enabled, the second (when present) while it is
// disabled. With AllowGrayed a click cycles unchecked -> grayed -> checked.
//
// Input: a left click or the space key toggles, raises OnClick and takes the
// focus; the caption's accelerator (Alt + the letter after "&") focuses and
// toggles without OnClick.

#include "controls/ControlProperties.h"

#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace kv {

class TBitCheckBox : public QWidget {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(kv::TBitCheckBox::TLeftRight Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(bool AllowGrayed READ allowGrayed WRITE setAllowGrayed)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
    Q_PROPERTY(QPixmap CheckedGlyph READ checkedGlyph WRITE setCheckedGlyph STORED false)
    Q_PROPERTY(int CheckedNumGlyphs READ checkedNumGlyphs WRITE setCheckedNumGlyphs)
    Q_PROPERTY(bool Ctl3D READ ctl3D WRITE setCtl3D)
    Q_PROPERTY(Qt::CursorShape DragCursor READ dragCursor WRITE setDragCursor)
    Q_PROPERTY(kv::TBitCheckBox::TDragMode DragMode READ dragMode WRITE setDragMode)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QPixmap GrayedGlyph READ grayedGlyph WRITE setGrayedGlyph STORED false)
    Q_PROPERTY(int GrayedNumGlyphs READ grayedNumGlyphs WRITE setGrayedNumGlyphs)
    Q_PROPERTY(bool ParentCtl3D READ parentCtl3D WRITE setParentCtl3D)
    Q_PROPERTY(QMenu *PopupMenu READ popupMenu WRITE setPopupMenu)
    Q_PROPERTY(kv::TBitCheckBox::TCheckBoxState State READ state WRITE setState)
    Q_PROPERTY(QPixmap UncheckedGlyph READ uncheckedGlyph WRITE setUncheckedGlyph STORED false)
    Q_PROPERTY(int UncheckedNumGlyphs READ uncheckedNumGlyphs WRITE setUncheckedNumGlyphs)
    KV_PUBLISHED_EVENT(OnClick)
    KV_PUBLISHED_EVENT(OnDragDrop)
    KV_PUBLISHED_EVENT(OnDragOver)
    KV_PUBLISHED_EVENT(OnEndDrag)
    KV_PUBLISHED_EVENT(OnEnter)
    KV_PUBLISHED_EVENT(OnExit)
    KV_PUBLISHED_EVENT(OnKeyDown)
    KV_PUBLISHED_EVENT(OnKeyPress)
    KV_PUBLISHED_EVENT(OnKeyUp)
    KV_PUBLISHED_EVENT(OnMouseDown)
    KV_PUBLISHED_EVENT(OnMouseMove)
    KV_PUBLISHED_EVENT(OnMouseUp)
    KV_PUBLISHED_EVENT(OnStartDrag)

public:
    // taRightJustify puts the caption right of the box (the box at the left).
    enum TLeftRight { taLeftJustify, taRightJustify };
    Q_ENUM(TLeftRight)
    enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
    Q_ENUM(TCheckBoxState)
    enum TDragMode { dmManual, dmAutomatic };
    Q_ENUM(TDragMode)

    explicit TBitCheckBox(QWidget *parent = nullptr);

    TLeftRight alignment() const { return m_alignment; }
    void setAlignment(TLeftRight alignment);
    bool allowGrayed() const { return m_allowGrayed; }
    void setAllowGrayed(bool allow) { m_allowGrayed = allow; }
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // True exactly in the checked state; setting it selects checked or unchecked.
    bool isChecked() const { return m_state == cbChecked; }
    void setChecked(bool checked) { setState(checked ? cbChecked : cbUnchecked); }
    TCheckBoxState state() const { return m_state; }
    void setState(TCheckBoxState state);

    // A null pixmap restores the built-in image. A bitmap whose width is a
    // whole multiple of its height holds that many images (at most two).
    QPixmap checkedGlyph() const { return m_glyphs[cbChecked].bitmap; }
    void setCheckedGlyph(const QPixmap &glyph) { setGlyph(cbChecked, glyph); }
    QPixmap uncheckedGlyph() const { return m_glyphs[cbUnchecked].bitmap; }
    void setUncheckedGlyph(const QPixmap &glyph) { setGlyph(cbUnchecked, glyph); }
    QPixmap grayedGlyph() const { return m_glyphs[cbGrayed].bitmap; }
    void setGrayedGlyph(const QPixmap &glyph) { setGlyph(cbGrayed, glyph); }
    int checkedNumGlyphs() const { return m_glyphs[cbChecked].count; }
    void setCheckedNumGlyphs(int count) { setGlyphCount(cbChecked, count); }
    int uncheckedNumGlyphs() const { return m_glyphs[cbUnchecked].count; }
    void setUncheckedNumGlyphs(int count) { setGlyphCount(cbUnchecked, count); }
    int grayedNumGlyphs() const { return m_glyphs[cbGrayed].count; }
    void setGrayedNumGlyphs(int count) { setGlyphCount(cbGrayed, count); }

    // The 3D look draws a disabled caption embossed. With ParentCtl3D the
    // value follows the parent's Ctl3D where the parent publishes one.
    bool ctl3D() const;
    void setCtl3D(bool on);
    bool parentCtl3D() const { return m_parentCtl3D; }
    void setParentCtl3D(bool on);
    Qt::CursorShape dragCursor() const { return m_dragCursor; }
    void setDragCursor(Qt::CursorShape shape) { m_dragCursor = shape; }
    TDragMode dragMode() const { return m_dragMode; }
    void setDragMode(TDragMode mode) { m_dragMode = mode; }
    QMenu *popupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *menu) { m_popupMenu = menu; }

    // What a click does: toggle, OnClick, then take the focus when it can.
    void click();
    // The state that follows the current one on a click.
    TCheckBoxState nextState() const;

    QSize sizeHint() const override;

signals:
    // After every click (mouse or space), once OnClick has run.
    void clicked();
    void stateChanged(kv::TBitCheckBox::TCheckBoxState state);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Glyph {
        QPixmap bitmap;
        int count = 1;
    };

    void setGlyph(TCheckBoxState which, const QPixmap &glyph);
    void setGlyphCount(TCheckBoxState which, int count);
    void updateShortcut();
    QRect captionRect(int imageWidth) const;
    void drawCaption(QPainter &painter, const QRect &area);
    void drawImage(QPainter &painter, const Glyph &glyph, int imageWidth);

    TLeftRight m_alignment = taRightJustify;
    bool m_allowGrayed = false;
    QString m_caption;
    TCheckBoxState m_state = cbUnchecked;
    Glyph m_glyphs[3];
    bool m_ctl3D = true;
    bool m_parentCtl3D = true;
    Qt::CursorShape m_dragCursor = Qt::DragMoveCursor;
    TDragMode m_dragMode = dmManual;
    QPointer<QMenu> m_popupMenu;
    int m_shortcutId = 0;
    bool m_pressed = false;
};

} // namespace kv
