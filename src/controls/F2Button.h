#pragma once
// TF2Button: a glyph button attached to an input (F2Control). A click asks
// the window that owns the input to open its lookup window for it, by sending
// a LookupRequestEvent, exactly as F2 pressed on the input would. With
// AutoAlign the button sits square at the right of the input, Gap pixels
// away; while the form is being designed it follows the input as it moves.
// Only one lookup button of a window may be attached to a given input.

#include "controls/GSpdBtn.h"

#include <QPointer>

namespace kv {

class TF2Button : public TGSpeedButton {
    Q_OBJECT
    Q_PROPERTY(bool AutoAlign READ autoAlign WRITE setAutoAlign)
    Q_PROPERTY(QWidget *F2Control READ f2Control WRITE setF2Control)
    Q_PROPERTY(int Gap READ gap WRITE setGap)

public:
    static const char *const kSharedEditText;

    explicit TF2Button(QWidget *parent = nullptr);
    ~TF2Button() override;

    bool autoAlign() const { return m_autoAlign; }
    void setAutoAlign(bool on);
    QWidget *f2Control() const { return m_f2Control; }
    // Refused with a message when another lookup button of the window is
    // attached to the same input; null detaches.
    void setF2Control(QWidget *control);
    int gap() const { return m_gap; }
    // 0 to 255; other values are clamped.
    void setGap(int gap);

    // Places the button at the right of its input (with AutoAlign); windows
    // call it again after they have moved the input themselves.
    void AlignToControl();

protected:
    void Click() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TF2Button *otherButtonFor(QWidget *control) const;
    void installHook();
    void removeHook();

    QPointer<QWidget> m_f2Control;
    QPointer<QWidget> m_hooked;
    bool m_autoAlign = true;
    int m_gap = 2;
};

} // namespace kv
