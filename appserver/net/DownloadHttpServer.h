#pragma once
// slipserv's download endpoint: serves the published program archives of
// DownloadSite::directory over plain HTTP/1.1, so a site needs no web server
// of its own for the clients' new-file download. Off unless [Download]
// HttpPort is set.
//
// Only GET and HEAD of "/<file name>" for a regular file directly in the
// folder are answered (no folders, no "..", no hidden files, no links that
// lead out of it); a single "Range: bytes=N-" or "bytes=N-M" lets a client
// resume. One request per connection: the reply ends with the connection
// closed. A request head longer than 8 KiB or slower than ten seconds is
// refused. Files are sent in pieces as the socket drains, so a large
// archive never sits in memory.

#include <QTcpServer>

#include <filesystem>
#include <string>

namespace slip {

class DownloadHttpServer : public QTcpServer {
    Q_OBJECT

public:
    explicit DownloadHttpServer(std::filesystem::path directory, QObject *parent = nullptr);

    // Starts listening; SlipServerError when the address cannot be bound.
    // Port 0 lets the system choose (tests): serverPort() tells.
    void start(const std::string &address, int port);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    std::filesystem::path m_directory;
};

} // namespace slip
