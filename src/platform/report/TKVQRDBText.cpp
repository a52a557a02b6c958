#include "platform/report/TKVQRDBText.h"

namespace kv {

TKVQRDBText::TKVQRDBText(QObject *parent) : TQRDBText(parent) {}

std::string TKVQRDBText::textToPrint()
{
    std::string text = TQRDBText::textToPrint();
    if (m_codeList.isEmpty())
        return text;
    const QString code = QString::fromStdString(text).trimmed();
    for (const QString &entry : m_codeList) {
        const int equals = entry.indexOf('=');
        if (equals >= 0 && entry.left(equals).trimmed() == code)
            return entry.mid(equals + 1).toStdString();
    }
    return text;
}

} // namespace kv
