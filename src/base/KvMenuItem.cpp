#include "base/KvMenuItem.h"

#include <QWidget>

namespace kv {

TKvMenuItem::TKvMenuItem(QObject *parent) : QAction(parent)
{
    connect(this, &QAction::triggered, this, [this] { Click(); });
}

void TKvMenuItem::Click()
{
    m_onClick(this);
}

void TKvMenuItem::setItemChecked(bool checked)
{
    // A plain item shows a check mark only while it is checked.
    setCheckable(checked || m_radioItem);
    setChecked(checked);
    if (checked && m_radioItem)
        uncheckSiblings();
}

void TKvMenuItem::setRadioItem(bool on)
{
    m_radioItem = on;
    setCheckable(on || isChecked());
}

void TKvMenuItem::uncheckSiblings()
{
    for (QObject *owner : associatedObjects()) {
        auto *menu = qobject_cast<QWidget *>(owner);
        if (!menu)
            continue;
        for (QAction *action : menu->actions()) {
            auto *item = qobject_cast<TKvMenuItem *>(action);
            if (item && item != this && item->m_radioItem && item->m_groupIndex == m_groupIndex)
                item->setChecked(false);
        }
    }
}

} // namespace kv
