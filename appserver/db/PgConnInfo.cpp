#include "db/PgConnInfo.h"

#include "db/DatabaseError.h"

#include <QSqlDatabase>

#include <cctype>
#include <charconv>

namespace slip {
namespace {

bool isSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::size_t skipSpaces(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    return pos;
}

[[noreturn]] void fail(const std::string &why)
{
    throw DatabaseError("PostgreSQL connection string: " + why);
}

// A value in single quotes, where a backslash escapes the next character.
std::size_t readQuoted(std::string_view text, std::size_t pos, std::string &value)
{
    for (++pos; pos < text.size(); ++pos) {
        if (text[pos] == '\'')
            return pos + 1;
        if (text[pos] == '\\' && pos + 1 < text.size())
            ++pos;
        value += text[pos];
    }
    fail("unterminated quoted value");
}

std::size_t readPlain(std::string_view text, std::size_t pos, std::string &value)
{
    for (; pos < text.size() && !isSpace(text[pos]); ++pos) {
        if (text[pos] == '\\' && pos + 1 < text.size())
            ++pos;
        value += text[pos];
    }
    return pos;
}

} // namespace

PgConnInfo::PgConnInfo(std::string_view conninfo)
{
    std::size_t pos = skipSpaces(conninfo, 0);
    while (pos < conninfo.size()) {
        const std::size_t keyStart = pos;
        while (pos < conninfo.size() && conninfo[pos] != '=' && !isSpace(conninfo[pos]))
            ++pos;
        const std::string key(conninfo.substr(keyStart, pos - keyStart));
        pos = skipSpaces(conninfo, pos);
        if (key.empty() || pos >= conninfo.size() || conninfo[pos] != '=')
            fail("expected key=value near \"" + std::string(conninfo.substr(keyStart, 20)) + "\"");
        pos = skipSpaces(conninfo, pos + 1);
        std::string value;
        pos = pos < conninfo.size() && conninfo[pos] == '\'' ? readQuoted(conninfo, pos, value)
                                                             : readPlain(conninfo, pos, value);
        m_values[key] = value;
        pos = skipSpaces(conninfo, pos);
    }
    if (m_values.empty())
        fail("empty");
}

std::string PgConnInfo::value(const std::string &key, const std::string &fallback) const
{
    const auto found = m_values.find(key);
    return found == m_values.end() ? fallback : found->second;
}

int PgConnInfo::port() const
{
    const std::string text = value("port", "5432");
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port <= 0 || port > 65535)
        fail("bad port \"" + text + "\"");
    return port;
}

std::string PgConnInfo::otherOptions() const
{
    static const char *const known[] = {"host", "hostaddr", "port", "dbname", "user", "password"};
    std::string options;
    for (const auto &[key, value] : m_values) {
        bool isKnown = false;
        for (const char *name : known)
            isKnown = isKnown || key == name;
        if (isKnown)
            continue;
        if (!options.empty())
            options += ';';
        options += key + "=" + value;
    }
    return options;
}

void PgConnInfo::applyTo(QSqlDatabase &db) const
{
    db.setHostName(QString::fromStdString(host()));
    db.setPort(port());
    db.setDatabaseName(QString::fromStdString(database()));
    db.setUserName(QString::fromStdString(user()));
    db.setPassword(QString::fromStdString(password()));
    db.setConnectOptions(QString::fromStdString(otherOptions()));
}

} // namespace slip
