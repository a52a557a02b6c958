#pragma once
// The program server in this process, for client settings that name the
// loop-back address: the application server's classes are registered once
// per process from the shell's server settings ("MarshalS.ini"), unless
// someone (the host, a test) registered them already, and then created by
// program id like any automation object.

#include "platform/Dispatch.h"

#include <string_view>

namespace kv {

class LocalProgramServer {
public:
    // A new object of the class; DispatchError (or the settings' error) when
    // the class cannot be registered or created.
    static DispatchPtr Create(std::string_view progId);
};

} // namespace kv
