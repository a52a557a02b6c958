#pragma once
// kv::TQRMemo: fixed text of several lines (Lines), printed one below the
// other; with AutoStretch the band grows to show all of them.

#include "platform/report/ReportText.h"

#include <QStringList>

namespace kv {

class TQRMemo : public ReportText {
    Q_OBJECT
    Q_PROPERTY(QStringList Lines READ lines WRITE setLines)

public:
    explicit TQRMemo(QObject *parent = nullptr);

    QStringList lines() const { return m_lines; }
    void setLines(const QStringList &lines) { m_lines = lines; }

protected:
    std::string textToPrint() override { return m_lines.join('\n').toStdString(); }

private:
    QStringList m_lines;
};

} // namespace kv
