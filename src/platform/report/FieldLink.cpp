#include "platform/report/FieldLink.h"

#include "platform/report/ReportError.h"

namespace kv {

struct FieldLink::Cache {
    ClientDataSet::Field *field = nullptr;
    QMetaObject::Connection closed;
    ~Cache() { QObject::disconnect(closed); }
};

FieldLink::FieldLink() : m_cache(std::make_unique<Cache>()) {}

FieldLink::~FieldLink() = default;

void FieldLink::bind(ClientDataSet *dataSet, std::string fieldName)
{
    m_cache = std::make_unique<Cache>();
    m_dataSet = dataSet;
    m_fieldName = std::move(fieldName);
}

ClientDataSet::Field *FieldLink::field() const
{
    if (m_cache->field)
        return m_cache->field;
    if (!m_dataSet || !m_dataSet->Active() || m_fieldName.empty())
        return nullptr;
    m_cache->field = m_dataSet->FindField(m_fieldName);
    if (m_cache->field && !m_cache->closed) {
        Cache *cache = m_cache.get();
        m_cache->closed = QObject::connect(m_dataSet.data(), &ClientDataSet::afterClose,
                                           [cache] { cache->field = nullptr; });
    }
    return m_cache->field;
}

ClientDataSet::Field &FieldLink::requireField(const QString &user) const
{
    if (ClientDataSet::Field *found = field())
        return *found;
    const std::string dataSetName = m_dataSet ? m_dataSet->objectName().toStdString() : std::string("(none)");
    if (m_dataSet && !m_dataSet->Active())
        throw ReportError(user.toStdString() + ": data set " + dataSetName + " is not open");
    throw ReportError(user.toStdString() + ": field '" + m_fieldName + "' not found in data set " + dataSetName);
}

} // namespace kv
