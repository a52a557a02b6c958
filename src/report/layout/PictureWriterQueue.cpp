#include "report/layout/PictureWriterQueue.h"

#include <algorithm>

namespace kv {

PictureWriterQueue::PictureWriterQueue(int writers, std::size_t waiting) : m_limit(std::max<std::size_t>(1, waiting))
{
    for (int k = 0; k < std::max(1, writers); ++k)
        m_threads.emplace_back([this] { run(); });
}

PictureWriterQueue::~PictureWriterQueue()
{
    finish();
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

bool PictureWriterQueue::submit(Write write, Undo undo)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return failed() || m_waiting.size() < m_limit; });
    if (failed())
        return false;
    m_waiting.push_back(Job{m_next++, std::move(write), std::move(undo)});
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool PictureWriterQueue::finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.empty() && m_writing.empty(); });
    return !failed();
}

void PictureWriterQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
        if (m_waiting.empty())
            return;
        Job job = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_writing.push_back(job.number);
        lock.unlock();
        bool written = false;
        try {
            written = job.write();
        } catch (...) {
            written = false; // an encoder's exception fails its picture, not the thread
        }
        job.write = nullptr; // the picture's pixels go before the next one is taken
        lock.lock();
        std::vector<Undo> undos = settle(job.number, written, std::move(job.undo));
        lock.unlock();
        for (const Undo &undo : undos)
            if (undo)
                undo();
        lock.lock();
        m_writing.erase(std::find(m_writing.begin(), m_writing.end(), job.number));
        m_changed.notify_all();
    }
}

std::vector<PictureWriterQueue::Undo> PictureWriterQueue::settle(std::size_t number, bool written, Undo undo)
{
    std::vector<Undo> undos;
    if (!written && number < m_failedAt) {
        m_failedAt = number;
        m_waiting.clear();
        // Pictures after it that were written already are taken away.
        for (Job &later : m_undoable)
            if (later.number > number)
                undos.push_back(std::move(later.undo));
        std::erase_if(m_undoable, [number](const Job &job) { return job.number > number; });
    } else if (written && number > m_failedAt) {
        undos.push_back(std::move(undo));
    } else if (written) {
        m_undoable.push_back(Job{number, nullptr, std::move(undo)});
    }
    // A picture is safe once none before it is still being written.
    std::size_t earliest = kNone;
    for (std::size_t other : m_writing)
        if (other != number)
            earliest = std::min(earliest, other);
    std::erase_if(m_undoable, [earliest](const Job &job) { return job.number < earliest; });
    return undos;
}

} // namespace kv
