#pragma once
// TDataLabel: the label of an input that places itself beside its control.
// With AutoAlign it sits Gap pixels left of (or above) FocusControl and
// follows the control when it moves or is resized; clicking the label, or
// its accelerator, focuses the control.

#include "controls/ControlProperties.h"

#include <QLabel>
#include <QPointer>

namespace kv {

class TDataLabel : public QLabel {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Caption READ text WRITE setCaption)
    Q_PROPERTY(bool AutoAlign READ autoAlign WRITE setAutoAlign)
    Q_PROPERTY(bool AutoCaption READ autoCaption WRITE setAutoCaption)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(int Gap READ gap WRITE setGap)
    Q_PROPERTY(QWidget *FocusControl READ focusControl WRITE setFocusControl)
    Q_PROPERTY(kv::TDataLabel::TLabelPosition LabelPosition READ labelPosition WRITE setLabelPosition)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

public:
    enum TLabelPosition { lpLeft, lpAbove };
    Q_ENUM(TLabelPosition)

    explicit TDataLabel(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    bool autoAlign() const { return m_autoAlign; }
    void setAutoAlign(bool on);
    // Kept with the form: the caption is taken from the control's field by
    // data-aware windows; the program window sets it itself.
    bool autoCaption() const { return m_autoCaption; }
    void setAutoCaption(bool on) { m_autoCaption = on; }
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    int gap() const { return m_gap; }
    void setGap(int gap);
    QWidget *focusControl() const { return m_focusControl; }
    void setFocusControl(QWidget *control);
    TLabelPosition labelPosition() const { return m_position; }
    void setLabelPosition(TLabelPosition position);

    // Places the label beside its control (with AutoAlign).
    void AlignToControl();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QPointer<QWidget> m_focusControl;
    bool m_autoAlign = true;
    bool m_autoCaption = true;
    bool m_autoSize = true;
    int m_gap = 4;
    TLabelPosition m_position = lpLeft;
};

} // namespace kv
