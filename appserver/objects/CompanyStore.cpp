#include "objects/CompanyStore.h"

#include "schema/SchemaInfo.h"

namespace slip {

CompanyStore::CompanyStore(Database &database, std::string companyDb)
    : m_database(database), m_companyDb(std::move(companyDb))
{
}

std::string CompanyStore::table(std::string_view name) const
{
    return m_database.qualifiedTable(m_companyDb, name);
}

std::size_t CompanyStore::characterCount(std::string_view text)
{
    std::size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

void CompanyStore::requireFits(std::string_view table, std::string_view column, std::string_view value,
                               const std::string &what)
{
    const std::optional<int> length = SchemaInfo::company().declaredLength(table, column);
    if (length && characterCount(value) > std::size_t(*length))
        throw StoreError(what + "长度不可大于" + std::to_string(*length) + ": " + std::string(value));
}

} // namespace slip
