#pragma once
// Connection strings as the application server hands them to a client that
// opens a data source itself: Key=Value pairs separated by ";", keys compared
// without case. A value holding ";", "{", "}" or blanks at either end is
// written in braces with every "}" doubled ("Password={a;b}").

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kv {

class ConnectionString {
public:
    using Pairs = std::vector<std::pair<std::string, std::string>>;

    static std::string format(const Pairs &pairs);
    // Keys in upper case. Throws std::invalid_argument for a pair without "="
    // or an unclosed brace.
    static std::map<std::string, std::string> parse(std::string_view text);
};

} // namespace kv
