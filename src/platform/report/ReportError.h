#pragma once
// kv::ReportError: a fault of a report definition or of one run (an
// expression that does not parse, a field the data set lacks, a page that
// cannot hold its bands, a printer that does not exist). The message names
// the component or text at fault.

#include <stdexcept>
#include <string>

namespace kv {

class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kv
