#pragma once
// kv::FieldLink: a component's or expression's reference to a field of a
// client data set by name. The field is looked up once and kept until the
// data set closes (a data set rebuilds its fields on every open), so that
// printing many records does not search the field list for every value.

#include "platform/ClientDataSet.h"

#include <QPointer>

#include <memory>
#include <string>

namespace kv {

class FieldLink {
public:
    FieldLink();
    ~FieldLink();
    FieldLink(const FieldLink &) = delete;
    FieldLink &operator=(const FieldLink &) = delete;

    void bind(ClientDataSet *dataSet, std::string fieldName);
    ClientDataSet *dataSet() const { return m_dataSet; }
    const std::string &fieldName() const { return m_fieldName; }
    // The field of the open data set; nullptr when it is closed, unbound or
    // has no such field.
    ClientDataSet::Field *field() const;
    // As field(), but a missing field is a ReportError naming it.
    ClientDataSet::Field &requireField(const QString &user) const;

private:
    struct Cache;
    QPointer<ClientDataSet> m_dataSet;
    std::string m_fieldName;
    std::unique_ptr<Cache> m_cache;
};

} // namespace kv
