#include "base/KvLabel.h"

namespace kv {

TKvLabel::TKvLabel(QWidget *parent) : QLabel(parent)
{
    // Some Song faces draw strokes a pixel beyond their ascent and descent;
    // a pixel of room above and below keeps them on the label.
    setContentsMargins(0, 1, 0, 1);
}

void TKvLabel::setCaption(const QString &caption)
{
    setText(caption);
    if (m_autoSize)
        adjustSize();
}

void TKvLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on)
        adjustSize();
}

} // namespace kv
