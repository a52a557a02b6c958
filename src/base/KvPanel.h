#pragma once
// TKvPanel: a plain panel of the program windows (the condition-set panel,
// the button bar). A caption, when set, is drawn centred as on a panel of
// the described windows; the program windows leave it empty.

#include "controls/ControlProperties.h"

#include <QFrame>

namespace kv {

class TKvPanel : public QFrame {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

public:
    explicit TKvPanel(QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
};

} // namespace kv
