#include "platform/RemoteDispatch.h"

#include "platform/RemoteConnection.h"

namespace kv {

RemoteDispatch::RemoteDispatch(std::shared_ptr<RemoteConnection> connection, int objectId, std::string className)
    : m_connection(std::move(connection)), m_objectId(objectId), m_className(std::move(className))
{
}

RemoteDispatch::~RemoteDispatch()
{
    m_connection->release(m_objectId);
}

Variant RemoteDispatch::invoke(std::string_view name, std::vector<Variant> &args, InvokeKind kind)
{
    return m_connection->invoke(m_objectId, name, args, kind);
}

} // namespace kv
