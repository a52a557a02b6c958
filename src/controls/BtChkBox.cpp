#include "controls/BtChkBox.h"

#include "controls/ControlEventBridge.h"
#include "controls/GlyphStore.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace kv {

namespace {

const char *const kDefaultImages[] = {"UNCHECKED", "CHECKED", "GRAYED"};

} // namespace

TBitCheckBox::TBitCheckBox(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    resize(97, 17);
    for (TCheckBoxState which : {cbUnchecked, cbChecked, cbGrayed})
        setGlyph(which, QPixmap());
    new ControlEventBridge(this);
}

QSize TBitCheckBox::sizeHint() const
{
    return {97, 17};
}

void TBitCheckBox::setAlignment(TLeftRight alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    update();
}

void TBitCheckBox::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    updateShortcut();
    update();
}

void TBitCheckBox::setState(TCheckBoxState state)
{
    if (state == m_state)
        return;
    m_state = state;
    update();
    emit stateChanged(state);
}

TBitCheckBox::TCheckBoxState TBitCheckBox::nextState() const
{
    switch (m_state) {
    case cbUnchecked: return m_allowGrayed ? cbGrayed : cbChecked;
    case cbChecked: return cbUnchecked;
    case cbGrayed: return cbChecked;
    }
    return cbUnchecked;
}

void TBitCheckBox::click()
{
    QPointer<TBitCheckBox> self(this);
    setState(nextState());
    m_OnClick(this);
    if (!self)
        return;
    emit clicked();
    if (self && isEnabled() && isVisible() && (focusPolicy() & Qt::ClickFocus))
        setFocus(Qt::MouseFocusReason);
}

void TBitCheckBox::setGlyph(TCheckBoxState which, const QPixmap &glyph)
{
    Glyph &slot = m_glyphs[which];
    slot.bitmap = glyph;
    if (slot.bitmap.isNull())
        GlyphStore::shared().LoadNamedBmp(slot.bitmap, QString::fromLatin1(kDefaultImages[which]));
    // Bitmaps without transparency leave out their bottom-left colour, as
    // glyph bitmaps always have.
    if (!slot.bitmap.isNull() && !slot.bitmap.hasAlphaChannel()) {
        const QColor transparent = slot.bitmap.toImage().pixelColor(0, slot.bitmap.height() - 1);
        slot.bitmap.setMask(slot.bitmap.createMaskFromColor(transparent));
    }
    const int height = slot.bitmap.height();
    if (height > 0 && slot.bitmap.width() % height == 0)
        slot.count = qBound(1, slot.bitmap.width() / height, 2);
    update();
}

void TBitCheckBox::setGlyphCount(TCheckBoxState which, int count)
{
    m_glyphs[which].count = qBound(1, count, 2);
    update();
}

bool TBitCheckBox::ctl3D() const
{
    if (m_parentCtl3D && parentWidget()) {
        const QVariant inherited = parentWidget()->property("Ctl3D");
        if (inherited.isValid())
            return inherited.toBool();
    }
    return m_ctl3D;
}

void TBitCheckBox::setCtl3D(bool on)
{
    m_ctl3D = on;
    m_parentCtl3D = false;
    update();
}

void TBitCheckBox::setParentCtl3D(bool on)
{
    m_parentCtl3D = on;
    update();
}

void TBitCheckBox::updateShortcut()
{
    if (m_shortcutId)
        releaseShortcut(m_shortcutId);
    m_shortcutId = 0;
    const QKeySequence mnemonic = QKeySequence::mnemonic(m_caption);
    if (!mnemonic.isEmpty())
        m_shortcutId = grabShortcut(mnemonic);
}

bool TBitCheckBox::event(QEvent *event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        update(); // the focus rectangle comes or goes
    if (event->type() == QEvent::Shortcut) {
        auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (shortcut->shortcutId() == m_shortcutId && isEnabled()) {
            setFocus(Qt::ShortcutFocusReason);
            setState(nextState());
            return true;
        }
    }
    return QWidget::event(event);
}

void TBitCheckBox::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange: update(); break;
    default: break;
    }
    QWidget::changeEvent(event);
}

void TBitCheckBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TBitCheckBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
    else
        QWidget::mouseReleaseEvent(event);
}

void TBitCheckBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TBitCheckBox::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_popupMenu)
        m_popupMenu->popup(event->globalPos());
    else
        QWidget::contextMenuEvent(event);
}

QRect TBitCheckBox::captionRect(int imageWidth) const
{
    const QFontMetrics metrics = fontMetrics();
    const int textHeight = metrics.height();
    const int left = m_alignment == taRightJustify ? imageWidth + 4 : 1;
    int textWidth = metrics.horizontalAdvance(m_caption);
    if (m_caption.contains(QLatin1Char('&')))
        textWidth -= metrics.horizontalAdvance(QLatin1Char('&')); // the marker is not drawn
    const int top = (height() - textHeight) / 2 - 2;
    const QRect area(QPoint(left, top), QPoint(left + textWidth, top + textHeight + 3));
    return area.intersected(rect());
}

void TBitCheckBox::drawCaption(QPainter &painter, const QRect &area)
{
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::Active, QPalette::WindowText));
        painter.drawText(area, flags, m_caption);
        return;
    }
    if (ctl3D()) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(area.translated(1, 1), flags, m_caption);
    }
    painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, flags, m_caption);
}

void TBitCheckBox::drawImage(QPainter &painter, const Glyph &glyph, int imageWidth)
{
    if (glyph.bitmap.isNull())
        return;
    const int image = !isEnabled() && glyph.count == 2 ? 1 : 0;
    const int x = m_alignment == taRightJustify ? 0 : width() - imageWidth;
    const int y = (height() - glyph.bitmap.height()) / 2;
    painter.drawPixmap(QPoint(x, y), glyph.bitmap, QRect(image * imageWidth, 0, imageWidth, glyph.bitmap.height()));
}

void TBitCheckBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // With the parent's colour the parent shows through: a page drawn
    // lighter than the window colour gets no grey patch behind the box.
    if (!ControlProperties::parentColor(this))
        painter.fillRect(rect(), palette().color(QPalette::Window));
    const Glyph &glyph = m_glyphs[m_state];
    const int imageWidth = glyph.bitmap.width() / glyph.count;
    QRect area = captionRect(imageWidth);
    drawCaption(painter, area);
    if (hasFocus()) {
        area = area.adjusted(-1, -1, 1, 1).intersected(rect());
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = area;
        option.backgroundColor = palette().color(QPalette::Window);
        painter.save(); // styles leave their own pen, brush and clip behind
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        painter.restore();
    }
    drawImage(painter, glyph, imageWidth);
}

} // namespace kv
