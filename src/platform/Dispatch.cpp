#include "platform/Dispatch.h"

#include <QString>

#include <map>
#include <mutex>

namespace kv {

namespace {

struct ClassTable {
    std::mutex mutex;
    std::map<std::string, DispatchFactory> factories; // keyed by folded program id
};

ClassTable &classTable()
{
    static ClassTable table;
    return table;
}

} // namespace

std::string foldDispatchName(std::string_view name)
{
    return QString::fromUtf8(name.data(), qsizetype(name.size())).toCaseFolded().toStdString();
}

// ---------------------------------------------------------------------------
// Dispatch conveniences

Variant Dispatch::call(std::string_view name, std::vector<Variant> args)
{
    return invoke(name, args, InvokeKind::Method);
}

Variant Dispatch::get(std::string_view name)
{
    std::vector<Variant> args;
    return invoke(name, args, InvokeKind::PropertyGet);
}

void Dispatch::put(std::string_view name, const Variant &value)
{
    std::vector<Variant> args{value};
    invoke(name, args, InvokeKind::PropertyPut);
}

// ---------------------------------------------------------------------------
// Class registry

void OleClassRegistry::registerClass(std::string progId, DispatchFactory factory)
{
    if (progId.empty())
        throw DispatchError("Cannot register an automation class without a class string");
    if (!factory)
        throw DispatchError("Cannot register " + progId + " without a factory");
    ClassTable &table = classTable();
    std::lock_guard lock(table.mutex);
    table.factories[foldDispatchName(progId)] = std::move(factory);
}

void OleClassRegistry::unregisterClass(std::string_view progId)
{
    ClassTable &table = classTable();
    std::lock_guard lock(table.mutex);
    table.factories.erase(foldDispatchName(progId));
}

bool OleClassRegistry::isRegistered(std::string_view progId)
{
    ClassTable &table = classTable();
    std::lock_guard lock(table.mutex);
    return table.factories.count(foldDispatchName(progId)) != 0;
}

DispatchPtr createOleObject(std::string_view progId)
{
    DispatchFactory factory;
    {
        ClassTable &table = classTable();
        std::lock_guard lock(table.mutex);
        const auto found = table.factories.find(foldDispatchName(progId));
        if (found != table.factories.end())
            factory = found->second;
    }
    // The factory runs outside the lock: a class may create or register
    // other classes while it is built.
    if (!factory)
        throw DispatchError("Invalid class string: " + std::string(progId));
    DispatchPtr object;
    try {
        object = factory();
    } catch (const DispatchError &) {
        throw;
    } catch (const std::exception &error) {
        throw DispatchError("Could not create " + std::string(progId) + ": " + error.what());
    }
    if (!object)
        throw DispatchError("Could not create " + std::string(progId) + ": the class yielded no object");
    return object;
}

} // namespace kv
