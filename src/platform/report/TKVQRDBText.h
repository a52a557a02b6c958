#pragma once
// kv::TKVQRDBText: the data text the layouts create. Besides the field it
// carries what the layout window's print handlers need: the text type
// (0 none, 1 date, 2 percent, 3 Chinese capital amount, 4 asterisk,
// 5 dictionary; the layout binds the matching OnPrint handler), the
// dictionary of the dictionary type, and a code list ("Y=已审核" lines) that
// prints the text after "=" for the stored code; a code that is not listed
// prints as it is.

#include "platform/report/TQRDBText.h"

#include <QStringList>

namespace kv {

class TKVQRDBText : public TQRDBText {
    Q_OBJECT
    Q_PROPERTY(int TextType READ textType WRITE setTextType)
    Q_PROPERTY(QString Dictionary READ dictionary WRITE setDictionary)
    Q_PROPERTY(QStringList CodeList READ codeList WRITE setCodeList)

public:
    explicit TKVQRDBText(QObject *parent = nullptr);

    int textType() const { return m_textType; }
    void setTextType(int type) { m_textType = type; }
    QString dictionary() const { return m_dictionary; }
    void setDictionary(const QString &dictionary) { m_dictionary = dictionary; }
    QStringList codeList() const { return m_codeList; }
    void setCodeList(const QStringList &codes) { m_codeList = codes; }

protected:
    std::string textToPrint() override;

private:
    int m_textType = 0;
    QString m_dictionary;
    QStringList m_codeList;
};

} // namespace kv
