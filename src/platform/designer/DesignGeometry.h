#pragma once
// The arithmetic of the designer's commands on component rectangles (design
// pixels, relative to their band). Kept apart from the widgets so that every
// rule can be checked on plain rectangles.

#include "platform/designer/DesignTypes.h"

#include <QKeySequence>
#include <QRect>

#include <vector>

namespace kv::design {

// The nearest multiple of grid (grid <= 1 leaves the value as it is).
int snap(int value, int grid);
QRect snapped(const QRect &rect, int grid); // position only

// Aligns rects across (Left, Centers, Right take the first rect as the
// reference; SpaceEqually keeps the outermost ones and makes the gaps
// between neighbours equal; CenterInBand centres the group's bounding box
// in a band extent wide). Only positions change.
void alignHorizontal(std::vector<QRect> &rects, HorzAlign rule, int bandWidth);
void alignVertical(std::vector<QRect> &rects, VertAlign rule, int bandHeight);

// Width or height of every rect by the rule; Fixed uses value (at least 1).
void applySize(std::vector<QRect> &rects, SizeRule widthRule, int width, SizeRule heightRule, int height);

// Positions and sizes times percent / 100 (sizes stay at least 1).
QRect scaled(const QRect &rect, int percent);

// The rect a resize handle gives when dragged by delta: handles 0..7 run
// clockwise from the top-left corner (0 top-left, 1 top, 2 top-right,
// 3 right, 4 bottom-right, 5 bottom, 6 bottom-left, 7 left). The moved
// edges land on the grid; the rect never gets narrower or lower than 1.
QRect resized(const QRect &rect, int handle, QPoint delta, int grid);

// A stored short cut (modifier bits 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt
// over a virtual key code) as a key sequence: 16507 is Ctrl+F12. Empty
// for 0 or a key without equivalent.
QKeySequence shortCutToKeySequence(int shortCut);

} // namespace kv::design
