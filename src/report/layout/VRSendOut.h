#pragma once
// TfrmVRSendOut: the small window shown while faxes are handed to the fax
// server: the receiver, which receiver of how many ("%d/%d"), which page of
// the receiver's pages ("%d/%d"), a progress bar and a cancel button that
// sets the owning layout window's cancel flag.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kv {

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
    QPushButton *btnCancel = nullptr;

    void setRange(int minimum, int maximum);
    void showReceiver(const QString &receiver, int current, int total);
    void showPage(int current, int total);
    // Advances the bar by one.
    void step();

private:
    void cancelClicked();
};

} // namespace kv
