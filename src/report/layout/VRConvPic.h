#pragma once
// TfrmVRConvPic: the small window shown while report pages are converted to
// picture files: a progress bar, the page being converted ("%d/%d") and a
// cancel button that sets the owning layout window's cancel flag.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kv {

class TfrmVRConvPic : public QDialog {
    Q_OBJECT

public:
    explicit TfrmVRConvPic(QWidget *owner = nullptr);

    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblState = nullptr;
    QPushButton *btnCancel = nullptr;

    void setRange(int minimum, int maximum);
    // Shows "current/total" and moves the bar to current.
    void showProgress(int current, int total);

private:
    void cancelClicked();
};

} // namespace kv
