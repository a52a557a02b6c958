#pragma once
// TfrmVRConvPic: the small window shown while report pages are converted to
// picture files: a progress bar, the page being converted ("%d/%d"), the
// slip it belongs to and the time left, and a cancel button that sets the
// owning layout window's cancel flag.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kv {

class OutputProgressPanel;

class TfrmVRConvPic : public QDialog {
    Q_OBJECT

public:
    explicit TfrmVRConvPic(QWidget *owner = nullptr);

    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblState = nullptr;
    OutputProgressPanel *pnlProgress = nullptr;
    QPushButton *btnCancel = nullptr;

    // Also starts the clock of the time left.
    void setRange(int minimum, int maximum);
    // Shows "current/total" (current is the page now drawn; the pictures
    // before it are written or being written) and moves the bar to current.
    void showProgress(int current, int total, const QString &slip = QString());

private:
    void cancelClicked();
};

} // namespace kv
