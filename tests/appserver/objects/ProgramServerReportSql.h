#pragma once
// The slip report's query as the report assembles it, piece by piece, for
// the tests and the benchmark that send it through the program server.

#include <string>

namespace reportsql {

inline const char *const kS0 =
    "SELECT TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,"
    "CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS PURMA002,TE001,TE003,TE004,TE005,TE006,TE008,TE009,TE010,TE011,TE012,"
    "TE013,TE014,TE017,TE018,CMSMC.MC002 AS CMSMC002,INVMC.MC003 AS INVMC003,TA006,TD006,TB004,PURMA.MA003 AS "
    "PURMA003,TC014,TC016,INVMB.MB002 AS INVMB002,INVMB.MB003 AS INVMB003,TA034,TA035 ,TE021,TE022,TC031, "
    "CMSNO.NO002 AS CMSNO002,TE025 ,TC021,CMSME.ME002 AS CMSME002 ,TC008,TC013,TC018,TC019,TC020,MOCTC.CREATOR AS "
    "CREATOR,B.MF002 AS MF002C2,TE015 ,TC010,TC011,TC012,TC015,A.MF002 AS MF002C1,TB004-TB005 AS TB004C,TB019,"
    "TB019-TB020 AS TB019C ,TE016,TE019,TE020,PURMA.MA010 AS PURMA010,PURMA.MA011 AS PURMA011 ,TA057,TA058,TE024,"
    "INVME.ME017 AS ME017,INVME.ME018 AS ME018,INVME.ME019 AS ME019 ,INVME.ME017+'-'+INVME.ME018+'-'+INVME.ME019 AS "
    "ME017C,INVME.ME020 AS ME020 ,INVME.ME021 AS ME021,TE023 ";

inline const char *const kUdfHeader =
    " ,MOCTC.UDF01 AS UDF01M, MOCTC.UDF02 AS UDF02M, MOCTC.UDF03 AS UDF03M, MOCTC.UDF04 AS UDF04M, MOCTC.UDF05 AS "
    "UDF05M, MOCTC.UDF06 AS UDF06M,  MOCTC.UDF51 AS UDF51M, MOCTC.UDF52 AS UDF52M, MOCTC.UDF53 AS UDF53M, "
    "MOCTC.UDF54 AS UDF54M, MOCTC.UDF55 AS UDF55M, MOCTC.UDF56 AS UDF56M";
inline const char *const kUdfLine =
    " MOCTE.UDF01 AS UDF01D, MOCTE.UDF02 AS UDF02D, MOCTE.UDF03 AS UDF03D, MOCTE.UDF04 AS UDF04D, MOCTE.UDF05 AS "
    "UDF05D, MOCTE.UDF06 AS UDF06D,  MOCTE.UDF51 AS UDF51D, MOCTE.UDF52 AS UDF52D, MOCTE.UDF53 AS UDF53D, "
    "MOCTE.UDF54 AS UDF54D, MOCTE.UDF55 AS UDF55D, MOCTE.UDF56 AS UDF56D ";

struct Shape {
    bool summary = false;
    bool btn05 = false; // summary by warehouse
    bool btn06 = false; // summary by lot
};

inline std::string selectPart(const Shape &shape)
{
    std::string select;
    if (!shape.summary) {
        select = std::string(kS0) + ", TE026, TE027 " + kUdfHeader + ", " + kUdfLine + " ,MW002 AS TE009C " +
                 " ,TA015,TA016 " + ",TC029 AS TE005C1 ,TC030 AS TE021C1,0 AS TB004C1,0 AS TB005C1,0 AS TB019C1,0 AS TB020C1";
    } else {
        select = "SELECT  DISTINCT TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,TC031, CMSNO.NO002 AS CMSNO002,"
                 "CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS PURMA002,"
                 "TE001,TE002,'null' CMSMC002";
        if (shape.btn05)
            select += ",CMSMC.MC002 AS CMSMC002C";
        select += std::string(",PURMA.MA003 AS PURMA003,TC014,TC016 ") + ",TC021,CMSME.ME002 AS CMSME002 " +
                  ",TC008,TC013,TC018,TC019,TC020,MOCTC.CREATOR AS CREATOR,B.MF002 AS MF002C2 " +
                  ",TC010,TC011,TC012,TC015,A.MF002 AS MF002C1 " + ",PURMA.MA010 AS PURMA010,PURMA.MA011 AS PURMA011 " +
                  ",INVME.ME017 AS ME017,INVME.ME018 AS ME018,INVME.ME019 AS ME019 " + ",TE023 " + kUdfHeader + " " +
                  ",TE004,TE006,BB.MB002 AS BBMB002,BB.MB003 AS BBMB003,0 TE005C,'NULL' TE008C ,'NULL'  TE010C " +
                  (shape.btn05 ? ",TE008" : "") + (shape.btn06 ? ",TE010" : "") + ",0 AS TE005C1,0 AS TE021C1 ";
    }
    return select + ",TC028, CMSMV.MV002 as CMSMV002 " + ",TEC01 ";
}

inline std::string joinTail(const Shape &shape)
{
    std::string tail = " LEFT JOIN $$MOCTE AS MOCTE ON TC001=TE001 AND TC002=TE002 LEFT JOIN $$CMSMQ AS CMSMQ ON "
                       "TC001=MQ001 LEFT JOIN $$CMSMB AS CMSMB ON TC004=MB001 LEFT JOIN $$CMSMD AS CMSMD ON "
                       "TC005=MD001 LEFT JOIN $$CMSME AS CMSME ON CMSME.ME001=TC021  LEFT JOIN $$CMSNO AS CMSNO ON "
                       "CMSNO.NO001=TC031  LEFT JOIN $$PURMA AS PURMA ON TC006=MA001";
    if (!shape.summary || shape.btn05)
        tail += " LEFT JOIN $$CMSMC AS CMSMC ON TE008=CMSMC.MC001";
    if (shape.summary)
        tail += " LEFT JOIN $$INVMB AS BB ON TE004=BB.MB001";
    tail += " LEFT JOIN $$INVMC AS INVMC ON TE004=INVMC.MC001 AND TE008=INVMC.MC002";
    if (!shape.summary) {
        tail += std::string(" LEFT JOIN $$MOCTA AS MOCTA ON TE011=TA001 AND TE012=TA002") +
                " LEFT JOIN $$MOCTB AS MOCTB ON TE011=TB001 AND TE012=TB002 AND TE004=TB003 AND TE009=TB006" +
                " LEFT JOIN $$MOCTD AS MOCTD ON TE001=TD001 AND TE002=TD002 AND TE011=TD003 AND TE012=TD004" +
                " LEFT JOIN $$INVMB AS INVMB ON TA006=INVMB.MB001 ";
    }
    return tail + " LEFT JOIN $$INVME AS INVME ON INVME.ME001=TE004 AND INVME.ME002=TE010 " +
           " LEFT JOIN $$ADMMF AS A ON TC015=A.MF001 " + " LEFT JOIN $$ADMMF AS B ON MOCTC.CREATOR=B.MF001 " +
           " LEFT JOIN $$CMSMW AS CMSMW ON TE009=MW001 " + " LEFT JOIN $$CMSMV AS CMSMV ON MV001=TC028 ";
}

inline std::string reportSql(const Shape &shape, const std::string &where)
{
    const std::string order = shape.summary ? " ORDER BY TC001,TC002,TC003" : " ORDER BY TC001,TC002,TC003,TE003";
    return selectPart(shape) + " FROM $$MOCTC AS MOCTC" + joinTail(shape) + " WHERE 1=1 " + where + order;
}

// A client data set's command text: "$$" becomes the company database + "..".
inline std::string forDataSet(std::string sql, const std::string &companyDb)
{
    for (std::size_t at = sql.find("$$"); at != std::string::npos; at = sql.find("$$", at))
        sql.replace(at, 2, companyDb + "..");
    return sql;
}

} // namespace reportsql
