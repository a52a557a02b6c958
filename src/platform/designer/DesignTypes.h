#pragma once
// What the layout designer lets the user do, and the rules of its alignment
// and size commands.

#include <QFlags>

namespace kv {

// The seven kinds of designer actions, in their stored order. A layout
// stores the first five it allows; the window grants the two others:
// Delete (the second kind) only for components the user added himself, so
// the built-in fields of a layout can be hidden but never lost, and Insert
// (the third kind) always, so that fields and labels can be dropped in.
enum class DesignAction : unsigned {
    Select = 0x01, // click, Shift+click and rubber band
    Delete = 0x02, // remove selected components
    Insert = 0x04, // accept drops of new (or moved) components
    Move = 0x08,   // drag, arrow keys, alignment
    Resize = 0x10, // handles, Shift+arrows, size and scale
    Show = 0x20,   // the property inspector
    Edit = 0x40,   // changing values in the inspector
};
using DesignActions = QFlags<DesignAction>;
Q_DECLARE_OPERATORS_FOR_FLAGS(DesignActions)

enum class HorzAlign { None, Left, Centers, Right, SpaceEqually, CenterInBand };
enum class VertAlign { None, Tops, Centers, Bottoms, SpaceEqually, CenterInBand };
enum class SizeRule { NoChange, Shrink, Grow, Fixed };

} // namespace kv
