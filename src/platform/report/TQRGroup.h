#pragma once
// kv::TQRGroup: a group header band. Its Expression (usually fields of the
// report's data set joined with "+") is evaluated for every record; when the
// value changes, the footer band of the group that ended prints, then this
// header. Groups nest in the order they were created (the first is the
// outermost). ReprintOnNewPage prints the header again at the top of every
// page of the group; the report's PageStartBand does the same in the
// page-band layout.

#include "platform/report/TQRBand.h"

#include <QPointer>

namespace kv {

class TQRGroup : public TQRBand {
    Q_OBJECT
    Q_PROPERTY(QString Expression READ expression WRITE setExpression)
    Q_PROPERTY(kv::TQRBand *FooterBand READ footerBand WRITE setFooterBand)
    Q_PROPERTY(bool ReprintOnNewPage READ reprintOnNewPage WRITE setReprintOnNewPage)

public:
    explicit TQRGroup(QObject *parent = nullptr);

    QString expression() const { return m_expression; }
    void setExpression(const QString &expression) { m_expression = expression; }
    TQRBand *footerBand() const { return m_footerBand; }
    void setFooterBand(TQRBand *band) { m_footerBand = band; }
    bool reprintOnNewPage() const { return m_reprintOnNewPage; }
    void setReprintOnNewPage(bool reprint) { m_reprintOnNewPage = reprint; }

private:
    QString m_expression;
    QPointer<TQRBand> m_footerBand;
    bool m_reprintOnNewPage = false;
};

} // namespace kv
