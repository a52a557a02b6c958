#include "db/ConnectionPool.h"

#include "db/DatabaseError.h"

#include <QSqlDatabase>

#include <atomic>
#include <cstdio>
#include <vector>

namespace slip {

std::string uniqueConnectionPrefix(std::string_view engine)
{
    static std::atomic<unsigned> counter{0};
    char copy[32];
    std::snprintf(copy, sizeof copy, "%p", static_cast<const void *>(&counter));
    return "slip-" + std::string(engine) + "-" + copy + "-" + std::to_string(++counter);
}
namespace {

// Releases the connections of a thread when the thread ends. Pools that are
// gone by then have closed their connections already.
struct ThreadReleaser {
    std::vector<std::weak_ptr<ConnectionPool>> pools;
    void add(const std::shared_ptr<ConnectionPool> &pool)
    {
        std::erase_if(pools, [](const auto &weak) { return weak.expired(); });
        for (const auto &weak : pools) {
            if (weak.lock() == pool)
                return;
        }
        pools.push_back(pool);
    }
    ~ThreadReleaser()
    {
        for (auto &weak : pools) {
            if (auto pool = weak.lock())
                pool->release();
        }
    }
};

thread_local ThreadReleaser t_releaser;

} // namespace

ConnectionPool::ConnectionPool(std::string prefix, int maxConnections, Opener opener,
                               std::chrono::milliseconds waitLimit)
    : m_prefix(std::move(prefix))
    , m_max(maxConnections)
    , m_opener(std::move(opener))
    , m_waitLimit(waitLimit)
{
}

ConnectionPool::~ConnectionPool()
{
    shutdown();
}

ConnectionPool::Slot &ConnectionPool::current()
{
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(m_mutex);
    if (m_shutDown)
        throw DatabaseError("the database has been closed");
    if (auto found = m_slots.find(self); found != m_slots.end())
        return found->second;
    if (m_max > 0 && !m_freed.wait_for(lock, m_waitLimit, [this] { return int(m_slots.size()) < m_max || m_shutDown; }))
        throw DatabaseError("all " + std::to_string(m_max) + " database connections are in use");
    if (m_shutDown)
        throw DatabaseError("the database has been closed");
    const QString name = QString::fromStdString(m_prefix + "-" + std::to_string(++m_counter));
    Slot &slot = m_slots[self];
    slot.name = name;
    lock.unlock();
    try {
        m_opener(name);
    } catch (...) {
        lock.lock();
        m_slots.erase(self);
        m_freed.notify_one();
        lock.unlock();
        closeConnection(name);
        throw;
    }
    t_releaser.add(shared_from_this());
    return slot;
}

void ConnectionPool::release()
{
    QString name;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_slots.find(std::this_thread::get_id());
        if (found == m_slots.end())
            return;
        name = found->second.name;
        m_slots.erase(found);
    }
    m_freed.notify_one();
    closeConnection(name);
}

void ConnectionPool::shutdown()
{
    std::map<std::thread::id, Slot> taken;
    {
        std::lock_guard lock(m_mutex);
        m_shutDown = true;
        taken.swap(m_slots);
    }
    m_freed.notify_all();
    for (const auto &entry : taken)
        closeConnection(entry.second.name);
}

int ConnectionPool::openConnections() const
{
    std::lock_guard lock(m_mutex);
    return int(m_slots.size());
}

// Removing the connection deletes its driver, which closes it. The
// connection is not fetched first: QtSql refuses to hand a connection to a
// thread other than its own, and shutdown() may run on another thread.
void ConnectionPool::closeConnection(const QString &name)
{
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
}

} // namespace slip
