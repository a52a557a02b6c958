#pragma once
// The ERP statements the tests translate, written the way the report builds
// them (string pieces joined), so that spacing and case are the module's own.

#include <string>

namespace slip::test {

// The inspection remark of one slip line: TOP 1 belongs to the first branch,
// ORDER BY to the whole union. prefix is "$$" or the database name + "..".
inline std::string inspectionRemarkSql(const std::string &prefix, const std::string &me017,
                                       const std::string &me018, const std::string &me019)
{
    const auto conditions = [&](const std::string &t) {
        return " " + t + "001='" + me017 + "' " + " AND  " + t + "002='" + me018 + "' " + " AND  " + t
            + "003='" + me019 + "' ";
    };
    return "SELECT TOP 1 TA026,TA027 FROM " + prefix + "QMSTA AS QMSTA " + " WHERE " + conditions("TA")
        + " UNION " + " SELECT TD026 AS TA026,TD027 AS TA027 FROM " + prefix + "QMSTD AS QMSTD "
        + " WHERE " + conditions("TD") + " UNION " + " SELECT TG026 AS TA026,TG027 AS TA027 FROM "
        + prefix + "QMSTG AS QMSTG " + " WHERE " + conditions("TG") + " ORDER BY TA026 DESC ";
}

// The issue totals of one summary line, with the optional warehouse and lot terms.
inline std::string lineTotalsSql(const std::string &companyDb, bool warehouse, bool lot)
{
    std::string sql = "  SELECT  isnull(SUM(TE005),0) TE005          ,ISNULL(SUM(TE021),0) TE021  FROM  "
        + companyDb + ".." + "MOCTE"
        + " WHERE 1=1  and  TE004=:TE004  AND TE006=:TE006  AND  TE001=:TE001  AND  TE002=:TE002 AND "
          "TEC01=:TEC01 ";
    if (warehouse)
        sql += " AND TE008=:TE008 ";
    if (lot)
        sql += " AND TE010=:TE010";
    return sql;
}

// The declared length of the stored-layout name column.
inline const char *const kLayoutNameLengthSql =
    "select col.length from syscolumns col inner join sysobjects obj on obj.id=col.id where "
    "obj.name = 'WARRANT' AND col.name ='NT002'";

} // namespace slip::test
