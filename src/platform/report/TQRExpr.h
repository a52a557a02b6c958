#pragma once
// kv::TQRExpr: the value of an expression (kv::ReportExpression) for the
// current record; numbers with the Mask when there is one.

#include "platform/report/ReportExpression.h"
#include "platform/report/ReportText.h"

namespace kv {

class TQRExpr : public ReportText {
    Q_OBJECT
    Q_PROPERTY(QString Expression READ expression WRITE setExpression)
    Q_PROPERTY(QString Mask READ mask WRITE setMask)

public:
    explicit TQRExpr(QObject *parent = nullptr);

    QString expression() const { return m_expression.text(); }
    void setExpression(const QString &expression) { m_expression.setText(expression); }
    QString mask() const { return m_mask; }
    void setMask(const QString &mask) { m_mask = mask; }

    void prepareRun(PageStore &store, const Report &report) override;

protected:
    std::string textToPrint() override;

private:
    ReportExpression m_expression;
    QString m_mask;
};

} // namespace kv
