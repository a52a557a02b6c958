#pragma once
// kv::EventHandler: the value of a component's event property (OnClick,
// OnChange, ...). Components publish their events as
//   Q_PROPERTY(kv::EventHandler OnClick READ onClick WRITE setOnClick)
// so that handlers can be read, bound and cleared by name like any other
// property, which the designer and stored layouts rely on. A handler may
// carry the name of the method it stands for, so that a stored layout can
// write the binding out and bind it again when read.

#include <QMetaType>
#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace kv {

// Arguments of an event beyond its sender. Events with arguments (keys,
// "may close") derive from it; handlers that need them cast. A plain
// notification passes the base.
class EventArgs {
public:
    virtual ~EventArgs() = default;
};

class EventHandler {
public:
    using Function = std::function<void(QObject *sender, EventArgs &args)>;

    EventHandler() = default;
    EventHandler(Function function, std::string methodName = {})
        : m_function(function ? std::make_shared<const Function>(std::move(function)) : nullptr),
          m_methodName(std::move(methodName))
    {
    }

    bool isEmpty() const { return !m_function; }
    explicit operator bool() const { return !isEmpty(); }
    // The name of the bound method; empty for an anonymous handler.
    const std::string &methodName() const { return m_methodName; }

    // Calls the handler; an empty handler does nothing.
    void operator()(QObject *sender, EventArgs &args) const
    {
        if (m_function)
            (*m_function)(sender, args);
    }
    void operator()(QObject *sender) const
    {
        EventArgs args;
        (*this)(sender, args);
    }

    // Copies of one binding are equal; two bindings of the same code are not,
    // as functions cannot be compared. Property writes use this to notice
    // that nothing changed.
    bool operator==(const EventHandler &other) const
    {
        return m_function == other.m_function && m_methodName == other.m_methodName;
    }

private:
    std::shared_ptr<const Function> m_function;
    std::string m_methodName;
};

} // namespace kv

Q_DECLARE_METATYPE(kv::EventHandler)
