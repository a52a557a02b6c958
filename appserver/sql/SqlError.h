#pragma once
// The one error the SQL translator raises. A statement it does not fully
// understand is refused rather than passed on half-translated, and the error
// says where: the byte position (from 1) in the statement and the token found
// there, so the author of the statement can find the spot.

#include <cstddef>
#include <stdexcept>
#include <string>

namespace slip {

class SqlError : public std::runtime_error {
public:
    // position counts bytes from 0; the message shows it from 1.
    SqlError(std::size_t position, std::string token, const std::string &what);

    std::size_t position() const { return m_position; }
    const std::string &token() const { return m_token; }

private:
    std::size_t m_position;
    std::string m_token;
};

} // namespace slip
