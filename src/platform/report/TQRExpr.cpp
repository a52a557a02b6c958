#include "platform/report/TQRExpr.h"

#include "platform/report/NumberMask.h"
#include "platform/report/ReportError.h"

namespace kv {

TQRExpr::TQRExpr(QObject *parent) : ReportText(parent) {}

void TQRExpr::prepareRun(PageStore &store, const Report &report)
{
    ReportText::prepareRun(store, report);
    m_expression.release();
    if (m_expression.text().trimmed().isEmpty())
        return; // a field without an expression yet prints nothing
    try {
        m_expression.prepare(&report);
    } catch (const ReportError &error) {
        throw ReportError(objectName().toStdString() + ": " + error.what());
    }
}

std::string TQRExpr::textToPrint()
{
    if (!m_expression.isPrepared())
        return {};
    const Variant value = m_expression.value();
    const VarType type = value.deref().type();
    const bool number = value.deref().isNumeric() && type != VarType::Bool;
    if (number && !m_mask.isEmpty())
        return formatNumberMask(m_mask.toStdString(), value.deref().toDouble());
    return varToStr(value);
}

} // namespace kv
