#pragma once
// The window doc2emf shows when started without arguments (from the
// layout designer's menu): the document (edInput), the page picture to write
// (edOutput), each with a browse button, and btnConvert. The outcome
// appears in lblResult.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace doc2emf {

class Doc2EmfDialog : public QDialog {
    Q_OBJECT

public:
    explicit Doc2EmfDialog(QWidget *parent = nullptr);

    QLineEdit *edInput = nullptr;
    QLineEdit *edOutput = nullptr;
    QPushButton *btnInput = nullptr;
    QPushButton *btnOutput = nullptr;
    QPushButton *btnConvert = nullptr;
    QLabel *lblResult = nullptr;

    // Converts what the fields name; true on success.
    bool convert();

private:
    void browseInput();
    void browseOutput();
};

} // namespace doc2emf
