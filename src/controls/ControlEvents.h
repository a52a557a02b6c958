#pragma once
// Arguments of the controls' events beyond their sender. Arguments a handler
// may change (a key it swallows, a deletion it refuses) are plain fields the
// raising control reads back after the call.

#include "lib/EventHandler.h"

#include <QPoint>
#include <QString>
#include <Qt>

class QTreeWidgetItem;
class QWidget;

namespace kv {

// OnKeyDown / OnKeyUp: setting key to 0 swallows the key.
class KeyEventArgs : public EventArgs {
public:
    KeyEventArgs(int key, Qt::KeyboardModifiers shift) : key(key), shift(shift) {}
    int key;
    Qt::KeyboardModifiers shift;
};

// OnKeyPress: the typed character; setting it to a null character swallows it.
class KeyPressArgs : public EventArgs {
public:
    explicit KeyPressArgs(QChar key) : key(key) {}
    QChar key;
};

// OnMouseDown / OnMouseUp / OnMouseMove, in the sender's client coordinates.
class MouseEventArgs : public EventArgs {
public:
    MouseEventArgs(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position)
        : button(button), shift(shift), x(position.x()), y(position.y())
    {
    }
    Qt::MouseButton button;
    Qt::KeyboardModifiers shift;
    int x;
    int y;
};

// OnDragOver: accept tells whether a drop would be taken; OnDragDrop passes
// the same fields.
class DragEventArgs : public EventArgs {
public:
    DragEventArgs(QObject *source, QPoint position) : source(source), x(position.x()), y(position.y()) {}
    QObject *source;
    int x;
    int y;
    bool accept = true;
};

// OnStartDrag / OnEndDrag: the control the drag ended on, if any.
class EndDragEventArgs : public EventArgs {
public:
    explicit EndDragEventArgs(QObject *target) : target(target) {}
    QObject *target;
};

// OnOpenWinClick of a selection panel: the input the lookup is meant for.
class OpenWinClickArgs : public EventArgs {
public:
    explicit OpenWinClickArgs(QWidget *target) : target(target) {}
    QWidget *target;
};

// OnDeleteClick: clearing accept keeps the selected rows.
class AcceptArgs : public EventArgs {
public:
    bool accept = true;
};

// OnStyleChanging (may refuse) and OnStyleChange (after the fact); styles
// are the panel's TSelectStyle values.
class StyleChangeArgs : public EventArgs {
public:
    StyleChangeArgs(int oldStyle, int newStyle) : oldStyle(oldStyle), newStyle(newStyle) {}
    int oldStyle;
    int newStyle;
    bool accept = true;
};

// What changed in a list row.
enum class ItemChange { Text, Image, State };

// OnItemSelect: a row became selected or unselected.
class ItemSelectArgs : public EventArgs {
public:
    ItemSelectArgs(QTreeWidgetItem *item, int index, bool selected) : item(item), index(index), selected(selected) {}
    QTreeWidgetItem *item;
    int index;
    bool selected;
};

// OnItemChanging (may refuse through allowChange) and OnItemChange.
class ItemChangeArgs : public EventArgs {
public:
    ItemChangeArgs(QTreeWidgetItem *item, ItemChange change) : item(item), change(change) {}
    QTreeWidgetItem *item;
    ItemChange change;
    bool allowChange = true;
};

} // namespace kv
