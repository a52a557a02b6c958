#pragma once
// TGSpeedButton: a flat speed button whose picture is taken by number from
// the glyph library (GlyphIndex). A button whose number the library does not
// hold shows the number as its caption instead. The picture may hold up to
// four images side by side (NumGlyphs): normal, disabled, pressed, down.
//
// Buttons with a GroupIndex stay down when clicked; one button of a group is
// down at a time among the buttons of the same parent, and with AllowAllUp a
// down button comes up again when clicked.

#include "controls/ControlProperties.h"

#include <QPixmap>
#include <QToolButton>

namespace kv {

class TGSpeedButton : public QToolButton {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(bool AllowAllUp READ allowAllUp WRITE setAllowAllUp)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Down READ isDown WRITE setDown)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool Flat READ isFlat WRITE setFlat)
    Q_PROPERTY(QPixmap Glyph READ glyph WRITE setGlyph STORED false)
    Q_PROPERTY(int GlyphIndex READ glyphIndex WRITE setGlyphIndex)
    Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
    Q_PROPERTY(int HintIndex READ hintIndex WRITE setHintIndex)
    Q_PROPERTY(int NumGlyphs READ numGlyphs WRITE setNumGlyphs)
    KV_PUBLISHED_EVENT(OnClick)
    KV_PUBLISHED_EVENT(OnDblClick)
    KV_PUBLISHED_EVENT(OnMouseDown)
    KV_PUBLISHED_EVENT(OnMouseMove)
    KV_PUBLISHED_EVENT(OnMouseUp)

public:
    // The message shown when a glyph the library claims to hold cannot be read.
    static const char *const kLoadErrorText;

    explicit TGSpeedButton(QWidget *parent = nullptr);

    bool allowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool allow) { m_allowAllUp = allow; }
    QString caption() const { return text(); }
    void setCaption(const QString &caption) { setText(caption); }
    // Only a button of a group (GroupIndex > 0) can be down.
    bool isDown() const { return isChecked(); }
    void setDown(bool down);
    bool isFlat() const { return autoRaise(); }
    void setFlat(bool flat) { setAutoRaise(flat); }
    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int count);
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index);
    // Kept with the form for the shell's hint tables; no behaviour here.
    int hintIndex() const { return m_hintIndex; }
    void setHintIndex(int index) { m_hintIndex = index; }

    int glyphIndex() const { return m_glyphIndex; }
    // Takes the picture of the number from the glyph library (see the class
    // comment); does nothing when the number is unchanged.
    void setGlyphIndex(int index);
    // True when the last picture that was to be loaded could not be read.
    bool glyphLoadFailed() const { return m_glyphLoadFailed; }

protected:
    // What a click does; descendants add to it. Raises OnClick.
    virtual void Click();
    void nextCheckState() override;

private:
    void applyGlyphIndex();
    void rebuildIcon();
    void releaseGroup();

    QPixmap m_glyph;
    int m_numGlyphs = 1;
    int m_glyphIndex = 0;
    int m_groupIndex = 0;
    int m_hintIndex = 0;
    bool m_allowAllUp = false;
    bool m_glyphLoadFailed = false;
};

} // namespace kv
