#pragma once
// kv::TKvQRDBBarcode: a barcode of a field's value (or of Text when no data
// field is set), drawn with the bars of its BarcodeType and, by
// TextPosition, the data as text above or below.
//
// Characters the kind cannot encode go through OnInvalidChar
// (BarcodeInvalidCharArgs): the handler's replacement takes the character's
// place; without a handler they are left out. Data that still cannot be
// encoded (a wrong length or check digit) prints no barcode; lastError()
// tells why. AutoSize makes the width the symbol's modules times Modul
// (design pixels per narrow bar).

#include "platform/ClientDataSet.h"
#include "platform/report/FieldLink.h"
#include "platform/report/ReportPrintable.h"

#include <QPointer>
#include <QString>

namespace kv {


class TKvQRDBBarcode : public ReportPrintable {
    Q_OBJECT
    Q_PROPERTY(kv::ClientDataSet *DataSet READ dataSet WRITE setDataSet)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString Text READ text WRITE setText)
    Q_PROPERTY(kv::TKvQRDBBarcode::TBarcodeType BarcodeType READ barcodeType WRITE setBarcodeType)
    Q_PROPERTY(kv::TKvQRDBBarcode::TBarcodeTextPosition TextPosition READ textPosition WRITE setTextPosition)
    Q_PROPERTY(int Modul READ modul WRITE setModul)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    KV_REPORT_EVENT(OnInvalidChar)

public:
    enum TBarcodeType {
        bcCode_2_5_interleaved, bcCode_2_5_industrial, bcCode_2_5_matrix, bcCode39, bcCode39Extended,
        bcCode128A, bcCode128B, bcCode128C, bcCode93, bcCode93Extended, bcCodeMSI, bcCodePostNet,
        bcCodeCodabar, bcCodeEAN8, bcCodeEAN13, bcCodeUPC_A, bcCodeUPC_E0, bcCodeUPC_E1, bcCodeUPC_Supp2,
        bcCodeUPC_Supp5, bcCodeEAN128A, bcCodeEAN128B, bcCodeEAN128C
    };
    Q_ENUM(TBarcodeType)
    enum TBarcodeTextPosition { tpNone, tpTopLeft, tpTopCenter, tpTopRight, tpBottomLeft, tpBottomCenter, tpBottomRight };
    Q_ENUM(TBarcodeTextPosition)

    explicit TKvQRDBBarcode(QObject *parent = nullptr);
    ~TKvQRDBBarcode() override;

    ClientDataSet *dataSet() const { return m_dataSet; }
    void setDataSet(ClientDataSet *dataSet) { m_dataSet = dataSet; }
    QString dataField() const { return m_dataField; }
    void setDataField(const QString &field) { m_dataField = field; }
    QString text() const { return m_text; }
    void setText(const QString &text) { m_text = text; }
    TBarcodeType barcodeType() const { return m_type; }
    void setBarcodeType(TBarcodeType type) { m_type = type; }
    TBarcodeTextPosition textPosition() const { return m_textPosition; }
    void setTextPosition(TBarcodeTextPosition position) { m_textPosition = position; }
    int modul() const { return m_modul; }
    void setModul(int modul) { m_modul = modul < 0 ? 0 : modul; }
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize) { m_autoSize = autoSize; }

    // The data as last encoded and why it could not be, if it could not.
    QString printedData() const { return m_data; }
    QString lastError() const { return m_error; }

    void registerRun(PageStore &store, const Report &report) override;
    void prepareRun(PageStore &store, const Report &report) override;
    double layout(double bandWidth) override;
    void draw(const PrintTarget &target) override;

private:
    QString rawData();
    QString encodableData(const QString &raw);

    QPointer<ClientDataSet> m_dataSet;
    QString m_dataField;
    QString m_text;
    TBarcodeType m_type = bcCode39;
    TBarcodeTextPosition m_textPosition = tpBottomCenter;
    int m_modul = 1;
    bool m_autoSize = false;

    FieldLink m_field;
    int m_style = -1;
    QString m_data;
    QString m_error;
    QRectF m_rect;
};

} // namespace kv
