#pragma once
// Base of the automation objects written in this code base (server objects,
// host objects, the mail object): a subclass registers its methods and
// properties by name in its constructor, and invoke() dispatches to them with
// the name compared without case and the argument count checked, so that
// every object reports misuse with the same clear errors.
//
// Methods receive the argument vector itself; an argument the caller passed
// with Variant::ref (or any argument, read back by the caller after the call)
// is written with args[i].assign(value).
//
// As in OLE late binding, where "obj.Name" may be a method or a property,
// a method may be invoked as a property read and a property read as a method
// without arguments. Writing is only allowed on properties with a setter.

#include "platform/Dispatch.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class DispatchObject : public Dispatch {
public:
    using Method = std::function<Variant(std::vector<Variant> &args)>;
    using Getter = std::function<Variant()>;
    using Setter = std::function<void(const Variant &value)>;

    // maxArgs for a method that takes any number of further arguments.
    static constexpr int kUnlimited = -1;

    explicit DispatchObject(std::string className);

    std::string className() const override { return m_className; }
    Variant invoke(std::string_view name, std::vector<Variant> &args, InvokeKind kind) override;

    // Whether the object has a method or property of that name (case ignored).
    bool hasMember(std::string_view name) const;

protected:
    void addMethod(std::string name, int minArgs, int maxArgs, Method method);
    // A read-only property has no setter; a write-only one has no getter.
    void addProperty(std::string name, Getter getter, Setter setter = {});

private:
    struct Member {
        std::string name; // as registered, for messages
        bool isMethod = false;
        int minArgs = 0;
        int maxArgs = 0;
        Method method;
        Getter getter;
        Setter setter;
    };

    void addMember(Member member);
    const Member &find(std::string_view name) const;
    Variant callMethod(const Member &member, std::vector<Variant> &args) const;
    Variant readProperty(const Member &member, const std::vector<Variant> &args) const;
    void writeProperty(const Member &member, const std::vector<Variant> &args) const;
    std::string memberText(const Member &member) const;

    std::string m_className;
    std::map<std::string, Member> m_members; // keyed by folded name
};

} // namespace kv
