#include "platform/RemoteProtocol.h"

namespace kv::remote {

QByteArray encodeMessage(std::vector<Variant> items)
{
    return encodeVariant(varArrayOf(std::move(items)));
}

std::vector<Variant> decodeMessage(const QByteArray &payload, const CborLimits &limits)
{
    const Variant message = decodeVariant(payload, limits);
    if (!message.isArray() || message.array().dimCount() != 1 || message.array().lowBound() != 0)
        throw CborError("A message must be a zero-based list");
    const std::vector<Variant> &items = message.array().items();
    if (items.empty() || !items.front().isText())
        throw CborError("A message must start with its kind");
    return items;
}

int kindCode(InvokeKind kind)
{
    switch (kind) {
    case InvokeKind::Method: return 0;
    case InvokeKind::PropertyGet: return 1;
    case InvokeKind::PropertyPut: return 2;
    }
    return -1;
}

InvokeKind kindFromCode(const Variant &code)
{
    if (code.type() == VarType::Int32) {
        switch (code.toInt()) {
        case 0: return InvokeKind::Method;
        case 1: return InvokeKind::PropertyGet;
        case 2: return InvokeKind::PropertyPut;
        default: break;
        }
    }
    throw DispatchError("Unknown kind of call " + code.debugText());
}

int integerAt(const std::vector<Variant> &message, std::size_t index, const char *what)
{
    if (index >= message.size() || message[index].type() != VarType::Int32)
        throw DispatchError(std::string("The message lacks ") + what);
    return message[index].toInt();
}

std::string textAt(const std::vector<Variant> &message, std::size_t index, const char *what)
{
    if (index >= message.size() || !message[index].isText())
        throw DispatchError(std::string("The message lacks ") + what);
    return message[index].toText();
}

} // namespace kv::remote
