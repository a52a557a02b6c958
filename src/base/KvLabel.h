#pragma once
// TKvLabel: a plain label with the published names of the described label
// (Caption, AutoSize, Alignment by the layout that holds it).

#include "controls/ControlProperties.h"

#include <QLabel>

namespace kv {

class TKvLabel : public QLabel {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Caption READ text WRITE setCaption)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

public:
    explicit TKvLabel(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

private:
    bool m_autoSize = true;
};

} // namespace kv
