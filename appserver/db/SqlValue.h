#pragma once
// Parameter values for the engines: a variant as QtSql binds it.

#include "platform/Variant.h"

#include <QVariant>

namespace slip {

class SqlValue {
public:
    // Empty and Null bind as SQL NULL, numbers as numbers, texts as UTF-8
    // texts, dates as "YYYYMMDD" texts (the form dates are stored in).
    // Arrays and objects have no SQL form: DatabaseError.
    static QVariant fromVariant(const kv::Variant &value);
};

} // namespace slip
