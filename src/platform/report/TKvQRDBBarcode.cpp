#include "platform/report/TKvQRDBBarcode.h"

#include "platform/report/BarcodeEncoder.h"
#include "platform/report/PageStore.h"
#include "platform/report/ReportUnits.h"

namespace kv {

TKvQRDBBarcode::TKvQRDBBarcode(QObject *parent) : ReportPrintable(parent) {}

TKvQRDBBarcode::~TKvQRDBBarcode() = default;

void TKvQRDBBarcode::registerRun(PageStore &store, const Report &report)
{
    ReportPrintable::registerRun(store, report);
    PageStore::BarcodeStyle style;
    style.kind = int(m_type);
    style.textPosition = int(m_textPosition);
    style.textStyle = store.textStyle(report_units::pageFont(font()), Qt::transparent);
    m_style = store.barcodeStyle(style);
}

void TKvQRDBBarcode::prepareRun(PageStore &store, const Report &report)
{
    registerRun(store, report);
    m_field.bind(m_dataSet, m_dataField.toStdString());
    if (m_dataSet && !m_dataField.isEmpty())
        m_field.requireField(objectName());
}

QString TKvQRDBBarcode::rawData()
{
    if (!m_dataSet || m_dataField.isEmpty())
        return m_text;
    return QString::fromStdString(m_field.requireField(objectName()).AsString());
}

QString TKvQRDBBarcode::encodableData(const QString &raw)
{
    QString data;
    for (const char32_t character : raw.toUcs4()) {
        if (BarcodeEncoder::acceptsChar(int(m_type), character)) {
            data += QString::fromUcs4(&character, 1);
            continue;
        }
        BarcodeInvalidCharArgs args;
        args.character = QString::fromUcs4(&character, 1).toStdString();
        args.barcodeType = int(m_type);
        eventOnInvalidChar()(this, args);
        data += QString::fromStdString(args.replacement);
    }
    return data;
}

double TKvQRDBBarcode::layout(double)
{
    m_data = encodableData(rawData());
    m_rect = designRect();
    const BarcodeSymbol symbol = BarcodeEncoder::encode(int(m_type), m_data);
    m_error = symbol.error;
    if (symbol.isValid() && m_autoSize && m_modul > 0)
        m_rect.setWidth(symbol.modules * m_modul * tenthsPerPixel());
    return 0;
}

void TKvQRDBBarcode::draw(const PrintTarget &target)
{
    if (!m_error.isEmpty())
        return;
    target.store.addBarcode(componentIndex(), target.form, m_rect.translated(target.origin), m_style, m_data);
}

} // namespace kv
