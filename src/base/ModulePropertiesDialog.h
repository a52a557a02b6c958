#pragma once
// The properties of the module file (Ctrl+Alt+V on a program window): its
// name, folder, size and dates, and the window's version stamp.

#include <QDialog>

#include <string>

namespace kv {

class TModulePropertiesDialog : public QDialog {
    Q_OBJECT

public:
    TModulePropertiesDialog(const std::string &fileName, const std::string &versionStamp, QWidget *parent = nullptr);

    // The shown "caption: value" lines, in order.
    QStringList lines() const { return m_lines; }

private:
    QStringList m_lines;
};

} // namespace kv
