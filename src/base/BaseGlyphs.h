#pragma once
// The pictures of the program window's image lists, drawn at any size: the
// condition-set picture of the list, the save, open, delete and view
// pictures of its tool bar, and the printer of the print buttons.

#include <QPixmap>

namespace kv {

class BaseGlyphs {
public:
    enum Picture { ConditionSet, Save, Open, Delete, View, Print };

    static QPixmap draw(Picture picture, int size);
};

} // namespace kv
