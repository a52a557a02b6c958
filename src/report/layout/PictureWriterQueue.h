#pragma once
// kv::PictureWriterQueue: writes the pictures of a conversion on threads of
// their own while the layout window draws the next page.
//
// Pictures are taken in the order they were handed over, by up to `writers`
// threads at once. At most `waiting` of them wait beside the ones being
// written (submit() blocks while the queue is full), so a conversion holds a
// few page bitmaps whatever its length. Once a picture fails, the ones handed
// over after it are dropped unwritten and those already written are undone:
// the files of a failed conversion end before the failed page, as when every
// page was written in line.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kv {

class PictureWriterQueue {
public:
    // Writes one picture; false (or an exception) when it failed.
    using Write = std::function<bool()>;
    // Takes a written picture away again (removes its file).
    using Undo = std::function<void()>;

    explicit PictureWriterQueue(int writers = 2, std::size_t waiting = 1);
    // Writes what was handed over (finish()) before the threads end.
    ~PictureWriterQueue();

    PictureWriterQueue(const PictureWriterQueue &) = delete;
    PictureWriterQueue &operator=(const PictureWriterQueue &) = delete;

    // Hands a picture over, waiting while the queue is full. False, and the
    // picture dropped, once one handed over before it has failed.
    bool submit(Write write, Undo undo = {});
    // Waits until every picture handed over is written or dropped; true when
    // none failed.
    bool finish();

private:
    struct Job {
        std::size_t number = 0;
        Write write;
        Undo undo;
    };

    void run();
    // Under the lock: the outcome of job `number`; returns the undos to run.
    std::vector<Undo> settle(std::size_t number, bool written, Undo undo);
    bool failed() const { return m_failedAt != kNone; }

    static constexpr std::size_t kNone = std::size_t(-1);

    const std::size_t m_limit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_waiting;
    std::vector<std::size_t> m_writing;        // numbers of the jobs being written
    std::vector<Job> m_undoable;               // written while an earlier one was still being written
    std::size_t m_next = 0;
    std::size_t m_failedAt = kNone;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace kv
