#include "platform/RemoteConnection.h"

#include "platform/RemoteDispatch.h"
#include "platform/RemoteProtocol.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QThread>

#include <iterator>

namespace kv {

namespace {

QDeadlineTimer deadlineFor(int timeoutMs)
{
    return timeoutMs > 0 ? QDeadlineTimer(timeoutMs) : QDeadlineTimer(QDeadlineTimer::Forever);
}

Variant textVariant(std::string_view text)
{
    return Variant(std::string(text));
}

} // namespace

RemoteConnection::RemoteConnection(const RemoteConnectionOptions &options)
    : m_options(options), m_reader(options.maxReplyBytes)
{
}

RemoteConnection::~RemoteConnection()
{
    close();
}

std::string RemoteConnection::where() const
{
    return "slipserv " + m_options.host + ":" + std::to_string(m_options.port);
}

std::shared_ptr<RemoteConnection> RemoteConnection::open(const RemoteConnectionOptions &options)
{
    std::shared_ptr<RemoteConnection> connection;
    try {
        connection.reset(new RemoteConnection(options));
    } catch (const CborError &error) {
        throw DispatchError(error.what());
    }
    connection->connectSocket();
    try {
        connection->request({textVariant(remote::kHello), Variant(options.token), Variant(remote::kProtocolVersion)});
    } catch (const DispatchError &error) {
        // The server closes a connection it refuses; say who refused it.
        if (connection->m_broken.empty())
            connection->breakWith(error.what());
        throw;
    }
    return connection;
}

void RemoteConnection::connectSocket()
{
    if (m_options.port <= 0 || m_options.port > 65535)
        throw DispatchError(where() + ": invalid port");
    m_socket = std::make_unique<QTcpSocket>();
    m_socket->connectToHost(QString::fromStdString(m_options.host), quint16(m_options.port));
    if (!m_socket->waitForConnected(m_options.connectTimeoutMs))
        breakWith("cannot connect: " + m_socket->errorString().toStdString());
}

bool RemoteConnection::isOpen() const
{
    return m_broken.empty() && m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void RemoteConnection::close()
{
    if (!m_socket || m_socket->thread() != QThread::currentThread())
        return;
    if (m_broken.empty())
        m_broken = where() + ": the connection is closed";
    m_socket->disconnectFromHost();
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->waitForDisconnected(m_options.connectTimeoutMs);
}

[[noreturn]] void RemoteConnection::breakWith(const std::string &cause)
{
    m_broken = where() + ": " + cause;
    if (m_socket)
        m_socket->abort();
    throw DispatchError(m_broken);
}

void RemoteConnection::send(const std::vector<Variant> &message)
{
    QByteArray frame;
    try {
        frame = encodeFrame(remote::encodeMessage(message));
    } catch (const CborError &error) {
        throw DispatchError(std::string("Cannot send the call: ") + error.what()); // nothing went out
    }
    if (m_socket->write(frame) != frame.size())
        breakWith("cannot send: " + m_socket->errorString().toStdString());
    const QDeadlineTimer deadline = deadlineFor(m_options.callTimeoutMs);
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(int(deadline.remainingTime())))
            breakWith("cannot send: " + m_socket->errorString().toStdString());
    }
}

QByteArray RemoteConnection::receive()
{
    const QDeadlineTimer deadline = deadlineFor(m_options.callTimeoutMs);
    for (;;) {
        try {
            if (std::optional<QByteArray> payload = m_reader.next())
                return *payload;
            if (m_socket->bytesAvailable() > 0) {
                m_reader.append(m_socket->readAll());
                continue;
            }
        } catch (const CborError &error) {
            breakWith(error.what());
        }
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            breakWith("the server closed the connection");
        if (m_socket->waitForReadyRead(int(deadline.remainingTime())) || m_socket->bytesAvailable() > 0)
            continue;
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            breakWith("the server closed the connection");
        if (deadline.hasExpired())
            breakWith("no reply within " + std::to_string(m_options.callTimeoutMs) + " ms");
        if (m_socket->error() != QAbstractSocket::SocketTimeoutError)
            breakWith(m_socket->errorString().toStdString());
    }
}

std::vector<Variant> RemoteConnection::request(std::vector<Variant> message)
{
    if (!m_broken.empty())
        throw DispatchError(m_broken);
    send(message);
    std::vector<Variant> reply;
    try {
        reply = remote::decodeMessage(receive());
    } catch (const CborError &error) {
        breakWith(std::string("unreadable reply: ") + error.what());
    }
    const std::string kind = reply.front().toText();
    if (kind == remote::kError)
        throw DispatchError(remote::textAt(reply, 1, "an error message"));
    if (kind != remote::kOk || reply.size() != 4)
        breakWith("unexpected reply \"" + kind + "\"");
    // Moved, not copied: a reply may carry a data packet of many megabytes.
    return std::vector<Variant>(std::make_move_iterator(reply.begin() + 1), std::make_move_iterator(reply.end()));
}

// A value of a reply, or the object its reference names.
Variant RemoteConnection::objectFrom(const Variant &reference)
{
    const bool wellFormed = reference.isArray() && reference.array().dimCount() == 1 &&
                            reference.array().elementCount() == 2;
    const std::vector<Variant> parts = wellFormed ? reference.array().items() : std::vector<Variant>{};
    if (!wellFormed || parts[0].type() != VarType::Int32 || !parts[1].isText())
        breakWith("malformed object reference " + reference.debugText());
    return Variant(DispatchPtr(std::make_shared<RemoteDispatch>(shared_from_this(), parts[0].toInt(), parts[1].toText())));
}

DispatchPtr RemoteConnection::createObject(std::string_view progId)
{
    const std::vector<Variant> reply = request({textVariant(remote::kCreate), textVariant(progId)});
    return objectFrom(reply[1]).toObject();
}

Variant RemoteConnection::invoke(int objectId, std::string_view name, std::vector<Variant> &args, InvokeKind kind)
{
    std::vector<Variant> values;
    for (std::size_t index = 0; index < args.size(); ++index) {
        const Variant &value = args[index].deref();
        if (value.isObject())
            throw DispatchError("Argument " + std::to_string(index + 1) + " of " + std::string(name) +
                                ": an automation object cannot be passed to " + where());
        values.push_back(value);
    }
    std::vector<Variant> reply = request({textVariant(remote::kInvoke), Variant(objectId), textVariant(name),
                                          Variant(remote::kindCode(kind)), varArrayOf(std::move(values))});
    const auto valueOf = [this](const Variant &value, const Variant &reference) {
        return reference.isEmpty() ? value : objectFrom(reference);
    };
    if (!reply[2].isArray() || reply[2].array().dimCount() != 1)
        breakWith("malformed list of changed arguments");
    for (const Variant &change : reply[2].array().items()) {
        if (!change.isArray() || change.array().dimCount() != 1 || change.array().elementCount() != 3)
            breakWith("malformed changed argument " + change.debugText());
        const std::vector<Variant> &parts = change.array().items();
        if (parts[0].type() != VarType::Int32 || parts[0].toInt() < 0 || std::size_t(parts[0].toInt()) >= args.size())
            breakWith("changed argument " + parts[0].debugText() + " does not exist");
        args[std::size_t(parts[0].toInt())].assign(valueOf(parts[1], parts[2]));
    }
    return reply[1].isEmpty() ? std::move(reply[0]) : objectFrom(reply[1]);
}

void RemoteConnection::release(int objectId) noexcept
{
    // Only the owning thread may touch the socket; objects of a connection
    // are dropped by the server when the connection ends anyway.
    if (!isOpen() || m_socket->thread() != QThread::currentThread())
        return;
    try {
        m_socket->write(encodeFrame(remote::encodeMessage({textVariant(remote::kRelease), Variant(objectId)})));
        m_socket->flush();
    } catch (...) {
    }
}

} // namespace kv
