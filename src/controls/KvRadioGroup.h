#pragma once
// TKvRadioGroup: a captioned group of radio buttons laid out in Columns,
// one per line of Items; ItemIndex is the checked one (-1 none). A click on
// an item (by the user or by setting ItemIndex) raises clicked().

#include "controls/ControlProperties.h"

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QRadioButton;

namespace kv {

class TKvRadioGroup : public QGroupBox {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Caption READ title WRITE setTitle)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex)
    Q_PROPERTY(int Columns READ columns WRITE setColumns)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

public:
    explicit TKvRadioGroup(QWidget *parent = nullptr);

    QStringList items() const { return m_items; }
    void setItems(const QStringList &items);
    int itemIndex() const { return m_itemIndex; }
    // Out-of-range indexes check nothing; a change raises clicked().
    void setItemIndex(int index);
    int columns() const { return m_columns; }
    void setColumns(int columns);
    // The button of an item (tests click it as a user would).
    QRadioButton *button(int index) const;

signals:
    void clicked();

private:
    void rebuild();

    QStringList m_items;
    QList<QRadioButton *> m_buttons;
    int m_itemIndex = -1;
    int m_columns = 1;
};

} // namespace kv
