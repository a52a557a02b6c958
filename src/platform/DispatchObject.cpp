#include "platform/DispatchObject.h"

namespace kv {

namespace {

std::string countText(int count)
{
    return std::to_string(count) + (count == 1 ? " argument" : " arguments");
}

std::string expectedCountText(int minArgs, int maxArgs)
{
    if (maxArgs == DispatchObject::kUnlimited)
        return "at least " + countText(minArgs);
    if (minArgs == maxArgs)
        return countText(minArgs);
    return std::to_string(minArgs) + " to " + countText(maxArgs);
}

} // namespace

DispatchObject::DispatchObject(std::string className) : m_className(std::move(className)) {}

bool DispatchObject::hasMember(std::string_view name) const
{
    return m_members.count(foldDispatchName(name)) != 0;
}

void DispatchObject::addMethod(std::string name, int minArgs, int maxArgs, Method method)
{
    if (!method)
        throw DispatchError("Method " + name + " of " + m_className + " has no body");
    if (minArgs < 0 || (maxArgs != kUnlimited && maxArgs < minArgs))
        throw DispatchError("Method " + name + " of " + m_className + " has an invalid argument range");
    Member member;
    member.name = std::move(name);
    member.isMethod = true;
    member.minArgs = minArgs;
    member.maxArgs = maxArgs;
    member.method = std::move(method);
    addMember(std::move(member));
}

void DispatchObject::addProperty(std::string name, Getter getter, Setter setter)
{
    if (!getter && !setter)
        throw DispatchError("Property " + name + " of " + m_className + " can be neither read nor written");
    Member member;
    member.name = std::move(name);
    member.getter = std::move(getter);
    member.setter = std::move(setter);
    addMember(std::move(member));
}

void DispatchObject::addMember(Member member)
{
    const std::string key = foldDispatchName(member.name);
    if (key.empty())
        throw DispatchError("A member of " + m_className + " needs a name");
    if (m_members.count(key))
        throw DispatchError("Name \"" + member.name + "\" of " + m_className + " is registered twice");
    m_members.emplace(key, std::move(member));
}

const DispatchObject::Member &DispatchObject::find(std::string_view name) const
{
    const auto found = m_members.find(foldDispatchName(name));
    if (found == m_members.end())
        throw DispatchError("Unknown name \"" + std::string(name) + "\" of " + m_className);
    return found->second;
}

std::string DispatchObject::memberText(const Member &member) const
{
    return m_className + "." + member.name;
}

Variant DispatchObject::invoke(std::string_view name, std::vector<Variant> &args, InvokeKind kind)
{
    const Member &member = find(name);
    try {
        switch (kind) {
        case InvokeKind::PropertyPut:
            writeProperty(member, args);
            return Variant();
        case InvokeKind::Method:
        case InvokeKind::PropertyGet:
            return member.isMethod ? callMethod(member, args) : readProperty(member, args);
        }
    } catch (const DispatchError &) {
        throw;
    } catch (const std::exception &error) {
        // A bad argument value (a failed cast) or a failure inside the
        // operation: the caller learns which operation failed and why.
        throw DispatchError(memberText(member) + ": " + error.what());
    }
    throw DispatchError(memberText(member) + ": invalid kind of call");
}

Variant DispatchObject::callMethod(const Member &member, std::vector<Variant> &args) const
{
    const int given = static_cast<int>(args.size());
    if (given < member.minArgs || (member.maxArgs != kUnlimited && given > member.maxArgs))
        throw DispatchError("Invalid number of parameters: " + memberText(member) + " takes " +
                            expectedCountText(member.minArgs, member.maxArgs) + ", " +
                            std::to_string(given) + " given");
    return member.method(args);
}

Variant DispatchObject::readProperty(const Member &member, const std::vector<Variant> &args) const
{
    if (!member.getter)
        throw DispatchError("Property " + memberText(member) + " is write-only");
    if (!args.empty())
        throw DispatchError("Property " + memberText(member) + " takes no index, " +
                            std::to_string(args.size()) + " given");
    return member.getter();
}

void DispatchObject::writeProperty(const Member &member, const std::vector<Variant> &args) const
{
    if (member.isMethod)
        throw DispatchError(memberText(member) + " is a method and cannot be assigned");
    if (!member.setter)
        throw DispatchError("Property " + memberText(member) + " is read-only");
    if (args.size() != 1)
        throw DispatchError("Property " + memberText(member) + " is assigned one value, " +
                            std::to_string(args.size()) + " given");
    member.setter(args.front().deref());
}

} // namespace kv
