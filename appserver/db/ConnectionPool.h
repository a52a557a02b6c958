#pragma once
// Database connections shared by the threads of a process. A QtSql
// connection may only be used by the thread it belongs to, so a thread that
// touches a database holds a connection of its own, opened on first use or
// taken from the idle ones. A thread that is between pieces of work hands its
// connection back (returnThreadConnections()) unless a transaction is open on
// it; the connection is moved off the thread and waits, still open, for the
// next thread that needs one. A thread that ends closes what it still holds.
// A limit caps how many connections exist at once: a thread that needs one
// while all are taken waits for one to come back, up to a timeout.

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
#include <vector>

class QSqlDriver;

namespace slip {

// A connection-name prefix no other pool in the process uses. Qt keeps one
// global list of connection names, and the module and the host each carry
// their own copy of this library: the counter's address tells the copies apart.
std::string uniqueConnectionPrefix(std::string_view engine);

class ConnectionPool : public std::enable_shared_from_this<ConnectionPool> {
public:
    // State kept with each connection; it travels with the connection from
    // thread to thread.
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

    // This thread's slot: the one it holds, else an idle connection moved to
    // this thread, else a new connection.
    Slot &current();
    // Hands this thread's connection back for other threads, unless a
    // transaction is open on it. References to its slot are void afterwards.
    void handBack();
    // handBack() on every pool the calling thread holds a connection of.
    static void returnThreadConnections();
    // Closes this thread's connection, if any.
    void release();
    // Closes every connection; later use fails. Call only when no other
    // thread uses the pool any more.
    void shutdown();

    // Connections open, held or idle.
    int openConnections() const;
    int idleConnections() const;

private:
    // An open connection no thread holds; its driver belongs to no thread.
    struct Idle {
        std::unique_ptr<Slot> slot;
        QSqlDriver *driver;
    };

    Slot *takeIdle(std::unique_lock<std::mutex> &lock);
    Slot &openNew(std::unique_lock<std::mutex> &lock);
    void closeConnection(const QString &name);

    const std::string m_prefix;
    const int m_max;
    const Opener m_opener;
    const std::chrono::milliseconds m_waitLimit;
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    std::map<std::thread::id, std::unique_ptr<Slot>> m_held;
    std::vector<Idle> m_idle;
    int m_open = 0; // held, idle, and being opened
    unsigned m_counter = 0;
    bool m_shutDown = false;
};

} // namespace slip
