#include "objects/ClientSql.h"

#include "schema/SchemaInfo.h"
#include "sql/SqlTokenizer.h"
#include "sql/SqlTranslator.h"

namespace slip {

namespace {

SqlDialect dialectOf(DbEngine engine)
{
    return engine == DbEngine::PostgreSQL ? SqlDialect::PostgreSQL : SqlDialect::SQLite;
}

} // namespace

std::string ClientSql::translated(const std::string &erpSql) const
{
    const SqlTranslator translator(dialectOf(db().engine()), SchemaInfo::company());
    return translator.translate(erpSql, companyDb()).text;
}

bool ClientSql::isQuery(std::string_view erpSql)
{
    for (const SqlToken &token : SqlTokenizer::tokenize(erpSql)) {
        if (!token.isSymbol("("))
            return token.isKeyword("SELECT");
    }
    return false;
}

kv::ResultTable ClientSql::select(const std::string &erpSql, const SqlParams &params) const
{
    return db().query(translated(erpSql), params);
}

std::int64_t ClientSql::execute(const std::string &erpSql, const SqlParams &params) const
{
    return db().execute(translated(erpSql), params);
}

std::int64_t ClientSql::rowsOf(const std::string &erpSql) const
{
    if (isQuery(erpSql))
        return select(erpSql).rowCount();
    return execute(erpSql);
}

} // namespace slip
