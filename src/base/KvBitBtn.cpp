#include "base/KvBitBtn.h"

#include "controls/ControlEventBridge.h"
#include "controls/GlyphStore.h"

#include <QDialog>
#include <QEvent>
#include <QIcon>

namespace kv {

TKvBitBtn::TKvBitBtn(QWidget *parent) : QPushButton(parent)
{
    setAutoDefault(false);
    setDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { Click(); });
    new ControlEventBridge(this);
}

void TKvBitBtn::Click()
{
    if (m_modalResult != 0)
        if (auto *form = qobject_cast<QDialog *>(window()))
            form->setProperty("ModalResult", m_modalResult);
    m_OnClick(this);
}

void TKvBitBtn::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    rebuildIcon();
}

void TKvBitBtn::setNumGlyphs(int count)
{
    m_numGlyphs = qBound(1, count, 4);
    rebuildIcon();
}

void TKvBitBtn::setGlyphIndex(int index)
{
    if (index == m_glyphIndex)
        return;
    m_glyphIndex = index;
    QPixmap picture;
    if (index > 0 && GlyphStore::shared().LoadBmp(picture, index)) {
        // A library glyph may hold its disabled picture beside the enabled
        // one: square pictures side by side.
        m_numGlyphs = picture.height() > 0 && picture.width() % picture.height() == 0
                          ? qBound(1, picture.width() / picture.height(), 4)
                          : 1;
        setGlyph(picture);
    }
}

void TKvBitBtn::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        rebuildIcon();
}

// Image 1 of the strip while enabled, image 2 (when there is one) while
// disabled.
void TKvBitBtn::rebuildIcon()
{
    if (m_glyph.isNull()) {
        setIcon(QIcon());
        return;
    }
    const int width = m_glyph.width() / m_numGlyphs;
    QIcon icon;
    icon.addPixmap(m_glyph.copy(0, 0, width, m_glyph.height()), QIcon::Normal);
    if (m_numGlyphs > 1)
        icon.addPixmap(m_glyph.copy(width, 0, width, m_glyph.height()), QIcon::Disabled);
    setIcon(icon);
    setIconSize(QSize(width, m_glyph.height()));
}

} // namespace kv
