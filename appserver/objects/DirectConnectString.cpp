#include "objects/DirectConnectString.h"

#include "db/PgConnInfo.h"
#include "db/SqliteDatabase.h"
#include "objects/ReadOnlyRole.h"
#include "objects/ServerConfig.h"
#include "platform/TextUtil.h"
#include "schema/SchemaDdl.h"

namespace slip {

namespace {

std::string pgSchema(const std::string &companyDb)
{
    std::string name = SchemaDdl::companyNamespace(DbEngine::PostgreSQL, companyDb);
    // The namespace comes quoted for SQL text; the client wants the bare name.
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name;
}

bool needsBraces(const std::string &value)
{
    if (value.find_first_of(";{}") != std::string::npos)
        return true;
    return !value.empty() && (value.front() == ' ' || value.back() == ' ');
}

} // namespace

std::string DirectConnectString::forCompany(Database &database, const ServerConfig &config,
                                            const std::string &companyDb)
{
    if (const auto *sqlite = dynamic_cast<const SqliteDatabase *>(&database)) {
        // The file is on the server's machine: only a client in the same
        // process can open it.
        if (config.remoteClients)
            return throughServer(companyDb);
        return format({{"Driver", "QSQLITE"},
                       {"Database", sqlite->companyFile(companyDb).string()},
                       {"CompanyDB", companyDb}});
    }
    // The server's own credentials can write: without a read-only role the
    // client reads through the server.
    if (config.readerConnInfo.empty())
        return throughServer(companyDb);
    ReadOnlyRole reader(database, config.readerConnInfo);
    reader.prepare(companyDb);
    const PgConnInfo &info = reader.connInfo();
    return format({{"Driver", "QPSQL"},
                   {"Host", info.host()},
                   {"Port", std::to_string(info.port())},
                   {"Database", info.database()},
                   {"User", info.user()},
                   {"Password", info.password()},
                   {"Options", info.otherOptions()},
                   {"CompanyDB", companyDb},
                   {"Schema", pgSchema(companyDb)}});
}

std::string DirectConnectString::throughServer(const std::string &companyDb)
{
    return format({{"Driver", kServerDriver}, {"Provider", kServerProvider}, {"CompanyDB", companyDb}});
}

std::string DirectConnectString::quoted(const std::string &value)
{
    if (!needsBraces(value))
        return value;
    std::string text = "{";
    for (char c : value) {
        text += c;
        if (c == '}')
            text += '}';
    }
    return text + "}";
}

std::string DirectConnectString::format(const Pairs &pairs)
{
    std::string text;
    for (const auto &[key, value] : pairs) {
        if (!text.empty())
            text += ';';
        text += key + "=" + quoted(value);
    }
    return text;
}

std::map<std::string, std::string> DirectConnectString::parse(std::string_view text)
{
    std::map<std::string, std::string> pairs;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t equals = text.find('=', pos);
        const std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals))
            throw std::invalid_argument("connection string: \"" + std::string(text.substr(pos)) + "\" has no \"=\"");
        const std::string key = kv::upperAscii(kv::trimBlanks(text.substr(pos, equals - pos)));
        pos = equals + 1;
        std::string value;
        if (pos < text.size() && text[pos] == '{') {
            ++pos;
            for (;;) {
                if (pos >= text.size())
                    throw std::invalid_argument("connection string: the value of " + key + " has no closing brace");
                if (text[pos] == '}' && !(pos + 1 < text.size() && text[pos + 1] == '}'))
                    break;
                value += text[pos];
                pos += text[pos] == '}' ? 2 : 1;
            }
            ++pos; // the closing brace
            if (pos < text.size() && text[pos] != ';')
                throw std::invalid_argument("connection string: text after the braced value of " + key);
        } else {
            const std::size_t end = text.find(';', pos);
            value = std::string(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
            pos = end == std::string_view::npos ? text.size() : end;
        }
        pairs[key] = value;
        if (pos < text.size())
            ++pos; // the ";"
    }
    return pairs;
}

} // namespace slip
