#include "RelationSchema.h"

#include "RelationModel.h"
#include "platform/ClientDataSet.h"

#include <stdexcept>

namespace relationwizard {

namespace {

// Runs one query on the data set; the data set stays open on its records.
void run(kv::ClientDataSet &data, const std::string &sql)
{
    data.Close();
    data.DataRequest(kv::Variant(sql));
    data.Open();
}

} // namespace

std::string RelationSchema::qualified(const std::string &table)
{
    return table.rfind("$$", 0) == 0 ? table : "$$" + table;
}

std::vector<std::string> RelationSchema::tables(std::string &error) const
{
    std::vector<std::string> names;
    if (!m_data)
        return names;
    try {
        run(*m_data, "select name from sysobjects where xtype = 'U' order by name");
        for (m_data->First(); !m_data->Eof(); m_data->Next())
            names.push_back(qualified(m_data->FieldByName("name").AsString()));
    } catch (const std::exception &failure) {
        error = failure.what();
        names.clear();
    }
    m_data->Close();
    return names;
}

std::vector<std::string> RelationSchema::columns(const std::string &table) const
{
    if (!m_data)
        throw std::runtime_error("the wizard has no data set to read the schema with");
    const std::string name = qualified(table);
    if (!isPlainName(name.substr(2)))
        throw std::runtime_error("\"" + table + "\" is no table name");
    // No rows, only the columns: the translator checks the table against
    // the schema on the way.
    run(*m_data, "SELECT * FROM " + name + " WHERE 1 = 0");
    std::vector<std::string> names;
    for (const kv::ClientDataSet::Field *field : m_data->Fields())
        names.push_back(field->FieldName());
    m_data->Close();
    return names;
}

} // namespace relationwizard
