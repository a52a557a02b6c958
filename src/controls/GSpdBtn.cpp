#include "controls/GSpdBtn.h"

#include "controls/ControlEventBridge.h"
#include "controls/GlyphStore.h"
#include "platform/Prompter.h"

#include <QIcon>

namespace kv {

const char *const TGSpeedButton::kLoadErrorText = "读取 BMP 发生错误";

TGSpeedButton::TGSpeedButton(QWidget *parent) : QToolButton(parent)
{
    // Speed buttons act on the focused input; they never take the focus.
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(this, &QToolButton::clicked, this, [this] { Click(); });
    connect(this, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            releaseGroup();
    });
    new ControlEventBridge(this);
}

void TGSpeedButton::Click()
{
    m_OnClick(this);
}

void TGSpeedButton::setDown(bool down)
{
    if (m_groupIndex > 0)
        setChecked(down);
}

void TGSpeedButton::setGroupIndex(int index)
{
    m_groupIndex = qMax(0, index);
    setCheckable(m_groupIndex > 0);
    if (isChecked())
        releaseGroup();
}

void TGSpeedButton::nextCheckState()
{
    if (m_groupIndex <= 0)
        return;
    if (isChecked() && !m_allowAllUp)
        return; // a group keeps one button down
    setChecked(!isChecked());
}

void TGSpeedButton::releaseGroup()
{
    if (m_groupIndex <= 0 || !parentWidget())
        return;
    for (TGSpeedButton *other : parentWidget()->findChildren<TGSpeedButton *>(Qt::FindDirectChildrenOnly))
        if (other != this && other->m_groupIndex == m_groupIndex)
            other->setChecked(false);
}

void TGSpeedButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    rebuildIcon();
}

void TGSpeedButton::setNumGlyphs(int count)
{
    m_numGlyphs = qBound(1, count, 4);
    rebuildIcon();
}

// Images of the strip: normal, disabled, pressed, down.
void TGSpeedButton::rebuildIcon()
{
    if (m_glyph.isNull()) {
        setIcon(QIcon());
        return;
    }
    const int imageWidth = m_glyph.width() / m_numGlyphs;
    const auto image = [&](int index) { return m_glyph.copy(index * imageWidth, 0, imageWidth, m_glyph.height()); };
    QIcon icon;
    icon.addPixmap(image(0), QIcon::Normal, QIcon::Off);
    if (m_numGlyphs >= 2)
        icon.addPixmap(image(1), QIcon::Disabled, QIcon::Off);
    if (m_numGlyphs >= 3)
        icon.addPixmap(image(2), QIcon::Active, QIcon::Off);
    if (m_numGlyphs >= 4)
        icon.addPixmap(image(3), QIcon::Normal, QIcon::On);
    setIcon(icon);
    setIconSize(QSize(imageWidth, m_glyph.height()));
}

void TGSpeedButton::setGlyphIndex(int index)
{
    if (index == m_glyphIndex)
        return;
    m_glyphIndex = index;
    applyGlyphIndex();
}

void TGSpeedButton::applyGlyphIndex()
{
    m_glyphLoadFailed = false;
    setText(QString::number(m_glyphIndex)); // a button without a picture shows its number
    const GlyphStore &store = GlyphStore::shared();
    if (m_glyphIndex <= 0 || m_glyphIndex > store.GetMaxBmpID()) {
        setGlyph(QPixmap());
        return;
    }
    QPixmap bitmap;
    if (store.LoadBmp(bitmap, m_glyphIndex) && bitmap.height() > 0) {
        setText(QString());
        m_numGlyphs = qBound(1, bitmap.width() / bitmap.height(), 4);
        setGlyph(bitmap);
        return;
    }
    m_glyphLoadFailed = true;
    setGlyph(QPixmap());
    Prompter::current()->messageBox(kLoadErrorText, "Error", MessageType::Error, MessageButton::OK, MessageButton::OK);
}

} // namespace kv
