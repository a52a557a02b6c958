#pragma once
// TfrmVRSendOut: the small window shown while faxes are handed to the fax
// server: the receiver, which receiver of how many ("%d/%d"), which page of
// the receiver's pages ("%d/%d"), a progress bar and a cancel button that
// sets the owning layout window's cancel flag; below them the slip being
// sent and the time left.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kv {

class OutputProgressPanel;

class TfrmVRSendOut : public QDialog {
    Q_OBJECT

public:
    explicit TfrmVRSendOut(QWidget *owner = nullptr);

    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *txtReceiver = nullptr;
    QLabel *txtReceiveCnt = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *txtPageCnt = nullptr;
    OutputProgressPanel *pnlProgress = nullptr;
    QPushButton *btnCancel = nullptr;

    // Also starts the clock of the time left.
    void setRange(int minimum, int maximum);
    void showReceiver(const QString &receiver, int current, int total);
    void showPage(int current, int total);
    // done of total pages sent so far; slip is the one in progress.
    void showSent(int done, int total, const QString &slip);
    // Advances the bar by one.
    void step();

private:
    void cancelClicked();
};

} // namespace kv
