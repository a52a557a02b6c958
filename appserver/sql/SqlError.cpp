#include "sql/SqlError.h"

namespace slip {

namespace {

std::string describe(std::size_t position, const std::string &token, const std::string &what)
{
    std::string text = "SQL error at position " + std::to_string(position + 1);
    text += token.empty() ? std::string(" (end of statement)") : " near '" + token + "'";
    return text + ": " + what;
}

} // namespace

SqlError::SqlError(std::size_t position, std::string token, const std::string &what)
    : std::runtime_error(describe(position, token, what)), m_position(position),
      m_token(std::move(token))
{
}

} // namespace slip
