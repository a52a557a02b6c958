#include "net/DownloadHttpServer.h"

#include "net/SlipServerConfig.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

namespace slip {

namespace {

constexpr qsizetype kMaxHead = 8 * 1024;
constexpr int kHeadTimeoutMs = 10 * 1000;
constexpr qint64 kPiece = 64 * 1024;

struct Request {
    QByteArray method;
    QByteArray target;
    QByteArray range;
};

std::optional<Request> parseHead(const QByteArray &head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> words = lines.value(0).trimmed().split(' ');
    if (words.size() != 3 || !words[2].startsWith("HTTP/1."))
        return std::nullopt;
    Request request{words[0], words[1], {}};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "range")
            request.range = line.mid(colon + 1).trimmed();
    }
    return request;
}

// The published file a request target names, empty when it names none.
std::filesystem::path fileOf(const std::filesystem::path &directory, const QByteArray &target)
{
    if (!target.startsWith('/'))
        return {};
    const QString name = QUrl::fromPercentEncoding(target.mid(1));
    if (name.isEmpty() || name.startsWith('.') || name.contains('/') || name.contains('\\') ||
        name.contains(QChar(0)) || name.contains('?'))
        return {};
    std::error_code error;
    const std::filesystem::path file = directory / name.toStdString();
    const std::filesystem::path real = std::filesystem::canonical(file, error);
    if (error || real.parent_path() != std::filesystem::canonical(directory, error) || error ||
        !std::filesystem::is_regular_file(real, error))
        return {};
    return real;
}

// "bytes=N-" or "bytes=N-M" within size; first > last when unusable.
std::pair<qint64, qint64> rangeOf(const QByteArray &range, qint64 size)
{
    if (!range.startsWith("bytes=") || range.contains(','))
        return {1, 0};
    const QList<QByteArray> bounds = range.mid(6).split('-');
    bool firstOk = false;
    const qint64 first = bounds.value(0).toLongLong(&firstOk);
    if (bounds.size() != 2 || !firstOk || first < 0 || first >= size)
        return {1, 0};
    if (bounds[1].isEmpty())
        return {first, size - 1};
    bool lastOk = false;
    const qint64 last = bounds[1].toLongLong(&lastOk);
    if (!lastOk || last < first)
        return {1, 0};
    return {first, std::min(last, size - 1)};
}

// One connection: reads the request head, answers, closes.
class DownloadConnection : public QObject {
public:
    DownloadConnection(QTcpSocket *socket, std::filesystem::path directory)
        : QObject(socket), m_socket(socket), m_directory(std::move(directory))
    {
        connect(m_socket, &QTcpSocket::readyRead, this, [this] { readHead(); });
        connect(m_socket, &QTcpSocket::bytesWritten, this, [this] { sendMore(); });
        connect(m_socket, &QTcpSocket::disconnected, m_socket, &QObject::deleteLater);
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] { refuse("408 Request Timeout"); });
        m_timer.start(kHeadTimeoutMs);
    }

private:
    void readHead()
    {
        if (m_answered)
            return;
        m_head += m_socket->readAll();
        const qsizetype end = m_head.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_head.size() > kMaxHead)
                refuse("431 Request Header Fields Too Large");
            return;
        }
        m_timer.stop();
        const std::optional<Request> request = parseHead(m_head.left(end));
        if (!request)
            return refuse("400 Bad Request");
        if (request->method != "GET" && request->method != "HEAD")
            return refuse("405 Method Not Allowed");
        answer(*request);
    }

    void answer(const Request &request)
    {
        const std::filesystem::path path = fileOf(m_directory, request.target);
        m_file = std::make_unique<QFile>(QString::fromStdString(path.string()));
        if (path.empty() || !m_file->open(QIODevice::ReadOnly))
            return refuse("404 Not Found");
        const qint64 size = m_file->size();
        qint64 first = 0;
        qint64 last = size - 1;
        QByteArray status = "200 OK";
        QByteArray extra;
        if (!request.range.isEmpty()) {
            std::tie(first, last) = rangeOf(request.range, size);
            if (first > last)
                return refuse("416 Range Not Satisfiable", "Content-Range: bytes */" + QByteArray::number(size) + "\r\n");
            status = "206 Partial Content";
            extra = "Content-Range: bytes " + QByteArray::number(first) + "-" + QByteArray::number(last) + "/" +
                    QByteArray::number(size) + "\r\n";
        }
        m_left = request.method == "HEAD" ? 0 : last - first + 1;
        m_file->seek(first);
        writeHead(status, last - first + 1, "application/zip", extra);
        sendMore();
    }

    void refuse(const QByteArray &status, const QByteArray &extra = {})
    {
        const QByteArray body = status + "\n";
        writeHead(status, body.size(), "text/plain; charset=utf-8", extra);
        m_socket->write(body);
        m_left = 0;
        sendMore();
    }

    void writeHead(const QByteArray &status, qint64 length, const QByteArray &type, const QByteArray &extra)
    {
        m_answered = true;
        m_socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                        QByteArray::number(length) + "\r\nAccept-Ranges: bytes\r\n" + extra +
                        "Connection: close\r\n\r\n");
    }

    // Keeps about one piece in the socket's buffer; closes when all went.
    void sendMore()
    {
        if (!m_answered || m_socket->bytesToWrite() > kPiece)
            return;
        if (m_left > 0 && m_file) {
            const QByteArray piece = m_file->read(std::min(kPiece, m_left));
            if (piece.isEmpty()) {
                m_socket->abort();
                return;
            }
            m_left -= piece.size();
            m_socket->write(piece);
            return;
        }
        if (m_socket->bytesToWrite() == 0)
            m_socket->disconnectFromHost();
    }

    QTcpSocket *m_socket;
    std::filesystem::path m_directory;
    QByteArray m_head;
    QTimer m_timer;
    std::unique_ptr<QFile> m_file;
    qint64 m_left = 0;
    bool m_answered = false;
};

} // namespace

DownloadHttpServer::DownloadHttpServer(std::filesystem::path directory, QObject *parent)
    : QTcpServer(parent), m_directory(std::move(directory))
{
}

void DownloadHttpServer::start(const std::string &address, int port)
{
    const QHostAddress host(QString::fromStdString(address));
    if (host.isNull())
        throw SlipServerError("[Download] HttpAddress=" + address + " is no IP address");
    if (!listen(host, static_cast<quint16>(port)))
        throw SlipServerError("The download endpoint cannot listen on " + address + ":" + std::to_string(port) +
                              ": " + errorString().toStdString());
}

void DownloadHttpServer::incomingConnection(qintptr socketDescriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        delete socket;
        return;
    }
    new DownloadConnection(socket, m_directory);
}

} // namespace slip
