#pragma once
// A mail that cannot be sent: settings missing, a file that cannot be read,
// or the server's refusal (what() carries the server's reply).

#include <stdexcept>

namespace kvmail {

class MailError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kvmail
