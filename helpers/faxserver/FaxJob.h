#pragma once
// One fax as the clerk sends it: receiver, number, sender and its page files.

#include <stdexcept>
#include <string>
#include <vector>

namespace kvfax {

struct FaxJob {
    std::string receiver;
    std::string number;
    std::string sender;
    std::vector<std::string> files; // page pictures in page order
};

// A job that cannot be handed on; what() says why.
class FaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kvfax
