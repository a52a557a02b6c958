#pragma once
// What the benches measure with: the peak resident size of the process, the
// normal report query, and the material-issue slip form read from the
// sources.

#include "../tests/appserver/objects/ProgramServerReportSql.h"

#include <QByteArray>
#include <QFile>

#include <fstream>
#include <stdexcept>
#include <string>

namespace benchsupport {

// Peak resident size of this process in MB.
inline double peakMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// The query with the CMSMB join's key written with its table: SQL Server
// resolves the bare name to the tables joined so far, SQLite looks at all
// of them and finds INVMB's MB001 as well.
inline std::string normalQuery()
{
    std::string sql = reportsql::reportSql({}, "");
    const std::string bare = "TC004=MB001";
    sql.replace(sql.find(bare), bare.size(), "TC004=CMSMB.MB001");
    return sql;
}

#ifdef QIPR07_SOURCE_DIR
// The material-issue slip's form picture.
inline QByteArray slipForm()
{
    QFile file(QStringLiteral(QIPR07_SOURCE_DIR "/src/qipr07/pictures/slip.svg"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the slip form picture");
    return file.readAll();
}
#endif

} // namespace benchsupport
