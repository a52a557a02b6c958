#include "platform/report/TQRDBText.h"

#include "platform/report/NumberMask.h"

namespace kv {

TQRDBText::TQRDBText(QObject *parent) : ReportText(parent) {}

TQRDBText::~TQRDBText() = default;

void TQRDBText::prepareRun(PageStore &store, const Report &report)
{
    ReportText::prepareRun(store, report);
    m_field.bind(m_dataSet, m_dataField.toStdString());
    if (m_dataSet && !m_dataField.isEmpty())
        m_field.requireField(objectName());
}

std::string TQRDBText::textToPrint()
{
    if (!m_dataSet || m_dataField.isEmpty())
        return {};
    const ClientDataSet::Field &field = m_field.requireField(objectName());
    const FieldType type = field.DataType();
    if (!m_mask.isEmpty() && !field.IsNull() && (type == FieldType::Float || type == FieldType::Integer))
        return formatNumberMask(m_mask.toStdString(), field.AsFloat());
    return field.DisplayText();
}

} // namespace kv
