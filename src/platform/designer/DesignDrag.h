#pragma once
// The payload of a drag onto the layout designer: which list or tool it
// came from and the dragged item (caption first, then its sub-items). The
// field list of design mode and the label tool start such drags; the
// designer hands the payload to the layout window, which decides.

#include <QMimeData>
#include <QString>
#include <QStringList>

namespace kv::DesignDrag {

inline constexpr const char *kMimeType = "application/x-qipr07-design-item";

struct Item {
    QString source;     // object name of the list view or tool button
    QStringList values; // caption, sub-item 1, sub-item 2, ...
};

inline void encode(QMimeData &data, const Item &item)
{
    QStringList lines{item.source};
    lines << item.values;
    data.setData(QString::fromLatin1(kMimeType), lines.join(QChar(0x1F)).toUtf8());
}

// False when data holds no such payload.
inline bool decode(const QMimeData &data, Item &item)
{
    if (!data.hasFormat(QString::fromLatin1(kMimeType)))
        return false;
    QStringList lines = QString::fromUtf8(data.data(QString::fromLatin1(kMimeType))).split(QChar(0x1F));
    item.source = lines.takeFirst();
    item.values = lines;
    return true;
}

} // namespace kv::DesignDrag
