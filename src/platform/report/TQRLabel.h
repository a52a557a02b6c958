#pragma once
// kv::TQRLabel: a fixed text (its Caption) on a band. Print handlers and
// band events change captions while the report runs (page numbers, marks).

#include "platform/report/ReportText.h"

namespace kv {

class TQRLabel : public ReportText {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)

public:
    explicit TQRLabel(QObject *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }

protected:
    std::string textToPrint() override { return m_caption.toStdString(); }

private:
    QString m_caption;
};

} // namespace kv
