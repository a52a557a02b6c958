#pragma once
// What every window of long output work (printing, PDF printing, picture
// export, sending) tells the clerk beyond its own fields: the slip being
// done and about how long the rest will take; and the window that printing
// shows, since it had none.
//
// OutputSlips names the slips of a run by page or form and knows on which
// sheets a slip starts (for starting each slip on a fresh sheet).
// OutputProgressPanel is the part the conversion, send and print windows
// share. OutputProgressWindow is the print window: pages done of total, the
// panel and a cancel button that stops after the page in progress.

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kv {

class PageStore;
class PreviewSlipIndex;

class OutputSlips {
public:
    explicit OutputSlips(PageStore *pages);
    ~OutputSlips();
    OutputSlips(const OutputSlips &) = delete;
    OutputSlips &operator=(const OutputSlips &) = delete;

    // "5401-20240301001"; empty for a page or form no slip told.
    QString ofPage(int page) const;
    QString ofForm(int form) const;
    // The pages on whose first form a slip starts. A slip starting in the
    // lower half of a sheet shares that sheet and is not among them.
    std::vector<int> sheetStarts() const;

private:
    const PageStore *m_pages;
    std::unique_ptr<PreviewSlipIndex> m_index;
};

class OutputProgressPanel : public QWidget {
    Q_OBJECT

public:
    explicit OutputProgressPanel(QWidget *parent);

    QLabel *lblSlipCaption = nullptr;
    QLabel *lblSlip = nullptr;
    QLabel *lblTimeLeftCaption = nullptr;
    QLabel *lblTimeLeft = nullptr;

    // Starts the clock of the estimate.
    void start();
    // done of total finished; slip is the one in progress.
    void update(int done, int total, const QString &slip);

    // The rest of the work at the pace so far, "mm:ss" (or "h:mm:ss");
    // "--:--" until something is done.
    static QString timeLeft(qint64 elapsedMs, int done, int total);

private:
    QDateTime m_started;
};

class OutputProgressWindow : public QDialog {
    Q_OBJECT

public:
    // caption: what is done, printing or printing into a PDF file.
    OutputProgressWindow(const QString &caption, QWidget *owner);

    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblState = nullptr;
    OutputProgressPanel *pnlProgress = nullptr;
    QPushButton *btnCancel = nullptr;

    // Shows the window with nothing done of total.
    void begin(int total);
    // done of total finished, slip the one in progress; lets the clerk's
    // clicks run. False once the clerk asked to stop.
    bool pageDone(int done, int total, const QString &slip);
    bool cancelRequested() const { return m_cancelRequested; }

private:
    bool m_cancelRequested = false;
};

} // namespace kv
