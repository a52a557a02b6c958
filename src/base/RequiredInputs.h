#pragma once
// Required inputs of a program window, given as a spec: ","-separated
// entries "name;flag;part". An entry whose flag (trimmed) is a number or "N"
// is only coloured, never checked. For a range selection panel, part 1 is
// its begin edit, 2 its end edit, 3 its list, anything else all three.

#include <QColor>
#include <QList>
#include <QString>

#include <string>
#include <vector>

class QObject;
class QWidget;

namespace kv {

class RequiredInputs {
public:
    struct Entry {
        QString name;
        QString flag;
        int part = 0;
        // False when the flag exempts the entry from the check.
        bool isChecked() const;
    };

    static std::vector<Entry> parse(const std::string &spec);

    // The widgets an entry colours: a panel's parts, or the component when
    // it has a "Color" property.
    static QList<QWidget *> colouredInputs(QObject *component, int part);
    // True when the input holds nothing: a panel in range mode with either
    // edit empty, in list mode without rows; another input whose trimmed
    // Text is what its mask shows with nothing typed.
    static bool isEmpty(QObject *component);
    // The widget that takes the focus for the component.
    static QWidget *focusTarget(QObject *component);
};

} // namespace kv
