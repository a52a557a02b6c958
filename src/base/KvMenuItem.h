#pragma once
// TKvMenuItem: one item of a pop-up menu. A radio item is checked alone
// among the radio items of its group index in the same menu when it is
// checked.

#include "lib/EventHandler.h"

#include <QAction>

namespace kv {

class TKvMenuItem : public QAction {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(bool Checked READ isChecked WRITE setItemChecked)
    Q_PROPERTY(bool RadioItem READ radioItem WRITE setRadioItem)
    Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
    Q_PROPERTY(int ImageIndex READ imageIndex WRITE setImageIndex)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(kv::EventHandler OnClick READ onClick WRITE setOnClick)

public:
    explicit TKvMenuItem(QObject *parent = nullptr);

    void setItemChecked(bool checked);
    bool radioItem() const { return m_radioItem; }
    void setRadioItem(bool on);
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index) { m_groupIndex = index; }
    int imageIndex() const { return m_imageIndex; }
    void setImageIndex(int index) { m_imageIndex = index; }
    EventHandler onClick() const { return m_onClick; }
    void setOnClick(const EventHandler &handler) { m_onClick = handler; }

    // What choosing the item does: raises OnClick.
    void Click();

private:
    void uncheckSiblings();

    bool m_radioItem = false;
    int m_groupIndex = 0;
    int m_imageIndex = -1;
    EventHandler m_onClick;
};

} // namespace kv
