#pragma once
// TfrmEmailSubject: the small dialog in which the clerk confirms or edits the
// subject of an e-mail before the slips are sent. A plain form (not a program
// window): stays on top, centred on the screen; the subject is taken only
// when the dialog ends with OK.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

namespace kv {

class TKvBitBtn;

class TfrmEmailSubject : public QDialog {
    Q_OBJECT

public:
    explicit TfrmEmailSubject(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLineEdit *edtSubject = nullptr;
    TKvBitBtn *BitBtn1 = nullptr;

    // Puts the proposed subject into the edit.
    void SetSubject(const QString &subject);
    // The subject stored by the OK button (empty before).
    QString Subject() const { return m_subject; }

public slots:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_subject;
};

} // namespace kv
