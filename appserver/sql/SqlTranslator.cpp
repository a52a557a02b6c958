#include "sql/SqlTranslator.h"

#include "sql/SqlCatalogQuery.h"
#include "sql/SqlParser.h"
#include "sql/SqlWriter.h"

namespace slip {

TranslatedSql SqlTranslator::translate(std::string_view erpSql, const std::string &companyDb) const
{
    if (companyDb.empty())
        throw SqlError(0, {}, "no company database given");
    SqlStatement statement = SqlParser::parse(erpSql);
    SqlCatalogQuery::rewrite(statement, m_catalog);
    SqlWriter writer(m_dialect, m_catalog, companyDb);
    TranslatedSql result;
    result.text = writer.write(statement);
    result.parameters = writer.parameters();
    return result;
}

} // namespace slip
