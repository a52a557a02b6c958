#include "base/KvLabel.h"

namespace kv {

TKvLabel::TKvLabel(QWidget *parent) : QLabel(parent) {}

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
