#include "objects/ServerConfig.h"

#include "lib/ShellSettings.h"
#include "platform/TextUtil.h"

#include <charconv>
#include <system_error>

namespace slip {

namespace {

std::string setting(const kv::IniFile &ini, const char *key)
{
    return std::string(kv::trimBlanks(ini.readString(ServerConfig::kSection, key, "")));
}

DbEngine engineNamed(const std::string &name)
{
    const std::string upper = kv::upperAscii(name);
    if (upper.empty() || upper == "SQLITE")
        return DbEngine::SQLite;
    if (upper == "POSTGRES" || upper == "POSTGRESQL")
        return DbEngine::PostgreSQL;
    throw ServerConfigError("[Slipserv] Engine=" + name + " is neither sqlite nor postgres");
}

int numberFrom(const kv::IniFile &ini, const char *key, int fallback, int most)
{
    const std::string text = setting(ini, key);
    if (text.empty())
        return fallback;
    int value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < 1 || value > most)
        throw ServerConfigError("[Slipserv] " + std::string(key) + "=" + text + " is not a number from 1 to " +
                                std::to_string(most));
    return value;
}

} // namespace

ServerConfig ServerConfig::fromIni(const kv::IniFile &ini, const std::string &baseDir)
{
    ServerConfig config;
    config.engine = engineNamed(setting(ini, "Engine"));
    if (config.engine == DbEngine::SQLite) {
        const std::string dir = setting(ini, "DataDir");
        if (dir.empty())
            throw ServerConfigError("[Slipserv] DataDir is not set: the folder of the company database files");
        config.dataDir = kv::resolveDirectory(kv::asDirectory(baseDir), dir);
    } else {
        config.connInfo = setting(ini, "ConnInfo");
        if (config.connInfo.empty())
            throw ServerConfigError("[Slipserv] ConnInfo is not set: the PostgreSQL connection string");
        config.poolSize = numberFrom(ini, "PoolSize", config.poolSize, 1000);
        config.poolWaitSeconds = numberFrom(ini, "PoolWaitSeconds", config.poolWaitSeconds, 3600);
        config.readerConnInfo = setting(ini, "ReaderConnInfo");
    }
    config.download = DownloadSite::fromIni(ini, baseDir);
    return config;
}

ServerConfig ServerConfig::load(const std::string &iniPath)
{
    const kv::IniFile ini = kv::IniFile::load(iniPath);
    if (!ini.exists())
        throw ServerConfigError("Settings file " + iniPath + " cannot be read");
    const std::filesystem::path folder = std::filesystem::absolute(iniPath).parent_path();
    return fromIni(ini, folder.string());
}

ServerConfig ServerConfig::sqlite(std::filesystem::path dataDir)
{
    ServerConfig config;
    config.dataDir = std::move(dataDir);
    return config;
}

ServerConfig ServerConfig::postgres(std::string connInfo, int poolSize)
{
    ServerConfig config;
    config.engine = DbEngine::PostgreSQL;
    config.connInfo = std::move(connInfo);
    config.poolSize = poolSize;
    return config;
}

std::shared_ptr<Database> ServerConfig::openDatabase() const
{
    if (engine == DbEngine::PostgreSQL)
        return Database::openPostgres(connInfo, poolSize, std::chrono::seconds(poolWaitSeconds));
    std::error_code error;
    std::filesystem::create_directories(dataDir, error);
    if (error)
        throw ServerConfigError("Data folder " + dataDir.string() + " cannot be created: " + error.message());
    return Database::openSqlite(dataDir);
}

} // namespace slip
