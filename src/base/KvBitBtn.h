#pragma once
// TKvBitBtn: the glyph push button of the program windows (OK, cancel,
// print, preview). Its picture is the Glyph strip (NumGlyphs images side by
// side: normal, disabled) or glyph GlyphIndex of the glyph library. A click
// raises OnClick and, with a ModalResult, sets the window's modal result.
// Enter never clicks it: the windows use Enter to move between inputs.

#include "controls/ControlProperties.h"

#include <QPixmap>
#include <QPushButton>

namespace kv {

class TKvBitBtn : public QPushButton {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(QPixmap Glyph READ glyph WRITE setGlyph STORED false)
    Q_PROPERTY(int NumGlyphs READ numGlyphs WRITE setNumGlyphs)
    Q_PROPERTY(int GlyphIndex READ glyphIndex WRITE setGlyphIndex)
    Q_PROPERTY(bool Cancel READ isCancel WRITE setCancel)
    Q_PROPERTY(bool Default READ isDefaultButton WRITE setDefaultButton)
    Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    KV_PUBLISHED_EVENT(OnClick)
    KV_PUBLISHED_EVENT(OnEnter)
    KV_PUBLISHED_EVENT(OnExit)
    KV_PUBLISHED_EVENT(OnKeyDown)
    KV_PUBLISHED_EVENT(OnKeyPress)
    KV_PUBLISHED_EVENT(OnMouseDown)
    KV_PUBLISHED_EVENT(OnMouseUp)

public:
    explicit TKvBitBtn(QWidget *parent = nullptr);

    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int count);
    int glyphIndex() const { return m_glyphIndex; }
    void setGlyphIndex(int index);
    bool isCancel() const { return m_cancel; }
    void setCancel(bool on) { m_cancel = on; }
    bool isDefaultButton() const { return m_default; }
    void setDefaultButton(bool on) { m_default = on; }
    int modalResult() const { return m_modalResult; }
    void setModalResult(int result) { m_modalResult = result; }

    // What a click does: the modal result, then OnClick.
    void Click();

protected:
    void changeEvent(QEvent *event) override;

private:
    void rebuildIcon();

    QPixmap m_glyph;
    int m_numGlyphs = 1;
    int m_glyphIndex = 0;
    bool m_cancel = false;
    bool m_default = false;
    int m_modalResult = 0;
};

} // namespace kv
