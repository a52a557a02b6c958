#include "db/ConnectionPool.h"

#include "db/DatabaseError.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QThread>

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

// The pools a thread has taken connections from: what it still holds when it
// ends is closed. Pools that are gone by then have closed their connections
// already.
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
    if (auto found = m_held.find(self); found != m_held.end())
        return *found->second;
    if (m_max > 0 && !m_freed.wait_for(lock, m_waitLimit, [this] {
            return !m_idle.empty() || m_open < m_max || m_shutDown;
        }))
        throw DatabaseError("all " + std::to_string(m_max) + " database connections are in use");
    if (m_shutDown)
        throw DatabaseError("the database has been closed");
    Slot *slot = takeIdle(lock);
    if (!slot)
        slot = &openNew(lock);
    t_releaser.add(shared_from_this());
    return *slot;
}

// The most recently returned connection first: its server process and
// caches are the warmest. Moving the driver to this thread is what lets
// QtSql hand the connection out here; a driver that belongs to no thread may
// be pulled by any.
ConnectionPool::Slot *ConnectionPool::takeIdle(std::unique_lock<std::mutex> &)
{
    if (m_idle.empty())
        return nullptr;
    Idle idle = std::move(m_idle.back());
    m_idle.pop_back();
    idle.driver->moveToThread(QThread::currentThread());
    Slot &slot = *idle.slot;
    m_held[std::this_thread::get_id()] = std::move(idle.slot);
    return &slot;
}

ConnectionPool::Slot &ConnectionPool::openNew(std::unique_lock<std::mutex> &lock)
{
    const auto self = std::this_thread::get_id();
    const QString name = QString::fromStdString(m_prefix + "-" + std::to_string(++m_counter));
    Slot &slot = *(m_held[self] = std::make_unique<Slot>());
    slot.name = name;
    ++m_open;
    lock.unlock();
    try {
        m_opener(name);
    } catch (...) {
        lock.lock();
        m_held.erase(self);
        --m_open;
        m_freed.notify_one();
        lock.unlock();
        closeConnection(name);
        throw;
    }
    return slot;
}

namespace {

// Takes the connection's driver off the calling thread, its owner; nullptr
// when QtSql has no such connection or the driver cannot move (a driver with
// a parent object stays where the parent is).
QSqlDriver *detachDriver(const QString &name)
{
    QSqlDriver *driver = QSqlDatabase::database(name, false).driver();
    if (!driver || driver->parent() || driver->thread() != QThread::currentThread())
        return nullptr;
    driver->moveToThread(nullptr);
    return driver->thread() == nullptr ? driver : nullptr;
}

} // namespace

void ConnectionPool::handBack()
{
    QString closing;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_held.find(std::this_thread::get_id());
        if (found == m_held.end() || found->second->transactionDepth > 0)
            return;
        std::unique_ptr<Slot> slot = std::move(found->second);
        m_held.erase(found);
        QSqlDriver *driver = m_shutDown ? nullptr : detachDriver(slot->name);
        if (driver) {
            m_idle.push_back({std::move(slot), driver});
        } else {
            --m_open;
            closing = slot->name;
        }
    }
    m_freed.notify_one();
    if (!closing.isEmpty())
        closeConnection(closing);
}

void ConnectionPool::returnThreadConnections()
{
    for (const auto &weak : t_releaser.pools) {
        if (auto pool = weak.lock())
            pool->handBack();
    }
}

void ConnectionPool::release()
{
    QString name;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_held.find(std::this_thread::get_id());
        if (found == m_held.end())
            return;
        name = found->second->name;
        m_held.erase(found);
        --m_open;
    }
    m_freed.notify_one();
    closeConnection(name);
}

void ConnectionPool::shutdown()
{
    std::vector<QString> names;
    {
        std::lock_guard lock(m_mutex);
        m_shutDown = true;
        for (const auto &entry : m_held)
            names.push_back(entry.second->name);
        for (const Idle &idle : m_idle)
            names.push_back(idle.slot->name);
        m_held.clear();
        m_idle.clear();
        m_open = 0;
    }
    m_freed.notify_all();
    for (const QString &name : names)
        closeConnection(name);
}

int ConnectionPool::openConnections() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

int ConnectionPool::idleConnections() const
{
    std::lock_guard lock(m_mutex);
    return int(m_idle.size());
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
