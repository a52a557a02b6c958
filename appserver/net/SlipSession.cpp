#include "net/SlipSession.h"

#include "platform/RemoteProtocol.h"

#include <QCryptographicHash>

namespace slip {

namespace remote = kv::remote;
using kv::Variant;

namespace {

Variant textVariant(std::string_view text)
{
    return Variant(std::string(text));
}

// Compares digests in constant time, so the time a refusal takes tells
// nothing about how much of a guessed token was right.
bool sameToken(const std::string &expected, const std::string &given)
{
    const auto digest = [](const std::string &text) {
        return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Sha256);
    };
    const QByteArray a = digest(expected);
    const QByteArray b = digest(given);
    unsigned char difference = 0;
    for (qsizetype index = 0; index < a.size(); ++index)
        difference |= static_cast<unsigned char>(a[index] ^ b[index]);
    return difference == 0;
}

QByteArray okReply(Variant value, Variant reference, std::vector<Variant> changes = {})
{
    return remote::encodeMessage(
        {textVariant(remote::kOk), std::move(value), std::move(reference), kv::varArrayOf(std::move(changes))});
}

} // namespace

SlipSession::SlipSession(std::string accessToken, int maxObjects)
    : m_accessToken(std::move(accessToken)), m_maxObjects(maxObjects)
{
}

SlipSession::~SlipSession() = default;

QByteArray SlipSession::errorReply(const std::string &message)
{
    return remote::encodeMessage({textVariant(remote::kError), Variant(message)});
}

SlipSession::Outcome SlipSession::handle(const QByteArray &payload)
{
    std::vector<Variant> message;
    try {
        message = remote::decodeMessage(payload);
    } catch (const std::exception &error) {
        return {errorReply(std::string("Malformed request: ") + error.what()), true};
    }
    const std::string kind = message.front().toText();
    if (!m_authenticated) {
        if (kind != remote::kHello)
            return {errorReply("The first request must be hello"), true};
        return hello(message);
    }
    if (kind == remote::kRelease) {
        release(message); // never answered: the client does not wait for it
        return {};
    }
    try {
        if (kind == remote::kCreate)
            return {create(message)};
        if (kind == remote::kInvoke)
            return {invoke(message)};
        return {errorReply("Unknown request \"" + kind + "\"")};
    } catch (const std::exception &error) {
        return {errorReply(error.what())};
    } catch (...) {
        return {errorReply("The call failed with an unknown error")};
    }
}

SlipSession::Outcome SlipSession::hello(const std::vector<Variant> &message)
{
    if (message.size() != 3 || !message[1].isText() || message[2].type() != kv::VarType::Int32)
        return {errorReply("Malformed hello"), true};
    if (!sameToken(m_accessToken, message[1].toText()))
        return {errorReply("Access denied: wrong access token"), true};
    if (message[2].toInt() != remote::kProtocolVersion)
        return {errorReply("Protocol version " + std::to_string(message[2].toInt()) + " is not served (" +
                           std::to_string(remote::kProtocolVersion) + " is)"),
                true};
    m_authenticated = true;
    return {okReply(Variant(), Variant())};
}

int SlipSession::adopt(kv::DispatchPtr object)
{
    for (const auto &[id, held] : m_objects) {
        if (held == object)
            return id; // the same object keeps one id
    }
    if (int(m_objects.size()) >= m_maxObjects)
        throw kv::DispatchError("Too many objects on one connection (" + std::to_string(m_maxObjects) + ")");
    const int id = m_nextId++;
    m_objects.emplace(id, std::move(object));
    return id;
}

Variant SlipSession::referenceTo(const Variant &value)
{
    if (!value.isObject())
        return Variant();
    const kv::DispatchPtr object = value.toObject();
    if (!object)
        return Variant();
    const std::string className = object->className();
    return kv::varArrayOf({Variant(adopt(object)), Variant(className)});
}

QByteArray SlipSession::create(const std::vector<Variant> &message)
{
    if (message.size() != 2)
        throw kv::DispatchError("Malformed create request");
    const std::string progId = remote::textAt(message, 1, "a class name");
    return okReply(Variant(), referenceTo(Variant(kv::createOleObject(progId))));
}

QByteArray SlipSession::invoke(const std::vector<Variant> &message)
{
    if (message.size() != 5 || !message[4].isArray() || message[4].array().dimCount() != 1)
        throw kv::DispatchError("Malformed invoke request");
    const int objectId = remote::integerAt(message, 1, "an object id");
    const std::string name = remote::textAt(message, 2, "a member name");
    const kv::InvokeKind kind = remote::kindFromCode(message[3]);
    const auto found = m_objects.find(objectId);
    if (found == m_objects.end())
        throw kv::DispatchError("No object " + std::to_string(objectId) + " on this connection");
    const kv::DispatchPtr object = found->second; // stays alive even if the call releases it

    const std::vector<Variant> before = message[4].array().items();
    std::vector<Variant> args = before;
    const Variant result = object->invoke(name, args, kind);

    // Send back what the call wrote into its arguments, so by-reference
    // arguments behave as they do in-process.
    std::vector<Variant> changes;
    for (std::size_t index = 0; index < args.size(); ++index) {
        const Variant &after = args[index].deref();
        if (after == before[index])
            continue;
        const Variant reference = referenceTo(after);
        changes.push_back(kv::varArrayOf({Variant(int(index)), reference.isEmpty() ? after : Variant(), reference}));
    }
    const Variant reference = referenceTo(result);
    try {
        return okReply(reference.isEmpty() ? result : Variant(), reference, std::move(changes));
    } catch (const kv::CborError &error) {
        throw kv::DispatchError("The reply of " + object->className() + "." + name + " cannot be sent: " + error.what());
    }
}

void SlipSession::release(const std::vector<Variant> &message)
{
    if (message.size() == 2 && message[1].type() == kv::VarType::Int32)
        m_objects.erase(message[1].toInt());
}

} // namespace slip
