#pragma once
// Implemented by the module's own controls whose texts are not plain
// published properties (the range selection panel's words, hints and list
// cells): the code converter hands them the conversion to apply to each of
// their texts when it converts a whole form.

#include <QString>

#include <functional>

namespace kv {

class TextTranslatable {
public:
    virtual ~TextTranslatable() = default;
    // Replace every user-visible text t of the control by convert(t).
    virtual void translateTexts(const std::function<QString(const QString &)> &convert) = 0;
};

} // namespace kv
