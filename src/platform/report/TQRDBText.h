#pragma once
// kv::TQRDBText: the value of a field of the current record. DataSet names
// the client data set (none prints nothing); a field the data set lacks stops
// the run with an error naming the component. Numbers are printed with the
// Mask when there is one (kv::formatNumberMask), else as their shortest text;
// other values as the field's display text.

#include "platform/ClientDataSet.h"
#include "platform/report/FieldLink.h"
#include "platform/report/ReportText.h"

#include <QPointer>

namespace kv {


class TQRDBText : public ReportText {
    Q_OBJECT
    Q_PROPERTY(kv::ClientDataSet *DataSet READ dataSet WRITE setDataSet)
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString Mask READ mask WRITE setMask)

public:
    explicit TQRDBText(QObject *parent = nullptr);
    ~TQRDBText() override;

    ClientDataSet *dataSet() const { return m_dataSet; }
    void setDataSet(ClientDataSet *dataSet) { m_dataSet = dataSet; }
    QString dataField() const { return m_dataField; }
    void setDataField(const QString &field) { m_dataField = field; }
    QString mask() const { return m_mask; }
    void setMask(const QString &mask) { m_mask = mask; }

    void prepareRun(PageStore &store, const Report &report) override;

protected:
    std::string textToPrint() override;

private:
    QPointer<ClientDataSet> m_dataSet;
    QString m_dataField;
    QString m_mask;
    FieldLink m_field;
};

} // namespace kv
