#pragma once
// kv::RemoteDispatch: an automation object that lives in slipserv, seen
// through a RemoteConnection. invoke() sends the call and returns the result;
// arguments the server changed are written back into the caller's vector
// (through Variant::ref arguments as in-process), and objects returned by the
// server come back as further RemoteDispatch objects. Dropping the last
// reference releases the server's object.

#include "platform/Dispatch.h"

#include <memory>
#include <string>

namespace kv {

class RemoteConnection;

class RemoteDispatch : public Dispatch {
public:
    RemoteDispatch(std::shared_ptr<RemoteConnection> connection, int objectId, std::string className);
    ~RemoteDispatch() override;
    RemoteDispatch(const RemoteDispatch &) = delete;
    RemoteDispatch &operator=(const RemoteDispatch &) = delete;

    std::string className() const override { return m_className; }
    Variant invoke(std::string_view name, std::vector<Variant> &args, InvokeKind kind) override;

    int objectId() const { return m_objectId; }
    const std::shared_ptr<RemoteConnection> &connection() const { return m_connection; }

private:
    std::shared_ptr<RemoteConnection> m_connection;
    int m_objectId;
    std::string m_className;
};

} // namespace kv
