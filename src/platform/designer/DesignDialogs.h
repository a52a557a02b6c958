#pragma once
// The designer's modal dialogs: alignment of the selection, its size and a
// scale factor. They only collect the choice; the designer applies it.
// Controls carry object names so that scripted answers can fill them in.

#include "platform/designer/DesignTypes.h"

#include <QDialog>

class QButtonGroup;
class QSpinBox;

namespace kv {

class AlignDialog : public QDialog {
    Q_OBJECT
public:
    explicit AlignDialog(QWidget *parent = nullptr);
    HorzAlign horizontal() const;
    VertAlign vertical() const;
    // Radio buttons rbHorz0..5 and rbVert0..5 in the order of the rules.
    void choose(HorzAlign horizontal, VertAlign vertical);

private:
    QButtonGroup *m_horizontal;
    QButtonGroup *m_vertical;
};

class SizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit SizeDialog(QWidget *parent = nullptr);
    SizeRule widthRule() const;
    SizeRule heightRule() const;
    int widthValue() const;
    int heightValue() const;
    // Radio buttons rbWidth0..3 / rbHeight0..3, spin boxes edWidth / edHeight.
    void choose(SizeRule width, int widthValue, SizeRule height, int heightValue);

private:
    QButtonGroup *m_width;
    QButtonGroup *m_height;
    QSpinBox *m_widthValue;
    QSpinBox *m_heightValue;
};

class ScaleDialog : public QDialog {
    Q_OBJECT
public:
    explicit ScaleDialog(QWidget *parent = nullptr);
    int percent() const;
    void setPercent(int percent); // spin box edScale, 1..1000

private:
    QSpinBox *m_percent;
};

} // namespace kv
