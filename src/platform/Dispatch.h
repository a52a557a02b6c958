#pragma once
// Late-bound automation objects. Every server object, host object and helper
// object the module talks to by name is a Dispatch: methods are called and
// properties read or written by name (case ignored), with variant arguments.
// Arguments are passed by reference so that a callee can write results back
// into an argument made with Variant::ref.

#include "platform/Variant.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

enum class InvokeKind { Method, PropertyGet, PropertyPut };

// Raised for a name the object does not know, a wrong argument count, or a
// failure inside the called operation (the message says which).
class DispatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Dispatch : public std::enable_shared_from_this<Dispatch> {
public:
    virtual ~Dispatch() = default;

    // The automation class name, for messages ("QIPR07S.Class1").
    virtual std::string className() const = 0;

    // Calls a method, reads a property (args are its indexes) or writes one
    // (the last argument is the new value).
    virtual Variant invoke(std::string_view name, std::vector<Variant> &args, InvokeKind kind) = 0;

    // Conveniences over invoke().
    Variant call(std::string_view name, std::vector<Variant> args = {});
    Variant get(std::string_view name);
    void put(std::string_view name, const Variant &value);
};

using DispatchFactory = std::function<DispatchPtr()>;

// The class registry behind createOleObject: slipserv, the host and the
// helper libraries register their automation classes here by program id.
// Program ids are compared without case; registering an id again replaces
// the earlier factory. Safe to use from several threads.
class OleClassRegistry {
public:
    static void registerClass(std::string progId, DispatchFactory factory);
    static void unregisterClass(std::string_view progId);
    static bool isRegistered(std::string_view progId);
};

// CreateOleObject: a new instance of the registered class; DispatchError
// ("Invalid class string ...") when no class of that id is registered.
DispatchPtr createOleObject(std::string_view progId);

// The form under which automation names and program ids are compared: case
// is ignored, for non-ASCII letters as well.
std::string foldDispatchName(std::string_view name);

} // namespace kv
