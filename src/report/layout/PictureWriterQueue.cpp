#include "report/layout/PictureWriterQueue.h"

#include <algorithm>

namespace kv {

PictureWriterQueue::PictureWriterQueue(std::size_t waiting)
    : m_limit(std::max<std::size_t>(1, waiting)), m_thread([this] { run(); })
{
}

PictureWriterQueue::~PictureWriterQueue()
{
    finish();
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool PictureWriterQueue::submit(Write write)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_failed || m_waiting.size() < m_limit; });
    if (m_failed)
        return false;
    m_waiting.push_back(std::move(write));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool PictureWriterQueue::finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.empty() && !m_writing; });
    return !m_failed;
}

void PictureWriterQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
        if (m_waiting.empty())
            return;
        Write write = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_writing = true;
        lock.unlock();
        bool written = false;
        try {
            written = write();
        } catch (...) {
            written = false; // an encoder's exception fails its picture, not the thread
        }
        write = nullptr; // the picture's pixels go before the next one is taken
        lock.lock();
        m_writing = false;
        if (!written) {
            m_failed = true;
            m_waiting.clear();
        }
        m_changed.notify_all();
    }
}

} // namespace kv
