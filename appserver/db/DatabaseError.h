#pragma once

#include <stdexcept>

namespace slip {

// A database operation failed: the engine refused a statement, a connection
// could not be made, a company database is missing, or a value does not fit
// the column it is read into. The message names the cause and, for
// statements, the start of the SQL text.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace slip
