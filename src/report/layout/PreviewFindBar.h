#pragma once
// PreviewFindBar: the search bar of the preview window (Ctrl+F shows it).
// The user types a text; Enter or "下一个" / "上一个" move between the hits,
// the count shows "n / m" (the current hit and how many there are) and
// Escape hides the bar. The search itself is PreviewSearch's.

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace kv {

class PreviewFindBar : public QWidget {
    Q_OBJECT

public:
    explicit PreviewFindBar(QWidget *parent = nullptr);

    // Components (object names are the member names).
    QLabel *lblFind = nullptr;
    QLineEdit *edtFind = nullptr;
    QToolButton *btnFindNext = nullptr;
    QToolButton *btnFindPrevious = nullptr;
    QLabel *lblFindCount = nullptr;
    QToolButton *btnFindClose = nullptr;

    // Shows the bar with the search text selected, ready to type over.
    void open();
    // current: index of the current hit (-1 none); count: the hits.
    void showCount(int current, int count);
    // The caption for "no hit" (the window's language lookup gives it).
    void setNotFoundText(const QString &text) { m_notFound = text; }

signals:
    void searchChanged(const QString &text);
    void stepRequested(int direction);
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_notFound;
};

} // namespace kv
