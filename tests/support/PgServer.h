#pragma once
// The PostgreSQL server of a test run: scripts/test starts one and names it
// in QIPR07_PG_CONNINFO (libpq's key=value form); without it the
// PostgreSQL cases skip.

#include <cstdlib>

namespace kvtest {

// The server's connection string, or null when the run has none.
inline const char *pgConnInfo()
{
    const char *conninfo = std::getenv("QIPR07_PG_CONNINFO");
    return conninfo && *conninfo ? conninfo : nullptr;
}

} // namespace kvtest
