#pragma once
// The pictures of the program window's image lists, drawn at any size: the
// condition-set picture of the list, and the save, open, delete and view
// pictures of its tool bar.

#include <QPixmap>

namespace kv {

class BaseGlyphs {
public:
    enum Picture { ConditionSet, Save, Open, Delete, View };

    static QPixmap draw(Picture picture, int size);
};

} // namespace kv
