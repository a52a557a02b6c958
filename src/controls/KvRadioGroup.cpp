#include "controls/KvRadioGroup.h"

#include <QGridLayout>
#include <QRadioButton>

namespace kv {

TKvRadioGroup::TKvRadioGroup(QWidget *parent) : QGroupBox(parent)
{
    // Items sit close under the caption and to the frame, as in the ERP's
    // radio groups, whose forms give them little more than a row of height.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 0, 8, 2);
    grid->setVerticalSpacing(0);
    setLayout(grid);
}

void TKvRadioGroup::setItems(const QStringList &items)
{
    m_items = items;
    rebuild();
}

void TKvRadioGroup::setColumns(int columns)
{
    m_columns = qMax(1, columns);
    rebuild();
}

QRadioButton *TKvRadioGroup::button(int index) const
{
    return index >= 0 && index < m_buttons.size() ? m_buttons[index] : nullptr;
}

void TKvRadioGroup::setItemIndex(int index)
{
    if (index < -1 || index >= m_buttons.size())
        index = -1;
    const bool changed = index != m_itemIndex;
    m_itemIndex = index;
    for (int i = 0; i < m_buttons.size(); ++i) {
        const QSignalBlocker block(m_buttons[i]);
        m_buttons[i]->setAutoExclusive(false);
        m_buttons[i]->setChecked(i == index);
        m_buttons[i]->setAutoExclusive(true);
    }
    if (changed)
        emit clicked();
}

void TKvRadioGroup::rebuild()
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
    auto *grid = static_cast<QGridLayout *>(layout());
    // Items fill the columns top to bottom, as the ERP's radio groups do.
    const int rows = (m_items.size() + m_columns - 1) / m_columns;
    for (int i = 0; i < m_items.size(); ++i) {
        auto *radio = new QRadioButton(m_items[i], this);
        m_buttons << radio;
        grid->addWidget(radio, rows ? i % rows : 0, rows ? i / rows : 0);
        connect(radio, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on && m_itemIndex != i) {
                m_itemIndex = i;
                emit clicked();
            }
        });
    }
    const int keep = m_itemIndex < m_buttons.size() ? m_itemIndex : -1;
    m_itemIndex = -2; // forces the buttons to follow without a click
    const QSignalBlocker block(this);
    setItemIndex(keep);
}

} // namespace kv
