#pragma once
// Without a screen nobody can answer a message box, and a module's box
// would hold the host forever. When erp-host runs headless it therefore
// writes each message box that appears to its error stream, in plain words,
// and answers it as the Escape key would (else with its default button), so
// that the module goes on as after a user who dismissed it.

#include <QObject>

#include <iosfwd>

class QMessageBox;

namespace erphost {

class HeadlessDialogs : public QObject {
    Q_OBJECT

public:
    explicit HeadlessDialogs(std::ostream &err, QObject *parent = nullptr);
    ~HeadlessDialogs() override;

    // Starts watching the application's message boxes.
    void install();
    int answered() const { return m_answered; }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void answer(QMessageBox *box);

    std::ostream &m_err;
    int m_answered = 0;
};

} // namespace erphost
