#pragma once
// Per-thread database connections. A QtSql connection may only be used by
// the thread that opened it, so every thread that touches a database gets a
// connection of its own, made on first use and kept until the thread ends
// (or calls release()). A limit caps how many exist at once: a thread that
// needs one while all are taken waits for a release, up to a timeout.

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>

class QSqlDatabase;

namespace slip {

// A connection-name prefix no other pool in the process uses. Qt keeps one
// global list of connection names, and the module and the host each carry
// their own copy of this library: the counter's address tells the copies apart.
std::string uniqueConnectionPrefix(std::string_view engine);

class ConnectionPool : public std::enable_shared_from_this<ConnectionPool> {
public:
    // State kept with each thread's connection.
    struct Slot {
        QString name;                    // QtSql connection name
        int transactionDepth = 0;        // 0 outside a transaction, 1 + savepoints inside
        unsigned attachGeneration = 0;   // SQLite: company list this connection has attached
        std::set<std::string> attached;  // SQLite: company databases attached
        long long statementTimeoutMs = 0; // PostgreSQL: statement_timeout set, 0 for none
    };

    // Opens a new connection under the given name; throws DatabaseError.
    using Opener = std::function<void(const QString &name)>;

    // maxConnections 0 means no limit.
    ConnectionPool(std::string prefix, int maxConnections, Opener opener,
                   std::chrono::milliseconds waitLimit = std::chrono::seconds(30));
    ~ConnectionPool();
    ConnectionPool(const ConnectionPool &) = delete;
    ConnectionPool &operator=(const ConnectionPool &) = delete;

    // This thread's slot, opening its connection when it has none.
    Slot &current();
    // Closes this thread's connection, if any.
    void release();
    // Closes every connection; later use fails. Call only when no other
    // thread uses the pool any more.
    void shutdown();

    int openConnections() const;

private:
    void closeConnection(const QString &name);

    const std::string m_prefix;
    const int m_max;
    const Opener m_opener;
    const std::chrono::milliseconds m_waitLimit;
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    std::map<std::thread::id, Slot> m_slots;
    unsigned m_counter = 0;
    bool m_shutDown = false;
};

} // namespace slip
